#pragma once

// The key monitor (GroupBoxMonitor, the panel of the mode RadioButtonMonitor): the learner
// keys Morse by hand and sees what the program understood. The key type (straight key,
// paddles normal or reversed, the CTRL key) and the key port (joystick, mouse, serial lines)
// choose the source; a straight key is timed by the key decoder and sounds the sidetone, the
// paddles drive the electronic keyer through the sending engine; both key the transmitter
// outputs. Every letter is written into the monitor memo, its elements on the element line.
//
// The decoding side (the memo, the element line, the options and the character decoder) is
// open to the audio decoder, which writes through DecodeMonitorCharacter and
// AppendMonitorElements and shares the key decoder's element string.

#include "engine/keydecoder.h"
#include "engine/keyer.h"

#include <QString>

#include <chrono>
#include <functional>
#include <string>

class TForm1;

// The module's build (the program's module list).
void BuildMonitorModule(TForm1 &form);

// ---- Globals shared with the rest of the program ------------------------------------------

// Raised by the settings keys of the monitor while they apply: handlers then leave the
// keyboard focus where it is.
extern bool NoEditFocus;
// The keyer's gap calibration, 0.0 to 1.0 in steps of 0.2 (default 0.2).
extern double DoubleKeyCalibration;

// ---- The decoding side ---------------------------------------------------------------------

// The key decoder (MonitorElements, KeyIsDown and the letter-gap timer live there).
KeyTimingDecoder &KeyDecoder();
// SetKeyTimingLimits: limits from the speed and weight of the timing model, shown on Label4.
void SetKeyTimingLimits();
// DecodeCharacter: the character of an element string written into the memo at its caret.
void DecodeMonitorCharacter(const std::string &code);
// AppendMonitorElements: signs appended to the element line.
void AppendMonitorElements(const std::string &signs);

// ---- Handlers ------------------------------------------------------------------------------

// Entering the monitor (also run by the key-type handlers while the sound input is open).
void RadioButtonMonitorClick();
void SpeedButtonRazMonitorClick();
void MenuClearMonitoringClick();
void MenuSaveMonitoringClick();
void SpeedButtonHelpMonitorClick();
void SpeedButtonMonitorCaseClick();
void MenuTextCarSpeClick();
void MenuCarSpeAnsiClick();
void MenuTextCarlocClick();
void MenuNoLimitTraitClick();
// MenuCalSpeed0Click ... MenucalSpeed5Click.
void MenuCalSpeedClick(int step);

// The key type and key port.
void RadioButtonPiocheClick();
void RadioButtonElKeyNClick();
void RadioButtonElKeyRClick();
void RadioButtonCTRLClick();
void RadioGroupKeyerPortClick();
void RadioGroupKeyerDOTClick();
void RadioGroupKeyerDashClick();
// The keyer supply: one handler for SpeedButtonMonPTT and SpeedButtonPTTKeyer.
void SpeedButtonMonPTTClick(bool switchOn);
void CheckBoxPWRDTRClick();
void CheckBoxPWRRTSClick();
// The key type chosen now.
KeyType CurrentKeyType();

// The key sources. `at` is when the edge happened.
using KeyClock = KeyTimingDecoder::Clock;
void ComPortKeyerLineChange(KeyerLine line, bool on, KeyClock::time_point at);
// The joystick's two buttons (pressed = true); the joystick reaches them through the hook
// joystickButtonChanged.
void Joystickex1Button1_Change(bool pressed, KeyClock::time_point at);
void Joystickex1Button2_Change(bool pressed, KeyClock::time_point at);

// ---- Seams ---------------------------------------------------------------------------------

struct MonitorSeams {
    // The clock of the hand keys (the mouse, the CTRL key).
    std::function<KeyClock::time_point()> now = [] { return KeyClock::now(); };
    // The save dialog: the chosen file, or an empty string when cancelled.
    std::function<QString(const QString &suggested)> saveFileName;
};
MonitorSeams &monitorSeams();
