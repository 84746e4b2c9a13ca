#pragma once

// The main window: its menu bar, the frame every mode's panel lives in, the controls and
// timers shared by all modes, and the handlers of the program's life (creation, first
// showing, the two quit roads). It composes; the modes and the engine bring their own code.
//
// How a module joins in:
//  - panels: build the panel as a child of `Frame` (or call addPanel), place it by its
//    design geometry (the frame has no layout: the window is laid out in design pixels),
//    give it and each control its program name with setObjectName; a panel hidden at design
//    must be hide()n explicitly (the Quit button looks at the settings panels' own visibility);
//    the enlargement scales it from that design geometry (shell/zoom.h);
//  - menus: add items to an existing menu (menuNamed("MenuOutils")) or a new top-level menu
//    (addMenuNamed), each QAction with its object name; connect handlers to `triggered`;
//  - timers of the main window are members here; connect to `timeout`. Shut-down stops every
//    QTimer child of every window before it releases lines and devices;
//  - the engine's model (state, timing, tone, character sets) is owned here as plain data for
//    the whole run: reach it through Form1->Engine, Form1->EngineTiming, ... (the working code
//    table is the engine's global MorseCodes).

#include "engine/enginestate.h"
#include "engine/localcharacters.h"
#include "engine/timing.h"
#include "engine/tone.h"

#include <QMainWindow>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QTimer;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // Design size at 96 pixels per inch.
    static constexpr int DesignWidth = 660;
    static constexpr int DesignHeight = 516;

    // Menu bar.
    QMenu *MenuOutils;
    QAction *MenuOutilsQuit;
    QMenu *Language1;
    QAction *English1;
    QAction *Magyar1;
    QAction *Deutsch1;
    QAction *Francais1;
    QAction *Italiano1;
    QAction *Portugues1;
    QAction *Espagnol1;
    QMenu *MenuAgrandir;
    QAction *MenuAgrandir100;
    QAction *MenuAgrandir125;
    QAction *MenuAgrandir150;
    QAction *MenuAgrandir175;
    QAction *MenuAgrandir200;
    QMenu *MenuHelp;

    // The frame: the central widget, parent of every mode's panel.
    QWidget *Frame;

    // Controls every mode shares.
    QLabel *Image1;             // the design picture; the window's size derives from it
    QPushButton *Button1;       // hidden start button of the sending engine
    QPushButton *ButtonStop;    // shown while something is sent, in place of Quit
    QPushButton *ButtonQuitter; // Quit (asks first)
    QRadioButton *RadioButtonAlphabet;
    QRadioButton *RadioButtonCodeQ;
    QRadioButton *RadioButtonAbrev;
    QRadioButton *RadioButtonRandom;
    QRadioButton *RadioButtonFile;
    QRadioButton *RadioButtonQuiz;
    QRadioButton *RadioButtonMonitor;
    // The typing box, where the focus goes back after most actions: the typing module's, set
    // when it builds (null in a program without it).
    QLineEdit *Editcaractere = nullptr;

    // The engine's model, plain data owned for the whole run.
    EngineState Engine;
    Timing EngineTiming;
    ToneGenerator EngineTone;
    CharacterSets EngineSets;

    // Window timers of the main window (all stopped at design).
    QTimer *Timer1;       // stands in for the sound card's notifications without a sound card
    QTimer *TimerTXDelay; // transmit delay
    QTimer *TimerQuiz;    // quiz answer time
    QTimer *TimerBoucle;  // repeat loop
    QTimer *TimerLapin;   // kid-mode animation
    QTimer *TimerThread;  // release-check time-out

    // A top-level menu of the menu bar by object name (nullptr when there is none).
    QMenu *menuNamed(const QString &objectName) const;
    // Adds a top-level menu before the Help menu.
    QMenu *addMenuNamed(const char *objectName, const QString &caption);
    // Makes `panel` a child of the frame (kept at its own geometry).
    void addPanel(QWidget *panel);

    // Handlers.
    bool FormCreate();
    void ButtonQuitterClick();
    void MenuOutilsQuitClick();

protected:
    void closeEvent(QCloseEvent *event) override;  // FormClose: runs the quit command
    void showEvent(QShowEvent *event) override;    // FormShow
    void changeEvent(QEvent *event) override;      // FormActivate

private:
    QAction *addLanguage(const char *name);
    void placeModeButtons();
    // The least width: the design's at the step, or what the menu bar needs to show every menu.
    void fitMenuBar();
    QAction *addZoom(const char *name, const QString &caption);
};

extern TForm1 *Form1;
