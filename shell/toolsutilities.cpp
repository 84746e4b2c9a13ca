#include "shell/toolsutilities.h"

#include "engine/cp1252.h"
#include "engine/timing.h"
#include "shell/formdialog.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/settingsformat.h"
#include "shell/settingsforms.h"
#include "shell/settingskeys.h"
#include "shell/sidewindows.h"
#include "shell/startup.h"
#include "shell/utilities.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QToolTip>
#include <QWheelEvent>

#include <map>
#include <set>

bool FontChosen = false;
SavedFontFields SavedFont;

namespace {

// One notch of a mouse wheel; touch pads send parts of it.
constexpr int WheelNotch = 120;
constexpr int LessonsPerPage = 20;
constexpr int LessonPages = 3;
constexpr int LargestWindow = 5000;

constexpr TextRow kTexts[] = {
    {"menuCopier", TextKind::Caption,
     Tr("&Copy", "&Másolás", "&Kopieren", "&Copier", "&Copia", "&Copiar", "&Copiar")},
    {"MenuColler", TextKind::Caption,
     Tr("&Paste", "&Beillesztés", "&Einfügen", "C&oller", "I&ncolla", "C&olar", "P&egar")},
    {"MenuPolice", TextKind::Caption,
     Tr("&Font...", "&Betütípus...", "&Schriftart...", "&Police...", "Ca&rattere...", "&Fonte...",
        "&Fuente...")},
    {"MenuHideHints", TextKind::Caption,
     Tr("&Hide hints", "&Tippek elrejtése", "&Hinweise ausblenden", "&Masquer les bulles d'aide",
        "Nascondi &suggerimenti", "&Ocultar dicas", "&Ocultar sugerencias")},
    {"menuStayOnTop", TextKind::Caption,
     Tr("Stay on &top", "Mindig &felül", "Immer im &Vordergrund", "Toujours au &premier plan",
        "Sempre in &primo piano", "Sempre no &topo", "Siempre &visible")},
};
static_assert(allLanguagesPresent(kTexts, [](const TextRow &row) -> const Tr & { return row.text; }),
              "every text needs its seven languages");

// The controls whose hints the Hide hints item turns off (ButtonQuizOK and BitBtnPlayRandom
// keep theirs).
const std::set<QString> &hintedControls()
{
    static const std::set<QString> names = [] {
        std::set<QString> set;
        for (const char *name :
             {"Editcaractere", "SpeedButtonRAZtext", "SpeedButtonRazMonitor", "SpeedButtonRAZrandom",
              "ButtonReplayText", "ButtonQuitter", "ButtonStop", "ButtonQuizStop", "ButtonPlayFile",
              "ButtonContinueFile", "ListAlphabet", "ListCodeQ", "ListAbreviations", "MemoRandom",
              "UpDownAmplitude", "SpeedButtonHP", "RadioButtonAlphabet", "RadioButtonCodeQ", "RadioButtonAbrev",
              "RadioButtonRandom", "RadioButtonFile", "RadioButtonQuiz", "RadioButtonMonitor", "OnairBox",
              "SpeedButtonNoise", "SpeedButtonNoiseFile", "SpeedButtonQSB", "SpeedButtonQSBFile",
              "SpeedButtonDrift", "SpeedButtonDriftFile", "SpeedButtonSaisie", "SpeedButtonSaisieFile",
              "EditDelay", "EditVitesse", "EditAmplitude", "CheckBoxAbortDelay", "Visage0", "VisageHo",
              "VisageHa", "VisageNoir", "BoxCaracteresChoix"})
            set.insert(QString::fromLatin1(name));
        return set;
    }();
    return names;
}

QAction *item(const char *name)
{
    return Form1 ? Form1->findChild<QAction *>(QString::fromLatin1(name)) : nullptr;
}

bool checked(const char *name)
{
    const QAction *action = item(name);
    return action && action->isChecked();
}

QWidget *control(const char *name)
{
    return WidgetNamed(Form1, name);
}

bool shown(const char *name)
{
    const QWidget *w = control(name);
    return w && !w->isHidden();
}

// The program's name of a control: its own, or that of the control it is a part of.
QString programName(const QWidget *w)
{
    for (; w && !w->isWindow(); w = w->parentWidget()) {
        const QString name = w->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")))
            return name;
    }
    return {};
}

// ---- Copy and paste -------------------------------------------------------------------------

// The four text boxes of copy and paste, each while its panel is shown.
std::vector<QWidget *> textBoxes()
{
    std::vector<QWidget *> boxes;
    const struct {
        const char *box;
        const char *panel;
    } candidates[] = {
        {"Editcaractere", nullptr},
        {"FileEdit", "PanelFile"},
        {"MemoRandom", "GroupBoxRandom"},
        {"MemoMonitor", "GroupBoxMonitor"},
    };
    for (const auto &c : candidates)
        if (QWidget *box = control(c.box); box && (!c.panel || shown(c.panel)))
            boxes.push_back(box);
    return boxes;
}

bool hasSelection(const QWidget *box)
{
    if (auto *line = qobject_cast<const QLineEdit *>(box))
        return line->hasSelectedText();
    if (auto *plain = qobject_cast<const QPlainTextEdit *>(box))
        return plain->textCursor().hasSelection();
    if (auto *rich = qobject_cast<const QTextEdit *>(box))
        return rich->textCursor().hasSelection();
    return false;
}

// The box's own copy and paste keep its line ends as the clipboard expects them.
void copyFrom(QWidget *box)
{
    QMetaObject::invokeMethod(box, "copy");
}

void pasteInto(QWidget *box)
{
    QMetaObject::invokeMethod(box, "paste");
}

// ---- The font -------------------------------------------------------------------------------

std::optional<QFont> dialogFont(const QFont &initial)
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, Form1);
    return ok ? std::optional(font) : std::nullopt;
}

// The text boxes that take the chosen font: those of the main window, the entry sheet's and
// the demo view's.
std::vector<QWidget *> fontBoxes(bool sideWindows)
{
    std::vector<QWidget *> boxes;
    for (const char *name : {"MemoRandom", "MemoMonitor", "FileEdit"})
        if (QWidget *box = control(name))
            boxes.push_back(box);
    if (sideWindows) {
        if (TSideForm *sheet = SideWindowAt(SideWindowPlace::EntrySheet))
            if (auto *box = sheet->findChild<QWidget *>(QStringLiteral("MemoSaisie")))
                boxes.push_back(box);
        if (TSideForm *demo = SideWindowAt(SideWindowPlace::DemoView))
            if (auto *box = demo->findChild<QWidget *>(QStringLiteral("MemoDemo")))
                boxes.push_back(box);
    }
    return boxes;
}

// ---- Keys of the settings file ---------------------------------------------------------------

void bindSettings()
{
    Settings().bind(
        "HINTS=",
        [](const std::string &value) {
            if (value == "0" && !checked("MenuHideHints"))
                ClickMenuItem(item("MenuHideHints"));
        },
        [](std::vector<std::string> &values) { values.push_back(checked("MenuHideHints") ? "0" : "1"); });
    Settings().bind(
        "FONT=",
        [](const std::string &value) {
            const std::optional<SavedFontFields> fields = ParseFontSetting(value);
            if (!fields)
                return;
            SavedFont = *fields;
            FontChosen = true;
            const QFont font = FontOfFields(SavedFont);
            for (QWidget *box : fontBoxes(false))
                box->setFont(font);
        },
        [](std::vector<std::string> &values) {
            values.push_back(FontChosen ? FontSettingValue(SavedFont) : std::string("NO"));
        });
    Settings().bind(
        "STAYONTOP=",
        [](const std::string &value) {
            if (value != "1")
                return;
            if (QAction *stay = item("menuStayOnTop")) {
                stay->setChecked(true);
                menuStayOnTopClick();
            }
        },
        [](std::vector<std::string> &values) { values.push_back(checked("menuStayOnTop") ? "1" : "0"); });
}

// ---- Events -----------------------------------------------------------------------------------

// Swallows the hints of the listed controls while hints are hidden, and the wheel over the
// main window's combo boxes (the lesson list of the choice panel pages with it).
class ToolsWatcher : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if ((event->type() != QEvent::ToolTip && event->type() != QEvent::Wheel) || !object->isWidgetType()
            || !Form1)
            return false;
        auto *w = static_cast<QWidget *>(object);
        if (w->window() != Form1)
            return false;
        if (event->type() == QEvent::ToolTip) {
            if (!checked("MenuHideHints") || !hintedControls().count(programName(w)))
                return false;
            event->accept(); // answered: no parent shows its own hint instead
            return true;
        }
        QComboBox *combo = qobject_cast<QComboBox *>(w);
        if (!combo)
            combo = qobject_cast<QComboBox *>(w->parentWidget());
        if (!combo)
            return false;
        if (combo->objectName() == QLatin1String("BoxCaracteresChoix") && shown("PanelChoixRandom"))
            turn(combo, static_cast<QWheelEvent *>(event)->angleDelta().y());
        return true;
    }

private:
    void turn(QComboBox *combo, int delta)
    {
        int &sum = turned_[combo];
        sum += delta;
        while (sum >= WheelNotch || sum <= -WheelNotch) {
            const bool away = sum > 0;
            sum += away ? -WheelNotch : WheelNotch;
            const int page = languageSources().lessonPage ? languageSources().lessonPage() : 1;
            const std::optional<LessonWheelStep> step = LessonWheel(combo->currentIndex(), page, away);
            if (!step)
                continue;
            if (step->page < 0 && !ClickNamed(Form1, "SpeedButtonChoixMoins"))
                continue;
            if (step->page > 0 && !ClickNamed(Form1, "SpeedButtonChoixPlus"))
                continue;
            if (step->index < combo->count())
                combo->setCurrentIndex(step->index);
        }
    }

    std::map<const QComboBox *, int> turned_;
};

} // namespace

// ---- The font's fields ---------------------------------------------------------------------

std::string FontSettingValue(const SavedFontFields &f)
{
    return f.name + "," + std::to_string(f.size) + "," + std::to_string(f.pixelsPerInch) + "," +
           std::to_string(f.height) + "," + std::to_string(f.charset) + "," + std::to_string(f.colour) + "," +
           std::to_string(f.pitch) + "," + std::to_string(f.style);
}

std::optional<SavedFontFields> ParseFontSetting(const std::string &value)
{
    // The key's own form: eight fields, each number in its range.
    const std::optional<std::string> valid = settings::KeptValue("FONT=", value);
    if (!valid || *valid == "NO")
        return std::nullopt;
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t comma; (comma = valid->find(',', start)) != std::string::npos; start = comma + 1)
        fields.push_back(valid->substr(start, comma - start));
    fields.push_back(valid->substr(start));
    auto number = [&fields](std::size_t i) { return *settings::ParseInt(fields[i]); };
    return SavedFontFields{fields[0], number(1), number(2), number(3), number(4), number(5), number(6), number(7)};
}

QFont FontOfFields(const SavedFontFields &f)
{
    QFont font(cp1252::toQString(f.name));
    font.setPointSize(f.size);
    if (f.pitch == 2) {
        font.setFixedPitch(true);
        font.setStyleHint(QFont::TypeWriter);
    }
    font.setBold(f.style & 1);
    font.setItalic(f.style & 2);
    font.setUnderline(f.style & 4);
    font.setStrikeOut(f.style & 8);
    return font;
}

SavedFontFields FieldsOfFont(const QFont &font, const SavedFontFields &kept)
{
    SavedFontFields f = kept;
    // The name ends at the first "," in the file, and must be Windows-1252.
    QString family = font.family();
    family.remove(QLatin1Char(','));
    f.name = cp1252::fromQString(family).substr(0, 64);
    if (f.name.empty())
        f.name = "Arial";
    f.size = std::clamp(font.pointSize() > 0 ? font.pointSize() : int(RoundHalfEven(font.pointSizeF())), 1, 1000);
    f.pixelsPerInch = ScreenPixelsPerInch > 0 ? std::min(ScreenPixelsPerInch, 10000) : 96;
    f.height = -int(RoundHalfEven(double(f.size) * f.pixelsPerInch / 72.0));
    f.pitch = font.fixedPitch() ? 2 : 1;
    f.style = (font.bold() ? 1 : 0) | (font.italic() ? 2 : 0) | (font.underline() ? 4 : 0) | (font.strikeOut() ? 8 : 0);
    return f;
}

std::function<std::optional<QFont>(const QFont &initial)> &FontChooser()
{
    static std::function<std::optional<QFont>(const QFont &)> chooser = dialogFont;
    return chooser;
}

std::optional<LessonWheelStep> LessonWheel(int index, int lessonPage, bool awayFromUser)
{
    const int last = LessonsPerPage - 1;
    if (awayFromUser) {
        if (index > 0)
            return LessonWheelStep{index - 1, 0};
        if (lessonPage >= 2)
            return LessonWheelStep{last, -1};
        return std::nullopt;
    }
    if (index < last)
        return LessonWheelStep{index + 1, 0};
    if (lessonPage < LessonPages)
        return LessonWheelStep{0, 1};
    return std::nullopt;
}

// ---- Handlers ---------------------------------------------------------------------------------

void menuCopierClick()
{
    for (QWidget *box : textBoxes()) {
        if (hasSelection(box)) {
            copyFrom(box);
            return;
        }
    }
    ShowProgramMessage(MsgNothingToCopy());
}

void MenuCollerClick()
{
    // The box that has the window's focus (the window is the active one while its menu is used).
    const QWidget *focus = Form1 ? Form1->focusWidget() : nullptr;
    for (QWidget *box : textBoxes()) {
        if (box == focus || (focus && box->isAncestorOf(focus))) {
            pasteInto(box);
            return;
        }
    }
}

void MenuHideHintsClick()
{
    // The item's check mark is the state; the watcher reads it at every hint.
    QToolTip::hideText();
}

void MenuPoliceClick()
{
    if (!Form1)
        return;
    if (!Form1->MenuAgrandir100->isChecked()) {
        ShowProgramMessage(MsgFontNeedsScale100());
        return;
    }
    const QWidget *memo = control("MemoRandom");
    const std::optional<QFont> font = FontChooser()(memo ? memo->font() : QApplication::font());
    if (!font)
        return;
    for (QWidget *box : fontBoxes(true))
        box->setFont(*font);
    SavedFont = FieldsOfFont(*font, SavedFont);
    FontChosen = true;
}

void menuStayOnTopClick()
{
    if (!Form1)
        return;
    const bool onTop = checked("menuStayOnTop");
    if (bool(Form1->windowFlags() & Qt::WindowStaysOnTopHint) == onTop)
        return;
    // Changing the window's flags hides it: show it again where it was.
    const bool visible = Form1->isVisible();
    Form1->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (visible)
        Form1->show();
}

void MenuDebugClick()
{
    if (QWidget *label = control("Label4"))
        label->show();
}

void BuildToolsUtilities(TForm1 &form)
{
    FontChosen = false;
    SavedFont = {};

    QMenu *tools = form.MenuOutils;
    QAction *quit = form.MenuOutilsQuit;
    auto add = [&](const char *name, const char *caption, bool checkable, void (*handler)()) {
        auto *action = new QAction(QString::fromLatin1(caption), tools);
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(checkable);
        tools->insertAction(quit, action);
        QObject::connect(action, &QAction::triggered, action, [handler] { handler(); });
        return action;
    };
    add("menuCopier", "&Copy", false, menuCopierClick);
    add("MenuColler", "&Paste", false, MenuCollerClick);
    tools->insertSeparator(quit);
    add("MenuPolice", "&Font...", false, MenuPoliceClick);
    add("MenuHideHints", "&Hide hints", true, MenuHideHintsClick);
    add("menuStayOnTop", "Stay on &top", true, menuStayOnTopClick);
    tools->insertSeparator(quit);

    // The decoder's debug label stays hidden until the debug keys show it.
    if (QWidget *label = form.findChild<QWidget *>(QStringLiteral("Label4")))
        label->hide();
    // Hidden: only its keys reach it.
    auto *debug = new QAction(&form);
    debug->setObjectName(QStringLiteral("MenuDebug"));
    debug->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_M));
    form.addAction(debug);
    QObject::connect(debug, &QAction::triggered, debug, [] { MenuDebugClick(); });

    RegisterMainWindowTexts(kTexts);
    bindSettings();
    form.setMaximumSize(LargestWindow, LargestWindow);
    qApp->installEventFilter(new ToolsWatcher(&form));
}
