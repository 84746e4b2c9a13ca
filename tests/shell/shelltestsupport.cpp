#include "tests/shell/shelltestsupport.h"

#include "shell/formdialog.h"
#include "shell/mainwindow.h"
#include "shell/startup.h"

#include <QLabel>
#include <QTimer>

namespace shelltest {

int terminations = 0;

void whenDialogShown(std::function<void()> act, int timeoutMs)
{
    auto *poll = new QTimer;
    auto *left = new int(timeoutMs / 5);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, left, act = std::move(act)] {
        const bool shown = FormDialog && FormDialog->isVisible();
        if (shown || --*left <= 0) {
            poll->stop();
            poll->deleteLater();
            delete left;
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
