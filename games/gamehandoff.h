#pragma once

// How a game has one character sent: through the typing box's key handler, as if the user
// had typed it, with the game window's hand-off flag raised so that the window gets the
// keyboard back at the end of the text.

#include "engine/enginestate.h"

// Hands `character` over; true when it was queued for sending. A refused key (the box is
// read-only during a replay, Delayed Play empties the queue) leaves the flag as it was, so
// no end of text is awaited for it. Nothing is handed over once the program is quitting.
bool HandCharacterOver(bool EngineState::*flag, char character);

// The engine has nothing left to send: the queue is empty, the last buffer is done and no
// transmit delay is running (PTT has gone up and the first sound is still to come).
bool EngineIdle();

// The longest a game waits for its character to be heard (a device that never reports).
inline constexpr int CharacterWaitTimeoutMs = 10000;
// How often it looks.
inline constexpr int CharacterWaitPollMs = 100;
