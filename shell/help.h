#pragma once

// Help: one HTML page per help context number and a contents page, in each language,
// compiled in (resources/help.qrc, ":/help/kestrelon_<xx>/<n>.html" beside the language's
// help file name) and shown in the program's help window. A page missing in the chosen
// language is shown in English; a page missing altogether shows a "not found" page in the
// window, never a message.
//
// Where help is asked for:
//  - the Help menu item and F1 on the main window: the page of the visible mode area;
//  - the "?" buttons of the main window's panels: their owners only name them (the table in
//    help.cpp); the help module connects each one by its name when it is first shown, so a
//    panel built later needs no call here. Code clicks them with HelpButtonClick(name);
//  - a right press on a mode radio button: that mode's page;
//  - F1 in a side window (the stand-in for the title-bar "?", which Linux window managers
//    do not draw): the side window's page (the drift window shows its picture window).
//  Other windows with a help item of their own (games, beacon) call ShowHelpContext(n) with
//  a number of HelpContextsUsed.

#include "shell/languages/languages.h"

#include <QRect>
#include <QString>
#include <QTextBrowser>
#include <QWidget>

#include <functional>
#include <span>

class QPushButton;
class TForm1;

// The contents page.
inline constexpr int HelpContents = 0;
// Every context number the program opens; each has a page in every language.
inline constexpr int HelpContextsUsed[] = {1,  3,  5,  6,  9,  12, 13, 14, 15, 16, 17, 19,
                                           22, 25, 26, 27, 29, 30, 31, 32, 33, 34, 35};

// ":/help/kestrelon_fr" (the language's help file name without its extension).
QString HelpFolder(Language language);
// ":/help/kestrelon_fr/22.html"; the contents page is "index.html".
QString HelpPagePath(Language language, int context);

// Opens the help window at a context (HelpContents for the contents) in the current language.
void ShowHelpContext(int context);
void ShowHelpContents();

// The context of the Help menu for the main window as it is: the first visible of the
// random groups (15), the monitor (30), the quiz (22) and the file panel (9); else the contents.
int MenuHelpContext(TForm1 &form);
void MenuHelpClick();

// The context of a "?" button, a mode radio button's right press or a side window's F1, by
// object name; -1 for none.
int HelpButtonContext(const QString &objectName);
int ModeButtonHelpContext(const QString &objectName);
int SideWindowHelpContext(const QString &objectName);
// A "?" button of a panel at its design place; `name` is one of the help table's, which
// connects it when it is first shown. A screen reader names it after its `topic` (below).
QPushButton *NewHelpButton(QWidget *parent, const char *name, const QRect &geometry,
                           const QObject *topic = nullptr);
// A screen reader names a "?" button after the help and its topic ("Help (Speed)"): `topic`
// is the label, title or menu whose caption says what the page is about.
void NameHelpButton(QWidget *button, const QObject *topic);
// Runs what the "?" button or launcher of that name does; false for a name of no such button.
bool HelpButtonClick(const QString &objectName);
// F1 in a side window: its page, or for the drift window its picture window.
void SideWindowHelp(const QString &objectName);

// Launchers of this part: the random-choice help card shown or hidden, the desktop's volume
// control (the usual Linux mixers in turn, then the desktop's sound settings; nothing is said
// when none is there), the interface schematics picture "pc_tx.bmp" of the data folder (the
// program's own drawing when the user has none there), the about box.
void SpeedButtonHelpChoixRanomClick();
void SpeedButtonHPClick();
void MenuSchematicsClick();
void About1Click();

// Opens an address or a file with the desktop's default handler; the result is not checked.
// Replaceable, so tests see what would be opened.
void ShellOpen(const QString &target);
extern std::function<void(const QString &target)> ShellOpenHandler;
// The volume-control programs tried in turn (a program and its arguments); tests replace it.
extern std::function<bool(const QString &program, const QStringList &arguments)> StartDetachedHandler;

// The Help menu's items (help, about box, schematics, the release check's option) and the
// watchers that connect the "?" buttons, the mode buttons and the side windows' F1.
void BuildHelpMenu(TForm1 &form);

// The program's help window.
class THelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    using QTextBrowser::QTextBrowser;

protected:
    // A page missing in the chosen language comes in English, a page missing in English too
    // shows the "not found" page.
    void doSetSource(const QUrl &name, QTextDocument::ResourceType type) override;
};

class THelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit THelpWindow(QWidget *parent = nullptr);

    THelpBrowser *HelpBrowser;
    QPushButton *ButtonHelpContents;
    QPushButton *ButtonHelpBack;

    // Shows the page of a context in a language and brings the window up.
    void showContext(int context, Language language);
    // The context on show (-1 for the "not found" page).
    int shownContext() const { return shown_; }

private:
    void updateTexts();
    int shown_ = HelpContents;
    Language language_ = Language::English;
    friend class THelpBrowser;
};

// The help window, created on first use (a window of the main window when there is one).
THelpWindow *HelpWindow();
// The help window if it exists.
THelpWindow *ExistingHelpWindow();
