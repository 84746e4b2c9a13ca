// The stream side of the sound output on a device that takes blocks in real time.

#include "tests/common/testsupport.h"
#include "tests/platform/clockeddevice.h"
#include "tests/platform/steppeddevice.h"

#include "platform/portaudiosession.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Tags = std::vector<AudioOutput::Tag>;
using Clock = std::chrono::steady_clock;

const std::vector<std::int16_t> &oneSecond()
{
    static const std::vector<std::int16_t> second(2 * AudioOutput::SampleRate, 1000);
    return second;
}

// As with keyed lines, and with the program's own stall limit: no stall here reaches a loss.
void keepTimeThroughStalls(StreamOutput &out)
{
    out.setLossLimit(60000ms);
    out.setStallAfter(StreamOutput::StallAfter);
    out.setKeepTime(true);
}

// The output opened on a device whose clock the test drives, as the program opens it.
bool openStepped(SteppedOutput &out)
{
    out.open(-1);
    return testsupport::waitFor([&] { return out.isOpen(); }, 30000);
}

// Moves the device's clock on a millisecond at a time (its blocks and the output's timers at
// their own times), each step followed by what it set off, until `done` holds or `limit` of
// the device's time has passed.
bool runUntil(SteppedOutput &out, const std::function<bool()> &done, Clock::duration limit)
{
    const auto end = out.time() + limit;
    QCoreApplication::processEvents();
    while (!done()) {
        if (out.time() >= end)
            return false;
        out.runTo(std::min(out.time() + 1ms, end));
        QCoreApplication::processEvents();
    }
    return true;
}

void runFor(SteppedOutput &out, Clock::duration span)
{
    runUntil(out, [] { return false; }, span);
}

// The program's own output runs with the program's limits (the other tests set their own):
// what each stands for is said where it is defined; a change to one must be meant.
TEST(StreamOutput, TheProgramsOutputRunsWithItsOwnLimits)
{
    PortAudioOutput out;
    EXPECT_EQ(out.limits().loss, 3000ms);
    EXPECT_EQ(out.limits().stallAfter, 40ms);
    EXPECT_EQ(out.limits().retryFirst, 1000ms);
    EXPECT_EQ(out.limits().quietStretch, 60000ms);
    EXPECT_DOUBLE_EQ(out.bufferTime(), 0.010);
    EXPECT_EQ(out.blockFrames(), 110u); // two blocks of 5 ms
    EXPECT_EQ(StreamOutput::OpenBound, 250ms);
    EXPECT_EQ(StreamOutput::ReconnectEvery, 200ms);
    EXPECT_EQ(StreamOutput::RetryLast, 5000ms);
    EXPECT_EQ(StreamOutput::ProbeFrames, 4410u);
    EXPECT_EQ(StreamOutput::ProbeWait, 4000ms);
    EXPECT_EQ(StreamOutput::IdleBefore, 300ms);
    EXPECT_EQ(StreamOutput::BufferSteps, (std::array<double, 4>{0.010, 0.020, 0.040, 0.080}));
}

// A device unplugged while buffers are out: past the loss limit the output gives it up, says
// so once, and hands every buffer back, in order, after saying so; it opens again afterwards.
TEST(StreamOutput, ADeviceThatStopsTakingSoundIsGivenUpPastTheLossLimit)
{
    ClockedOutput out(256);
    out.setLossLimit(300ms);
    std::vector<std::string> events;
    int failures = 0;
    out.setFailureHandler([&](int error) {
        ++failures;
        EXPECT_EQ(error, paDeviceUnavailable);
        EXPECT_FALSE(out.isOpen());
        events.push_back("failed");
    });
    out.setDoneHandler([&](AudioOutput::Tag tag) { events.push_back(std::to_string(tag)); });
    ASSERT_EQ(out.openAnswered(), 0);
    const auto &second = oneSecond();
    for (AudioOutput::Tag tag = 1; tag <= 3; ++tag)
        ASSERT_EQ(out.write(tag, second.data(), second.size()), 0);
    ASSERT_TRUE(testsupport::waitFor([&] { return !out.recording().empty(); }));
    out.stall();
    ASSERT_TRUE(testsupport::waitFor([&] { return events.size() == 4; }, 5000));
    EXPECT_EQ(events, (std::vector<std::string>{"failed", "1", "2", "3"}));
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(out.startDelay(), 0.0);
    EXPECT_NE(out.write(4, second.data(), second.size()), 0);

    events.clear();
    ASSERT_EQ(out.openAnswered(), 0);
    ASSERT_EQ(out.write(5, second.data(), 2 * 100), 0);
    ASSERT_TRUE(testsupport::waitFor([&] { return events.size() == 1; }));
    EXPECT_EQ(events, std::vector<std::string>{"5"});
    EXPECT_EQ(failures, 1);
}

// The owner may answer a loss with a message that waits for the user, in an event loop of its
// own: meanwhile the buffers out come back (the text ends, and with it PTT) and the device is
// tried again, so the sound can be back by the time the message is answered.
TEST(StreamOutput, WhileTheOwnerWaitsOnALossTheReportsComeAndTheDeviceIsTriedAgain)
{
    ClockedOutput out(256);
    out.setLossLimit(300ms);
    out.setRetryInterval(100ms);
    Tags done;
    out.setDoneHandler([&](AudioOutput::Tag tag) { done.push_back(tag); });
    bool answered = false, reportsMeanwhile = false, triedMeanwhile = false;
    out.setFailureHandler([&](int) {
        reportsMeanwhile = testsupport::waitFor([&] { return done.size() == 2; }, 3000);
        triedMeanwhile = testsupport::waitFor([&] { return out.openings() >= 2; }, 3000);
        answered = true;
    });
    ASSERT_EQ(out.openAnswered(), 0);
    const auto &second = oneSecond();
    ASSERT_EQ(out.write(1, second.data(), second.size()), 0);
    ASSERT_EQ(out.write(2, second.data(), second.size()), 0);
    ASSERT_TRUE(testsupport::waitFor([&] { return !out.recording().empty(); }));
    out.stall();
    ASSERT_TRUE(testsupport::waitFor([&] { return answered; }, 10000));
    EXPECT_TRUE(reportsMeanwhile);
    EXPECT_TRUE(triedMeanwhile);
    EXPECT_EQ(done, (Tags{1, 2}));
}

// A busy desktop delays the server's recovery from an underrun by a second or more: the
// stream then takes sound again, and nothing is lost or said.
TEST(StreamOutput, AStallShorterThanTheLossLimitIsNoLoss)
{
    ClockedOutput out(256);
    int failures = 0;
    Tags done;
    out.setFailureHandler([&](int) { ++failures; });
    out.setDoneHandler([&](AudioOutput::Tag tag) { done.push_back(tag); });
    ASSERT_EQ(out.openAnswered(), 0);
    const auto &second = oneSecond();
    for (AudioOutput::Tag tag = 1; tag <= 2; ++tag)
        ASSERT_EQ(out.write(tag, second.data(), second.size()), 0);
    ASSERT_TRUE(testsupport::waitFor([&] { return !out.recording().empty(); }));
    out.stall();
    testsupport::waitFor([] { return false; }, 1200);
    out.resume();
    ASSERT_TRUE(testsupport::waitFor([&] { return done.size() == 2; }, 5000));
    EXPECT_EQ(done, (Tags{1, 2}));
    EXPECT_EQ(failures, 0);
    EXPECT_TRUE(out.isOpen());
    // Without lines keyed from the text, the sound is what counts: it waited, and all of it is heard.
    testsupport::waitFor([] { return false; }, 100);
    const auto heard = out.recording();
    EXPECT_EQ(std::count(heard.begin(), heard.end(), 1000), std::ptrdiff_t(2 * second.size()));
}

// A sound server's new stream fills the device's buffer at once and plays only a second or two
// later. Until it does, the output says so, and what is written waits for it (even keeping
// time): nothing is given back unheard, and the ready handler tells once it plays. The same for
// the stream a buffer step opens.
TEST(StreamOutput, WhatIsWrittenBeforeANewStreamPlaysWaitsForItsFirstSound)
{
    ClockedOutput out(256);
    keepTimeThroughStalls(out);
    out.startLate(1024);
    Tags done;
    int ready = 0, failures = 0;
    out.setDoneHandler([&](AudioOutput::Tag tag) { done.push_back(tag); });
    out.setReadyHandler([&] { ++ready; });
    out.setFailureHandler([&](int) { ++failures; });
    ASSERT_EQ(out.openAnswered(), 0);
    ASSERT_TRUE(testsupport::waitFor([&] { return out.recording().size() == 2 * 1024; }));
    EXPECT_TRUE(out.awaitSound());
    const std::size_t fifth = oneSecond().size() / 5; // 200 ms
    const std::vector<std::int16_t> first(fifth, 1000), second(fifth, 2000);
    ASSERT_EQ(out.write(1, first.data(), first.size()), 0);
    testsupport::waitFor([] { return false; }, 600);
    EXPECT_TRUE(done.empty());
    EXPECT_EQ(ready, 0);
    out.resume();
    ASSERT_TRUE(testsupport::waitFor([&] { return ready == 1; }));
    EXPECT_FALSE(out.awaitSound());
    ASSERT_TRUE(testsupport::waitFor([&] { return done.size() == 1; }));

    // A text that ran the device dry: at idle a larger buffer, whose new stream plays late too.
    out.underrun(1);
    ASSERT_TRUE(testsupport::waitFor([&] { return out.openings() == 2; }, 20000));
    ASSERT_TRUE(testsupport::waitFor([&] { return out.recording().size() == 2 * 1024; }));
    EXPECT_TRUE(out.awaitSound());
    ASSERT_EQ(out.write(2, second.data(), second.size()), 0);
    testsupport::waitFor([] { return false; }, 600);
    EXPECT_EQ(done, Tags{1});
    out.resume();
    ASSERT_TRUE(testsupport::waitFor([&] { return done.size() == 2; }));
    EXPECT_EQ(ready, 2);
    EXPECT_EQ(failures, 0);
    testsupport::waitFor([] { return false; }, 100);
    const auto heard = out.recording();
    EXPECT_EQ(std::count(heard.begin(), heard.end(), 2000), std::ptrdiff_t(second.size()));
}

// A new stream that never plays is no device: once the loss limit has passed while something
// waits for it, it is given up as any lost device is.
TEST(StreamOutput, ANewStreamThatDoesNotPlayWithinTheLossLimitIsLost)
{
    ClockedOutput out(256);
    out.setLossLimit(300ms);
    out.setRetryInterval(10000ms);
    out.startLate(1024);
    int failures = 0, ready = 0;
    out.setFailureHandler([&](int error) {
        ++failures;
        EXPECT_EQ(error, paDeviceUnavailable);
    });
    out.setReadyHandler([&] { ++ready; });
    ASSERT_EQ(out.openAnswered(), 0);
    const auto asked = Clock::now();
    EXPECT_TRUE(out.awaitSound());
    ASSERT_TRUE(testsupport::waitFor([&] { return failures == 1; }, 5000));
    EXPECT_GE(Clock::now() - asked, 300ms - 5ms);
    EXPECT_FALSE(out.isOpen());
    EXPECT_TRUE(out.reopening());
    EXPECT_FALSE(out.awaitSound());
    EXPECT_EQ(ready, 0);
    out.close();
}

// A sound server that restarts (killed, and a new one on the same socket a moment later): the
// stream stops by itself, and openings are refused until the new server is up. Short of the
// loss limit that is no lost card: nothing is said, the text waits, and it plays on the new
// stream.
TEST(StreamOutput, AStreamWhoseServerRestartsPlaysOnWithoutALoss)
{
    ClockedOutput out(256);
    out.setRetryInterval(10000ms);
    int failures = 0;
    Tags done;
    out.setFailureHandler([&](int) { ++failures; });
    out.setDoneHandler([&](AudioOutput::Tag tag) { done.push_back(tag); });
    ASSERT_EQ(out.openAnswered(), 0);
    ASSERT_TRUE(testsupport::waitFor([&] { return out.framesTaken() > 0; }));
    const std::size_t fifth = oneSecond().size() / 5; // 200 ms
    const std::vector<std::int16_t> first(fifth, 1000), second(fifth, 2000);
    ASSERT_EQ(out.write(1, first.data(), first.size()), 0);
    ASSERT_EQ(out.write(2, second.data(), second.size()), 0);
    ASSERT_TRUE(testsupport::waitFor([&] {
        const auto heard = out.recording();
        return std::find(heard.begin(), heard.end(), 1000) != heard.end();
    }));
    out.failOpenings(2);
    out.die();
    ASSERT_TRUE(testsupport::waitFor([&] { return done.size() == 2; }, 5000));
    EXPECT_EQ(done, (Tags{1, 2}));
    EXPECT_EQ(failures, 0);
    EXPECT_TRUE(out.isOpen());
    EXPECT_EQ(out.openings(), 1 + 2 + 1);
    testsupport::waitFor([] { return false; }, 100);
    const auto heard = out.recording(); // the new stream's
    EXPECT_EQ(std::count(heard.begin(), heard.end(), 2000), std::ptrdiff_t(second.size()));
}

// A server that is not back within the loss limit is a lost card after all: said once, at the
// limit, and the buffers out come back after it.
TEST(StreamOutput, AServerNotBackWithinTheLossLimitIsALossSaidOnce)
{
    ClockedOutput out(256);
    out.setLossLimit(400ms);
    out.setRetryInterval(10000ms);
    std::vector<std::string> events;
    out.setFailureHandler([&](int) { events.push_back("failed"); });
    out.setDoneHandler([&](AudioOutput::Tag tag) { events.push_back(std::to_string(tag)); });
    ASSERT_EQ(out.openAnswered(), 0);
    ASSERT_TRUE(testsupport::waitFor([&] { return out.framesTaken() > 0; }));
    ASSERT_EQ(out.write(1, oneSecond().data(), oneSecond().size()), 0);
    ASSERT_TRUE(testsupport::waitFor([&] { return !out.recording().empty(); }));
    out.failOpenings(1000);
    const auto died = Clock::now();
    out.die();
    ASSERT_TRUE(testsupport::waitFor([&] { return !events.empty(); }, 5000));
    EXPECT_GE(Clock::now() - died, 400ms - 5ms);
    ASSERT_TRUE(testsupport::waitFor([&] { return events.size() == 2; }, 5000));
    EXPECT_EQ(events, (std::vector<std::string>{"failed", "1"}));
    EXPECT_GE(out.openings(), 3); // tried again meanwhile
    EXPECT_FALSE(out.isOpen());
    EXPECT_TRUE(out.reopening());
    out.close();
}

// After a loss the output opens the device again by itself, again and again while that
// fails, and counts it back only once the new stream has taken sound; then it plays.
TEST(StreamOutput, ALostDeviceIsOpenedAgainInTheBackgroundUntilItPlays)
{
    ClockedOutput out(256);
    out.setLossLimit(200ms);
    out.setRetryInterval(30ms);
    int failures = 0;
    int restored = 0;
    Tags done;
    out.setFailureHandler([&](int) { ++failures; });
    out.setRestoredHandler([&] {
        ++restored;
        EXPECT_TRUE(out.isOpen());
    });
    out.setDoneHandler([&](AudioOutput::Tag tag) { done.push_back(tag); });
    ASSERT_EQ(out.openAnswered(), 0);
    const auto &second = oneSecond();
    ASSERT_EQ(out.write(1, second.data(), second.size()), 0);
    ASSERT_TRUE(testsupport::waitFor([&] { return !out.recording().empty(); }));
    out.failOpenings(3);
    out.stall();
    ASSERT_TRUE(testsupport::waitFor([&] { return failures == 1; }, 5000));
    EXPECT_TRUE(out.reopening());
    EXPECT_FALSE(out.isOpen());
    ASSERT_TRUE(testsupport::waitFor([&] { return restored == 1; }, 10000));
    EXPECT_EQ(out.openings(), 1 + 3 + 1);
    EXPECT_FALSE(out.reopening());
    EXPECT_TRUE(out.running());
    ASSERT_EQ(out.write(2, second.data(), 2 * 100), 0);
    ASSERT_TRUE(testsupport::waitFor([&] { return done.size() == 2; }));
    EXPECT_EQ(done, (Tags{1, 2}));
    EXPECT_EQ(failures, 1);

    // Closing ends the tries of a later loss.
    out.stall();
    ASSERT_EQ(out.write(3, second.data(), second.size()), 0);
    ASSERT_TRUE(testsupport::waitFor([&] { return failures == 2; }, 5000));
    out.close();
    testsupport::waitFor([] { return false; }, 200);
    EXPECT_EQ(out.openings(), 5);
    EXPECT_FALSE(out.reopening());
}

// After a loss the first try comes only after the retry interval, and the tries grow apart:
// a device that is gone is not hammered.
TEST(StreamOutput, TheTriesAfterALossComeAfterTheRetryIntervalAndGrowApart)
{
    ClockedOutput out(256);
    out.setLossLimit(200ms);
    out.setRetryInterval(300ms);
    std::vector<Clock::time_point> lost;
    out.setFailureHandler([&](int) { lost.push_back(Clock::now()); });
    ASSERT_EQ(out.openAnswered(), 0);
    ASSERT_EQ(out.write(1, oneSecond().data(), oneSecond().size()), 0);
    ASSERT_TRUE(testsupport::waitFor([&] { return !out.recording().empty(); }));
    out.failOpenings(1000);
    out.stall();
    ASSERT_TRUE(testsupport::waitFor([&] { return lost.size() == 1; }, 5000));
    EXPECT_EQ(out.openings(), 1);
    ASSERT_TRUE(testsupport::waitFor([&] { return out.openings() == 2; }, 5000));
    const auto first = Clock::now();
    // (The timer may fire a twentieth early.)
    EXPECT_GE(first - lost.front(), 300ms * 9 / 10);
    ASSERT_TRUE(testsupport::waitFor([&] { return out.openings() == 3; }, 5000));
    EXPECT_GE(Clock::now() - first, 600ms * 9 / 10);
    out.close();
}

// A stream opened again after a loss that opens but never plays (a server that takes the
// connection and then stands still) is not counted back, however much the stream before it
// had played; once it plays it is, and from then on it is watched as any playing stream: a
// stall right after is a stall.
TEST(StreamOutput, AStreamOpenedAgainCountsBackOnlyOnceItPlaysAndIsWatchedAtOnce)
{
    ClockedOutput out(256);
    out.setLossLimit(200ms);
    out.setRetryInterval(30ms);
    int restored = 0;
    out.setRestoredHandler([&] { ++restored; });
    ASSERT_EQ(out.openAnswered(), 0);
    ASSERT_EQ(out.write(1, oneSecond().data(), oneSecond().size()), 0);
    ASSERT_TRUE(testsupport::waitFor([&] { return out.framesTaken() > 4 * StreamOutput::ProbeFrames; }, 5000));
    out.startLate(1024);
    out.stall();
    ASSERT_TRUE(testsupport::waitFor([&] { return out.reopening() && out.openings() >= 2; }, 5000));
    testsupport::waitFor([] { return false; }, 800);
    EXPECT_EQ(restored, 0);
    EXPECT_TRUE(out.reopening());
    out.resume();
    ASSERT_TRUE(testsupport::waitFor([&] { return restored == 1; }, 5000));

    keepTimeThroughStalls(out);
    ASSERT_EQ(out.write(2, oneSecond().data(), oneSecond().size()), 0);
    ASSERT_TRUE(testsupport::waitFor([&] {
        const auto heard = out.recording();
        return std::find(heard.begin(), heard.end(), 1000) != heard.end();
    }));
    out.stall();
    EXPECT_TRUE(testsupport::waitFor([&] { return out.stalled(); }, 2000));
    out.resume();
}

// A frozen sound server: opening and closing hang on it. The opening is given up after a
// bound and the caller goes on; closing does not wait at all. Once the server thaws, the
// stream whose opening nobody waited for is closed.
TEST(StreamOutput, AFrozenServerHoldsNeitherOpeningNorClosing)
{
    ClockedOutput out(256);
    out.freeze();
    EXPECT_EQ(out.open(-1), paTimedOut);
    EXPECT_FALSE(out.isOpen());
    EXPECT_EQ(out.hanging(), 1); // the opening still hangs
    out.close();
    EXPECT_EQ(out.hanging(), 1);
    out.thaw();
    ASSERT_TRUE(PortAudioSession::settle(5000ms));
    EXPECT_FALSE(out.running());

    // Open, then lost while frozen: the loss is said and the buffers come back without
    // waiting for the stream to stop.
    out.setLossLimit(200ms);
    out.setRetryInterval(10000ms);
    ASSERT_EQ(out.openAnswered(), 0);
    Tags done;
    int failures = 0;
    out.setDoneHandler([&](AudioOutput::Tag tag) { done.push_back(tag); });
    out.setFailureHandler([&](int) { ++failures; });
    ASSERT_EQ(out.write(1, oneSecond().data(), oneSecond().size()), 0);
    ASSERT_TRUE(testsupport::waitFor([&] { return !out.recording().empty(); }));
    out.freeze();
    out.stall();
    ASSERT_TRUE(testsupport::waitFor([&] { return done.size() == 1; }, 5000));
    EXPECT_EQ(failures, 1);
    // The stream's stop, given to the session's thread, hangs there (it may not have reached
    // it yet on a loaded machine).
    EXPECT_TRUE(testsupport::waitFor([&] { return out.hanging() == 1; }, 5000));
    out.thaw();
}

// An opening that only ran out of time (a loaded desktop at start) is no refusal: nothing is
// said, and the output takes the stream of that very opening once it answers.
TEST(StreamOutput, AnOpeningPastTheBoundIsTakenInTheBackgroundOnceItAnswers)
{
    ClockedOutput out(256);
    out.setRetryInterval(30ms);
    int failures = 0;
    int restored = 0;
    Tags done;
    out.setFailureHandler([&](int) { ++failures; });
    out.setRestoredHandler([&] { ++restored; });
    out.setDoneHandler([&](AudioOutput::Tag tag) { done.push_back(tag); });
    out.freeze();
    EXPECT_EQ(out.open(-1), paTimedOut);
    EXPECT_TRUE(out.reopening());
    EXPECT_FALSE(out.isOpen());
    testsupport::waitFor([] { return false; }, 200);
    EXPECT_EQ(out.openings(), 1); // no second opening piles up behind the hanging one
    out.thaw();
    ASSERT_TRUE(testsupport::waitFor([&] { return restored == 1; }, 10000));
    EXPECT_TRUE(out.isOpen());
    EXPECT_FALSE(out.reopening());
    EXPECT_EQ(out.openings(), 1);
    ASSERT_EQ(out.write(1, oneSecond().data(), 2 * 100), 0);
    ASSERT_TRUE(testsupport::waitFor([&] { return done.size() == 1; }));
    EXPECT_EQ(failures, 0);
    const auto heard = out.recording();
    EXPECT_NE(std::find(heard.begin(), heard.end(), 1000), heard.end());
}

// A call that does not come back (a server that does not answer) makes the session count as
// held, so that a quit does not wait for it; one that comes back ends that.
TEST(PortAudioSessionThread, ACallThatDoesNotComeBackCountsAsHeldUntilItDoes)
{
    ASSERT_TRUE(PortAudioSession::settle(5000ms));
    EXPECT_FALSE(PortAudioSession::held());
    std::atomic<bool> release{false};
    PortAudioSession::post([&] {
        while (!release.load())
            std::this_thread::sleep_for(1ms);
    });
    EXPECT_TRUE(testsupport::waitFor([] { return PortAudioSession::held(); }, 5000));
    release = true;
    ASSERT_TRUE(PortAudioSession::settle(5000ms));
    EXPECT_FALSE(PortAudioSession::held());
    // An idle thread is never held, however long ago its last call began.
    testsupport::waitFor([] { return false; }, int(PortAudioSession::HeldAfter.count()) + 100);
    EXPECT_FALSE(PortAudioSession::held());
}

// An opening past the bound that the device then refuses is a refusal after all: said once,
// through the failure handler, and the device is tried again in the background until it
// plays. An opening that answers after a close or a newer opening is nobody's.
TEST(StreamOutput, AnOpeningRefusedPastTheBoundIsSaidOnceAndTriedAgain)
{
    ClockedOutput out(256);
    out.setRetryInterval(30ms);
    std::vector<int> failures;
    int restored = 0;
    out.setFailureHandler([&](int error) { failures.push_back(error); });
    out.setRestoredHandler([&] { ++restored; });
    out.freeze();
    out.failOpenings(1);
    EXPECT_EQ(out.open(-1), paTimedOut);
    out.thaw();
    ASSERT_TRUE(testsupport::waitFor([&] { return !failures.empty(); }, 5000));
    EXPECT_EQ(failures, std::vector<int>{paDeviceUnavailable});
    EXPECT_TRUE(out.reopening());
    EXPECT_FALSE(out.isOpen());
    ASSERT_TRUE(testsupport::waitFor([&] { return restored == 1; }, 10000));
    EXPECT_EQ(out.openings(), 2);
    EXPECT_EQ(failures.size(), 1u);

    out.freeze();
    EXPECT_EQ(out.open(-1), paTimedOut);
    out.close();
    out.thaw();
    ASSERT_TRUE(PortAudioSession::settle(5000ms));
    testsupport::waitFor([] { return false; }, 100);
    EXPECT_FALSE(out.running());
    EXPECT_FALSE(out.isOpen());
    EXPECT_EQ(restored, 1);
}

// Through a stall that is no loss (yet), a text goes on at its pace, silent: each buffer
// comes back once it would have been heard, never earlier, so what follows it (its keying,
// the end of the text and the transmitter's release) keeps its time. Sound takes up again
// with the stream. Timed on the device's own clock.
TEST(StreamOutput, ThroughAStallBuffersComeBackWhenTheyWouldHaveBeenHeard)
{
    // In its first second too: only a stream that has yet to take its first sound waits.
    SteppedOutput out(256);
    keepTimeThroughStalls(out);
    int failures = 0;
    out.setFailureHandler([&](int) { ++failures; });
    ASSERT_TRUE(openStepped(out));
    const auto &second = oneSecond();
    const std::size_t fifth = second.size() / 5; // 200 ms
    Tags done;
    std::vector<Clock::time_point> written;
    out.setDoneHandler([&](AudioOutput::Tag tag) {
        done.push_back(tag);
        if (tag < 4) {
            written.push_back(out.time());
            ASSERT_EQ(out.write(tag + 1, second.data(), fifth), 0);
        }
    });
    // The stream has started: it has taken sound.
    ASSERT_TRUE(runUntil(out, [&] { return out.framesTaken() > 0; }, 1s));
    out.stall();
    written.push_back(out.time());
    ASSERT_EQ(out.write(1, second.data(), fifth), 0);
    ASSERT_TRUE(runUntil(out, [&] { return done.size() == 4; }, 20s));
    EXPECT_EQ(done, (Tags{1, 2, 3, 4}));
    EXPECT_EQ(failures, 0);
    // Each comes back as a running stream would have handed it over: never before its sound
    // less the writer's margin, and without a wait of its own added at each buffer, so the
    // text (its keying, the end that releases PTT) keeps its pace.
    const auto margin = std::chrono::milliseconds(1000 * OutputMixer::DefaultMarginFrames / AudioOutput::SampleRate + 1);
    for (std::size_t i = 1; i < written.size(); ++i)
        EXPECT_GE(written[i] - written[0], int(i) * 200ms - margin - 1ms) << i;
    EXPECT_LT(written.back() - written.front(), 3 * 200ms + 800ms); // a wait of its own was 400 ms each
    EXPECT_TRUE(out.isOpen());

    const std::size_t heard = out.recording().size();
    out.resume();
    ASSERT_EQ(out.write(5, second.data(), fifth), 0);
    ASSERT_TRUE(runUntil(out, [&] { return done.size() == 5; }, 5s));
    const auto recording = out.recording();
    EXPECT_TRUE(std::any_of(recording.begin() + heard, recording.end(), [](std::int16_t v) { return v != 0; }));
}

// A buffer written while the device stalls is out of step once the device takes sound again
// (its keying has gone on): it is not heard late but comes back when it would have ended; the
// next one is heard whole. Timed on the device's own clock.
TEST(StreamOutput, ABufferWrittenDuringAStallIsNotHeardLateAfterIt)
{
    SteppedOutput out(256);
    keepTimeThroughStalls(out);
    ASSERT_TRUE(openStepped(out));
    const std::size_t values = 2 * AudioOutput::SampleRate / 5; // 200 ms
    std::vector<std::vector<std::int16_t>> texts;
    for (std::int16_t v : {1000, 2000, 3000})
        texts.emplace_back(values, v);
    Tags done;
    std::vector<Clock::time_point> reported;
    out.setDoneHandler([&](AudioOutput::Tag tag) {
        done.push_back(tag);
        reported.push_back(out.time());
        if (tag < 3) {
            ASSERT_EQ(out.write(tag + 1, texts[tag].data(), values), 0);
        }
    });
    ASSERT_TRUE(runUntil(out, [&] { return !out.recording().empty(); }, 1s));
    out.stall();
    ASSERT_EQ(out.write(1, texts[0].data(), values), 0);
    ASSERT_TRUE(runUntil(out, [&] { return done.size() == 1; }, 5s));
    runFor(out, 100ms); // the second is due to sound by now
    const std::size_t before = out.recording().size();
    out.resume();
    ASSERT_TRUE(runUntil(out, [&] { return done.size() == 3; }, 5s));
    EXPECT_EQ(done, (Tags{1, 2, 3}));
    EXPECT_GE(reported[1] - reported[0], 200ms - 2ms);
    runFor(out, 100ms);
    const auto recording = out.recording();
    EXPECT_EQ(std::count(recording.begin() + before, recording.end(), 2000), 0);
    EXPECT_EQ(std::count(recording.begin() + before, recording.end(), 3000), std::ptrdiff_t(values));
}

// With a larger buffer the device may pause longer between blocks without a hole: such a pause
// at the end of a buffer is no stall, and the buffer is heard whole.
TEST(StreamOutput, APauseWithinALargerBufferIsNoStall)
{
    ClockedOutput out(256);
    keepTimeThroughStalls(out);
    out.setBufferTime(0.080s);
    ASSERT_EQ(out.openAnswered(), 0);
    ASSERT_TRUE(testsupport::waitFor([&] { return out.framesTaken() > 0; }));
    const std::size_t values = 2 * AudioOutput::SampleRate / 5; // 200 ms
    const std::vector<std::int16_t> text(values, 1000);
    bool done = false;
    out.setDoneHandler([&](AudioOutput::Tag) { done = true; });
    ASSERT_EQ(out.write(1, text.data(), values), 0);
    ASSERT_TRUE(testsupport::waitFor([&] { return !out.recording().empty() && out.recording().back() == 1000; }));
    // Paused from 100 ms into it until after it was due back.
    testsupport::waitFor([] { return false; }, 100);
    out.stall();
    testsupport::waitFor([] { return false; }, 120);
    out.resume();
    ASSERT_TRUE(testsupport::waitFor([&] { return done; }));
    testsupport::waitFor([] { return false; }, 100);
    const auto recording = out.recording();
    EXPECT_EQ(std::count(recording.begin(), recording.end(), 1000), std::ptrdiff_t(values));
}

} // namespace

namespace {

// A device that runs dry again and again while a text plays gets a larger buffer, but only
// once the text has ended: the stream is opened anew then, nothing of the text is cut, and
// each buffer comes back once, in order. After a quiet stretch it goes back a step.
TEST(StreamOutput, UnderrunsGrowTheBufferAtIdleOnlyAndAQuietStretchShrinksIt)
{
    ClockedOutput out(256);
    out.setQuietStretch(60000ms);
    Tags done;
    out.setDoneHandler([&](AudioOutput::Tag tag) { done.push_back(tag); });
    ASSERT_EQ(out.openAnswered(), 0);
    EXPECT_DOUBLE_EQ(out.openedWith(), 0.010);
    const auto &second = oneSecond();
    ASSERT_EQ(out.write(1, second.data(), second.size()), 0);
    ASSERT_TRUE(testsupport::waitFor([&] { return !out.recording().empty(); }));
    out.underrun(1);
    testsupport::waitFor([] { return false; }, 400);
    EXPECT_EQ(out.openings(), 1); // not while the text sounds
    ASSERT_TRUE(testsupport::waitFor([&] { return done.size() == 1; }, 3000));
    EXPECT_EQ(out.openings(), 1);
    testsupport::waitFor([] { return false; }, 100);
    const auto firstStream = out.recording();
    EXPECT_EQ(std::count(firstStream.begin(), firstStream.end(), 1000), std::ptrdiff_t(second.size()));
    ASSERT_TRUE(testsupport::waitFor([&] { return out.openings() == 2; }, 3000));
    EXPECT_DOUBLE_EQ(out.openedWith(), 0.020);
    EXPECT_TRUE(out.isOpen());
    // What is written during the switch waits for the new stream.
    ASSERT_EQ(out.write(2, second.data(), 2 * 200), 0);
    ASSERT_TRUE(testsupport::waitFor([&] { return done.size() == 2; }));
    EXPECT_EQ(done, (Tags{1, 2}));
    testsupport::waitFor([] { return false; }, 100);
    const auto secondStream = out.recording();
    EXPECT_EQ(std::count(secondStream.begin(), secondStream.end(), 1000), 2 * 200);

    // Underruns between texts are heard by nobody: no step up for them.
    testsupport::waitFor([] { return false; }, 300);
    out.underrun(2);
    testsupport::waitFor([] { return false; }, 800);
    EXPECT_EQ(out.openings(), 2);

    out.setQuietStretch(300ms);
    ASSERT_TRUE(testsupport::waitFor([&] { return out.openings() == 3; }, 3000));
    EXPECT_DOUBLE_EQ(out.openedWith(), 0.010);
    testsupport::waitFor([] { return false; }, 800);
    EXPECT_EQ(out.openings(), 3); // the lowest step stays
    EXPECT_EQ(done.size(), 2u);
}

// One underrun while a text plays may have cut an element: the next text should not lose one.
// The steps stop at MaxBufferTime however often the device runs dry. Idle time counted on the
// device's own clock (blocks of 10 ms: its buffer is the lowest step's).
TEST(StreamOutput, OneUnderrunPerTextTakesTheBufferAStepUpToItsLargest)
{
    SteppedOutput out(220);
    Tags done;
    out.setDoneHandler([&](AudioOutput::Tag tag) { done.push_back(tag); });
    ASSERT_TRUE(openStepped(out));
    const auto &second = oneSecond();
    const int steps = int(std::lround(std::log2(StreamOutput::MaxBufferTime / StreamOutput::DefaultBufferTime)));
    for (int k = 1; k <= steps + 1; ++k) {
        ASSERT_EQ(out.write(k, second.data(), 2 * 4410), 0);
        out.underrun(1);
        ASSERT_TRUE(runUntil(out, [&] { return done.size() == std::size_t(k); }, 3s));
        // Idle long enough for a switch; the opening it asks for then runs, and its answer
        // comes back.
        runFor(out, StreamOutput::IdleBefore + 3 * StreamOutput::AdaptEvery);
        ASSERT_TRUE(PortAudioSession::settle(5000ms));
        runFor(out, 10ms);
        EXPECT_EQ(out.openings(), std::min(k, steps) + 1);
        EXPECT_DOUBLE_EQ(out.openedWith(), std::ldexp(StreamOutput::DefaultBufferTime, std::min(k, steps)));
    }
}

// On a crowded machine the sound server's own threads miss their turn before the output sees
// an underrun: the output takes the step the load calls for at the next idle moment, in one
// opening, keeps it while the crowd lasts, and goes back a step once it has gone.
TEST(StreamOutput, ACrowdedMachineGetsALargerBufferBeforeItRunsDry)
{
    ClockedOutput out(256);
    out.setQuietStretch(300ms);
    std::atomic<double> perCore{0.5};
    out.setLoadGauge([&] { return perCore.load(); });
    Tags done;
    out.setDoneHandler([&](AudioOutput::Tag tag) { done.push_back(tag); });
    ASSERT_EQ(out.openAnswered(), 0);
    testsupport::waitFor([] { return false; }, 600);
    EXPECT_EQ(out.openings(), 1); // a machine with a core to spare keeps the quick buffer
    EXPECT_EQ(out.loadStep(), 0);

    const auto &second = oneSecond();
    ASSERT_EQ(out.write(1, second.data(), second.size()), 0);
    ASSERT_TRUE(testsupport::waitFor([&] { return !out.recording().empty(); }));
    perCore = 2.5;
    testsupport::waitFor([] { return false; }, 400);
    EXPECT_EQ(out.openings(), 1); // not while the text sounds
    ASSERT_TRUE(testsupport::waitFor([&] { return done.size() == 1; }, 3000));
    ASSERT_TRUE(testsupport::waitFor([&] { return out.openings() == 2; }, 3000));
    EXPECT_DOUBLE_EQ(out.openedWith(), StreamOutput::MaxBufferTime);
    testsupport::waitFor([] { return false; }, 800);
    EXPECT_EQ(out.openings(), 2); // no quiet stretch while crowded

    perCore = 1.2;
    ASSERT_TRUE(testsupport::waitFor([&] { return out.openings() == 3; }, 3000));
    EXPECT_DOUBLE_EQ(out.openedWith(), 0.040);
    testsupport::waitFor([] { return false; }, 800);
    EXPECT_EQ(out.openings(), 3); // what this load still calls for

    perCore = -1.0; // unknown: no step for it
    ASSERT_TRUE(testsupport::waitFor([&] { return out.openings() == 4; }, 3000));
    EXPECT_DOUBLE_EQ(out.openedWith(), 0.020);
    EXPECT_EQ(done, Tags{1});
}

} // namespace
