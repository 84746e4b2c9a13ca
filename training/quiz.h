#pragma once

// The quiz: one character of the active character set at a time (Form1->EngineSets), sent and
// then answered in the answer field within the answer time; the answer is judged, a face and
// the score shown, the speed and answer time adapted to the learner's streaks, the characters
// to revise listed, and each character's results kept for the report window (FormReport).
// The rules are plain C++ (training/quizcore.h); this module is their window.

#include "shell/sidewindows.h"
#include "training/quizcore.h"

#include <QDateTime>

#include <functional>

class QObject;
class TForm1;

// The quiz report window; BuildQuizReportWindow fills it.
class TFormReport : public TSideForm {
    Q_OBJECT
public:
    explicit TFormReport(QWidget *parent = nullptr);
};

extern TFormReport *FormReport;

// The module's build (the program's module list).
void BuildQuizModule(TForm1 &form);

// The quiz's rules and score (the current window's).
quiz::Core &QuizState();

// The wall clock of the report's file name and title; tests set their own.
std::function<QDateTime()> &QuizReportClock();

// ---- Handlers ----------------------------------------------------------------------------------

void RadioButtonQuizClick(QObject *sender = nullptr);
void ButtonQuizOKClick(QObject *sender = nullptr);
void ButtonQuizStopClick(QObject *sender = nullptr);
// The answer time has run out (also the early judgement of Shorten delay).
void TimerQuizTimer();
void TimerFinQuizTimer();
void EditReponseQuizChange(QObject *sender = nullptr);
void ButtonMarkClick(QObject *sender = nullptr);
void ButtonResetReportClick(QObject *sender = nullptr);
void ButtonDetailedReportClick(QObject *sender = nullptr);
void UpDownDelayClick(QObject *sender = nullptr);
void UpDelaiClick(QObject *sender = nullptr);
void DownDelaiClick(QObject *sender = nullptr);
void SpinEditQuizNumberChange(QObject *sender = nullptr);
void CheckBoxVitModClick(QObject *sender = nullptr);
void MenuQuizPseudorandomClick(QObject *sender = nullptr);
void MenuMaskReportClick(QObject *sender = nullptr);
void MenuQuizErreurClick(QObject *sender = nullptr);
// The pause after a wrong answer: 0 (OFF) .. 3 s.
void MenuRepriseClick(int seconds);
// The count-down before the first question, from the menu (0 .. 3 s) and from its pop-up.
void MenuQuizDelaiOKClick(int seconds);
void ButtonretardQuizClick(int seconds);
void EditMarkClick(QObject *sender = nullptr);

// ---- The report window (quizreport.cpp) --------------------------------------------------------

// Fills FormReport with its grid, labels and buttons, once; later calls do nothing.
void BuildQuizReportWindow();
// The grid shows the report's rows as they are now.
void ShowQuizReportRows();
void SpeedButtonTrrAZClick();
void SpeedButtonTriMinMaxClick();
void SpeedButtonMaxminClick();
void SpeedButtonSaveClick();
