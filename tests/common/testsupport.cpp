#include "tests/common/testsupport.h"

#include "platform/rundelay.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <glob.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/stat.h>
#include <unistd.h>
#include <map>
#include <system_error>
#include <vector>

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

bool pressAccessibly(QWidget *control)
{
    QAccessibleInterface *face = control ? QAccessible::queryAccessibleInterface(control) : nullptr;
    QAccessibleActionInterface *actions = face ? face->actionInterface() : nullptr;
    if (!actions)
        return false;
    const QStringList names = actions->actionNames();
    for (const QString &action : {QAccessibleActionInterface::pressAction(), QAccessibleActionInterface::toggleAction()}) {
        if (names.contains(action)) {
            actions->doAction(action);
            auto *button = qobject_cast<QAbstractButton *>(control);
            return !button || waitFor([button] { return !button->isDown(); });
        }
    }
    return false;
}

std::vector<std::string> inputsThatNeverEnd(const QString &folder, std::size_t limit)
{
    const std::string fifo = QFile::encodeName(QDir(folder).filePath(QStringLiteral("endless.fifo"))).toStdString();
    const std::string tooLong = QFile::encodeName(QDir(folder).filePath(QStringLiteral("toolong.txt"))).toStdString();
    ::unlink(fifo.c_str());
    EXPECT_EQ(::mkfifo(fifo.c_str(), 0600), 0) << fifo;
    std::string bytes;
    bytes.reserve(limit + 1);
    while (bytes.size() <= limit)
        bytes += "cq\n";
    bytes.resize(limit + 1);
    QFile file(QString::fromStdString(tooLong));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    EXPECT_EQ(file.write(bytes.data(), static_cast<qint64>(bytes.size())), static_cast<qint64>(bytes.size()));
    return {fifo, "/dev/zero", tooLong};
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

namespace {

std::vector<std::function<void()>> &freshStartSteps()
{
    static std::vector<std::function<void()>> steps;
    return steps;
}

// Removes what the folder holds, also below folders a test made read-only.
void emptyFolder(const QString &path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path folder(QFile::encodeName(path).toStdString());
    if (path.isEmpty() || !fs::is_directory(folder, error))
        return;
    for (auto it = fs::recursive_directory_iterator(folder, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error)) {
        if (it->is_directory(error) && !it->is_symlink(error))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    }
    for (const auto &entry : fs::directory_iterator(folder, error))
        fs::remove_all(entry.path(), error);
}

class FreshStartForEachTest : public ::testing::EmptyTestEventListener {
public:
    FreshStartForEachTest()
        : m_workingFolder(QDir::currentPath())
    {
        for (const char *name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"})
            m_variables[name] = qgetenv(name);
    }

    void OnTestStart(const ::testing::TestInfo &) override
    {
        resetEnvironment();
        for (const auto &step : freshStartSteps())
            step();
    }

    void OnTestEnd(const ::testing::TestInfo &) override
    {
        for (const auto &step : freshStartSteps())
            step();
        resetEnvironment();
    }

private:
    void resetEnvironment()
    {
        // A functor queued without an object of its own (QTimer::singleShot(0, f), a call
        // posted to the application) would otherwise run in the next test, with references
        // into this one.
        QCoreApplication::removePostedEvents(QCoreApplication::instance(), QEvent::MetaCall);
        QCoreApplication::removePostedEvents(QThread::currentThread(), QEvent::MetaCall);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        for (const auto &[name, value] : m_variables)
            qputenv(name.c_str(), value);
        QDir::setCurrent(m_workingFolder);
        emptyFolder(qEnvironmentVariable("XDG_CONFIG_HOME"));
        emptyFolder(qEnvironmentVariable("XDG_DATA_HOME"));
    }

    QString m_workingFolder;
    std::map<std::string, QByteArray> m_variables;
};

} // namespace

void installFreshStartForEachTest()
{
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshStartForEachTest);
}

bool addFreshStartStep(std::function<void()> step)
{
    freshStartSteps().push_back(std::move(step));
    return true;
}

long long processRunDelayMs()
{
    long long total = 0;
    for (const QString &task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QByteArray path = QStringLiteral("/proc/self/task/%1/schedstat").arg(task).toLocal8Bit();
        total += std::max(0LL, RunDelayNs(path.constData()));
    }
    return total / 1000000;
}

std::string missingTools(std::initializer_list<Tool> tools)
{
    std::string missing;
    for (const Tool &tool : tools) {
        bool there = false;
        if (tool.name[0] == '/') {
            glob_t found{};
            there = ::glob(tool.name, 0, nullptr, &found) == 0;
            ::globfree(&found);
        } else {
            there = !QStandardPaths::findExecutable(QString::fromLatin1(tool.name)).isEmpty();
        }
        if (!there)
            missing += std::string(missing.empty() ? "needs " : ", ") + tool.name + " (Debian package "
                + tool.package + ")";
    }
    return missing;
}

bool toolsRequired()
{
    return qEnvironmentVariable("KESTRELON_REQUIRE_TOOLS") == QLatin1String("1");
}

SilentSoundServer::SilentSoundServer(const QString &folder)
    : m_path(QDir(folder).filePath(QStringLiteral("pulse.sock")).toLocal8Bit())
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (std::size_t(m_path.size()) >= sizeof address.sun_path)
        return;
    std::memcpy(address.sun_path, m_path.constData(), std::size_t(m_path.size()));
    m_socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_socket >= 0
        && (::bind(m_socket, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0
            || ::listen(m_socket, 16) != 0))
        close();
}

SilentSoundServer::~SilentSoundServer()
{
    close();
}

QByteArray SilentSoundServer::alsaConfiguration() const
{
    const QByteArray server = "server \"unix:" + m_path + "\"";
    return "pcm.!default { type pulse; " + server + " }\nctl.!default { type pulse; " + server + " }\n";
}

void SilentSoundServer::close()
{
    if (m_socket >= 0)
        ::close(m_socket);
    m_socket = -1;
}

} // namespace testsupport
