// The output reports a buffer a little before its end. The playback cycle hands the next one
// over at once when one follows, and otherwise holds the report until the sound has ended.

#include "tests/engine/enginerig.h"

#include <gtest/gtest.h>

namespace {

TEST(HeldReport, TheLastCharacterEndsTheTextOnceHeardUnlessAnotherIsTypedOrTheSoundCut)
{
    EngineRig rig;
    rig.output.delay = 0.040; // what the output still plays after a report
    rig.send("ee");
    rig.output.finishNext(); // a character follows: handed over at once
    EXPECT_EQ(rig.output.written.size(), 2u);
    EXPECT_TRUE(rig.host.timer1Starts.empty());
    rig.output.finishNext(); // the last one: held until its sound has ended
    EXPECT_EQ(rig.host.timer1Starts, std::vector<int>({40}));
    EXPECT_FALSE(rig.state.PlaybackDone);
    EXPECT_EQ(rig.host.count("releaseKeyingLines"), 0);

    rig.send("t"); // typed meanwhile: follows at once
    EXPECT_FALSE(rig.host.timer1Running);
    EXPECT_EQ(rig.output.written.size(), 3u);
    EXPECT_EQ(rig.host.count("releaseKeyingLines"), 0);
    rig.output.finishNext();
    rig.cycle.StopWaveOut(); // nothing left to wait for
    EXPECT_FALSE(rig.host.timer1Running);
    EXPECT_EQ(rig.host.count("releaseKeyingLines"), 1);

    rig.send("e");
    rig.output.finishNext();
    rig.cycle.Timer1Timer();
    EXPECT_TRUE(rig.state.PlaybackDone);
    EXPECT_TRUE(rig.state.PlayQueue.empty());
    EXPECT_EQ(rig.host.count("releaseKeyingLines"), 2);
}

TEST(HeldReport, ARandomSeriesDrawsItsNextUnitWithoutWaiting)
{
    EngineRig rig;
    rig.output.delay = 0.040;
    rig.host.randomChecked = true;
    rig.state.RandomPlaying = true;
    rig.send("e");
    rig.output.finishNext();
    EXPECT_TRUE(rig.host.timer1Starts.empty());
    EXPECT_EQ(rig.host.count("randomNextUnit"), 1);
}

// A device unplugged while a text plays: said once, and the text goes on on the timer, at
// the pace of its sound.
TEST(HeldReport, ALostOutputIsReportedOnceAndTheTextGoesOnWithoutASoundCard)
{
    EngineRig rig;
    rig.output.delay = 0.040;
    rig.send("eee");
    rig.output.fail(-9985);
    EXPECT_TRUE(rig.state.NoSoundCard);
    rig.output.finishAll(); // the buffers out come back as dropped
    EXPECT_EQ(rig.output.written.size(), 1u);
    const int eMs = static_cast<int>(rig.output.written[0].values.size() * 1000 / (2 * 22050));
    EXPECT_EQ(rig.host.timer1Starts, std::vector<int>({eMs}));
    rig.cycle.Timer1Timer();
    rig.cycle.Timer1Timer();
    EXPECT_TRUE(rig.state.PlayQueue.empty());
    EXPECT_TRUE(rig.state.PlaybackDone);
    EXPECT_EQ(rig.host.messages, std::vector<std::string>({"Err -9985 : Can't open the sound card !"}));
}

} // namespace
