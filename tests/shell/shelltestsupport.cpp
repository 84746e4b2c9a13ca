#include "tests/shell/shelltestsupport.h"

#include "modules.h"
#include "engine/keyer.h"
#include "engine/morsecode.h"
#include "shell/enginesettingskeys.h"
#include "shell/formdialog.h"
#include "shell/help.h"
#include "shell/instructorlock.h"
#include "shell/languages/languages.h"
#include "shell/joystickport.h"
#include "shell/mainwindow.h"
#include "shell/panellpt.h"
#include "shell/modes.h"
#include "shell/opendialogs.h"
#include "shell/panelport.h"
#include "shell/releasecheck.h"
#include "shell/settingsfile.h"
#include "shell/settingskeys.h"
#include "shell/soundcardpanel.h"
#include "shell/soundengine.h"
#include "shell/startup.h"
#include "shell/summaries.h"
#include "shell/utilities.h"
#include "training/audiomonitor.h"
#include "training/exam.h"
#include "training/filetext.h"
#include "training/monitor.h"
#include "training/shortcuts.h"
#include "training/typing.h"

#include "tests/common/fakeaudioinput.h"
#include "tests/common/fakeaudiooutput.h"
#include "tests/common/testsupport.h"

#include <QAbstractScrollArea>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <set>
#include <sys/prctl.h>
#include <unistd.h>

namespace shelltest {

PortChoice chooseTtyS0()
{
    TPanelPort *panel = PanelPort();
    int item = -1;
    for (int i = 1; panel && i < panel->RadioGroupCOM->Count(); ++i) {
        if (panel->RadioGroupCOM->ItemText(i) == QStringLiteral("ttyS0"))
            item = i;
    }
    if (item <= 0)
        return PortChoice::NotListed;
    bool refused = true;
    for (int attempt = 0; attempt < 40 && refused; ++attempt) {
        if (attempt > 0)
            testsupport::waitFor([] { return false; }, 250);
        refused = false;
        whenDialogShown([&] {
            refused = true;
            FormDialog->ButtonOK->click();
        }, 1000);
        panel->RadioGroupCOM->Item(item)->click();
    }
    return refused ? PortChoice::Held : PortChoice::Chosen;
}

bool useFakeSound()
{
    SoundOutputFactory() = [] { return std::unique_ptr<AudioOutput>(std::make_unique<FakeAudioOutput>()); };
    return true;
}

FakeAudioOutput &fake()
{
    return dynamic_cast<FakeAudioOutput &>(*SoundEngine().Output);
}

int terminations = 0;

namespace {

// Pollers still waiting for the message box. A poller that outlives its test would act on a
// later test's message with references into a finished test, so every test ends them all.
std::set<QTimer *> &pollers()
{
    static std::set<QTimer *> active;
    return active;
}

void endPoller(QTimer *poll)
{
    pollers().erase(poll);
    poll->stop();
    poll->deleteLater();
}

// Puts a global back to the value it had when first seen.
template <typename T>
std::function<void()> keep(T &global)
{
    return [&global, start = global] { global = start; };
}

// The program's globals and the hooks that tests replace, as the test program had them
// before its first test (a fake sound output set by a test file counts as its own).
void restoreProgramGlobals()
{
    static const std::vector<std::function<void()>> restores = {
        keep(SoundOutputFactory()), keep(portPanelSeams()), keep(ListInputDevices), keep(ListOutputDevices),
        keep(monitorSeams()), keep(Hooks()), keep(languageSources()), keep(summarySources()), keep(Settings()),
        keep(LastChoice), keep(ScreenPixelsPerInch),
        keep(DialogText), keep(DialogResult), keep(WarnAnsiShown), keep(MessagesToStandardError),
        keep(IniNoisePosition), keep(IniQsbPosition), keep(IniNotePosition), keep(MorseCodes),
        keep(JoystickPresent), keep(KidTargetText), keep(TypingReplay), keep(EditClicked), keep(LoopButton),
        keep(Shortcuts), keep(NoEditFocus), keep(DoubleKeyCalibration),
        keep(JoystickPresent), keep(NoEditFocus), keep(DoubleKeyCalibration), keep(monitorSeams()),
        keep(OpenFileDialogRunner()), keep(NewsPageFetcher()), keep(NewsSiteBase()),
        keep(joystickSeams()), keep(lptSeams()),
        keep(VerStart), keep(ReleaseCheckSilent), keep(FetchedVersion), keep(ShellOpenHandler),
        keep(StartDetachedHandler), keep(ExamPauseClock()), keep(LockedOptions()),
    };
    for (const auto &restore : restores)
        restore();
    // No test reaches a real capture device: the audio monitor listens to a fake.
    AudioInputFactory() = [] { return std::unique_ptr<AudioInput>(std::make_unique<FakeAudioInput>()); };
    // Nor the kernel's consoles: a port is one only where a test lists it (this machine's ttyS0
    // is the console, and a scripted port of that name would be taken for it).
    portPanelSeams().consolesFile.clear();
    // Nor the sound library for the device lists: their names are the test's own.
    DeviceListsKnown = [](const std::function<void()> &) { return true; };
    SetSettingsFailureReporter(nullptr);
    TerminateApplication = [] { ++terminations; };
    terminations = 0;
    InstallLanguages(nullptr);
    English1Click();
}

// A message that no test answers would hold the test, and every later one, for ever: after a
// minute it fails the test and every wait is ended, so the program goes on.
void watchForUnansweredMessages()
{
    static QTimer *watchdog = nullptr;
    delete watchdog;
    watchdog = new QTimer;
    QObject::connect(watchdog, &QTimer::timeout, [] {
        if (FormDialog && FormDialog->isVisible()) {
            ADD_FAILURE() << "a message waited a minute for an answer: " << dialogText().toStdString();
            EndWaitsForQuit();
        }
    });
    watchdog->start(60000);
}

// Before and after each test: no window, and every global as before start-up.
void startAfresh()
{
    const std::set<QTimer *> left = pollers();
    for (QTimer *poll : left)
        endPoller(poll);
    DestroyAllWindows();
    restoreProgramGlobals();
    // The program's modules, as its main registers them before any window.
    RegisterProgramModules();
    watchForUnansweredMessages();
}

const bool startsAfresh = testsupport::addFreshStartStep(startAfresh);

} // namespace

void whenDialogShown(std::function<void()> act, int timeoutMs)
{
    auto *poll = new QTimer;
    pollers().insert(poll);
    auto left = std::make_shared<int>(timeoutMs / 5);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, left, act = std::move(act)] {
        const bool shown = FormDialog && FormDialog->isVisible();
        if (shown || --*left <= 0) {
            endPoller(poll);
            if (shown)
                act();
        }
    });
    poll->start(5);
}

QString dialogText()
{
    return FormDialog ? FormDialog->LabelDialog->text() : QString();
}

QString withMessage(const std::function<void()> &act)
{
    QString text;
    const std::set<QTimer *> before = pollers();
    whenDialogShown([&] {
        text = dialogText();
        FormDialog->ButtonOK->click();
    });
    QTimer *mine = nullptr;
    for (QTimer *poll : pollers())
        if (!before.count(poll))
            mine = poll;
    act();
    // No message came: the poller must not answer a later one into this finished call.
    if (mine && pollers().count(mine))
        endPoller(mine);
    return text;
}

void ensureWindows()
{
    if (!Form1 && !CreateAllWindows())
        ADD_FAILURE() << "the main window's creation handler gave up";
}

ProgramRun::ProgramRun(const QString &home)
    : m_home(home)
{
}

ProgramRun::~ProgramRun()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString ProgramRun::settingsFile() const
{
    return m_home + QStringLiteral("/config/kestrelon/kestrelon.ini");
}

QString ProgramRun::dataFolder() const
{
    return m_home + QStringLiteral("/data/kestrelon");
}

bool ProgramRun::start(const QStringList &arguments)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_home + QStringLiteral("/data"));
    env.insert(QStringLiteral("KESTRELON_REPORT_STARTUP"), QStringLiteral("1"));
    for (auto it = m_environment.cbegin(); it != m_environment.cend(); ++it)
        env.insert(it.key(), it.value());
    m_errors.clear();
    m_process.setProcessEnvironment(env);
    m_process.setWorkingDirectory(m_home);
    // The program never outlives the test program, however a test ends.
    m_process.setChildProcessModifier([close = m_closeStreams] {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (close)
            for (int fd = 0; fd <= 2; ++fd)
                ::close(fd);
    });
    m_process.start(testsupport::programPath(), arguments);
    return m_process.waitForStarted(5000);
}

bool ProgramRun::waitForWindow(int timeoutMs)
{
    return testsupport::waitFor([this] { return errors().contains("first window shown"); }, timeoutMs);
}

bool ProgramRun::waitForQuitSignals(int timeoutMs)
{
    return testsupport::waitFor([this] { return errors().contains("quit signals ready"); }, timeoutMs);
}

void ProgramRun::setEnvironment(const QString &name, const QString &value)
{
    m_environment.insert(name, value);
}

void ProgramRun::signal(int number)
{
    // Not once it has ended: kill(0) would signal the whole process group, this test with it.
    if (const qint64 pid = m_process.processId(); pid > 0)
        ::kill(static_cast<pid_t>(pid), number);
}

bool ProgramRun::waitForCleanExit(int timeoutMs)
{
    if (!m_process.waitForFinished(timeoutMs)) {
        m_process.kill();
        m_process.waitForFinished(5000);
        return false;
    }
    errors();
    return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
}

bool ProgramRun::waitForQuit(int ownLimitMs)
{
    if (!waitForCleanExit(HangMs))
        return false;
    const int own = quitMs();
    return own >= 0 && own <= ownLimitMs;
}

int ProgramRun::quitMs()
{
    static const QRegularExpression report(
        QStringLiteral("kestrelon: quit took (\\d+) ms, (\\d+) ms of it waiting for a processor"));
    const QRegularExpressionMatch m = report.match(QString::fromUtf8(errors()));
    // A wait for a processor under way at the signal is counted whole once it ends: the
    // difference may then fall below zero.
    return m.hasMatch() ? std::max(0, m.captured(1).toInt() - m.captured(2).toInt()) : -1;
}

QByteArray ProgramRun::errors()
{
    m_process.waitForReadyRead(10);
    m_errors += m_process.readAllStandardError();
    return m_errors;
}

void forEachPanel(QWidget *parent, const std::function<void(QWidget *panel)> &check)
{
    for (QWidget *panel : parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        const bool container = (qobject_cast<QFrame *>(panel) && !qobject_cast<QAbstractScrollArea *>(panel)
                                && !qobject_cast<QLabel *>(panel))
                               || qobject_cast<QGroupBox *>(panel);
        if (!container || panel->objectName().isEmpty() || panel->objectName().startsWith(QLatin1String("qt_")))
            continue;
        const bool hidden = panel->isHidden();
        panel->show();
        check(panel);
        forEachPanel(panel, check);
        panel->setHidden(hidden);
    }
}

} // namespace shelltest
