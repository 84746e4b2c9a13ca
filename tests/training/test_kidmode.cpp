// Kid mode in the program's window: the view with its pictures, the word of the typing box
// keyed with the CTRL key, the rabbit's hops and sound, and the view's size kept in the
// settings.

#include "tests/common/fakeaudiooutput.h"
#include "tests/common/testsupport.h"
#include "tests/shell/shelltestsupport.h"

#include "shell/languages/languages.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/settingsgeometry.h"
#include "shell/settingskeys.h"
#include "shell/soundengine.h"
#include "shell/utilities.h"
#include "training/kidmode.h"
#include "training/monitor.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace std::chrono_literals;
using testsupport::waitFor;

namespace {

const bool fakeSound = shelltest::useFakeSound();

using shelltest::control;

FakeAudioOutput &output()
{
    return shelltest::fake();
}

bool shown(const char *name)
{
    return control<QWidget>(name)->isVisible();
}

std::string settingWritten(const char *key)
{
    for (const auto &line : Settings().write())
        if (line.key == key)
            return line.value;
    return "(none)";
}

class KidMode : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fakeSound);
        shelltest::ensureWindows();
        Form1->show();
        SoundEngine().State = EngineState{};
        SoundEngine().Timings.setSpeed(12);
        monitorSeams().now = [this] { return clock; };
        box = control<QLineEdit>("Editcaractere");
        memo = control<QPlainTextEdit>("MemoMonitor");
        ClickButton(Form1->RadioButtonMonitor);
        control<QRadioButton>("RadioButtonCTRL")->click();
    }

    // One letter keyed with CTRL at 12 wpm: dots of 80 ms, dashes of 250 ms, 80 ms between;
    // the letter ends by itself 250 ms after the last release.
    void key(const char *elements)
    {
        for (const char *e = elements; *e; ++e) {
            clock += 80ms;
            box->setFocus();
            QTest::keyPress(box, Qt::Key_Control);
            clock += *e == '.' ? 80ms : 250ms;
            QTest::keyRelease(box, Qt::Key_Control);
        }
        const int before = memo->toPlainText().size();
        ASSERT_TRUE(waitFor([&] { return memo->toPlainText().size() > before; }, 5000));
        clock += 400ms;
    }

    KeyClock::time_point clock = KeyClock::time_point{} + 1h;
    QLineEdit *box = nullptr;
    QPlainTextEdit *memo = nullptr;
};

} // namespace

TEST_F(KidMode, KeyingTheWordOfTheTypingBoxMakesTheRabbitHopAndSing)
{
    const QSize normal = Form1->size();
    QTest::mouseClick(control<QToolButton>("SpeedButtonKid"), Qt::LeftButton);
    EXPECT_TRUE(control<QAction>("MenuMonitorTexte")->isChecked());
    EXPECT_EQ(box->text(), QStringLiteral("HELLO"));
    EXPECT_TRUE(shown("StaticTextKid"));
    EXPECT_TRUE(shown("ImageLapin0"));
    EXPECT_TRUE(shown("Imagealphabet"));
    EXPECT_FALSE(shown("ImageAlphabet2"));
    EXPECT_TRUE(shown("ImageManipOFF"));
    // A frame around the monitor with the pictures inside, no larger than the window was;
    // Quit stays in reach.
    EXPECT_LE(Form1->width(), normal.width());
    EXPECT_LE(Form1->height(), normal.height());
    auto place = [](const char *name) {
        const QWidget *w = control<QWidget>(name);
        return QRect(w->mapTo(Form1, QPoint(0, 0)), w->size());
    };
    for (const char *name : {"GroupBoxMonitor", "ImageLapin0", "ImageManipOFF", "Imagealphabet", "ScrollBarImageAlpha"}) {
        EXPECT_TRUE(Form1->rect().contains(place(name))) << name;
        EXPECT_FALSE(place(name).intersects(place("ButtonQuitter"))) << name;
    }

    // The key picture follows the key.
    box->setFocus();
    QTest::keyPress(box, Qt::Key_Control);
    EXPECT_TRUE(shown("ImageManipON"));
    EXPECT_FALSE(shown("ImageManipOFF"));
    clock += 80ms;
    QTest::keyRelease(box, Qt::Key_Control);
    EXPECT_TRUE(shown("ImageManipOFF"));
    ASSERT_TRUE(waitFor([&] { return memo->toPlainText() == QStringLiteral("E"); }));
    // The first element hid the hint.
    EXPECT_FALSE(shown("StaticTextKid"));
    clock += 400ms;

    for (const char *letter : {"....", ".", ".-..", ".-.."})
        key(letter);
    EXPECT_FALSE(Form1->TimerLapin->isActive());
    key("---");
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("EHELLO"));
    EXPECT_TRUE(Form1->TimerLapin->isActive());
    EXPECT_TRUE(shown("ImageLapin1"));
    EXPECT_FALSE(shown("ImageLapin0"));
    ASSERT_FALSE(output().sounds.empty());
    EXPECT_EQ(output().sounds.back(), &KidRewardSound());
    EXPECT_FALSE(KidRewardSound().empty());

    // The word space after the word: the rabbit sits again, the sound stops.
    ASSERT_TRUE(waitFor([&] { return memo->toPlainText() == QStringLiteral("EHELLO "); }, 5000));
    EXPECT_FALSE(Form1->TimerLapin->isActive());
    EXPECT_TRUE(shown("ImageLapin0"));
    EXPECT_FALSE(shown("ImageLapin1") || shown("ImageLapin2") || shown("ImageLapin3"));
    EXPECT_TRUE(output().sounds.back()->empty());
}

TEST_F(KidMode, TheHintShowsItsWordsWholeOverTheElementLineInEveryLanguageAtEveryStep)
{
    auto *hint = control<QLabel>("StaticTextKid");
    auto *line = control<QLineEdit>("EditMonitor");
    auto *kid = control<QToolButton>("SpeedButtonKid");
    // Its words wrapped to its width fit its height, the descenders of the last line too.
    auto whole = [&] { return hint->height() >= hint->heightForWidth(hint->width()); };
    for (QAction *step : {Form1->MenuAgrandir200, Form1->MenuAgrandir100}) {
        ASSERT_TRUE(ClickMenuItem(step));
        for (char letter : {'D', 'F', 'S', 'E', 'M', 'I', 'P'}) {
            SCOPED_TRACE(step->objectName().toStdString() + " " + letter);
            ASSERT_TRUE(ClickLanguageLetter(letter));
            QTest::mouseClick(kid, Qt::LeftButton);
            ASSERT_TRUE(shown("StaticTextKid"));
            EXPECT_TRUE(whole()) << hint->height() << " " << hint->heightForWidth(hint->width());
            EXPECT_EQ(hint->geometry().topLeft(), line->geometry().topLeft());
            EXPECT_EQ(hint->width(), line->width());
            QTest::mouseClick(kid, Qt::LeftButton);
        }
    }
    ASSERT_TRUE(ClickLanguageLetter('E'));
}

TEST_F(KidMode, TheRabbitHopsUntilTheWordOrTheTypingBoxChanges)
{
    ClickNamed(Form1, "MenuMonitorTexte");
    box->setText(QStringLiteral("HI YOU"));
    for (const char *code : {"....", "..", "-.--", "---"})
        DecodeMonitorCharacter(code);
    EXPECT_FALSE(Form1->TimerLapin->isActive());
    DecodeMonitorCharacter("..-");
    EXPECT_TRUE(Form1->TimerLapin->isActive());
    // The frames go round every 200 ms.
    for (const char *frame : {"ImageLapin2", "ImageLapin3", "ImageLapin1"})
        EXPECT_TRUE(waitFor([frame] { return shown(frame); }, 2000)) << frame;
    box->setText(QStringLiteral("HI YOU!"));
    EXPECT_FALSE(Form1->TimerLapin->isActive());
    EXPECT_TRUE(shown("ImageLapin0"));
    // The alphabet's second picture.
    control<QScrollBar>("ScrollBarImageAlpha")->setValue(1);
    EXPECT_TRUE(shown("ImageAlphabet2"));
    EXPECT_FALSE(shown("Imagealphabet"));
}

TEST_F(KidMode, TheViewKeepsTheSizeTheChildGaveItHeldToTheScreenAndAnotherModeLeavesIt)
{
    const QSize normal = Form1->size();
    ClickNamed(Form1, "MenuMonitorTexte");
    ASSERT_TRUE(::KidMode);
    const QSize kid(Form1->width(), Form1->height() + 40);
    Form1->resize(kid);
    // While the view is shown the window's own size is the one kept.
    EXPECT_EQ(settingWritten("WINDIM="), std::to_string(normal.height()) + "," + std::to_string(normal.width()));
    ClickNamed(Form1, "SpeedButtonKid");
    EXPECT_FALSE(::KidMode);
    EXPECT_EQ(Form1->size(), normal);
    EXPECT_FALSE(shown("ImageLapin0"));
    EXPECT_EQ(settingWritten("WINKID="), std::to_string(kid.height()) + "," + std::to_string(kid.width()));
    ClickNamed(Form1, "SpeedButtonKid");
    EXPECT_EQ(Form1->size(), kid);
    // Another mode hides the monitor: the view goes.
    control<QGroupBox>("GroupBoxMonitor")->hide();
    EXPECT_FALSE(::KidMode);
    EXPECT_EQ(Form1->size(), normal);
    EXPECT_FALSE(control<QAction>("MenuMonitorTexte")->isChecked());

    // Stored sizes are held to the view's least and to the screen.
    control<QGroupBox>("GroupBoxMonitor")->show();
    Settings().read({{"WINKID=", "99999,99999"}});
    ClickNamed(Form1, "SpeedButtonKid");
    EXPECT_LE(Form1->width(), Form1->screen()->availableGeometry().width());
    EXPECT_LE(Form1->height(), Form1->screen()->availableGeometry().height());
    ClickNamed(Form1, "SpeedButtonKid");
}

TEST_F(KidMode, ASmallViewStoredIsKeptAsStoredAndShownWithAllItsPicturesInside)
{
    // A height that does not convert is computed at start; the width stays as stored, even
    // below the window's least size.
    Settings().read({{"WINKID=", "abc,500"}});
    EXPECT_EQ(settingWritten("WINKID="), "0,500");
    RunModuleSteps(ModuleStep::KidViewSize);
    const std::string written = settingWritten("WINKID=");
    EXPECT_GT(std::stoi(written), control<QWidget>("GroupBoxMonitor")->geometry().bottom());
    EXPECT_LE(std::stoi(written), Form1->height());
    EXPECT_EQ(written.substr(written.find(',')), ",500");

    const QSize normal = Form1->size();
    Settings().read({{"WINKID=", "400,500"}, {"MONTEXT=", "1"}});
    RunModuleSteps(ModuleStep::PushParkedSettings);
    ASSERT_TRUE(::KidMode);
    auto inside = [](const char *name) {
        const QWidget *w = control<QWidget>(name);
        return Form1->rect().contains(QRect(w->mapTo(Form1, QPoint(0, 0)), w->size()));
    };
    for (const char *name : {"GroupBoxMonitor", "ImageLapin0", "ImageManipOFF", "Imagealphabet", "ScrollBarImageAlpha"})
        EXPECT_TRUE(shown(name) && inside(name)) << name;
    // Left, the normal window may be as small as before.
    ClickNamed(Form1, "SpeedButtonKid");
    Form1->resize(MainWindowDesignSize());
    EXPECT_EQ(Form1->size(), MainWindowDesignSize());
    Form1->resize(normal);
}
