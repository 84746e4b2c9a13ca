#pragma once

// The quiz module's controls and state, shared by its files (quiz.cpp: the series and its
// handlers; quizpanel.cpp: the panel, menus, faces, keys and settings; quizreport.cpp: the
// report window).

#include "training/quiz.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>

#include <array>
#include <functional>
#include <span>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QMenu;
class QTimer;
struct TextRow;

// PLAY: a left press with Ctrl held opens the count-down menu instead of a click.
class QuizOKButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void mousePressEvent(QMouseEvent *event) override;
};

// The answer-time up-down: positions 1..23 shown as their captions in its edit EditDelay.
class DelaySpinBox : public QSpinBox {
    Q_OBJECT
public:
    using QSpinBox::QSpinBox;

protected:
    QString textFromValue(int value) const override;
    int valueFromText(const QString &text) const override;
    QValidator::State validate(QString &text, int &pos) const override;
};

struct QuizModule {
    QPointer<TForm1> form;
    quiz::Core core;
    std::function<QDateTime()> reportClock;

    // The panel
    QGroupBox *QuizGroupBox = nullptr;
    QLabel *LabelQuizCaracters = nullptr;
    QLineEdit *EditCaractersQuiz = nullptr;
    QPushButton *ButtonChangeLessonQuiz = nullptr;
    QLabel *LabelOccurence = nullptr;
    QuizOKButton *ButtonQuizOK = nullptr;
    QPushButton *ButtonQuizStop = nullptr;
    QPushButton *ButtonQuizHelp = nullptr;
    std::array<QLabel *, 3> ImageChronoQuiz{};
    QLabel *QuizLabel = nullptr;
    QLineEdit *EditReponseQuiz = nullptr;
    QLineEdit *EditRandomQuiz = nullptr; // hidden: the question
    QLabel *Visage0 = nullptr;
    QLabel *VisageHa = nullptr;
    QLabel *VisageHo = nullptr;
    QLabel *VisageNoir = nullptr;
    QLabel *LabelDelay = nullptr;
    DelaySpinBox *UpDownDelay = nullptr;
    QLineEdit *EditDelay = nullptr;
    QLabel *LabelQuizNumber = nullptr;
    QSpinBox *SpinEditQuizNumber = nullptr;
    QCheckBox *CheckBoxVitMod = nullptr;
    QCheckBox *CheckBoxDelayAdjust = nullptr;
    QCheckBox *CheckBoxAbortDelay = nullptr;
    QGroupBox *GroupBoxQuiz = nullptr;
    QLineEdit *EditMark = nullptr;
    QPushButton *ButtonMark = nullptr;
    QLabel *LabelRevise = nullptr;
    QLineEdit *EditRevise = nullptr;
    QPushButton *ButtonDetailedReport = nullptr;
    QPushButton *ButtonResetReport = nullptr;
    QLabel *Label10 = nullptr; // hidden: the right-answer streak

    // Menu items (the Tools menu) and the count-down pop-up of PLAY
    QAction *MenuQUIZdelaiOK = nullptr;
    std::array<QAction *, 4> DelaiOKItems{}; // menuQUIZdelaiOK00 .. MenuQuizDelaiOK30
    QMenu *PopQuizOK = nullptr;
    std::array<QAction *, 4> PopQuiz{};
    QAction *MenuQuizReprise = nullptr;
    std::array<QAction *, 4> RepriseItems{}; // MenuReprise0s .. MenuReprise3s
    QAction *MenuQuizErreur = nullptr;
    QAction *MenuQuizPseudorandom = nullptr;
    QAction *MenuMaskReport = nullptr;
    QAction *UpDelai = nullptr;
    QAction *DownDelai = nullptr;

    // TimerFinQuiz ends a series half a second after its last judgement; TimerQuizWait runs
    // the quiz's other waits (the count-down's seconds, the pause after a wrong answer, the
    // quarter second before an early judgement), one at a time.
    QTimer *TimerFinQuiz = nullptr;
    QTimer *TimerQuizWait = nullptr;
    std::function<void()> afterWait;
    // Every stop, mode change and new wait moves it on: a continuation of an older one does
    // nothing.
    unsigned generation = 0;
    bool waitCursor = false;
    bool countingDown = false;
    bool markHidden = false; // EditMark painted in its font colour
};

QuizModule &QuizModuleState();

// Building (quizpanel.cpp)
void BuildQuizPanel(QuizModule &m);
void BuildQuizMenus(QuizModule &m);
void BindQuizSettings(QuizModule &m);
// Enter on the answer field and on PLAY and Stop (the main window's key table).
void AddQuizKeyRoutes();
std::span<const TextRow> QuizTextRows();

// Shared helpers (quiz.cpp)
enum class Face { Neutral, Right, Wrong };
void ShowFace(Face face);
// The count-down chosen before the first question, in seconds (0..3).
int QuizCountdownSeconds();
// The pause chosen after a wrong answer, in seconds (0 = OFF).
int QuizPauseSeconds();
// LabelOccurence as the equal-occurrence item has it.
void UpdateOccurrenceLabel();
// The quiz mode is the checked mode.
bool QuizModeChecked();
// Enter's action: Stop while it is shown, else PLAY while it is shown; true when one acted.
bool QuizStopOrPlay();
// A click on one of the four faces.
void QuizFaceClick(QLabel *face);
