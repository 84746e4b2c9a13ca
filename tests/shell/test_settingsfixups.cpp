// What start-up makes of the settings read, once the last line is in: the parallel port
// looked for, chosen and addressed, the pin, the word list's fall-back, the lesson page, the
// focus flag and the character set chosen.

#include "tests/shell/programonsettingsfile.h"

#include "training/monitor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace {

using SettingsFixUps = ProgramOnSettingsFile;

std::string addressShown(int port)
{
    return LptPort()->EditLPT[static_cast<std::size_t>(port)]->text().toStdString();
}

} // namespace

TEST_F(SettingsFixUps, TheParallelPortsAreLookedForUnlessTheFileSaysToLeaveThemAlone)
{
    start({});
    EXPECT_EQ(addressShown(1), "[0378h]");
    EXPECT_EQ(addressShown(2), "[0278h]");
    start({"IGNORELPT=1"});
    EXPECT_EQ(addressShown(1), "[0000h]");
    EXPECT_EQ(addressShown(2), "[0000h]");
}

TEST_F(SettingsFixUps, APortReadIsChosenOnlyWhenItCanBeReachedAndHasAnAddress)
{
    // Ports 1 and 2 have addresses; 3 has none; 4 is no port.
    const std::pair<const char *, int> cases[] = {{"1", 1}, {"2", 2}, {"3", 0}, {"4", 0}, {"0", 0}, {"-1", 0}};
    for (const auto &[value, index] : cases) {
        start({std::string("LPT=") + value});
        EXPECT_EQ(LptPort()->RadioGroupLPT->ItemIndex(), index) << value;
    }
    parallelPorts(false);
    start({"LPT=1"});
    EXPECT_EQ(LptPort()->RadioGroupLPT->ItemIndex(), 0);
}

TEST_F(SettingsFixUps, TheAddressReadIsTakenInEachOfItsThreeForms)
{
    // The kernel has 0x278 too, so the address read takes the place of LPT1's 0x378.
    for (const char *form : {"[278h]", "[0278h]", "0278", "278"}) {
        start({"LPT=1", std::string("ADLPT=") + form});
        EXPECT_EQ(addressShown(1), "[0278h]") << form;
    }
    // Not hexadecimal, or "h" elsewhere: no address, and LPT1 keeps its own.
    for (const char *form : {"[0x27h]", "[02789h]", "[zzzh]", "wxyz"}) {
        start({"LPT=1", std::string("ADLPT=") + form});
        EXPECT_EQ(addressShown(1), "[0378h]") << form;
    }
}

TEST_F(SettingsFixUps, TheOwnAddressIsInUseOnlyWhenTheDriverCanBeReached)
{
    start({"LPTX=ON", "ADLPTX=0378"});
    EXPECT_TRUE(LptPort()->CheckBoxLPTx->isChecked());
    EXPECT_FALSE(LptPort()->RadioGroupLPT->isEnabled());
    parallelPorts(false);
    start({"LPTX=ON", "ADLPTX=0378"});
    EXPECT_FALSE(LptPort()->CheckBoxLPTx->isChecked());
    EXPECT_TRUE(LptPort()->RadioGroupLPT->isEnabled());
}

TEST_F(SettingsFixUps, TheOwnAddressReadIsShownAndABadOneLeavesTheEditEmpty)
{
    start({"ADLPTX=0278"});
    EXPECT_EQ(LptPort()->EditLPTx->text(), "0278");
    start({"ADLPTX=12G4"});
    EXPECT_EQ(LptPort()->EditLPTx->text(), "");
    EXPECT_EQ(writtenValues({"ADLPTX=12G4"}).at("ADLPTX="), std::vector<std::string>{""});
}

TEST_F(SettingsFixUps, ThePortAndPinReadAreSelected)
{
    const std::pair<const char *, int> pins[] = {{"0", 0}, {"1", 1}, {"2", 2}, {"3", 3}, {"-1", -1}, {"4", -1}};
    for (const auto &[value, index] : pins) {
        start({"LPT=2", std::string("PIN=") + value});
        EXPECT_EQ(LptPort()->RadioGroupLPT->ItemIndex(), 2) << value;
        EXPECT_EQ(LptPort()->RadioGroupPin->ItemIndex(), index) << value;
    }
}

TEST_F(SettingsFixUps, TheWordListWithoutAListFileGivesAllTheCharacters)
{
    EXPECT_EQ(writtenValues({"RANDOM=9", "LASTCHOICE=4"}).at("RANDOM="), std::vector<std::string>{"6"});
    QFile words(dir.filePath("words.txt"));
    ASSERT_TRUE(words.open(QIODevice::WriteOnly));
    words.write("CQ\r\nTEST\r\n");
    words.close();
    const std::string list = "LISTW=" + dir.filePath("words.txt").toStdString();
    EXPECT_EQ(writtenValues({"RANDOM=9", list, "LASTCHOICE=4"}).at("RANDOM="), std::vector<std::string>{"9"});
}

TEST_F(SettingsFixUps, TheLessonPageReadIsShownWithItsNumbersButtonsAndTheChosenLesson)
{
    const struct {
        const char *page;
        const char *first;
        const char *last;
        bool minus;
        bool plus;
        const char *lesson; // a lesson of the page, chosen, and where the box lists it
        int item;
    } pages[] = {{"1", "#01", "#20", false, true, "endx0", 0},
                 {"2", "#21", "#40", true, true, nullptr, -1},
                 {"3", "#41", "#60", true, false, "aten", 10}};
    for (const auto &p : pages) {
        std::vector<std::string> lines = {std::string("PAGE=") + p.page};
        if (p.lesson)
            lines.push_back(std::string("CHOSEN_CHAR=") + p.lesson);
        start(lines);
        const QString numbers = Form1->findChild<QLabel *>(QStringLiteral("Label3"))->text().simplified();
        EXPECT_TRUE(numbers.startsWith(QString::fromLatin1(p.first))) << numbers.toStdString();
        EXPECT_TRUE(numbers.endsWith(QString::fromLatin1(p.last))) << numbers.toStdString();
        EXPECT_EQ(numbers.count(QLatin1Char('#')), 20);
        EXPECT_EQ(Form1->findChild<QWidget *>(QStringLiteral("SpeedButtonChoixMoins"))->isEnabled(), p.minus) << p.page;
        EXPECT_EQ(Form1->findChild<QWidget *>(QStringLiteral("SpeedButtonChoixPlus"))->isEnabled(), p.plus) << p.page;
        auto *box = Form1->findChild<QComboBox *>(QStringLiteral("BoxCaracteresChoix"));
        if (p.lesson) {
            EXPECT_EQ(box->currentIndex(), p.item) << p.page;
        }
    }
}

TEST_F(SettingsFixUps, TheFocusFlagIsDownOnceTheMonitorsKeysAreRead)
{
    start({"MONITOR_CASE=LOWER", "MONITOR_FILTER=1", "MONITOR_CHANNEL=RIGHT", "LEFT_THRESHOLD=10",
           "RIGHT_THRESHOLD=20"});
    EXPECT_FALSE(NoEditFocus);
}

TEST_F(SettingsFixUps, TheCharacterSetReadIsChosenByItsMenuItem)
{
    // 1 letters, 2 figures, 3 stops, 4 local characters, 5 letters and figures, 6 all; 7 (the
    // own choice) clicks nothing, so the design's choice, all the characters, stays.
    // 8, the exam, is offered in French only.
    EXPECT_EQ(writtenValues({"RANDOM=8", "LANGUAGE=F"}).at("RANDOM="), std::vector<std::string>{"8"});
    for (const char *set : {"1", "2", "3", "4", "5", "6"}) {
        EXPECT_EQ(writtenValues({std::string("RANDOM=") + set, "LOCAL_CHAR= X  .-..-"}).at("RANDOM="),
                  std::vector<std::string>{set});
    }
    EXPECT_EQ(writtenValues({"RANDOM=7"}).at("RANDOM="), std::vector<std::string>{"6"});
}
