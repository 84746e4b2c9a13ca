// The quiz in the program's own window: questions sent (fake sound output, seeded generator),
// answers typed into the answer field or left to time out, the score, the report window and
// its file, the settings keys, the keys and the waits of a series.

#include "tests/common/fakeaudiooutput.h"
#include "tests/common/testsupport.h"
#include "tests/shell/shelltestsupport.h"

#include "engine/cp1252.h"
#include "engine/random.h"
#include "engine/timing.h"
#include "shell/datafolders.h"
#include "shell/formdialog.h"
#include "shell/instructorlock.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/settingskeys.h"
#include "shell/sidewindows.h"
#include "shell/pendingsteps.h"
#include "shell/soundengine.h"
#include "shell/systembeep.h"
#include "shell/startup.h"
#include "shell/utilities.h"
#include "training/quiz.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const bool fakeSound = shelltest::useFakeSound();

using shelltest::fake;

using shelltest::control;

QAction *item(const char *name)
{
    return control<QAction>(name);
}

int judged()
{
    int played = 0;
    for (const quiz::ReportRow &row : QuizState().Results.rows())
        played += row.played;
    return played;
}

class QuizWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fakeSound);
        TerminateApplication = [] {};
        ASSERT_TRUE(CreateAllWindows());
        Form1->show();
        SoundEngine().Timings.setStartSilence(0);
        RandomSeed(5);
        ok = control<QPushButton>("ButtonQuizOK");
        stop = control<QPushButton>("ButtonQuizStop");
        answer = control<QLineEdit>("EditReponseQuiz");
        delay = control<QSpinBox>("UpDownDelay");
        ASSERT_TRUE(ok && stop && answer && delay);
        ClickButton(Form1->RadioButtonQuiz);
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
        if (Form1 && Form1->Engine.QuizSeriesPlaying)
            ButtonQuizStopClick();
        if (Form1)
            fake().finishAll();
    }

    // The characters asked come from an own choice typed in the choice panel.
    void chooseCharacters(const char *characters)
    {
        item("MenuChoixCaracteres")->trigger();
        auto *box = control<QComboBox>("BoxCaracteresChoix");
        box->lineEdit()->clear();
        QTest::keyClicks(box->lineEdit(), characters);
        QTest::mouseClick(control<QPushButton>("ButtonChoixCaractereOK"), Qt::LeftButton);
    }

    std::string asked() const { return cp1252::fromQString(control<QLineEdit>("EditRandomQuiz")->text()); }

    // The question asked now: `typed` is typed into the answer field, the character is heard,
    // and the judgement (at the end of the answer time, or early) is waited for.
    void answerWith(const QString &typed)
    {
        ASSERT_GT(fake().queued(), 0u) << "no question is being sent";
        const int before = judged();
        if (!typed.isEmpty())
            QTest::keyClicks(answer, typed);
        fake().finishAll();
        ASSERT_TRUE(testsupport::waitFor([before] { return judged() > before; })) << "never judged";
    }
    void answerRight() { answerWith(QString::fromStdString(asked())); }

    QPushButton *ok = nullptr;
    QPushButton *stop = nullptr;
    QLineEdit *answer = nullptr;
    QSpinBox *delay = nullptr;
    std::vector<std::string> messages;
    std::unique_ptr<QTimer> catcher;
};

} // namespace

TEST_F(QuizWindow, TheQuizIsQuietAndTheNextModeOrTheQuitBringsTheBeepBack)
{
    EXPECT_FALSE(ProgramBeepOn()); // entered in the set-up
    QTest::mouseClick(Form1->RadioButtonMonitor, Qt::LeftButton);
    EXPECT_TRUE(ProgramBeepOn());
    ClickButton(Form1->RadioButtonQuiz);
    EXPECT_FALSE(ProgramBeepOn());
    QuitRestoreBeep();
    EXPECT_TRUE(ProgramBeepOn());
}

TEST_F(QuizWindow, TheStartButtonReadsPlay)
{
    EXPECT_EQ(ok->text(), QStringLiteral("PLAY"));
    EXPECT_TRUE(ok->isVisible());
}

TEST_F(QuizWindow, FiveQuestionsAnsweredByTypingAndByTimeOutsFillTheScoreAndTheReport)
{
    chooseCharacters("paris");
    EXPECT_EQ(control<QLineEdit>("EditCaractersQuiz")->text(), " Chosen characters");
    item("MenuQuizPseudorandom")->trigger(); // each of the five exactly once
    EXPECT_EQ(control<QLabel>("LabelOccurence")->text(), "(Equal occurrence)");
    control<QSpinBox>("SpinEditQuizNumber")->setValue(5);
    delay->setValue(1);
    EXPECT_EQ(control<QLineEdit>("EditDelay")->text(), "0.2");

    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_TRUE(ok->isHidden());
    EXPECT_FALSE(stop->isHidden());
    EXPECT_FALSE(control<QWidget>("Editcaractere")->isEnabled());
    std::string results;
    for (int i = 0; i < 5; ++i) {
        const std::string c = asked();
        ASSERT_EQ(c.size(), 1u);
        if (i < 2) {
            answerRight();
            EXPECT_FALSE(control<QLabel>("VisageHa")->isHidden());
            // A click on a face covers the faces; a click on the cover shows them again.
            auto *cover = control<QLabel>("VisageNoir");
            QTest::mouseClick(control<QLabel>("VisageHa"), Qt::LeftButton);
            EXPECT_FALSE(cover->isHidden());
            QTest::mouseClick(cover, Qt::LeftButton);
            EXPECT_TRUE(cover->isHidden());
        } else if (i == 2) {
            answerWith(c == "p" ? QStringLiteral("s") : QStringLiteral("p"));
            EXPECT_FALSE(control<QLabel>("VisageHo")->isHidden());
        } else {
            answerWith({}); // left to time out
        }
        results += c;
    }
    // The series ends by itself half a second after its last judgement.
    ASSERT_TRUE(testsupport::waitFor([this] { return !ok->isHidden(); }));
    EXPECT_FALSE(Form1->Engine.QuizSeriesPlaying);
    EXPECT_EQ(control<QLineEdit>("EditMark")->text(), "2/5 = 40%");
    std::string missed = results.substr(2);
    std::sort(missed.begin(), missed.end());
    EXPECT_EQ(cp1252::fromQString(control<QLineEdit>("EditRevise")->text()), missed);
    EXPECT_TRUE(control<QWidget>("Editcaractere")->isEnabled()) << "the typing box is usable after a series";
    EXPECT_FALSE(Form1->ButtonQuitter->isHidden());

    QTest::mouseClick(control<QPushButton>("ButtonDetailedReport"), Qt::LeftButton);
    ASSERT_TRUE(FormReport->isVisible());
    auto *grid = FormReport->findChild<QTableWidget *>(QStringLiteral("StringGridReport"));
    ASSERT_TRUE(grid);
    ASSERT_EQ(grid->rowCount(), 5);
    EXPECT_EQ(FormReport->findChild<QLabel *>(QStringLiteral("Label1"))->text(), " Chosen characters");
    EXPECT_EQ(FormReport->findChild<QLabel *>(QStringLiteral("Label2"))->text(), "(Equal occurrence)");
    const QString speed = FormReport->findChild<QLabel *>(QStringLiteral("StaticTextQuizVitesse"))->text();
    EXPECT_TRUE(speed.startsWith("You answer at a speed of about ") && speed.endsWith(" wpm")) << speed.toStdString();
    EXPECT_EQ(grid->horizontalHeaderItem(4)->text(), "Success (%)");
    EXPECT_EQ(grid->columnWidth(1), 96);
    std::string order;
    for (int r = 0; r < 5; ++r) {
        const std::string c = cp1252::fromQString(grid->item(r, 0)->text());
        order += c;
        const bool right = results.find(c) < 2;
        EXPECT_EQ(grid->item(r, 2)->text(), "1") << c;
        EXPECT_EQ(grid->item(r, 3)->text(), right ? "0" : "1") << c;
        EXPECT_EQ(grid->item(r, 4)->text(), right ? "100" : "0") << c;
    }
    EXPECT_EQ(order, "aiprs") << "the report opens sorted A-Z";
    EXPECT_EQ(grid->item(2, 1)->text(), " .  _  _  .  ");
    // Lowest success first: the three missed ones, in their A-Z order.
    QTest::mouseClick(FormReport->findChild<QWidget *>(QStringLiteral("SpeedButtonTriMinMax")), Qt::LeftButton);
    EXPECT_EQ(grid->item(0, 4)->text(), "0");
    EXPECT_EQ(grid->item(4, 4)->text(), "100");
    EXPECT_TRUE(messages.empty());

    // Its columns follow the enlargement (74 x 1.25 = 92.5, halves to even).
    FormReport->hide();
    item("MenuAgrandir125")->trigger();
    QTest::mouseClick(control<QPushButton>("ButtonDetailedReport"), Qt::LeftButton);
    EXPECT_EQ(grid->columnWidth(1), 120);
    EXPECT_EQ(grid->columnWidth(2), 92);
    item("MenuAgrandir100")->trigger();

    // The next question hides the report again.
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_FALSE(FormReport->isVisible());
}

TEST_F(QuizWindow, AStopDuringTheAnswerTimeCountsNoQuestion)
{
    chooseCharacters("kmr");
    control<QCheckBox>("CheckBoxAbortDelay")->setChecked(true); // judged a quarter second after typing
    delay->setValue(quiz::DelaySteps);
    QTest::mouseClick(control<QPushButton>("ButtonResetReport"), Qt::LeftButton);
    QTest::mouseClick(ok, Qt::LeftButton);
    answerRight();
    answerRight();
    fake().finishAll(); // the third question has been heard: its answer time runs
    ASSERT_TRUE(Form1->TimerQuiz->isActive());
    QTest::mouseClick(stop, Qt::LeftButton);
    fake().finishAll();
    EXPECT_FALSE(ok->isHidden());
    EXPECT_FALSE(Form1->TimerQuiz->isActive());
    QTest::mouseClick(ok, Qt::LeftButton);
    answerRight();
    EXPECT_EQ(control<QLineEdit>("EditMark")->text(), "3/3 = 100%");

    // Stop while the question is still being sent counts it neither.
    QTest::mouseClick(stop, Qt::LeftButton);
    fake().finishAll();
    QTest::mouseClick(ok, Qt::LeftButton);
    answerWith(QStringLiteral("x"));
    EXPECT_EQ(control<QLineEdit>("EditMark")->text(), "3/4 = 75%");
}

// A question whose sound the device dropped (a stalled or lost sound server) was never heard:
// it is sent again, and neither its answer time nor its judgement comes before it is heard.
TEST_F(QuizWindow, AQuestionWhoseSoundWasDroppedIsSentAgainAndJudgedOnlyOnceHeard)
{
    chooseCharacters("k");
    control<QCheckBox>("CheckBoxAbortDelay")->setChecked(true);
    QTest::mouseClick(control<QPushButton>("ButtonResetReport"), Qt::LeftButton);
    QTest::mouseClick(ok, Qt::LeftButton);
    const std::size_t sent = fake().written.size();
    ASSERT_TRUE(fake().dropNext());
    QTest::qWait(20);
    EXPECT_FALSE(Form1->TimerQuiz->isActive());
    ASSERT_EQ(fake().written.size(), sent + 1) << "the question is not sent again";
    EXPECT_EQ(fake().written.back().values, fake().written[sent - 1].values);
    EXPECT_EQ(judged(), 0);
    answerRight();
    EXPECT_EQ(control<QLineEdit>("EditMark")->text(), "1/1 = 100%");
    ASSERT_EQ(QuizState().Results.rows().size(), 1u);
    EXPECT_EQ(QuizState().Results.rows()[0].played, 1);
}

TEST_F(QuizWindow, VariableSpeedFollowsTheStreaksUnlessTheSpeedIsLocked)
{
    chooseCharacters("e");
    control<QCheckBox>("CheckBoxAbortDelay")->setChecked(true);
    auto *variable = control<QCheckBox>("CheckBoxVitMod");
    auto *variableDelay = control<QCheckBox>("CheckBoxDelayAdjust");
    EXPECT_FALSE(variableDelay->isEnabled());
    QTest::mouseClick(variable, Qt::LeftButton);
    EXPECT_TRUE(variableDelay->isEnabled());
    auto *speed = control<QSpinBox>("UpDownVitesse");
    speed->setValue(12);
    QTest::mouseClick(ok, Qt::LeftButton);
    for (int i = 0; i < 5; ++i)
        answerRight();
    EXPECT_EQ(speed->value(), 13);
    EXPECT_EQ(Form1->EngineTiming.Speed(), 13);
    answerWith(QStringLiteral("t"));
    EXPECT_EQ(speed->value(), 12);

    // The instructor's fixed speed: the streaks leave it alone.
    SetOptionLocked(InstructorLock::FixedSpeed, true);
    answerWith(QStringLiteral("t"));
    EXPECT_EQ(Form1->EngineTiming.Speed(), 12);
    SetOptionLocked(InstructorLock::FixedSpeed, false);
}

TEST_F(QuizWindow, TheSettingsKeysComeBackAsTheyWereRead)
{
    auto read = [](std::initializer_list<std::string> lines) {
        std::string file = "[KESTRELON 5.2.9]\r\n";
        for (const std::string &line : lines)
            file += line + "\r\n";
        Settings().read(settings::ParseLines(file));
        RunModuleSteps(ModuleStep::QuizOccurrenceLabel);
    };
    read({"DELAY=0.2", "QUIZ_COUNT=5", "QUIZPSEUDO=1", "SPEED_ADJUST=ON", "DELAY_ADJUST=ON", "RESUMEDELAY=2",
          "QUIZOKDELAY=30", "QUIZMASK=1", "QUIZERROR=1", "ABORTDELAY=1"});
    EXPECT_EQ(control<QLineEdit>("EditDelay")->text(), "0.2");
    EXPECT_EQ(Form1->TimerQuiz->interval(), 200);
    EXPECT_EQ(control<QSpinBox>("SpinEditQuizNumber")->value(), 5);
    EXPECT_EQ(control<QLabel>("LabelOccurence")->text(), "(Equal occurrence)");
    EXPECT_TRUE(control<QCheckBox>("CheckBoxDelayAdjust")->isEnabled());
    EXPECT_TRUE(item("MenuReprise2s")->isChecked());
    EXPECT_TRUE(item("MenuQuizReprise")->isChecked());
    EXPECT_TRUE(item("MenuQuizDelaiOK30")->isChecked());
    EXPECT_TRUE(item("PopQuiz3")->isChecked());
    EXPECT_TRUE(item("MenuQUIZdelaiOK")->isChecked());
    std::vector<std::string> written;
    for (const settings::Line &line : Settings().write())
        written.push_back(line.key + line.value);
    for (const char *line : {"DELAY=0.2", "QUIZ_COUNT=5", "QUIZPSEUDO=1", "SPEED_ADJUST=ON", "DELAY_ADJUST=ON",
                             "RESUMEDELAY=2", "QUIZOKDELAY=30", "QUIZMASK=1", "QUIZERROR=1", "ABORTDELAY=1"})
        EXPECT_NE(std::find(written.begin(), written.end(), line), written.end()) << line;

    // Values no step or range has change nothing or are held to the range.
    read({"DELAY=3.0", "QUIZ_COUNT=5000"});
    EXPECT_EQ(control<QLineEdit>("EditDelay")->text(), "0.2");
    EXPECT_EQ(control<QSpinBox>("SpinEditQuizNumber")->value(), 1000);
}

TEST_F(QuizWindow, TheReportIsSavedInTheDataFolderAndAFailureIsSaid)
{
    chooseCharacters("a");
    control<QCheckBox>("CheckBoxAbortDelay")->setChecked(true);
    QuizReportClock() = [] { return QDateTime(QDate(2025, 3, 3), QTime(9, 5)); };
    QTest::mouseClick(ok, Qt::LeftButton);
    answerRight();
    answerWith(QStringLiteral("e"));
    QTest::mouseClick(stop, Qt::LeftButton);
    fake().finishAll();
    QTest::mouseClick(control<QPushButton>("ButtonDetailedReport"), Qt::LeftButton);
    auto *save = FormReport->findChild<QWidget *>(QStringLiteral("SpeedButtonSave"));
    ASSERT_TRUE(save);

    QTest::mouseClick(save, Qt::LeftButton);
    const QString path = QDir(DataFolder()).filePath(QStringLiteral("QUIZ_202503030905.txt"));
    ASSERT_TRUE(testsupport::waitFor([this] { return !messages.empty(); }));
    EXPECT_EQ(messages.back(), "Saved as " + path.toStdString());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), "KESTRELON QUIZ 2025/03/03 09:05\r\n"
                                            "Characters\tCode\tPlayed\tErrors\tSuccess (%)\r\n"
                                            "a\t .  _  \t2\t1\t50\r\n");
    file.close();

    // No folder can be made where a file stands (not even by the superuser): the error, no file.
    QuizReportClock() = [] { return QDateTime(QDate(2025, 3, 3), QTime(9, 6)); };
    ASSERT_TRUE(QDir(DataFolder()).removeRecursively());
    QFile blocker(DataFolder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QTest::mouseClick(save, Qt::LeftButton);
    ASSERT_TRUE(testsupport::waitFor([this] { return messages.size() == 2; }));
    EXPECT_EQ(messages.back(), "Can't create Quiz file");
    EXPECT_EQ(QFileInfo(DataFolder()).size(), 0);
    ASSERT_TRUE(QFile::remove(DataFolder()));
    ASSERT_TRUE(QDir().mkpath(DataFolder()));

    // A cleared report saves nothing and says nothing.
    QTest::mouseClick(control<QPushButton>("ButtonResetReport"), Qt::LeftButton);
    EXPECT_FALSE(FormReport->isVisible());
    EXPECT_TRUE(control<QLineEdit>("EditMark")->text().isEmpty());
    QuizReportClock() = [] { return QDateTime(QDate(2025, 3, 3), QTime(9, 7)); };
    SpeedButtonSaveClick();
    QTest::qWait(50);
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_FALSE(QFile::exists(QDir(DataFolder()).filePath(QStringLiteral("QUIZ_202503030907.txt"))));
}

TEST_F(QuizWindow, TheCountDownAndEnterStartAndEnterStopsWhenAskedTo)
{
    chooseCharacters("t");
    // Ctrl + click on PLAY opens the count-down menu instead of starting.
    QTest::mouseClick(ok, Qt::LeftButton, Qt::ControlModifier);
    auto *popup = control<QMenu>("PopQuizOK");
    ASSERT_TRUE(testsupport::waitFor([popup] { return popup->isVisible(); }));
    EXPECT_FALSE(Form1->Engine.QuizSeriesPlaying);
    item("PopQuiz1")->trigger();
    popup->close();
    EXPECT_TRUE(item("menuQUIZdelaiOK10")->isChecked());
    EXPECT_TRUE(item("MenuQUIZdelaiOK")->isChecked());

    ok->setFocus();
    QTest::keyClick(ok, Qt::Key_Return);
    EXPECT_FALSE(control<QLabel>("ImageChronoQuiz1")->isHidden());
    EXPECT_TRUE(ok->isHidden());
    EXPECT_TRUE(stop->isHidden());
    EXPECT_FALSE(Form1->RadioButtonRandom->isEnabled()) << "no mode may start during the count-down";
    EXPECT_EQ(fake().queued(), 0u);
    ASSERT_TRUE(testsupport::waitFor([] { return fake().queued() > 0; }, 5000));
    EXPECT_TRUE(control<QLabel>("ImageChronoQuiz1")->isHidden());
    EXPECT_FALSE(stop->isHidden());

    // Enter on the answer field acts only with "Enter key stops Random and Quiz modes".
    QTest::keyClick(answer, Qt::Key_Return);
    EXPECT_TRUE(Form1->Engine.QuizSeriesPlaying);
    item("MenuDiversEnter")->setChecked(true);
    QTest::keyClick(answer, Qt::Key_Return);
    EXPECT_FALSE(Form1->Engine.QuizSeriesPlaying);
    fake().finishAll();
    EXPECT_FALSE(ok->isHidden());
    item("MenuDiversEnter")->setChecked(false);
    item("menuQUIZdelaiOK00")->trigger();
    EXPECT_FALSE(item("MenuQUIZdelaiOK")->isChecked());
}

TEST_F(QuizWindow, StopDuringThePauseAfterAWrongAnswerAsksNothingMore)
{
    chooseCharacters("t");
    item("MenuReprise1s")->trigger();
    EXPECT_TRUE(item("MenuQuizReprise")->isChecked());
    control<QCheckBox>("CheckBoxAbortDelay")->setChecked(true);
    QTest::mouseClick(ok, Qt::LeftButton);
    answerWith(QStringLiteral("e"));
    EXPECT_EQ(QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : Qt::ArrowCursor,
              Qt::WaitCursor);
    EXPECT_EQ(fake().queued(), 0u) << "the next question waits for the pause";
    QTest::mouseClick(stop, Qt::LeftButton);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    const std::size_t sent = fake().written.size();
    QTest::qWait(1300);
    EXPECT_EQ(fake().written.size(), sent);
    EXPECT_FALSE(Form1->Engine.QuizSeriesPlaying);
    EXPECT_EQ(QuizState().Asked, 1);
    item("MenuReprise0s")->trigger();
    EXPECT_FALSE(item("MenuQuizReprise")->isChecked());
}

TEST_F(QuizWindow, AnEmptySetIsRefused)
{
    item("MenuLocal")->trigger(); // no local characters
    QTest::mouseClick(ok, Qt::LeftButton);
    ASSERT_TRUE(testsupport::waitFor([this] { return !messages.empty(); }));
    EXPECT_EQ(messages.front(), "No morse characters to play !");
    EXPECT_FALSE(ok->isHidden());
    EXPECT_FALSE(Form1->Engine.QuizSeriesPlaying);
    EXPECT_TRUE(Form1->Engine.PlayQueue.empty());
}
