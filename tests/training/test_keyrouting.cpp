// The main window's Enter and Esc table: how a key is decided (stages, order, focus,
// consumption), and each row of the program's modes as the user presses the key in the window.

#include "tests/common/fakeaudiooutput.h"
#include "tests/common/testsupport.h"
#include "tests/shell/shelltestsupport.h"

#include "shell/keyrouting.h"
#include "shell/mainwindow.h"
#include "shell/soundengine.h"
#include "shell/startup.h"
#include "shell/utilities.h"
#include "training/filetext.h"
#include "training/random.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const bool fakeSound = shelltest::useFakeSound();

using shelltest::fake;

template <typename T = QWidget>
T *control(const char *name)
{
    return Form1->findChild<T *>(QString::fromLatin1(name));
}

// ---- The table itself, on rows of the test's own ------------------------------------------

// Rows that take part only while the test runs.
class OwnRows : public ::testing::Test {
protected:
    void add(const char *name, KeyStage stage, int order, const char *focus, int keys, bool applies, bool acts,
             KeyConsume consume)
    {
        names.push_back(name);
        AddKeyRoute({name, stage, order, focus, keys, [this, applies](int) { return active && applies; },
                     [this, name, acts](int) {
                         ran.push_back(name);
                         return acts;
                     },
                     consume});
    }
    void TearDown() override
    {
        active = false;
        for (const char *name : names)
            RemoveKeyRoute(name);
    }

    bool active = true;
    std::vector<const char *> names;
    std::vector<std::string> ran;
};

TEST_F(OwnRows, TheFirstRowThatAppliesDecidesByStageThenOrderAndOnlyItActs)
{
    QWidget window;
    auto *box = new QLineEdit(&window);
    box->setObjectName(QStringLiteral("TestBox"));
    add("test: window late", KeyStage::Window, 2, nullptr, KeyEnter, true, true, KeyConsume::Always);
    add("test: window early", KeyStage::Window, 1, nullptr, KeyEnter, true, true, KeyConsume::Always);
    add("test: box press", KeyStage::FocusKeyPress, 0, "Other TestBox", KeyEnter, true, true, KeyConsume::Always);
    add("test: box down", KeyStage::FocusKeyDown, 3, "TestBox", KeyEnter, true, true, KeyConsume::Always);

    KeyDecision d = RouteKey(KeyEnter, box);
    EXPECT_EQ(d.row, "test: box down");
    EXPECT_EQ(ran, std::vector<std::string>{"test: box down"});

    RemoveKeyRoute("test: box down");
    ran.clear();
    d = RouteKey(KeyEnter, box);
    EXPECT_EQ(d.row, "test: window early") << "the window's rows come before the focused control's key press";
    EXPECT_EQ(ran, std::vector<std::string>{"test: window early"});

    // Another focus: the box's rows do not apply; Esc: no row answers it.
    EXPECT_EQ(RouteKey(KeyEnter, &window).row, "test: window early");
    EXPECT_EQ(RouteKey(KeyEscape, box).row, "");
    EXPECT_FALSE(RouteKey(KeyEscape, box).consumed);
}

TEST_F(OwnRows, ARowConsumesAsItSaysAndARowThatDoesNotApplyIsPassed)
{
    add("test: not now", KeyStage::Window, 0, nullptr, KeyEscape, false, true, KeyConsume::Always);
    add("test: when it acts", KeyStage::Window, 1, nullptr, KeyEscape, true, false, KeyConsume::WhenActs);
    KeyDecision d = RouteKey(KeyEscape, nullptr);
    EXPECT_EQ(d.row, "test: when it acts");
    EXPECT_FALSE(d.acted);
    EXPECT_FALSE(d.consumed) << "nothing acted: the control gets the key";

    // Added again under its name, the row is replaced, not doubled.
    add("test: when it acts", KeyStage::Window, 1, nullptr, KeyEscape, true, true, KeyConsume::WhenActs);
    ran.clear();
    d = RouteKey(KeyEscape, nullptr);
    EXPECT_TRUE(d.acted && d.consumed);
    EXPECT_EQ(ran.size(), 1u);
    add("test: never", KeyStage::Window, 0, nullptr, KeyEscape, true, true, KeyConsume::Never);
    EXPECT_FALSE(RouteKey(KeyEscape, nullptr).consumed);
}

TEST_F(OwnRows, TheFocusOfACompoundControlIsTheControlAndOnlyKeysOfTheMainWindowAreRouted)
{
    shelltest::ensureWindows();
    Form1->show();
    auto *count = control<QSpinBox>("SpinEditRandomNumber");
    add("test: count", KeyStage::FocusKeyDown, 0, "SpinEditRandomNumber", KeyEnter, true, true, KeyConsume::Always);
    // The spin box's own edit has the focus; the row of the spin box answers.
    EXPECT_EQ(RouteKey(KeyEnter, count->findChild<QLineEdit *>()).row, "test: count");
    ran.clear();

    add("test: window", KeyStage::Window, 0, nullptr, KeyEnter, true, true, KeyConsume::Always);
    QWidget elsewhere;
    auto *box = new QLineEdit(&elsewhere);
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_TRUE(ran.empty()) << "a window of its own is not the main window";
    // Ctrl+Enter is no Enter.
    auto *typing = control<QLineEdit>("Editcaractere");
    typing->setFocus();
    QTest::keyClick(typing, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(ran.empty());
    QTest::keyClick(typing, Qt::Key_Enter);
    EXPECT_EQ(ran, std::vector<std::string>{"test: window"});
}

// ---- The program's rows --------------------------------------------------------------------

class KeysInTheWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fakeSound);
        shelltest::ensureWindows();
        Form1->show();
        SoundEngine().Timings.setStartSilence(0);
        enterStops = control<QAction>("MenuDiversEnter");
        play = control<QPushButton>("BitBtnPlayRandom");
        stop = control<QPushButton>("BitBtnStopRandom");
        typing = control<QLineEdit>("Editcaractere");
    }
    void enterRandomMode()
    {
        ClickButton(Form1->RadioButtonRandom);
        ClickNamed(Form1, "MenuDelaiRandom0");
        control<QSpinBox>("SpinEditRandomNumber")->setValue(5);
    }
    void TearDown() override
    {
        if (Form1->Engine.RandomPlaying)
            BitBtnStopRandomClick();
        fake().finishAll();
    }

    // Presses a key where the focus is, as the user does.
    KeyDecision press(QWidget *focus, Qt::Key key)
    {
        focus->setFocus();
        const KeyDecision decision = RouteKey(key == Qt::Key_Escape ? KeyEscape : KeyEnter, focus);
        return decision;
    }

    QAction *enterStops = nullptr;
    QPushButton *play = nullptr;
    QPushButton *stop = nullptr;
    QLineEdit *typing = nullptr;
};

TEST_F(KeysInTheWindow, EnterInTheChoicePanelTakesTheChoiceOnce)
{
    enterRandomMode();
    ClickNamed(Form1, "MenuChoixCaracteres");
    auto *panel = control("PanelChoixRandom");
    auto *box = control<QComboBox>("BoxCaracteresChoix");
    ASSERT_FALSE(panel->isHidden());
    box->lineEdit()->setText(QStringLiteral("abc"));
    typing->setFocus();
    QTest::keyClick(typing, Qt::Key_Return);
    EXPECT_TRUE(panel->isHidden());
    EXPECT_TRUE(control<QAction>("MenuChoixCaracteres")->isChecked());
    EXPECT_TRUE(typing->text().isEmpty()) << "the typing box did not take the key";
}

TEST_F(KeysInTheWindow, EnterInTheSeriesBoxPlaysAndStopsOnlyWhenEnterMayStop)
{
    enterRandomMode();
    enterStops->setChecked(false);
    auto *memo = control<QPlainTextEdit>("MemoRandom");
    memo->setFocus();
    QTest::keyClick(memo, Qt::Key_Return);
    ASSERT_TRUE(Form1->Engine.RandomPlaying) << "Enter started the series";
    EXPECT_TRUE(play->isHidden());
    EXPECT_EQ(press(memo, Qt::Key_Return).row, "random: series box");
    EXPECT_TRUE(Form1->Engine.RandomPlaying) << "Enter may not stop: nothing acts, the key is taken";
    EXPECT_FALSE(RouteKey(KeyEnter, memo).acted);
    EXPECT_TRUE(RouteKey(KeyEnter, memo).consumed);

    enterStops->setChecked(true);
    QTest::keyClick(memo, Qt::Key_Return);
    EXPECT_FALSE(Form1->Engine.RandomPlaying);
    EXPECT_FALSE(play->isHidden());
}

TEST_F(KeysInTheWindow, EnterInTheCountPlaysAndEscOnTheStopButtonStops)
{
    enterRandomMode();
    enterStops->setChecked(false);
    auto *count = control<QSpinBox>("SpinEditRandomNumber");
    count->setFocus();
    QWidget *edit = count->findChild<QLineEdit *>();
    EXPECT_EQ(press(edit, Qt::Key_Return).row, "random: count");
    ASSERT_TRUE(Form1->Engine.RandomPlaying);

    // The series box's row takes Enter wherever the focus is while the box shows; Esc is the
    // stop button's.
    stop->setFocus();
    QTest::keyClick(stop, Qt::Key_Escape);
    EXPECT_FALSE(Form1->Engine.RandomPlaying);
    const KeyDecision idle = press(stop, Qt::Key_Escape);
    EXPECT_FALSE(idle.acted);
    EXPECT_FALSE(idle.consumed) << "nothing to stop: the button gets the key";
}

TEST_F(KeysInTheWindow, DuringTheCountdownEnterStartsNothing)
{
    enterRandomMode();
    ClickNamed(Form1, "MenuDelaiRandom1");
    auto *memo = control<QPlainTextEdit>("MemoRandom");
    KeyDecision during;
    QTimer::singleShot(50, memo, [&] {
        during = RouteKey(KeyEnter, memo);
        QTest::keyClick(memo, Qt::Key_Escape); // ends the countdown
    });
    QTest::mouseClick(play, Qt::LeftButton);
    EXPECT_NE(during.row, "random: series box");
    EXPECT_FALSE(during.acted);
}

TEST_F(KeysInTheWindow, EnterStopsAPlayingFileTextAndContinuesAStoppedOne)
{
    // No mode panel shown: the file text's rows answer.
    Form1->Engine.TextPlaying = true;
    KeyDecision d = RouteKey(KeyEnter, typing);
    EXPECT_EQ(d.row, "file text: stop");
    EXPECT_FALSE(Form1->Engine.TextPlaying);
    EXPECT_TRUE(d.consumed);

    FileText().ButtonContinueFile->show();
    EXPECT_EQ(RouteKey(KeyEnter, typing).row, "file text: continue");
    FileText().ButtonContinueFile->hide();
    EXPECT_EQ(RouteKey(KeyEnter, typing).row, "typing: Enter in the box");
    EXPECT_EQ(RouteKey(KeyEnter, control("ButtonQuitter")).row, "");
}

} // namespace
