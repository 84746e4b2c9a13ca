// The paddle keyer through the sending engine and its playback cycle (elements rendered into
// the fake output, the element line recorded by the host), and the rules of the key sources.

#include "engine/keydecoder.h"
#include "engine/keyer.h"
#include "tests/engine/enginerig.h"
#include "tests/engine/fakemonitor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

// Wired as the monitor wires it: a press that returns an element queues and starts it.
struct KeyerRig : EngineRig {
    PaddleKeyer keyer{state};
    KeyerRig() { host.paddleKeyer = true; }
    void press(Paddle paddle) { start(keyer.Press(paddle)); }
    void start(KeyerElement element)
    {
        if (element == KeyerElement::None)
            return;
        state.PlayQueue += QueueCharacter(element);
        host.appendMonitorElements(ElementSign(element));
        cycle.StartClick();
    }
    // The element buffers the output was given, as signs: a buffer whose tone sounds longer
    // than midway between a dot and a dash holds a dash.
    std::string sounded() const
    {
        std::string signs;
        const auto midway = static_cast<std::size_t>((timing.DotValues() + timing.DashValues()) / 2);
        for (const FakeAudioOutput::Buffer &b : output.written) {
            const auto last = std::find_if(b.values.rbegin(), b.values.rend(), [](std::int16_t v) { return v != 0; });
            signs += static_cast<std::size_t>(b.values.rend() - last) > midway ? '-' : '.';
        }
        return signs;
    }
};

// The keyer as the program runs it, on a clock of the test's own (ms). Each buffer plays from
// its writing, or from the end of the one before, and the output reports it `marginMs` before
// it has been heard, as the real one does (its 20 ms margin and a 512-frame block). Timer1 and
// the letter-gap timer fire when their time comes. The monitor side is wired as in the
// program: a paddle press stops the letter gap, the elements go to the key decoder, and the
// end of the keyer's queue arms its gap.
struct ClockedKeyer : KeyerRig {
    static constexpr double DefaultMarginMs = (441 + 512) * 1000.0 / AudioOutput::SampleRate;

    FakeMonitor monitor;
    FakeGapTimer gap;
    KeyTimingDecoder decoder{monitor, gap};
    double marginMs = DefaultMarginMs;
    double now = 0;
    struct Played {
        double start, end;
        bool reported;
    };
    std::vector<Played> played; // one per buffer written, in order

    explicit ClockedKeyer(int wpm = 12)
    {
        timing.setSpeed(wpm);
        decoder.SetLimits(wpm, 3);
        host.calibration = 0.2;
        host.elementsAppended = [this](const std::string &signs) { decoder.AppendElements(signs); };
        host.letterEnded = [this](int ms) { decoder.KeyerTextEnded(ms); };
    }

    // The sources, as the monitor's handlers drive the keyer.
    void down(Paddle paddle)
    {
        decoder.StopGapTimer();
        press(paddle);
        settle();
    }
    void up(Paddle paddle) { keyer.Release(paddle); }
    void tapScreen(Paddle paddle)
    {
        decoder.StopGapTimer();
        start(keyer.ScreenButtonPress(paddle));
        keyer.Release(paddle);
        settle();
    }

    double reportAt(std::size_t i) const { return played.at(i).end - marginMs; }
    double endAt(std::size_t i) const { return played.at(i).end; }

    // Lets the clock run to `t`, serving reports and timers in the order they fall due.
    void runUntil(double t)
    {
        for (;;) {
            enum { None, Report, Timer1, Gap } next = None;
            double when = t;
            std::size_t buffer = 0;
            for (std::size_t i = 0; i < played.size(); ++i) {
                if (!played[i].reported) {
                    if (reportAt(i) <= when) {
                        next = Report;
                        when = std::max(now, reportAt(i));
                        buffer = i;
                    }
                    break;
                }
            }
            if (timer1At && *timer1At < when) {
                next = Timer1;
                when = *timer1At;
            }
            if (gapAt && *gapAt < when) {
                next = Gap;
                when = *gapAt;
            }
            if (next == None)
                break;
            now = when;
            if (next == Report) {
                played[buffer].reported = true;
                reportedEnd = played[buffer].end;
                output.delay = (reportedEnd - now) / 1000.0;
                output.finishNext();
            } else if (next == Timer1) {
                timer1At.reset();
                output.delay = std::max(0.0, reportedEnd - now) / 1000.0;
                cycle.Timer1Timer();
            } else {
                gapAt.reset();
                decoder.GapTimerExpired();
            }
            settle();
        }
        now = t;
    }

private:
    // Takes note of what the last step wrote and armed.
    void settle()
    {
        for (std::size_t i = played.size(); i < output.written.size(); ++i) {
            const double start = played.empty() ? now : std::max(now, played.back().end);
            const double ms = output.written[i].values.size() / 2 * 1000.0 / AudioOutput::SampleRate;
            played.push_back({start, start + ms, false});
        }
        if (!host.timer1Running)
            timer1At.reset();
        else if (host.timer1Starts.size() > timer1Seen)
            timer1At = now + host.timer1Starts.back();
        timer1Seen = host.timer1Starts.size();
        if (gap.armedMs == 0)
            gapAt.reset();
        else if (gap.starts > gapSeen)
            gapAt = now + gap.armedMs;
        gapSeen = gap.starts;
    }

    std::optional<double> timer1At, gapAt;
    double reportedEnd = 0; // the end of the buffer last reported
    std::size_t timer1Seen = 0;
    int gapSeen = 0;
};

} // namespace

TEST(PaddleKeyer, BothPaddlesHeldAlternateStartingWithThePaddlePressedFirst)
{
    for (Paddle first : {Paddle::Dash, Paddle::Dot}) {
        KeyerRig rig;
        const Paddle second = first == Paddle::Dash ? Paddle::Dot : Paddle::Dash;
        rig.press(first);
        rig.press(second); // while the first element sounds: only its flag
        for (int i = 0; i < 4; ++i)
            rig.output.finishNext();
        const std::string expected = first == Paddle::Dash ? "-.-.-" : ".-.-.";
        EXPECT_EQ(rig.host.monitorElements, expected);
        EXPECT_EQ(rig.sounded(), expected);

        // Releasing both: the element sounding is the last; the queue end clears the memory
        // and hands the letter to the decoder once.
        rig.keyer.Release(Paddle::Dash);
        rig.keyer.Release(Paddle::Dot);
        rig.playAll();
        EXPECT_EQ(rig.host.monitorElements, expected);
        EXPECT_FALSE(rig.state.LastElementDash || rig.state.LastElementDot);
        EXPECT_EQ(rig.host.count("keyerTextEnded"), 1);
    }
}

TEST(PaddleKeyer, APressWhileAnElementSoundsQueuesNothingAndTheElementFollowsAtItsEnd)
{
    KeyerRig rig;
    rig.press(Paddle::Dot);
    rig.keyer.Release(Paddle::Dot);
    rig.press(Paddle::Dash);
    EXPECT_EQ(rig.state.PlayQueue, "e");
    EXPECT_EQ(rig.host.monitorElements, ".");
    rig.output.finishNext();
    EXPECT_EQ(rig.host.monitorElements, ".-");
    EXPECT_TRUE(rig.state.LastElementDash);

    // What the engine reads at the end of the element is the flag: a tap released before
    // then leaves nothing behind.
    KeyerRig tap;
    tap.press(Paddle::Dot);
    tap.keyer.Release(Paddle::Dot);
    tap.press(Paddle::Dash);
    tap.keyer.Release(Paddle::Dash);
    tap.output.finishNext();
    EXPECT_EQ(tap.host.monitorElements, ".");
    EXPECT_TRUE(tap.state.PlayQueue.empty());
}

TEST(PaddleKeyer, TheLetterGapIsArmedWhetherOrNotAnOutputIsKeyed)
{
    // 12 wpm: the plain gap is 94 ms, so the letter ends two gaps after the last buffer.
    for (bool keyed : {false, true}) {
        KeyerRig rig;
        rig.host.keying = keyed;
        rig.press(Paddle::Dash);
        rig.keyer.Release(Paddle::Dash);
        rig.playAll();
        EXPECT_EQ(rig.host.keyerLetterGapMs, 188) << (keyed ? "keyed" : "no output");
    }
}

TEST(PaddleKeyer, ElementsStartedAfterTheirPaddlesWereLetGoStillEndTheLetter)
{
    // T, P, T tapped on screen while the first dash sounds: the dot and the second dash start
    // only after their buttons are up again.
    KeyerRig rig;
    for (Paddle paddle : {Paddle::Dash, Paddle::Dot, Paddle::Dash}) {
        rig.start(rig.keyer.ScreenButtonPress(paddle));
        rig.keyer.Release(paddle);
    }
    rig.playAll();
    EXPECT_EQ(rig.host.monitorElements, "-.-");
    ASSERT_EQ(rig.output.written.size(), 3u);
    EXPECT_EQ(rig.host.count("keyerTextEnded"), 1);
    EXPECT_EQ(rig.host.keyerLetterGapMs, 188);

    // The letter gap is all that ignores the paddles: the two let go sound with the plain gap
    // and the character space, as the same letters typed.
    EngineRig typed;
    typed.send("et");
    typed.playAll();
    const std::vector<std::size_t> keyed = rig.lengths();
    EXPECT_EQ(std::vector<std::size_t>(keyed.begin() + 1, keyed.end()), typed.lengths());
}

TEST(PaddleTiming, ThePaddlesAreReadWhenTheElementHasBeenHeardNotWhenItsBufferComesBack)
{
    // 12 wpm, calibration 0.2: a dash and the keyer's gap last 355 ms, and the output hands
    // the buffer back 43 ms before that.
    struct Case {
        int wpm;
        Paddle paddle;
        double heldMs;
        const char *elements, *memo;
    } cases[] = {
        {12, Paddle::Dash, 330, "-", "T "},  // let go after the buffer came back
        {12, Paddle::Dash, 360, "--", "M "}, // still down when the dash had been heard
        {30, Paddle::Dot, 36, ".", "E "},    // a 58.8 ms dot, let go before its end
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.wpm) + " wpm, held " + std::to_string(c.heldMs) + " ms");
        ClockedKeyer rig(c.wpm);
        rig.down(c.paddle);
        ASSERT_LT(rig.reportAt(0), c.heldMs);
        rig.runUntil(c.heldMs);
        rig.up(c.paddle);
        rig.runUntil(5000);
        EXPECT_EQ(rig.host.monitorElements, c.elements);
        EXPECT_EQ(rig.sounded(), c.elements);
        EXPECT_EQ(rig.monitor.memo, c.memo);
    }
}

// The keyer and the key decoder agree on the letter whatever the order in which the paddle
// edges, the output's reports, the held report's end and the letter gap come.
TEST(PaddleTiming, KeyerAndDecoderAgreeWhateverTheOrderOfPaddlesReportsAndTimers)
{
    using Script = std::function<void(ClockedKeyer &)>;
    using When = std::function<double(const ClockedKeyer &)>;
    const When between = [](const ClockedKeyer &r) { return (r.reportAt(0) + r.endAt(0)) / 2; };
    // The dash paddle held from the start and let go at `at`.
    const auto dashHeldUntil = [](When at) -> Script {
        return [at](ClockedKeyer &r) {
            r.down(Paddle::Dash);
            r.runUntil(at(r));
            r.up(Paddle::Dash);
        };
    };
    // T tapped, then P `after` ms after the dash has been heard (the letter gap is 188 ms).
    const auto dotAfterTheDash = [](double after) -> Script {
        return [after](ClockedKeyer &r) {
            r.tapScreen(Paddle::Dash);
            r.runUntil(r.endAt(0) + after);
            r.tapScreen(Paddle::Dot);
        };
    };
    struct Case {
        const char *name;
        Script script;
        const char *memo;
    } cases[] = {
        {"paddle up just before the report", dashHeldUntil([](const ClockedKeyer &r) { return r.reportAt(0) - 1; }),
         "T "},
        {"paddle up between the report and the end heard", dashHeldUntil(between), "T "},
        {"paddle up just after the end heard", dashHeldUntil([](const ClockedKeyer &r) { return r.endAt(0) + 1; }),
         "M "},
        {"other paddle down while the report is held, up after the end",
         [&](ClockedKeyer &r) {
             r.down(Paddle::Dash);
             r.up(Paddle::Dash);
             r.runUntil(between(r));
             r.down(Paddle::Dot);
             r.runUntil(r.endAt(0) + 30);
             r.up(Paddle::Dot);
         },
         "N "},
        {"T, P, T tapped while the first dash sounds",
         [](ClockedKeyer &r) {
             for (Paddle paddle : {Paddle::Dash, Paddle::Dot, Paddle::Dash}) {
                 r.tapScreen(paddle);
                 r.runUntil(r.now + 50);
             }
         },
         "K "},
        {"T, then P and T handled late, while the dash's report is held",
         [&](ClockedKeyer &r) {
             r.tapScreen(Paddle::Dash);
             r.runUntil(between(r));
             r.tapScreen(Paddle::Dot);
             r.tapScreen(Paddle::Dash);
         },
         "K "},
        {"T held from while a dash sounds until after its report, let go before its end",
         [&](ClockedKeyer &r) {
             r.down(Paddle::Dash);
             r.up(Paddle::Dash);
             r.runUntil(r.now + 50);
             r.start(r.keyer.ScreenButtonPress(Paddle::Dash));
             r.runUntil(between(r));
             r.up(Paddle::Dash);
         },
         "M "},
        {"pressed again just before the letter gap runs out", dotAfterTheDash(187), "N "},
        {"pressed again just after the letter gap ran out", dotAfterTheDash(190), "TE "},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ClockedKeyer rig;
        c.script(rig);
        rig.runUntil(rig.now + 5000);
        EXPECT_EQ(rig.host.monitorElements, rig.sounded());
        EXPECT_EQ(rig.monitor.memo, c.memo);
        EXPECT_TRUE(rig.decoder.MonitorElements().empty());
        // The letter gap runs from the last element's end as heard: two plain gaps (188 ms).
        EXPECT_EQ(rig.host.keyerLetterGapMs, 188);
    }
}

TEST(PaddleKeyer, ScreenButtonsAndJoystickKeepNoMemoryOfTheirOwn)
{
    EngineState s;
    PaddleKeyer keyer(s);
    // The on-screen buttons append whatever the queue holds.
    s.PlayQueue = "t";
    EXPECT_EQ(keyer.ScreenButtonPress(Paddle::Dot), KeyerElement::Dot);
    EXPECT_TRUE(s.DotPaddleDown);
    EXPECT_FALSE(s.DashPaddleDown);
    EXPECT_FALSE(s.LastElementDot || s.LastElementDash);

    // A joystick button clears the other flag: both are never held together, so only the
    // last pressed repeats.
    s = EngineState{};
    EXPECT_EQ(keyer.PressAlone(Paddle::Dash), KeyerElement::Dash);
    s.PlayQueue = "t";
    EXPECT_EQ(keyer.PressAlone(Paddle::Dot), KeyerElement::None);
    EXPECT_FALSE(s.DashPaddleDown);
    EXPECT_EQ(keyer.ElementDone(), KeyerElement::Dot);
    EXPECT_EQ(keyer.ElementDone(), KeyerElement::Dot);

    // Both held with no memory at all: nothing follows.
    s = EngineState{};
    s.DashPaddleDown = s.DotPaddleDown = true;
    EXPECT_EQ(keyer.ElementDone(), KeyerElement::None);
}

TEST(KeySources, TheTwoLineChoicesNeverNameTheSameLine)
{
    using L = KeyerLine;
    // The six collisions: the other group moves.
    EXPECT_EQ(DashLineAfterDotChoice(L::DSR, L::DSR), L::CTS);
    EXPECT_EQ(DashLineAfterDotChoice(L::CTS, L::CTS), L::DSR);
    EXPECT_EQ(DashLineAfterDotChoice(L::CD, L::CD), L::CTS);
    EXPECT_EQ(DotLineAfterDashChoice(L::DSR, L::DSR), L::CTS);
    EXPECT_EQ(DotLineAfterDashChoice(L::CTS, L::CTS), L::DSR);
    EXPECT_EQ(DotLineAfterDashChoice(L::CD, L::CD), L::DSR);
    // Without a collision nothing moves.
    EXPECT_EQ(DashLineAfterDotChoice(L::CD, L::DSR), L::DSR);
    EXPECT_EQ(DotLineAfterDashChoice(L::CTS, L::CD), L::CTS);
}

TEST(KeySources, UncheckingTheLastSupplyLineChecksTheOther)
{
    // A click on DTR that unchecks it, with RTS unchecked: RTS comes back, mask 2.
    EXPECT_EQ(SupplyAfterClick(true, false, false).mask, 2);
    EXPECT_TRUE(SupplyAfterClick(true, false, false).rts);
    EXPECT_EQ(SupplyAfterClick(false, false, false).mask, 1);
    EXPECT_TRUE(SupplyAfterClick(false, false, false).dtr);
    // Checking one beside the other gives both; unchecking one of two leaves the other.
    EXPECT_EQ(SupplyAfterClick(true, true, true).mask, 3);
    EXPECT_EQ(SupplyAfterClick(false, true, false).mask, 1);
    EXPECT_EQ(SupplyAfterClick(true, false, true).mask, 2);
}

TEST(KeySources, EachSourceDeliversOnlyEdges)
{
    KeyEdges edges;
    EXPECT_FALSE(edges.Accept(KeySource::LineCTS, false)); // up while up
    EXPECT_TRUE(edges.Accept(KeySource::LineCTS, true));
    EXPECT_FALSE(edges.Accept(KeySource::LineCTS, true)); // down while down
    EXPECT_TRUE(edges.Accept(KeySource::CtrlKey, true));  // another source is its own
    EXPECT_TRUE(edges.Accept(KeySource::LineCTS, false));
    edges.Forget(KeySource::CtrlKey);
    EXPECT_FALSE(edges.Down(KeySource::CtrlKey));
    EXPECT_TRUE(edges.Accept(KeySource::CtrlKey, true));
}
