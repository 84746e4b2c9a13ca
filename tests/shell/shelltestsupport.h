#pragma once

// Helpers of the shell's GUI tests: the program's windows, answering the message box from
// inside a caller's wait, and the built program run as a user runs it.
//
// Each test of a program that uses them starts as in a process of its own: before (and after)
// every test the windows are destroyed and the program's globals, settings rows and the hooks
// that tests replace are put back as they were before the first test. A test makes the
// windows with ensureWindows(). A module that adds a global or a hook adds it to the list in
// shelltestsupport.cpp.

#include "shell/mainwindow.h"

#include <QByteArray>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>

class FakeAudioOutput;

namespace shelltest {

// A control of the main window by its object name, or nullptr.
template <typename T>
T *control(const char *name)
{
    return Form1->findChild<T *>(QString::fromLatin1(name));
}

// The windows made from now on play into a FakeAudioOutput. Returns true, so that a test file
// can ask for it in a static initialiser, before any window exists.
bool useFakeSound();
// The sound output of the windows, a fake once useFakeSound() ran.
FakeAudioOutput &fake();

// While the caller waits, runs `act` once the message box is on screen (checked every few
// milliseconds); `act` sees the box as the user would. The helper ends itself after acting,
// after `timeoutMs`, or at the end of the test, whichever comes first.
void whenDialogShown(std::function<void()> act, int timeoutMs = 5000);

// The text the message box shows.
QString dialogText();

// Runs `act`, answering with OK the message box it shows; returns the message's text (empty
// when none was shown).
QString withMessage(const std::function<void()> &act);

// Chooses ttyS0 on the port panel as the user does. Another program may hold the port for a
// while ("Error COM", answered here): the choice is tried again for ten seconds.
enum class PortChoice { Chosen, NotListed, Held };
PortChoice chooseTtyS0();

// Creates the 21 windows as start-up does, unless this test made them already. Quitting is
// harmless: the application's termination is only counted in `terminations`.
void ensureWindows();
extern int terminations;

// The built program as a user starts it: Qt's offscreen platform, its configuration and data
// folders under `home` (config/kestrelon/kestrelon.ini, data/kestrelon), and the start-up
// report on its standard error.
class ProgramRun {
public:
    explicit ProgramRun(const QString &home);
    // A program still running (a test that failed before ending it) is killed.
    ~ProgramRun();
    ProgramRun(const ProgramRun &) = delete;
    ProgramRun &operator=(const ProgramRun &) = delete;

    QString settingsFile() const;
    // One more variable of the program's environment (HOME, ...), for the next start.
    void setEnvironment(const QString &name, const QString &value);
    QString dataFolder() const;

    // Starts the program; false when it could not be started.
    bool start(const QStringList &arguments = {});
    // How long a wait for the program goes on before the program counts as hung: long, since a
    // crowded machine may run it very slowly.
    static constexpr int HangMs = 60000;
    // Waits until the main window has been painted (the report on the standard error).
    bool waitForWindow(int timeoutMs = HangMs);
    // Waits until the program has taken over SIGTERM, SIGINT and SIGHUP (from then on they
    // run its quit, whatever start-up is doing), as it reports on its standard error.
    bool waitForQuitSignals(int timeoutMs = HangMs);
    void signal(int number);
    // The next start leaves the program's standard input, output and error closed, as some
    // launchers do (its start-up report is then not heard).
    void closeStandardStreams() { m_closeStreams = true; }
    qint64 processId() const { return m_process.processId(); }
    // Waits for the end of the program; true when it ended by itself with exit code 0.
    bool waitForCleanExit(int timeoutMs);
    // Once it has ended after a quit signal: the quit's own time in ms, from the signal to the
    // end, less what its main thread spent waiting for a processor (so a crowded machine does
    // not count); -1 when the program did not report it.
    int quitMs();
    // After a quit signal: waits for the end of the program (at most HangMs); true when it
    // ended by itself with exit code 0 and its quit took at most ownLimitMs of its own.
    bool waitForQuit(int ownLimitMs);

    // What the program wrote on its standard error so far.
    QByteArray errors();

private:
    QString m_home;
    QMap<QString, QString> m_environment;
    QProcess m_process;
    QByteArray m_errors;
    bool m_closeStreams = false;
};

// Shows each panel of the main window in turn (a container the modes and settings show and
// hide, within the panels around it), runs `check` on it while it is open, and hides it again.
void forEachPanel(QWidget *parent, const std::function<void(QWidget *panel)> &check);

} // namespace shelltest
