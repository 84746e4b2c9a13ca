#pragma once

// The main window's joystick, Joystickex1: its buttons 1 and 2 go to the manual keying
// (hook joystickButtonChanged), it is captured at start-up (JoystickPresent), and its
// calibration is written to the data folder when the main window goes.

#include <QString>

#include <functional>

class TForm1;
class TJoystickex;

// Joystickex1 while the main window exists, else null.
TJoystickex *Joystickex1();

// Creates Joystickex1 in the main window and adds its start-up step.
void BuildJoystick(TForm1 &form);

// kestrelon.INI in the data folder; empty when that would be the settings file itself (a
// file system that ignores case, with both folders the same).
QString JoystickCalibrationPath();

// What the joystick uses from the system; tests put a pipe in place of the device.
struct JoystickSeams {
    std::function<int(int id)> open; // a descriptor of joystick `id`, or -errno
};
JoystickSeams &joystickSeams();
