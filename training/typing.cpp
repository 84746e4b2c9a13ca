#include "training/typing.h"

#include "engine/cp1252.h"
#include "engine/morsecode.h"
#include "shell/enginehost_mainwindow.h"
#include "shell/languages/languages.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"
#include "shell/settingskeys.h"
#include "shell/sidewindows.h"
#include "shell/soundengine.h"
#include "shell/utilities.h"
#include "shell/keyrouting.h"
#include "shell/modes.h"
#include "shell/zoomview.h"
#include "training/shortcuts.h"

#include <QAbstractItemView>
#include <QAction>
#include <QActionGroup>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStyle>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

#include <optional>

std::string KidTargetText;
bool TypingReplay = true;
bool EditClicked = false;
bool LoopButton = false;

namespace {

TypingControls controls;

// Set by the box's own key event when the key was a shortcut character: the change that the
// key makes to the box is then replaced by the shortcut's text.
bool ShortcutExpanded = false;
std::string ShortcutText;

// A character with no Windows-1252 form: it is sent like a character without a code.
constexpr int NoForm = -1;

constexpr unsigned char Circumflex = 94;
constexpr unsigned char Diaeresis = 168;
constexpr unsigned char Tilde = 126;
constexpr unsigned char Grave = 96;

TForm1 &form()
{
    return *Form1;
}

EngineState &state()
{
    return Form1->Engine;
}

bool demoVisible()
{
    return SideWindowVisible(SideWindowPlace::DemoView);
}

void stopKidAnimationIfRunning()
{
    if (form().TimerLapin->isActive())
        CallHook(Hooks().stopRabbitAnimation);
}

QAbstractItemView *visibleList(const char *name)
{
    auto *list = form().findChild<QAbstractItemView *>(QString::fromLatin1(name));
    return list && !list->isHidden() && list->model() ? list : nullptr;
}

int selectedRow(QAbstractItemView *list)
{
    return list->currentIndex().isValid() ? list->currentIndex().row() : -1;
}

void selectRow(QAbstractItemView *list, int row)
{
    if (row >= 0 && row < list->model()->rowCount())
        list->setCurrentIndex(list->model()->index(row, 0));
}

// The controls a replay disables (the end of the text enables them again).
void disableForReplay()
{
    static const char *const names[] = {
        "ListAbreviations", "ListCodeQ", "ListAlphabet", "QuizGroupBox", "GroupBoxMonitor",
        "ButtonContinueFile", "ButtonPlayFile", "RadioButtonAlphabet", "RadioButtonCodeQ",
        "RadioButtonAbrev", "RadioButtonFile", "RadioButtonQuiz", "RadioButtonMonitor",
        "ButtonMsg1", "ButtonMsg2", "ButtonMsg3", "ButtonMsg4", "ButtonMsg5", "ButtonMsg6",
    };
    for (const char *name : names) {
        if (auto *widget = form().findChild<QWidget *>(QString::fromLatin1(name)))
            widget->setEnabled(false);
    }
}

void focusBoxUnlessDemo()
{
    if (!demoVisible())
        controls.Editcaractere->setFocus();
}

// The box position after the first `sent` characters of the queued text. A character with no
// Windows-1252 form stays in the box but is never queued, so the two counts differ; once
// nothing sendable is left behind the position, the whole box has been sent.
int boxPositionAfterSent(const QString &text, int sent)
{
    int position = 0;
    int counted = 0;
    while (position < text.size() && counted < sent) {
        char32_t ch = text.at(position).unicode();
        int width = 1;
        if (text.at(position).isHighSurrogate() && position + 1 < text.size()
            && text.at(position + 1).isLowSurrogate()) {
            ch = QChar::surrogateToUcs4(text.at(position), text.at(position + 1));
            width = 2;
        }
        if (cp1252::fromUnicode(ch))
            ++counted;
        position += width;
    }
    if (sent > 0 && cp1252::fromQString(text.mid(position)).empty())
        return static_cast<int>(text.size());
    return position;
}

void selectSentPart()
{
    TypingEdit *box = controls.Editcaractere;
    box->setSelection(0, boxPositionAfterSent(box->text(), state().TypedTextIndex));
}

// The key-press rules in their order. Key is a Windows-1252 character or NoForm; 0 afterwards
// keeps it out of the box. Returns the shortcut text that replaces the key in the box.
std::optional<std::string> keyPress(int &Key)
{
    TForm1 &f = form();
    EngineState &s = state();

    // 1. and 2. Enter answers the random panels first.
    if (Key == 13 && NamedVisible(f, "PanelChoixRandom")) {
        ClickNamed(&f, "ButtonChoixCaractereOK");
        return std::nullopt;
    }
    if (Key == 13 && NamedVisible(f, "GroupBoxRandom") && !CallHook(Hooks().randomCountdownRunning, false)) {
        Key = 0;
        if (NamedVisible(f, "BitBtnPlayRandom"))
            ClickNamed(&f, "BitBtnPlayRandom");
        else if (controls.MenuDiversEnter->isChecked())
            ClickNamed(&f, "BitBtnStopRandom");
        return std::nullopt;
    }
    // 3. A read-only box (a replay runs) ignores the key.
    if (controls.Editcaractere->isReadOnly() || s.ReplayingTypedText)
        return std::nullopt;
    // 4. The accents of dead keys are never queued.
    if (Key == Circumflex || Key == Diaeresis || Key == Tilde || Key == Grave) {
        stopKidAnimationIfRunning();
        return std::nullopt;
    }
    // 5. Enter plays the selected list item, or opens a new line of the monitor.
    if (Key == 13) {
        Key = 0;
        for (const char *list : {"ListAlphabet", "ListCodeQ", "ListAbreviations"}) {
            if (NamedVisible(f, list))
                CallHook(Hooks().listPlaySelected, list);
        }
        if (NamedVisible(f, "MemoMonitor")) {
            stopKidAnimationIfRunning();
            QObject *memo = f.findChild<QObject *>(QStringLiteral("MemoMonitor"));
            if (auto *plain = qobject_cast<QPlainTextEdit *>(memo))
                plain->appendPlainText(QString());
            else if (auto *rich = qobject_cast<QTextEdit *>(memo))
                rich->append(QString());
        }
        return std::nullopt;
    }
    // 6. Backspace takes back the last queued character; the box deletes its own.
    if (Key == 8) {
        SoundEngine().Cycle->DeleteLastQueued();
        return std::nullopt;
    }
    // 7. Any other character is queued, a shortcut as its text.
    std::string text = " ";
    std::optional<std::string> expansion;
    if (Key != NoForm) {
        const auto c = static_cast<unsigned char>(Key);
        if (MorseCodes[c].empty()) {
            if (auto shortcut = ShortcutTextFor(c)) {
                // What an expansion brings is never expanded again: a shortcut character
                // inside it is dropped like any character without a code.
                text.clear();
                for (char inner : *shortcut) {
                    const auto b = static_cast<unsigned char>(inner);
                    if (!MorseCodes[b].empty() || !ShortcutTextFor(b))
                        text.push_back(inner);
                }
                expansion = std::move(shortcut);
            }
        }
        if (text == " ")
            text = std::string(1, static_cast<char>(c));
    } else {
        text.clear(); // nothing to queue: it has no code, like any character without one
    }
    const bool queueWasEmpty = s.PlayQueue.empty();
    s.PlayQueue += text;
    if (controls.MenuDelayedPlay->isChecked()) {
        SoundEngine().Cycle->ClearQueue();
        return expansion;
    }
    BeginTransmission(queueWasEmpty, [&s] {
        controls.ButtonReplayText->setEnabled(false);
        s.TypedTextSent = true;
    });
    return expansion;
}

int virtualKeyOf(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Control:
        return VK_CONTROL;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Backspace:
        return VK_BACK;
    default:
        return 0;
    }
}

// The accent a dead key stands for, or 0.
int deadKeyAccent(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Dead_Circumflex:
        return Circumflex;
    case Qt::Key_Dead_Diaeresis:
        return Diaeresis;
    case Qt::Key_Dead_Tilde:
        return Tilde;
    case Qt::Key_Dead_Grave:
        return Grave;
    default:
        return 0;
    }
}

bool isDeadKey(int qtKey)
{
    return qtKey >= Qt::Key_Dead_Grave && qtKey <= Qt::Key_Dead_Longsolidusoverlay;
}


// The repeat-loop pauses of the Continuous Replay submenu: "Nil" and four waits.
struct RepeatPause
{
    const char *name;
    int ms;
};
constexpr RepeatPause RepeatPauses[] = {
    {"MenuNoBoucle", 0},          {"MenuStanby1s", 1000},     {"MenuStandby10s", 10000},
    {"MenuStandby60s", 60000},    {"menuStandby300s", 300000},
};

constexpr TextRow RepeatPauseTexts[] = {
    {"MenuNoBoucle", TextKind::Caption, Tr("Nil", "Nincs", "Keine", "Aucune", "Nessuna", "Nenhuma", "Ninguna")},
    {"MenuStanby1s", TextKind::Caption,
     Tr("Standby 1s", "Várakozás 1 mp", "Pause 1 s", "Attente 1 s", "Attesa 1 s", "Espera 1 s", "Espera 1 s")},
    {"MenuStandby10s", TextKind::Caption,
     Tr("Standby 10s", "Várakozás 10 mp", "Pause 10 s", "Attente 10 s", "Attesa 10 s", "Espera 10 s", "Espera 10 s")},
    {"MenuStandby60s", TextKind::Caption,
     Tr("Standby 60s", "Várakozás 60 mp", "Pause 60 s", "Attente 60 s", "Attesa 60 s", "Espera 60 s", "Espera 60 s")},
    {"menuStandby300s", TextKind::Caption,
     Tr("Standby 300s", "Várakozás 300 mp", "Pause 300 s", "Attente 300 s", "Attesa 300 s", "Espera 300 s",
        "Espera 300 s")},
};
static_assert(allLanguagesPresent(RepeatPauseTexts, [](const TextRow &row) -> const Tr & { return row.text; }));

QAction *repeatPauseAction(const RepeatPause &pause)
{
    return form().findChild<QAction *>(QString::fromLatin1(pause.name));
}

// The item of a pause length; the first wait when the length is none of them.
const RepeatPause &repeatPauseItem(int ms)
{
    for (const RepeatPause &pause : RepeatPauses)
        if (pause.ms == ms && ms > 0)
            return pause;
    return RepeatPauses[1];
}

// A wait is chosen: the loop is on and the item shows the choice.
void chooseRepeatPause(const RepeatPause &pause)
{
    controls.MenuContinuous->setChecked(true);
    form().TimerBoucle->setInterval(pause.ms);
    if (QAction *item = repeatPauseAction(pause))
        item->setChecked(true);
}

void buildRepeatPauses(QMenu *submenu)
{
    auto *group = new QActionGroup(submenu);
    for (const RepeatPause &pause : RepeatPauses) {
        auto *item = new QAction(QString::fromLatin1(pause.name), submenu);
        item->setObjectName(QString::fromLatin1(pause.name));
        item->setCheckable(true);
        group->addAction(item);
        submenu->addAction(item);
        if (pause.ms == 0) {
            item->setChecked(true);
            QObject::connect(item, &QAction::triggered, item, [] { MenuNoBoucleClick(); });
        } else {
            QObject::connect(item, &QAction::triggered, item, [&pause] { chooseRepeatPause(pause); });
        }
    }
    RegisterMainWindowTexts(RepeatPauseTexts);
}

} // namespace

// ---- The box --------------------------------------------------------------------------------

TypingEdit::TypingEdit(QWidget *parent)
    : QLineEdit(parent)
{
}

void TypingEdit::keyPressEvent(QKeyEvent *event)
{
    // The key-down handler sees every key first, as the list navigation and the straight key
    // need.
    if (const int vk = virtualKeyOf(event); vk != 0) {
        int key = vk;
        EditcaractereKeyDown(this, key, event->modifiers());
        if (key == 0) {
            event->accept();
            return;
        }
    }
    if (isDeadKey(event->key())) {
        // Never queued; the accent composes with the next key, or comes alone as a character.
        if (int accent = deadKeyAccent(event->key()); accent != 0)
            keyPress(accent);
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) {
        QLineEdit::keyPressEvent(event); // copy, paste, select all ...
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Backspace) {
        int key = event->key() == Qt::Key_Backspace ? 8 : 13;
        keyPress(key);
        if (key == 0)
            event->accept();
        else
            QLineEdit::keyPressEvent(event);
        return;
    }
    const QString text = event->text();
    if (text.isEmpty() || text.at(0).category() == QChar::Other_Control) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    typeCharacter(text.at(0), event);
}

void TypingEdit::inputMethodEvent(QInputMethodEvent *event)
{
    const QString committed = event->commitString();
    if (committed.isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    // A composed character (an accent and a letter) is typed like any key.
    QString kept;
    for (QChar character : committed) {
        const auto byte = cp1252::fromUnicode(character.unicode());
        int key = byte ? *byte : NoForm;
        auto expansion = keyPress(key);
        if (key == 0)
            continue;
        if (expansion && committed.size() == 1) {
            ShortcutExpanded = true;
            ShortcutText = *expansion;
        }
        kept += character;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(kept, event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&filtered);
    ShortcutExpanded = false;
}

void TypingEdit::typeCharacter(QChar character, QKeyEvent *event)
{
    const auto byte = cp1252::fromUnicode(character.unicode());
    int key = byte ? *byte : NoForm;
    auto expansion = keyPress(key);
    if (key == 0) {
        event->accept();
        return;
    }
    // Only this event of the box's own puts a shortcut's text into the box.
    if (expansion) {
        ShortcutExpanded = true;
        ShortcutText = *expansion;
    }
    QLineEdit::keyPressEvent(event);
    // A key the box did not take (a full box) leaves no expansion behind.
    ShortcutExpanded = false;
}

void TypingEdit::mousePressEvent(QMouseEvent *event)
{
    QLineEdit::mousePressEvent(event);
    EditcaractereClick(this);
}

// ---- Building -------------------------------------------------------------------------------

TypingControls BuildTypingPanel(TForm1 &f)
{
    TypingControls &c = controls;
    c.Editcaractere = new TypingEdit(f.Frame);
    c.Editcaractere->setObjectName(QStringLiteral("Editcaractere"));
    c.Editcaractere->setGeometry(56, 40, 424, 24);
    f.Editcaractere = c.Editcaractere;
    c.Editcaractere->setToolTip(QStringLiteral("Only characters having a morse code are played"));
    QObject::connect(c.Editcaractere, &QLineEdit::textChanged, c.Editcaractere,
                     [] { EditcaractereChange(controls.Editcaractere); });

    c.ButtonReplayText = new QToolButton(f.Frame);
    c.ButtonReplayText->setObjectName(QStringLiteral("ButtonReplayText"));
    c.ButtonReplayText->setCheckable(true);
    c.ButtonReplayText->setText(TxtReplayText());
    c.ButtonReplayText->setGeometry(486, 40, 116, 24);
    c.ButtonReplayText->setEnabled(false);
    QObject::connect(c.ButtonReplayText, &QToolButton::clicked, c.ButtonReplayText,
                     [] { ButtonReplayTextClick(controls.ButtonReplayText); });

    c.SpeedButtonRAZtext = new QToolButton(f.Frame);
    c.SpeedButtonRAZtext->setObjectName(QStringLiteral("SpeedButtonRAZtext"));
    c.SpeedButtonRAZtext->setIcon(f.style()->standardIcon(QStyle::SP_LineEditClearButton));
    c.SpeedButtonRAZtext->setToolTip(QStringLiteral("Clear text"));
    c.SpeedButtonRAZtext->setGeometry(606, 40, 24, 24);
    QObject::connect(c.SpeedButtonRAZtext, &QToolButton::clicked, c.SpeedButtonRAZtext,
                     [] { SpeedButtonRAZtextClick(controls.SpeedButtonRAZtext); });

    QAction *quit = f.MenuOutilsQuit;
    c.MenuDelayedPlay = new QAction(QStringLiteral("&Delayed Play"), f.MenuOutils);
    c.MenuDelayedPlay->setObjectName(QStringLiteral("MenuDelayedPlay"));
    c.MenuDelayedPlay->setCheckable(true); // a user's click toggles it, as the handler does
    c.MenuDelayedPlay->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F7));
    f.MenuOutils->insertAction(quit, c.MenuDelayedPlay);

    // The repeat-loop choices (the pauses) go into this submenu and set its check mark.
    auto *continuous = new QMenu(QStringLiteral("Continuous &Replay"), f.MenuOutils);
    c.MenuContinuous = continuous->menuAction();
    c.MenuContinuous->setObjectName(QStringLiteral("MenuContinuous"));
    c.MenuContinuous->setCheckable(true);
    c.MenuContinuous->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F8));
    f.MenuOutils->insertMenu(quit, continuous);
    buildRepeatPauses(continuous);
    // The shortcut toggles the loop: on, it takes the pause last chosen (1 s when none was).
    QObject::connect(c.MenuContinuous, &QAction::triggered, c.MenuContinuous, [](bool checked) {
        if (checked)
            chooseRepeatPause(repeatPauseItem(form().TimerBoucle->interval()));
        else
            MenuNoBoucleClick();
    });

    c.MenuDiversEnter = new QAction(QStringLiteral("Enter key stops Random and Quiz modes"), f.MenuOutils);
    c.MenuDiversEnter->setObjectName(QStringLiteral("MenuDiversEnter"));
    c.MenuDiversEnter->setCheckable(true);
    f.MenuOutils->insertAction(quit, c.MenuDiversEnter);
    f.MenuOutils->insertSeparator(quit);

    QObject::connect(f.TimerBoucle, &QTimer::timeout, f.TimerBoucle, [] { TimerBoucleTimer(); });
    // The loop never runs without a pause: the first wait until the user picks another.
    f.TimerBoucle->setInterval(RepeatPauses[1].ms);
    // Replay, or resume a replay that was stopped, in the language.
    OnLanguageSwitch(controls.ButtonReplayText, [] {
        SetCaption(controls.ButtonReplayText, TypingReplay ? TxtReplayText() : TxtResumeText());
    });

    Settings().bind(
        "ENTERSTOP=", [](const std::string &value) { controls.MenuDiversEnter->setChecked(value == "1"); },
        [](std::vector<std::string> &values) {
            if (controls.MenuDiversEnter->isChecked())
                values.push_back("1");
        });
    BindShortcutSettings();

    ModeHooks &hooks = Hooks();
    hooks.typedTextShowSent = TypingShowSent;
    hooks.shortcutText = ShortcutTextFor;
    hooks.typeCharacter = [](unsigned char c) { EditCaractereKeyPress(nullptr, c); };
    hooks.typedTextLoopPassEnded = TypingLoopPassEnded;
    hooks.updateReplayButton = TypingTextEnded;
    hooks.focusTypingBoxAtEnd = TypingFocusAtEnd;
    hooks.typedTextStopped = TypingReplayStopped;

    // Enter in the box, once the window's rows passed it on: the selected list item plays, or
    // the monitor opens a new line.
    AddKeyRoute({"typing: Enter in the box", KeyStage::FocusKeyPress, 200, "Editcaractere", KeyEnter, {},
                 [](int) {
                     int key = 13;
                     keyPress(key);
                     return true;
                 },
                 KeyConsume::Always});

    // The box is the window's active control.
    c.Editcaractere->setFocus();
    return c;
}

void BuildTypingModule(TForm1 &form)
{
    BuildTypingPanel(form);
}

// ---- Handlers -------------------------------------------------------------------------------

void EditCaractereKeyPress(QObject *, unsigned char &Key)
{
    int key = Key;
    // Another window's character never changes the box, so no expansion is kept for it.
    keyPress(key);
    if (key == 0)
        Key = 0;
}

void EditcaractereKeyDown(QObject *, int &Key, Qt::KeyboardModifiers)
{
    TForm1 &f = form();
    EngineState &s = state();
    switch (Key) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN: {
        if (f.TimerLapin->isActive()) {
            CallHook(Hooks().stopRabbitAnimation);
            Key = 0;
            return;
        }
        for (const char *name : {"ListAlphabet", "ListCodeQ", "ListAbreviations"}) {
            QAbstractItemView *list = visibleList(name);
            if (!list)
                continue;
            const int row = selectedRow(list);
            if (Key == VK_DOWN && row < list->model()->rowCount() - 1)
                selectRow(list, row + 1);
            else if (Key == VK_UP && row > 0)
                selectRow(list, row - 1);
        }
        // The character list is laid out in columns of 31 rows.
        if (QAbstractItemView *alphabet = visibleList("ListAlphabet")) {
            const int i = selectedRow(alphabet);
            if (Key == VK_RIGHT && i >= 0 && i < 124)
                selectRow(alphabet, (i / 31 + 1) * 31);
            else if (Key == VK_LEFT && i >= 31 && i < 155)
                selectRow(alphabet, (i / 31 - 1) * 31);
        }
        Key = 0;
        return;
    }
    default:
        break;
    }
    if (Key == VK_CONTROL && NamedChecked(f, "RadioButtonCTRL") && NamedVisible(f, "GroupBoxMonitor")
        && s.PlayQueue.empty() && s.PlaybackDone)
        CallHook(Hooks().straightKeyDownByCtrl); // held-key repeats find PlaybackDone cleared by the sidetone
}

void EditcaractereChange(QObject *)
{
    TypingEdit *box = controls.Editcaractere;
    controls.ButtonReplayText->setEnabled(!box->text().isEmpty());

    if (ShortcutExpanded) {
        ShortcutExpanded = false;
        QString text = box->text();
        const int p = box->cursorPosition(); // after the typed key
        const QString shortcut = cp1252::toQString(ShortcutText);
        if (p >= 1) {
            text.remove(p - 1, 1);
            text.insert(p - 1, shortcut);
            box->setText(text); // runs this handler again, with nothing left to expand
            box->setCursorPosition(p - 1 + static_cast<int>(shortcut.size()));
        }
    }

    KidTargetText.clear();
    for (char c : cp1252::fromQString(box->text())) {
        if (c == ' ')
            continue;
        KidTargetText += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }

    state().TypedText.clear();
    controls.ButtonReplayText->setText(TxtReplayText());
    TypingReplay = true;
    stopKidAnimationIfRunning();
}

void EditcaractereClick(QObject *)
{
    EditClicked = true;
}

void ButtonReplayTextClick(QObject *)
{
    TForm1 &f = form();
    EngineState &s = state();
    QToolButton *button = controls.ButtonReplayText;
    TypingEdit *box = controls.Editcaractere;

    if (s.ReplayingTypedText) {
        button->setChecked(true); // it stays down while the replay runs
        return;
    }
    if (!s.PlayQueue.empty()) {
        button->setChecked(false); // another text is being sent
        return;
    }
    if (box->text().isEmpty()) {
        button->setChecked(false);
        button->setEnabled(false);
        focusBoxUnlessDemo();
        return;
    }

    const bool continuous = controls.MenuContinuous->isChecked();
    if (!s.TypedText.empty()) {
        s.PlayQueue += s.TypedText;
        if (continuous)
            s.PlayQueue += ' ';
        focusBoxUnlessDemo();
        selectSentPart();
        s.TypedText.clear();
    } else {
        s.PlayQueue += cp1252::fromQString(box->text());
        if (continuous)
            s.PlayQueue += ' ';
        focusBoxUnlessDemo();
        box->setCursorPosition(0);
        s.TypedTextIndex = 0;
    }

    disableForReplay();
    selectSentPart();
    box->setReadOnly(true);
    if (!s.RandomPlaying)
        f.RadioButtonRandom->setEnabled(false);
    SoundEngine().Host->showStopButton();

    BeginTransmission(true, [&s, button] {
        s.ReplayingTypedText = true;
        s.TypedLeft = 0;
        button->setChecked(true);
    });
}

void MenuDelayedPlayClick(QObject *)
{
    controls.MenuDelayedPlay->setChecked(!controls.MenuDelayedPlay->isChecked());
}

void SpeedButtonRAZtextClick(QObject *)
{
    controls.Editcaractere->setText(QString());
    EngineState &s = state();
    // Only what typing queued is dropped; another mode's text goes on.
    if (s.TypedTextSent || s.ReplayingTypedText)
        SoundEngine().Cycle->ClearQueue();
}

void MenuNoBoucleClick(QObject *)
{
    controls.MenuContinuous->setChecked(false);
    form().TimerBoucle->stop();
    if (QAction *nil = repeatPauseAction(RepeatPauses[0]))
        nil->setChecked(true);
}

void TimerBoucleTimer()
{
    form().TimerBoucle->stop();
    if (LoopButton)
        ClickNamed(Form1, "ButtonPlayFile");
    else
        ButtonReplayTextClick(controls.ButtonReplayText);
}

void BeginTransmission(bool queueWasEmpty, const std::function<void()> &ownStep)
{
    SoundEngine().Cycle->BeginTransmission(queueWasEmpty, ownStep);
}

// ---- Called by the sending engine -----------------------------------------------------------

void TypingShowSent()
{
    if (controls.Editcaractere)
        selectSentPart();
}

void TypingLoopPassEnded()
{
    // Stop pops the replay button up; a pass that ends after Stop ends the text instead of
    // starting the loop again.
    if (!controls.ButtonReplayText->isChecked()) {
        TypingTextEnded();
        SoundEngine().Host->releaseKeyingLines();
        TypingFocusAtEnd();
        return;
    }
    LoopButton = false;
    form().TimerBoucle->start();
}

void TypingTextEnded()
{
    if (!controls.Editcaractere)
        return;
    const EngineState &s = state();
    TypingEdit *box = controls.Editcaractere;
    const bool replayEnded = s.ReplayingTypedText;
    box->setReadOnly(false);
    controls.ButtonReplayText->setEnabled(!box->text().isEmpty());
    if (!s.TypedText.empty()) {
        controls.ButtonReplayText->setText(TxtResumeText());
        TypingReplay = false;
        selectSentPart();
    } else {
        controls.ButtonReplayText->setText(TxtReplayText());
        TypingReplay = true;
        if (replayEnded)
            box->end(false);
    }
}

void TypingReplayStopped()
{
    controls.ButtonReplayText->setText(TxtResumeText());
    TypingReplay = false;
}

void TypingFocusAtEnd()
{
    if (!controls.Editcaractere)
        return;
    const EngineState &s = state();
    // A key typed in the zoom view keeps the focus there.
    if (ZoomTyping && s.TypedText.empty()) {
        ZoomTyping = false;
        return;
    }
    if (demoVisible())
        return;
    if ((s.JongPlaying || s.NotePlaying || s.PairsPlaying) && !EditClicked)
        return;
    controls.Editcaractere->setFocus();
}
