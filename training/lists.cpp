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
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>

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
constexpr int ListColumnCharacters = 42; // the longest row: a shortcut with its 36 characters

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
        setFlow(QListView::TopToBottom);
        setWrapping(true);
        setResizeMode(QListView::Adjust);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
}

void ListBox::fitPages()
{
    if (!inColumns_)
        return;
    // The rows hold the list's font whole, accents and descenders too: the design's, or the
    // step's that the enlargement gives. A column takes as many whole rows as the height
    // holds, and the viewport ends half a row or more below the last of them, so that a column
    // never takes one more. Only what differs is set, so that laying out again changes nothing.
    const QFontMetrics metrics(font());
    const int rowHeight = metrics.height() + 2;
    const int available = viewport()->height() + bottomMargin_;
    const int rows = std::max(1, (available - rowHeight / 2) / rowHeight);
    const int margin = std::max(0, available - (rows * rowHeight + rowHeight / 2));
    if (margin != bottomMargin_) {
        bottomMargin_ = margin;
        setViewportMargins(0, 0, 0, bottomMargin_);
    }
    // A column holds the longest row whole: the characters' advance summed as the text is
    // drawn (one rounded advance times the count falls short), and the room a row leaves its
    // text on each side.
    const int textMargin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const QSize grid(metrics.horizontalAdvance(QString(ListColumnCharacters, QLatin1Char('M'))) + 2 * textMargin,
                     rowHeight);
    if (gridSize() != grid)
        setGridSize(grid);
}

void ListBox::resizeEvent(QResizeEvent *event)
{
    QListWidget::resizeEvent(event);
    fitPages();
}

void ListBox::doItemsLayout()
{
    // Whoever changed the rows' height or font (the enlargement does), the pages keep theirs.
    fitPages();
    QListWidget::doItemsLayout();
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
