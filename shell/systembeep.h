#pragma once

// The program's beep: refused input is answered with a short beep, and the quiz turns it off
// while it runs (every other mode turns it back on, and so does the quit). The switch is the
// program's own: the desktop's sound settings are never touched.

// A beep, unless the switch is off.
void ProgramBeep();
void SetProgramBeep(bool on);
bool ProgramBeepOn();
