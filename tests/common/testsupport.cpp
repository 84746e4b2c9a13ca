#include "tests/common/testsupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace testsupport {

bool waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

QString sourceDir()
{
    return qEnvironmentVariable("KESTRELON_SOURCE_DIR", QStringLiteral(KESTRELON_SOURCE_DIR));
}

QString programPath()
{
    // The environment may point at another build of the program (a sanitizer build).
    return qEnvironmentVariable("KESTRELON_BINARY", QStringLiteral(KESTRELON_BINARY));
}

} // namespace testsupport
