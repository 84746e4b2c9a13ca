// The Tools menu's small behaviours as the user meets them: copy and paste between the text
// boxes and the clipboard, hiding hints, the font of the text boxes kept in the settings file,
// staying on top, the hidden debug keys, the largest size and the wheel over combo boxes.

#include "tests/common/testsupport.h"
#include "tests/shell/shelltestsupport.h"

#include "shell/formdialog.h"
#include "shell/mainwindow.h"
#include "shell/settingsfile.h"
#include "shell/settingsformat.h"
#include "shell/settingskeys.h"
#include "shell/sidewindows.h"
#include "shell/startup.h"
#include "shell/toolsutilities.h"
#include "shell/utilities.h"
#include "training/entrysheet.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <csignal>

namespace {

template <typename T = QWidget>
T *control(const char *name)
{
    return Form1->findChild<T *>(QString::fromLatin1(name));
}

void click(const char *item)
{
    ASSERT_TRUE(ClickNamed(Form1, item)) << item;
}

std::string written(const char *key)
{
    for (const settings::Line &line : Settings().write())
        if (line.key == key)
            return line.value;
    return "(none)";
}

void readSettings(const std::string &lines)
{
    Settings().read(settings::ParseLines("[KESTRELON 5.2.9]\r\n" + lines));
}

class Tools : public ::testing::Test {
protected:
    void SetUp() override
    {
        shelltest::ensureWindows();
        Form1->show();
        typing = control<QLineEdit>("Editcaractere");
    }
    QLineEdit *typing = nullptr;
};

TEST_F(Tools, CopyTakesTheFirstSelectionOfAShownBoxOrSaysThereIsNone)
{
    QApplication::clipboard()->setText(QStringLiteral("before"));
    auto *file = control<QPlainTextEdit>("FileEdit");
    file->setPlainText(QStringLiteral("hidden text"));
    file->selectAll(); // its panel is hidden: not a place to copy from
    EXPECT_EQ(shelltest::withMessage([] { click("menuCopier"); }), QStringLiteral("Nothing to copy! Please select a text."));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("before"));

    typing->setText(QStringLiteral("cq de f6"));
    typing->setSelection(3, 2);
    EXPECT_EQ(shelltest::withMessage([] { click("menuCopier"); }), QString());
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("de"));
}

TEST_F(Tools, PasteGoesIntoTheFocusedBoxOnly)
{
    QApplication::clipboard()->setText(QStringLiteral("qrz"));
    control("ButtonQuitter")->setFocus();
    click("MenuColler");
    EXPECT_TRUE(typing->text().isEmpty());
    typing->setFocus();
    click("MenuColler");
    EXPECT_EQ(typing->text(), QStringLiteral("qrz"));
    EXPECT_TRUE(Form1->Engine.PlayQueue.empty()) << "pasted text is not sent";
}

// Whether a control is asked for its hint when the mouse rests on it.
class HintRequests : public QObject {
public:
    int seen = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        seen += event->type() == QEvent::ToolTip;
        return false;
    }
};

bool hintShown(QWidget *w)
{
    HintRequests requests;
    w->installEventFilter(&requests);
    QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), w->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(w, &help);
    w->removeEventFilter(&requests);
    return requests.seen == 1;
}

TEST_F(Tools, HiddenHintsLeavePlayAndTheQuizOKWithTheirs)
{
    QWidget *stop = control("ButtonQuitter");
    QWidget *play = control("BitBtnPlayRandom");
    EXPECT_TRUE(hintShown(stop));
    click("MenuHideHints");
    EXPECT_FALSE(hintShown(stop));
    EXPECT_TRUE(hintShown(play));
    EXPECT_EQ(written("HINTS="), "0");
    click("MenuHideHints");
    EXPECT_TRUE(hintShown(stop));
    EXPECT_EQ(written("HINTS="), "1");
    readSettings("HINTS=0\r\n");
    EXPECT_TRUE(control<QAction>("MenuHideHints")->isChecked());
}

TEST_F(Tools, TheFontIsChosenOnlyAt100AndComesBackFromTheSettingsFile)
{
    int asked = 0;
    FontChooser() = [&asked](const QFont &) {
        ++asked;
        QFont font(QStringLiteral("Courier"));
        font.setPointSize(12);
        font.setBold(true);
        font.setFixedPitch(true);
        return std::optional<QFont>(font);
    };
    ClickNamed(Form1, "MenuAgrandir125");
    EXPECT_EQ(shelltest::withMessage([] { click("MenuPolice"); }),
              QStringLiteral("To change the font, please set Enlarge to 100%"));
    EXPECT_EQ(asked, 0);
    ClickNamed(Form1, "MenuAgrandir100");
    click("MenuPolice");
    EXPECT_EQ(asked, 1);
    for (const char *box : {"MemoRandom", "MemoMonitor", "FileEdit"}) {
        EXPECT_EQ(control(box)->font().family(), QStringLiteral("Courier")) << box;
        EXPECT_EQ(control(box)->font().pointSize(), 12) << box;
    }
    EXPECT_EQ(written("FONT="), "Courier,12,96,-16,0,0,2,1");

    ASSERT_TRUE(WriteSettingsFile());
    DestroyAllWindows();
    shelltest::ensureWindows();
    EXPECT_TRUE(FontChosen);
    EXPECT_EQ(control("MemoRandom")->font().family(), QStringLiteral("Courier"));
    EXPECT_TRUE(control("FileEdit")->font().bold());
    EXPECT_EQ(written("FONT="), "Courier,12,96,-16,0,0,2,1");
}

TEST_F(Tools, OnlyACompleteFontLineAppliesAFont)
{
    const QString before = control("MemoRandom")->font().family();
    readSettings("FONT=Arial,10\r\n");
    EXPECT_EQ(control("MemoRandom")->font().family(), before);
    EXPECT_FALSE(FontChosen);
    EXPECT_EQ(written("FONT="), "NO");
    readSettings("FONT=Arial,10,96,-13,0,0,1,0\r\n");
    for (const char *box : {"MemoRandom", "MemoMonitor", "FileEdit"})
        EXPECT_EQ(control(box)->font().family(), QStringLiteral("Arial")) << box;
    EXPECT_EQ(written("FONT="), "Arial,10,96,-13,0,0,1,0");
}

TEST_F(Tools, StayOnTopKeepsTheWindowShownAndIsKept)
{
    click("menuStayOnTop");
    EXPECT_TRUE(Form1->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(Form1->isVisible());
    EXPECT_EQ(written("STAYONTOP="), "1");
    click("menuStayOnTop");
    EXPECT_FALSE(Form1->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(Form1->isVisible());
    readSettings("STAYONTOP=1\r\n");
    EXPECT_TRUE(Form1->windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(Tools, TheDebugKeysShowTheDecodersLabelAndTheWindowMayGrowPastTheScreen)
{
    QWidget *label = control("Label4");
    ASSERT_TRUE(label);
    EXPECT_TRUE(label->isHidden());
    QApplication::setActiveWindow(Form1);
    QTest::keyClick(Form1, Qt::Key_M, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_FALSE(label->isHidden());
    EXPECT_EQ(Form1->maximumSize(), QSize(5000, 5000));
}

TEST(LessonWheel, PagesThroughTwentyLessonsOnThreePages)
{
    struct Row {
        int index, page;
        bool away;
        std::optional<std::pair<int, int>> step; // entry, page turn
    };
    const Row rows[] = {
        {5, 1, true, {{4, 0}}},    {5, 1, false, {{6, 0}}},  {0, 2, true, {{19, -1}}}, {0, 1, true, std::nullopt},
        {19, 1, false, {{0, 1}}}, {19, 3, false, std::nullopt}, {18, 3, false, {{19, 0}}},
    };
    for (const Row &r : rows) {
        const auto step = LessonWheel(r.index, r.page, r.away);
        ASSERT_EQ(step.has_value(), r.step.has_value()) << r.index << " " << r.page << " " << r.away;
        if (step) {
            EXPECT_EQ(std::pair(step->index, step->page), *r.step) << r.index << " " << r.page;
        }
    }
}

void wheel(QWidget *w, int delta)
{
    QWheelEvent event(QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &event);
}

TEST_F(Tools, TheWheelOnlyTurnsTheLessonListOfTheChoicePanel)
{
    auto *box = control<QComboBox>("BoxCaracteresChoix");
    while (box->count() < 20)
        box->addItem(QStringLiteral("lesson %1").arg(box->count()));
    box->setCurrentIndex(3);
    wheel(box, -120);
    EXPECT_EQ(box->currentIndex(), 3) << "the panel is hidden";
    click("MenuChoixCaracteres");
    ASSERT_FALSE(control("PanelChoixRandom")->isHidden());
    box->setCurrentIndex(3);
    wheel(box, -120);
    EXPECT_EQ(box->currentIndex(), 4);
    wheel(box, 60); // half a notch: not yet
    EXPECT_EQ(box->currentIndex(), 4);
    wheel(box, 60);
    EXPECT_EQ(box->currentIndex(), 3);

    auto *rate = control<QComboBox>("ComboBoxFrequence");
    const int index = rate->currentIndex();
    wheel(rate, -120);
    wheel(rate, 120);
    wheel(rate, 120);
    EXPECT_EQ(rate->currentIndex(), index);
}

} // namespace

namespace {

TEST(SideWindowKeys, ADialogAnswersEnterWithItsDefaultButtonAndEscByClosing)
{
    shelltest::ensureWindows();
    FormMonitorInfo->show();
    QTest::keyClick(FormMonitorInfo, Qt::Key_Return);
    EXPECT_FALSE(FormMonitorInfo->isVisible()) << "OK closes the card";
    FormMonitorInfo->show();
    QTest::keyClick(FormMonitorInfo, Qt::Key_Escape);
    EXPECT_FALSE(FormMonitorInfo->isVisible());
    // A window without a default button keeps its keys.
    FormhelpChoixRandom->show();
    QTest::keyClick(FormhelpChoixRandom, Qt::Key_Escape);
    EXPECT_TRUE(FormhelpChoixRandom->isVisible());
}

// The real program keeps what these keys say from one run to the next.
TEST(ToolsProgram, TheKeysOfTheEnlargementAndTheToolsComeBackUnchanged)
{
    QTemporaryDir home;
    shelltest::ProgramRun program(home.path());
    const std::vector<std::string> kept = {"ZCASE=1",   "HINTS=0",    "ZOOMPOS=40,300", "FONT=Arial,10,96,-13,0,0,1,0",
                                           "ZOOM=1",    "ENTERSTOP=1", "MAINZOOM=150",  "STAYONTOP=1"};
    std::string file = "[KESTRELON 5.2.9]\r\n";
    for (const std::string &line : kept)
        file += line + "\r\n";
    QDir().mkpath(QFileInfo(program.settingsFile()).path());
    QFile ini(program.settingsFile());
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(QByteArray::fromStdString(file));
    ini.close();

    ASSERT_TRUE(program.start());
    ASSERT_TRUE(program.waitForWindow()) << program.errors().constData();
    program.signal(SIGTERM);
    ASSERT_TRUE(program.waitForQuit(5000)) << program.errors().constData();
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QByteArray written = ini.readAll();
    for (const std::string &line : kept)
        EXPECT_TRUE(written.contains(QByteArray::fromStdString("\r\n" + line + "\r\n"))) << line;
}

} // namespace
