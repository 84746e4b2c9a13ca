#include "training/lists.h"

#include "engine/cp1252.h"
#include "shell/enginehost_mainwindow.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/localcharpanel.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/panelport.h"
#include "shell/settingskeys.h"
#include "shell/sidewindows.h"
#include "shell/startup.h"
#include "shell/utilities.h"
#include "training/filetext.h"
#include "training/listtables.h"
#include "training/messages.h"
#include "training/shortcuts.h"
#include "training/typing.h"

#include <QAction>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace {

// The lists of the main window; null before the module is built.
struct Lists {
    QPointer<ListBox> ListAlphabet;
    QPointer<ListBox> ListCodeQ;
    QPointer<ListBox> ListAbreviations;
} lists;

// The fix-up number of the settings read that writes the character list's shortcut rows.
constexpr int ShortcutRowsFixUp = 8;

TForm1 &form()
{
    return *Form1;
}

QWidget *widgetNamed(const char *name)
{
    return WidgetNamed(&form(), name);
}

void setShown(const char *name, bool shown)
{
    SetShownNamed(&form(), name, shown);
}

void setEnabledNamed(const char *name, bool enabled)
{
    SetEnabledNamed(&form(), name, enabled);
}

// The selected row of a list and its text as the engine holds it, or nothing.
std::optional<std::pair<int, std::string>> selectedRow(QListWidget *list)
{
    if (!list)
        return std::nullopt;
    QListWidgetItem *item = list->currentItem();
    if (!item || !item->isSelected())
        return std::nullopt;
    return std::pair{list->row(item), cp1252::fromQString(item->text())};
}

// Queues an item's text and starts the engine; the controls named are disabled first.
void playItem(const std::string &text, std::initializer_list<const char *> disabled)
{
    EngineState &s = form().Engine;
    const bool queueWasEmpty = s.PlayQueue.empty();
    s.PlayQueue += text;
    for (const char *name : disabled)
        setEnabledNamed(name, false);
    BeginTransmission(queueWasEmpty);
}

enum class ListMode { Alphabet, CodeQ, Abrev };

void switchToList(ListMode mode)
{
    TForm1 &f = form();
    EngineState &s = f.Engine;
    CallHook(Hooks().sidetoneOff);
    ResetFileButtons();

    f.TimerQuiz->stop();
    if (lists.ListAlphabet)
        lists.ListAlphabet->setVisible(mode == ListMode::Alphabet);
    if (lists.ListCodeQ)
        lists.ListCodeQ->setVisible(mode == ListMode::CodeQ);
    if (lists.ListAbreviations)
        lists.ListAbreviations->setVisible(mode == ListMode::Abrev);
    for (const char *panel : {"GroupBoxRandom", "PanelFile", "QuizGroupBox", "GroupBoxMonitor"})
        setShown(panel, false);
    setEnabledNamed("MenuQuickRandom", false);
    if (NamedVisible(f, "PanelImportLessons"))
        ClickNamed(&f, "BitBtnCancelImport");
    s.LeadingSpaceDone = false;
    if (AllFormsCreated)
        HideSideWindow(SideWindowPlace::QuizReport);
    CallHook(Hooks().leaveKidMode);

    // A transmitter keyed by the mode left behind is released (keyer supply lines stay).
    if (TPanelPort *port = PanelPort();
        port && port->Keying.PortInUse() && (port->Keying.PTTOn || port->Keying.CWLineDown()))
        port->ReleaseKeyingLines();

    if (auto *monitor = f.findChild<QPlainTextEdit *>(QStringLiteral("MemoMonitor")))
        monitor->clear();
    if (TSideForm *sheet = SideWindowAt(SideWindowPlace::EntrySheet); SheetWasOpen && sheet)
        sheet->hide();
    // The exam is offered while French is the language.
    setEnabledNamed("menuExamen", f.Francais1->isChecked());
    setEnabledNamed("MenuListWords", true);
    if (!SideWindowVisible(SideWindowPlace::DemoView))
        if (QWidget *box = widgetNamed("Editcaractere"))
            box->setFocus();
}

// The character of a row, for an editor: its second character unless that is a blank.
QString rowCharacter(const std::string &text)
{
    if (text.size() < 2 || text[1] == ' ')
        return {};
    return cp1252::toQString(text.substr(1, 1));
}

void openEditorFor(int row, const std::string &text)
{
    switch (AlphabetEditorFor(row)) {
    case AlphabetEditor::LocalCharacter:
        if (TPanelLocalCharacters *panel = LocalCharacterPanel()) {
            panel->EditLocalCharacter->setText(rowCharacter(text));
            panel->MenuLocalCharactersClick();
        }
        break;
    case AlphabetEditor::Shortcut:
        OpenShortcutEditorFor(rowCharacter(text));
        break;
    case AlphabetEditor::None:
        break;
    }
}

ListBox *makeList(TForm1 &f, const char *name, bool inColumns, const std::vector<std::string> &rows)
{
    auto *list = new ListBox(name, inColumns, f.Frame);
    list->setGeometry(8, 104, 644, 300);
    for (const std::string &row : rows)
        list->addItem(cp1252::toQString(row));
    list->setCurrentRow(0);
    return list;
}

} // namespace

// ---- The list control ---------------------------------------------------------------------------

ListBox::ListBox(const char *name, bool inColumns, QWidget *parent)
    : QListWidget(parent), inColumns_(inColumns)
{
    setObjectName(QString::fromLatin1(name));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setUniformItemSizes(true);
    if (inColumns_) {
        // The places are this class's own: the list view's layout is left one plain column.
        setWrapping(false);
        setResizeMode(QListView::Fixed);
        setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
        setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    }
}

void ListBox::fitPages()
{
    // Rows as high as the delegate draws them (the enlargement's step height, never lower than
    // the font); each column as wide as its longest row, with the room a row leaves its text
    // on each side and a blank between columns.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QFontMetrics metrics(font());
    const int room = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1)
                     + metrics.horizontalAdvance(QLatin1Char(' '));
    int height = metrics.height();
    columnLeft_.assign(1, 0);
    for (int first = 0; first < count(); first += AlphabetPageRows) {
        int widest = 0;
        for (int row = first; row < std::min(count(), first + AlphabetPageRows); ++row) {
            const QModelIndex index = model()->index(row, 0);
            height = std::max(height, itemDelegateForIndex(index)->sizeHint(option, index).height());
            widest = std::max(widest, metrics.horizontalAdvance(item(row)->text()));
        }
        columnLeft_.push_back(columnLeft_.back() + widest + room);
    }
    rowHeight_ = std::max(1, height);
    // The view ends below its last whole row: no row is ever shown cut.
    const int available = viewport()->height() + bottomMargin_;
    rowsShown_ = std::clamp(available / rowHeight_, 1, AlphabetPageRows);
    const int margin = std::max(0, available - rowsShown_ * rowHeight_);
    if (margin != bottomMargin_) {
        bottomMargin_ = margin;
        setViewportMargins(0, 0, 0, bottomMargin_);
    }
}

int ListBox::firstColumn() const
{
    return std::clamp(horizontalScrollBar()->value(), 0, std::max(0, columnCount() - 1));
}

int ListBox::columnsShownFrom(int first) const
{
    int shown = 1;
    while (first + shown < columnCount() && columnLeft_[first + shown + 1] - columnLeft_[first] <= viewport()->width())
        ++shown;
    return shown;
}

bool ListBox::columnShown(int column) const
{
    const int first = firstColumn();
    return column >= first && column < first + columnsShownFrom(first);
}

void ListBox::updateGeometries()
{
    if (!inColumns_) {
        QListWidget::updateGeometries();
        return;
    }
    fitPages();
    // Across by whole columns, as far as the last ones fill the width, and down by whole rows.
    int last = std::max(0, columnCount() - 1);
    while (last > 0 && columnLeft_[columnCount()] - columnLeft_[last - 1] <= viewport()->width())
        --last;
    horizontalScrollBar()->setRange(0, last);
    horizontalScrollBar()->setPageStep(columnsShownFrom(firstColumn()));
    horizontalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setRange(0, std::max(0, AlphabetPageRows - rowsShown_));
    verticalScrollBar()->setPageStep(rowsShown_);
    verticalScrollBar()->setSingleStep(1);
    // Skips the list view's own ranges.
    QAbstractItemView::updateGeometries();
}

int ListBox::horizontalOffset() const
{
    return inColumns_ ? columnLeft_[firstColumn()] : QListWidget::horizontalOffset();
}

int ListBox::verticalOffset() const
{
    return inColumns_ ? verticalScrollBar()->value() * rowHeight_ : QListWidget::verticalOffset();
}

void ListBox::scrollContentsBy(int dx, int dy)
{
    if (inColumns_)
        viewport()->update();
    else
        QListWidget::scrollContentsBy(dx, dy);
}

QRect ListBox::visualRect(const QModelIndex &index) const
{
    if (!inColumns_)
        return QListWidget::visualRect(index);
    layOutNow();
    if (!index.isValid() || index.model() != model())
        return {};
    const int column = index.row() / AlphabetPageRows;
    if (column >= columnCount())
        return {};
    return {columnLeft_[column] - horizontalOffset(), (index.row() % AlphabetPageRows) * rowHeight_ - verticalOffset(),
            columnLeft_[column + 1] - columnLeft_[column], rowHeight_};
}

QModelIndex ListBox::indexAt(const QPoint &point) const
{
    if (!inColumns_)
        return QListWidget::indexAt(point);
    layOutNow();
    const int x = point.x() + horizontalOffset();
    const int y = point.y() + verticalOffset();
    if (point.x() < 0 || point.y() < 0 || point.y() >= viewport()->height())
        return {};
    const auto right = std::upper_bound(columnLeft_.begin(), columnLeft_.end(), x);
    const int column = int(right - columnLeft_.begin()) - 1;
    const int line = y / rowHeight_;
    const int row = column * AlphabetPageRows + line;
    if (right == columnLeft_.end() || !columnShown(column) || line >= AlphabetPageRows || row >= count())
        return {};
    return model()->index(row, 0);
}

void ListBox::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    if (!inColumns_) {
        QListWidget::scrollTo(index, hint);
        return;
    }
    layOutNow();
    if (!index.isValid())
        return;
    const int column = index.row() / AlphabetPageRows;
    const int line = index.row() % AlphabetPageRows;
    QScrollBar *across = horizontalScrollBar();
    QScrollBar *down = verticalScrollBar();
    if (hint == PositionAtTop || hint == PositionAtCenter) {
        across->setValue(column);
        down->setValue(hint == PositionAtTop ? line : line - rowsShown_ / 2);
        return;
    }
    if (column < firstColumn())
        across->setValue(column);
    while (!columnShown(column) && across->value() < across->maximum())
        across->setValue(across->value() + 1);
    if (line < down->value())
        down->setValue(line);
    else if (line >= down->value() + rowsShown_)
        down->setValue(line - rowsShown_ + 1);
}

QModelIndex ListBox::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    if (!inColumns_)
        return QListWidget::moveCursor(action, modifiers);
    layOutNow();
    const int current = currentIndex().isValid() ? currentIndex().row() : 0;
    int row = current;
    switch (action) {
    case MoveUp:
    case MovePrevious:
        row = current - 1;
        break;
    case MoveDown:
    case MoveNext:
        row = current + 1;
        break;
    case MoveLeft:
        row = current - AlphabetPageRows;
        break;
    case MoveRight:
        row = current + AlphabetPageRows;
        break;
    case MovePageUp:
        row = current - rowsShown_;
        break;
    case MovePageDown:
        row = current + rowsShown_;
        break;
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = count() - 1;
        break;
    }
    if (row < 0 || row >= count())
        row = current;
    return model()->index(row, 0);
}

void ListBox::setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command)
{
    if (!inColumns_) {
        QListWidget::setSelection(rect, command);
        return;
    }
    QItemSelection selection;
    const QRect area = rect.normalized();
    for (int row = 0; row < count(); ++row) {
        const QModelIndex index = model()->index(row, 0);
        if (columnShown(row / AlphabetPageRows) && visualRect(index).intersects(area))
            selection.select(index, index);
    }
    selectionModel()->select(selection, command);
}

QRegion ListBox::visualRegionForSelection(const QItemSelection &selection) const
{
    if (!inColumns_)
        return QListWidget::visualRegionForSelection(selection);
    QRegion region;
    for (const QModelIndex &index : selection.indexes())
        region += visualRect(index);
    return region;
}

void ListBox::paintEvent(QPaintEvent *event)
{
    if (!inColumns_) {
        QListWidget::paintEvent(event);
        return;
    }
    QPainter painter(viewport());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QStyle::State state = option.state;
    const bool focused = (hasFocus() || viewport()->hasFocus()) && currentIndex().isValid();
    for (int row = 0; row < count(); ++row) {
        const QModelIndex index = model()->index(row, 0);
        option.rect = visualRect(index);
        // A column the width cannot hold whole waits for the next scroll across.
        if (!columnShown(row / AlphabetPageRows) || !option.rect.intersects(event->rect()))
            continue;
        option.state = state;
        if (!(index.flags() & Qt::ItemIsEnabled))
            option.state &= ~QStyle::State_Enabled;
        if (selectionModel()->isSelected(index))
            option.state |= QStyle::State_Selected;
        if (focused && index == currentIndex())
            option.state |= QStyle::State_HasFocus;
        const bool enabled = option.state & QStyle::State_Enabled;
        option.palette.setCurrentColorGroup(!enabled ? QPalette::Disabled
                                            : isActiveWindow() ? QPalette::Active
                                                               : QPalette::Inactive);
        itemDelegateForIndex(index)->paint(&painter, option, index);
    }
}

void ListBox::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton && objectName() == QLatin1String("ListAlphabet")) {
        ListAlphabetMouseDown(this, event->button(), event->position().toPoint());
        event->accept();
        return;
    }
    QListWidget::mousePressEvent(event);
}

void ListBox::mouseReleaseEvent(QMouseEvent *event)
{
    QListWidget::mouseReleaseEvent(event);
    ButtonReleased(event->button());
}

void ListBox::ButtonReleased(Qt::MouseButton button)
{
    if (this == lists.ListAlphabet)
        ListAlphabetMouseUp(this, button);
    else if (this == lists.ListCodeQ)
        ListCodeQMouseUp(this, button);
    else if (this == lists.ListAbreviations)
        ListAbreviationsMouseUp(this, button);
}

void ListBox::keyPressEvent(QKeyEvent *event)
{
    // ListAlphabetKeyPress and its twins: Enter plays the selected item.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()
        && currentItem()->isSelected()) {
        ButtonReleased(Qt::LeftButton);
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

// ---- Building -----------------------------------------------------------------------------------

void BuildListsModule(TForm1 &f)
{
    lists.ListAlphabet = makeList(f, "ListAlphabet", true, AlphabetRows());
    // Characters with their codes, the user's local characters and shortcuts: no language
    // changes them (the headings between them are wording).
    for (int row = 0; row < lists.ListAlphabet->count(); ++row) {
        QListWidgetItem *item = lists.ListAlphabet->item(row);
        const bool userRow = (row >= AlphabetLocalFirstRow && row < AlphabetLocalFirstRow + MaxLocalCharacters)
                             || row >= AlphabetShortcutFirstRow;
        if (userRow || !item->text().isEmpty())
            MarkAsValue(item);
    }
    lists.ListCodeQ = makeList(f, "ListCodeQ", false, std::vector<std::string>(QCodeRowCount));
    lists.ListAbreviations = makeList(f, "ListAbreviations", false, std::vector<std::string>(AbbreviationRowCount));
    lists.ListCodeQ->hide();
    lists.ListAbreviations->hide();
    ShowShortcutRows();
    RegisterMainWindowTexts(ListTextRows());

    // At design the character list is the mode.
    f.RadioButtonAlphabet->setChecked(true);
    QObject::connect(f.RadioButtonAlphabet, &QRadioButton::clicked, f.RadioButtonAlphabet,
                     [] { RadioButtonAlphabetClick(Form1->RadioButtonAlphabet); });
    QObject::connect(f.RadioButtonCodeQ, &QRadioButton::clicked, f.RadioButtonCodeQ,
                     [] { RadioButtonCodeQClick(Form1->RadioButtonCodeQ); });
    QObject::connect(f.RadioButtonAbrev, &QRadioButton::clicked, f.RadioButtonAbrev,
                     [] { RadioButtonAbrevClick(Form1->RadioButtonAbrev); });

    // The typing box's Enter plays the selected item of a visible list.
    Hooks().listPlaySelected = [](const char *name) {
        for (ListBox *list : {lists.ListAlphabet.data(), lists.ListCodeQ.data(), lists.ListAbreviations.data()})
            if (list && list->objectName() == QLatin1String(name))
                list->ButtonReleased(Qt::LeftButton);
    };

    // The settings read the local characters and the shortcuts; the list shows them.
    Settings().addFixUp(ShortcutRowsFixUp, "lists: local and shortcut rows", [] {
        if (Form1)
            ShowLocalCharacterLines(*Form1);
        ShowShortcutRows();
    });
}

// ---- Handlers -----------------------------------------------------------------------------------

void RadioButtonAlphabetClick(QObject *)
{
    switchToList(ListMode::Alphabet);
}

void RadioButtonCodeQClick(QObject *)
{
    switchToList(ListMode::CodeQ);
}

void RadioButtonAbrevClick(QObject *)
{
    switchToList(ListMode::Abrev);
}

void ListAlphabetMouseUp(QObject *, Qt::MouseButton button)
{
    const auto row = selectedRow(lists.ListAlphabet);
    if (button != Qt::LeftButton) {
        if (row)
            openEditorFor(row->first, row->second);
        return;
    }
    if (!row)
        return;
    if (const auto text = AlphabetPayload(row->first, row->second))
        playItem(*text, {});
}

void ListCodeQMouseUp(QObject *, Qt::MouseButton button)
{
    const auto row = selectedRow(lists.ListCodeQ);
    if (button != Qt::LeftButton || !row)
        return;
    if (const auto code = QCodePayload(row->second))
        playItem(*code, {"RadioButtonAlphabet", "RadioButtonRandom", "RadioButtonAbrev", "RadioButtonFile",
                         "RadioButtonQuiz", "RadioButtonMonitor", "ButtonReplayText", "ButtonPlayFile",
                         "ButtonContinueFile"});
}

void ListAbreviationsMouseUp(QObject *, Qt::MouseButton button)
{
    const auto row = selectedRow(lists.ListAbreviations);
    if (button != Qt::LeftButton || !row)
        return;
    if (const auto abbreviation = AbbreviationPayload(row->second))
        playItem(*abbreviation, {"RadioButtonAlphabet", "RadioButtonCodeQ", "RadioButtonRandom", "RadioButtonFile",
                                 "RadioButtonQuiz", "RadioButtonMonitor", "ButtonReplayText", "ButtonPlayFile",
                                 "ButtonContinueFile"});
}

void ListAlphabetMouseDown(QObject *, Qt::MouseButton button, QPoint at)
{
    ListBox *list = lists.ListAlphabet;
    if (button != Qt::RightButton || !list)
        return;
    if (QListWidgetItem *item = list->itemAt(at)) {
        list->setCurrentItem(item);
    } else {
        list->clearSelection();
        list->setCurrentRow(-1);
    }
}

void ShowShortcutRows()
{
    if (!lists.ListAlphabet)
        return;
    const auto rows = ShortcutListRows();
    for (int i = 0; i < ShortcutCount; ++i)
        if (QListWidgetItem *item = lists.ListAlphabet->item(AlphabetShortcutFirstRow + i))
            item->setText(cp1252::toQString(rows[i]));
}
