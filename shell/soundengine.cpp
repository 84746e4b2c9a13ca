#include "shell/soundengine.h"

#include "engine/timing.h"
#include "engine/tone.h"
#include "platform/portaudiooutput.h"
#include "shell/enginehost_mainwindow.h"
#include "shell/mainwindow.h"
#include "shell/panelport.h"

#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <string>

namespace {
QPointer<TSoundEngine> theEngine;
}

std::function<std::unique_ptr<AudioOutput>()> &SoundOutputFactory()
{
    static std::function<std::unique_ptr<AudioOutput>()> factory = [] {
        return std::unique_ptr<AudioOutput>(std::make_unique<PortAudioOutput>());
    };
    return factory;
}

void CreateSoundEngine(TForm1 &form)
{
    if (!theEngine)
        theEngine = new TSoundEngine(form);
}

TSoundEngine *SoundEnginePtr()
{
    return theEngine.data();
}

TSoundEngine &SoundEngine()
{
    return *theEngine;
}

TSoundEngine::TSoundEngine(TForm1 &form)
    : QObject(&form), State(form.Engine), Timings(form.EngineTiming), Tone(form.EngineTone), m_form(form)
{
    setObjectName(QStringLiteral("SoundEngine"));
    Effects = std::make_unique<EffectSwitches>();
    Output = SoundOutputFactory()();
    // The parallel port joins the clock when parallel-port keying lands. The serial lines are
    // the process-wide road to whichever keying port is active, so the clock never holds on
    // to one that is gone.
    Clock = std::make_unique<ElementClock>(&ClockSerialLines(), nullptr, &OnAirLampsForClock());
    if (TPanelPort *port = PanelPort())
        port->Keying.AttachClock(Clock.get());
    Host = std::make_unique<MainWindowEngineHost>(form, *this);
    Sender = std::make_unique<SendingEngine>(State, *Host, *Output, Timings, Tone, *Effects);
    Cycle = std::make_unique<PlaybackCycle>(State, *Host, *Output, *Sender);

    connect(form.Button1, &QPushButton::clicked, this, [this] { StartClick(); });
    // ButtonStopMouseDown: the press itself stops, without waiting for the release.
    connect(form.ButtonStop, &QPushButton::pressed, this, [this] { ButtonStopClick(); });
    connect(form.Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    connect(form.TimerTXDelay, &QTimer::timeout, this, [this] { TimerTXDelayTimer(); });
}

TSoundEngine::~TSoundEngine()
{
    // Nothing may key through a clock that goes away, nor report to a cycle that goes away.
    if (TPanelPort *port = PanelPort(); port && port->Keying.AttachedClock() == Clock.get())
        port->Keying.AttachClock(nullptr);
    Clock->Close();
    Output.reset();
}

void TSoundEngine::StartClick()
{
    Cycle->StartClick();
}

void TSoundEngine::ButtonStopClick()
{
    Cycle->ButtonStopClick();
}

void TSoundEngine::Timer1Timer()
{
    Cycle->Timer1Timer();
}

void TSoundEngine::TimerTXDelayTimer()
{
    m_form.TimerTXDelay->stop();
    Cycle->TimerTXDelayTimer();
}

void TSoundEngine::OpenAtStart()
{
    if (Cycle->OpenWaveOut()) {
        if (const int error = Output->reset(); error != 0) {
            State.LastWaveError = error;
            Host->showProgramMessage(WaveErrorText(error, "WaveOutReset"));
        }
    } else {
        // Without a device the tables are needed all the same (recording, the keying path).
        Tone.Tables.BuildToneTables();
    }
}

void TSoundEngine::StopKeyingForQuit()
{
    Clock->Close();
}

void TSoundEngine::ReleaseSoundForQuit()
{
    if (State.NoSoundCard || !Output->isOpen())
        return;
    Output->reset();
    Output->close();
}
