#pragma once

// The three list modes: the character list ListAlphabet (with codes, rhythm, local characters
// and shortcuts), the Q-code list ListCodeQ and the abbreviation list ListAbreviations. A
// click (button release) or Enter on an item queues its text and starts the engine; a right
// click on a local-character or shortcut row opens its editor. The mode buttons
// RadioButtonAlphabet, RadioButtonCodeQ and RadioButtonAbrev switch between them.

#include <QListWidget>

#include <vector>

class TForm1;

// A list of the main window: its mouse and keys go to the list handlers. The character list
// lays its pages out side by side, one column of 31 rows each, in rows that hold its font:
// scrolled across by whole columns, and down where the height holds fewer rows than a page.
class ListBox : public QListWidget {
    Q_OBJECT
public:
    ListBox(const char *name, bool inColumns, QWidget *parent);

    // A button released over the list (Enter counts as the left button): its mouse-up handler.
    void ButtonReleased(Qt::MouseButton button);

    // The character list's layout: a row's place in the contents (columns across).
    QRect visualRect(const QModelIndex &index) const override;
    QModelIndex indexAt(const QPoint &point) const override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    // QListWidget's own calls the list view's scrollTo, not the one above.
    void scrollToItem(const QListWidgetItem *item, ScrollHint hint = EnsureVisible)
    {
        scrollTo(indexFromItem(item), hint);
    }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection &selection) const override;

private:
    void fitPages();
    // The layout a change of font or rows has scheduled, done now.
    void layOutNow() const { const_cast<ListBox *>(this)->executeDelayedItemsLayout(); }
    int columnCount() const { return int(columnLeft_.size()) - 1; }
    int firstColumn() const;
    // Columns from `first` on that the width holds whole (at least one).
    int columnsShownFrom(int first) const;
    bool columnShown(int column) const;
    bool inColumns_;
    int rowHeight_ = 1;
    int rowsShown_ = 1;              // whole rows in the height
    int bottomMargin_ = 0;           // below the last whole row
    std::vector<int> columnLeft_{0}; // each column's left in the contents, and the right end
};

// The module's build (the program's module list).
void BuildListsModule(TForm1 &form);

// ---- Handlers ---------------------------------------------------------------------------------

// The mode switches; each shows its list and hides the other modes' panels.
void RadioButtonAlphabetClick(QObject *sender = nullptr);
void RadioButtonCodeQClick(QObject *sender = nullptr);
void RadioButtonAbrevClick(QObject *sender = nullptr);
// A button released over a list: the left button plays the selected item; on the character
// list another button opens the editor of a local-character or shortcut row.
void ListAlphabetMouseUp(QObject *sender, Qt::MouseButton button);
void ListCodeQMouseUp(QObject *sender, Qt::MouseButton button);
void ListAbreviationsMouseUp(QObject *sender, Qt::MouseButton button);
// A right-button press on the character list selects the row under the mouse (none below the
// last row).
void ListAlphabetMouseDown(QObject *sender, Qt::MouseButton button, QPoint at);

// The character list's shortcut rows (128..153) show the shortcut table.
void ShowShortcutRows();
