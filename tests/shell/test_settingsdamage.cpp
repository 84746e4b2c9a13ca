// The real program started on damaged settings files: huge and negative numbers for every
// key, long lines, binary bytes, an empty file, no header, and things at the file's place that
// are no file at all (a FIFO, a link to /dev/zero, a folder). Each must start, end with exit
// code 0 soon after SIGTERM, and leave either a file whose every value is one the program
// could have chosen, or (when it could not read it) the thing at the file's place untouched.
// With the program built with -DKESTRELON_SANITIZE=address,undefined (KESTRELON_BINARY
// pointing at it, or this test built the same way) the sanitizers' reports fail the test too.
// LeakSanitizer counts the memory of libraries unloaded at exit as lost; keep them loaded
// (LD_PRELOAD of ASan's runtime and a dlclose that does nothing) or set detect_leaks=0.

#include "shell/settingskeys.h"
#include "shell/settingsstorage.h"
#include "tests/common/testsupport.h"
#include "tests/shell/shelltestsupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRect>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What each key may hold in a written file, after the key table: "lo..hi" a whole number in
// that range (",step" on a grid from lo), "a|b|c" one of these texts, "text N" any text of at
// most N bytes, and the named forms checked below.
const char *const Rules = R"(
SPEED= 5..70            SPACE= 1..30          SPACEW= 1..20          SPACEWF= 0..6
SPACEL= 0..10           SPACEB= 0|3|6|9       LANGUAGE= E|D|F|I|P|S|M LEVEL= -15..0,3
RANDOM_COUNT= 5..1000   WORDS= 0|2|3|4|5|6|7|8 MIXED= ON|OFF|CALL    VVVVV= ON|OFF
RANDOM= 1..9            COM= text 64          MONITOR_CASE= LOWER|UPPER MONITOR_FILTER= 0|1
MONITOR_CHANNEL= LEFT|RIGHT|ELKEYN|ELKEYR|SIMPLEKEY|CTRLKEY   LEFT_THRESHOLD= 0..127
RIGHT_THRESHOLD= 0..127 NOISE_LEVEL= 0..20    QSB_LEVEL= 0..20       QSB_SPEED= 2|6|10
NOISE_BW= 1|2|4|8       NOTE= note            QUIZ_COUNT= 5..1000    PAGE= 1|2|3
DELAY= 0.2|0.3|0.4|0.5|0.6|0.7|0.8|0.9|1|1.25|1.5|1.75|2|2.25|2.5|2.75|3|4|5|6|7|8|9
SPEED_ADJUST= ON        DELAY_ADJUST= ON      DELAY_RANDOM= 1..5     SHORTCUT= shortcut
MSG= text 4096          PTT= 0..3             CW= 0..3               TXDELAY= 50..250,50
IGNORELPT= 1            LPT= 0..3             ADLPT= [hex]           LPTX= ON|OFF
ADLPTX= hex             PIN= -1..3            LOGIC= N|P             MDPINT= text 4096
INSTMF= 0|1             INSTMR= 0|1           INSTFN= 0|1            INSTFS= 0|1
ISOUND= -1..4095        OSOUND= -1..4095      LCASE= 0|1             ZCASE= 0|1
LISTW= text 4096        LASTCHOICE= 1..7      HINTS= 0|1             WINPOS= place
ZOOMPOS= pair           FILTERPOS= pair       SHEET= 0|1             DRIFT= drift
AFCENTER= 500..1500,10  AFBW= 50..400,50      AFACTIVE= 0|1          BR_NOISE= 0|1
BF_NOISE= 0|1           BR_QSB= 0|1           BF_QSB= 0|1            BR_DRIFT= 0|1
BF_DRIFT= 0|1           ABORTDELAY= 0|1       RESUMEDELAY= 0..3      QUIZERROR= 0|1
QUIZPSEUDO= 0|1         FONT= font            PAIRSCOLOR= 0..16777215 PAIRSLEVEL= 0..8
PAIRSPLAYERS= 1|2       PAIRSBEST= best       JONGCOLOR= 0..16777215 JONGPLAYED= 0..2147483647
JONGWON= 0..2147483647  KEYER= GAME|MOUSE|COM DOTKEYER= DSR|CTS|DCD  DASHKEYER= DSR|CTS|DCD
POWERKEYER= DTR|RTS|DTRRTS MONPTT= 0|1        ZOOM= 0|1              WINDIM= size
WINKID= pair            TYPEXAM= 0..3         SPACEFILE= 0|1         POSFILE= 0|1
AFPNEWS= 0|1            MONTEXT= 0|1          MONERROR= 0|1          MONDASH= 0|1
MONCARSPEANSI= 0|1      MONCARSPE= 0|1        MONCARLOC= 0|1         VERSTART= 0|1
QUIZOKDELAY= 00|10|20|30 SPEEDCALVALUE= 0..5  MONIALPHA= 0|1         STOPSOUND= 1
ENTERSTOP= 1            CHOSEN_CHAR= text 70  MASKED_CHAR= markers   KOCHLIST= text 60
KOCHCHOICE= Y           WAVFREQ= 11025|22050  MONOSTER= 1..4         MP3= 1
MAINZOOM= 125|150|175|200 QUIZMASK= 1         BEACON= 1              BEACONKEY= 1
BPERTIME= 2|5|10|15|20|30|60 BHEADER= text 4096 BTIME= 1             BMSG1= 1
BMSG2= 1                BMSG3= 1              BMSG4= 1               BMSG5= 1
BMSG6= 1                BTEXT= text 4096      BEND= text 4096        TUNEQ= 1
REPLAYRANDOM= 1         WARNANSI= 1           DIRLASTFILE= text 4096 DIRLASTLIST= text 4096
STAYONTOP= 0|1          MENUHIDE= 0|1         MENUSHOW= 0|1          MENUHIDEFILE= 0|1
MENUSHOWFILE= 0|1       LESSON= lesson        LOCAL_CHAR= local
)";

// The offscreen platform's one screen.
const QRect Screen(0, 0, 800, 800);
constexpr int DesignWidth = 660;
constexpr int DesignHeight = 516;

std::optional<long long> number(const std::string &text)
{
    if (text.empty() || text.size() > 11 || (text[0] == '0' && text.size() > 1) || text == "-0")
        return std::nullopt;
    std::size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size() || text.find_first_not_of("0123456789", i) != std::string::npos)
        return std::nullopt;
    return std::stoll(text);
}

std::vector<std::string> split(const std::string &text, char by)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(by, start)) != std::string::npos; start = at + 1)
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}

bool inRange(const std::string &value, long long lo, long long hi, long long step = 1)
{
    auto n = number(value);
    return n && *n >= lo && *n <= hi && (*n - lo) % step == 0;
}

bool isHex(const std::string &text, std::size_t most)
{
    return text.size() <= most && text.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

// The reason a written value breaks its key's rule, or empty when it keeps it.
std::string breaks(const std::string &rule, const std::string &value)
{
    auto fail = [&] { return "breaks \"" + rule + "\""; };
    if (rule == "note")
        return value == "-1" || inRange(value, 100, 1500, 10) ? "" : fail();
    if (rule == "pair") {
        auto p = split(value, ',');
        return p.size() == 2 && inRange(p[0], -32767, 32767) && inRange(p[1], -32767, 32767) ? "" : fail();
    }
    if (rule == "place" || rule == "size") {
        auto p = split(value, ',');
        if (p.size() != 2 || !number(p[0]) || !number(p[1]))
            return fail();
        const long long a = *number(p[0]), b = *number(p[1]);
        if (rule == "size")
            return a >= DesignHeight && a <= Screen.height() && b >= DesignWidth && b <= Screen.width() ? "" : fail();
        // The window's top and left: the whole design-sized window at least on the screen.
        return a >= 0 && a + DesignHeight <= Screen.height() && b >= 0 && b + DesignWidth <= Screen.width() ? "" : fail();
    }
    if (rule == "drift") {
        auto p = split(value, ',');
        return p.size() == 3 && inRange(p[0], 0, 50) && inRange(p[1], 800, 1500) && inRange(p[2], 100, 800) ? ""
                                                                                                             : fail();
    }
    if (rule == "font") {
        auto p = split(value, ',');
        return value == "NO" || (p.size() == 8 && !p[0].empty() && inRange(p[1], 1, 1000) && inRange(p[5], 0, 255) &&
                                 inRange(p[6], 0, 16777215) && inRange(p[7], 0, 3))
                   ? ""
                   : fail();
    }
    if (rule == "best") {
        auto p = split(value, ',');
        bool ok = p.size() == 10 && p[9].empty();
        for (std::size_t i = 0; ok && i < 9; ++i)
            ok = inRange(p[i], -1, INT_MAX);
        return ok ? "" : fail();
    }
    if (rule == "markers")
        return value.size() == 2 ? "" : fail();
    if (rule == "[hex]")
        return value.size() == 7 && value[0] == '[' && isHex(value.substr(1, 4), 4) && value.substr(5) == "h]" ? ""
                                                                                                              : fail();
    if (rule == "hex")
        return isHex(value, 4) ? "" : fail();
    if (rule == "shortcut")
        return value.size() >= 2 && value.size() <= 37 ? "" : fail();
    if (rule == "lesson") {
        std::size_t mark = value.find(" #");
        return mark != std::string::npos && mark >= 1 && mark <= 55 && value[0] != ' ' &&
                       inRange(value.substr(mark + 2), 1, 60)
                   ? ""
                   : fail();
    }
    if (rule == "local") {
        // " c  code": a blank, the character, two blanks, 1 to 10 dots and dashes.
        if (value.size() < 5 || value.size() > 40 || value[0] != ' ' || value[2] != ' ' || value[3] != ' ')
            return fail();
        std::size_t end = value.find_first_not_of(".-", 4);
        std::size_t signs = (end == std::string::npos ? value.size() : end) - 4;
        return signs >= 1 && signs <= 10 ? "" : fail();
    }
    if (rule.starts_with("text "))
        return value.size() <= std::stoul(rule.substr(5)) ? "" : fail();
    if (std::size_t dots = rule.find(".."); dots != std::string::npos) {
        auto comma = rule.find(',');
        long long step = comma == std::string::npos ? 1 : std::stoll(rule.substr(comma + 1));
        return inRange(value, std::stoll(rule.substr(0, dots)),
                       std::stoll(rule.substr(dots + 2, comma == std::string::npos ? comma : comma - dots - 2)), step)
                   ? ""
                   : fail();
    }
    for (const std::string &word : split(rule, '|'))
        if (value == word)
            return "";
    return fail();
}

const std::map<std::string, std::string> &rules()
{
    static const std::map<std::string, std::string> table = [] {
        std::map<std::string, std::string> t;
        // "KEY= rule" pairs, several to a line; a rule is one word or "text N".
        std::vector<std::string> words;
        for (const std::string &line : split(Rules, '\n'))
            for (const std::string &w : split(line, ' '))
                if (!w.empty())
                    words.push_back(w);
        for (std::size_t i = 0; i + 1 < words.size(); i += 2) {
            const std::string &key = words[i];
            std::string rule = words[i + 1];
            if (rule == "text" && i + 2 < words.size())
                rule += " " + words[++i + 1];
            t[key] = rule;
        }
        return t;
    }();
    return table;
}

// Lines of a key that may come more than once, and how many.
const std::map<std::string, std::size_t> ListKeys = {
    {"SHORTCUT=", 26}, {"MSG=", 6}, {"LESSON=", 60}, {"LOCAL_CHAR=", 26}, {"MDPINT=", 8}};

// Every problem of a written file; empty when it is sound.
std::vector<std::string> problemsOf(const QByteArray &file)
{
    std::vector<std::string> problems;
    const std::string bytes = file.toStdString();
    if (bytes.size() > settings::MaxFileBytes)
        problems.push_back("larger than the reader takes: " + std::to_string(bytes.size()));
    if (!bytes.starts_with("[KESTRELON 5.2.9]\r\n"))
        problems.push_back("no header");
    std::map<std::string, std::size_t> seen;
    std::set<std::string> lessonSlots;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const std::string line = bytes.substr(start, end - start);
        if (start == 0)
            continue;
        if (line.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) {
            problems.push_back("a broken line");
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos || eq == 0) {
            problems.push_back("no setting: " + line.substr(0, 40));
            continue;
        }
        const std::string key = line.substr(0, eq + 1);
        const std::string value = line.substr(eq + 1);
        auto rule = rules().find(key);
        if (rule == rules().end()) {
            // A key of a later version: kept only when it looks like one.
            if (key.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_") != eq)
                problems.push_back("kept a line that is no setting: " + key.substr(0, 40));
        } else if (std::string why = breaks(rule->second, value); !why.empty()) {
            problems.push_back(key + value.substr(0, 60) + " " + why);
        }
        auto list = ListKeys.find(key);
        if (++seen[key] > (list == ListKeys.end() ? 1 : list->second))
            problems.push_back(key + " written too often");
        if (key == "LESSON=" && !lessonSlots.insert(value.substr(value.find(" #") + 1)).second)
            problems.push_back("two lessons in one slot: " + value.substr(0, 60));
    }
    if (start != bytes.size())
        problems.push_back("the last line has no CR LF");
    return problems;
}

// ---- the damaged files ----

std::string fileOf(const std::vector<std::string> &lines, bool header = true)
{
    std::string file = header ? "[KESTRELON 5.2.9]\r\n" : "";
    for (const std::string &line : lines)
        file += line + "\r\n";
    return file;
}

// Every key with the same value. A port name that this machine lacks stops start-up at its
// message until it is answered; these files name none, so the window comes up and the quit
// is timed from it (the shuffled files below name ports).
std::string everyKey(const std::string &value)
{
    std::vector<std::string> lines;
    for (const SettingsKey &k : SettingsKeys)
        lines.push_back(std::string(k.key) + (k.key == "COM=" ? std::string("0") : value));
    return fileOf(lines);
}

const std::vector<std::string> &awkwardValues()
{
    static const std::vector<std::string> values = {
        "2147483647", "-2147483648", "65536", "-2", "99999999999999999999", "2147483647,2147483647",
        "-2147483648,-2147483648,-2147483648", "100000,100000", "-1,-1", "", "x", "0", "1,", ",1",
        std::string(300, '9'), "\xFF\xFE", " 1", "1 "};
    return values;
}

// Every key several times, each line with an awkward value, in a random order.
std::string shuffledKeys(unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<std::string> lines;
    for (int round = 0; round < 4; ++round)
        for (const SettingsKey &k : SettingsKeys)
            lines.push_back(std::string(k.key) + awkwardValues()[random() % awkwardValues().size()]);
    std::shuffle(lines.begin(), lines.end(), random);
    return fileOf(lines, seed % 2 == 0);
}

std::string randomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char &c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

// Short lines of made-up keys until the file is close to the reader's limit.
std::string manyUnknownKeys()
{
    std::string file = "[KESTRELON 5.2.9]\r\n";
    for (int i = 0; file.size() < settings::MaxFileBytes - 64; ++i)
        file += "K" + std::to_string(i % 50000) + "=" + std::to_string(i) + "\r\n";
    return file;
}

enum class Expect { Written, LeftAlone };

struct Case {
    std::string name;
    // Puts the damaged thing at the settings file's place.
    std::function<void(const QString &ini)> prepare;
    Expect expect = Expect::Written;
    QStringList arguments = {};
};

void put(const QString &ini, const std::string &bytes)
{
    QFile file(ini);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

std::function<void(const QString &)> bytes(std::string content)
{
    return [content = std::move(content)](const QString &ini) { put(ini, content); };
}

std::vector<Case> allCases()
{
    std::vector<Case> cases;
    for (std::size_t i = 0; i < awkwardValues().size(); ++i)
        cases.push_back({"every key = value " + std::to_string(i), bytes(everyKey(awkwardValues()[i]))});
    for (unsigned seed = 1; seed <= 4; ++seed)
        cases.push_back({"awkward values shuffled " + std::to_string(seed), bytes(shuffledKeys(seed))});
    cases.push_back({"a long line without a key", bytes(fileOf({std::string(600000, 'A') + "=B"}))});
    cases.push_back({"long values", bytes(fileOf({"MSG=" + std::string(300000, 'm'), "LESSON=" + std::string(300000, 'l') + " #3",
                                                  "LISTW=" + std::string(200000, '/'), "FUTURE_KEY=" + std::string(100000, 'f')}))});
    cases.push_back({"binary bytes", bytes(randomBytes(900000, 7))});
    cases.push_back({"binary bytes after a good start", bytes(fileOf({"SPEED=20", "WINDIM=600,700"}) + randomBytes(200000, 8))});
    cases.push_back({"many made-up keys", bytes(manyUnknownKeys())});
    cases.push_back({"empty", bytes("")});
    cases.push_back({"no header", bytes(fileOf({"SPEED=99", "WINDIM=65536,65536", "WINPOS=2147483647,2147483647"}, false))});
    cases.push_back({"larger than the reader takes", bytes(randomBytes(settings::MaxFileBytes + 1, 9)), Expect::LeftAlone});
    cases.push_back({"a FIFO", [](const QString &ini) { ASSERT_EQ(::mkfifo(QFile::encodeName(ini).constData(), 0644), 0); },
                     Expect::LeftAlone});
    cases.push_back({"a link to /dev/zero",
                     [](const QString &ini) { ASSERT_EQ(::symlink("/dev/zero", QFile::encodeName(ini).constData()), 0); },
                     Expect::LeftAlone});
    cases.push_back({"a folder", [](const QString &ini) { ASSERT_TRUE(QDir().mkdir(ini)); }, Expect::LeftAlone});
    cases.push_back({"Qt's geometry option too large", bytes(""), Expect::Written,
                     {"-qwindowgeometry", "99999x99999+2147483647-2147483647"}});
    cases.push_back({"speed and geometry at the ends of int", bytes(fileOf({"DRIFT=-2147483648,0,0"})), Expect::Written,
                     {"S=-2147483648", "--qwindowgeometry", "2147483647x1-2147483647+0"}});
    return cases;
}

// What identifies the thing at the file's place, to see that it was left alone.
QByteArray fingerprint(const QString &ini)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(ini).constData(), &st) != 0)
        return "(nothing)";
    QByteArray id = QByteArray::number(st.st_mode) + " " + QByteArray::number(qint64(st.st_ino));
    if (S_ISREG(st.st_mode)) {
        QFile file(ini);
        if (file.open(QIODevice::ReadOnly))
            id += " " + QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex();
    }
    return id;
}

struct ProgramOnCase {
    Case c;
    QTemporaryDir home;
    shelltest::ProgramRun program{home.path()};
    QString ini = program.settingsFile();
    QByteArray before;
    bool started = false;
};

bool sanitizerReport(const QByteArray &errors)
{
    return errors.contains("ERROR: AddressSanitizer") || errors.contains("ERROR: LeakSanitizer") ||
           errors.contains("runtime error:") || errors.contains("ERROR: UndefinedBehaviorSanitizer");
}

// Runs a batch of cases side by side: start all, wait for their windows, SIGTERM all, and
// each must end cleanly, its quit taking at most two seconds of its own (as the program
// times it: a machine too crowded to run it is no quit that waits on something). A start-up
// that waits on a message (a port the file names that this machine lacks, a sound device that
// cannot be opened) shows no window until it is answered; the signal answers it, and start-up
// finishes before the quit, so that run is given longer.
void runBatch(std::vector<std::unique_ptr<ProgramOnCase>> &batch)
{
    for (auto &run : batch) {
        QDir().mkpath(QFileInfo(run->ini).path());
        run->c.prepare(run->ini);
        run->before = fingerprint(run->ini);
        run->started = run->program.start(run->c.arguments);
        EXPECT_TRUE(run->started) << run->c.name;
    }
    QElapsedTimer sinceStart;
    sinceStart.start();
    std::vector<bool> shown(batch.size(), false);
    for (std::size_t i = 0; i < batch.size(); ++i) {
        if (!batch[i]->started)
            continue;
        EXPECT_TRUE(batch[i]->program.waitForQuitSignals(30000)) << batch[i]->c.name << ": never started";
        shown[i] = batch[i]->program.waitForWindow(std::max(0, 1500 - static_cast<int>(sinceStart.elapsed())));
    }
    for (auto &run : batch)
        run->program.signal(SIGTERM);
    for (std::size_t i = 0; i < batch.size(); ++i) {
        if (!batch[i]->started)
            continue;
        const int limit = shown[i] ? 2000 : 15000;
        EXPECT_TRUE(batch[i]->program.waitForQuit(limit))
            << batch[i]->c.name << ": no exit 0 after SIGTERM, or a quit of more than " << limit
            << " ms of its own\n" << batch[i]->program.errors().constData();
    }
    for (auto &run : batch) {
        const QByteArray errors = run->program.errors();
        EXPECT_FALSE(sanitizerReport(errors)) << run->c.name << "\n" << errors.constData();
        if (run->c.expect == Expect::LeftAlone) {
            EXPECT_EQ(fingerprint(run->ini), run->before) << run->c.name << ": not left alone";
            EXPECT_TRUE(errors.contains("Can't create kestrelon.ini !")) << run->c.name << "\n" << errors.constData();
            continue;
        }
        QFile file(run->ini);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << run->c.name << ": nothing written";
        for (const std::string &problem : problemsOf(file.readAll()))
            ADD_FAILURE() << run->c.name << ": " << problem;
    }
}

} // namespace

// Every case, four programs at a time (some seconds in all; about three times that with
// the sanitizers).
TEST(SettingsDamage, TheProgramStartsOnAnyDamageAndQuitsCleanlyWritingOnlyValuesInRange)
{
    const std::vector<Case> cases = allCases();
    constexpr std::size_t SideBySide = 4;
    for (std::size_t first = 0; first < cases.size(); first += SideBySide) {
        std::vector<std::unique_ptr<ProgramOnCase>> batch;
        for (std::size_t i = first; i < std::min(cases.size(), first + SideBySide); ++i) {
            batch.push_back(std::make_unique<ProgramOnCase>());
            batch.back()->c = cases[i];
        }
        runBatch(batch);
    }
}

TEST(SettingsDamage, TheCheckOfAWrittenFileFindsWhatIsOutOfRange)
{
    for (const SettingsKey &k : SettingsKeys)
        EXPECT_EQ(rules().count(std::string(k.key)), 1u) << k.key;
    EXPECT_EQ(rules().size(), SettingsKeys.size());
    EXPECT_TRUE(problemsOf("[KESTRELON 5.2.9]\r\nSPEED=12\r\nWINDIM=516,660\r\nLESSON=abc #3\r\nFUTURE_1=x\r\n").empty());
    for (const char *bad : {"LEVEL=-1", "ISOUND=-2", "WINDIM=100000,100000", "WINPOS=2147483647,0", "SPEED=12\r\nSPEED=13",
                            "DRIFT=0,0,0", "LESSON= #3", "TWO WORDS=1", "NOTE=805"}) {
        EXPECT_FALSE(problemsOf(QByteArray("[KESTRELON 5.2.9]\r\n") + bad + "\r\n").empty()) << bad;
    }
}
