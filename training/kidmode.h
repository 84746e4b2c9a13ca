#pragma once

// Kid mode: a playful view of the key monitor. The main window grows to show a rabbit, a
// picture of the Morse alphabet and a picture of the key (up or down); when the child keys
// the word of the typing box (at first "HELLO"), the rabbit hops and a sound plays. The
// option MenuMonitorTexte and the button SpeedButtonKid switch it; another mode, an
// enlargement step and the quit leave the view.

#include <cstdint>
#include <vector>

class TForm1;

// The module's build (the program's module list).
void BuildKidModeModule(TForm1 &form);

// KidMode: the kid view is shown.
extern bool KidMode;
// The window's size before the kid view, and the kid view's size at 100 % (WINKID=).
extern int KidSavedWidth, KidSavedHeight;
extern int KidBaseWidth, KidBaseHeight;

// Entering the monitor: with the option checked the kid view comes.
void KidModeOnMonitorEntry();

void MenuMonitorTexteClick();
void EnterKidMode();
void LeaveKidMode();
void StartRabbitAnimation();
void StopRabbitAnimation();
void TimerLapinTimer();
void MemoMonitorChange();
void ScrollBarImageAlphaChange();
// The kid check after each decoded character.
void KidCheckAfterCharacter();
// A straight key went down or up: the key picture follows, in the kid view.
void KidKeyPicture(bool down);

// The reward sound: "APP.WAV" from the program folder when it is there and readable, else
// the program's own (a short rising chime); 22050 Hz stereo.
const std::vector<std::int16_t> &KidRewardSound();
