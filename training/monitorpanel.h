#pragma once

// Inside the key monitor: its controls and what its two halves (the display and options in
// monitor.cpp, the key inputs in keyinput.cpp) share. Not for other modules: they go through
// monitor.h.

#include "training/monitor.h"

class QAction;
class QActionGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QToolButton;
class QWidget;
class PortRadioGroup;
class QAbstractButton;
class QCheckBox;

struct MonitorControls {
    QGroupBox *GroupBoxMonitor = nullptr;
    QLabel *LabelMonitor = nullptr;
    QLineEdit *EditMonitor = nullptr; // the element line
    QPlainTextEdit *MemoMonitor = nullptr;
    QLabel *Label4 = nullptr; // limits and the last timings
    QToolButton *SpeedButtonRazMonitor = nullptr;
    QToolButton *SpeedButtonMonitorCase = nullptr; // down = lower case
    QToolButton *SpeedButtonHelpMonitor = nullptr;

    QGroupBox *GroupBoxKeyMonitor = nullptr; // its caption names the key port
    QRadioButton *RadioButtonPioche = nullptr;
    QRadioButton *RadioButtonElKeyN = nullptr;
    QRadioButton *RadioButtonElKeyR = nullptr;
    QRadioButton *RadioButtonCTRL = nullptr;
    QPushButton *ButtonTrait = nullptr;
    QPushButton *ButtonPoint = nullptr;
    QPushButton *SpeedButtonMonPTT = nullptr;
    QLabel *labelCTS = nullptr;
    QLabel *LabelDSR = nullptr;
    QLabel *LabelDCD = nullptr;

    QMenu *MenuMonitoringOptions = nullptr;
    QAction *MenuTextCarSpe = nullptr;
    QAction *MenuCarSpeAnsi = nullptr;
    QAction *MenuTextCarloc = nullptr;
    QAction *MenuMonitorErreur = nullptr;
    QAction *MenuNoLimitTrait = nullptr;
    QMenu *MenuCalElec = nullptr;
    QAction *MenuCalSpeed[6] = {};
    QAction *MenuClearMonitoring = nullptr;
    QAction *MenuSaveMonitoring = nullptr;
};
MonitorControls &Monitor();

// The controls of the port panel that belong to the key inputs (null before the panel exists).
PortRadioGroup *KeyerPortGroup();
PortRadioGroup *KeyerDotGroup();
PortRadioGroup *KeyerDashGroup();
QCheckBox *SupplyBox(bool dtr);
QAbstractButton *PanelSupplyButton(); // SpeedButtonPTTKeyer

enum KeyerPort { KeyerPortJoystick = 0, KeyerPortMouse = 1, KeyerPortCom = 2 };

// Small helpers of both halves.
bool MonitorShown();              // GroupBoxMonitor is visible
bool DemoVisible();
void FocusTypingBox();            // Editcaractere, unless the demo view is shown
void SetKeyPictureTransparent(bool transparent);

// Built by the key-input half: the key type group, the source wiring, its settings keys
// and texts, its start-up steps.
void BuildKeyInputs(TForm1 &form);
// The key port's own check on entering the monitor: a missing joystick falls back to the
// mouse; the key picture shows as the key port wants.
void KeyInputsOnMonitorEntry();
// The key input's state cleared (a straight key held is let go, paddles released).
void StopKeyInputs();
// Of the six-way choice (the four key types and the two audio channels), `own` alone is
// checked; none with null.
void CheckOnlyKeyChoice(const QAbstractButton *own);
