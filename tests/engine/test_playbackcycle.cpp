// The playback cycle: the done handler, the end of a text and its hand-back order, Stop, the
// paddle keyer's repeat, the no-sound-card timer and the device's opening.

#include "tests/engine/enginerig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

// ---- End of a text: what runs, in which order -------------------------------------------

struct EndCase {
    const char *name;
    bool randomChecked;
    bool randomPlaying;
    bool quizSeries;
    int charCount;
    Calls expected; // host calls from stopTimer1 on
};

void PrintTo(const EndCase &c, std::ostream *os)
{
    *os << c.name;
}


class EndOfText : public ::testing::TestWithParam<EndCase> {};

TEST_P(EndOfText, HandsBackInOrder)
{
    const EndCase &c = GetParam();
    EngineRig rig;
    rig.host.randomChecked = c.randomChecked;
    rig.state.RandomPlaying = c.randomPlaying;
    rig.state.QuizSeriesPlaying = c.quizSeries;
    rig.host.charCount = c.charCount;
    rig.state.JongPlaying = true;
    rig.state.BeaconSending = true;
    rig.send("e");
    rig.playAll();
    Calls calls = rig.host.callsAfterLast("zoomClear");
    calls.erase(calls.begin(), std::find(calls.begin(), calls.end(), "stopTimer1"));
    EXPECT_EQ(calls, c.expected);
    if (c.expected.back() == "focusHandOffWindow") {
        EXPECT_EQ(rig.host.focused, std::vector<EngineHost::HandOffWindow>(
                                        {EngineHost::HandOffWindow::Jong,
                                         EngineHost::HandOffWindow::Beacon}));
        EXPECT_FALSE(rig.state.JongPlaying);
        EXPECT_FALSE(rig.state.BeaconSending);
    }
}

const Calls idle = {"stopTimer1",         "releaseModeButtons", "showQuitButton",
                    "fileTextFinished",   "updateReplayButton", "fileTextShowAgain",
                    "enableModeControls", "releaseKeyingLines", "focusTypingBoxAtEnd",
                    "audioMonitorResume", "focusHandOffWindow", "focusHandOffWindow"};

INSTANTIATE_TEST_SUITE_P(
    Modes, EndOfText,
    ::testing::Values(
        EndCase{"Typing", false, false, false, 10, idle},
        EndCase{"IdleRandomPanel", true, false, false, 10, idle},
        EndCase{"QuizSeries", false, false, true, 10,
                {"stopTimer1", "quizSeriesSent", "audioMonitorResume", "focusHandOffWindow",
                 "focusHandOffWindow"}},
        EndCase{"RandomUnit", true, true, false, 10,
                {"stopTimer1", "randomUnitSent", "randomNextUnit", "audioMonitorResume",
                 "focusHandOffWindow", "focusHandOffWindow"}},
        // the series ends: no hand-back beyond the exam's chaining
        EndCase{"RandomSeriesEnds", true, true, false, 1,
                {"stopTimer1", "randomSeriesEnded", "releaseKeyingLines",
                 "examChainNextPhase"}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PlaybackCycle, TypedTextLoopPassEndsThere)
{
    EngineRig rig;
    rig.host.continuousReplay = true;
    rig.state.ReplayingTypedText = true;
    rig.send("e");
    rig.playAll();
    EXPECT_EQ(rig.host.callsAfterLast("zoomClear"), Calls({"typedTextLoopPassEnded"}));
    EXPECT_FALSE(rig.state.ReplayingTypedText);
}

TEST(PlaybackCycle, StopRequestedEndsTheSeriesWithoutNextUnit)
{
    EngineRig rig;
    rig.host.randomChecked = true;
    rig.state.RandomPlaying = true;
    rig.state.StopRequested = true;
    rig.send("e");
    rig.playAll();
    EXPECT_EQ(rig.host.count("randomNextUnit"), 0);
    EXPECT_FALSE(rig.state.StopRequested);
}

// ---- Stop ----------------------------------------------------------------------------------

TEST(PlaybackCycle, StopDuringCharacterKeepsTheRestWithoutIt)
{
    EngineRig rig;
    rig.state.TextPlaying = true;
    rig.send("abc");
    const int index = rig.state.FileTextIndex;
    rig.cycle.ButtonStopClick();
    EXPECT_EQ(rig.state.ResumeText, "bc");
    EXPECT_EQ(rig.state.FileTextIndex, index);
    EXPECT_TRUE(rig.state.PlayQueue.empty());
    // The character plays to its end; its done report brings the idle state back.
    EXPECT_EQ(rig.host.count("releaseKeyingLines"), 0);
    rig.playAll();
    EXPECT_EQ(rig.output.written.size(), 1u);
    EXPECT_EQ(rig.host.count("releaseKeyingLines"), 1);
}

TEST(PlaybackCycle, StopWhileIdleKeepsTheHeadAndStepsBack)
{
    EngineRig rig;
    rig.state.TextPlaying = true;
    rig.state.FileTextIndex = 7;
    rig.state.PlayQueue = "abc"; // waiting for the transmit delay
    rig.cycle.ButtonStopClick();
    EXPECT_EQ(rig.state.ResumeText, "abc");
    EXPECT_EQ(rig.state.FileTextIndex, 6);
    EXPECT_EQ(rig.state.FileTextPos, 6);
    // Direct: the idle state comes back at once, although a sound card is there.
    EXPECT_EQ(rig.host.count("releaseKeyingLines"), 1);
}

TEST(PlaybackCycle, StopOfTypedReplayKeepsTheRestInTypedText)
{
    EngineRig rig;
    rig.state.ReplayingTypedText = true;
    rig.send("ab");
    rig.cycle.ButtonStopClick();
    EXPECT_EQ(rig.state.TypedText, "b");
    EXPECT_EQ(rig.host.count("typedTextStopped"), 1);
}

TEST(PlaybackCycle, StopWithSpacingPanelOpenOnlyClosesIt)
{
    EngineRig rig;
    rig.host.openPanel = true;
    rig.state.TextPlaying = true;
    rig.send("abc");
    rig.host.calls.clear();
    rig.cycle.ButtonStopClick();
    EXPECT_EQ(rig.host.calls, Calls({"closeOpenPanel"}));
    EXPECT_EQ(rig.state.PlayQueue, "abc");
    EXPECT_TRUE(rig.state.ResumeText.empty());
}

TEST(PlaybackCycle, StopOfLastRandomUnitPlaysTheClosingSound)
{
    EngineRig rig;
    rig.state.RandomPlaying = true;
    rig.host.charCount = 1;
    rig.cycle.ButtonStopClick();
    EXPECT_TRUE(rig.state.StopRequested);
    EXPECT_EQ(rig.host.count("playClosingSound"), 1);
    EXPECT_FALSE(rig.state.RandomPlaying);
}

// Whether the character just ended was heard: dropped by the device, or held by a device that
// is lost before it has played it, it was not.
TEST(PlaybackCycle, ACharacterDroppedOrLostWithTheDeviceCountsUnheard)
{
    EngineRig rig;
    rig.send("e");
    rig.output.finishNext();
    EXPECT_FALSE(rig.state.CharacterUnheard);
    rig.send("e");
    rig.output.dropNext();
    EXPECT_TRUE(rig.state.CharacterUnheard);

    // Its report held until its sound has been heard, and the device goes meanwhile.
    rig.send("e");
    EXPECT_FALSE(rig.state.CharacterUnheard);
    rig.output.delay = 0.1;
    rig.output.finishNext();
    ASSERT_TRUE(rig.host.timer1Running);
    rig.output.fail(-9999);
    rig.cycle.Timer1Timer();
    EXPECT_TRUE(rig.state.PlaybackDone);
    EXPECT_TRUE(rig.state.CharacterUnheard);
}

// ---- Paddle keyer --------------------------------------------------------------------------

TEST(PlaybackCycle, BothPaddlesAfterADotAlternate)
{
    EngineRig rig;
    rig.host.paddleKeyer = true;
    rig.state.DotPaddleDown = true;
    rig.state.DashPaddleDown = true;
    rig.state.LastElementDot = true;
    rig.send("e");
    for (int i = 0; i < 3; ++i)
        rig.output.finishNext();
    EXPECT_EQ(rig.host.monitorElements, "-.-");
    // While a paddle is held no character space follows: element + one gap.
    EXPECT_EQ(rig.lengths(), std::vector<std::size_t>({8332, 16666, 8332, 16666}));
    rig.state.DotPaddleDown = false;
    rig.state.DashPaddleDown = false;
    rig.playAll();
    EXPECT_FALSE(rig.state.LastElementDash);
    EXPECT_EQ(rig.host.count("keyerTextEnded"), 1);
}

// ---- Mended faults -------------------------------------------------------------------------

TEST(PlaybackCycle, CharacterTypedAfterStopIsNotLost)
{
    EngineRig rig;
    rig.send("ab");
    rig.cycle.ButtonStopClick();
    rig.send("e"); // typed while "a" still sounds
    EXPECT_EQ(rig.state.PlayQueue, "e");
    rig.playAll();
    // "a", then "e": nothing was removed unsent.
    ASSERT_EQ(rig.output.written.size(), 2u);
    EXPECT_EQ(rig.output.written[1].values.size(), 16664u);
}

TEST(PlaybackCycle, CharacterTypedAfterBackspaceIsNotLost)
{
    EngineRig rig;
    rig.send("a");
    EXPECT_TRUE(rig.cycle.DeleteLastQueued()); // removes the sounding "a"
    rig.send("e");
    rig.playAll();
    ASSERT_EQ(rig.output.written.size(), 2u);
    EXPECT_EQ(rig.output.written[1].values.size(), 16664u);
}

TEST(PlaybackCycle, StopWhileLeadingSpacePlaysKeepsNewCharacter)
{
    EngineRig rig;
    rig.timing.setLeadingSpace(1);
    rig.send("a");
    rig.cycle.ButtonStopClick();
    rig.send("e");
    rig.playAll();
    // the leading space, then the new character after its own leading space
    EXPECT_EQ(rig.lengths(), std::vector<std::size_t>({12498, 12498, 16664}));
}

TEST(PlaybackCycle, BlankTypedAfterBackspaceDuringLeadingSpacePlaysOnce)
{
    EngineRig rig;
    rig.timing.setLeadingSpace(1);
    rig.send("a");
    EXPECT_TRUE(rig.cycle.DeleteLastQueued()); // during "a"'s leading space
    rig.send(" ");
    rig.output.finishAll(10);
    // the leading space, then the blank once: the queue does not stick on it
    EXPECT_EQ(rig.lengths(), std::vector<std::size_t>({12498, 24996}));
    EXPECT_TRUE(rig.state.PlayQueue.empty());
    EXPECT_TRUE(rig.state.PlaybackDone);
}

TEST(PlaybackCycle, LeadingSpaceWithoutItsCharacterIsForgottenAtTheEnd)
{
    EngineRig rig;
    rig.timing.setLeadingSpace(1);
    rig.send("a");
    EXPECT_TRUE(rig.cycle.DeleteLastQueued()); // during "a"'s leading space
    rig.playAll();
    EXPECT_FALSE(rig.state.LeadingSpaceDone);
    // The next text starts with its own leading space.
    rig.send("e");
    rig.playAll();
    EXPECT_EQ(rig.lengths(), std::vector<std::size_t>({12498, 12498, 16664}));
}

TEST(PlaybackCycle, QuickSeriesAfterALeadingSpaceRemovesEachCharacter)
{
    EngineRig rig;
    rig.timing.setLeadingSpace(1);
    rig.send("ab");
    rig.state.QuickSeries = true; // set while "a"'s leading space plays
    int passes = 0;
    rig.host.hooks["zoomClear"] = [&] {
        if (++passes > 50) // a head that is never removed: end the test instead of hanging
            rig.cycle.ClearQueue();
    };
    rig.playAll();
    EXPECT_EQ(passes, 3); // the leading space, "a", "b"
    EXPECT_TRUE(rig.state.PlayQueue.empty());
}

TEST(PlaybackCycle, FailedWriteIsReportedAndTheTimerCarriesOn)
{
    EngineRig rig;
    rig.output.writeError = 5;
    rig.send("e0");
    EXPECT_EQ(rig.host.messages, std::vector<std::string>({"Err 5 : Ecriture Carte Son StartClick"}));
    // As long as it would sound, at least 500 ms: "e" 378 ms.
    EXPECT_EQ(rig.host.timer1Starts, std::vector<int>({500}));
    rig.cycle.Timer1Timer();
    // "0": five dashes with their gaps and the character space, 2078 ms
    EXPECT_EQ(rig.host.timer1Starts, std::vector<int>({500, 2078}));
    rig.cycle.ButtonStopClick(); // Stop works although nothing was written
    rig.cycle.Timer1Timer();
    EXPECT_TRUE(rig.state.PlaybackDone);
    EXPECT_EQ(rig.host.count("releaseKeyingLines"), 1);
}

TEST(PlaybackCycle, WithoutSoundCardEachBufferLastsAsItWouldSound)
{
    EngineRig rig;
    rig.state.NoSoundCard = true;
    rig.host.keying = true;
    rig.send("0e");
    EXPECT_TRUE(rig.output.written.empty());
    EXPECT_EQ(rig.host.count("keyFirstElement"), 1);
    rig.cycle.Timer1Timer();
    rig.cycle.Timer1Timer();
    EXPECT_EQ(rig.host.timer1Starts, std::vector<int>({2078, 500}));
    EXPECT_EQ(rig.host.count("keyFirstElement"), 2);
    EXPECT_TRUE(rig.state.PlaybackDone);
    EXPECT_FALSE(rig.host.timer1Running);
}

TEST(PlaybackCycle, QuickSeriesAndChainedExamRunFlat)
{
    EngineRig rig;
    int phases = 0;
    rig.state.QuickSeries = true;
    rig.state.RandomPlaying = true;
    rig.host.randomChecked = true;
    rig.host.charCount = 1;
    // Each phase of 1001 characters chains the next at once, twice.
    rig.host.hooks["examChainNextPhase"] = [&] {
        if (++phases < 3) {
            rig.state.QuickSeries = true;
            rig.state.RandomPlaying = true;
            rig.send(std::string(1001, 'e'));
        }
    };
    rig.send(std::string(1001, 'e'));
    EXPECT_EQ(phases, 3);
    EXPECT_TRUE(rig.output.written.empty());
    ASSERT_EQ(rig.host.stackMarks.size(), 3003u);
    const auto [low, high] = std::minmax_element(rig.host.stackMarks.begin(),
                                                 rig.host.stackMarks.end());
    EXPECT_LT(*high - *low, 4096u) << "the chain nests its calls";
}

TEST(PlaybackCycle, StopFromTheSeriesEndLeavesOneChainForTheNextPhase)
{
    // The series' end clicks BitBtnStopRandom, whose Stop finds the engine idle and runs the
    // done handler directly; the exam then chains its next quick phase at once.
    EngineRig rig;
    int phases = 0;
    rig.state.QuickSeries = true;
    rig.state.RandomPlaying = true;
    rig.host.randomChecked = true;
    rig.host.charCount = 2;
    rig.host.hooks["randomNextUnit"] = [&] { rig.send("e"); };
    rig.host.hooks["randomSeriesEnded"] = [&] { rig.cycle.ButtonStopClick(); };
    rig.host.hooks["examChainNextPhase"] = [&] {
        if (++phases < 2) {
            rig.state.QuickSeries = true;
            rig.state.RandomPlaying = true;
            rig.state.StopRequested = false; // as a series start does
            rig.host.charCount = 3;
            rig.send("e");
        }
    };
    rig.send("e");
    EXPECT_EQ(phases, 2);
    // Every unit counted was sent and followed by the next one; no pass over an empty queue
    // counts a unit that never was.
    EXPECT_EQ(rig.host.count("randomUnitSent"), 1 + 2);
    EXPECT_EQ(rig.host.count("randomNextUnit"), 1 + 2);
    EXPECT_EQ(rig.host.count("randomSeriesEnded"), 2);
    // The text ends once, after the last phase.
    EXPECT_EQ(rig.host.count("focusTypingBoxAtEnd"), 1);
    EXPECT_TRUE(rig.state.PlayQueue.empty());
}

TEST(PlaybackCycle, NewTransmissionOnlyWhenATransmissionStarts)
{
    EngineRig rig(3);
    rig.send("e");
    rig.send("e"); // typed while the first one plays
    rig.playAll();
    EXPECT_EQ(rig.lengths(), std::vector<std::size_t>({12498, 16664, 16664}));
    rig.send("e"); // a new transmission
    EXPECT_EQ(rig.lengths().back(), 12498u);
}

TEST(PlaybackCycle, NoiseTailReportDoesNotStopTheNextCharactersKeying)
{
    EngineRig rig;
    rig.host.keying = true;
    rig.effects.SpeedButtonNoise = true;
    rig.state.RandomPlaying = true;
    rig.host.randomChecked = true;
    rig.send("ee");
    rig.output.finishNext(); // "e" ends; the next one starts and cuts the first tail
    const Calls after = rig.host.callsAfterLast("keyFirstElement");
    EXPECT_EQ(std::count(after.begin(), after.end(), "stopElementClock"), 0);
    EXPECT_EQ(rig.host.count("keyFirstElement"), 2);
}

// ---- The sound device ----------------------------------------------------------------------

TEST(PlaybackCycle, FailedReopenFallsBackToTheTimer)
{
    EngineRig rig;
    rig.output.openError = -9996;
    EXPECT_TRUE(rig.cycle.ChooseDevices(false, 1, 3));
    rig.cycle.ReopenWaveOut();
    EXPECT_EQ(rig.host.messages,
              std::vector<std::string>({"Err -9996 : Can't open the sound card !"}));
    EXPECT_TRUE(rig.state.NoSoundCard);
    EXPECT_EQ(rig.output.openedDevices.back(), 3);
    rig.send("e");
    EXPECT_EQ(rig.host.timer1Starts, std::vector<int>({500}));
    rig.cycle.Timer1Timer();
    EXPECT_TRUE(rig.state.PlaybackDone);

    // A later reopen that works brings the sound back.
    rig.output.openError = 0;
    rig.cycle.ReopenWaveOut();
    EXPECT_FALSE(rig.state.NoSoundCard);
    rig.send("e");
    EXPECT_EQ(rig.output.written.size(), 1u);
}

// A device slow to open (a loaded desktop at start) is no missing device: nothing is said,
// the text goes on on the timer, and the sound comes once the output has the device.
TEST(PlaybackCycle, AnOpeningThatOnlyTimedOutIsNotSaidAndSoundFollowsLater)
{
    EngineRig rig;
    rig.output.openError = -9987; // timed out
    rig.output.openTimesOut = true;
    EXPECT_TRUE(rig.cycle.ChooseDevices(false, 1, 3));
    rig.cycle.ReopenWaveOut();
    EXPECT_TRUE(rig.host.messages.empty());
    EXPECT_TRUE(rig.state.NoSoundCard);
    rig.send("e");
    EXPECT_EQ(rig.host.timer1Starts.size(), 1u);
    rig.cycle.Timer1Timer();
    EXPECT_TRUE(rig.state.PlaybackDone);
    EXPECT_TRUE(rig.output.written.empty());

    rig.output.restore();
    EXPECT_FALSE(rig.state.NoSoundCard);
    rig.send("e");
    EXPECT_EQ(rig.output.written.size(), 1u);
    EXPECT_EQ(rig.output.openedDevices, std::vector<int>({-1, 3})); // never tried again itself
    EXPECT_TRUE(rig.host.messages.empty());
}

TEST(PlaybackCycle, FailedReopenAfterStopStillEndsTheCharacterInFlight)
{
    EngineRig rig;
    rig.output.deferDroppedReports = true; // reports come from the output's callback, later
    rig.send("ab");
    rig.cycle.ButtonStopClick(); // "a" plays on
    ASSERT_TRUE(rig.cycle.CanChangeSoundCard());
    rig.output.openError = -9996;
    ASSERT_TRUE(rig.cycle.ChooseDevices(false, 1, 1));
    rig.cycle.ReopenWaveOut(); // drops "a"; its report arrives after the failed open
    ASSERT_TRUE(rig.state.NoSoundCard);
    rig.output.finishAll(10);
    EXPECT_TRUE(rig.state.PlaybackDone);
    EXPECT_EQ(rig.host.count("releaseKeyingLines"), 1);
    rig.send("e"); // the engine goes on, on the timer
    EXPECT_EQ(rig.host.timer1Starts, std::vector<int>({500}));
}

// A stalled sound server: the output is given up and the text goes on on the timer, at the
// pace of its sound. The engine never opens the device itself meanwhile (the output tries in
// the background); once the output plays again, the next character is heard, the one on the
// timer keeps its pace to its end. Each loss is said once.
TEST(PlaybackCycle, ALostOutputComesBackByItselfAndEachLossIsSaidOnce)
{
    const std::string lost = "Err -9985 : Can't open the sound card !";
    EngineRig rig;
    rig.host.keying = true;
    rig.send("ee");
    const int eMs = static_cast<int>(rig.output.written[0].values.size() * 1000 / (2 * 22050));
    rig.output.fail(-9985);
    rig.output.finishAll(); // the buffer out comes back as dropped
    rig.cycle.Timer1Timer();
    EXPECT_TRUE(rig.state.PlaybackDone);
    // While there is no sound, a transmission runs on the timer with the characters' own
    // lengths: nothing waits for the device.
    rig.host.timer1Starts.clear();
    rig.send("e");
    EXPECT_EQ(rig.host.timer1Starts, std::vector<int>({eMs}));
    rig.send("t"); // typed while the first one "plays"
    rig.output.restore(); // back in the middle of the transmission
    EXPECT_TRUE(rig.state.NoSoundCard);
    EXPECT_EQ(rig.output.written.size(), 1u);
    rig.cycle.Timer1Timer();
    EXPECT_FALSE(rig.state.NoSoundCard);
    ASSERT_EQ(rig.output.written.size(), 2u); // the "t" sounds
    rig.output.finishAll();
    EXPECT_TRUE(rig.state.PlaybackDone);
    EXPECT_EQ(rig.output.openedDevices.size(), 1u);
    EXPECT_EQ(rig.host.count("keyFirstElement"), 4); // the lines key throughout

    // Back while idle: taken at once. A second loss is news again.
    rig.send("e");
    rig.output.fail(-9985);
    rig.output.finishAll();
    rig.cycle.Timer1Timer();
    rig.output.restore();
    EXPECT_FALSE(rig.state.NoSoundCard);
    rig.send("e");
    EXPECT_EQ(rig.output.written.size(), 4u);
    EXPECT_EQ(rig.output.openedDevices.size(), 1u);
    EXPECT_EQ(rig.host.messages, std::vector<std::string>({lost, lost}));
}

TEST(PlaybackCycle, DeviceChoiceChangesOnlyWhenDifferent)
{
    EngineRig rig;
    EXPECT_FALSE(rig.cycle.ChooseDevices(true, 0, 0));
    EXPECT_TRUE(rig.cycle.ChooseDevices(false, 2, 1));
    EXPECT_FALSE(rig.cycle.ChooseDevices(false, 2, 1));
    EXPECT_TRUE(rig.cycle.ChooseDevices(true, 0, 0));
    EXPECT_EQ(rig.state.WaveOutDevice, -1);
    EXPECT_EQ(rig.state.WaveInDevice, -1);
}

TEST(PlaybackCycle, StopWaveOutSilencesTheOutputWithoutTouchingItsGain)
{
    EngineRig rig;
    rig.output.setGain(0.7);
    rig.send("ee");
    rig.cycle.StopWaveOut();
    EXPECT_EQ(rig.output.silences, 1);
    // The cut buffer counts as done: the next character is already queued.
    EXPECT_EQ(rig.output.gainHistory, std::vector<double>({0.7}));
    EXPECT_EQ(rig.output.written.size(), 2u);
    EXPECT_EQ(rig.host.count("sidetoneOff"), 1);
}

// Leaving the audio decoder for a transmission closes the input; the output stream, which
// shares nothing with it, stays open and running, so the first character is heard whole.
TEST(PlaybackCycle, LeavingTheAudioInputKeepsTheOutputRunning)
{
    EngineRig rig;
    rig.host.waveInOpen = true;
    rig.output.openError = 2; // an opening now would fail
    rig.send("e");
    EXPECT_EQ(rig.host.count("closeWaveInput"), 1);
    EXPECT_FALSE(rig.state.NoSoundCard);
    EXPECT_TRUE(rig.host.messages.empty());
    EXPECT_EQ(rig.output.openedDevices.size(), 1u);
    EXPECT_EQ(rig.output.written.size(), 1u);
    EXPECT_TRUE(rig.host.timer1Starts.empty());
}

} // namespace
