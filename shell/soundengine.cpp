#include "shell/soundengine.h"

#include "engine/timing.h"
#include "engine/tone.h"
#include "platform/portaudiooutput.h"
#include "platform/portaudiosession.h"
#include "platform/runqueue.h"
#include "shell/enginehost_mainwindow.h"
#include "shell/mainwindow.h"
#include "shell/panellpt.h"
#include "shell/panelport.h"

#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

namespace {
QPointer<TSoundEngine> theEngine;
}

// ---- KeyingInStep ------------------------------------------------------------------------

struct KeyingInStep::Core {
    std::mutex mutex; // held while an action runs, so actions never overlap
    ElementClock *clock;
    platform::TimerBackend *backend;
    std::deque<Action> pending;
    platform::TimerBackend::EventId event = 0;
    Clock::time_point armedAt{};

    // On the timer thread this runs beside no step of the clock: both are events of the one
    // timer service, so the clock's Stop finds no step to wait for there.
    void run(const Action &action)
    {
        if (action.start) {
            clock->ManualKeyDown = 0;
            clock->KeyFirstElement(action.table);
        } else {
            clock->Stop();
        }
    }
};

KeyingInStep::KeyingInStep(ElementClock &clock, platform::TimerBackend *backend)
    : m_core(std::make_shared<Core>())
{
    m_core->clock = &clock;
    m_core->backend = backend ? backend : &platform::TimerService::instance();
}

KeyingInStep::~KeyingInStep()
{
    Cancel();
}

void KeyingInStep::KeyFirstElement(const CWElementTable &table, Clock::duration delay)
{
    add(Action{m_core->backend->now() + delay, true, table});
}

void KeyingInStep::Stop(Clock::duration delay)
{
    add(Action{m_core->backend->now() + delay, false, {}});
}

void KeyingInStep::Cancel()
{
    std::lock_guard lock(m_core->mutex);
    m_core->clock = nullptr;
    m_core->pending.clear();
    if (m_core->event != 0)
        m_core->backend->killEvent(m_core->event);
    m_core->event = 0;
}

std::size_t KeyingInStep::Waiting() const
{
    std::lock_guard lock(m_core->mutex);
    return m_core->pending.size();
}

void KeyingInStep::add(Action action)
{
    const std::shared_ptr<Core> &core = m_core;
    std::lock_guard lock(core->mutex);
    if (!core->clock)
        return;
    if (!action.start) {
        std::erase_if(core->pending, [&](const Action &waiting) { return waiting.start && waiting.at > action.at; });
    }
    if (core->pending.empty() && action.at <= core->backend->now() + Tolerance) {
        core->run(action);
    } else {
        core->pending.push_back(action);
    }
    fire(core, 0);
}

// Runs what is due, in order, then waits for the next one. Called with the lock held by
// add() (id 0), or by the timer without it.
void KeyingInStep::fire(const std::shared_ptr<Core> &core, platform::TimerBackend::EventId id)
{
    std::unique_lock lock(core->mutex, std::defer_lock);
    if (id != 0) {
        lock.lock();
        if (!core->clock || id != core->event)
            return;
        core->event = 0;
    }
    while (!core->pending.empty() && core->pending.front().at <= core->backend->now() + Tolerance) {
        const Action action = core->pending.front();
        core->pending.pop_front();
        core->run(action);
    }
    if (core->pending.empty()) {
        if (core->event != 0)
            core->backend->killEvent(core->event);
        core->event = 0;
        return;
    }
    const Clock::time_point next = core->pending.front().at;
    if (core->event != 0 && core->armedAt == next)
        return;
    if (core->event != 0)
        core->backend->killEvent(core->event);
    core->armedAt = next;
    core->event = core->backend->setEvent(next, 0, [core](platform::TimerBackend::EventId fired,
                                                          Clock::time_point) { fire(core, fired); });
}

// ---- The closing sound ---------------------------------------------------------------------

// Two soft bell-like notes, a fifth apart and falling (G5 then C5), each a fundamental with
// two quieter overtones that die away faster, over 0.9 s.
const std::vector<std::int16_t> &SonFermetureSession()
{
    static const std::vector<std::int16_t> sound = [] {
        constexpr double Rate = AudioOutput::SampleRate;
        constexpr int Frames = static_cast<int>(0.9 * Rate);
        struct Note {
            double start, frequency, decay;
        };
        constexpr Note notes[] = {{0.0, 783.99, 0.22}, {0.16, 523.25, 0.30}};
        std::vector<double> wave(Frames, 0.0);
        for (const Note &note : notes) {
            const int first = static_cast<int>(note.start * Rate);
            for (int n = first; n < Frames; ++n) {
                const double t = (n - first) / Rate;
                const double attack = std::min(1.0, t / 0.008);
                double v = 0.0;
                for (int partial = 1; partial <= 3; ++partial) {
                    const double weight = partial == 1 ? 1.0 : partial == 2 ? 0.3 : 0.12;
                    v += weight * std::exp(-t * partial / note.decay)
                        * std::sin(2 * std::numbers::pi * partial * note.frequency * t);
                }
                wave[n] += attack * v;
            }
        }
        // The last 60 ms go down to silence, so the sound ends without a click.
        const int tail = static_cast<int>(0.06 * Rate);
        for (int n = Frames - tail; n < Frames; ++n)
            wave[n] *= double(Frames - 1 - n) / tail;
        double peak = 0.0;
        for (double v : wave)
            peak = std::max(peak, std::abs(v));
        std::vector<std::int16_t> stereo(2 * Frames);
        for (int n = 0; n < Frames; ++n) {
            const auto v = static_cast<std::int16_t>(std::lround(wave[n] / peak * 9000.0));
            stereo[2 * n] = v;
            stereo[2 * n + 1] = v;
        }
        return stereo;
    }();
    return sound;
}

// ---- The engine ----------------------------------------------------------------------------

std::function<std::unique_ptr<AudioOutput>()> &SoundOutputFactory()
{
    static std::function<std::unique_ptr<AudioOutput>()> factory = [] {
        auto output = std::make_unique<PortAudioOutput>();
        // A crowded machine gets a larger buffer before its sound server misses a turn.
        output->setLoadGauge(RunQueueGauge());
        return std::unique_ptr<AudioOutput>(std::move(output));
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
    // The serial lines and the parallel port are the process-wide roads to whichever keying
    // port is active, so the clock never holds on to one that is gone.
    Clock = std::make_unique<ElementClock>(&ClockSerialLines(), &ClockParallelPort(), &OnAirLampsForClock());
    Keying = std::make_unique<KeyingInStep>(*Clock);
    if (TPanelPort *port = PanelPort())
        port->Keying.AttachClock(Clock.get());
    if (TLptPort *lpt = LptPort())
        lpt->AttachClock(Clock.get());
    Host = std::make_unique<MainWindowEngineHost>(form, *this);
    Sender = std::make_unique<SendingEngine>(State, *Host, *Output, Timings, Tone, *Effects);
    Cycle = std::make_unique<PlaybackCycle>(State, *Host, *Output, *Sender);

    // Timer1 also holds the report of a text's last buffer until its sound has ended: to the
    // millisecond, not to the 5 % a coarse timer allows.
    form.Timer1->setTimerType(Qt::PreciseTimer);
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
    if (TLptPort *lpt = LptPort())
        lpt->AttachClock(nullptr);
    Keying.reset();
    Clock->Close();
    // A frozen sound server holds the sound session's thread, and with it calls that still
    // use the output: the output is then left to the end of the process, unheard from.
    if (PortAudioSession::held() || !PortAudioSession::settle(QuitSoundWait)) {
        Output->setDoneHandler({});
        Output->setFailureHandler({});
        Output->setRestoredHandler({});
        [[maybe_unused]] AudioOutput *left = Output.release();
    }
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

namespace {
KeyingInStep::Clock::duration startDelay(const AudioOutput &output)
{
    return std::chrono::duration_cast<KeyingInStep::Clock::duration>(
        std::chrono::duration<double>(output.startDelay()));
}
} // namespace

void TSoundEngine::KeyFirstElement(const CWElementTable &table)
{
    // The buffer is handed over next: its sound starts after what the output still plays.
    Keying->KeyFirstElement(table, startDelay(*Output));
}

void TSoundEngine::StopElementClock()
{
    // The buffer just reported may still be on its way out.
    Keying->Stop(startDelay(*Output));
}

void TSoundEngine::PlayClosingSound()
{
    if (!NamedChecked(m_form, "MenuSonFermeture") || State.NoSoundCard || !Output->isOpen())
        return;
    Output->playSound(SonFermetureSession());
}

void TSoundEngine::StopKeyingForQuit()
{
    Keying->Cancel();
    Clock->Close();
}

void TSoundEngine::ReleaseSoundForQuit()
{
    // Closing never waits for the sound server; a lost output stops trying again.
    if (!State.NoSoundCard && Output->isOpen())
        Output->reset();
    Output->close();
}
