#pragma once

// The level of the tone: the up-down UpDownAmplitude with its edit EditAmplitude (-15 to 0 dB
// in steps of 3), its "?" and the Volume menu (Up, Alt+U; Down, Alt+D). The level is a gain of
// the program's own tone tables; the system mixer is never touched (the loudspeaker button
// beside it only opens the desktop's own volume control).

class QAction;
class QLineEdit;
class QMenu;
class QPushButton;
class StepSpinBox;
class TForm1;

struct VolumeControl {
    StepSpinBox *UpDownAmplitude = nullptr;
    QLineEdit *EditAmplitude = nullptr; // the up-down's own text
    QPushButton *ButtonLevelHelp = nullptr;
    QPushButton *SpeedButtonHP = nullptr; // opens the desktop's volume control
    QMenu *MenuVolume = nullptr;
    QAction *UpVolume = nullptr;
    QAction *DownVolume = nullptr;
};

// Builds the control on the main window's frame and the Volume menu.
VolumeControl BuildVolumeControl(TForm1 &form);

// The level changed (the up-down, the menu): the tone amplitude follows it, and the tables
// are built again when the amplitude differs from the one last used.
void UpDownAmplitudeClick();
// Volume menu: 3 dB up while below 0 dB, 3 dB down while above -15 dB.
void UpVolumeClick();
void DownVolumeClick();

// After the settings file set the level: the control shows it.
void ShowLevelOfToneModel();
