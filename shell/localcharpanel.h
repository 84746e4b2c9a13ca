#pragma once

// The local-character editor PanelLocalCharacters: the user creates, modifies and deletes up
// to 26 characters of their own, each with a code of up to 10 signs and a comment, on the
// main window's code table and character sets. Reached by the Tools menu item
// MenuLocalCharacters.

#include <QFrame>

#include <string>

class QAction;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;
class TForm1;

class TPanelLocalCharacters : public QFrame {
    Q_OBJECT
public:
    explicit TPanelLocalCharacters(TForm1 &form);

    QLabel *LabelLocalCharacters; // the title
    QLabel *LabelLocalCaractere;
    QLineEdit *EditLocalCharacter; // one character, lower case
    QLabel *LabelLocalCode;
    QLineEdit *EditLocalCode; // up to 10 dots and dashes
    QLabel *LabelLocalComment;
    QLineEdit *EditLocalComment; // up to 22 characters
    QGroupBox *RadioGroupLocal;  // "Action"
    QRadioButton *RadioButtonLocalCreate;
    QRadioButton *RadioButtonLocalDelete;
    QRadioButton *RadioButtonLocalModify;
    QPushButton *ButtonLocalCaractereEnter;
    QPushButton *ButtonLocalCaractereExit;
    QPushButton *ButtonLocalCharacterHelp;
    QLabel *LabelLocalWarning;
    QLabel *LabelLocalPlein; // MsgLocalCharactersFull while the 26 places are taken
    QAction *MenuLocalCharacters;

    // Handlers.
    void MenuLocalCharactersClick();
    void EditLocalCharacterChange();
    void EditLocalCodeChange();
    void ButtonLocalCaractereEnterClick();
    void ButtonLocalCaractereExitClick();

private:
    void setActions(bool create, bool remove, bool modify);
    void checkAction(QRadioButton *button); // null: none checked
    void clearEdits();
    void updateFullLabel();
    void blinkWarning();
    void showWarningRed(bool red);
    void enterCreate(unsigned char character, const std::string &code, const std::string &comment);
    void localCharactersChanged();

    TForm1 &form_;
    QButtonGroup *actions_;
    QTimer *blink_;
    int blinkSteps_ = 0;
    // Counts the panel's closings: a question still open when the panel is closed creates
    // nothing on its answer.
    int generation_ = 0;
};

// Builds the panel (hidden) and its menu item on the main window.
TPanelLocalCharacters *BuildLocalCharacterPanel(TForm1 &form);

// The panel while the main window exists, else null.
TPanelLocalCharacters *LocalCharacterPanel();

// The character list's rows of the local characters (ListAlphabet items 97 to 122) show the
// model's lines; a list that does not exist yet is left alone.
void ShowLocalCharacterLines(TForm1 &form);
