#pragma once

// The program's own message box: every message and every Yes/No question of the program is
// shown in this one small window. Each request waits for its own answer in a nested event
// loop; a request made while another is open is shown after it.

#include "engine/timing.h"
#include "shell/languages/languages.h"
#include "shell/sidewindows.h"

#include <QString>

#include <string>

class QCheckBox;
class QLabel;
class QPushButton;

class TFormDialog : public TSideForm, public LanguageAware {
    Q_OBJECT
public:
    explicit TFormDialog(QWidget *parent = nullptr);

    // Design metrics (96 pixels per inch, 100 %).
    static constexpr int DesignWidth = 414;
    static constexpr int DesignHeight = 160;
    static constexpr int LabelWidth = 329;
    static constexpr int FontPixels = 13;

    QLabel *LabelDialog;
    QLabel *Image1;       // question picture
    QLabel *ImageWarning; // information and warning picture
    QPushButton *ButtonYes;
    QPushButton *ButtonNo;
    QPushButton *ButtonOK;
    QCheckBox *CheckBoxWarningFile;

    void ButtonYesClick();
    void ButtonNoClick();
    void ButtonOKClick();

    // Lays the window out for `DialogText`, or for a text given as it is (captions, position,
    // growth by line count).
    void FormShow();
    void FormShow(const QString &text);
    // The captions in the checked language: at each showing, and at a switch while a message
    // or question is open.
    void retranslate() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
};

// The message box window; nullptr until its first use or the end of start-up.
extern TFormDialog *FormDialog;

// The message box, created on first use: messages raised early in start-up, before the
// side windows exist, are shown too.
TFormDialog *DialogWindow();

// Text shown (Windows-1252) and answer of the request on screen: -1 pending, 1 Yes, 0 No, OK
// or closed. After a question returns, DialogResult holds its answer; after a message, -1.
extern std::string DialogText;
extern int DialogResult;

// Set once the user ticked "Do not show this warning anymore" (settings key WARNANSI=).
extern bool WarnAnsiShown;

// Set while a quit from outside runs (signal, logout), and once a quit waits for the end of
// start-up: messages go to the standard error and questions are answered No at once, since
// nobody may be there to answer.
extern bool MessagesToStandardError;

// Shows a message with an OK button and returns when the user has closed it. Texts are
// Windows-1252 (engine strings); CR LF, CR or LF break lines. A quit ends the messages and
// questions on screen or waiting (EndWaitsForQuit, shell/utilities.h): each is answered 0
// (No, or closed) and its caller returns; with MessagesToStandardError set its text goes to
// the standard error.
void ShowProgramMessage(const std::string &text);
void ShowProgramMessage(const char *text);
void ShowProgramMessage(const QString &text);

enum class QuestionPicture { Question, Warning };

// Asks a Yes/No question and returns its answer: 1 Yes, 0 No or closed.
int AskProgramQuestion(const std::string &text, QuestionPicture picture = QuestionPicture::Question);
int AskProgramQuestion(const QString &text, QuestionPicture picture = QuestionPicture::Question);

// The warning with the "Do not show this warning anymore" box: shown only while
// WarnAnsiShown is clear; ticking the box sets it.
void ShowAnsiWarning(const std::string &text);
void ShowAnsiWarning(const QString &text);

// Lines the text takes in the label (word wrap at `width` pixels, line breaks kept);
// an empty text has 0 lines.
int CountDialogLines(const QString &text, const QFont &font, int width);
// The text as the label shows it: line ends made one, and a line break put before a web
// address that the wrapping would cut.
QString DialogShownText(const QString &text, const QFont &font, int width);

// The window's layout for a number of text lines: everything below the text moves down by
// the growth, the pictures by half of it (rounded half to even).
struct DialogLayout {
    int windowHeight;
    int labelHeight;
    int pictureTop;
    int buttonTop;
    int checkBoxTop;
};
DialogLayout ComputeDialogLayout(int lines, int fontPixels);

// Layout numbers round with the engine's RoundHalfEven (nearest, halves to even).
