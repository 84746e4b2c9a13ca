#pragma once

// The speed control of the main window: the up-down UpDownVitesse with its edit EditVitesse
// (5 to 70 words per minute) on the main window's timing model, the real-speed label that
// the spacing produces, and the Speed menu (Up, Ctrl+U; Down, Ctrl+D).

class TForm1;
class QAction;
class QMenu;
class QSpinBox;
class QLineEdit;
class QLabel;

struct SpeedControl {
    QSpinBox *UpDownVitesse = nullptr;
    QLineEdit *EditVitesse = nullptr; // the up-down's own text
    QLabel *LabelVitesseCorrigee = nullptr; // "Real speed (wpm) = " and the real speed
    QMenu *MenuVitesse = nullptr;
    QAction *UpSpeed = nullptr;
    QAction *DownSpeed = nullptr;
};

// Builds the control on the main window's frame and the Speed menu.
SpeedControl BuildSpeedControl(TForm1 &form);

// While the instructor keeps the speed fixed (shell/instructorlock.h) the up-down is disabled
// and each of the handlers below changes nothing.

// Speed menu: one step up while below 50 words per minute, one step down while above 5.
void UpSpeedClick();
void DownSpeedClick();

// The speed changed (the control, the menu, other modes): the timing model takes the position
// (clamped, the real-speed floor applied), the fading restarts at a random point and the
// real-speed texts follow.
void UpDownVitesseClick();

// Sets the control's position from code without running its handler, then applies it to the
// timing model as UpDownVitesseClick does.
void SetSpeed(int wpm);

// After the settings file and the command line set the timing model: the control shows it,
// and so do the spacing and level controls.
void ShowSpeedOfTimingModel();
