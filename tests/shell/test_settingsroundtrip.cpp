// Every key of the settings file through the program's own windows: a file with each key at
// a value other than a fresh start's is read at start, the quit command writes the file, and
// the written file is the same, line for line; every key has its module's row by then.

#include "tests/shell/programonsettingsfile.h"

#include "shell/formdialog.h"
#include "shell/settingskeys.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <map>
#include <set>

namespace {

using SettingsRoundTrip = ProgramOnSettingsFile;

// The written file line by line, each line that differs named on its own.
void expectSameLines(const std::string &written, const std::string &expected)
{
    auto split = [](const std::string &file) {
        std::vector<std::string> lines;
        for (std::size_t start = 0, end; (end = file.find("\r\n", start)) != std::string::npos; start = end + 2)
            lines.push_back(file.substr(start, end - start));
        return lines;
    };
    const auto got = split(written);
    const auto want = split(expected);
    for (std::size_t i = 0; i < std::max(got.size(), want.size()); ++i)
        EXPECT_EQ(i < got.size() ? got[i] : "(none)", i < want.size() ? want[i] : "(none)") << "line " << i + 1;
    EXPECT_EQ(written.size(), expected.size());
}

// The lines with `line` replaced by `by` (none: the line is dropped).
std::vector<std::string> replaced(std::vector<std::string> lines, const std::string &line,
                                  const std::vector<std::string> &by)
{
    auto at = std::find(lines.begin(), lines.end(), line);
    EXPECT_NE(at, lines.end()) << line;
    if (at != lines.end())
        lines.insert(lines.erase(at), by.begin(), by.end());
    return lines;
}

} // namespace

TEST_F(SettingsRoundTrip, EveryKeyAwayFromItsFreshValueComesBackAsItWasRead)
{
    QFile wordList(dir.filePath("words.txt"));
    ASSERT_TRUE(wordList.open(QIODevice::WriteOnly));
    wordList.write("paris\r\nlondon\r\n");
    wordList.close();
    const std::string words = dir.filePath("words.txt").toStdString();

    std::vector<std::string> lines = {
        "SPEED=25", "SPACE=3", "SPACEW=4", "SPACEWF=2", "SPACEL=5", "SPACEB=6", "LANGUAGE=F", "LEVEL=-6",
        "RANDOM_COUNT=500", "WORDS=3", "MIXED=ON", "VVVVV=ON", "RANDOM=8", "COM=ttyUSB1", "MONITOR_CASE=LOWER",
        "MONITOR_FILTER=1", "MONITOR_CHANNEL=ELKEYR", "LEFT_THRESHOLD=40", "RIGHT_THRESHOLD=90",
        "NOISE_LEVEL=5", "QSB_LEVEL=15", "QSB_SPEED=10", "NOISE_BW=2", "NOTE=650", "DELAY=1.25", "PAGE=2",
        "QUIZ_COUNT=300", "SPEED_ADJUST=ON", "DELAY_ADJUST=ON", "DELAY_RANDOM=3", "SHORTCUT=#CQ CQ DE TEST",
        "SHORTCUT=%73 TU", "MSG=QRL?", "MSG=", "MSG=QRZ?", "MSG=", "MSG=", "MSG=GB", "PTT=1", "CW=2",
        "TXDELAY=200", "LPT=2", "ADLPT=[0278h]", "LPTX=ON", "ADLPTX=0378", "PIN=3", "LOGIC=N",
        "MDPINT=" + settings::ShiftPassword("secret"), "INSTMF=1", "INSTMR=1", "INSTFN=1", "INSTFS=1",
        "ISOUND=1", "OSOUND=2", "LCASE=1", "ZCASE=1", "LISTW=" + words, "LASTCHOICE=3", "HINTS=0",
        "WINPOS=60,0", "ZOOMPOS=40,300", "FILTERPOS=50,60", "SHEET=1", "DRIFT=25,1200,400", "AFCENTER=900",
        "AFBW=200", "AFACTIVE=1", "BR_NOISE=1", "BF_NOISE=1", "BR_QSB=1", "BF_QSB=1", "BR_DRIFT=1",
        "BF_DRIFT=1", "ABORTDELAY=1", "RESUMEDELAY=2", "QUIZERROR=1", "QUIZPSEUDO=1",
        "FONT=Arial,10,96,-13,0,0,1,0", "PAIRSCOLOR=255", "PAIRSLEVEL=3", "PAIRSPLAYERS=2",
        "PAIRSBEST=5,7,9,11,13,15,17,19,21,", "JONGCOLOR=65280", "JONGPLAYED=12", "JONGWON=5", "KEYER=COM",
        "DOTKEYER=CTS", "DASHKEYER=DCD", "POWERKEYER=DTR", "MONPTT=1", "ZOOM=1", "WINDIM=700,825",
        "WINKID=600,700", "TYPEXAM=2", "SPACEFILE=1", "POSFILE=1", "AFPNEWS=1", "MONTEXT=1", "MONERROR=1",
        "MONDASH=0", "MONCARSPEANSI=0", "MONCARSPE=1", "MONCARLOC=1", "VERSTART=1", "QUIZOKDELAY=20",
        "SPEEDCALVALUE=3", "MONIALPHA=1", "STOPSOUND=1", "ENTERSTOP=1", "CHOSEN_CHAR=abc", "MASKED_CHAR=[]",
        "KOCHLIST=kmrsu", "KOCHCHOICE=Y", "WAVFREQ=11025", "MONOSTER=2", "MP3=1", "MAINZOOM=125",
        "QUIZMASK=1", "BEACON=1", "BEACONKEY=1", "BPERTIME=15", "BHEADER=VVV DE TEST", "BTIME=1", "BMSG1=1",
        "BMSG2=1", "BMSG3=1", "BMSG4=1", "BMSG5=1", "BMSG6=1", "BTEXT=/tmp/beacon.txt", "BEND=SK",
        "TUNEQ=1", "REPLAYRANDOM=1", "WARNANSI=1", "DIRLASTFILE=/tmp/texts", "DIRLASTLIST=" + dir.path().toStdString(),
        "STAYONTOP=1", "MENUHIDE=1", "MENUSHOW=1", "MENUHIDEFILE=1", "MENUSHOWFILE=1"};
    // A lesson of its own in every slot that has one by default (pages 1 and 3), and in one
    // that has none.
    for (int slot = 1; slot <= 60; ++slot) {
        if (slot <= 20 || slot == 33 || slot > 50)
            lines.push_back("LESSON=ab" + std::to_string(slot) + " #" + std::to_string(slot));
    }
    lines.insert(lines.end(), {"LOCAL_CHAR= X  .-..-", "FUTURE_KEY=kept"});
    // Choices that exclude each other take their other side in a second file: no parallel
    // port looked for (so none chosen), the monitor's ANSI characters instead of its own.
    std::vector<std::string> others = replaced(lines, "LPT=2", {"IGNORELPT=1", "LPT=0"});
    others = replaced(others, "ADLPT=[0278h]", {});
    others = replaced(others, "MONCARSPEANSI=0", {"MONCARSPEANSI=1"});
    others = replaced(others, "MONCARSPE=1", {"MONCARSPE=0"});

    // Between them every key is there at a value other than what a fresh start writes.
    std::set<std::string> away;
    for (const std::vector<std::string> *file : {&lines, &others}) {
        for (const settings::Line &line : settings::ParseLines(fileOf(*file))) {
            const int index = SettingsKeyIndex(line.key);
            const char *fresh = index < 0 ? nullptr : SettingsKeys[static_cast<std::size_t>(index)].fresh;
            if (!fresh || line.value != fresh)
                away.insert(line.key);
        }
    }
    for (const SettingsKey &k : SettingsKeys)
        EXPECT_TRUE(away.count(std::string(k.key))) << k.key;

    expectSameLines(startAndQuit(lines), fileOf(lines));
    expectSameLines(startAndQuit(others), fileOf(others));
}

TEST_F(SettingsRoundTrip, EveryKeyHasItsModulesRowOnceTheProgramIsBuilt)
{
    start({});
    for (const SettingsKey &k : SettingsKeys)
        EXPECT_TRUE(Settings().isBound(k.key)) << k.key << " (" << k.owner << ")";
}

TEST_F(SettingsRoundTrip, AnOptionReadTwiceStaysOn)
{
    // Their rows click or toggle: a second line must not turn them off again.
    const std::vector<std::string> on = {"HINTS=0",   "VVVVV=ON",  "MIXED=ON",   "LCASE=1",      "MONCARSPEANSI=1",
                                         "MONCARLOC=1", "TUNEQ=1", "STAYONTOP=1", "BR_NOISE=1", "BF_NOISE=1",
                                         "BR_QSB=1",  "BF_QSB=1",  "BR_DRIFT=1", "BF_DRIFT=1"};
    for (const auto &set : {on, std::vector<std::string>{"MIXED=CALL", "MONCARSPE=1"}}) {
        std::vector<std::string> twice = set;
        twice.insert(twice.end(), set.begin(), set.end());
        const auto written = writtenValues(twice);
        for (const std::string &line : set) {
            const std::string key = line.substr(0, line.find('=') + 1);
            EXPECT_EQ(written.count(key) ? written.at(key) : std::vector<std::string>{},
                      std::vector<std::string>{line.substr(key.size())})
                << key;
        }
    }
}

TEST_F(SettingsRoundTrip, AChoiceReadLeavesOnlyItsOwnBoxChecked)
{
    const auto checkedOf = [](const std::vector<const char *> &names) {
        std::vector<std::string> checked;
        for (const char *name : names) {
            auto *box = Form1->findChild<QAbstractButton *>(QString::fromLatin1(name));
            EXPECT_NE(box, nullptr) << name;
            if (box && box->isChecked())
                checked.push_back(name);
        }
        return checked;
    };
    const std::vector<const char *> channels = {"RadioButtonPioche", "RadioButtonElKeyN", "RadioButtonElKeyR",
                                                "RadioButtonCTRL", "RadioButtonLC", "RadioButtonRC"};
    const char *const values[] = {"SIMPLEKEY", "ELKEYN", "ELKEYR", "CTRLKEY", "LEFT", "RIGHT"};
    for (std::size_t i = 0; i < channels.size(); ++i) {
        start({std::string("MONITOR_CHANNEL=") + values[i]});
        EXPECT_EQ(checkedOf(channels), std::vector<std::string>{channels[i]});
    }
    start({"KOCHCHOICE=Y"});
    EXPECT_EQ(checkedOf({"CheckBoxKOCH", "CheckBoxLOCAL"}), std::vector<std::string>{"CheckBoxKOCH"});
}

TEST_F(SettingsRoundTrip, BothPaddlesReadOnOneLineMoveTheDashAsTheDotsChoiceWould)
{
    const struct {
        const char *line;
        const char *dash;
    } cases[] = {{"CTS", "DSR"}, {"DSR", "CTS"}, {"DCD", "CTS"}};
    for (const auto &c : cases) {
        // In the file's order and the other way round.
        for (bool dashFirst : {false, true}) {
            std::vector<std::string> lines = {std::string("DOTKEYER=") + c.line, std::string("DASHKEYER=") + c.line};
            if (dashFirst)
                std::swap(lines[0], lines[1]);
            const auto written = writtenValues(lines);
            EXPECT_EQ(written.at("DOTKEYER="), std::vector<std::string>{c.line}) << c.line;
            EXPECT_EQ(written.at("DASHKEYER="), std::vector<std::string>{c.dash}) << c.line;
        }
    }
}

TEST_F(SettingsRoundTrip, AWindowSizeReadWithTheEnlargementIsKept)
{
    // At 125 % the window is at least 645 by 825; the size read is already the enlarged one.
    const auto written = writtenValues({"WINDIM=700,825", "MAINZOOM=125"});
    EXPECT_EQ(written.at("WINDIM="), std::vector<std::string>{"700,825"});
}

TEST_F(SettingsRoundTrip, TheKeyOnAPortMissingAtStartIsKeptWithThatPort)
{
    // The adapter unplugged: the key falls back to the mouse for this run, yet port and key
    // go back to the file, so paddles on it key again once it is plugged in.
    std::map<std::string, std::vector<std::string>> written;
    const QString said = shelltest::withMessage([&] { written = writtenValues({"COM=ttyUSB7", "KEYER=COM"}); });
    EXPECT_TRUE(said.contains(QStringLiteral("ttyUSB7"))) << said.toStdString();
    EXPECT_EQ(written.at("COM="), std::vector<std::string>{"ttyUSB7"});
    EXPECT_EQ(written.at("KEYER="), std::vector<std::string>{"COM"});
    // With no port named, there is nothing to come back to.
    EXPECT_EQ(writtenValues({"COM=0", "KEYER=COM"}).at("KEYER="), std::vector<std::string>{"MOUSE"});
}

TEST_F(SettingsRoundTrip, OnceTheModeIsRestoredTheModeOnScreenIsWritten)
{
    // The monitor is not restored at start: the characters show, and they are what is kept.
    start({"LASTCHOICE=7"});
    MainFormShown();
    QCoreApplication::processEvents(); // the restore runs just after the first showing
    const auto written = settings::ParseLines(quit());
    EXPECT_NE(std::find(written.begin(), written.end(), settings::Line{"LASTCHOICE=", "1"}), written.end());
}

TEST_F(SettingsRoundTrip, AQuitBeforeTheModeIsRestoredKeepsTheModeRead)
{
    // The design checks the character list; no mode was entered before the quit.
    EXPECT_EQ(writtenValues({"LASTCHOICE=5"}).at("LASTCHOICE="), std::vector<std::string>{"5"});
    // A mode entered during the run is the one written.
    start({"LASTCHOICE=5"});
    Form1->RadioButtonQuiz->click();
    const auto written = settings::ParseLines(quit());
    EXPECT_NE(std::find(written.begin(), written.end(), settings::Line{"LASTCHOICE=", "6"}), written.end());
}

TEST_F(SettingsRoundTrip, AQuitDuringAStartUpMessageRunsOnceTheWholeFileIsRead)
{
    // The settings reader stops at a port this machine lacks and says so; the quit command
    // comes while it waits. The message returns, and the rest of the file is still read.
    writeSettingsFile({"COM=ttyUSB7", "SPEED=30"});
    StartupBegins();
    QString said;
    bool stillShown = false;
    shelltest::whenDialogShown([&] {
        said = shelltest::dialogText();
        Form1->MenuOutilsQuit->trigger();
        stillShown = FormDialog->isVisible();
        if (stillShown)
            FormDialog->ButtonOK->click();
    });
    shelltest::ensureWindows();
    PushSettingsIntoSideWindows();
    EXPECT_TRUE(said.contains(QStringLiteral("ttyUSB7"))) << said.toStdString();
    EXPECT_FALSE(stillShown);
    EXPECT_EQ(shelltest::terminations, 0); // start-up runs to its end first

    StartupFinished();
    EXPECT_EQ(shelltest::terminations, 1);
    const auto written = settings::ParseLines(settingsFile());
    for (const settings::Line &line : {settings::Line{"COM=", "ttyUSB7"}, settings::Line{"SPEED=", "30"}})
        EXPECT_NE(std::find(written.begin(), written.end(), line), written.end()) << line.key << line.value;
}
