#pragma once

// The exam ("Examen France", offered while French is the language): three phases of random
// practice, a warm-up text, groups of letters and figures and a final text, with timed pauses
// in the pause window FormPause between them; or phase 2 or phase 3 alone. The exam's menu
// sits in the random options menu; its caption panel PanelExamen on the random panel. The
// phases and their rules are plain C++ in examcore.h; this module is their window.

#include "shell/sidewindows.h"
#include "training/examcore.h"

#include <QString>

class QObject;
class TForm1;

// The exam's pause window; its contents are made the first time a pause shows.
class TFormPause : public TSideForm {
    Q_OBJECT
public:
    explicit TFormPause(QWidget *parent = nullptr);
};

extern TFormPause *FormPause;

// The module's build (the program's module list), after random practice.
void BuildExamModule(TForm1 &form);

exam::State &ExamState();
// The kind of exam chosen in the menu.
exam::Kind ExamKindChecked();

// The clock of the pauses (tests set one of their own).
exam::PauseCountdown::Now &ExamPauseClock();
const exam::PauseCountdown &ExamPause();

// One of the exam's captions or pause texts (examcore.h) as shown: French in every language.
QString ExamText(std::string_view text);

// ---- Handlers ---------------------------------------------------------------------------------
void menuExamenClick(QObject *sender = nullptr);
void MenuExamCompletClick(QObject *sender = nullptr);
void MenuExamPha2Click(QObject *sender = nullptr);
void MenuExamPha3Click(QObject *sender = nullptr);
// Reloads the word list and starts a text phase.
void ButtonExamenTexteClick(QObject *sender = nullptr);

// The pause window
void ShowExamPause();
void TimerPauseTimer();
void BitBtnIgnoreClick(QObject *sender = nullptr);
void BitBtnCancelClick(QObject *sender = nullptr);
