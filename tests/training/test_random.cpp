// Random practice in the program's own window: the keys and menu items a user presses, the
// memo and files that result, the messages shown (fake sound output, seeded generator).

#include "tests/common/testsupport.h"
#include "tests/training/windowhelpers.h"
#include "tests/devices/fakeserialdevice.h"

#include "engine/cp1252.h"
#include "engine/random.h"
#include "engine/timing.h"
#include "shell/formdialog.h"
#include "shell/languages/languages.h"
#include "shell/mainwindow.h"
#include "shell/panelport.h"
#include "shell/settingskeys.h"
#include "shell/soundengine.h"
#include "shell/startup.h"
#include "shell/utilities.h"
#include "training/random.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace {

using namespace windowtest;

std::vector<std::string> splitGroups(const std::string &text)
{
    std::vector<std::string> groups;
    std::string word;
    for (char c : text + " ") {
        if (c == ' ' || c == '\n' || c == '\r') {
            if (!word.empty())
                groups.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    return groups;
}

class RandomPractice : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FakeSoundInstalled);
        if (!Form1) {
            TerminateApplication = [] {};
            ASSERT_TRUE(CreateAllWindows());
            Form1->show();
        }
        memo = control<QPlainTextEdit>("MemoRandom");
        play = control<QPushButton>("BitBtnPlayRandom");
        stop = control<QPushButton>("BitBtnStopRandom");
        count = control<QSpinBox>("SpinEditRandomNumber");
        ASSERT_TRUE(memo && play && stop && count);
        fake().finishAll();
        SoundEngine().State = EngineState{};
        SoundEngine().Timings.setStartSilence(0);
        fake().written.clear();
        Form1->TimerTXDelay->stop();
        RandomSeed(42);
        // Random mode, as the user enters it (entering it again after a series would take a
        // step of that series).
        RandomGroups().RandomSeriesStarted = false;
        ClickButton(Form1->RadioButtonRandom);
        for (const char *name : {"MenuAddV", "MenuWordContent", "menuCallsigns", "menulowercase", "MenuHide",
                                 "menuShow", "MenuReplayRandom"})
            item(name)->setChecked(false);
        item("MenuFixedWords5")->trigger();
        item("MenuDelaiRandom0")->trigger();
        item("MenuLetters")->trigger();
        memo->clear();
        RandomGroups().Reset();
        count->setValue(100);
        // Messages are answered as they come; their texts are kept.
        catcher = std::make_unique<QTimer>();
        QObject::connect(catcher.get(), &QTimer::timeout, catcher.get(), [this] {
            if (FormDialog && FormDialog->isVisible()) {
                messages.push_back(DialogText);
                FormDialog->ButtonOKClick();
            }
        });
        catcher->start(5);
    }
    void TearDown() override
    {
        catcher.reset();
        fileDialog.reset();
        if (Form1->Engine.RandomPlaying)
            BitBtnStopRandomClick();
        fake().finishAll();
        Form1->TimerTXDelay->stop();
        // The window as the other tests of this program find it: no mode chosen.
        control<QWidget>("GroupBoxRandom")->hide();
        control<QWidget>("PanelChoixRandom")->hide();
        UncheckExclusive(Form1->RadioButtonRandom);
        item("MenuAll")->trigger();
        control<QWidget>("Editcaractere")->setEnabled(true);
    }

    // The next file dialog is answered with this path.
    void answerFileDialog(const QString &path) { fileDialog = std::make_unique<FileDialogAnswer>(path); }

    std::string memoText() const { return cp1252::fromQString(memo->toPlainText()); }

    QPlainTextEdit *memo = nullptr;
    QPushButton *play = nullptr;
    QPushButton *stop = nullptr;
    QSpinBox *count = nullptr;
    std::vector<std::string> messages;
    std::unique_ptr<QTimer> catcher;
    std::unique_ptr<FileDialogAnswer> fileDialog;
};

} // namespace

TEST_F(RandomPractice, AQuickSeriesIsSavedAsGroupsOfTheChosenSet)
{
    QTemporaryDir folder;
    for (bool leadingVs : {false, true}) {
        item("MenuAddV")->setChecked(leadingVs);
        item("MenuQuickRandom")->trigger();
        EXPECT_TRUE(fake().written.empty()); // no sound
        EXPECT_FALSE(play->isHidden());
        const QString path = folder.filePath(leadingVs ? QStringLiteral("vs.txt") : QStringLiteral("plain.txt"));
        answerFileDialog(path);
        item("SaveMemoRandom1")->trigger();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "nothing saved";
        const std::string saved = file.readAll().toStdString();
        EXPECT_EQ(saved.substr(saved.size() - 2), "\r\n");
        EXPECT_EQ(saved.find('\n'), saved.size() - 1) << "one line, ended by CR LF";
        const auto groups = splitGroups(saved);
        ASSERT_EQ(groups.size(), 20u) << saved;
        for (std::size_t i = 0; i < groups.size(); ++i) {
            EXPECT_EQ(groups[i].size(), 5u) << groups[i];
            EXPECT_TRUE(std::all_of(groups[i].begin(), groups[i].end(), [](char c) { return c >= 'A' && c <= 'Z'; }))
                << groups[i];
        }
        EXPECT_EQ(groups[0] == "VVVVV", leadingVs) << groups[0];
    }
    EXPECT_TRUE(messages.empty());
}

// A series started before the sound device takes its first sound keys the transmitter with
// that sound, not before it: a transmitter keyed first would send silence.
TEST_F(RandomPractice, ASeriesStartedBeforeTheFirstSoundRaisesPTTWithIt)
{
    const PortPanelSeams programSeams = portPanelSeams();
    FakeSerialDevice *device = nullptr;
    delete PanelPort();
    portPanelSeams().listPorts = [] { return std::vector<std::string>{"ttyS0"}; };
    portPanelSeams().makeDevice = [&device] {
        auto d = std::make_unique<FakeSerialDevice>();
        device = d.get();
        return std::unique_ptr<serialdev::SerialDevice>(std::move(d));
    };
    CreatePortPanel(*Form1);
    PanelPort()->RadioGroupCOM->Item(1)->click();
    PanelPort()->CheckBoxPTTRTS->click();
    ASSERT_NE(device, nullptr);
    const auto restorePort = qScopeGuard([&] {
        fake().awaiting = false;
        BitBtnStopRandomClick();
        fake().finishAll();
        delete PanelPort();
        portPanelSeams() = programSeams;
        CreatePortPanel(*Form1);
    });

    fake().awaiting = true;
    count->setValue(3);
    QTest::mouseClick(play, Qt::LeftButton);
    // The lines are switched from the keying clock's thread.
    const auto pttUp = [&device] { return (device->raised() & serialdev::LineRTS) != 0; };
    EXPECT_FALSE(testsupport::waitFor(pttUp, 300)) << "PTT up before the sound";
    EXPECT_TRUE(fake().written.empty());

    fake().firstSound();
    EXPECT_TRUE(testsupport::waitFor(pttUp)) << "PTT not up with the sound";
    EXPECT_TRUE(testsupport::waitFor([] { return !fake().written.empty(); }));
}

TEST_F(RandomPractice, ClearingAndSavingWaitForTheSeriesToStop)
{
    QTest::mouseClick(play, Qt::LeftButton);
    EXPECT_TRUE(play->isHidden());
    EXPECT_FALSE(stop->isHidden());
    EXPECT_EQ(fake().written.size(), 1u);
    EXPECT_FALSE(control<QWidget>("Editcaractere")->isEnabled());
    item("ClearMemoRandom")->trigger();
    item("SaveMemoRandom1")->trigger();
    QTest::mouseClick(stop, Qt::LeftButton);
    fake().finishAll();
    EXPECT_FALSE(play->isHidden());
    EXPECT_TRUE(control<QWidget>("Editcaractere")->isEnabled()) << "the typing box is usable again";
    EXPECT_EQ(memoText().size(), 1u);
    item("ClearMemoRandom")->trigger();
    EXPECT_TRUE(memo->toPlainText().isEmpty());
    item("SaveMemoRandom1")->trigger();
    item("ClearMemoRandom")->trigger();
    EXPECT_EQ(messages, (std::vector<std::string>{"Stop random before clearing !", "Stop random before recording !",
                                                  "Nothing to record !", "Nothing to clear !"}));
}

TEST_F(RandomPractice, AFailedSaveIsReported)
{
    count->setValue(10);
    item("MenuQuickRandom")->trigger();
    // The kernel's sysfs takes no new file, whoever runs the test (and its top level holds
    // only folders, which the dialog lists without reading anything).
    const QString path = QStringLiteral("/sys/kestrelon-random.txt");
    if (!QFileInfo(QStringLiteral("/sys")).isDir())
        GTEST_SKIP() << "no /sys here";
    answerFileDialog(path);
    item("SaveMemoRandom1")->trigger();
    ASSERT_TRUE(testsupport::waitFor([this] { return !messages.empty(); }));
    EXPECT_EQ(messages.front(), "Write error : " + path.toStdString());
}

TEST_F(RandomPractice, AFifoChosenToSaveInIsNeitherOpenedNorReplaced)
{
    count->setValue(10);
    item("MenuQuickRandom")->trigger();
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("groups.txt"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    answerFileDialog(fifo);
    // The dialog asks first whether the file that is there may be replaced: yes.
    QTimer replace;
    QObject::connect(&replace, &QTimer::timeout, &replace, [] {
        for (QWidget *window : QApplication::topLevelWidgets())
            if (auto *box = qobject_cast<QMessageBox *>(window); box && box->isVisible())
                box->button(QMessageBox::Yes)->click();
    });
    replace.start(5);
    item("SaveMemoRandom1")->trigger();
    ASSERT_TRUE(testsupport::waitFor([this] { return !messages.empty(); }));
    EXPECT_EQ(messages.front(), "Write error : " + fifo.toStdString());
    struct stat st {};
    EXPECT_TRUE(::stat(QFile::encodeName(fifo).constData(), &st) == 0 && S_ISFIFO(st.st_mode));
}

TEST_F(RandomPractice, AChosenSetIsTypedInTheChoicePanel)
{
    auto *panel = control<QWidget>("PanelChoixRandom");
    auto *box = control<QComboBox>("BoxCaracteresChoix");
    item("MenuChoixCaracteres")->trigger();
    ASSERT_FALSE(panel->isHidden());
    box->lineEdit()->clear();
    QTest::keyClicks(box->lineEdit(), "Ab C!#");
    EXPECT_EQ(box->currentText(), "abc!#") << "lower case, the blank refused";
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    EXPECT_TRUE(panel->isHidden());
    EXPECT_TRUE(item("MenuChoixCaracteres")->isChecked());
    EXPECT_FALSE(item("MenuLetters")->isChecked());
    EXPECT_EQ(control<QLabel>("PanelRandomLesson")->text(), " Chosen characters");
    item("MenuQuickRandom")->trigger();
    for (char c : memoText())
        EXPECT_NE(std::string("ABC! ").find(c), std::string::npos) << c;

    // Escape gives the text back as it was; an empty choice is refused and the panel stays.
    item("MenuChoixCaracteres")->trigger();
    box->lineEdit()->setText(" ");
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    EXPECT_FALSE(panel->isHidden());
    QTest::keyClick(box->lineEdit(), Qt::Key_Escape);
    EXPECT_TRUE(panel->isHidden());
    EXPECT_EQ(box->currentText(), "abc!#");
}

TEST_F(RandomPractice, CallSignsOnlyWithLettersAndFiguresInFives)
{
    QAction *callsigns = item("menuCallsigns");
    item("MenuLettersFigures")->trigger();
    EXPECT_TRUE(callsigns->isEnabled());
    callsigns->trigger();
    EXPECT_TRUE(callsigns->isChecked());
    item("MenuFixedWords4")->trigger();
    EXPECT_FALSE(callsigns->isEnabled());
    EXPECT_FALSE(callsigns->isChecked());
    item("MenuFixedWords5")->trigger();
    EXPECT_TRUE(callsigns->isEnabled());
    item("MenuFigures")->trigger();
    EXPECT_FALSE(callsigns->isEnabled());
    EXPECT_EQ(WindowCharacters(Form1->EngineSets), "0123456789");
}

TEST_F(RandomPractice, SettingsChooseTheSetAndItsGroups)
{
    // An own choice read from the file: "a" drawn three times as often as "b".
    readSettings({"CHOSEN_CHAR=aaab", "RANDOM=7", "WORDS=5", "MIXED=OFF", "RANDOM_COUNT=1000"});
    item("MenuQuickRandom")->trigger();
    const std::string series = memoText();
    const auto groups = splitGroups(series);
    EXPECT_EQ(groups.size(), 200u);
    const auto as = std::count(series.begin(), series.end(), 'A');
    EXPECT_EQ(as + std::count(series.begin(), series.end(), 'B'), 1000);
    EXPECT_TRUE(as >= 700 && as <= 800) << as;

    // Call signs, with no lesson line in the file: the window stays letters and figures.
    readSettings({"RANDOM=5", "WORDS=5", "MIXED=CALL", "RANDOM_COUNT=500"});
    EXPECT_TRUE(item("menuCallsigns")->isChecked());
    item("MenuQuickRandom")->trigger();
    const std::regex shape("([A-Z][A-Z][0-9]|[A-Z][0-9][A-Z0-9]|[0-9][A-Z][0-9])[A-Z]{2}");
    for (const std::string &group : splitGroups(memoText()))
        EXPECT_TRUE(std::regex_match(group, shape)) << group;

    // Local characters read after the set was chosen still belong to all the characters; the
    // word list without a list file opens no file dialog in the middle of start-up.
    int dialogs = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, &closer, [&dialogs] {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (auto *dialog = qobject_cast<QFileDialog *>(window); dialog && dialog->isVisible()) {
                ++dialogs;
                static_cast<QDialog *>(dialog)->reject();
            }
        }
    });
    closer.start(5);
    readSettings({"RANDOM=9", "RANDOM_COUNT=500", "CHOSEN_CHAR= "});
    EXPECT_EQ(dialogs, 0);
    EXPECT_TRUE(item("MenuAll")->isChecked());
    readSettings({"LOCAL_CHAR= \xE4  .-.-", "RANDOM_COUNT=500", "CHOSEN_CHAR= "});
    EXPECT_EQ(WindowCharacters(Form1->EngineSets).back(), '\xE4');
    readSettings({"RANDOM=5", "WORDS=5", "MIXED=OFF", "RANDOM_COUNT=500"}); // no local characters again

    // What the writer emits for these options.
    item("MenuRandomWords")->trigger();
    item("MenuDelaiRandom3")->trigger();
    std::vector<std::string> written;
    for (const settings::Line &line : Settings().write())
        written.push_back(line.key + line.value);
    for (const char *line : {"WORDS=0", "MIXED=OFF", "RANDOM=5", "DELAY_RANDOM=3", "RANDOM_COUNT=500"})
        EXPECT_NE(std::find(written.begin(), written.end(), line), written.end()) << line;
    item("MenuDelaiRandom0")->trigger();
}

TEST_F(RandomPractice, AWordListIsPlayedAndABlankOneEndsTheMode)
{
    QTemporaryDir folder;
    const QString words = folder.filePath(QStringLiteral("words.txt"));
    const QString blanks = folder.filePath(QStringLiteral("blanks.txt"));
    for (const auto &[path, text] : {std::pair{words, "CQ\r\nTEST\r\n\r\n"}, std::pair{blanks, "\r\n  \r\n"}}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    readSettings({"LISTW=" + cp1252::fromQString(words), "RANDOM=9", "RANDOM_COUNT=20"});
    EXPECT_TRUE(item("MenuListWords")->isChecked());
    EXPECT_TRUE(control<QLabel>("LabelWords")->text().endsWith(QStringLiteral("/ words.txt")));
    item("MenuQuickRandom")->trigger();
    std::size_t letters = 0;
    for (const std::string &word : splitGroups(memoText())) {
        EXPECT_TRUE(word == "CQ" || word == "TEST") << word;
        letters += word.size();
    }
    EXPECT_TRUE(letters >= 20 && letters <= 23) << letters;

    readSettings({"LISTW=" + cp1252::fromQString(blanks), "RANDOM=9"});
    item("MenuQuickRandom")->trigger();
    ASSERT_TRUE(testsupport::waitFor([this] { return !messages.empty(); }));
    EXPECT_EQ(messages.front(), "No morse characters to play !");
    EXPECT_FALSE(Form1->RadioButtonRandom->isChecked());
    EXPECT_FALSE(play->isHidden());
}

TEST_F(RandomPractice, AWordListThatNeverEndsIsRefusedWithoutWaitingOrFillingTheMemory)
{
    QTemporaryDir folder;
    for (const std::string &path : testsupport::inputsThatNeverEnd(folder.path(), MaxWordListBytes)) {
        messages.clear();
        readSettings({"LISTW=" + path, "RANDOM=9"});
        EXPECT_EQ(messages, std::vector<std::string>{"Ne peut ouvrir le fichier"}) << path;
        EXPECT_TRUE(RandomWordListFile().isEmpty()) << path;
    }
}

TEST_F(RandomPractice, StopDuringTheCountdownStartsNothing)
{
    item("MenuDelaiRandom1")->trigger();
    QTimer::singleShot(50, memo, [this] { QTest::keyClick(memo, Qt::Key_Escape); });
    QTest::mouseClick(play, Qt::LeftButton); // returns when the countdown has given up
    item("MenuDelaiRandom0")->trigger();
    EXPECT_TRUE(fake().written.empty());
    EXPECT_TRUE(Form1->Engine.PlayQueue.empty());
    EXPECT_FALSE(play->isHidden());
    EXPECT_TRUE(stop->isHidden());
    EXPECT_TRUE(Form1->ButtonStop->isEnabled());
    EXPECT_TRUE(memo->toPlainText().isEmpty());
}

TEST_F(RandomPractice, TheRightButtonReplaysTheLastLine)
{
    count->setValue(10);
    item("MenuQuickRandom")->trigger();
    const std::string first = memoText();
    item("MenuReplayRandom")->trigger();
    EXPECT_TRUE(play->toolTip().startsWith(QStringLiteral("Click left to start a new series\nClick right to replay")))
        << play->toolTip().toStdString();
    QTest::mouseClick(play, Qt::RightButton);
    fake().finishAll();
    const std::string text = memoText();
    const std::string replayed = first.substr(0, first.find_last_not_of(' ') + 1);
    EXPECT_EQ(text.substr(text.rfind('\n') + 1), replayed);
    EXPECT_EQ(fake().written.size(), replayed.size());
}

TEST_F(RandomPractice, HiddenWhilePlayingShownAtStopAndTheCaseButton)
{
    auto *hide = control<QPushButton>("ButtonHide");
    item("MenuHide")->trigger();
    EXPECT_TRUE(item("PopHideRandomA")->isChecked()) << "the pop-up twin follows";
    item("menuShow")->trigger();
    QTest::mouseClick(play, Qt::LeftButton);
    EXPECT_EQ(hide->text(), "Show");
    QTest::mouseClick(stop, Qt::LeftButton);
    EXPECT_EQ(hide->text(), "Hide");
    fake().finishAll();

    item("MenuHide")->trigger();
    item("menuShow")->trigger();
    count->setValue(10);
    item("MenuQuickRandom")->trigger();
    QTest::mouseClick(control<QWidget>("SpeedButtonRandomCase"), Qt::LeftButton);
    EXPECT_TRUE(item("menulowercase")->isChecked());
    const std::string lower = memoText();
    EXPECT_TRUE(std::none_of(lower.begin(), lower.end(), [](char c) { return c >= 'A' && c <= 'Z'; })) << lower;
    item("MenuQuickRandom")->trigger();
    const std::string next = memoText();
    EXPECT_TRUE(std::all_of(next.begin(), next.end(), [](char c) { return c == ' ' || (c >= 'a' && c <= 'z'); }));
}

TEST_F(RandomPractice, TheFunctionKeysChooseTheSet)
{
    // The main window is the active one (a dialog of an earlier test may have been) and the
    // user has clicked into the memo: the keys go there.
    QApplication::setActiveWindow(Form1);
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form1));
    QTest::mouseClick(memo->viewport(), Qt::LeftButton);
    QWidget *focus = QApplication::focusWidget();
    ASSERT_EQ(focus, memo);
    QTest::keyClick(focus, Qt::Key_F6);
    EXPECT_TRUE(item("MenuFigures")->isChecked());
    EXPECT_EQ(WindowCharacters(Form1->EngineSets), "0123456789");
    QTest::keyClick(focus, Qt::Key_F11, Qt::ControlModifier | Qt::ShiftModifier);
    const std::string series = memoText();
    EXPECT_EQ(splitGroups(series).size(), 20u);
    EXPECT_TRUE(std::all_of(series.begin(), series.end(), [](char c) { return c == ' ' || (c >= '0' && c <= '9'); }));
}

TEST_F(RandomPractice, AnotherModeEndsTheSeriesSoComingBackStartsNone)
{
    QTest::mouseClick(play, Qt::LeftButton);
    QTest::mouseClick(stop, Qt::LeftButton);
    fake().finishAll();
    const std::size_t sent = fake().written.size();
    // Random mode clicked again at once takes a step of the stopped series, which goes on ...
    ClickButton(Form1->RadioButtonRandom);
    fake().finishAll();
    EXPECT_GT(fake().written.size(), sent);
    BitBtnStopRandomClick();
    fake().finishAll();
    // ... but not once another mode has been chosen in between.
    const std::size_t before = fake().written.size();
    ClickButton(Form1->RadioButtonAlphabet);
    ClickButton(Form1->RadioButtonRandom);
    fake().finishAll();
    EXPECT_EQ(fake().written.size(), before);
    EXPECT_FALSE(play->isHidden());
}
