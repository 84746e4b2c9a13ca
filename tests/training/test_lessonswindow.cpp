// Lessons and the exam in the program's own window: the lesson list of the choice panel, the
// lesson settings and import panels, the settings keys, and the exam's phases, pauses and
// pause window, driven as a user would (fake sound output, seeded generator, a clock of the
// test's own for the pauses).

#include "tests/common/testsupport.h"
#include "tests/training/windowhelpers.h"

#include "engine/cp1252.h"
#include "engine/random.h"
#include "shell/formdialog.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"
#include "shell/opendialogs.h"
#include "shell/settingskeys.h"
#include "shell/sidewindows.h"
#include "shell/soundengine.h"
#include "shell/startup.h"
#include "shell/utilities.h"
#include "training/exam.h"
#include "training/examcore.h"
#include "training/lessons.h"
#include "training/random.h"
#include "training/randomsets.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

using namespace windowtest;

std::string text(const QString &shown)
{
    return cp1252::fromQString(shown);
}

class LessonsWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FakeSoundInstalled);
        TerminateApplication = [] {};
        ASSERT_TRUE(CreateAllWindows());
        Form1->show();
        SoundEngine().Timings.setStartSilence(0);
        RandomSeed(11);
        ClickButton(Form1->RadioButtonRandom);
        box = control<QComboBox>("BoxCaracteresChoix");
        list = control<QListView>("BoxCaracteresChoixList");
        memo = control<QPlainTextEdit>("MemoRandom");
        ASSERT_TRUE(box && list && memo);
        // Messages are answered as they come (questions with `answer`); their texts are kept.
        catcher = std::make_unique<QTimer>();
        QObject::connect(catcher.get(), &QTimer::timeout, catcher.get(), [this] {
            if (!FormDialog || !FormDialog->isVisible())
                return;
            messages.push_back(DialogText);
            if (FormDialog->ButtonYes->isVisible())
                answer == 1 ? FormDialog->ButtonYesClick() : FormDialog->ButtonNoClick();
            else
                FormDialog->ButtonOKClick();
        });
        catcher->start(5);
    }
    void TearDown() override
    {
        catcher.reset();
        fileDialog.reset();
        if (Form1 && Form1->Engine.RandomPlaying)
            BitBtnStopRandomClick();
        if (Form1)
            fake().finishAll();
    }

    std::vector<std::string> written(const std::string &key)
    {
        std::vector<std::string> values;
        for (const settings::Line &line : Settings().write()) {
            if (line.key == key)
                values.push_back(line.value);
        }
        return values;
    }

    std::vector<std::string> boxItems() const
    {
        std::vector<std::string> items;
        for (int i = 0; i < box->count(); ++i)
            items.push_back(text(box->itemText(i)));
        return items;
    }
    void openChoice() { item("MenuChoixCaracteres")->trigger(); }
    void doubleClickItem(int row)
    {
        QApplication::processEvents();
        const QRect at = list->visualRect(list->model()->index(row, 0));
        // A double click comes after the first click of the pair.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at.center());
    }
    void rightClickItem(int row)
    {
        const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list->viewport(), &event);
    }
    void wheel(int delta)
    {
        QWheelEvent event(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(box, &event);
    }
    std::string memoText() const { return text(memo->toPlainText()); }

    // The next file dialog is answered with this path.
    void answerFileDialog(const QString &path) { fileDialog = std::make_unique<FileDialogAnswer>(path); }
    QString writeFile(const char *name, const std::string &bytes)
    {
        const QString path = folder.filePath(QString::fromLatin1(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return path;
    }

    QComboBox *box = nullptr;
    QListView *list = nullptr;
    QPlainTextEdit *memo = nullptr;
    QTemporaryDir folder;
    std::vector<std::string> messages;
    int answer = 1;
    std::unique_ptr<QTimer> catcher;
    std::unique_ptr<FileDialogAnswer> fileDialog;
};

} // namespace

// ---- Lessons ----------------------------------------------------------------------------------

TEST_F(LessonsWindow, AQuickSeriesOfAChosenKochLessonHoldsOnlyItsCharacters)
{
    openChoice();
    EXPECT_EQ(text(control<QLabel>("Label3")->text()).substr(0, 7), "#01 #02");
    EXPECT_EQ(boxItems()[0], "endx0") << "the local set at start";
    doubleClickItem(1);
    EXPECT_EQ(text(control<QLabel>("PanelRandomLesson")->text()), " Lesson #2 (local)");
    openChoice();
    control<QPushButton>("ButtonSetLesson")->click();
    auto *koch = control<QCheckBox>("CheckBoxKOCH");
    QTest::mouseClick(koch, Qt::LeftButton);
    EXPECT_FALSE(control<QCheckBox>("CheckBoxLOCAL")->isChecked());
    EXPECT_EQ(text(control<QLabel>("LabelCurrentLessonSet")->text()), "The current set of lessons is: KOCH");
    control<QPushButton>("ButtonLocalLessonExit")->click();
    EXPECT_TRUE(control<QWidget>("PanelLocalLesson")->isHidden());
    EXPECT_EQ(boxItems()[0], "km");
    EXPECT_EQ(boxItems()[4], "kmrsua");
    EXPECT_EQ(text(control<QLabel>("PanelRandomLesson")->text()), " Lesson #1 (Koch)");

    openChoice();
    doubleClickItem(4);
    EXPECT_TRUE(control<QWidget>("PanelChoixRandom")->isHidden());
    EXPECT_EQ(text(control<QLabel>("PanelRandomLesson")->text()), " Lesson #5 (Koch)");

    control<QSpinBox>("SpinEditRandomNumber")->setValue(500);
    item("MenuQuickRandom")->trigger();
    const QString path = folder.filePath(QStringLiteral("series.txt"));
    answerFileDialog(path);
    item("SaveMemoRandom1")->trigger();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "nothing saved";
    const std::string saved = file.readAll().toStdString();
    int characters = 0;
    for (char c : saved) {
        if (c == ' ' || c == '\r' || c == '\n')
            continue;
        ++characters;
        EXPECT_NE(std::string("KMRSUA").find(c), std::string::npos) << c;
    }
    EXPECT_EQ(characters, 500);
    EXPECT_TRUE(messages.empty());
}

TEST_F(LessonsWindow, PagesTurnByButtonsKeysAndWheelAndARightClickEditsTheLesson)
{
    auto *plus = control<QToolButton>("SpeedButtonChoixPlus");
    auto *minus = control<QToolButton>("SpeedButtonChoixMoins");
    auto *label = control<QLabel>("Label3");
    openChoice();
    EXPECT_FALSE(minus->isEnabled());
    QTest::mouseClick(plus, Qt::LeftButton);
    EXPECT_EQ(LessonPage(), 2);
    EXPECT_EQ(text(label->text()).substr(0, 3), "#21");
    EXPECT_TRUE(minus->isEnabled() && plus->isEnabled());
    EXPECT_EQ(box->currentIndex(), 0);
    QTest::mouseClick(plus, Qt::LeftButton);
    EXPECT_FALSE(plus->isEnabled());
    EXPECT_EQ(boxItems()[10], "aten");

    // Down on the last lesson of page 3 stays; Up on the first goes back a page, to its end.
    box->setCurrentIndex(19);
    QTest::keyClick(box->lineEdit(), Qt::Key_Down);
    EXPECT_EQ(LessonPage(), 3);
    EXPECT_EQ(box->currentIndex(), 19);
    box->setCurrentIndex(0);
    QTest::keyClick(box->lineEdit(), Qt::Key_Up);
    EXPECT_EQ(LessonPage(), 2);
    EXPECT_EQ(box->currentIndex(), 19);
    QTest::keyClick(box->lineEdit(), Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(LessonPage(), 1);
    EXPECT_EQ(box->currentIndex(), 0);
    QTest::keyClick(box->lineEdit(), Qt::Key_Down);
    EXPECT_EQ(box->currentIndex(), 1) << "inside a page the box moves as usual";
    EXPECT_EQ(text(box->currentText()), "tawp1");

    // The wheel: away from the user is up; across the page's end to the next page.
    wheel(120);
    EXPECT_EQ(box->currentIndex(), 0);
    wheel(120);
    EXPECT_EQ(LessonPage(), 1) << "nothing before the first lesson";
    box->setCurrentIndex(19);
    wheel(-120);
    EXPECT_EQ(LessonPage(), 2);
    EXPECT_EQ(box->currentIndex(), 0);

    // Cancel puts back the page the panel opened on.
    control<QPushButton>("ButtonCancelChoix")->click();
    EXPECT_EQ(LessonPage(), 1);
    EXPECT_EQ(text(label->text()).substr(0, 3), "#01");

    // A click remembers the lesson; the right click opens its settings.
    openChoice();
    QTest::mouseClick(plus, Qt::LeftButton);
    QTest::mouseClick(plus, Qt::LeftButton);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(12, 0)).center());
    rightClickItem(12);
    EXPECT_FALSE(control<QWidget>("PanelLocalLesson")->isHidden());
    EXPECT_TRUE(control<QWidget>("PanelChoixRandom")->isHidden());
    EXPECT_EQ(control<QLineEdit>("EditNumeroLesson")->text(), "53");
    EXPECT_EQ(text(control<QLineEdit>("EditCaractereLesson")->text()), "atenois14lrhd25");
}

// The middle of each line of text in a picture of a control, top to bottom.
std::vector<int> textLineMiddles(const QImage &picture)
{
    std::vector<int> middles;
    int first = -1;
    for (int y = 0; y <= picture.height(); ++y) {
        bool ink = false;
        for (int x = 0; y < picture.height() && x < picture.width() && !ink; ++x)
            ink = qGray(picture.pixel(x, y)) < 128;
        if (ink && first < 0)
            first = y;
        if (!ink && first >= 0) {
            middles.push_back((first + y - 1) / 2);
            first = -1;
        }
    }
    return middles;
}

// An enlargement never chooses for the user: the blank box stays blank with no lesson
// selected, so the wheel starts at the first lesson; and each lesson number faces its row.
TEST_F(LessonsWindow, AtEveryStepTheBlankBoxStaysBlankAndEachLessonNumberFacesItsLesson)
{
    auto *label = control<QLabel>("Label3");
    ASSERT_TRUE(label);
    openChoice();
    for (int percent : {150, 175, 200, 125, 100}) {
        SCOPED_TRACE(percent);
        ASSERT_TRUE(ClickMenuItem(item(("MenuAgrandir" + std::to_string(percent)).c_str())));
        QApplication::processEvents();
        EXPECT_EQ(box->lineEdit()->text(), QStringLiteral(" "));
        EXPECT_EQ(box->currentIndex(), -1);
        EXPECT_TRUE(written("CHOSEN_CHAR=").empty());

        const std::vector<int> numbers = textLineMiddles(label->grab().toImage());
        ASSERT_EQ(numbers.size(), 20u);
        for (int row = 0; row < 20; ++row) {
            const QRect item = list->visualRect(list->model()->index(row, 0));
            const int middle = list->viewport()->mapTo(label->parentWidget(), item.center()).y() - label->y();
            EXPECT_NEAR(numbers[static_cast<std::size_t>(row)], middle, item.height() / 4) << "#" << row + 1;
            // The row holds its font's whole height: no descender is cut.
            EXPECT_GE(item.height(), list->fontMetrics().height());
        }
    }
    wheel(-120);
    EXPECT_EQ(box->currentIndex(), 0);
    EXPECT_EQ(text(box->currentText()), "endx0");
}

TEST_F(LessonsWindow, TheListHighlightsTheLessonTheBoxHoldsAfterTheSettingsExitAndAfterCancel)
{
    // The one row shown selected, -1 for none.
    auto highlighted = [this] {
        const QModelIndexList rows = list->selectionModel()->selectedRows();
        if (rows.isEmpty())
            return -1;
        return rows.size() == 1 && rows[0] == list->currentIndex() ? rows[0].row() : -2;
    };
    auto clickItem = [this](int row) {
        const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    };
    openChoice();
    EXPECT_EQ(highlighted(), -1) << "no lesson chosen yet";
    clickItem(18);
    EXPECT_EQ(highlighted(), 18);
    // The Koch set chosen: page 1, its first lesson applied and highlighted.
    control<QPushButton>("ButtonSetLesson")->click();
    QTest::mouseClick(control<QCheckBox>("CheckBoxKOCH"), Qt::LeftButton);
    control<QPushButton>("ButtonLocalLessonExit")->click();
    EXPECT_EQ(text(control<QLabel>("PanelRandomLesson")->text()), " Lesson #1 (Koch)");
    openChoice();
    EXPECT_EQ(text(box->currentText()), "km");
    EXPECT_EQ(highlighted(), 0);

    // A lesson clicked and then cancelled: the lesson of before is highlighted again.
    clickItem(5);
    control<QPushButton>("ButtonCancelChoix")->click();
    openChoice();
    EXPECT_EQ(box->currentIndex(), 0);
    EXPECT_EQ(highlighted(), 0);
}

TEST_F(LessonsWindow, TheToolsMenuOffersTheLessonItemsBeforeItEndsWithQuit)
{
    const QList<QAction *> tools = Form1->MenuOutils->actions();
    ASSERT_FALSE(tools.isEmpty());
    EXPECT_EQ(tools.back(), Form1->MenuOutilsQuit);
    for (const char *name : {"MenuLocallesson", "MenuImportlessons"}) {
        QAction *lessonItem = item(name);
        EXPECT_TRUE(tools.contains(lessonItem)) << name;
        EXPECT_LT(tools.indexOf(lessonItem), tools.indexOf(Form1->MenuOutilsQuit)) << name;
    }
}

TEST_F(LessonsWindow, TheLessonSettingsEditAndChooseTheSetAndCancelPutsItBack)
{
    item("MenuLocallesson")->trigger();
    auto *number = control<QLineEdit>("EditNumeroLesson");
    auto *lesson = control<QLineEdit>("EditCaractereLesson");
    auto *enter = control<QPushButton>("ButtonLocalLessonEnter");
    EXPECT_FALSE(control<QWidget>("ButtonQuizOK") && control<QWidget>("ButtonQuizOK")->isEnabled());

    QTest::keyClicks(number, "3");
    EXPECT_EQ(text(lesson->text()), "endx0tawp1");
    lesson->clear();
    QTest::keyClicks(lesson, "A b C");
    EXPECT_EQ(text(lesson->text()), "abc") << "blanks removed while typed, lower case";
    QTest::mouseClick(enter, Qt::LeftButton);
    EXPECT_EQ(LocalLessons()[2], "abc");
    EXPECT_EQ(boxItems()[2], "abc");
    EXPECT_TRUE(number->hasSelectedText());

    number->setText(QStringLiteral("25"));
    QTest::keyClicks(lesson, "xyz");
    lesson->clear();
    QTest::mouseClick(enter, Qt::LeftButton);
    EXPECT_EQ(LocalLessons()[24], " ");
    number->setText(QStringLiteral("61"));
    EXPECT_TRUE(number->text().isEmpty()) << "a number beyond 60 is refused";
    QTest::mouseClick(enter, Qt::LeftButton);
    EXPECT_EQ(LocalLessons()[24], " ");

    // The Koch order rebuilds the Koch lessons as it is typed; Cancel puts order and set back.
    auto *order = control<QLineEdit>("editkochlist");
    order->setText(QStringLiteral("ABC"));
    EXPECT_EQ(text(order->text()), "abc");
    EXPECT_EQ(KochLessons()[1], "abc");
    QTest::mouseClick(control<QCheckBox>("CheckBoxKOCH"), Qt::LeftButton);
    control<QPushButton>("BitBtnCancelKOCH")->click();
    EXPECT_TRUE(control<QWidget>("PanelLocalLesson")->isHidden());
    EXPECT_FALSE(control<QCheckBox>("CheckBoxKOCH")->isChecked());
    EXPECT_EQ(text(order->text()), "kmrsuaptlowi.njef0y,vg5/q9zh38b?427c1d6x=+>");
    EXPECT_EQ(KochLessons()[41].size(), 43u);
    EXPECT_EQ(boxItems()[2], "abc") << "a lesson entered stays after Cancel";

    // With the Koch set and no order, Exit keeps the panel open.
    item("MenuLocallesson")->trigger();
    QTest::mouseClick(control<QCheckBox>("CheckBoxLOCAL"), Qt::LeftButton);
    EXPECT_TRUE(control<QCheckBox>("CheckBoxKOCH")->isChecked());
    order->setText(QStringLiteral("   "));
    EXPECT_TRUE(order->text().isEmpty());
    control<QPushButton>("ButtonKochExit")->click();
    EXPECT_FALSE(control<QWidget>("PanelLocalLesson")->isHidden());
    control<QPushButton>("BitBtnDefaultKoch")->click();
    control<QPushButton>("ButtonKochExit")->click();
    EXPECT_TRUE(control<QWidget>("PanelLocalLesson")->isHidden());
    EXPECT_EQ(boxItems()[0], "km");

    // Reset, after its question, gives the default local lessons back.
    item("MenuLocallesson")->trigger();
    QTest::mouseClick(control<QCheckBox>("CheckBoxLOCAL"), Qt::LeftButton);
    control<QToolButton>("SpeedButtonResetLessons")->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "WARNING:\r\nThis action will delete all local lessons and reset default lessons\r\n"
                           "Are you sure you want to do this ?");
    EXPECT_EQ(LocalLessons()[2], "endx0tawp1");
    EXPECT_FALSE(control<QWidget>("PanelChoixRandom")->isHidden()) << "the choice opens";
    EXPECT_EQ(boxItems()[0], "endx0");
}

TEST_F(LessonsWindow, AnImportedFileIsReadStoppedAtATooLongLineAndPlacedFromItsStart)
{
    const QString path = writeFile("lessons.txt", "// my lessons\r\n  a b c  \r\n\r\nDEF\r\nabc\r\n" + std::string(56, 'x')
                                                      + "\r\nghi\r\n");
    int asked = 0;
    OpenFileDialogRunner() = [&asked, path](QFileDialog &) {
        ++asked;
        return std::optional<QString>(path);
    };
    item("MenuImportlessons")->trigger();
    auto *memoImport = control<QPlainTextEdit>("MemoImportLessons");
    auto *start = control<QLineEdit>("EditImportLessonNum");
    auto *ok = control<QPushButton>("BitBtnOKImportLessons");
    control<QPushButton>("BitBtnImportLessons")->click();
    ASSERT_EQ(asked, 1);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].substr(0, 9), "WARNING :") << "the ANSI warning first";
    EXPECT_EQ(messages[1], "Maximum lesson length is 55 characters");
    EXPECT_EQ(text(memoImport->toPlainText()), "abc\nDEF\nabc") << "each line keeps its own case";

    // Three lessons fit from 58 at most; the Koch set on page 3 does not show local lessons.
    readSettings({"KOCHCHOICE=Y", "PAGE=3"});
    const auto kochPage = boxItems();
    start->setText(QStringLiteral("59"));
    ok->click();
    EXPECT_TRUE(start->text().isEmpty()) << "a bad start is emptied after the label flashed";
    EXPECT_EQ(LocalLessons()[58], "atenois14lrhd25ucmw36?fy,pgq79/bvkj80");
    start->setText(QStringLiteral("58"));
    ok->click();
    EXPECT_TRUE(control<QWidget>("PanelImportLessons")->isHidden());
    EXPECT_EQ(LocalLessons()[57], "abc");
    EXPECT_EQ(LocalLessons()[58], "DEF");
    EXPECT_EQ(LocalLessons()[59], "abc");
    EXPECT_EQ(boxItems(), kochPage);
    EXPECT_TRUE(memoImport->toPlainText().isEmpty());

    // OK with nothing imported; a file that cannot be read.
    item("MenuImportlessons")->trigger();
    ok->click();
    OpenFileDialogRunner() = [this](QFileDialog &) { return std::optional<QString>(folder.filePath("none.txt")); };
    control<QPushButton>("BitBtnImportLessons")->click();
    ASSERT_EQ(messages.size(), 5u);
    EXPECT_EQ(messages[2], "Please, import lessons");
    EXPECT_EQ(messages[3], messages[0]) << "the warning until its box is ticked";
    EXPECT_EQ(messages[4], "Ne peut ouvrir le fichier");
    // Nor is one that never ends; a file over the limit holds too many lessons, of which the
    // first sixty are read.
    const std::vector<std::string> endless = testsupport::inputsThatNeverEnd(folder.path(), lessons::MaxImportBytes);
    for (const std::string &path : endless) {
        OpenFileDialogRunner() = [path](QFileDialog &) { return std::optional<QString>(QString::fromStdString(path)); };
        control<QPushButton>("BitBtnImportLessons")->click();
        if (path != endless.back()) {
            EXPECT_EQ(messages.back(), "Ne peut ouvrir le fichier") << path;
            EXPECT_TRUE(memoImport->toPlainText().isEmpty()) << path;
            continue;
        }
        EXPECT_EQ(messages.back(), "The maximum number of lessons is 60");
        const QStringList lines = memoImport->toPlainText().split(QLatin1Char('\n'));
        EXPECT_EQ(lines.size(), 60);
        EXPECT_EQ(lines.constFirst(), QStringLiteral("cq"));
    }

    // A 61st lesson stops the reading; the 60 before it stay.
    std::string many;
    for (int i = 1; i <= 61; ++i)
        many += "l" + std::to_string(i) + "\r\n";
    OpenFileDialogRunner() = [many = writeFile("many.txt", many)](QFileDialog &) { return std::optional<QString>(many); };
    const std::size_t before = messages.size();
    control<QPushButton>("BitBtnImportLessons")->click();
    ASSERT_EQ(messages.size(), before + 2);
    EXPECT_EQ(messages.back(), "The maximum number of lessons is 60");
    EXPECT_EQ(memoImport->blockCount(), 60);
}

TEST_F(LessonsWindow, LessonKeysReadAndWriteTheLessonsTheOrderTheSetAndThePage)
{
    readSettings({"LESSON=ABC #3", "LESSON=abc #61", "LESSON=abc", "LESSON=x #5", "LESSON=y #5", "LESSON=z #41",
                  "LESSON= d e f #6", "LESSON=" + std::string(60, 'q') + " #7", "PAGE=7", "KOCHLIST=KMR",
                  "CHOSEN_CHAR=kmr", "KOCHCHOICE=Y"});
    EXPECT_EQ(LocalLessons()[2], "abc");
    EXPECT_EQ(LocalLessons()[4], "y");
    EXPECT_EQ(LocalLessons()[5], "def") << "a lesson has no blanks";
    EXPECT_EQ(LocalLessons()[6], std::string(55, 'q'));
    EXPECT_EQ(LessonPage(), 1) << "a page beyond 3 is page 1";
    EXPECT_EQ(KochLessons()[0], "km");
    EXPECT_EQ(KochLessons()[1], "kmr");
    EXPECT_TRUE(lessons::IsEmptyLesson(KochLessons()[2]));
    EXPECT_TRUE(control<QCheckBox>("CheckBoxKOCH")->isChecked());
    EXPECT_EQ(text(control<QLabel>("LabelCurrentLessonSet")->text()), "The current set of lessons is: KOCH");
    EXPECT_EQ(boxItems()[1], "kmr");
    EXPECT_EQ(box->currentIndex(), 1) << "the chosen characters are lesson 2";
    EXPECT_EQ(text(control<QLabel>("PanelRandomLesson")->text()), " Lesson #2 (Koch)");

    readSettings({"PAGE=3"});
    EXPECT_EQ(LessonPage(), 3);
    EXPECT_EQ(written("PAGE="), std::vector<std::string>{"3"});
    EXPECT_EQ(written("KOCHLIST="), std::vector<std::string>{"kmr"});
    EXPECT_EQ(written("KOCHCHOICE="), std::vector<std::string>{"Y"});
    const auto lessons = written("LESSON=");
    EXPECT_EQ(lessons.size(), 31u);
    EXPECT_NE(std::find(lessons.begin(), lessons.end(), "abc #3"), lessons.end());
    EXPECT_NE(std::find(lessons.begin(), lessons.end(), "z #41"), lessons.end());
    for (const std::string &line : lessons)
        EXPECT_EQ(line.find(" #25"), std::string::npos);

    // Lessons in the file or not, the checked set keeps its own window: letters stay letters,
    // and all the characters take in a local character read.
    readSettings({"RANDOM=1"});
    EXPECT_EQ(WindowCharacters(Form1->EngineSets).size(), 26u);
    readSettings({"LOCAL_CHAR= \xE4  .-.-", "LESSON=abc #3", "RANDOM=6"});
    EXPECT_EQ(WindowCharacters(Form1->EngineSets).back(), '\xE4');
}

// ---- The exam ------------------------------------------------------------------------------------

namespace {

class ExamWindow : public LessonsWindow {
protected:
    void SetUp() override
    {
        LessonsWindow::SetUp();
        if (HasFatalFailure())
            return;
        ExamPauseClock() = [this] { return now; };
        Form1->Francais1->trigger();
        words = writeFile("mots.txt", "BONJOUR\r\nMORSE\r\nRADIO\r\n");
        Settings().applyValue("LISTW=", text(words));
        play = control<QPushButton>("BitBtnPlayRandom");
        panel = control<QLabel>("PanelExamen");
    }

    // The exam's window: phase after phase, every buffer reported done at once.
    void playPhase()
    {
        QTest::mouseClick(play, Qt::LeftButton);
        fake().finishAll();
    }
    bool pauseShown() const { return FormPause && FormPause->isVisible(); }
    std::string pauseText() const { return text(FormPause->findChild<QLabel *>(QStringLiteral("StaticText1"))->text()); }
    void pauseButton(const char *name) { FormPause->findChild<QPushButton *>(QString::fromLatin1(name))->click(); }
    std::string caption() const { return text(panel->text()); }
    std::vector<std::string> memoLines() const
    {
        std::vector<std::string> lines(1);
        for (char c : memoText()) {
            if (c == '\n')
                lines.emplace_back();
            else
                lines.back() += c;
        }
        return lines;
    }
    // Rejects every file dialog that opens, counting them.
    void rejectFileDialogs()
    {
        closer = std::make_unique<QTimer>();
        QObject::connect(closer.get(), &QTimer::timeout, closer.get(), [this] {
            for (QWidget *window : QApplication::topLevelWidgets()) {
                if (auto *dialog = qobject_cast<QFileDialog *>(window); dialog && dialog->isVisible()) {
                    ++rejected;
                    static_cast<QDialog *>(dialog)->reject();
                }
            }
        });
        closer->start(5);
    }

    exam::PauseCountdown::Clock::time_point now{};
    QString words;
    QPushButton *play = nullptr;
    QLabel *panel = nullptr;
    int rejected = 0;
    std::unique_ptr<QTimer> closer;
};

} // namespace

TEST_F(ExamWindow, AQuickCompleteExamWritesItsThreePhasesAtOnceWithoutAPause)
{
    QTest::keyClick(Form1, Qt::Key_E, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(item("MenuExamComplet")->isChecked());
    EXPECT_TRUE(item("menuExamen")->isChecked());
    EXPECT_FALSE(panel->isHidden());
    EXPECT_EQ(caption(), "Trois Phases (groupes + textes)");
    EXPECT_EQ(control<QSpinBox>("UpDownVitesse")->value(), 12) << "the exam's speed";
    EXPECT_TRUE(item("MenuWordContent")->isChecked());
    EXPECT_TRUE(item("MenuFixedWords5")->isChecked());
    EXPECT_EQ(text(control<QLabel>("PanelRandomLesson")->text()), " Examen France");

    item("MenuQuickRandom")->trigger();
    EXPECT_FALSE(pauseShown());
    EXPECT_TRUE(fake().written.empty()) << "no sound";
    EXPECT_EQ(ExamState().ExamPhase, 0);
    EXPECT_EQ(caption(), "Trois Phases (groupes + textes)");
    const auto lines = memoLines();
    ASSERT_EQ(lines.size(), 6u) << memoText();
    EXPECT_EQ(lines[0], "VVV ");
    EXPECT_EQ(lines[1].substr(lines[1].size() - 3), " + ");
    EXPECT_EQ(lines[2], "VVV ");
    EXPECT_EQ(lines[3].substr(lines[3].size() - 2), " +");
    EXPECT_EQ(lines[4], "VVV ");
    EXPECT_EQ(lines[5].substr(lines[5].size() - 3), " + ");
    EXPECT_TRUE(messages.empty());
}

TEST_F(ExamWindow, TheCaptionHidesNoLineOfTheMemo)
{
    auto *memo = control<QPlainTextEdit>("MemoRandom");
    const auto textTop = [memo, this] { return memo->viewport()->mapTo(panel->parentWidget(), QPoint(0, 0)).y(); };
    item("MenuExamComplet")->trigger();
    ASSERT_TRUE(panel->isVisible());
    item("MenuQuickRandom")->trigger();
    memo->verticalScrollBar()->setValue(0);
    EXPECT_GT(textTop(), panel->geometry().bottom());
    EXPECT_EQ(memoLines().front(), "VVV ");

    // Without the caption the text takes the whole memo again.
    item("MenuLettersFigures")->trigger();
    ASSERT_TRUE(panel->isHidden());
    EXPECT_LT(textTop(), panel->geometry().bottom());
}

TEST_F(ExamWindow, AnExamPausesAfterPhaseOneAndTwoAndGoesOnAtPoursuivreOrAtTheTimeOut)
{
    item("MenuExamComplet")->trigger();
    QTest::mouseClick(play, Qt::LeftButton);
    EXPECT_EQ(caption(), "Phase 1: Echauffement 2 minutes");
    fake().finishAll();
    ASSERT_TRUE(pauseShown());
    EXPECT_EQ(FormPause->windowTitle(), "Pause examen");
    EXPECT_EQ(pauseText(), "Pause 1 minute avant envoi des groupes");

    const std::size_t sounded = fake().written.size();
    pauseButton("BitBtnIgnore");
    EXPECT_FALSE(pauseShown());
    EXPECT_EQ(caption(), "Phase 2: Groupes (150 lettres + 30 chiffres)");
    EXPECT_EQ(fake().written.size(), sounded + 1) << "the groups sound at once";
    fake().finishAll();
    ASSERT_TRUE(pauseShown());
    EXPECT_EQ(pauseText(), "Pause 2 minutes avant envoi du texte");

    // Two minutes on the pause's clock: its next tick starts the last phase.
    now += 119s;
    TimerPauseTimer();
    EXPECT_TRUE(pauseShown());
    now += 1s;
    ASSERT_TRUE(testsupport::waitFor([] { return Form1->Engine.RandomPlaying; }));
    EXPECT_FALSE(pauseShown());
    EXPECT_EQ(caption(), "Phase 3: Texte de 3 minutes");
    fake().finishAll();
    EXPECT_EQ(ExamState().ExamPhase, 0);
    EXPECT_EQ(caption(), "Trois Phases (groupes + textes)");
    const auto lines = memoLines();
    ASSERT_EQ(lines.size(), 6u) << memoText();
    EXPECT_EQ(lines[5].substr(lines[5].size() - 3), " + ");
}

TEST_F(ExamWindow, APauseEndsWithCancelAnotherModeAStopPlayOrItsWindowClosed)
{
    item("MenuExamComplet")->trigger();
    const std::pair<const char *, std::function<void()>> endings[] = {
        {"Abandon", [this] { pauseButton("BitBtnCancel"); }},
        {"another mode", [] { ClickButton(Form1->RadioButtonAlphabet); }},
        {"Stop", [] { SoundEngine().ButtonStopClick(); }},
        {"the window closed", [] { FormPause->close(); }},
    };
    for (const auto &[what, end] : endings) {
        if (!Form1->RadioButtonRandom->isChecked())
            ClickButton(Form1->RadioButtonRandom);
        playPhase();
        ASSERT_TRUE(pauseShown()) << what;
        end();
        EXPECT_FALSE(pauseShown()) << what;
        EXPECT_FALSE(ExamPause().Running()) << what;
        EXPECT_EQ(ExamState().ExamPhase, 0) << what;
        EXPECT_EQ(caption(), " 3 Phases (groupes + textes)") << what;
        // Its time-out starts nothing later.
        now += 200s;
        TimerPauseTimer();
        EXPECT_FALSE(Form1->Engine.RandomPlaying) << what;
    }

    // Play during a pause starts the exam again from its first phase.
    playPhase();
    ASSERT_TRUE(pauseShown());
    QTest::mouseClick(play, Qt::LeftButton);
    EXPECT_FALSE(ExamPause().Running());
    EXPECT_EQ(ExamState().ExamPhase, 1);
    EXPECT_EQ(memoText(), "V") << "the memo cleared, a new warm-up";
    EXPECT_EQ(caption(), "Phase 1: Echauffement 2 minutes");

    // The last phase reads its word file again: gone meanwhile, it is said and nothing starts.
    fake().finishAll();
    pauseButton("BitBtnIgnore");
    fake().finishAll();
    ASSERT_TRUE(pauseShown());
    ASSERT_TRUE(QFile::remove(words));
    messages.clear();
    pauseButton("BitBtnIgnore");
    EXPECT_EQ(messages, std::vector<std::string>{"Impossible d'ouvrir le fichier !"}); // the exam speaks French
    EXPECT_FALSE(Form1->Engine.RandomPlaying);
    EXPECT_TRUE(RandomWordListFile().isEmpty());
}

TEST_F(ExamWindow, APauseComesBackAfterAnEnlargementWithItsTimeLeftAndTypedTextAtItsEndCancelsIt)
{
    item("MenuExamComplet")->trigger();
    playPhase();
    ASSERT_TRUE(pauseShown());
    now += 20s;
    // An enlargement closes the side windows; the pause's comes back, its count going on.
    struct BackTo100 {
        ~BackTo100() { item("MenuAgrandir100")->trigger(); }
    } backTo100;
    item("MenuAgrandir150")->trigger();
    ASSERT_TRUE(testsupport::waitFor([this] { return pauseShown(); }));
    EXPECT_EQ(ExamPause().SecondsLeft(), 40);
    EXPECT_EQ(pauseText(), "Pause 1 minute avant envoi des groupes");
    item("MenuAgrandir100")->trigger();
    ASSERT_TRUE(testsupport::waitFor([this] { return pauseShown(); }));
    EXPECT_EQ(ExamState().ExamPhase, 1);
    now += 40s;
    ASSERT_TRUE(testsupport::waitFor([] { return Form1->Engine.RandomPlaying; }));
    EXPECT_EQ(caption(), "Phase 2: Groupes (150 lettres + 30 chiffres)");
    fake().finishAll();
    ASSERT_TRUE(pauseShown());

    // Something typed meanwhile still plays when the time is up: the exam gives way.
    auto *typing = control<QLineEdit>("Editcaractere");
    typing->setEnabled(true);
    QTest::keyClicks(typing, "e");
    ASSERT_FALSE(Form1->Engine.PlayQueue.empty());
    now += 120s;
    ASSERT_TRUE(testsupport::waitFor([] { return !ExamPause().Running(); }));
    EXPECT_EQ(ExamState().ExamPhase, 0);
    EXPECT_EQ(caption(), " 3 Phases (groupes + textes)");
    EXPECT_FALSE(Form1->Engine.RandomPlaying);
}

TEST_F(ExamWindow, TheQuitEndsAPauseSoThatNoPhaseStartsOnTheWayOut)
{
    item("MenuExamComplet")->trigger();
    playPhase();
    ASSERT_TRUE(pauseShown());
    QuitCommand();
    EXPECT_FALSE(ExamPause().Running());
    EXPECT_FALSE(pauseShown());
    EXPECT_EQ(ExamState().ExamPhase, 0);
    now += 200s;
    TimerPauseTimer();
    QApplication::processEvents();
    EXPECT_FALSE(Form1->Engine.RandomPlaying);
    EXPECT_TRUE(Form1->Engine.PlayQueue.empty());
}

TEST_F(ExamWindow, OnePhaseAloneAndTheWordFileAndTheExamOnlyInFrench)
{
    Settings().applyValue("LISTW=", "");
    rejectFileDialogs();
    item("MenuExamPha2")->trigger();
    EXPECT_EQ(rejected, 0) << "the groups alone need no file at set-up";
    EXPECT_EQ(caption(), "Phase 2 seule : Groupes (150 car. + 30 chif.)");
    QTest::mouseClick(play, Qt::LeftButton);
    EXPECT_EQ(messages, std::vector<std::string>{"Veuillez choisir un fichier de mots ou de phrases!"});
    EXPECT_FALSE(Form1->Engine.RandomPlaying);

    item("MenuExamPha3")->trigger();
    EXPECT_EQ(rejected, 1) << "the text asks for its word file";
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1], "Ne peut ouvrir le fichier");
    EXPECT_EQ(written("TYPEXAM="), std::vector<std::string>{"3"});

    Settings().applyValue("LISTW=", text(words));
    item("MenuExamPha2")->trigger();
    item("MenuQuickRandom")->trigger();
    const auto lines = memoLines();
    ASSERT_EQ(lines.size(), 2u) << memoText();
    EXPECT_EQ(lines[0], "VVV ");
    EXPECT_EQ(lines[1].size(), 36u * 6 + 1) << "36 groups of five and the +";
    EXPECT_EQ(caption(), "Phase 2 seule : Groupes (150 car. + 30 chif.)");
    EXPECT_EQ(written("TYPEXAM="), std::vector<std::string>{"2"});

    Form1->English1->trigger();
    EXPECT_FALSE(item("menuExamen")->isEnabled());
    EXPECT_FALSE(item("menuExamen")->isChecked());
    EXPECT_TRUE(panel->isHidden());
    EXPECT_TRUE(item("MenuLettersFigures")->isChecked());
    EXPECT_EQ(written("TYPEXAM="), std::vector<std::string>{"0"});
}
