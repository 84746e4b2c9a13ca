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

#include <QObject>

#include <functional>
#include <memory>

class TForm1;
class MainWindowEngineHost;
class SerialKeying;
class Timing;
struct ToneGenerator;
struct EffectSwitches;

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
    // Quit roads: the element clock stops keying; the output is reset and closed (not
    // without a card).
    void StopKeyingForQuit();
    void ReleaseSoundForQuit();

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
