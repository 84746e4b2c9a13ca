#pragma once

// The playback cycle: the start button's click, the done handler that removes the character
// just sent and asks for the next one, the end of a text with its hand-back to the running
// mode, Stop, the no-sound-card timer and the output device's opening.
//
// The start routine and the done handler call each other (an empty queue, a quick series of
// up to 1001 silent characters, an exam phase chained at once). Here they never nest: a click
// or a done report that arrives while one of them runs is queued and served by the loop of
// the outermost call, so the stack stays flat however long the chain.

#include "engine/enginehost.h"
#include "engine/enginestate.h"
#include "engine/sendingengine.h"
#include "platform/audiooutput.h"

#include <deque>
#include <functional>
#include <string>

class PlaybackCycle {
public:
    PlaybackCycle(EngineState &state, EngineHost &host, AudioOutput &output, SendingEngine &engine);
    PlaybackCycle(const PlaybackCycle &) = delete;
    PlaybackCycle &operator=(const PlaybackCycle &) = delete;

    // Button1's click: render and start the next buffer (ignored while one plays).
    void StartClick();

    // The one start road of every mode, once it has put its text into PlayQueue (and done its
    // own interface step): raises PTT, marks a new transmission and clicks Button1, or leaves
    // the click to TimerTXDelay. `queueWasEmpty`: PlayQueue was empty before the mode added
    // its text. Only a transmission that really starts (engine idle, queue was empty) gets the
    // start silence, not a character typed while another one sounds.
    // `ownStep` is the caller's own interface step, run between raising PTT and the start.
    // While the output has yet to take its first sound (a sound server's new stream), PTT and
    // the start wait for it, so that lines, keying and sound begin together.
    void BeginTransmission(bool queueWasEmpty, const std::function<void()> &ownStep = {});
    // PTT for a text whose queue is filled: raised now, or, while the output has yet to take its
    // first sound, when it does (a transmitter keyed before its sound would send silence). True
    // when the start is left to what comes later (that sound, or the transmit delay's timer);
    // false when the caller starts the engine now.
    bool RaisePTTWithSound();
    // TimerTXDelay's tick (the host stops the timer first): the delay after PTT has run out.
    void TimerTXDelayTimer();

    // A buffer was reported done by the output (connect the output's done handler here).
    // The output reports a buffer shortly before its end, so that the next one can follow
    // without a gap; when none will follow, the report is held (on Timer1) until the buffer
    // has been heard, so that the end of a text comes in step with the sound. The paddle
    // keyer's reports are always held: the paddles are read as late as the next element can
    // still follow seamlessly, and when they call for none, again at the element's end.
    void MMWomDone(AudioOutput::Tag tag);
    // The done handler called directly, not by the output: never filtered.
    void MMWomDoneDirect();

    // Timer1's tick without a sound card (or after a failed write): the buffer has "played".
    void Timer1Timer();

    // The engine side of ButtonStopClick (and ButtonStopMouseDown).
    void ButtonStopClick();

    // Silences the output at once (a fade of a few milliseconds), the buffer in flight
    // included.
    void StopWaveOut();

    // Opens the output on WaveOutDevice at start; a failure is reported and the program runs
    // on without sound (NoSoundCard, Timer1). Returns true when the device is open.
    // An output lost while open opens again by itself (in the background); its loss is said
    // once per loss.
    bool OpenWaveOut();
    // An output lost while open and back since is taken again (the start of a character, a
    // key's sidetone, an idle engine when it comes back). Never waits for the device.
    void ReopenLostOutput();
    // The sound-card panel's device change: closes and opens the output again. A failure leaves
    // the program on the no-sound-card path.
    void ReopenWaveOut();
    // The device choice of the sound-card panel; true when it changed (then the caller leaves
    // the audio monitor and calls ReopenWaveOut).
    bool ChooseDevices(bool systemChoice, int inputDevice, int outputDevice);
    // MenuSoundCardClick's condition: nothing is being sent.
    bool CanChangeSoundCard() const;

    // Backspace in the typing box: removes the last queued character. When that was the
    // character being heard, its done report no longer removes anything.
    bool DeleteLastQueued();
    // Empties the queue (clearing the typing box); the character being heard plays to its end.
    void ClearQueue();

private:
    enum class Pending { Start, Done, DoneDirect };
    struct Event {
        Pending kind;
        AudioOutput::Tag tag;
    };
    void post(Event event);
    void run();
    void startNow();
    void doneNow(bool direct, AudioOutput::Tag tag);
    void endOfQueue();
    bool restoreIdle();
    bool headInFlight() const;
    void reportWaveError(int error, const char *place);
    bool successorWaiting();
    bool queueGoesOn() const;
    bool holdDone(int ms, bool untilFollow);
    void keyerFollowDue(Event report);
    void releaseHeldDone();
    void outputLost(int error);
    void goOnUntilOpened(int error);
    void outputRestored();
    bool waitForSound();
    void soundReady();

    EngineState &m_state;
    EngineHost &m_host;
    AudioOutput &m_output;
    SendingEngine &m_engine;
    std::deque<Event> m_pending;
    bool m_running = false;
    // The character's report waits on Timer1 for its sound to end, or (the paddle keyer) for
    // the last moment its successor would follow it seamlessly.
    bool m_doneHeld = false;
    bool m_heldUntilFollow = false;
    bool m_textRunning = false; // from a transmission's first start to its empty queue
    // The output's loss was said, and it has not come back since.
    bool m_lossSaid = false;
    // A start waits for the output's first sound; with it the raising of PTT.
    bool m_waitingForSound = false;
    bool m_pttOnSound = false;
};
