#include "tests/shell/shelltestsupport.h"

#include "shell/formdialog.h"
#include "shell/mainwindow.h"
#include "shell/startup.h"

#include <QLabel>
#include <QTimer>
#include <gtest/gtest.h>

#include <set>

namespace shelltest {

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

class EndPollersWithEachTest : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo &) override
    {
        const std::set<QTimer *> left = pollers();
        for (QTimer *poll : left)
            endPoller(poll);
    }
};

const bool listenerInstalled = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new EndPollersWithEachTest);
    return true;
}();

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

void ensureWindows()
{
    TerminateApplication = [] { ++terminations; };
    if (!Form1)
        CreateAllWindows();
}

} // namespace shelltest
