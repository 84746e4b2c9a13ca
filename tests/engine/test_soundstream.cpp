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
#include "tests/engine/silences.h"
#include "tests/platform/clockeddevice.h"
#include "tests/platform/steppeddevice.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <tuple>

namespace {

using Samples = std::vector<std::int16_t>;
using TimePoint = ClockedOutput::Clock::time_point;

// Keeps what the engine hands over.
template <typename Device>
class Recording : public Device {
public:
    using Device::Device;
    int write(AudioOutput::Tag tag, const std::int16_t *data, std::size_t values) override
    {
        written.emplace_back(data, data + values);
        return Device::write(tag, data, values);
    }
    // What was handed over, back to back, with each buffer's first frame in it.
    Samples sent(std::vector<std::size_t> *starts = nullptr) const
    {
        Samples all;
        for (const Samples &b : written) {
            if (starts)
                starts->push_back(all.size() / 2);
            all.insert(all.end(), b.begin(), b.end());
        }
        return all;
    }
    std::vector<Samples> written;
};

// The keying start and the end of the text, timed by the device's clock.
class TimedHost : public FakeEngineHost {
public:
    TimedHost(AudioOutput &out, std::function<TimePoint()> clock) : m_out(out), m_clock(std::move(clock)) {}
    void keyFirstElement(const CWElementTable &table) override
    {
        FakeEngineHost::keyFirstElement(table);
        keyingStarts.push_back(m_clock()
                               + std::chrono::duration_cast<TimePoint::duration>(
                                   std::chrono::duration<double>(m_out.startDelay())));
    }
    void releaseKeyingLines() override
    {
        FakeEngineHost::releaseKeyingLines();
        released = m_clock();
    }

    std::vector<TimePoint> keyingStarts; // when each character's keying is due to start
    TimePoint released{};

protected:
    AudioOutput &m_out;
    std::function<TimePoint()> m_clock;
};

// Timer1 runs for real.
class RealTimeHost : public TimedHost {
public:
    explicit RealTimeHost(AudioOutput &out) : TimedHost(out, [] { return ClockedOutput::Clock::now(); })
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

    PlaybackCycle *cycle = nullptr;

private:
    QTimer m_timer1;
};

// Timer1 runs on the clock of a device that the test drives.
class SteppedHost : public TimedHost {
public:
    explicit SteppedHost(SteppedOutput &out) : TimedHost(out, [&out] { return out.time(); }) {}
    void startTimer1(int ms) override
    {
        FakeEngineHost::startTimer1(ms);
        timer1Due = m_clock() + std::chrono::milliseconds(ms);
    }
    void stopTimer1() override
    {
        FakeEngineHost::stopTimer1();
        timer1Due.reset();
    }

    std::optional<TimePoint> timer1Due;
};

std::size_t firstSound(const Samples &s)
{
    return std::find_if(s.begin(), s.end(), [](std::int16_t v) { return v != 0; }) - s.begin();
}

// The sending engine and its playback cycle on a sound device, at `wpm`, with or without
// keyed lines.
template <typename Device, typename Host>
struct EngineOn {
    EngineOn(std::size_t block, int wpm, bool keying) : output(block), host(output)
    {
        host.keying = keying;
        timing.setSpeed(wpm);
        timing.setStartSilence(0);
        tone.Tables.BuildToneTables();
    }
    Recording<Device> output;
    EngineState state;
    Host host;
    Timing timing;
    ToneGenerator tone;
    EffectSwitches effects;
    SendingEngine engine{state, host, output, timing, tone, effects};
    PlaybackCycle cycle{state, host, output, engine};
};

// On a device that takes blocks in real time.
struct EngineOnDevice : EngineOn<ClockedOutput, RealTimeHost> {
    EngineOnDevice(std::size_t block, int wpm, bool keying) : EngineOn(block, wpm, keying) { host.cycle = &cycle; }
};

// On a device whose clock the test drives (Timer1 runs on that clock too): what is timed is
// time as the device goes, not the wall clock of a machine that may be starved.
struct EngineOnSteppedDevice : EngineOn<SteppedOutput, SteppedHost> {
    using EngineOn::EngineOn;
    // The output opened as the program opens it (an opening that took long is taken later).
    bool open()
    {
        output.open(-1);
        return testsupport::waitFor([&] { return output.isOpen(); }, 30000);
    }
    // Moves the device's clock on until `done` holds, at most `limit` of the device's time:
    // each block and Timer1 at their own times, each followed by what it set off (the
    // output's reports, the engine's answers).
    bool runUntil(const std::function<bool()> &done, std::chrono::milliseconds limit)
    {
        const TimePoint end = output.time() + limit;
        settle();
        while (!done()) {
            TimePoint next = output.nextBlock();
            const bool timer = host.timer1Due && *host.timer1Due <= next;
            if (timer)
                next = *host.timer1Due;
            if (next > end) {
                output.runTo(end);
                settle();
                return done();
            }
            output.runTo(next);
            if (timer) {
                host.timer1Due.reset();
                cycle.Timer1Timer();
            }
            settle();
        }
        return true;
    }
    void runFor(std::chrono::milliseconds span) { runUntil([] { return false; }, span); }
    void settle()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
};

class SoundStream : public testing::TestWithParam<std::tuple<std::size_t, std::string, int>> {};

TEST_P(SoundStream, CharactersFollowEachOtherExactlyAsRenderedAndKeyingKeepsInStep)
{
    const auto [block, text, wpm] = GetParam();
    EngineOnSteppedDevice rig(block, wpm, true);
    auto &[output, state, host, timing, tone, effects, engine, cycle] = rig;
    ASSERT_TRUE(rig.open());

    state.PlayQueue = text;
    cycle.BeginTransmission(true);
    ASSERT_TRUE(rig.runUntil([&] { return host.count("releaseKeyingLines") == 1; }, std::chrono::seconds(30)));
    std::vector<std::size_t> starts; // each buffer's first frame within `sent`
    const Samples sent = output.sent(&starts);
    // Let the device play on a little past the end.
    ASSERT_TRUE(rig.runUntil(
        [&] { return output.recording().size() / 2 > firstSound(output.recording()) / 2 + sent.size() / 2 + 4096; },
        std::chrono::seconds(5)));
    output.close();

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
    // sound waits for the device's next block.)
    ASSERT_EQ(host.keyingStarts.size(), text.size());
    for (std::size_t i = 1; i < text.size(); ++i) {
        const TimePoint sounded = output.frameTime(offset / 2 + starts[i]);
        EXPECT_LE(std::abs(std::chrono::duration<double, std::milli>(sounded - host.keyingStarts[i]).count()), 0.1)
            << "character " << i;
    }
    // The text ends (lines released) once its last buffer has left the device.
    EXPECT_GE(host.released, output.frameTime(offset / 2 + sent.size() / 2) - std::chrono::milliseconds(1));
}

// Both paddles held: each element follows the one before as rendered, so the gap heard after
// a dot and after a dash is the keyer's own, whatever the length of the device's blocks (the
// 80 ms buffer of a loaded desktop asks for 441 frames at a time).
class KeyerOnDevice : public testing::TestWithParam<std::tuple<std::size_t, int>> {};

TEST_P(KeyerOnDevice, TheGapAfterEachElementIsHeardAsTheKeyersGap)
{
    const auto [block, wpm] = GetParam();
    EngineOnSteppedDevice rig(block, wpm, false);
    auto &[output, state, host, timing, tone, effects, engine, cycle] = rig;
    host.paddleKeyer = true;
    host.calibration = 0.2;
    ASSERT_TRUE(rig.open());

    state.DashPaddleDown = state.DotPaddleDown = true;
    state.LastElementDot = true;
    state.PlayQueue = "t";
    cycle.BeginTransmission(true);
    ASSERT_TRUE(rig.runUntil([&] { return output.written.size() >= 8; }, std::chrono::seconds(30)));
    state.DashPaddleDown = state.DotPaddleDown = false;
    ASSERT_TRUE(rig.runUntil([&] { return host.count("keyerTextEnded") == 1; }, std::chrono::seconds(30)));
    rig.runFor(std::chrono::milliseconds(100));
    output.close();

    const Samples sent = output.sent();
    const Samples heard = output.recording();
    ASSERT_GE(output.written.size(), 8u);
    EXPECT_EQ(host.monitorElements.substr(0, 4), "-.-.");
    const std::size_t offset = firstSound(heard) - firstSound(sent);
    ASSERT_GE(heard.size(), offset + sent.size());
    // Every element's sound and gap, as rendered: the keyer's gap between two elements.
    EXPECT_EQ(SilencesBetweenSounds(Samples(heard.begin() + offset, heard.begin() + offset + sent.size())), SilencesBetweenSounds(sent));
    const std::size_t keyerGap = static_cast<std::size_t>(timing.KeyerGapValues(0.2) / 2);
    for (std::size_t gap : SilencesBetweenSounds(Samples(heard.begin() + offset, heard.begin() + offset + sent.size())))
        EXPECT_NEAR(double(gap), double(keyerGap), 2.0);
}

// The frames of `s` from `from` on that sound.
std::size_t soundingFrames(const Samples &s, std::size_t from)
{
    std::size_t n = 0;
    for (std::size_t i = 2 * from; i + 1 < s.size(); i += 2)
        n += s[i] != 0 || s[i + 1] != 0;
    return n;
}

// A Stop while the device stalls: the character in flight, which it would play only once it
// takes sound again, is silenced, so nothing but a fade of a few milliseconds is heard after
// the Stop, however late the device comes back; the text ends.
TEST(SoundStreamStall, AStopWhileTheDeviceStallsLeavesNothingToBeHeardLaterOn)
{
    EngineOnSteppedDevice rig(256, 12, false);
    auto &[output, state, host, timing, tone, effects, engine, cycle] = rig;
    ASSERT_TRUE(rig.open());
    state.PlayQueue = "0"; // five dashes, 2.6 s
    cycle.BeginTransmission(true);
    ASSERT_TRUE(rig.runUntil(
        [&] {
            const Samples heard = output.recording();
            return heard.size() / 2 > firstSound(heard) / 2 + 4410;
        },
        std::chrono::seconds(5)));
    output.stall();
    const std::size_t before = output.recording().size() / 2;
    rig.runFor(std::chrono::milliseconds(600));
    ASSERT_TRUE(testsupport::waitFor([&] { return output.stalled(); }));
    cycle.ButtonStopClick();
    output.resume();
    ASSERT_TRUE(rig.runUntil([&] { return host.count("releaseKeyingLines") == 1; }, std::chrono::seconds(5)));
    rig.runFor(std::chrono::seconds(3));
    EXPECT_LE(soundingFrames(output.recording(), before), OutputMixer::FadeFrames);
    EXPECT_TRUE(state.PlaybackDone);
}

// With keyed lines a stall gives the character back unheard, at its own time: the engine
// learns that it was not heard; a character played whole is not marked so.
TEST(SoundStreamStall, ACharacterGivenBackThroughAStallIsKnownUnheard)
{
    EngineOnSteppedDevice rig(256, 20, true);
    auto &[output, state, host, timing, tone, effects, engine, cycle] = rig;
    ASSERT_TRUE(rig.open());
    state.PlayQueue = "e";
    cycle.BeginTransmission(true);
    ASSERT_TRUE(rig.runUntil([&] { return firstSound(output.recording()) < output.recording().size(); },
                             std::chrono::seconds(5)));
    output.stall();
    rig.runFor(std::chrono::seconds(2));
    ASSERT_TRUE(testsupport::waitFor([&] { return host.count("releaseKeyingLines") == 1; }));
    EXPECT_TRUE(state.CharacterUnheard);

    // The output sees the device back on a watch of its own, which runs in real time.
    output.resume();
    state.PlayQueue = "e";
    cycle.BeginTransmission(true);
    ASSERT_TRUE(testsupport::waitFor([&] {
        rig.runFor(std::chrono::milliseconds(5));
        return host.count("releaseKeyingLines") == 2;
    }));
    EXPECT_FALSE(state.CharacterUnheard);
}

INSTANTIATE_TEST_SUITE_P(BlocksSpeeds, KeyerOnDevice,
                         testing::Combine(testing::Values<std::size_t>(55, 256, 441), testing::Values(12, 30)),
                         [](const auto &info) {
                             return "Block" + std::to_string(std::get<0>(info.param)) + "_"
                                 + std::to_string(std::get<1>(info.param)) + "wpm";
                         });

// A sound server that stops taking sound for a while (short of a loss) while a text plays:
// the keying lines go on at the text's own pace, silent, and come down when the text would
// have ended, as the transmitter needs; no wait of the device's is added to either.
TEST(SoundStreamStall, KeyingKeepsItsPaceAndTheLinesComeDownWhenTheTextWouldHaveEnded)
{
    EngineOnDevice rig(256, 20, true);
    auto &[output, state, host, timing, tone, effects, engine, cycle] = rig;
    output.setLossLimit(std::chrono::milliseconds(60000));
    output.setStallAfter(StreamOutput::StallAfter);
    ASSERT_EQ(output.openAnswered(), 0);
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
    output.setStallAfter(StreamOutput::StallAfter);
    ASSERT_EQ(output.openAnswered(), 0);
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

// A sound server's new stream takes its first sound a second or two after opening. A text
// started meanwhile waits for it: PTT comes up with the sound, not before it, every character is
// heard, and each is keyed when its sound leaves the device, the first one included.
TEST(SoundStreamStart, ATextStartedBeforeTheDeviceFirstPlaysStartsWithItsSoundLinesIncluded)
{
    EngineOnSteppedDevice rig(256, 30, true);
    auto &[output, state, host, timing, tone, effects, engine, cycle] = rig;
    output.startLate(1024);
    ASSERT_TRUE(rig.open());

    state.PlayQueue = "paris";
    cycle.BeginTransmission(true);
    rig.runFor(std::chrono::milliseconds(500));
    EXPECT_EQ(host.count("raisePTT"), 0);
    EXPECT_TRUE(host.keyingStarts.empty());
    EXPECT_TRUE(state.PlaybackDone);
    const TimePoint plays = output.time();
    output.resume();
    ASSERT_TRUE(rig.runUntil([&] { return host.count("releaseKeyingLines") == 1; }, std::chrono::seconds(30)));
    rig.runFor(std::chrono::milliseconds(100));
    output.close();
    EXPECT_EQ(host.count("raisePTT"), 1);

    Samples sent;
    std::vector<std::size_t> starts;
    for (const Samples &b : output.written) {
        starts.push_back(sent.size() / 2);
        sent.insert(sent.end(), b.begin(), b.end());
    }
    ASSERT_EQ(output.written.size(), 5u);
    const Samples heard = output.recording();
    const std::size_t offset = firstSound(heard) - firstSound(sent);
    ASSERT_GE(heard.size(), offset + sent.size());
    EXPECT_TRUE(std::equal(sent.begin(), sent.end(), heard.begin() + offset));
    ASSERT_EQ(host.keyingStarts.size(), 5u);
    EXPECT_GE(host.keyingStarts[0], plays);
    // The first one within the device's block, the others to the frame.
    for (std::size_t i = 0; i < 5; ++i) {
        const TimePoint sounded = output.frameTime(offset / 2 + starts[i]);
        EXPECT_LE(std::abs(std::chrono::duration<double, std::milli>(sounded - host.keyingStarts[i]).count()),
                  i == 0 ? 1000.0 * 256 / AudioOutput::SampleRate : 0.1)
            << "character " << i;
    }
}

// A device that never plays leaves the text to the timer once the loss limit has passed: the
// text is sent, silent, and the lines come down at its end.
TEST(SoundStreamStart, ATextWaitingForADeviceThatNeverPlaysGoesOnWithoutSoundAtTheLossLimit)
{
    EngineOnDevice rig(256, 30, true);
    auto &[output, state, host, timing, tone, effects, engine, cycle] = rig;
    output.setLossLimit(std::chrono::milliseconds(300));
    output.startLate(1024);
    ASSERT_EQ(output.openAnswered(), 0);
    state.PlayQueue = "ee";
    cycle.BeginTransmission(true);
    ASSERT_TRUE(testsupport::waitFor([&] { return host.count("releaseKeyingLines") == 1; }, 10000));
    EXPECT_TRUE(state.NoSoundCard);
    EXPECT_EQ(host.count("raisePTT"), 1);
    EXPECT_EQ(host.keyingStarts.size(), 2u);
    EXPECT_EQ(host.messages.size(), 1u);
    output.close();
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
