// The hand key's timing decoder on an injected clock, with a gap timer fired by the test and
// a character writer of the real decoder: what the learner keys against what the monitor
// shows.

#include "engine/keydecoder.h"
#include "tests/engine/fakemonitor.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::chrono_literals;

namespace {

struct Rig {
    FakeMonitor monitor;
    FakeGapTimer timer;
    KeyTimingDecoder decoder{monitor, timer};
    KeyTimingDecoder::Clock::time_point now{};

    explicit Rig(bool unlimitedDash = false, int wpm = 12)
    {
        decoder.SetLimits(wpm, 3);
        decoder.SetUnlimitedDash(unlimitedDash);
        now += 1h;
    }
    void mark(std::chrono::milliseconds length)
    {
        decoder.KeyDown(now);
        now += length;
        decoder.KeyUp(now);
    }
    // Time passes in silence: the armed gap timer expires when its turn comes.
    void silence(std::chrono::milliseconds length)
    {
        auto left = length;
        while (timer.armedMs != 0 && std::chrono::milliseconds(timer.armedMs) <= left) {
            left -= std::chrono::milliseconds(timer.armedMs);
            now += std::chrono::milliseconds(timer.armedMs);
            decoder.GapTimerExpired();
        }
        now += left;
        if (timer.armedMs != 0) // partly run out when the next press stops it
            timer.armedMs -= static_cast<int>(left.count());
    }
};

} // namespace

TEST(KeyTimingLimits, FollowSpeedAndWeightWithHalvesToEven)
{
    struct Case {
        int wpm, weight;
        KeyTimingLimits limits;
    } cases[] = {
        {12, 3, {150, 198, 390, 250}}, {12, 4, {150, 198, 520, 250}}, {12, 5, {150, 198, 650, 250}},
        {5, 3, {360, 475, 936, 600}},  {5, 4, {360, 475, 1248, 600}}, {5, 5, {360, 475, 1560, 600}},
        {70, 3, {26, 34, 67, 43}},     {70, 4, {26, 34, 89, 43}},     {70, 5, {26, 34, 111, 43}},
        // 4680 / 16 = 292.5 and 1800 / 48 = 37.5: halves go to the even neighbour.
        {16, 3, {112, 148, 292, 188}}, {48, 3, {38, 50, 98, 62}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.wpm) + " wpm weight " + std::to_string(c.weight));
        EXPECT_EQ(KeyTimingLimitsFor(c.wpm, c.weight), c.limits);
    }
    // A speed of 0 (an emptied speed box) or below never divides: it is held at 5.
    EXPECT_EQ(KeyTimingLimitsFor(0, 3), KeyTimingLimitsFor(5, 3));
    EXPECT_EQ(KeyTimingLimitsFor(-7, 9), KeyTimingLimitsFor(5, 5));
    EXPECT_EQ(KeyTimingText(KeyTimingLimitsFor(12, 3)), " pmax:150  tmin:198  tmax:390  imax:250");
}

TEST(KeyTimingDecoder, MarksAtTheClassBoundaries)
{
    // Each mark with a 500-ms space is a letter of its own; the last one gets the word space.
    Rig rig;
    for (int ms : {149, 150, 198, 199, 389, 390}) {
        rig.mark(std::chrono::milliseconds(ms));
        rig.silence(500ms);
    }
    rig.silence(2s);
    EXPECT_EQ(rig.monitor.memo, "E[?][?]TT[!] ");
    EXPECT_EQ(rig.monitor.line, ". ? ? - - ! ");

    Rig unlimited(true);
    unlimited.mark(1000ms);
    unlimited.silence(2s);
    EXPECT_EQ(unlimited.monitor.memo, "T ");
    EXPECT_EQ(unlimited.monitor.timings, " pmax:150  tmin:198  tmax:390  imax:250  s:1000  i:0");
}

TEST(KeyTimingDecoder, LetterEndsAtTheLetterGapAndOneWordSpaceFollowsHoweverLongThePause)
{
    Rig rig;
    // A-R: ".-" with 100-ms spaces, then a 200-ms space (below imax) continues the letter.
    rig.mark(100ms);
    rig.silence(100ms);
    rig.mark(300ms);
    rig.silence(200ms);
    rig.mark(100ms);
    EXPECT_EQ(rig.decoder.MonitorElements(), ".-.");
    EXPECT_EQ(rig.timer.armedMs, 250);
    rig.silence(250ms);
    EXPECT_EQ(rig.monitor.memo, "R");
    EXPECT_EQ(rig.timer.armedMs, 500); // the word space 3 x imax after the release
    rig.silence(1h);
    EXPECT_EQ(rig.monitor.memo, "R ");
    EXPECT_EQ(rig.timer.armedMs, 0);
    EXPECT_EQ(rig.monitor.timings, " pmax:150  tmin:198  tmax:390  imax:250  s:100  i:200");
}

TEST(KeyTimingDecoder, BouncesDropTheLetterBeingKeyed)
{
    Rig rig;
    rig.mark(100ms);
    rig.silence(100ms);
    rig.mark(300ms);
    rig.silence(100ms);
    rig.mark(19ms); // a bounce: ".-" is dropped
    EXPECT_EQ(rig.decoder.MonitorElements(), "");
    rig.silence(100ms);
    rig.mark(100ms); // the next letter starts fresh
    rig.silence(2s);
    EXPECT_EQ(rig.monitor.memo, "E ");

    // A space under 20 ms: the release after it is not classified.
    Rig space;
    space.mark(100ms);
    space.silence(19ms);
    space.mark(300ms);
    EXPECT_EQ(space.decoder.MonitorElements(), "");
    EXPECT_EQ(space.monitor.line, ".");
    EXPECT_EQ(space.timer.armedMs, 0);
    space.silence(2s);
    EXPECT_EQ(space.monitor.memo, "");
}

TEST(KeyTimingDecoder, TheKeyersLetterEndsAfterItsGapAndNothingIsWrittenForNothing)
{
    Rig rig;
    rig.decoder.AppendElements("-.-");
    rig.decoder.KeyerTextEnded(188);
    EXPECT_EQ(rig.timer.armedMs, 188);
    rig.silence(188ms);
    EXPECT_EQ(rig.monitor.memo, "K");
    EXPECT_EQ(rig.timer.armedMs, 376);
    rig.silence(376ms);
    EXPECT_EQ(rig.monitor.memo, "K ");

    // A letter cleared while its gap runs takes the timer with it; and a gap that ends with
    // no elements writes neither a character nor a word space.
    rig.decoder.AppendElements(".");
    rig.decoder.KeyerTextEnded(188);
    rig.decoder.ClearLetter();
    EXPECT_EQ(rig.timer.armedMs, 0);
    rig.decoder.KeyerTextEnded(188);
    rig.silence(10s);
    EXPECT_EQ(rig.monitor.memo, "K ");
    // No letter gap at all (0): nothing is armed.
    rig.decoder.AppendElements(".");
    rig.decoder.KeyerTextEnded(0);
    EXPECT_EQ(rig.timer.armedMs, 0);
}
