// The sending engine on a sound device that takes blocks in real time, through the real
// mixer: what leaves the device is exactly the characters' buffers one after the other, and
// the keying and the end of the text come when the sound does.

#include "engine/enginestate.h"
#include "engine/playbackcycle.h"
#include "engine/sendingengine.h"
#include "engine/timing.h"
#include "engine/tone.h"
#include "tests/common/testsupport.h"
#include "tests/engine/fakeenginehost.h"
#include "tests/platform/clockeddevice.h"

#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

namespace {

using Samples = std::vector<std::int16_t>;
using TimePoint = ClockedOutput::Clock::time_point;

// Keeps what the engine hands over.
class RecordingOutput : public ClockedOutput {
public:
    using ClockedOutput::ClockedOutput;
    int write(Tag tag, const std::int16_t *data, std::size_t values) override
    {
        written.emplace_back(data, data + values);
        return ClockedOutput::write(tag, data, values);
    }
    std::vector<Samples> written;
};

// Timer1 runs for real; the keying start and the end of the text are timed.
class TimedHost : public FakeEngineHost {
public:
    TimedHost(AudioOutput &out) : m_out(out)
    {
        m_timer1.setSingleShot(true);
        m_timer1.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer1, &QTimer::timeout, [this] { cycle->Timer1Timer(); });
    }
    void startTimer1(int ms) override
    {
        FakeEngineHost::startTimer1(ms);
        m_timer1.start(ms);
    }
    void stopTimer1() override
    {
        FakeEngineHost::stopTimer1();
        m_timer1.stop();
    }
    void keyFirstElement(const CWElementTable &table) override
    {
        FakeEngineHost::keyFirstElement(table);
        keyingStarts.push_back(ClockedOutput::Clock::now()
                               + std::chrono::duration_cast<ClockedOutput::Clock::duration>(
                                   std::chrono::duration<double>(m_out.startDelay())));
    }
    void releaseKeyingLines() override
    {
        FakeEngineHost::releaseKeyingLines();
        released = ClockedOutput::Clock::now();
    }

    PlaybackCycle *cycle = nullptr;
    std::vector<TimePoint> keyingStarts; // when each character's keying is due to start
    TimePoint released{};

private:
    AudioOutput &m_out;
    QTimer m_timer1;
};

std::size_t firstSound(const Samples &s)
{
    return std::find_if(s.begin(), s.end(), [](std::int16_t v) { return v != 0; }) - s.begin();
}

// The sending engine and its playback cycle on a clocked device, at `wpm`, with or without
// keyed lines.
struct EngineOnDevice {
    EngineOnDevice(std::size_t block, int wpm, bool keying) : output(block), host(output)
    {
        host.keying = keying;
        timing.setSpeed(wpm);
        timing.setStartSilence(0);
        tone.Tables.BuildToneTables();
        host.cycle = &cycle;
    }
    RecordingOutput output;
    EngineState state;
    TimedHost host;
    Timing timing;
    ToneGenerator tone;
    EffectSwitches effects;
    SendingEngine engine{state, host, output, timing, tone, effects};
    PlaybackCycle cycle{state, host, output, engine};
};

class SoundStream : public testing::TestWithParam<std::tuple<std::size_t, std::string, int>> {};

TEST_P(SoundStream, CharactersFollowEachOtherExactlyAsRenderedAndKeyingKeepsInStep)
{
    const auto [block, text, wpm] = GetParam();
    EngineOnDevice rig(block, wpm, true);
    auto &[output, state, host, timing, tone, effects, engine, cycle] = rig;
    // Wide enough for a loaded test machine; the program's own margin is 20 ms.
    output.setFollowMargin(std::chrono::milliseconds(200));
    ASSERT_EQ(output.open(-1), 0);

    state.PlayQueue = text;
    cycle.BeginTransmission(true);
    ASSERT_TRUE(testsupport::waitFor([&] { return host.count("releaseKeyingLines") == 1; }, 30000));
    std::size_t rendered = 0;
    for (const Samples &b : output.written)
        rendered += b.size() / 2;
    // Let the device play on a little past the end.
    ASSERT_TRUE(testsupport::waitFor(
        [&] { return output.recording().size() / 2 > firstSound(output.recording()) / 2 + rendered + 4096; }, 5000));
    output.close();

    Samples sent;
    std::vector<std::size_t> starts; // each buffer's first frame within `sent`
    for (const Samples &b : output.written) {
        starts.push_back(sent.size() / 2);
        sent.insert(sent.end(), b.begin(), b.end());
    }
    ASSERT_EQ(output.written.size(), text.size());
    const Samples heard = output.recording();
    // Aligned on the first sound, the device played the buffers back to back (so every gap
    // as rendered, to the frame), and silence around them.
    const std::size_t offset = firstSound(heard) - firstSound(sent);
    ASSERT_GE(heard.size(), offset + sent.size());
    EXPECT_TRUE(std::equal(sent.begin(), sent.end(), heard.begin() + offset));
    EXPECT_EQ(firstSound(Samples(heard.begin() + offset + sent.size(), heard.end())),
              heard.size() - offset - sent.size());

    // Each character's keying is due when its sound leaves the device. (The first one's
    // sound waits for the device's next block, which a busy machine may make later.)
    ASSERT_EQ(host.keyingStarts.size(), text.size());
    for (std::size_t i = 1; i < text.size(); ++i) {
        const TimePoint sounded = output.frameTime(offset / 2 + starts[i]);
        EXPECT_LE(std::abs(std::chrono::duration<double, std::milli>(sounded - host.keyingStarts[i]).count()), 0.1)
            << "character " << i;
    }
    // The text ends (lines released) once its last buffer has left the device.
    EXPECT_GE(host.released, output.frameTime(offset / 2 + sent.size() / 2) - std::chrono::milliseconds(1));
}

// A sound server that stops taking sound for a while (short of a loss) while a text plays:
// the keying lines go on at the text's own pace, silent, and come down when the text would
// have ended, as the transmitter needs; no wait of the device's is added to either.
TEST(SoundStreamStall, KeyingKeepsItsPaceAndTheLinesComeDownWhenTheTextWouldHaveEnded)
{
    EngineOnDevice rig(256, 20, true);
    auto &[output, state, host, timing, tone, effects, engine, cycle] = rig;
    output.setStartGrace(std::chrono::milliseconds(0));
    output.setLossLimit(std::chrono::milliseconds(60000));
    output.setStallCut(StreamOutput::StallCut);
    ASSERT_EQ(output.open(-1), 0);
    ASSERT_TRUE(testsupport::waitFor([&] { return !output.recording().empty(); }));

    output.stall();
    const TimePoint began = ClockedOutput::Clock::now();
    state.PlayQueue = "paris";
    cycle.BeginTransmission(true);
    ASSERT_TRUE(testsupport::waitFor([&] { return host.count("releaseKeyingLines") == 1; }, 30000));
    EXPECT_TRUE(output.isOpen());
    ASSERT_EQ(output.written.size(), 5u);
    std::vector<std::chrono::duration<double, std::milli>> lengths;
    for (const Samples &b : output.written)
        lengths.emplace_back(1000.0 * double(b.size() / 2) / AudioOutput::SampleRate);
    // Each character is keyed once the one before has had its full length.
    ASSERT_EQ(host.keyingStarts.size(), 5u);
    std::chrono::duration<double, std::milli> before{0};
    for (std::size_t i = 1; i < 5; ++i) {
        before += lengths[i - 1];
        EXPECT_GE(host.keyingStarts[i] - host.keyingStarts[0], before - std::chrono::milliseconds(2))
            << "character " << i;
    }
    // And the whole text, as long as its sound would have been, ends with little more.
    std::chrono::duration<double, std::milli> total{0};
    for (const auto &l : lengths)
        total += l;
    EXPECT_LT(host.released - began, total + std::chrono::milliseconds(800)); // 400 ms at each character before
    output.resume();
}

// Without keyed lines the sound is what the learner follows: through a short stall (a loaded
// desktop's server recovering) the text waits for it, and every character is heard whole.
TEST(SoundStreamStall, WithoutKeyedLinesEveryCharacterIsHeardAfterAShortStall)
{
    EngineOnDevice rig(256, 30, false);
    auto &[output, state, host, timing, tone, effects, engine, cycle] = rig;
    output.setStartGrace(std::chrono::milliseconds(0));
    output.setStallCut(StreamOutput::StallCut);
    ASSERT_EQ(output.open(-1), 0);
    ASSERT_TRUE(testsupport::waitFor([&] { return output.framesTaken() > 0; }));

    state.PlayQueue = "paris";
    cycle.BeginTransmission(true);
    ASSERT_TRUE(testsupport::waitFor([&] { return firstSound(output.recording()) < output.recording().size(); }));
    // "p" sounds 440 ms and its buffer is due back 120 ms later: the stall holds that time.
    const TimePoint sounded = output.frameTime(firstSound(output.recording()) / 2);
    testsupport::waitFor([&] { return ClockedOutput::Clock::now() >= sounded + std::chrono::milliseconds(400); }, 2000);
    output.stall();
    testsupport::waitFor([] { return false; }, 200);
    output.resume();
    ASSERT_TRUE(testsupport::waitFor([&] { return host.count("releaseKeyingLines") == 1; }, 30000));
    testsupport::waitFor([] { return false; }, 100);
    output.close();
    // Each character's buffer is in the recording, whole.
    const Samples heard = output.recording();
    ASSERT_EQ(output.written.size(), 5u);
    for (std::size_t i = 0; i < output.written.size(); ++i) {
        const Samples &b = output.written[i];
        const std::size_t first = firstSound(b);
        EXPECT_NE(std::search(heard.begin(), heard.end(), b.begin() + first, b.end()), heard.end())
            << "character " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(BlocksTextsSpeeds, SoundStream,
                         testing::Combine(testing::Values<std::size_t>(256, 1024),
                                          testing::Values<std::string>("eeeee", "paris"),
                                          testing::Values(12, 40)),
                         [](const auto &info) {
                             return "Block" + std::to_string(std::get<0>(info.param)) + "_"
                                 + std::get<1>(info.param) + "_" + std::to_string(std::get<2>(info.param)) + "wpm";
                         });

} // namespace
