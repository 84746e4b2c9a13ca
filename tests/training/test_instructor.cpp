// Instructor mode as an instructor and a learner meet it: the window's password, the four locks
// on the main window, every way to a locked option refused, and the locks and the password kept
// in the settings file.

#include "tests/training/modewindow.h"

#include "shell/aboutbox.h"
#include "shell/commandline.h"
#include "shell/effectwindows.h"
#include "shell/enginesettingskeys.h"
#include "shell/instructorlock.h"
#include "shell/languages/messages.h"
#include "shell/settingsformat.h"
#include "shell/settingskeys.h"
#include "shell/speedcontrol.h"
#include "shell/utilities.h"
#include "training/demoview.h"
#include "training/instructor.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>

namespace {

class Instructor : public ModeWindow {
protected:
    void SetUp() override
    {
        ModeWindow::SetUp();
        window = FormInstructor;
        ASSERT_TRUE(window);
    }

    // The Tools menu's item, the boxes ticked or not as asked, the password typed, OK.
    void answer(const QString &password, std::initializer_list<QCheckBox *> tick = {}, bool inhibit = false)
    {
        control<QAction>("MenuInstructor")->trigger();
        ASSERT_TRUE(window->isVisible());
        std::vector<QCheckBox *> boxes(tick);
        if (inhibit)
            boxes.push_back(window->CheckBoxInhibitInstructor);
        for (QCheckBox *box : boxes)
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
        typeText(window->EditPassword, password);
        QTest::mouseClick(window->BitBtnOK, Qt::LeftButton);
    }

    static bool textHidden(const QWidget *box)
    {
        return box->palette().color(QPalette::Base) == box->palette().color(QPalette::Text);
    }
    static int speed() { return Form1->EngineTiming.Speed(); }

    void restart()
    {
        restartProgram();
        window = FormInstructor;
    }

    TFormInstructor *window = nullptr;
};

} // namespace

TEST_F(Instructor, FirstPasswordMasksTheTextAWrongOneAndCancelChangeNothingTheInhibitBoxEndsIt)
{
    loadFileText("tea");
    auto *hideFile = control<QPushButton>("ButtonHideFile");
    auto *fileBox = control<QPlainTextEdit>("FileEdit");

    // No password yet, none typed: the window asks for one and locks nothing.
    answer(QString(), {window->CheckBoxMaskedFile});
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->LabelPassword->isVisible());
    EXPECT_EQ(window->LabelPassword->text(), "Please create a password to accept limitations");
    EXPECT_FALSE(textHidden(fileBox));

    QTest::keyClicks(window->EditPassword, QStringLiteral("Pw=1"));
    QTest::mouseClick(window->BitBtnOK, Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(textHidden(fileBox));
    EXPECT_FALSE(hideFile->isEnabled());
    EXPECT_EQ(hideFile->text(), TxtShow());

    // The wrong case is a wrong password: the message, and the text stays masked.
    answer(QStringLiteral("pw=1"), {window->CheckBoxMaskedFile});
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->LabelIncorrectPassword->isVisible());
    EXPECT_EQ(window->LabelIncorrectPassword->text(), "Incorrect password");
    EXPECT_TRUE(textHidden(fileBox));
    // Cancel puts the box back as it was when the window came.
    QTest::mouseClick(window->BitBtnCancel, Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    control<QAction>("MenuInstructor")->trigger();
    EXPECT_TRUE(window->CheckBoxMaskedFile->isChecked());
    EXPECT_FALSE(window->LabelIncorrectPassword->isVisible());
    EXPECT_TRUE(window->EditPassword->text().isEmpty());
    window->close(); // the title bar's close is Cancel too

    answer(QStringLiteral("Pw=1"), {}, true);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(textHidden(fileBox));
    EXPECT_TRUE(hideFile->isEnabled());
    EXPECT_EQ(hideFile->text(), TxtHide());
    EXPECT_TRUE(InstructorPassword().empty());
    // The next OK creates a new password.
    answer(QStringLiteral("new"));
    EXPECT_EQ(InstructorPassword(), "new");

    // The window speaks the language of the menu.
    Form1->Deutsch1->trigger();
    answer(QStringLiteral("wrong"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Instruktorseinschränkungen"));
    EXPECT_EQ(window->LabelIncorrectPassword->text(), "Inkorrekt Passwort");
    window->BitBtnCancelClick();
}

// The instructor fixes the speed, the learner tries the control and the menu, the instructor
// unlocks it with the password and the speed changes again.
TEST_F(Instructor, AFixedSpeedRefusesTheControlAndTheMenuUntilThePasswordUnlocksIt)
{
    auto *speedBox = control<QSpinBox>("UpDownVitesse");
    speedBox->setValue(12);
    answer(QStringLiteral("abc"), {window->CheckBoxFixedSpeed});
    EXPECT_FALSE(speedBox->isEnabled());

    QTest::keyClick(speedBox, Qt::Key_Up);
    control<QAction>("UpSpeed")->trigger();
    control<QAction>("DownSpeed")->trigger();
    EXPECT_EQ(speed(), 12);
    EXPECT_EQ(speedBox->value(), 12);

    answer(QStringLiteral("abc"), {window->CheckBoxFixedSpeed});
    EXPECT_TRUE(speedBox->isEnabled());
    QTest::keyClick(speedBox, Qt::Key_Up);
    EXPECT_EQ(speed(), 13);
    control<QAction>("UpSpeed")->trigger();
    EXPECT_EQ(speed(), 14);
}

TEST_F(Instructor, EveryOtherWayToAFixedSpeedIsRefused)
{
    control<QSpinBox>("UpDownVitesse")->setValue(12);
    answer(QStringLiteral("abc"), {window->CheckBoxFixedSpeed});
    auto *speedBox = control<QSpinBox>("UpDownVitesse");

    // The value put into the control by code, as a mode would, comes back at once.
    speedBox->setValue(30);
    EXPECT_EQ(speedBox->value(), 12);
    SetSpeed(25); // the exam's own speed
    QWidget *typing = control<QWidget>("Editcaractere");
    typing->setFocus();
    QTest::keyClick(typing, Qt::Key_U, Qt::ControlModifier);
    QTest::keyClick(typing, Qt::Key_D, Qt::ControlModifier);
    ApplyCommandLine({QStringLiteral("S=40")});
    Settings().applyValue("SPEED=", "35");
    EXPECT_EQ(speed(), 12);
    EXPECT_EQ(speedBox->value(), 12);

    // A hand-edited file whose SPEED= follows the lock.
    Settings().read(settings::ParseLines("[KESTRELON]\r\nINSTFS=1\r\nSPEED=33\r\n"));
    EXPECT_EQ(speed(), 12);
    EXPECT_TRUE(OptionLocked(InstructorLock::FixedSpeed));
}

TEST_F(Instructor, AFixedPitchRefusesTheMenuThePitchWindowAndLaterLines)
{
    // The pitch window open before the lock comes.
    control<QAction>("MenuNote")->trigger();
    ASSERT_TRUE(FormNote->isVisible());
    FormNote->TrackBarNote->setValue(NotePositionForPitch(600));
    const int pitch = static_cast<int>(Form1->EngineTone.Tables.ToneFrequency());
    ASSERT_EQ(pitch, 600);
    answer(QStringLiteral("abc"), {window->CheckBoxFixedNote});
    EXPECT_FALSE(control<QAction>("MenuNote")->isEnabled());
    EXPECT_FALSE(FormNote->TrackBarNote->isEnabled());
    EXPECT_FALSE(FormNote->CheckBoxTonExamen->isEnabled());

    FormNote->TrackBarNote->setValue(FormNote->TrackBarNote->value() + 20);
    Settings().applyValue("NOTE=", "1200");
    EXPECT_EQ(static_cast<int>(Form1->EngineTone.Tables.ToneFrequency()), pitch);
    EXPECT_EQ(FormNote->TrackBarNote->value(), NotePositionForPitch(pitch));
    EXPECT_EQ(FormNote->StaticTextNote->text(), "600 Hz");

    // After a restart the window shows the pitch that the file kept.
    restart();
    EXPECT_EQ(static_cast<int>(Form1->EngineTone.Tables.ToneFrequency()), 600);
    EXPECT_EQ(FormNote->StaticTextNote->text(), "600 Hz");
    EXPECT_FALSE(FormNote->TrackBarNote->isEnabled());
}

TEST_F(Instructor, AMaskedTextStaysMaskedWhenStopWouldShowItAndTheDemoViewClosesOnIt)
{
    loadFileText("ttttt");
    control<QAction>("menuMontrerText")->setChecked(true); // show the text at every stop
    QTest::mouseClick(control<QToolButton>("SpeedButtonDemo"), Qt::LeftButton);
    ASSERT_TRUE(FormDemo->isVisible());

    answer(QStringLiteral("abc"), {window->CheckBoxMaskedFile});
    EXPECT_FALSE(FormDemo->isVisible());
    auto *fileBox = control<QPlainTextEdit>("FileEdit");
    QTest::mouseClick(control<QPushButton>("ButtonPlayFile"), Qt::LeftButton);
    fake().finishNext();
    QTest::mouseClick(Form1->ButtonStop, Qt::LeftButton);
    fake().finishAll();
    EXPECT_TRUE(textHidden(fileBox));
    // Nor does the demo button show it.
    QTest::mouseClick(control<QToolButton>("SpeedButtonDemo"), Qt::LeftButton);
    EXPECT_FALSE(FormDemo->isVisible());
    // A selection made with the mouse is painted in the text's colour too.
    EXPECT_EQ(fileBox->palette().color(QPalette::Highlight), fileBox->palette().color(QPalette::Text));
}

TEST_F(Instructor, MaskedRandomGroupsStayMaskedWhenStopWouldShowThem)
{
    ClickButton(Form1->RadioButtonRandom);
    control<QAction>("MenuDelaiRandom0")->trigger();
    control<QAction>("menuShow")->setChecked(true);
    answer(QStringLiteral("abc"), {window->CheckBoxMaskedRandom});
    auto *memo = control<QPlainTextEdit>("MemoRandom");
    auto *hide = control<QPushButton>("ButtonHide");
    EXPECT_TRUE(textHidden(memo));
    EXPECT_FALSE(hide->isEnabled());

    QTest::mouseClick(control<QPushButton>("BitBtnPlayRandom"), Qt::LeftButton);
    fake().finishNext();
    QTest::mouseClick(control<QPushButton>("BitBtnStopRandom"), Qt::LeftButton);
    fake().finishAll();
    EXPECT_TRUE(textHidden(memo));
    EXPECT_EQ(hide->text(), TxtShow());

    // Nor can the groups be selected and copied out of the memo.
    ASSERT_FALSE(memo->toPlainText().trimmed().isEmpty());
    QApplication::clipboard()->setText(QStringLiteral("before"));
    QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier);
    EXPECT_FALSE(memo->textCursor().hasSelection());
    QTest::keyClick(memo, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(shelltest::withMessage([] { control<QAction>("menuCopier")->trigger(); }), MsgNothingToCopy());
    EXPECT_EQ(QApplication::clipboard()->text(), "before");

    answer(QStringLiteral("abc"), {window->CheckBoxMaskedRandom});
    EXPECT_FALSE(textHidden(memo));
    EXPECT_TRUE(hide->isEnabled());
    QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(memo, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), memo->toPlainText());
}

TEST_F(Instructor, TheLocksAndAnyPasswordComeBackFromTheSettingsFile)
{
    // "=", a CR, Windows-1252 letters, and a 'z' at 12 whose stored byte would be a line feed.
    const std::string password = "a=\r\xC9\xE9\xF1\xDF\x80" "defz";
    ASSERT_EQ(password.size(), 12u);
    answer(cp1252::toQString("\xC9t\xE9"), {window->CheckBoxFixedSpeed, window->CheckBoxFixedNote});
    EXPECT_EQ(InstructorPassword(), "\xC9t\xE9");
    InstructorPassword() = password;
    restart();
    EXPECT_EQ(InstructorPassword(), password);
    EXPECT_TRUE(OptionLocked(InstructorLock::FixedSpeed));
    EXPECT_TRUE(OptionLocked(InstructorLock::FixedNote));
    EXPECT_FALSE(OptionLocked(InstructorLock::MaskedFile));
    EXPECT_FALSE(control<QSpinBox>("UpDownVitesse")->isEnabled());
    control<QAction>("MenuInstructor")->trigger();
    EXPECT_TRUE(window->CheckBoxFixedSpeed->isChecked());
    EXPECT_FALSE(window->CheckBoxMaskedRandom->isChecked());
    QTest::mouseClick(window->BitBtnCancel, Qt::LeftButton);
    const std::string bytes = settingsFileBytes();
    EXPECT_NE(bytes.find("\r\nINSTMF=0\r\nINSTMR=0\r\nINSTFN=1\r\nINSTFS=1\r\n"), std::string::npos);
    EXPECT_EQ(bytes.find("MDPINT="), bytes.rfind("MDPINT=")); // one line

    // Typed in the window after the restart (the CR aside, which no edit takes).
    InstructorPassword() = "\xC9\xE9\xF1\xDF\x80=";
    restart();
    answer(cp1252::toQString("\xC9\xE9\xF1\xDF\x80="), {}, true);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(OptionLocked(InstructorLock::FixedSpeed));
    restart();
    EXPECT_NE(settingsFileBytes().find("\r\nMDPINT=\r\nINSTMF=0\r\nINSTMR=0\r\nINSTFN=0\r\nINSTFS=0\r\n"),
              std::string::npos);
}

TEST_F(Instructor, ThePasswordTakesOnlyCharactersTheSettingsFileCanKeep)
{
    control<QAction>("MenuInstructor")->trigger();
    typeText(window->EditPassword, QStringLiteral("a\u0151b\u03A9\u00E9"));
    EXPECT_EQ(window->EditPassword->text(), QStringLiteral("ab\u00E9"));
    window->BitBtnCancelClick();
}
