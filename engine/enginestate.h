#pragma once

// The sending engine's state as plain data. The main window owns one EngineState for the
// whole run; the engine, the playback cycle and the training modes read and write it on the
// user-interface thread. Flags that a mode owns live here too, so the engine can be driven
// and tested without any window.

#include "engine/cwelementtable.h"

#include <cstddef>
#include <string>

struct EngineState {
    // --- The play queue -------------------------------------------------------------------
    // Characters waiting to be sent, first = next; prosigns are the bytes 1..7. The head stays
    // in the queue while its buffer plays and is removed by the playback cycle.
    std::string PlayQueue;

    // true = idle (no character buffer of the engine is playing). Cleared just before a buffer
    // is handed to the output, set again by the done handler.
    bool PlaybackDone = true;

    // The start routine called the done handler itself (empty queue).
    bool EngineCalledDirectly = false;

    // The next character starts a transmission: a start silence may precede it.
    bool NewTransmission = false;

    // A leading-space or start-silence buffer has just been handed over; the head stays queued
    // and is sent in the next buffer.
    bool LeadingSpaceDone = false;

    // The head of the queue is the character whose buffer is playing (or was just "sent"
    // silently in a quick series). Only then does the done handler remove the head: Stop,
    // Backspace and clearing the queue drop this mark, so a character queued afterwards is
    // never removed unsent.
    bool HeadInFlight = false;
    unsigned char InFlightChar = 0;
    // The sound of the character (or blank) last handed over was dropped before all of it had
    // played: the device stalled or was lost, or Stop silenced a stalled device.
    bool CharacterUnheard = false;

    // How many characters at the head of the queue came from a shortcut expansion; they are
    // never expanded again, so a shortcut naming itself (or two naming each other) ends.
    std::size_t ExpandedLeft = 0;

    // --- Sound device ---------------------------------------------------------------------
    // The output device could not be opened: no output call is made and Timer1 stands in for
    // the done reports.
    bool NoSoundCard = false;
    // The output was given up while open (a stalled sound server, a device gone): it is
    // opened again at the start of the next transmission.
    bool OutputLost = false;
    int WaveOutDevice = -1; // -1 = the system's choice
    int WaveInDevice = -1;
    int LastWaveError = 0;
    // Read by the sidetone; always 0 here (there is no header preparation to retry).
    int WaveHeaderFlags = 0;

    // --- Stop and quit --------------------------------------------------------------------
    bool StopRequested = false; // a random series was stopped at its last unit
    bool Quitting = false;
    bool QuitRequested = false;
    std::string ResumeText; // unsent rest of a stopped file text (Continue)
    std::string TypedText;  // unsent rest of a stopped typed-text replay
    bool TypedTextSent = false;

    // --- Mode flags the engine reads ------------------------------------------------------
    bool TextPlaying = false;
    bool RandomPlaying = false;
    bool QuizSeriesPlaying = false;
    bool ReplayingTypedText = false;
    bool QuickSeries = false; // characters are "sent" without sound, one after the other
    int GroupPosition = 0;    // position reached in the current random group
    int GroupLength = 5;
    bool ReplayRandom = false;
    // The random unit at the head of the queue ends its group: it gets the word space.
    bool HeadEndsGroup = false;
    // Random mode is being entered; its Stop plays no closing sound.
    bool ChoixRandomActive = false;

    // Typed-text replay
    int TypedLeft = 0;      // characters of an expanded shortcut still to come in a replay
    int TypedTextIndex = 0; // characters of the typing box sent so far

    // File text
    int FileTextIndex = 0;
    int FileTextPos = 0;
    int FileSelStart = 0;
    int FileTextStart = 0;
    int DemoPos = 0;

    // Masked text
    unsigned char MaskStartChar = 0;
    unsigned char MaskEndChar = 0;
    bool MaskActive = false;

    // Paddles (set by the keyer) and the keyer's last element
    bool DashPaddleDown = false;
    bool DotPaddleDown = false;
    bool LastElementDash = false;
    bool LastElementDot = false;

    // Windows that handed text over and get the focus back at its end
    bool JongPlaying = false;
    bool PairsPlaying = false;
    bool NotePlaying = false;
    bool BeaconSending = false;

    // --- The character being sent ---------------------------------------------------------
    std::string CurrentCode;
    unsigned char CurrentFileChar = 0;

    // Millisecond lengths for the keying outputs; all 0 when no keying output is configured.
    int CWDashMs = 0;
    int CWDotMs = 0;
    int CWGapMs = 0;

    // Element durations of the character being sent, for the element clock.
    ::CWElementTable CWElementTable{};
};

// Empties the queue. The character being heard plays to its end, but is no longer its head.
inline void ClearPlayQueue(EngineState &state)
{
    state.PlayQueue.clear();
    state.HeadInFlight = false;
    state.ExpandedLeft = 0;
    state.HeadEndsGroup = false;
}

// Removes the head of the queue, keeping the count of expanded characters in step.
inline void RemoveQueueHead(EngineState &state)
{
    if (state.PlayQueue.empty())
        return;
    state.PlayQueue.erase(0, 1);
    state.HeadEndsGroup = false;
    if (state.ExpandedLeft > 0)
        --state.ExpandedLeft;
}
