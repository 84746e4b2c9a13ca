// The transmitter is never left keyed: the program keys this machine's UART (PTT on RTS, CW
// on DTR, a long text under way), then ends by each road a user or the system can take: the
// Quit button, the quit command, a quit signal, any other signal that ends a process, and a
// crash. This test holds the port open beside the program and reads DTR and RTS back from
// it, so the lines cannot drop merely because the port's last user closed it.

#include "tests/common/fakeaudiooutput.h"
#include "tests/common/testsupport.h"
#include "tests/common/uartlock.h"
#include "tests/shell/shelltestsupport.h"

#include "platform/serialports.h"
#include "shell/formdialog.h"
#include "shell/mainwindow.h"
#include "shell/panelport.h"
#include "shell/soundengine.h"
#include "shell/startup.h"
#include "shell/unixsignals.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

const char *const EndVariable = "KESTRELON_KEYING_END";
// The program's exit code when another program held the port all the time it tried.
constexpr int PortHeldElsewhere = 77;
constexpr unsigned KeyingLines = TIOCM_DTR | TIOCM_RTS;

// ---- The program, in a process of its own ---------------------------------------------------

// Keys the UART through the program's own windows and engine: the port chosen in the port
// panel, PTT on RTS and CW on DTR, a long text typed. Once both lines are up it says "keyed"
// on its standard output and ends as KESTRELON_KEYING_END asks: "wait" for a signal from
// outside, "quitbutton" or "quitcommand", or a crash ("segv", "bus", "fpe", "ill", "abort").
TEST(KeyingUartChild, DISABLED_KeysUntilItEnds)
{
    const std::string end = std::getenv(EndVariable) ? std::getenv(EndVariable) : "wait";
    SoundOutputFactory() = [] { return std::unique_ptr<AudioOutput>(std::make_unique<FakeAudioOutput>()); };
    shelltest::ensureWindows();
    static bool ended = false;
    TerminateApplication = [] { ended = true; };
    // As the program's main block does it.
    InstallQuitSignals(RequestQuitFromOutside);
    StartupFinished();

    TPanelPort *panel = PanelPort();
    ASSERT_NE(panel, nullptr);
    int item = -1;
    for (int i = 1; i < panel->RadioGroupCOM->Count(); ++i)
        if (panel->RadioGroupCOM->ItemText(i) == QStringLiteral("ttyS0"))
            item = i;
    ASSERT_GT(item, 0);
    Form1->findChild<QAction *>(QStringLiteral("MenuPort"))->trigger();
    {
        // Another program may hold the port for a while ("Error COM", answered here): try
        // again.
        QTimer answering;
        QString refusal;
        QObject::connect(&answering, &QTimer::timeout, [&refusal] {
            if (FormDialog && FormDialog->isVisible()) {
                refusal = shelltest::dialogText();
                FormDialog->ButtonOK->click();
            }
        });
        answering.start(5);
        for (int attempt = 0; attempt < 80 && panel->Keying.ComPortName != "ttyS0"; ++attempt) {
            if (attempt > 0)
                testsupport::waitFor([] { return false; }, 250);
            panel->RadioGroupCOM->Item(item)->click();
        }
        if (panel->Keying.ComPortName != "ttyS0") {
            std::fprintf(stderr, "%s\n", qPrintable(refusal));
            std::_Exit(PortHeldElsewhere);
        }
    }
    if (!panel->CheckBoxPTTRTS->isChecked())
        panel->CheckBoxPTTRTS->click();
    if (!panel->CheckBoxCWDTR->isChecked())
        panel->CheckBoxCWDTR->click();
    panel->RadioGroupTXDelay->Item(0)->click();
    panel->ButtonClosePanelPort->click();

    // The sound card plays a silent buffer (the start of a transmission) at once and a
    // character to its end once the clock has keyed it through.
    TSoundEngine &engine = SoundEngine();
    auto *output = dynamic_cast<FakeAudioOutput *>(engine.Output.get());
    ASSERT_NE(output, nullptr);
    QTimer playing;
    bool keying = false;
    QObject::connect(&playing, &QTimer::timeout, [&] {
        const bool down = engine.Clock->CWLineDown.load() == 1;
        const std::size_t queued = std::min(output->queued(), output->written.size());
        bool silent = false;
        if (queued > 0) {
            const auto &head = output->written[output->written.size() - queued].values;
            silent = std::all_of(head.begin(), head.end(), [](std::int16_t v) { return v == 0; });
        }
        if ((keying && !down) || (!down && silent))
            output->finishNext();
        keying = down;
    });
    playing.start(20);

    Form1->show();
    auto *box = Form1->findChild<QLineEdit *>(QStringLiteral("Editcaractere"));
    ASSERT_NE(box, nullptr);
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("0000000000"));

    auto bothUp = [&] {
        unsigned lines = 0;
        return panel->Keying.PTTOn == 1 && panel->Keying.ComPortKeyer.Device().modemLines(lines) == 0
            && (lines & KeyingLines) == KeyingLines;
    };
    ASSERT_TRUE(testsupport::waitFor(bothUp, 30000))
        << "PTT and CW never both up: PTTOn " << int(panel->Keying.PTTOn) << ", buffers written "
        << output->written.size() << ", queued " << output->queued();
    std::printf("keyed\n");
    std::fflush(stdout);

    if (end == "quitbutton") {
        shelltest::whenDialogShown([] { FormDialog->ButtonYes->click(); });
        Form1->ButtonQuitter->click();
        EXPECT_TRUE(ended);
    } else if (end == "quitcommand") {
        Form1->MenuOutilsQuit->trigger();
        EXPECT_TRUE(ended);
    } else if (end == "segv") {
        *static_cast<volatile int *>(nullptr) = 1;
    } else if (end == "fpe") {
        // Both operands unknown to the compiler, so the division really happens.
        volatile int dividend = 7, zero = 0;
        volatile int quotient = dividend / zero;
        (void)quotient;
    } else if (end == "ill") {
        __builtin_trap();
    } else if (end == "abort") {
        std::abort();
    } else if (end == "bus") {
        // A page of a file mapped beyond the file's end.
        FILE *empty = std::tmpfile();
        ASSERT_NE(empty, nullptr);
        auto *page = static_cast<volatile char *>(
            ::mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_SHARED, fileno(empty), 0));
        ASSERT_NE(page, MAP_FAILED);
        page[0] = 1;
    } else {
        // A quit signal ends the wait through the program's quit; any other ends the process.
        EXPECT_TRUE(testsupport::waitFor([] { return ended; }, 60000));
    }
    playing.stop();
}

// ---- The test's side ------------------------------------------------------------------------

// The UART, opened by the test while no program uses it (the program takes it afterwards) and
// held open for reading the lines back.
class UartWatch {
public:
    UartWatch()
    {
        const int lock = serialports::IsSerialPortName("ttyS0") ? testsupport::WaitForSerialLock("/dev/ttyS0") : -2;
        if (lock == -2)
            return;
        fd_ = ::open("/dev/ttyS0", O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        int bits = KeyingLines; // the open itself raised them
        ::ioctl(fd_, TIOCMBIC, &bits);
        if (lock >= 0)
            ::close(lock);
    }
    ~UartWatch()
    {
        if (fd_ >= 0) {
            ::ioctl(fd_, TIOCNXCL); // the program made the port exclusive
            ::close(fd_);
        }
    }
    bool usable() const { return fd_ >= 0; }
    unsigned lines() const
    {
        int bits = 0;
        return ::ioctl(fd_, TIOCMGET, &bits) == 0 ? static_cast<unsigned>(bits) & KeyingLines : ~0u;
    }

private:
    int fd_ = -1;
};

// The child case in a process of its own, with its own folders (its core file, if any, lands
// there); what it says on both outputs is read here.
class ProgramProcess {
public:
    ProgramProcess(const std::string &end, bool dumpCore)
    {
        const std::string folder = dir_.path().toStdString();
        std::vector<std::string> env;
        for (char **e = environ; *e; ++e)
            if (std::strncmp(*e, "XDG_CONFIG_HOME=", 16) != 0 && std::strncmp(*e, "XDG_DATA_HOME=", 14) != 0)
                env.emplace_back(*e);
        env.push_back(std::string(EndVariable) + "=" + end);
        env.push_back("XDG_CONFIG_HOME=" + folder + "/config");
        env.push_back("XDG_DATA_HOME=" + folder + "/data");
        std::vector<char *> envp;
        for (std::string &e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        std::string program = QCoreApplication::applicationFilePath().toStdString();
        std::string all = "--gtest_also_run_disabled_tests";
        std::string filter = "--gtest_filter=KeyingUartChild.DISABLED_KeysUntilItEnds";
        char *argv[] = {program.data(), all.data(), filter.data(), nullptr};
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0)
            return;
        const rlimit core{dumpCore ? RLIM_INFINITY : 0, dumpCore ? RLIM_INFINITY : 0};
        pid_ = ::fork();
        if (pid_ == 0) {
            // Only calls that are safe after a fork, up to the exec.
            ::dup2(out[1], STDOUT_FILENO);
            ::dup2(out[1], STDERR_FILENO);
            if (::chdir(folder.c_str()) != 0)
                ::_exit(126);
            ::setrlimit(RLIMIT_CORE, &core);
            ::execve(program.c_str(), argv, envp.data());
            ::_exit(127);
        }
        ::close(out[1]);
        out_ = out[0];
        ::fcntl(out_, F_SETFL, O_NONBLOCK);
    }
    ~ProgramProcess()
    {
        if (pid_ > 0 && !status_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0)
            ::close(out_);
    }
    pid_t pid() const { return pid_; }

    // Waits until the program says it has keyed the port; false when it ended without.
    bool waitKeyed()
    {
        auto keyed = [this] { return said().find("keyed\n") != std::string::npos; };
        testsupport::waitFor([&] { return keyed() || ended(); }, 60000);
        return keyed();
    }
    bool ended()
    {
        int status = 0;
        if (!status_ && ::waitpid(pid_, &status, WNOHANG) == pid_)
            status_ = status;
        return status_.has_value();
    }
    int status() const { return status_.value_or(-1); }
    const std::string &said()
    {
        char buffer[4096];
        for (ssize_t n; (n = ::read(out_, buffer, sizeof buffer)) > 0;)
            said_.append(buffer, static_cast<size_t>(n));
        return said_;
    }
    std::string tail() { return said().substr(said_.size() > 3000 ? said_.size() - 3000 : 0); }

private:
    QTemporaryDir dir_;
    pid_t pid_ = -1;
    int out_ = -1;
    std::string said_;
    std::optional<int> status_;
};

std::string describe(int status)
{
    if (WIFEXITED(status))
        return "exit " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return std::string("signal ") + strsignal(WTERMSIG(status)) + (WCOREDUMP(status) ? " (core dumped)" : "");
    return "status " + std::to_string(status);
}

struct Ending {
    const char *name;
    int signal;      // sent from outside (0: none; -1: SIGRTMIN), or the one a crash raises
    const char *end; // what the program does itself ("wait": nothing)
    bool clean;      // a quit: the program ends by itself with 0
};

void PrintTo(const Ending &e, std::ostream *os)
{
    *os << e.name;
}

// The transmitter keyed (PTT up, CW keying, a long text under way), then the program ends: the
// lines are low once it has gone. A signal that ends a process lowers them within 100 ms and
// ends the program as that signal does; a quit ends it with 0.
class KeyingUart : public ::testing::TestWithParam<Ending> {};

TEST_P(KeyingUart, TheProgramLeavesDTRAndRTSLow)
{
    const Ending &e = GetParam();
    const int sent = e.signal < 0 ? SIGRTMIN : e.signal;
    UartWatch uart;
    if (!uart.usable())
        GTEST_SKIP() << "no UART at /dev/ttyS0 that this user may open, or it stayed in use";
    // One crash leaves its core file, where the system writes core files into the folder.
    QFile pattern(QStringLiteral("/proc/sys/kernel/core_pattern"));
    const bool dumpCore = e.signal == SIGSEGV && pattern.open(QIODevice::ReadOnly) && !pattern.readAll().startsWith('|');

    ProgramProcess program(e.end, dumpCore);
    ASSERT_GT(program.pid(), 0);
    if (!program.waitKeyed()) {
        if (WIFEXITED(program.status()) && WEXITSTATUS(program.status()) == PortHeldElsewhere)
            GTEST_SKIP() << "ttyS0 is held by another program: " << program.tail();
        FAIL() << describe(program.status()) << "\n" << program.tail();
    }
    auto from = Clock::now();
    if (std::string(e.end) == "wait") {
        // CW comes and goes with the elements: the signal goes while both lines are up.
        ASSERT_TRUE(testsupport::waitFor([&] { return uart.lines() == KeyingLines; }, 20000));
        from = Clock::now();
        ::kill(program.pid(), sent);
    }
    // When the lines were first seen low and the program first seen gone: once it has gone
    // nothing can lower them any more.
    std::optional<Clock::duration> low, gone;
    while (Clock::now() - from < 20s && !(low && gone)) {
        if (!low && uart.lines() == 0)
            low = Clock::now() - from;
        if (!gone && program.ended())
            gone = Clock::now() - from;
        std::this_thread::sleep_for(200us);
    }
    ASSERT_TRUE(gone) << program.tail();
    ASSERT_TRUE(low) << "DTR or RTS still up after " << describe(program.status()) << "\n" << program.tail();
    EXPECT_LE(*low, *gone);
    const int status = program.status();
    if (e.clean) {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << describe(status) << "\n" << program.tail();
        return;
    }
    if (std::string(e.end) == "wait") {
        // A machine too busy to run the program at all within 100 ms cannot show the time;
        // the lines were low by its end all the same.
        EXPECT_TRUE(*low < 100ms || *gone > 100ms)
            << std::chrono::duration_cast<std::chrono::milliseconds>(*low).count() << " ms";
    }
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sent) << describe(status) << "\n" << program.tail();
    if (dumpCore) {
        EXPECT_TRUE(WCOREDUMP(status)) << describe(status);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Endings, KeyingUart,
    ::testing::Values(Ending{"SIGQUIT", SIGQUIT, "wait", false}, Ending{"SIGUSR1", SIGUSR1, "wait", false},
                      Ending{"SIGUSR2", SIGUSR2, "wait", false}, Ending{"SIGALRM", SIGALRM, "wait", false},
                      Ending{"SIGPIPE", SIGPIPE, "wait", false}, Ending{"SIGRTMIN", -1, "wait", false},
                      Ending{"SIGSEGV", SIGSEGV, "segv", false}, Ending{"SIGBUS", SIGBUS, "bus", false},
                      Ending{"SIGFPE", SIGFPE, "fpe", false}, Ending{"SIGILL", SIGILL, "ill", false},
                      Ending{"SIGABRT", SIGABRT, "abort", false}, Ending{"QuitButton", 0, "quitbutton", true},
                      Ending{"QuitCommand", 0, "quitcommand", true}, Ending{"SIGTERM", SIGTERM, "wait", true}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
