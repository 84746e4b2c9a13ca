// The settings file through the real program: started offscreen with a prepared file and
// arguments, ended with SIGTERM; the written file's values, order and reading back.

#include "shell/settingsformat.h"
#include "shell/settingskeys.h"
#include "tests/common/testsupport.h"
#include "tests/shell/shelltestsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <numeric>
#include <sys/stat.h>

namespace {

QByteArray crlf(std::initializer_list<std::string> lines)
{
    std::string file;
    for (const auto &line : lines)
        file += line + "\r\n";
    return QByteArray::fromStdString(file);
}

// The real program on a prepared settings file: started, ended with SIGTERM, its file read.
struct ProgramRun {
    QTemporaryDir home;
    shelltest::ProgramRun program{home.path()};
    QString ini = program.settingsFile();

    void prepare(const QByteArray &bytes)
    {
        QDir().mkpath(QFileInfo(ini).path());
        QFile file(ini);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        ::chmod(QFile::encodeName(ini).constData(), 0444);
    }

    // Starts the program, waits for its window, ends it with SIGTERM.
    void run(const QStringList &args)
    {
        ASSERT_TRUE(program.start(args)) << qPrintable(testsupport::programPath());
        ASSERT_TRUE(program.waitForWindow()) << program.errors().constData();
        program.signal(SIGTERM);
        EXPECT_TRUE(program.waitForQuit(5000)) << program.errors().constData();
    }

    QByteArray written() const
    {
        QFile file(ini);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
    }
};

// The written file's lines.
std::vector<settings::Line> linesOf(const QByteArray &file)
{
    return settings::ParseLines(file.toStdString());
}

// The values written for a key, in file order.
std::vector<std::string> valuesOf(const std::vector<settings::Line> &lines, std::string_view key)
{
    std::vector<std::string> values;
    for (const settings::Line &line : lines)
        if (line.key == key)
            values.push_back(line.value);
    return values;
}

// Known keys come in the registry's order, unknown ones after them all.
void expectWritersOrder(const std::vector<settings::Line> &lines)
{
    int last = 0;
    bool unknownSeen = false;
    for (const settings::Line &line : lines) {
        const int index = SettingsKeyIndex(line.key);
        if (index < 0) {
            unknownSeen = true;
            continue;
        }
        EXPECT_FALSE(unknownSeen) << line.key << " after a key the program does not know";
        EXPECT_GE(index, last) << line.key << " out of order";
        last = index;
    }
}

} // namespace

TEST(SettingsProgram, AUsersFileComesBackWithTheCommandLinesChoices)
{
    // A password whose shifted form would hold an LF (z at position 12).
    const std::string password = settings::ShiftPassword("abcdefghijkz");
    ProgramRun r;
    r.prepare(crlf({"[KESTRELON 5.2.9]", "FUTURE_KEY=keep me", "LOCAL_CHAR= X  .-..-  U.S.-made",
                    "LOCAL_CHAR= q  abc", "WARNANSI=1", "MSG=73 de ZELMO", "MSG=", "MSG=QRL?", "LANGUAGE=F",
                    "SPEED=20", "MDPINT=" + password, "WORDS=3", "WINDIM=500,700", "WINPOS=120,80", "LASTCHOICE=4",
                    "WORDS=4", "SPACEB=4", "QSB_SPEED=7", "NOISE_BW=3", "NOTE=2000", "DRIFT=0,0,0", "SPACE=abc",
                    "no equals sign", "=no key"}));
    r.run({"/E", "x=25", "c", "S=30"});
    const auto lines = linesOf(r.written());
    expectWritersOrder(lines);
    // The arguments' choices; the last of repeated lines; held, refused and fallen-back values;
    // the window no smaller than its design.
    const std::pair<const char *, std::vector<std::string>> expected[] = {
        {"SPEED=", {"25"}}, {"LANGUAGE=", {"E"}}, {"WORDS=", {"4"}}, {"SPACE=", {"1"}}, {"SPACEB=", {"3"}},
        {"QSB_SPEED=", {"6"}}, {"NOISE_BW=", {"8"}}, {"NOTE=", {"1500"}}, {"DRIFT=", {"0,800,100"}},
        {"MSG=", {"73 de ZELMO", "", "QRL?", "", "", ""}}, {"MDPINT=", {password}}, {"WINDIM=", {"516,700"}},
        {"WINPOS=", {"120,80"}}, {"LASTCHOICE=", {"4"}}, {"WARNANSI=", {"1"}},
        {"LOCAL_CHAR=", {" X  .-..-  U.S.-made"}}, {"FUTURE_KEY=", {"keep me"}}};
    for (const auto &[key, values] : expected)
        EXPECT_EQ(valuesOf(lines, key), values) << key;
    EXPECT_EQ(lines.back(), (settings::Line{"FUTURE_KEY=", "keep me"}));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(r.ini).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
    EXPECT_EQ(QDir(QFileInfo(r.ini).path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("kestrelon.ini")});
}

TEST(SettingsProgram, WithoutAFileEachKeyGetsItsFreshValueAndTheFileReadsBackUnchanged)
{
    // Which keys the program's modules bind (a key still kept as read is written only when read).
    shelltest::ensureWindows();
    ProgramRun r;
    r.run({"/f"});
    const QByteArray first = r.written();
    const auto lines = linesOf(first);
    expectWritersOrder(lines);
    for (const SettingsKey &k : SettingsKeys) {
        if (!Settings().isBound(k.key))
            continue;
        const auto values = valuesOf(lines, k.key);
        if (k.key == "LANGUAGE=") {
            EXPECT_EQ(values, std::vector<std::string>{"F"});
        } else if (k.fresh) {
            EXPECT_EQ(values, std::vector<std::string>{k.fresh}) << k.key;
        } else if (k.written == Written::Always) {
            EXPECT_EQ(values.size(), 1u) << k.key; // the window's place and size: the screen's
        } else if (k.written != Written::List) {
            EXPECT_EQ(values, std::vector<std::string>{}) << k.key;
        }
    }
    // The first message; the default lessons fill pages 1 and 3.
    EXPECT_EQ(valuesOf(lines, "MSG="), (std::vector<std::string>{"73 de ZELMO", "", "", "", "", ""}));
    if (Settings().isBound("LESSON=")) {
        std::vector<int> lessonSlots;
        for (const std::string &lesson : valuesOf(lines, "LESSON="))
            lessonSlots.push_back(std::stoi(lesson.substr(lesson.find(" #") + 2)));
        std::vector<int> expected(20);
        std::iota(expected.begin(), expected.end(), 1);
        for (int slot = 51; slot <= 60; ++slot)
            expected.push_back(slot);
        EXPECT_EQ(lessonSlots, expected);
    }
    EXPECT_EQ(valuesOf(lines, "SHORTCUT="), std::vector<std::string>{});
    EXPECT_EQ(valuesOf(lines, "LOCAL_CHAR="), std::vector<std::string>{});

    // Fed back, the file comes back byte for byte.
    r.run({});
    EXPECT_EQ(r.written().toStdString(), first.toStdString());
}

TEST(SettingsProgram, TheSpeedFromTheCommandLineIsHeldToItsRange)
{
    ProgramRun r;
    for (auto [arg, speed] : {std::pair{"S=0", "5"}, std::pair{"S=99", "70"}, std::pair{"=25", "70"}}) {
        r.run({QString::fromLatin1(arg)});
        EXPECT_EQ(valuesOf(linesOf(r.written()), "SPEED="), std::vector<std::string>{speed}) << arg;
    }
}
