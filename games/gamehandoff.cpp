#include "games/gamehandoff.h"

#include "shell/mainwindow.h"
#include "shell/modes.h"

#include <QTimer>

bool HandCharacterOver(bool EngineState::*flag, char character)
{
    if (!Form1)
        return false;
    EngineState &state = Form1->Engine;
    // On the way out the lines and the sound are being released: a game's step sends nothing.
    if (state.Quitting)
        return false;
    const bool flagBefore = state.*flag;
    const std::size_t queuedBefore = state.PlayQueue.size();
    state.*flag = true;
    CallHook(Hooks().typeCharacter, static_cast<unsigned char>(character));
    const bool queued = state.PlayQueue.size() > queuedBefore;
    if (!queued)
        state.*flag = flagBefore;
    return queued;
}

bool EngineIdle()
{
    if (!Form1)
        return true;
    const EngineState &state = Form1->Engine;
    return state.PlayQueue.empty() && state.PlaybackDone && !Form1->TimerTXDelay->isActive();
}
