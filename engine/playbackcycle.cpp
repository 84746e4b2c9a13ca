#include "engine/playbackcycle.h"

#include "engine/keyer.h"
#include "engine/random.h"

#include <cmath>
#include <string>
#include <utility>

PlaybackCycle::PlaybackCycle(EngineState &state, EngineHost &host, AudioOutput &output,
                             SendingEngine &engine)
    : m_state(state), m_host(host), m_output(output), m_engine(engine)
{
    m_output.setDoneHandler([this](AudioOutput::Tag tag) { MMWomDone(tag); });
    m_output.setFailureHandler([this](int error) { outputLost(error); });
    m_output.setRestoredHandler([this] { outputRestored(); });
    m_output.setReadyHandler([this] { soundReady(); });
}

// ---- The loop that serves clicks and done reports one after the other ------------------

void PlaybackCycle::post(Event event)
{
    // One waiting click serves the queue as it stands when its turn comes; a second one would
    // start a second silent chain (a quick series, a direct done) beside the first, and each
    // would end the text on its own.
    if (event.kind == Pending::Start) {
        for (const Event &waiting : m_pending) {
            if (waiting.kind == Pending::Start)
                return;
        }
    }
    m_pending.push_back(event);
    if (!m_running)
        run();
}

void PlaybackCycle::run()
{
    struct Running {
        bool &flag;
        explicit Running(bool &f) : flag(f) { flag = true; }
        ~Running() { flag = false; }
    } running(m_running);
    while (!m_pending.empty()) {
        const Event event = m_pending.front();
        m_pending.pop_front();
        switch (event.kind) {
        case Pending::Start:
            startNow();
            break;
        case Pending::Done:
            doneNow(false, event.tag);
            break;
        case Pending::DoneDirect:
            doneNow(true, 0);
            break;
        }
    }
}

void PlaybackCycle::StartClick()
{
    // A character handed over while the last one's report is held follows it at once: the
    // report, run now, starts it. Not for the paddle keyer: its report reads the paddles, which
    // must wait for the element's end (a screen paddle just pressed would be read as held).
    if (m_doneHeld) {
        if (!m_host.paddleKeyerWithMonitor())
            releaseHeldDone();
        return;
    }
    post({Pending::Start, 0});
}

void PlaybackCycle::BeginTransmission(bool queueWasEmpty, const std::function<void()> &ownStep)
{
    const bool delayed = RaisePTTWithSound();
    if (ownStep)
        ownStep();
    if (queueWasEmpty && m_state.PlaybackDone)
        m_state.NewTransmission = true;
    if (!delayed)
        StartClick();
}

bool PlaybackCycle::RaisePTTWithSound()
{
    if (m_state.PlaybackDone && waitForSound()) {
        m_pttOnSound = true;
        return true;
    }
    return m_host.raisePTT();
}

void PlaybackCycle::TimerTXDelayTimer()
{
    m_state.NewTransmission = true;
    StartClick();
}

namespace {
// The keyer's Timer1 is set this much before the moment the output names: a loaded
// desktop wakes it a few milliseconds late.
constexpr int FollowGuardMs = 5;
} // namespace

void PlaybackCycle::MMWomDone(AudioOutput::Tag tag)
{
    m_engine.releaseBuffer(tag);
    if (tag != 0 && tag == m_engine.characterTag()) {
        if (m_output.reportedUnheard())
            m_state.CharacterUnheard = true;
        if (!m_state.NoSoundCard) {
            if (m_host.paddleKeyerWithMonitor()) {
                const int ms = static_cast<int>(std::floor(m_output.followDelay() * 1000)) - FollowGuardMs;
                if (!holdDone(ms, true))
                    keyerFollowDue({Pending::Done, tag});
                return;
            }
            if (!successorWaiting() && holdDone(static_cast<int>(std::ceil(m_output.startDelay() * 1000)), false))
                return;
        }
    }
    post({Pending::Done, tag});
}

bool PlaybackCycle::holdDone(int ms, bool untilFollow)
{
    if (ms <= 0)
        return false;
    m_doneHeld = true;
    m_heldUntilFollow = untilFollow;
    m_host.startTimer1(ms);
    return true;
}

// The paddle keyer's element can still be followed seamlessly: the report goes on when an
// element follows (queued already, or called for by the paddles now); otherwise it waits for
// the element's end, where the paddles are read again.
void PlaybackCycle::keyerFollowDue(Event report)
{
    const bool follows = queueGoesOn() || PaddleKeyer(m_state).NextElement() != KeyerElement::None;
    if (follows || !holdDone(static_cast<int>(std::ceil(m_output.startDelay() * 1000)), false))
        post(report);
}

void PlaybackCycle::MMWomDoneDirect()
{
    post({Pending::DoneDirect, 0});
}

void PlaybackCycle::Timer1Timer()
{
    const bool followDue = m_doneHeld && m_heldUntilFollow;
    m_doneHeld = false;
    m_host.stopTimer1();
    if (followDue)
        keyerFollowDue({Pending::DoneDirect, 0});
    else
        MMWomDoneDirect();
}

void PlaybackCycle::releaseHeldDone()
{
    m_doneHeld = false;
    m_host.stopTimer1();
    MMWomDoneDirect();
}

// The queue holds another character after the one whose buffer is out.
bool PlaybackCycle::queueGoesOn() const
{
    const std::size_t sent = !m_state.LeadingSpaceDone && headInFlight() ? 1 : 0;
    return m_state.PlayQueue.size() > sent;
}

// Whether the done handler will hand another buffer over at once: the queue goes on, or a
// random series draws its next unit.
bool PlaybackCycle::successorWaiting()
{
    const EngineState &s = m_state;
    if (queueGoesOn())
        return true;
    return s.RandomPlaying && !s.StopRequested && !s.QuizSeriesPlaying && !s.ReplayingTypedText
        && m_host.randomModeChecked() && m_host.randomCharCount() >= 2;
}

// The device went away while open: the program goes on without a sound card, on Timer1 at
// the pace of the sound, while the output opens the device again by itself.
void PlaybackCycle::outputLost(int error)
{
    // What the device held of the character in flight is gone with it.
    if (!m_state.PlaybackDone)
        m_state.CharacterUnheard = true;
    m_state.NoSoundCard = true;
    m_state.OutputLost = true;
    m_state.LastWaveError = error;
    // A text waiting for the first sound goes on without it, not after the message.
    soundReady();
    if (!m_lossSaid) {
        m_lossSaid = true;
        m_host.showProgramMessage(WaveErrorText(error, m_host.msgCannotOpenSoundCard()));
    }
}

// The device did not open in time but the output takes it once it does: nothing to say, the
// timer paces the engine meanwhile, as after a loss.
void PlaybackCycle::goOnUntilOpened(int error)
{
    m_state.NoSoundCard = true;
    m_state.OutputLost = true;
    m_state.LastWaveError = error;
}

// The output plays again: taken at once when nothing is "playing" on the timer, else at the
// next character (the one on the timer keeps its pace to its end).
void PlaybackCycle::outputRestored()
{
    m_lossSaid = false;
    if (m_state.PlaybackDone)
        ReopenLostOutput();
}

// Whether what starts now must wait for the output's first sound (soundReady follows).
bool PlaybackCycle::waitForSound()
{
    m_waitingForSound = !m_state.NoSoundCard && !m_state.QuickSeries && m_output.awaitSound();
    if (!m_waitingForSound)
        m_pttOnSound = false;
    return m_waitingForSound;
}

// The output plays (or is lost, and the timer stands in): what waited for it starts, PTT first.
void PlaybackCycle::soundReady()
{
    if (!std::exchange(m_waitingForSound, false))
        return;
    const bool raise = std::exchange(m_pttOnSound, false);
    if (m_state.PlayQueue.empty() || !m_state.PlaybackDone)
        return;
    if (raise && m_host.raisePTT())
        return; // TimerTXDelay starts it
    post({Pending::Start, 0});
}

void PlaybackCycle::ReopenLostOutput()
{
    EngineState &s = m_state;
    if (!s.OutputLost || !m_output.isOpen())
        return;
    s.OutputLost = false;
    s.NoSoundCard = false;
    m_engine.buildToneTables();
}

void PlaybackCycle::startNow()
{
    if (m_state.PlaybackDone && !m_textRunning) {
        // The first buffer of a transmission; the done handler's clicks follow within it.
        m_textRunning = true;
    }
    if (m_state.PlaybackDone)
        ReopenLostOutput();
    // Started again by soundReady.
    if (m_state.PlaybackDone && !m_state.PlayQueue.empty() && waitForSound())
        return;
    switch (m_engine.startNext()) {
    case SendingEngine::StartResult::QueueEmpty:
    case SendingEngine::StartResult::QuickSeries:
        // Called here rather than posted, so nothing else slips in between; the done handler
        // itself only posts the next click, so the chain stays flat.
        doneNow(true, 0);
        break;
    case SendingEngine::StartResult::Busy:
    case SendingEngine::StartResult::Handed:
        break;
    }
}

// ---- The done handler --------------------------------------------------------------------

bool PlaybackCycle::headInFlight() const
{
    return m_state.HeadInFlight && !m_state.PlayQueue.empty()
        && static_cast<unsigned char>(m_state.PlayQueue.front()) == m_state.InFlightChar;
}

void PlaybackCycle::doneNow(bool direct, AudioOutput::Tag tag)
{
    EngineState &s = m_state;
    // A report for any buffer but the character's (the noise tail, a buffer already dealt
    // with) is ignored before it can stop the element clock of the next character. The
    // character's own report counts even when a failed reopen has meanwhile left the program
    // without a sound card: it is the only report that buffer will ever get.
    const bool called = direct || s.EngineCalledDirectly;
    s.EngineCalledDirectly = false;
    if (!called && (tag == 0 || tag != m_engine.characterTag()))
        return;
    if (!s.QuickSeries)
        m_host.stopElementClock();
    m_engine.forgetCharacter();
    s.PlaybackDone = true;
    if (s.Quitting || s.QuitRequested)
        return;

    // Paddle keyer: the next element follows while a paddle is held.
    if (m_host.paddleKeyerWithMonitor()) {
        const KeyerElement next = PaddleKeyer(s).ElementDone();
        if (next != KeyerElement::None) {
            s.PlayQueue += QueueCharacter(next);
            m_host.appendMonitorElements(ElementSign(next));
        }
    }

    m_host.zoomClear();

    // Only the character whose buffer just ended is removed: after Stop, Backspace or a
    // cleared queue the head is a character that has not been heard yet.
    if (!s.LeadingSpaceDone && headInFlight())
        RemoveQueueHead(s);
    s.HeadInFlight = false;

    if (!s.PlayQueue.empty()) {
        post({Pending::Start, 0});
        return;
    }
    // No head is left to follow a leading space that has just played (Backspace took it).
    s.LeadingSpaceDone = false;
    endOfQueue();
}

// The queue has run empty: the idle state comes back and the running mode takes over.
void PlaybackCycle::endOfQueue()
{
    EngineState &s = m_state;
    m_textRunning = false;
    if (s.ResumeText.empty()) {
        s.FileTextStart = 0;
        s.DemoPos = 0;
        s.FileTextPos = 0;
    }
    if (m_host.paddleKeyerWithMonitor()) {
        PaddleKeyer(s).ReleaseAll();
        m_host.keyerTextEnded(s.CWElementTable[0]);
    }
    if (m_host.continuousReplayChecked() && s.ReplayingTypedText && s.TypedText.empty()) {
        s.ReplayingTypedText = false;
        s.MaskActive = false;
        m_host.typedTextLoopPassEnded();
        return;
    }

    // Timer1 also stands in after a failed write, so it is stopped with or without a card.
    m_host.stopTimer1();
    if (s.QuizSeriesPlaying) {
        m_host.quizSeriesSent();
    } else if (!m_host.randomModeChecked() || s.ReplayingTypedText || !s.RandomPlaying) {
        if (restoreIdle())
            return;
    } else if (m_host.randomCharCount() < 2) {
        m_host.randomSeriesEnded();
        m_host.releaseKeyingLines();
        m_host.examChainNextPhase();
        return;
    } else {
        m_host.randomUnitSent();
        if (s.GroupPosition >= s.GroupLength) {
            s.GroupPosition = 0;
            if (m_host.randomWordsChecked())
                s.GroupLength = 2 + Random(7);
        }
        if (!s.StopRequested && s.RandomPlaying)
            m_host.randomNextUnit();
        else
            s.StopRequested = false;
    }

    if (s.PlayQueue.empty())
        m_host.audioMonitorResume();

    struct HandOff {
        bool EngineState::*flag;
        EngineHost::HandOffWindow window;
    };
    static constexpr HandOff handOffs[] = {
        {&EngineState::JongPlaying, EngineHost::HandOffWindow::Jong},
        {&EngineState::PairsPlaying, EngineHost::HandOffWindow::Pairs},
        {&EngineState::NotePlaying, EngineHost::HandOffWindow::Note},
        {&EngineState::BeaconSending, EngineHost::HandOffWindow::Beacon},
    };
    for (const HandOff &h : handOffs) {
        if (s.*h.flag) {
            m_host.focusHandOffWindow(h.window);
            s.*h.flag = false;
        }
    }
}

// Typing, lists and file text: back to idle. Returns true when the file text's repeat loop
// took over and the done handler must end here.
bool PlaybackCycle::restoreIdle()
{
    EngineState &s = m_state;
    m_host.releaseModeButtons();
    m_host.showQuitButton();
    if (m_host.fileTextFinished())
        return true;
    m_host.updateReplayButton();
    s.TextPlaying = false;
    m_host.fileTextShowAgain();
    s.ReplayingTypedText = false;
    s.RandomPlaying = false;
    s.ReplayRandom = false;
    m_host.enableModeControls();
    m_host.releaseKeyingLines();
    m_host.focusTypingBoxAtEnd();
    return false;
}

// ---- Stop --------------------------------------------------------------------------------

void PlaybackCycle::ButtonStopClick()
{
    EngineState &s = m_state;
    if (m_host.closeOpenPanel())
        return;

    if (s.RandomPlaying && m_host.randomCharCount() < 2)
        s.StopRequested = true;
    m_host.stopRestoreModeControls();
    m_host.releaseModeButtons();
    m_host.showQuitButton();
    m_host.enableModeControls();

    bool quizUnanswered = false;
    if (s.QuizSeriesPlaying) {
        quizUnanswered = m_host.quizSeriesStopped();
        if (quizUnanswered)
            s.StopRequested = false;
    }
    s.QuizSeriesPlaying = false;
    s.RandomPlaying = false;
    s.QuickSeries = false;
    s.TypedTextSent = false;
    m_host.randomSeriesStopped();
    s.ReplayRandom = false;
    m_host.updatePlayRandomHint();

    // The character being heard still plays to its end, so it is not kept for later.
    const bool inFlight = !s.PlaybackDone && !s.LeadingSpaceDone && headInFlight();
    if (s.TextPlaying && !s.PlayQueue.empty()) {
        s.ResumeText = s.PlayQueue;
        if (inFlight) {
            s.ResumeText.erase(0, 1);
        } else {
            --s.FileTextIndex;
            s.FileTextPos = s.FileTextIndex;
            m_host.fileTextShowSent();
        }
    }
    if (s.ReplayingTypedText && !s.PlayQueue.empty()) {
        s.TypedText = s.PlayQueue;
        if (inFlight) {
            s.TypedText.erase(0, 1);
        } else {
            --s.TypedTextIndex;
            m_host.typedTextShowSent();
        }
        m_host.typedTextStopped();
    }

    ClearQueue();
    s.LeadingSpaceDone = false;
    m_host.showHiddenTexts();

    // The buffer in flight plays to its end; but one that a stalled device still holds would
    // only be heard once the device takes sound again, well after the Stop: it is silenced.
    if (!s.PlaybackDone && !s.NoSoundCard && m_output.stalled()) {
        m_output.silence();
        if (m_doneHeld)
            releaseHeldDone();
    }
    // An idle engine ends the text at once; otherwise the buffer in flight does it.
    if (s.PlaybackDone)
        MMWomDoneDirect();

    m_engine.restoreBasePitch();
    m_host.processEvents();
    if (s.StopRequested || quizUnanswered)
        m_host.playClosingSound();
}

bool PlaybackCycle::DeleteLastQueued()
{
    EngineState &s = m_state;
    if (s.PlayQueue.empty())
        return false;
    s.PlayQueue.pop_back();
    if (s.PlayQueue.empty())
        s.HeadInFlight = false;
    if (s.ExpandedLeft > s.PlayQueue.size())
        s.ExpandedLeft = s.PlayQueue.size();
    return true;
}

void PlaybackCycle::ClearQueue()
{
    ClearPlayQueue(m_state);
}

void PlaybackCycle::StopWaveOut()
{
    if (!m_state.NoSoundCard) {
        // Both ways fade what sounds out before dropping it, so no click is heard; only the
        // muting way processes window messages meanwhile.
        m_output.silence();
        if (!m_host.tuneEnhancementChecked())
            m_host.processEvents();
        // A held report has nothing left to wait for.
        if (m_doneHeld)
            releaseHeldDone();
    }
    m_host.sidetoneOff();
}

// ---- The sound device --------------------------------------------------------------------

void PlaybackCycle::reportWaveError(int error, const char *place)
{
    m_state.LastWaveError = error;
    m_host.showProgramMessage(WaveErrorText(error, place));
}

bool PlaybackCycle::OpenWaveOut()
{
    const int error = m_output.open(m_state.WaveOutDevice);
    if (error != 0 && m_output.reopening()) {
        goOnUntilOpened(error);
        return false;
    }
    if (error != 0) {
        m_state.LastWaveError = error;
        m_state.NoSoundCard = true;
        m_host.showProgramMessage(WaveErrorText(error, m_host.msgCannotOpenSoundCard()));
        return false;
    }
    m_state.NoSoundCard = false;
    m_state.OutputLost = false;
    m_engine.buildToneTables();
    return true;
}

void PlaybackCycle::ReopenWaveOut()
{
    m_host.closeWaveInput();
    if (m_output.isOpen()) {
        m_output.reset();
        m_output.close();
    }
    const int error = m_output.open(m_state.WaveOutDevice);
    if (error != 0 && m_output.reopening()) {
        goOnUntilOpened(error);
        return;
    }
    if (error != 0) {
        // No device now: the timer paces the engine until a later reopen succeeds.
        m_state.NoSoundCard = true;
        m_host.showProgramMessage(WaveErrorText(error, m_host.msgCannotOpenSoundCard()));
        m_state.LastWaveError = 0;
        return;
    }
    m_state.NoSoundCard = false;
    m_state.OutputLost = false;
    m_engine.buildToneTables();
    if (const int reset = m_output.reset(); reset != 0)
        reportWaveError(reset, "WaveOutReset");
}

bool PlaybackCycle::ChooseDevices(bool systemChoice, int inputDevice, int outputDevice)
{
    EngineState &s = m_state;
    if (systemChoice) {
        if (s.WaveInDevice == -1 && s.WaveOutDevice == -1)
            return false;
        s.WaveInDevice = -1;
        s.WaveOutDevice = -1;
        return true;
    }
    if (inputDevice == s.WaveInDevice && outputDevice == s.WaveOutDevice)
        return false;
    s.WaveInDevice = inputDevice;
    s.WaveOutDevice = outputDevice;
    return true;
}

bool PlaybackCycle::CanChangeSoundCard() const
{
    return !m_state.ReplayingTypedText && m_state.PlayQueue.empty() && !m_state.TextPlaying
        && !m_state.RandomPlaying;
}
