// The settings file through the real program: started offscreen with a prepared file and
// arguments, ended with SIGTERM, the written file compared with the expected bytes.

#include "shell/settingsformat.h"
#include "tests/common/testsupport.h"
#include "tests/shell/shelltestsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
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
        EXPECT_TRUE(program.waitForCleanExit(5000)) << program.errors().constData();
    }

    QByteArray written() const
    {
        QFile file(ini);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
    }
};

// The default local lessons as the file holds them.
const std::vector<std::string> DefaultLessonLines = {
    "LESSON=endx0 #1", "LESSON=tawp1 #2", "LESSON=endx0tawp1 #3", "LESSON=mgzq2 #4", "LESSON=iuvh3 #5",
    "LESSON=mgzq2iuvh3 #6", "LESSON=endx0tawp1mgzq2iuvh3 #7", "LESSON=okyc4 #8", "LESSON=rlf56 #9",
    "LESSON=okyc4rlf56 #10", "LESSON=sbj78 #11", "LESSON=+=?/9 #12", "LESSON=sbj78+=?/9 #13",
    "LESSON=okyc4rlf56sbj78+=?/9 #14", "LESSON=endx0tawp1mgzq2iuvh3 #15", "LESSON=abcdefghijklmnopqrstuvwxyz #16",
    "LESSON=0123456789 #17", "LESSON=abcdefghijklmnopqrstuvwxyz0123456789 #18", "LESSON=+=?/'-,. #19",
    "LESSON=abcdefghijklmnopqrstuvwxyz0123456789+=?/'-,. #20", "LESSON=aten #51", "LESSON=atenois14 #52",
    "LESSON=atenois14lrhd25 #53", "LESSON=atenois14lrhd25uc #54", "LESSON=atenois14lrhd25ucmw36? #55",
    "LESSON=atenois14lrhd25ucmw36?fy, #56", "LESSON=atenois14lrhd25ucmw36?fy,pgq79/ #57",
    "LESSON=atenois14lrhd25ucmw36?fy,pgq79/bv #58", "LESSON=atenois14lrhd25ucmw36?fy,pgq79/bvkj80 #59",
    "LESSON=atenois14lrhd25ucmw36?fy,pgq79/bvkj80xqz. #60"};

std::vector<std::string> withDefaultLessons(std::vector<std::string> lines)
{
    lines.insert(lines.end(), DefaultLessonLines.begin(), DefaultLessonLines.end());
    return lines;
}

} // namespace

// What a start with no file and no arguments writes, the language aside.
std::vector<std::string> defaultsWith(const std::string &language)
{
    return withDefaultLessons({"[KESTRELON 5.2.9]", "SPEED=12", "SPACE=1", "SPACEW=1", "SPACEWF=0", "SPACEL=0", "SPACEB=3",
            "LANGUAGE=" + language, "LEVEL=-12", "RANDOM_COUNT=250", "WORDS=5", "MIXED=OFF", "VVVVV=OFF", "RANDOM=6", "COM=0", "MONITOR_CASE=UPPER",
            "MONITOR_FILTER=0", "MONITOR_CHANNEL=LEFT", "LEFT_THRESHOLD=64", "RIGHT_THRESHOLD=64", "NOISE_LEVEL=10", "QSB_LEVEL=10",
            "QSB_SPEED=6", "NOISE_BW=8", "NOTE=800", "DELAY=3", "PAGE=1", "QUIZ_COUNT=100", "MSG=73 de ZELMO", "MSG=", "MSG=", "MSG=", "MSG=", "MSG=",
            "PTT=0", "CW=0", "TXDELAY=100",
            "LPT=0", "LPTX=OFF", "ADLPTX=", "PIN=-1", "LOGIC=P",
            "ISOUND=-1", "OSOUND=-1", "LCASE=0", "ZCASE=0", "LISTW=",
            "LASTCHOICE=1", "HINTS=1", "WINPOS=0,0", "ZOOMPOS=-1,-1", "FILTERPOS=-1,-1", "DRIFT=10,1300,300", "AFCENTER=800", "AFBW=100",
            "AFACTIVE=0", "BR_NOISE=0", "BF_NOISE=0", "BR_QSB=0", "BF_QSB=0",
            "BR_DRIFT=0", "BF_DRIFT=0", "ABORTDELAY=0", "RESUMEDELAY=0", "QUIZERROR=0", "QUIZPSEUDO=0", "FONT=NO", "PAIRSCOLOR=1113856", "PAIRSLEVEL=1", "PAIRSPLAYERS=1", "PAIRSBEST=-1,-1,-1,-1,-1,-1,-1,-1,-1,",
            "JONGCOLOR=1113856", "JONGPLAYED=0", "JONGWON=0", "KEYER=MOUSE", "DOTKEYER=DSR", "DASHKEYER=CTS",
            "POWERKEYER=DTRRTS", "MONPTT=0", "ZOOM=0", "WINDIM=516,660", "WINKID=676,810", "TYPEXAM=0", "SPACEFILE=0", "POSFILE=0", "AFPNEWS=0",
            "MONTEXT=0", "MONERROR=0", "MONDASH=1", "MONCARSPEANSI=0", "MONCARSPE=0", "MONCARLOC=0", "VERSTART=0", "QUIZOKDELAY=00", "SPEEDCALVALUE=1",
            "MONIALPHA=0", "MASKED_CHAR=\xFF\xFF", "KOCHLIST=kmrsuaptlowi.njef0y,vg5/q9zh38b?427c1d6x=+>", "WAVFREQ=22050", "MONOSTER=4", "BPERTIME=5", "STAYONTOP=0",
            "MENUHIDE=0", "MENUSHOW=0", "MENUHIDEFILE=0", "MENUSHOWFILE=0"});
}

QByteArray crlf(const std::vector<std::string> &lines)
{
    std::string file;
    for (const auto &line : lines)
        file += line + "\r\n";
    return QByteArray::fromStdString(file);
}

TEST(SettingsProgram, AUsersFileComesBackWithTheCommandLinesChoices)
{
    // A password whose shifted form would hold an LF (z at position 12).
    const std::string password = "MDPINT=" + settings::ShiftPassword("abcdefghijkz");
    ProgramRun r;
    r.prepare(crlf({"[KESTRELON 5.2.9]", "FUTURE_KEY=keep me", "LOCAL_CHAR= X  .-..-  U.S.-made",
                    "LOCAL_CHAR= q  abc", "WARNANSI=1", "MSG=73 de ZELMO", "MSG=", "MSG=QRL?", "LANGUAGE=F",
                    "SPEED=20", password, "WORDS=3", "WINDIM=500,700", "WINPOS=120,80", "LASTCHOICE=4",
                    "WORDS=4", "SPACEB=4", "QSB_SPEED=7", "NOISE_BW=3", "NOTE=2000", "DRIFT=0,0,0", "SPACE=abc",
                    "no equals sign", "=no key"}));
    r.run({"/E", "x=25", "c", "S=30"});
    std::vector<std::string> expected = {"[KESTRELON 5.2.9]", "SPEED=25", "SPACE=1", "SPACEW=1", "SPACEWF=0", "SPACEL=0", "SPACEB=3",
                    "LANGUAGE=E", "LEVEL=-12", "RANDOM_COUNT=250", "WORDS=4", "MIXED=OFF", "VVVVV=OFF", "RANDOM=6", "COM=0", "MONITOR_CASE=UPPER",
                    "MONITOR_FILTER=0", "MONITOR_CHANNEL=LEFT", "LEFT_THRESHOLD=64", "RIGHT_THRESHOLD=64",
                    "NOISE_LEVEL=10", "QSB_LEVEL=10", "QSB_SPEED=6", "NOISE_BW=8", "NOTE=1500", "DELAY=3", "PAGE=1", "QUIZ_COUNT=100", "MSG=73 de ZELMO",
                    "MSG=", "MSG=QRL?", "MSG=", "MSG=", "MSG=", "PTT=0", "CW=0", "TXDELAY=100",
            "LPT=0", "LPTX=OFF", "ADLPTX=", "PIN=-1", "LOGIC=P",
            password, "ISOUND=-1", "OSOUND=-1", "LCASE=0", "ZCASE=0", "LISTW=",
                    "LASTCHOICE=4", "HINTS=1", "WINPOS=120,80", "ZOOMPOS=-1,-1", "FILTERPOS=-1,-1", "DRIFT=0,800,100", "AFCENTER=800",
                    "AFBW=100", "AFACTIVE=0", "BR_NOISE=0", "BF_NOISE=0", "BR_QSB=0", "BF_QSB=0",
                    "BR_DRIFT=0", "BF_DRIFT=0", "ABORTDELAY=0", "RESUMEDELAY=0", "QUIZERROR=0", "QUIZPSEUDO=0", "FONT=NO", "PAIRSCOLOR=1113856", "PAIRSLEVEL=1", "PAIRSPLAYERS=1", "PAIRSBEST=-1,-1,-1,-1,-1,-1,-1,-1,-1,",
            "JONGCOLOR=1113856", "JONGPLAYED=0", "JONGWON=0", "KEYER=MOUSE", "DOTKEYER=DSR",
                    "DASHKEYER=CTS", "POWERKEYER=DTRRTS", "MONPTT=0", "ZOOM=0", "WINDIM=516,700", "WINKID=676,850", "TYPEXAM=0", "SPACEFILE=0", "POSFILE=0",
                    "AFPNEWS=0", "MONTEXT=0", "MONERROR=0", "MONDASH=1", "MONCARSPEANSI=0", "MONCARSPE=0", "MONCARLOC=0",
                    "VERSTART=0", "QUIZOKDELAY=00", "SPEEDCALVALUE=1", "MONIALPHA=0", "MASKED_CHAR=\xFF\xFF", "KOCHLIST=kmrsuaptlowi.njef0y,vg5/q9zh38b?427c1d6x=+>", "WAVFREQ=22050", "MONOSTER=4", "BPERTIME=5", "WARNANSI=1", "STAYONTOP=0", "MENUHIDE=0", "MENUSHOW=0", "MENUHIDEFILE=0", "MENUSHOWFILE=0"};
    expected = withDefaultLessons(expected);
    expected.insert(expected.end(), {"LOCAL_CHAR= X  .-..-  U.S.-made", "FUTURE_KEY=keep me"});
    EXPECT_EQ(r.written().toStdString(), crlf(expected).toStdString());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(r.ini).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
    EXPECT_EQ(QDir(QFileInfo(r.ini).path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("kestrelon.ini")});
}

TEST(SettingsProgram, WithoutAFileTheWrittenFileReadsBackUnchanged)
{
    ProgramRun r;
    r.run({"/f"});
    const QByteArray first = r.written();
    // The design size; the offscreen platform places the window at 0,0.
    EXPECT_EQ(first.toStdString(), crlf(defaultsWith("F")).toStdString());
    r.run({});
    EXPECT_EQ(r.written().toStdString(), first.toStdString());
}

TEST(SettingsProgram, TheSpeedFromTheCommandLineIsHeldToItsRange)
{
    ProgramRun r;
    for (auto [arg, line] : {std::pair{"S=0", "SPEED=5"}, std::pair{"S=99", "SPEED=70"}, std::pair{"=25", "SPEED=70"}}) {
        r.run({QString::fromLatin1(arg)});
        auto expected = defaultsWith("E");
        expected[1] = line;
        EXPECT_EQ(r.written().toStdString(), crlf(expected).toStdString()) << arg;
    }
}
