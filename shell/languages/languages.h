#pragma once

// The seven languages of the interface.
//
// How it works
// - Every translation is a literal inside the program: one `Tr` row per text holding its
//   seven languages in the `Language` order (English, Magyar, Deutsch, Francais, Italiano,
//   Portugues, Espanol). `Tr` has exactly one constructor with seven arguments, so a row
//   that lacks a language does not compile. Literals are UTF-8 in the source; texts that go
//   to 8-bit files must stay encodable in Windows-1252 (no ő/ű: the Hungarian texts use
//   ö/ü as the program always did).
// - The current language is one atomic index, mirrored by the check marks of the seven
//   `Language1` items. The tables are constant, so any thread may read a text at any time.
// - Message texts are functions of messages.h (`MsgConfirmQuit()` ...): they read the
//   current language at the moment the message is shown.
//
// Adding the texts of a new main-window control (later modes)
//   A module keeps its rows in a `constexpr TextRow[]` of its own file (mainwindowtexts.h)
//   and calls RegisterMainWindowTexts(rows) once when it builds its controls; the shell's
//   own controls have their rows in the table in mainwindowtexts.cpp. A row reads:
//     { "ObjectName", TextKind::Caption, Tr("English", "Magyar", "Deutsch", "Français",
//                                           "Italiano", "Português", "Español") },
//   `Caption` sets the text of a button, label, check box, line edit or action, the title of
//   a group box or menu; `Hint` sets the tool tip; `Item` with an index sets one row of a
//   list box, combo box or radio group (`{"ListAlphabet", TextKind::Item, 30, Tr(...)}`).
//   Rows are applied by object name on the main window in table order at every switch;
//   a row whose control does not exist yet is skipped, so rows may come before controls.
//   A caption that depends on the program's state belongs in RefreshStateCaptions (or in
//   a function registered with OnLanguageSwitch), not in the table.
//
// Adding the texts of a side window
//   Derive the window from its Qt class and then from `LanguageAware` (in that order, so
//   the widget exists when LanguageAware(this) runs), keep its texts as
//   `static constexpr Tr` rows in its own file, and write them in `retranslate()` with
//   `Pick(row)`. `retranslate()` runs each time the window is shown and at every switch
//   while it is visible (the window is not hidden for it).
//
// Hooking the start-up, the settings file and the command line
//   - TForm1's constructor, once the `Language1` items exist: InstallLanguages(this).
//   - `LANGUAGE=` (shellsettingskeys.cpp) and the command line click ClickLanguageLetter(x)
//     and write LanguageLetter(CurrentLanguage()).
//   - Creation step 11: English1Click(); step 19: ApplyStartupLanguage().
//   - End of the creation handler: RefreshStateCaptions().

#include "engine/timing.h"

#include <QPointer>
#include <QWidget>
#include <QString>

#include <functional>
#include <optional>

class QListWidgetItem;
class QMainWindow;
class QObject;

enum class Language : int { English, Magyar, Deutsch, Francais, Italiano, Portugues, Espanol };
constexpr int LanguageCount = 7;

// One text in the seven languages.
struct Tr
{
    const char *text[LanguageCount];

    constexpr Tr(const char *en, const char *hu, const char *de, const char *fr, const char *it,
                 const char *pt, const char *es)
        : text{en, hu, de, fr, it, pt, es}
    {
    }
    constexpr const char *operator[](Language language) const { return text[static_cast<int>(language)]; }
};

// A text that every language writes alike (a name, a code, a unit, a signal line): the row
// itself says that it needs no translation.
constexpr Tr Alike(const char *text)
{
    return Tr(text, text, text, text, text, text, text);
}

// The program's name, the title of its small windows.
inline constexpr Tr ProgramNameText = Alike("KESTRELON");

// True when every language of every row is present and not empty; the tables assert it at
// compile time.
template <typename Rows, typename Get> constexpr bool allLanguagesPresent(const Rows &rows, Get get)
{
    for (const auto &row : rows) {
        const Tr &tr = get(row);
        for (const char *text : tr.text)
            if (text == nullptr || text[0] == '\0')
                return false;
    }
    return true;
}

// The language of the last switch; English while none is checked (during start-up's
// re-click). Both are safe on any thread: they read the index, not the menu.
Language CurrentLanguage();
bool LanguageChecked(Language language);
// The current language's text of a row, and a given language's.
QString Pick(const Tr &row);
QString PickIn(const Tr &row, Language language);

// Sees every row a text is picked from, on the thread that picks it (null: none). A check of
// the translations learns from it which words the tables give unchanged from English.
using PickWatcher = void (*)(const Tr &row);
void WatchPicks(PickWatcher watcher);

// Letters of `LANGUAGE=` and of the command-line switches: E M D F I P S.
char LanguageLetter(Language language);
std::optional<Language> LanguageFromLetter(char letter); // either case
// "kestrelon_en.chm" ...: the help file of a language, and its path in the program folder.
QString LanguageHelpFileName(Language language);
QString CurrentHelpFile();
// The main window's title line of a language.
QString TitleLine(Language language);

// Remembers the main window and sets up its seven `Language1` items (caption, shortcut,
// checkable, handler). Items that do not exist are skipped.
void InstallLanguages(QMainWindow *mainWindow);
QMainWindow *LanguageMainWindow();

// The seven menu handlers: one switch. Choosing the checked language changes nothing (the
// item's check mark decides, as start-up unchecks English before clicking it again).
void LanguageMenuClick(Language language);
void English1Click();
void Magyar1Click();
void Deutsch1Click();
void Francais1Click();
void Italiano1Click();
void Portugues1Click();
void Espagnol1Click();

// Clicks the item of a letter; false (nothing done) for a letter of no language.
bool ClickLanguageLetter(char letter);

// Start-up step 19: when English is still checked, uncheck it and click it again so that
// the English texts replace the design-time texts.
void ApplyStartupLanguage();

// The state-dependent captions: the local-characters page's full label, the real-speed
// label and hint, the summaries, then every mode's own (OnLanguageSwitch: replay/resume,
// hide/show, lesson set, quiz occurrence, audio group, mode title, ...). Run at every switch;
// start-up calls it once more at the end of creation, whatever the language, because settings
// read after the switch change the state these captions show.
void RefreshStateCaptions();

// Values owned by parts built elsewhere, read by captions that show them. Each owner sets its
// function once; the defaults stand for a program without that part.
struct LanguageSources
{
    std::function<int()> lessonPage; // `LessonPage` (default: 1)
    // The timing model that holds the speed and spacing (default: one at its defaults).
    std::function<const Timing *()> timing;
};
LanguageSources &languageSources();

// The timing the captions show: the source's, else one at its defaults.
const Timing &CaptionTiming();
// `TxtRealSpeed` of a language followed by the timing's real speed ("12.0").
QString RealSpeedText(const Timing &timing, Language language);

// The mode title of a random-set item: its caption without the first "&", after one blank.
QString ModeTitleFromCaption(const QString &caption);
// The mode title of a chosen lesson: "Lesson #45 (Koch)", "Lecke #45 (helyi)"; lessons are
// listed 20 to a page.
QString LessonModeTitle(int selectedIndex, int lessonPage, bool koch, Language language);

// Functions run at the end of every switch and of RefreshStateCaptions, after the
// summaries: texts of the main window that modes build from their own state
// (`UpdatePlayRandomHint`, ...).
void OnLanguageSwitch(std::function<void()> refresh);
// The same for as long as `owner` lives (a window's own texts).
void OnLanguageSwitch(QObject *owner, std::function<void()> refresh);
// Functions run at every switch once the main window's texts are written, before the side
// windows and the state captions, for as long as `owner` lives: what a mode offers only in
// some languages (the exam, in French only).
void OnLanguageChosen(QObject *owner, std::function<void(Language)> apply);

// A side window that translates itself. The window's texts are written by retranslate()
// when it is shown and at every switch while it is visible.
class LanguageAware
{
public:
    explicit LanguageAware(QWidget *window);
    virtual ~LanguageAware();
    LanguageAware(const LanguageAware &) = delete;
    LanguageAware &operator=(const LanguageAware &) = delete;

    virtual void retranslate() = 0;
    QWidget *languageWindow() const { return window_; }

private:
    QPointer<QWidget> window_;
    QPointer<QObject> showWatcher_;
};

// Runs retranslate() of every visible side window.
void RefreshVisibleSideWindows();

// Writing texts into controls of any kind.
// "\r\n" (and a lone "\r") become line breaks; labels drop the access-key "&" and show
// "&&" as "&".
QString ForDisplay(const QString &text);
void SetCaption(QObject *control, const QString &text);
void SetHint(QObject *control, const QString &text);
void SetItemText(QObject *control, int index, const QString &text);
// The caption of a control as its user reads it (access-key "&" removed), and as stored.
QString CaptionOf(const QObject *control);
QString WithoutAccessKeys(const QString &text);
QString CaptionOfRaw(const QObject *control);
// A control that shows a value rather than wording (a device's name, the user's own text, a
// measurement, a code): no language changes it, and a check of the translations leaves its
// texts alone. A list row the same, by its item.
void MarkAsValue(QObject *control);
bool ShowsValue(const QObject *control);
void MarkAsValue(QListWidgetItem *row);
bool ShowsValue(const QListWidgetItem *row);

// A control of the main window by object name, or null.
QObject *MainWindowControl(const char *objectName);
