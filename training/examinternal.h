#pragma once

// The exam module's state, shared by its files (exam.cpp: menu, set-up, phases and settings;
// exampause.cpp: the pause window).

#include "training/exam.h"

#include <QPointer>

#include <string_view>

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QPushButton;
class QWidget;

struct ExamModule {
    ExamModule() = default;
    ExamModule(const ExamModule &) = delete;
    ExamModule &operator=(const ExamModule &) = delete;

    QPointer<TForm1> form;
    exam::State state;
    exam::SeriesDriver driver{state};
    exam::PauseCountdown pause{[] { return ExamPauseClock()(); }};

    QMenu *ExamMenu = nullptr;
    QAction *menuExamen = nullptr;
    QActionGroup *Kinds = nullptr;
    QAction *MenuExamComplet = nullptr;
    QAction *MenuExamPha2 = nullptr;
    QAction *MenuExamPha3 = nullptr;
    QLabel *PanelExamen = nullptr;
    QPushButton *ButtonExamenTexte = nullptr;

    // TYPEXAM= read from the settings, applied once every window exists.
    int IniExamType = 0;
    // Settings are being applied: no file dialog opens then.
    bool ApplyingSettings = false;
    // The pause window's contents, made in FormPause when a pause first shows.
    QPointer<QWidget> PauseContent;
};

// Null before the module is built.
ExamModule *ExamModuleState();

// The exam is chosen (and offered).
bool ExamChosen();
// The caption of PanelExamen.
void SetExamCaption(std::string_view caption);
// After a pause the exam goes on only in random mode with the exam chosen, between the phases
// of a complete exam, and while nothing else plays.
bool ExamGoesOn();
