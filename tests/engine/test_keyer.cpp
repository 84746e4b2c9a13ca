// The paddle keyer through the sending engine and its playback cycle (elements rendered into
// the fake output, the element line recorded by the host), and the rules of the key sources.

#include "engine/keyer.h"
#include "tests/engine/enginerig.h"

#include <gtest/gtest.h>

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
        host.monitorElements += ElementSign(element);
        cycle.StartClick();
    }
    // The element buffers the output was given, as signs (a dash renders longer).
    std::string sounded() const
    {
        std::string signs;
        for (std::size_t values : lengths())
            signs += values > 12000 ? '-' : '.';
        return signs;
    }
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
