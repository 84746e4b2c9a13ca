#pragma once

// Two small side windows of the practice modes.
//  - The entry sheet FormSaisie: a free memo where the learner writes down what the random
//    groups or the file text play, with Esc and Enter starting and stopping the playing
//    without leaving the sheet. Toggled by the Tools menu's MenuSaisie (kept as SHEET=), shown
//    by the pencil buttons of the random box and the file panel, and by those modes when they
//    are entered while MenuSaisie is checked.
//  - The random-choice help card FormhelpChoixRandom: what the character and lesson choice of
//    the random groups means, with the way to the full help page. Its button on the choice
//    panel (SpeedButtonHelpChoixRanom) shows and hides it through the help module.

#include "shell/languages/languages.h"
#include "shell/sidewindows.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class TForm1;

// ---- The sheet's keys, free of widgets ------------------------------------------------------

enum class SheetKey { PassThrough, StopRandom, PlayRandom, StopText, AskQuit };

// What Esc or Enter in the sheet does. `enterStops`: MenuDiversEnter is checked;
// `randomPlaying`: random groups are being played; `randomMode`: RadioButtonRandom is checked;
// `stopVisible`: the main window's Stop button is shown. Any other key passes through, and so
// does Enter while it stops nothing and starts nothing (a line break).
SheetKey SheetKeyAction(bool escape, bool enter, bool enterStops, bool randomPlaying, bool randomMode,
                        bool stopVisible);

// ---- The windows --------------------------------------------------------------------------------

class TFormSaisie : public TSideForm, public LanguageAware {
    Q_OBJECT
public:
    explicit TFormSaisie(QWidget *parent = nullptr);

    QPlainTextEdit *MemoSaisie;

    // The first showing places the sheet beside the main window's practice area (held to the
    // screen); every showing gives the memo the random memo's font.
    void FormShow();
    void retranslate() override;
    // Esc and Enter in the memo; true when the key was used (and is consumed).
    bool MemoSaisieKeyPress(bool escape, bool enter);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool placed_ = false;
};

class TFormhelpChoixRandom : public TSideForm, public LanguageAware {
    Q_OBJECT
public:
    explicit TFormhelpChoixRandom(QWidget *parent = nullptr);

    QLabel *Label1; // the lesson box's hint
    QLabel *Label2; // TxtLessonSetHint
    QPushButton *ButtonHelp;
    QPushButton *ButtonOK;

    void retranslate() override;
    // The help page of the random choice (as the window's help key).
    void ButtonHelpClick();
    void ButtonOKClick();
};

extern TFormSaisie *FormSaisie;
extern TFormhelpChoixRandom *FormhelpChoixRandom;

// MenuSaisie: checks itself and shows the sheet while the random box or the file panel is
// visible, or unchecks itself and hides the sheet.
void MenuSaisieClick();
// The pencil buttons SpeedButtonSaisie and SpeedButtonSaisieFile.
void SpeedButtonSaisieClick();
// A practice mode entered (random groups, a file text loaded): the sheet comes while
// MenuSaisie is checked.
void ShowEntrySheetWhenChecked();

// The module's build (the program's module list): the menu item, the pencil buttons, the
// help card's button, SHEET=, the texts and the two windows' makers.
void BuildEntrySheetModule(TForm1 &form);
