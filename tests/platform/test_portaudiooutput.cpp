#include "platform/audiodevices.h"
#include "platform/outputmixer.h"
#include "platform/portaudioinput.h"
#include "platform/portaudiooutput.h"
#include "platform/portaudiosession.h"
#include "tests/common/testsupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <linux/capability.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <functional>
#include <cstring>
#include <thread>
#include <vector>

namespace {

using Samples = std::vector<std::int16_t>;
using Tags = std::vector<AudioOutput::Tag>;

// A stereo buffer whose every value is non-zero, so it can be told from silence.
Samples pattern(int seed, std::size_t frames)
{
    Samples s(frames * 2);
    for (std::size_t i = 0; i < frames; ++i) {
        const auto v = static_cast<std::int16_t>((i * 31 + seed * 977) % 30000 + 1);
        s[2 * i] = v;
        s[2 * i + 1] = static_cast<std::int16_t>(-v);
    }
    return s;
}

// Even, non-zero values: they halve exactly at gain 0.5.
Samples evenPattern(int seed, std::size_t frames)
{
    Samples s = pattern(seed, frames);
    for (std::int16_t &v : s)
        v = static_cast<std::int16_t>((v & ~1) | 2);
    return s;
}

Tags takeDone(OutputMixer &mixer)
{
    Tags tags;
    AudioOutput::Tag tag;
    while (mixer.popDone(tag))
        tags.push_back(tag);
    return tags;
}

Samples renderFrames(OutputMixer &mixer, std::size_t frames, std::size_t block)
{
    Samples out(frames * 2);
    for (std::size_t done = 0; done < frames; done += block)
        mixer.render(out.data() + 2 * done, std::min(block, frames - done));
    return out;
}

// --- the queue and mix, driven directly -------------------------------------------------

TEST(OutputMixer, PlaysBuffersBackToBackInOrderWhateverTheBlockSize)
{
    const std::vector<std::size_t> lengths{1000, 0, 1, 255, 256, 257, 3000};
    for (std::size_t block : {1u, 7u, 256u, 999u, 5000u}) {
        SCOPED_TRACE(block);
        OutputMixer mixer;
        std::vector<Samples> buffers;
        Samples expected;
        for (std::size_t i = 0; i < lengths.size(); ++i) {
            buffers.push_back(pattern(int(i), lengths[i]));
            expected.insert(expected.end(), buffers.back().begin(), buffers.back().end());
            ASSERT_TRUE(mixer.push(100 + i, buffers.back().data(), buffers.back().size()));
        }
        const std::size_t total = expected.size() / 2;
        expected.resize(expected.size() + 2 * 300, 0); // then silence
        EXPECT_EQ(renderFrames(mixer, total + 300, block), expected);
        EXPECT_EQ(takeDone(mixer), (Tags{100, 101, 102, 103, 104, 105, 106}));
        EXPECT_EQ(mixer.outstanding(), 0u);
    }
}

TEST(OutputMixer, ResetDropsEverythingQueuedSoFarAndLaterBuffersPlay)
{
    OutputMixer mixer;
    const Samples a = pattern(1, 1000), b = pattern(2, 50), c = pattern(3, 50), d = pattern(4, 40);
    mixer.push(1, a.data(), a.size());
    mixer.push(2, b.data(), b.size());
    mixer.push(3, c.data(), c.size());
    const Samples head = renderFrames(mixer, 100, 100);
    EXPECT_EQ(head, Samples(a.begin(), a.begin() + 200));
    mixer.dropQueued();
    mixer.push(4, d.data(), d.size());
    Samples expected = d;
    expected.resize(2 * 100, 0);
    EXPECT_EQ(renderFrames(mixer, 100, 100), expected); // no rest of a, nothing of b or c
    EXPECT_EQ(takeDone(mixer), (Tags{1, 2, 3, 4}));

    mixer.dropQueued(); // nothing out: nothing to report
    EXPECT_EQ(renderFrames(mixer, 10, 10), Samples(20, 0));
    EXPECT_TRUE(takeDone(mixer).empty());
}

TEST(OutputMixer, ResetCutsOnlyWhatWasNotHandedBack)
{
    OutputMixer mixer;
    const Samples a = pattern(1, 300), tail = pattern(2, 5000), c = pattern(3, 200);
    mixer.push(1, a.data(), a.size());
    mixer.push(2, tail.data(), tail.size());
    Samples out = renderFrames(mixer, 100, 100);
    EXPECT_EQ(takeDone(mixer), Tags{1}); // a is all copied ahead; the tail only begun
    mixer.dropQueued();
    mixer.push(3, c.data(), c.size());
    const Samples rest = renderFrames(mixer, 600, 100);
    out.insert(out.end(), rest.begin(), rest.end());
    Samples expected = a;
    expected.insert(expected.end(), c.begin(), c.end());
    expected.resize(out.size(), 0);
    EXPECT_EQ(out, expected);
    EXPECT_EQ(takeDone(mixer), (Tags{2, 3}));
}

// Stop's mute: a straight line down to zero over the fade, then nothing of what was out,
// handed back or not; what is written afterwards plays.
TEST(OutputMixer, SilenceFadesOutWithoutAStepAndDropsEverythingBeforeIt)
{
    OutputMixer mixer;
    const Samples a(2 * 200, 11000), b(2 * 3000, 11000), c = pattern(3, 50);
    mixer.push(1, a.data(), a.size());
    mixer.push(2, b.data(), b.size());
    renderFrames(mixer, 100, 100);
    EXPECT_EQ(takeDone(mixer), Tags{1});
    mixer.fadeOutAll();
    mixer.push(3, c.data(), c.size());
    const Samples out = renderFrames(mixer, 1000, 256);
    const auto firstOfC = std::search(out.begin(), out.end(), c.begin(), c.end());
    ASSERT_NE(firstOfC, out.end());
    int steepest = 0;
    for (auto it = out.begin() + 2; it < firstOfC; it += 2)
        steepest = std::max(steepest, std::abs(*it - *(it - 2)));
    EXPECT_EQ(out[0], 11000);
    EXPECT_LE(steepest, 11000 / int(OutputMixer::FadeFrames) + 1);
    for (auto it = out.begin() + 2 * OutputMixer::FadeFrames; it != firstOfC; ++it)
        ASSERT_EQ(*it, 0);
    EXPECT_EQ(takeDone(mixer), (Tags{2, 3}));
}

TEST(OutputMixer, StoppedStreamHandsBackWhatItHeldInOrder)
{
    OutputMixer mixer;
    const Samples a = pattern(1, 100);
    for (AudioOutput::Tag t = 1; t <= 3; ++t)
        mixer.push(t, a.data(), a.size());
    renderFrames(mixer, 150, 150); // 1 played, 2 half played
    mixer.dropAllStopped();
    EXPECT_EQ(takeDone(mixer), (Tags{1, 2, 3}));
}

TEST(OutputMixer, GainScalesAndIsClampedToZeroToOne)
{
    const Samples in{2, -2, 1000, -1000, 32766, -32768};
    struct Case {
        double gain;
        double stored;
        Samples out;
    };
    const std::vector<Case> cases{
        {1.0, 1.0, in},
        {0.5, 0.5, {1, -1, 500, -500, 16383, -16384}},
        {0.0, 0.0, {0, 0, 0, 0, 0, 0}},
        {1.7, 1.0, in},
        {-0.3, 0.0, {0, 0, 0, 0, 0, 0}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.gain);
        OutputMixer mixer;
        mixer.setGain(c.gain);
        EXPECT_DOUBLE_EQ(mixer.gain(), c.stored);
        mixer.push(1, in.data(), in.size());
        EXPECT_EQ(renderFrames(mixer, 3, 3), c.out);
    }
}

TEST(OutputMixer, RefusesMoreThanItsCapacityUntilReportsAreTaken)
{
    OutputMixer mixer;
    const Samples a = pattern(1, 1);
    for (std::size_t i = 0; i < OutputMixer::Capacity; ++i)
        ASSERT_TRUE(mixer.push(i, a.data(), a.size()));
    EXPECT_FALSE(mixer.push(999, a.data(), a.size()));
    renderFrames(mixer, OutputMixer::Capacity, OutputMixer::Capacity);
    // Played but not taken back: still out, so still refused (the done ring cannot overflow).
    EXPECT_FALSE(mixer.push(999, a.data(), a.size()));
    AudioOutput::Tag tag;
    ASSERT_TRUE(mixer.popDone(tag));
    EXPECT_EQ(tag, 0u);
    EXPECT_TRUE(mixer.push(999, a.data(), a.size()));
    Tags rest = takeDone(mixer);
    EXPECT_EQ(rest.size(), OutputMixer::Capacity - 1);
}

// The writer and the audio thread at full speed: every value arrives once, in order.
TEST(OutputMixer, WriterAndAudioThreadTogetherLoseNothing)
{
    OutputMixer mixer;
    constexpr int Buffers = 3000;
    std::vector<Samples> buffers;
    for (int i = 0; i < Buffers; ++i)
        buffers.push_back(pattern(i, 1 + (i * 37) % 300));
    std::atomic<bool> stop{false};
    Samples heard;
    std::thread audio([&] {
        std::int16_t block[2 * 64];
        // After the last report, what was copied ahead still plays out.
        for (std::size_t after = 0; after * 64 < OutputMixer::StageFrames;) {
            if (stop.load())
                ++after;
            mixer.render(block, 64);
            for (std::int16_t v : block)
                if (v != 0)
                    heard.push_back(v);
        }
    });
    Tags done;
    int written = 0;
    while (done.size() < std::size_t(Buffers)) {
        while (written < Buffers
               && mixer.push(written, buffers[written].data(), buffers[written].size()))
            ++written;
        const Tags more = takeDone(mixer);
        done.insert(done.end(), more.begin(), more.end());
    }
    stop = true;
    audio.join();
    Samples expected;
    Tags expectedTags;
    for (int i = 0; i < Buffers; ++i) {
        expected.insert(expected.end(), buffers[i].begin(), buffers[i].end());
        expectedTags.push_back(i);
    }
    EXPECT_EQ(done, expectedTags);
    EXPECT_TRUE(heard == expected);
}

// --- the PortAudio output in this process (no usable device is assumed) ----------------

// Opens as the program does, and waits for an answer that comes past the opening's bound (the
// sound library's start may take longer than that on a loaded machine): 0 once open, else
// the refusal.
int openAnswered(PortAudioOutput &out, int device)
{
    int refused = 0;
    out.setFailureHandler([&](int error) { refused = error; });
    int error = out.open(device);
    if (error != 0 && out.reopening()) {
        testsupport::waitFor([&] { return out.isOpen() || refused != 0; }, 20000);
        error = out.isOpen() ? 0 : refused;
    }
    out.setFailureHandler({});
    return error;
}

TEST(PortAudioOutput, FailedOpenLeavesItClosedAndRefusingWork)
{
    PortAudioOutput out;
    int reports = 0;
    out.setDoneHandler([&](AudioOutput::Tag) { ++reports; });
    for (int device : {9999, -2}) {
        EXPECT_EQ(openAnswered(out, device), paInvalidDevice);
        EXPECT_FALSE(out.isOpen());
    }
    const Samples a = pattern(1, 10);
    EXPECT_NE(out.write(1, a.data(), a.size()), 0);
    EXPECT_NE(out.reset(), 0);
    EXPECT_EQ(out.outputLatency(), 0.0);
    out.close();
    QCoreApplication::processEvents();
    EXPECT_EQ(reports, 0);
}

TEST(AudioDevices, ListsNamesOfAtMost32CharactersAndMapsChoices)
{
    // The names are read without waiting for the sound library: once it has started.
    ASSERT_EQ(PortAudioSession::start(), paNoError);
    EXPECT_TRUE(audiodevices::devicesKnown());
    struct Direction {
        QStringList names;
        int (*index)(int);
    };
    for (const Direction &d : {Direction{audiodevices::outputDeviceNames(), audiodevices::outputDeviceIndex},
                               Direction{audiodevices::inputDeviceNames(), audiodevices::inputDeviceIndex}}) {
        std::vector<int> seen;
        for (int i = 0; i < d.names.size(); ++i) {
            EXPECT_LE(d.names[i].size(), audiodevices::MaxNameLength);
            const int device = d.index(i);
            ASSERT_GE(device, 0);
            const PaDeviceInfo *info = Pa_GetDeviceInfo(device);
            ASSERT_NE(info, nullptr);
            EXPECT_EQ(QString::fromUtf8(info->name).left(audiodevices::MaxNameLength), d.names[i]);
            EXPECT_EQ(std::count(seen.begin(), seen.end(), device), 0);
            seen.push_back(device);
        }
        EXPECT_EQ(d.index(int(d.names.size())), paNoDevice);
        EXPECT_EQ(d.index(-2), paNoDevice);
    }
}

// --- the real stream, into an ALSA file device set up for a child process -------------

const char *const CaptureVariable = "KESTRELON_AUDIO_CAPTURE";

struct ChildResult {
    int exitCode = -1;
    QString output;
};

struct ChildOptions {
    // false: the child may not raise a thread to real-time scheduling (no CAP_SYS_NICE,
    // RLIMIT_RTPRIO 0), as an ordinary user on a desktop without RealtimeKit.
    bool mayUseRealtime = true;
    QString pulseServer; // PULSE_SERVER for the child, when it plays through PulseAudio
    // Runs while the child runs (after it has started).
    std::function<void(QProcess &)> whileRunning;
};

// Runs one RealStreamChild case in a fresh process whose ALSA default device is `pcm`.
ChildResult runChild(const QString &test, const QString &pcm, const QString &capture,
                     const ChildOptions &options = {})
{
    QTemporaryDir home;
    QFile rc(home.filePath(".asoundrc"));
    rc.open(QIODevice::WriteOnly);
    rc.write(pcm.toUtf8());
    rc.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    env.insert(CaptureVariable, capture);
    env.insert("JACK_NO_START_SERVER", "1");
    env.remove("ALSA_CONFIG_PATH");
    if (!options.pulseServer.isEmpty())
        env.insert("PULSE_SERVER", options.pulseServer);
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    if (!options.mayUseRealtime) {
        env.insert("KESTRELON_NO_REALTIME", "1");
        child.setChildProcessModifier([] {
            ::prctl(PR_CAPBSET_DROP, CAP_SYS_NICE, 0, 0, 0);
            const rlimit none{0, 0};
            ::setrlimit(RLIMIT_RTPRIO, &none);
        });
    }
    child.setProcessEnvironment(env);
    // `test` is a case of RealStreamChild, or a whole name.
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_also_run_disabled_tests",
                 "--gtest_filter=" + (test.contains('.') ? test : "RealStreamChild.DISABLED_" + test)});
    if (options.whileRunning && child.waitForStarted(10000))
        options.whileRunning(child);
    ChildResult result;
    if (!child.waitForFinished(120000)) { // a bound for a child that hangs, not a timing
        child.kill();
        child.waitForFinished();
    }
    result.output = QString::fromLocal8Bit(child.readAll());
    if (child.exitStatus() == QProcess::NormalExit)
        result.exitCode = child.exitCode();
    return result;
}

QString filePcm(const QString &capture)
{
    return QString("pcm.!default { type file; slave.pcm \"null\"; file \"%1\"; format \"raw\" }\n")
        .arg(capture);
}

Samples readCapture(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = f.readAll();
    Samples s(bytes.size() / 2);
    std::memcpy(s.data(), bytes.constData(), s.size() * 2);
    return s;
}

// Runs `test` in a child whose sound goes into a file of its own (read into `captured`), with
// or without the right to real-time scheduling.
ChildResult runIntoFile(const QString &test, bool mayUseRealtime, Samples *captured = nullptr)
{
    QTemporaryDir dir;
    const QString capture = dir.filePath("capture.raw");
    ChildOptions options;
    options.mayUseRealtime = mayUseRealtime;
    ChildResult child = runChild(test, filePcm(capture), capture, options);
    if (captured)
        *captured = readCapture(capture);
    return child;
}

// Checks that `capture` is the expected buffers, each whole and in order, with nothing but
// silent frames before, between and after them.
testing::AssertionResult holdsInOrder(const Samples &capture, const std::vector<Samples> &expected)
{
    std::size_t pos = 0;
    auto skipSilence = [&] {
        while (pos + 1 < capture.size() && capture[pos] == 0 && capture[pos + 1] == 0)
            pos += 2;
    };
    for (std::size_t k = 0; k < expected.size(); ++k) {
        skipSilence();
        const Samples &b = expected[k];
        if (pos + b.size() > capture.size() || !std::equal(b.begin(), b.end(), capture.begin() + pos))
            return testing::AssertionFailure() << "buffer " << k << " not found whole at value " << pos;
        pos += b.size();
    }
    skipSilence();
    if (pos != capture.size())
        return testing::AssertionFailure() << "unexpected sound at value " << pos << " of " << capture.size();
    return testing::AssertionSuccess();
}

std::vector<Samples> playedBuffers()
{
    return {pattern(0, 1000), pattern(1, 1), pattern(2, 22050), pattern(3, 367)};
}

TEST(RealStream, PlaysTheWrittenSamplesIntoTheDefaultDeviceInOrder)
{
    QTemporaryDir dir;
    const QString capture = dir.filePath("capture.raw");
    const ChildResult child = runChild("Plays", filePcm(capture), capture);
    ASSERT_EQ(child.exitCode, 0) << child.output.toStdString();
    // ALSA's and JACK's probing of what the machine lacks stays off the terminal.
    EXPECT_FALSE(child.output.contains("ALSA lib") || child.output.contains("jack", Qt::CaseInsensitive))
        << child.output.toStdString();
    for (const QString &line : child.output.split('\n'))
        if (line.startsWith("output latency"))
            std::printf("%s\n", qPrintable(line));

    std::vector<Samples> expected = playedBuffers();
    expected.push_back(evenPattern(4, 500));
    for (std::int16_t &v : expected.back())
        v = static_cast<std::int16_t>(v / 2);
    EXPECT_TRUE(holdsInOrder(readCapture(capture), expected));
}

TEST(RealStream, ResetUnderARunningStreamReportsEveryBufferOnceAndPlaysOn)
{
    QTemporaryDir dir;
    const QString capture = dir.filePath("capture.raw");
    const ChildResult child = runChild("Resets", filePcm(capture), capture);
    ASSERT_EQ(child.exitCode, 0) << child.output.toStdString();

    // Left channel = buffer number + 1, right = frame number + 1: whole buffers in order,
    // at most one cut short by the reset, and the buffer written after the reset last.
    const Samples s = readCapture(capture);
    std::vector<std::pair<int, int>> runs; // buffer, frames heard
    for (std::size_t i = 0; i + 1 < s.size(); i += 2) {
        if (s[i] == 0 && s[i + 1] == 0)
            continue;
        const int buffer = s[i] - 1, frame = s[i + 1] - 1;
        if (!runs.empty() && runs.back().first == buffer && runs.back().second == frame)
            ++runs.back().second;
        else {
            ASSERT_EQ(frame, 0) << "buffer " << buffer << " starts in its middle";
            runs.push_back({buffer, 1});
        }
    }
    ASSERT_FALSE(runs.empty());
    EXPECT_EQ(runs.back(), std::make_pair(200, 300));
    int cut = 0;
    for (std::size_t k = 0; k + 1 < runs.size(); ++k) {
        EXPECT_EQ(runs[k].first, int(k)) << "a buffer was skipped or repeated";
        if (runs[k].second != 500)
            ++cut;
    }
    EXPECT_LE(cut, 1);
}

// A sound server that takes the connection and never answers holds the sound library's start:
// the audio input's opening is not waited for past its bound, and is not taken for a refusal.
// Once the server goes away, the opening comes back refused, and the input says so once.
TEST(RealStream, AnInputWhoseServerDoesNotAnswerIsNotWaitedForAndItsLateRefusalIsTold)
{
    SKIP_WITHOUT_TOOLS(testsupport::PulsePlugin);
    QTemporaryDir dir;
    testsupport::SilentSoundServer server(dir.path());
    ASSERT_TRUE(server.usable());
    ChildOptions options;
    options.whileRunning = [&](QProcess &child) {
        testsupport::waitFor([&] { return child.peek(1 << 20).contains("opening goes on"); }, 20000);
        server.close();
    };
    const ChildResult child = runChild("InputLate", QString::fromUtf8(server.alsaConfiguration()),
                                       dir.filePath("none"), options);
    EXPECT_EQ(child.exitCode, 0) << child.output.toStdString();
}

TEST(RealStream, OpeningAMissingDefaultDeviceFailsCleanly)
{
    QTemporaryDir dir;
    const ChildResult child = runChild("Fails", "pcm.!default { type hw; card 77 }\n", dir.filePath("none"));
    EXPECT_EQ(child.exitCode, 0) << child.output.toStdString();
    // The failure is the caller's to say; the probe of every other device that came before it
    // stays off the terminal even then (on a machine without sound, some ninety lines).
    EXPECT_FALSE(child.output.contains("ALSA lib")) << child.output.toStdString();
    EXPECT_FALSE(child.output.contains("jack", Qt::CaseInsensitive)) << child.output.toStdString();
    // In its place the library's own reason, once for the two tries.
    EXPECT_EQ(child.output.count("kestrelon: no sound output: Invalid card index 77\n"), 1)
        << child.output.toStdString();
}

// The callback thread asks for real-time scheduling itself; where it is refused, the stream
// plays on as before. Both children play the same buffers and must hand them back whole.
TEST(RealStream, CallbackThreadRunsInRealTimeWhereGrantedAndPlaysOnWhereRefused)
{
    for (const bool granted : {true, false}) {
        SCOPED_TRACE(granted ? "real-time allowed" : "real-time refused");
        Samples captured;
        const ChildResult child = runIntoFile("Realtime", granted, &captured);
        ASSERT_EQ(child.exitCode, 0) << child.output.toStdString();
        EXPECT_TRUE(holdsInOrder(captured, playedBuffers()));
        EXPECT_FALSE(child.output.contains("ALSA lib")) << child.output.toStdString();
    }
}

// Where real-time scheduling is refused, a new stream may be armed (on the sound session's
// thread) while the request of the one before goes to RealtimeKit (on the user-interface
// thread): the two share the list of refused feeder threads. (ThreadSanitizer watches this
// one: scripts/tsan.sh.)
TEST(RealStream, AStreamArmedWhileTheLastOneAsksRealtimeKitLeavesBothWhole)
{
    const ChildResult child = runIntoFile("RealtimeChild.DISABLED_ArmedWhileAsking", false);
    EXPECT_EQ(child.exitCode, 0) << child.output.toStdString();
}

// A private PulseAudio server with a null sink: it takes sound in real time, as a card does,
// so a stream that is not fed in time runs dry.
class PulseServer {
public:
    PulseServer()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", m_dir.path());
        env.insert("XDG_RUNTIME_DIR", m_dir.path());
        env.insert("PULSE_RUNTIME_PATH", m_dir.filePath("pulse"));
        m_server.setProcessEnvironment(env);
        m_server.setProcessChannelMode(QProcess::MergedChannels);
        m_server.start("pulseaudio",
                       {"-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit", "--use-pid-file=no",
                        // The sink first: once the socket is there, a client finds it.
                        "-L", "module-null-sink sink_name=testsink rate=22050 channels=2 format=s16le",
                        "-L", "module-native-protocol-unix socket=" + m_dir.filePath("pulse.sock") + " auth-anonymous=1"});
        m_ready = m_server.waitForStarted(5000)
            && testsupport::waitFor([&] { return QFile::exists(m_dir.filePath("pulse.sock")); }, 10000);
    }
    ~PulseServer()
    {
        m_server.terminate();
        if (!m_server.waitForFinished(3000)) {
            m_server.kill();
            m_server.waitForFinished();
        }
    }
    bool ready() const { return m_ready; }
    // What the server said (why it did not start).
    QByteArray output() { return m_server.readAll(); }
    QString address() const { return "unix:" + m_dir.filePath("pulse.sock"); }

private:
    QTemporaryDir m_dir;
    QProcess m_server;
    bool m_ready = false;
};

// Through a sound server the blocks go on by a thread of the server's client library, which
// must run in real time with the callback. A process that is not scheduled for a while (frozen
// here) lets the device run dry: the output counts it from the stream's own report.
TEST(RealStream, ThroughASoundServerRaisesTheClientThreadAndCountsUnderruns)
{
    SKIP_WITHOUT_TOOLS({"pulseaudio", "pulseaudio"}, testsupport::PulsePlugin);
    PulseServer server;
    ASSERT_TRUE(server.ready()) << server.output().toStdString();
    ChildOptions options;
    options.pulseServer = server.address();
    options.whileRunning = [](QProcess &child) {
        // Once it plays, freeze it for longer than the device's buffer, twice.
        const pid_t pid = static_cast<pid_t>(child.processId());
        QByteArray said;
        const bool playing = testsupport::waitFor([&] {
            child.waitForReadyRead(100);
            said = child.peek(1 << 20);
            return said.contains("playing") || child.state() != QProcess::Running;
        }, 20000) && said.contains("playing");
        // Never a pid of 0 (the whole process group) nor a child that has ended.
        if (!playing || pid <= 0 || child.state() != QProcess::Running)
            return;
        // Four times, each well past the buffer: a busy machine may let the server ride out
        // one of them without calling it an underrun.
        for (int i = 0; i < 4 && child.state() == QProcess::Running; ++i) {
            QThread::msleep(300);
            ::kill(pid, SIGSTOP);
            QThread::msleep(400);
            ::kill(pid, SIGCONT);
        }
    };
    const ChildResult child = runChild("Underruns", "pcm.!default { type pulse }\nctl.!default { type pulse }\n",
                                       "-", options);
    EXPECT_EQ(child.exitCode, 0) << child.output.toStdString();
}

// The child side of the cases above; runs only inside runChild's process.
class RealStreamChild : public testing::Test {
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty(CaptureVariable))
            GTEST_SKIP() << "runs only in the child process of a RealStream case";
        out.setDoneHandler([this](AudioOutput::Tag tag) { done.push_back(tag); });
    }

    bool waitForDone(std::size_t count, int boundMs = 20000)
    {
        return testsupport::waitFor([&] { return done.size() >= count; }, boundMs);
    }

    PortAudioOutput out;
    Tags done;
};

TEST_F(RealStreamChild, DISABLED_Plays)
{
    ASSERT_EQ(openAnswered(out, -1), 0);
    ASSERT_TRUE(out.isOpen());
    std::printf("output latency %.1f ms\n", out.outputLatency() * 1000);
    const std::vector<Samples> buffers = playedBuffers();
    for (std::size_t k = 0; k < buffers.size(); ++k)
        ASSERT_EQ(out.write(10 + k, buffers[k].data(), buffers[k].size()), 0);
    ASSERT_TRUE(waitForDone(4));

    out.setGain(0.5);
    // The callback reads the gain once per block: let a few blocks pass so that the whole
    // next buffer is mixed at the new gain, not its first block at the old one.
    QThread::msleep(100);
    const Samples half = evenPattern(4, 500);
    ASSERT_EQ(out.write(14, half.data(), half.size()), 0);
    ASSERT_TRUE(waitForDone(5));
    out.close();
    EXPECT_FALSE(out.isOpen());
    QCoreApplication::processEvents();
    EXPECT_EQ(done, (Tags{10, 11, 12, 13, 14}));
}

TEST_F(RealStreamChild, DISABLED_Resets)
{
    // Closing with buffers out hands each back once; the device opens again afterwards
    // (the capture file then starts anew).
    ASSERT_EQ(openAnswered(out, -1), 0);
    const Samples second = pattern(9, 22050);
    for (AudioOutput::Tag k = 1000; k < 1003; ++k)
        ASSERT_EQ(out.write(k, second.data(), second.size()), 0);
    out.close();
    ASSERT_TRUE(waitForDone(3));
    EXPECT_EQ(done, (Tags{1000, 1001, 1002}));
    done.clear();
    ASSERT_EQ(openAnswered(out, -1), 0);

    std::vector<Samples> buffers(201);
    for (int k = 0; k < 201; ++k) {
        const int frames = k < 200 ? 500 : 300;
        for (int i = 0; i < frames; ++i) {
            buffers[k].push_back(static_cast<std::int16_t>(k + 1));
            buffers[k].push_back(static_cast<std::int16_t>(i + 1));
        }
    }
    for (int k = 0; k < 200; ++k)
        ASSERT_EQ(out.write(k, buffers[k].data(), buffers[k].size()), 0);
    ASSERT_EQ(out.reset(), 0);
    ASSERT_EQ(out.write(200, buffers[200].data(), buffers[200].size()), 0);
    ASSERT_TRUE(waitForDone(201));
    out.close();
    QCoreApplication::processEvents();
    Tags expected;
    for (AudioOutput::Tag k = 0; k <= 200; ++k)
        expected.push_back(k);
    EXPECT_EQ(done, expected);
}

// Whether a new thread of this process may take SCHED_FIFO, asked on a thread of its own.
bool fifoAllowedHere()
{
    bool allowed = false;
    std::thread([&] { allowed = realtime::makeThisThreadFifo(realtime::AudioPriority); }).join();
    return allowed;
}

TEST_F(RealStreamChild, DISABLED_Realtime)
{
    const bool refused = qEnvironmentVariableIsSet("KESTRELON_NO_REALTIME");
    if (refused) {
        ASSERT_FALSE(fifoAllowedHere()); // the parent took the right away
    }
    // The file takes every block at once: a callback thread held up by a loaded machine is no
    // stalled device (whose resumption would start with silent blocks).
    out.setStallAfter(std::chrono::seconds(20));
    ASSERT_EQ(openAnswered(out, -1), 0);
    const std::vector<Samples> buffers = playedBuffers();
    for (std::size_t k = 0; k < buffers.size(); ++k)
        ASSERT_EQ(out.write(10 + k, buffers[k].data(), buffers[k].size()), 0);
    ASSERT_TRUE(waitForDone(buffers.size()));
    // A refusal goes on to ask RealtimeKit, whose answer (or its absence) comes by the loop.
    ASSERT_TRUE(testsupport::waitFor([&] { return out.audioScheduling() != realtime::Scheduling::Asking; }, 5000));

    const pid_t audio = out.audioThread();
    ASSERT_NE(audio, 0);
    EXPECT_NE(audio, static_cast<pid_t>(::syscall(SYS_gettid))); // not the thread that opened
    const int policy = realtime::threadPolicy(audio);
    if (refused) {
        EXPECT_NE(out.audioScheduling(), realtime::Scheduling::Fifo);
        EXPECT_EQ(out.feederThreadsRaised(), 0);
        if (out.audioScheduling() == realtime::Scheduling::Normal) {
            EXPECT_EQ(policy, SCHED_OTHER);
        }
    } else if (fifoAllowedHere()) {
        EXPECT_EQ(out.audioScheduling(), realtime::Scheduling::Fifo);
        EXPECT_EQ(policy, SCHED_FIFO);
        sched_param param{};
        ASSERT_EQ(::sched_getparam(audio, &param), 0);
        EXPECT_EQ(param.sched_priority, realtime::AudioPriority);
    }
    out.close();
    QCoreApplication::processEvents();
    EXPECT_EQ(done, (Tags{10, 11, 12, 13}));
}

// Without a stream (nor the sound library): only the request.
TEST(RealtimeChild, DISABLED_ArmedWhileAsking)
{
    if (qEnvironmentVariableIsEmpty(CaptureVariable))
        GTEST_SKIP() << "runs only in the child process of a RealStream case";
    ASSERT_FALSE(fifoAllowedHere());
    realtime::AudioThreadRequest request;
    std::atomic<bool> stop{false};
    std::atomic<int> armed{0};
    // Stream after stream: armed with a feeder that is refused, and its first block asking.
    std::thread session([&] {
        const std::vector<pid_t> feeders{static_cast<pid_t>(::syscall(SYS_gettid)), ::getpid()};
        while (!stop.load()) {
            request.arm(feeders);
            request.onAudioThread();
            ++armed;
        }
    });
    // Meanwhile each request is taken up here, as the user-interface thread does.
    testsupport::waitFor([] { return false; }, 300);
    stop = true;
    session.join();
    QCoreApplication::processEvents();
    EXPECT_GT(armed.load(), 0);
    EXPECT_EQ(request.feedersRaised(), 0);
    EXPECT_NE(request.scheduling(), realtime::Scheduling::Fifo);
}

TEST_F(RealStreamChild, DISABLED_Underruns)
{
    // On a loaded machine a fresh stream may take longer than the program's loss limit to
    // take its first sound, and each step up of the buffer seconds more to sound again;
    // what this case checks is the count of underruns, not how soon the stream plays.
    out.setLossLimit(std::chrono::seconds(20));
    ASSERT_EQ(openAnswered(out, -1), 0);
    // A fresh PulseAudio stream may take a while before it takes sound.
    const Samples lead = pattern(1, 2205), body = pattern(2, 22050 * 6);
    ASSERT_EQ(out.write(1, lead.data(), lead.size()), 0);
    ASSERT_TRUE(waitForDone(1));
    if (fifoAllowedHere()) {
        EXPECT_GE(out.feederThreadsRaised(), 1);
        int inRealTime = 0;
        for (const pid_t tid : realtime::threadsOfThisProcess())
            inRealTime += realtime::threadPolicy(tid) == SCHED_FIFO;
        EXPECT_GE(inRealTime, 2); // the callback's and the client library's
    }
    const std::uint64_t before = out.underruns();
    ASSERT_EQ(out.write(2, body.data(), body.size()), 0);
    std::printf("playing\n");
    std::fflush(stdout);
    ASSERT_TRUE(waitForDone(2, 60000));
    EXPECT_GT(out.underruns(), before);
    out.close();
}

TEST_F(RealStreamChild, DISABLED_InputLate)
{
    PortAudioInput input;
    std::vector<int> failures;
    input.setFailureHandler([&](int error) { failures.push_back(error); });
    EXPECT_EQ(input.open(-1), paTimedOut);
    EXPECT_TRUE(input.opening());
    EXPECT_FALSE(input.isOpen());
    std::printf("opening goes on\n");
    std::fflush(stdout);
    ASSERT_TRUE(testsupport::waitFor([&] { return !failures.empty(); }, 30000));
    testsupport::waitFor([] { return false; }, 200);
    EXPECT_EQ(failures.size(), 1u);
    EXPECT_NE(failures.front(), paTimedOut);
    EXPECT_FALSE(input.opening() || input.isOpen());
}

TEST_F(RealStreamChild, DISABLED_Fails)
{
    const int error = openAnswered(out, -1);
    EXPECT_NE(error, 0);
    EXPECT_FALSE(out.isOpen());
    const Samples a = pattern(1, 10);
    EXPECT_NE(out.write(1, a.data(), a.size()), 0);
    EXPECT_NE(openAnswered(out, -1), 0); // a second try fails the same way
    out.close();
    QCoreApplication::processEvents();
    EXPECT_TRUE(done.empty());
}

} // namespace
