// The joystick as a key in the program's own window: js_event records written into a pipe that
// stands in for /dev/input/js0 reach the keyer through the real reader, as the mouse's buttons
// do; a joystick that goes away is said once and lets go of its paddle.

#include "tests/common/fakeaudiooutput.h"
#include "tests/common/testsupport.h"
#include "tests/shell/shelltestsupport.h"

#include "engine/keyer.h"
#include "platform/joystickdevice.h"
#include "shell/formdialog.h"
#include "shell/joystickport.h"
#include "shell/mainwindow.h"
#include "shell/panelport.h"
#include "shell/soundengine.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

using testsupport::waitFor;

namespace {

class JoystickKeying : public ::testing::Test {
protected:
    void SetUp() override
    {
        SoundOutputFactory() = [] { return std::unique_ptr<AudioOutput>(std::make_unique<FakeAudioOutput>()); };
        ASSERT_EQ(::pipe2(ends, O_CLOEXEC | O_NONBLOCK), 0);
        // Joystick 0 is the pipe; start-up captures it.
        joystickSeams().open = [this](int id) { return id == 0 ? ::fcntl(ends[0], F_DUPFD_CLOEXEC, 0) : -ENOENT; };
        shelltest::ensureWindows();
        ASSERT_TRUE(JoystickPresent);
        Form1->show();
        SoundEngine().State = EngineState{};
        SoundEngine().Timings.setSpeed(12);
        SoundEngine().Timings.setStartSilence(0);
        memo = Form1->findChild<QPlainTextEdit *>(QStringLiteral("MemoMonitor"));
        line = Form1->findChild<QLineEdit *>(QStringLiteral("EditMonitor"));
        ASSERT_TRUE(memo && line);
        Form1->RadioButtonMonitor->click();
        Form1->findChild<QRadioButton *>(QStringLiteral("RadioButtonElKeyN"))->click();
        keyPort(0);
    }
    void TearDown() override
    {
        ::close(ends[0]);
        if (ends[1] >= 0)
            ::close(ends[1]);
    }

    void keyPort(int index) { Form1->findChild<PortRadioGroup *>(QStringLiteral("RadioGroupKeyerPort"))->Item(index)->click(); }
    FakeAudioOutput &output() { return dynamic_cast<FakeAudioOutput &>(*SoundEngine().Output); }
    void button(int number, bool down, bool init = false)
    {
        const joystickdev::Event event{0, std::int16_t(down), std::uint8_t(joystickdev::EventButton | (init ? joystickdev::EventInit : 0)),
                                       std::uint8_t(number)};
        ASSERT_EQ(::write(ends[1], &event, sizeof event), ssize_t(sizeof event));
        // Read once the window's events run.
        waitFor([this] {
            int pending = 0;
            return ::ioctl(ends[0], FIONREAD, &pending) == 0 && pending == 0;
        });
    }
    bool memoIs(const QString &text)
    {
        return waitFor([&] { return memo->toPlainText() == text; });
    }

    int ends[2] = {-1, -1};
    QPlainTextEdit *memo = nullptr;
    QLineEdit *line = nullptr;
};

TEST_F(JoystickKeying, TheButtonsKeyThePaddlesAsTheMouseButtonsDo)
{
    // Held when the device opened: no element.
    button(0, true, true);
    button(0, false);
    EXPECT_TRUE(SoundEngine().State.PlayQueue.empty());

    button(0, true); // the dash paddle
    EXPECT_EQ(SoundEngine().State.PlayQueue, "t");
    EXPECT_EQ(line->text(), "-");
    button(0, false);
    output().finishAll();
    ASSERT_TRUE(memoIs("T ")) << memo->toPlainText().toStdString();
    button(1, true); // the dot paddle
    button(1, false);
    output().finishAll();
    ASSERT_TRUE(memoIs("T E ")) << memo->toPlainText().toStdString();

    // The mouse on the key picture gives the same.
    keyPort(1);
    QTest::mousePress(Form1->Image1, Qt::LeftButton);
    QTest::mouseRelease(Form1->Image1, Qt::LeftButton);
    output().finishAll();
    ASSERT_TRUE(memoIs("T E T ")) << memo->toPlainText().toStdString();
    QTest::mousePress(Form1->Image1, Qt::RightButton);
    QTest::mouseRelease(Form1->Image1, Qt::RightButton);
    output().finishAll();
    ASSERT_TRUE(memoIs("T E T E ")) << memo->toPlainText().toStdString();

    // On the mouse port the joystick keys nothing.
    button(0, true);
    EXPECT_TRUE(SoundEngine().State.PlayQueue.empty());
}

TEST_F(JoystickKeying, ReversedTheFirstButtonIsTheDotAndAThirdButtonKeysNothing)
{
    Form1->findChild<QRadioButton *>(QStringLiteral("RadioButtonElKeyR"))->click();
    button(0, true);
    EXPECT_EQ(SoundEngine().State.PlayQueue, "e");
    button(0, false);
    output().finishAll();
    ASSERT_TRUE(memoIs("E ")) << memo->toPlainText().toStdString();
    button(1, true);
    EXPECT_EQ(SoundEngine().State.PlayQueue, "t");
    button(1, false);
    output().finishAll();
    ASSERT_TRUE(memoIs("E T ")) << memo->toPlainText().toStdString();

    button(2, true);
    EXPECT_TRUE(SoundEngine().State.PlayQueue.empty());
    EXPECT_EQ(line->text(), ". - ");
}

TEST_F(JoystickKeying, AJoystickThatGoesIsSaidOnceAndLetsGoOfItsPaddle)
{
    button(0, true);
    ASSERT_EQ(SoundEngine().State.PlayQueue, "t");
    const QString said = shelltest::withMessage([&] {
        ::close(ends[1]);
        ends[1] = -1;
        waitFor([] { return shelltest::dialogText().contains(QStringLiteral("joystick")) && !FormDialog->isVisible(); });
    });
    EXPECT_TRUE(said.contains(QStringLiteral("joystick"))) << said.toStdString();
    // Once: no second message follows.
    waitFor([] { return false; }, 200);
    EXPECT_FALSE(FormDialog->isVisible());
    EXPECT_FALSE(JoystickPresent);
    // The dash that sounds is the last: the paddle was let go.
    output().finishAll();
    EXPECT_TRUE(SoundEngine().State.PlayQueue.empty());
    EXPECT_EQ(line->text().count(QLatin1Char('-')), 1);
}

} // namespace
