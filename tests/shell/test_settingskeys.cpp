#include "shell/settingskeys.h"

#include "shell/settingsforms.h"
#include "shell/settingsstorage.h"
#include "tests/shell/shelltestsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <set>

using settings::Line;

namespace {

// A small model bound the way owning modules bind theirs: an ordinary key whose last line
// wins and a bad number leaves it unchanged, an appending key and a list key.
struct Model {
    int speed = 12;
    std::string password;
    std::vector<std::string> messages;

    void bindTo(SettingsRegistry &registry)
    {
        registry.bind({
            {"SPEED=", [this](const std::string &v) { if (auto n = settings::ParseInt(v)) speed = *n; },
             [this](std::vector<std::string> &out) { out.push_back(std::to_string(speed)); }},
            {"MSG=", [this](const std::string &v) { if (messages.size() < 6) messages.push_back(v); },
             [this](std::vector<std::string> &out) {
                 for (std::size_t i = 0; i < 6; ++i) out.push_back(i < messages.size() ? messages[i] : "");
             }},
            {"MDPINT=", [this](const std::string &v) { password += settings::UnshiftPassword(v); },
             [this](std::vector<std::string> &out) { out.push_back(settings::ShiftPassword(password)); }},
        });
        registry.addReadStart("model", [this] { messages.clear(); password.clear(); });
    }
};

std::vector<Line> roundTrip(SettingsRegistry &registry, const std::vector<Line> &lines)
{
    registry.read(lines);
    return registry.write();
}

} // namespace

TEST(SettingsKeys, KeysAreFoundExactlyAndOnlyKeysOfTheTableAreBound)
{
    std::set<std::string_view> seen;
    for (const SettingsKey &k : SettingsKeys) {
        EXPECT_TRUE(seen.insert(k.key).second) << k.key;
        EXPECT_EQ(k.key.back(), '=');
    }
    EXPECT_EQ(SettingsKeyIndex("speed="), -1);
    EXPECT_THROW(SettingsRegistry().bind("SPEEDX=", nullptr, nullptr), std::invalid_argument);
}

// The file the program writes at quit has its keys in the key table's order, each on one
// line (a list key on consecutive ones), and every key that is always written. It starts
// from a file that switches on what it can, so that the keys written only for an option
// that is on are there too: the last word of a choice, else "1"; no serial port, and no
// release check at start (it would go to the web).
TEST(SettingsKeys, TheFileWrittenAtQuitHoldsItsKeysInTheTablesOrder)
{
    QTemporaryDir home;
    shelltest::ProgramRun program(home.path());
    std::string in = "[KESTRELON 5.2.9]\r\n";
    for (const SettingsKey &k : SettingsKeys) {
        std::string value = "1";
        if (k.key == "COM=" || k.key == "VERSTART=")
            value = "0";
        else if (k.form.kind == settings::Kind::OneOf)
            value = k.form.words.substr(k.form.words.rfind(' ') + 1);
        in += std::string(k.key) + value + "\r\n";
    }
    QDir().mkpath(QFileInfo(program.settingsFile()).path());
    QFile file(program.settingsFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(in.data(), static_cast<qint64>(in.size()));
    file.close();

    ASSERT_TRUE(program.start());
    ASSERT_TRUE(program.waitForQuitSignals(30000));
    program.signal(SIGTERM);
    ASSERT_TRUE(program.waitForQuit(15000)) << program.errors().constData();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const std::string out = file.readAll().toStdString();
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = out.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(out.substr(start, end - start));

    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "[KESTRELON 5.2.9]");
    std::set<int> written;
    int last = -1;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string key = lines[i].substr(0, lines[i].find('=') + 1);
        const int index = SettingsKeyIndex(key);
        ASSERT_GE(index, 0) << "line " << i << ": " << lines[i];
        if (index == last)
            EXPECT_EQ(SettingsKeys[index].written, Written::List) << key << " twice";
        else
            EXPECT_GT(index, last) << key << " after " << SettingsKeys[last].key;
        last = std::max(last, index);
        written.insert(index);
    }
    std::size_t always = 0;
    for (int i = 0; i < static_cast<int>(SettingsKeys.size()); ++i) {
        if (SettingsKeys[i].written == Written::Always) {
            ++always;
            EXPECT_EQ(written.count(i), 1u) << SettingsKeys[i].key << " missing";
        }
    }
    EXPECT_GT(written.size(), always) << "no key of an option that is on";
}

TEST(SettingsKeys, RepeatedKeysLastWinsPasswordAppendsBadNumberIgnored)
{
    SettingsRegistry registry;
    Model model;
    model.bindTo(registry);
    registry.read({{"SPEED=", "abc"}, {"SPEED=", "20"}, {"SPEED=", "30"}, {"SPEED=", "3x"},
                   {"MDPINT=", "bfl"}, {"MDPINT=", "bfl"}});
    EXPECT_EQ(model.speed, 30);
    EXPECT_EQ(model.password, "abcabc");
    // Written back as one shifted line: 97+1 98+4 99+9 97+16 98+25 99+36.
    auto lines = registry.write();
    auto it = std::find_if(lines.begin(), lines.end(), [](const Line &l) { return l.key == "MDPINT="; });
    ASSERT_NE(it, lines.end());
    EXPECT_EQ(it->value, "bflq{\x87");
}

TEST(SettingsKeys, KeysNoModuleHoldsAndUnknownKeysAreWrittenBackInOrderOnceEach)
{
    SettingsRegistry registry;
    Model model;
    model.bindTo(registry);
    const std::vector<Line> in = {
        {"FUTURE=", "x"},        {"LOCAL_CHAR=", " q  --.-"}, {"WORDS=", "3"}, {"SPEED=", "25"},
        {"LESSON=", "abc #3"},   {"WORDS=", "4"},  {"lower=", "y"},  {"LESSON=", "def #4"},
        {"MSG=", "CQ"},          {"PAIRSBEST=", "5,7,x,1,"}, {"FUTURE=", "z"}, {"WORDS=", "9"},
        {"LESSON=", "ghi #3"},   {"\x01\xFF=", "binary"}, {"TWO WORDS=", "no key"}, {"NOTE=", "805"},
    };
    // A repeated key is written once with its last good value; a value the program could not
    // have written is dropped (WORDS=9) or held (PAIRSBEST=); a line of an unknown key that
    // is no key at all is dropped.
    const std::vector<Line> expected = {
        {"SPEED=", "25"}, {"WORDS=", "4"}, {"NOTE=", "800"}, {"MSG=", "CQ"}, {"MSG=", ""}, {"MSG=", ""},
        {"MSG=", ""}, {"MSG=", ""}, {"MSG=", ""}, {"MDPINT=", ""}, {"PAIRSBEST=", "5,7,-1,-1,-1,-1,-1,-1,-1,"},
        {"LESSON=", "ghi #3"}, {"LESSON=", "def #4"}, {"LOCAL_CHAR=", " q  --.-"},
        {"FUTURE=", "z"}, {"lower=", "y"},
    };
    EXPECT_EQ(roundTrip(registry, in), expected);
    // Reading again starts afresh: nothing kept from the first read is written twice.
    EXPECT_EQ(roundTrip(registry, expected), expected);
}

TEST(SettingsKeys, WhatIsWrittenStaysWithinWhatTheReaderTakes)
{
    SettingsRegistry registry;
    std::vector<Line> in;
    const std::string big(1000, 'v');
    for (int i = 0; i < 2000; ++i)
        in.push_back({"K" + std::to_string(i) + "=", big});
    in.push_back({"MSG=", std::string(settings::MaxFileBytes, 'm')});
    in.push_back({"SPACE=", "2147483647"});
    const auto lines = roundTrip(registry, in);
    const std::string file = settings::FormatFile(lines);
    EXPECT_LE(file.size(), settings::MaxFileBytes);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), Line{"SPACE=", "30"}), 1);
    auto msg = std::find_if(lines.begin(), lines.end(), [](const Line &l) { return l.key == "MSG="; });
    ASSERT_NE(msg, lines.end());
    EXPECT_EQ(msg->value.size(), settings::MaxTextValue);
    // Unknown keys fill what is left, in their order.
    EXPECT_EQ(lines.back().key, "K" + std::to_string(lines.size() - 3) + "=");
}

TEST(SettingsKeys, FixUpsRunByNumberAfterTheLastLineAlsoWithoutAFileAndRebindingReplaces)
{
    SettingsRegistry registry;
    std::vector<std::string> order;
    registry.bind("SPEED=", [&](const std::string &) { order.push_back("line"); }, nullptr);
    registry.addReadStart("start", [&] { order.push_back("old start"); });
    registry.addReadStart("start", [&] { order.push_back("start"); });
    registry.addFixUp(12, "twelve", [&] { order.push_back("12"); });
    registry.addFixUp(1, "one a", [&] { order.push_back("1a"); });
    registry.addFixUp(1, "one b", [&] { order.push_back("old 1b"); });
    registry.addFixUp(1, "one b", [&] { order.push_back("1b"); });
    registry.read({{"SPEED=", "1"}});
    EXPECT_EQ(order, (std::vector<std::string>{"start", "line", "1a", "1b", "12"}));
    order.clear();
    registry.read({});
    EXPECT_EQ(order, (std::vector<std::string>{"start", "1a", "1b", "12"}));
}

TEST(SettingsKeys, ARowThatThrowsIsPassedOverAndLaterLinesStillCount)
{
    SettingsRegistry registry;
    Model model;
    model.bindTo(registry);
    registry.bind("COM=", [](const std::string &v) { if (v == "boom") throw std::runtime_error("no port"); },
                  [](std::vector<std::string> &out) { out.push_back("0"); });
    bool fixedUp = false;
    registry.addFixUp(1, "throws", [] { throw std::runtime_error("no driver"); });
    registry.addFixUp(2, "after", [&] { fixedUp = true; });
    registry.read({{"COM=", "boom"}, {"SPEED=", "30"}, {"WORDS=", "4"}, {"FUTURE=", "x"}});
    EXPECT_EQ(model.speed, 30);
    EXPECT_TRUE(fixedUp);
    const auto lines = registry.write();
    EXPECT_NE(std::find(lines.begin(), lines.end(), Line{"WORDS=", "4"}), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), Line{"FUTURE=", "x"}), lines.end());
    registry.applyValue("COM=", "boom");
}
