#pragma once

// The speed control of the main window: the up-down UpDownVitesse with its edit EditVitesse
// (5 to 70 words per minute) on the main window's timing model, and the real-speed label
// that the spacing produces.

class TForm1;
class QSpinBox;
class QLineEdit;
class QLabel;

struct SpeedControl {
    QSpinBox *UpDownVitesse = nullptr;
    QLineEdit *EditVitesse = nullptr; // the up-down's own text
    QLabel *LabelVitesseCorrigee = nullptr; // "Real speed (wpm) = " and the real speed
};

// Builds the control on the main window's frame.
SpeedControl BuildSpeedControl(TForm1 &form);

// The speed changed (the control, the menu, other modes): the timing model takes the position
// (clamped, the real-speed floor applied), the fading restarts at a random point and the
// real-speed texts follow.
void UpDownVitesseClick();

// Sets the control's position from code without running its handler, then applies it to the
// timing model as UpDownVitesseClick does.
void SetSpeed(int wpm);

// After the settings file and the command line set the timing model: the control shows it.
void ShowSpeedOfTimingModel();
