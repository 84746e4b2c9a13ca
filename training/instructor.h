#pragma once

// Instructor mode: the window FormInstructor, opened from the Tools menu's MenuInstructor,
// where an instructor locks four options of the main window (masked file text, masked random
// groups, fixed speed, fixed pitch) behind a password of their own. The locks themselves, and
// how every way to a locked option refuses it, are the shell's (shell/instructorlock.h); this
// module owns the window, the password and their settings keys (MDPINT=, INSTMF=, INSTMR=,
// INSTFN=, INSTFS=).

#include "shell/languages/languages.h"
#include "shell/sidewindows.h"

#include <array>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TForm1;
class WrappingCheckBox;

// ---- The password's rule, free of widgets ---------------------------------------------------

enum class InstructorAnswer {
    NoPassword,    // none exists and none was typed: nothing changes
    WrongPassword, // nothing changes
    Applied,       // the boxes are the locks now (a first password has been created)
    Inhibited,     // every lock off and the password erased
};

// The window's OK on the stored password (Windows-1252 bytes; empty: none yet) and the typed
// one, compared exactly. Creates or erases `password` as the answer says.
InstructorAnswer InstructorOK(std::string &password, const std::string &typed, bool inhibit);

// ---- The window --------------------------------------------------------------------------------

class TFormInstructor : public TSideForm, public LanguageAware {
    Q_OBJECT
public:
    explicit TFormInstructor(QWidget *parent = nullptr);

    QCheckBox *CheckBoxMaskedFile;
    QCheckBox *CheckBoxMaskedRandom;
    QCheckBox *CheckBoxFixedSpeed;
    QCheckBox *CheckBoxFixedNote;
    WrappingCheckBox *CheckBoxInhibitInstructor;
    QLabel *LabelMotPasse;
    QLineEdit *EditPassword; // accepts only characters that Windows-1252 can store
    QLabel *LabelPassword;   // "Please create a password ...", hidden until needed
    QLabel *LabelIncorrectPassword;
    QPushButton *BitBtnOK;
    QPushButton *BitBtnCancel;

    // The boxes show the locks in force, the warnings are hidden, the edit is empty and the
    // boxes are noted for Cancel.
    void FormShow();
    void retranslate() override;
    void BitBtnOKClick();
    // The boxes as they were when the window was shown; nothing applied.
    void BitBtnCancelClick();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override; // FormClose: Cancel

private:
    std::array<QCheckBox *, 4> lockBoxes() const;
    std::array<bool, 4> snapshot_{};
};

extern TFormInstructor *FormInstructor;

// The password (Windows-1252; empty while none exists).
std::string &InstructorPassword();

// MenuInstructor: shows the window.
void MenuInstructorClick();

// The module's build (the program's module list): the menu item, the settings keys, the texts
// and the window's maker.
void BuildInstructorModule(TForm1 &form);
