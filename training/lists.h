#pragma once

// The three list modes: the character list ListAlphabet (with codes, rhythm, local characters
// and shortcuts), the Q-code list ListCodeQ and the abbreviation list ListAbreviations. A
// click (button release) or Enter on an item queues its text and starts the engine; a right
// click on a local-character or shortcut row opens its editor. The mode buttons
// RadioButtonAlphabet, RadioButtonCodeQ and RadioButtonAbrev switch between them.

#include <QListWidget>

class TForm1;

// A list of the main window: its mouse and keys go to the list handlers. The character list
// lays its rows out in columns that fill its height, scrolled across.
class ListBox : public QListWidget {
    Q_OBJECT
public:
    ListBox(const char *name, bool inColumns, QWidget *parent);

    // A button released over the list (Enter counts as the left button): its mouse-up handler.
    void ButtonReleased(Qt::MouseButton button);
    void doItemsLayout() override;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void fitPages();
    bool inColumns_;
    int bottomMargin_ = 0; // below the last row of a column
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
