#pragma once

// The sending engine inside the program: around the model the main window owns (its engine
// state, timing and tone), the sound output, the element clock, the start routine and the
// playback cycle, and the main window's controls that drive them (Button1, ButtonStop,
// Timer1, TimerTXDelay). Made once by start-up, after the port panel, as a child of the main
// window; every mode reaches it through SoundEngine().

#include "engine/elementclock.h"
#include "engine/enginestate.h"
#include "engine/playbackcycle.h"
#include "engine/sendingengine.h"
#include "platform/audiooutput.h"
#include "platform/timerservice.h"

#include <QObject>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class TForm1;
class MainWindowEngineHost;
class SerialKeying;
class Timing;
struct ToneGenerator;
struct EffectSwitches;

// Starts and stops of the element clock, each at the moment the sound it goes with leaves the
// output. The output takes the next buffer a little before the one playing ends, so a
// character handed over is heard later than it is handed over; its keying waits as long.
// Actions run in the order given, on the timer thread (or at once when due and nothing
// waits before them).
class KeyingInStep {
public:
    using Clock = platform::TimerBackend::Clock;

    // Without a backend the process-wide timer service is used (the clock's own).
    explicit KeyingInStep(ElementClock &clock, platform::TimerBackend *backend = nullptr);
    ~KeyingInStep(); // Cancel()
    KeyingInStep(const KeyingInStep &) = delete;
    KeyingInStep &operator=(const KeyingInStep &) = delete;

    // ManualKeyDown := 0 and KeyFirstElement(table), `delay` from now.
    void KeyFirstElement(const CWElementTable &table, Clock::duration delay);
    // The clock's Stop, `delay` from now. A start still waiting for a later moment is
    // dropped: the sound it was waiting for has been cut.
    void Stop(Clock::duration delay);
    // Drops whatever waits (quit); from then on nothing runs.
    void Cancel();
    // Actions waiting.
    std::size_t Waiting() const;

    // Actions due within this much run at once.
    static constexpr auto Tolerance = std::chrono::microseconds(500);

private:
    struct Action {
        Clock::time_point at;
        bool start;
        CWElementTable table;
    };
    struct Core;
    void add(Action action);
    static void fire(const std::shared_ptr<Core> &core, platform::TimerBackend::EventId id);

    std::shared_ptr<Core> m_core;
};

// The closing sound "son_fermeture_session": a short two-note chime of our own, made once,
// 22050 Hz stereo.
const std::vector<std::int16_t> &SonFermetureSession();

class TSoundEngine : public QObject {
public:
    // Connects the main window's start button, Stop button and timers, and gives the keying
    // port (when the port panel exists) the element clock.
    explicit TSoundEngine(TForm1 &form);
    ~TSoundEngine() override;

    // The main window's model.
    EngineState &State;
    Timing &Timings;
    ToneGenerator &Tone;

    std::unique_ptr<EffectSwitches> Effects;
    std::unique_ptr<AudioOutput> Output;
    std::unique_ptr<ElementClock> Clock;
    std::unique_ptr<KeyingInStep> Keying;
    std::unique_ptr<MainWindowEngineHost> Host;
    std::unique_ptr<SendingEngine> Sender;
    std::unique_ptr<PlaybackCycle> Cycle;

    // Button1's click (StartClick), ButtonStop's click and mouse-down, the two timers.
    void StartClick();
    void ButtonStopClick();
    void Timer1Timer();
    void TimerTXDelayTimer();

    // End of start-up: opens the output on WaveOutDevice (a failure is reported and Timer1
    // stands in for the device), resets it, and builds the tone tables whatever the device
    // did.
    void OpenAtStart();
    // The host's keying calls: the element clock starts and stops in step with the sound.
    void KeyFirstElement(const CWElementTable &table);
    void StopElementClock();
    // Stop's closing sound, when MenuSonFermeture is checked (played without waiting).
    void PlayClosingSound();

    // Quit roads: the element clock stops keying; the output is reset and closed, without
    // waiting for the sound server.
    void StopKeyingForQuit();
    void ReleaseSoundForQuit();
    // How long the engine's end waits for the sound session's calls to finish.
    static constexpr std::chrono::milliseconds QuitSoundWait{300};

private:
    TForm1 &m_form;
};

// Makes the engine for the main window (start-up, once the port panel exists).
void CreateSoundEngine(TForm1 &form);

// The main window's engine; null before start-up made it.
TSoundEngine *SoundEnginePtr();
// The same, when it is known to exist.
TSoundEngine &SoundEngine();

// Makes the sound output when the engine is made: the PortAudio stream. Tests put a fake in
// its place before the windows exist.
std::function<std::unique_ptr<AudioOutput>()> &SoundOutputFactory();
