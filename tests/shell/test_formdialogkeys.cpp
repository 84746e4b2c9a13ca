// The message box answered from the keyboard: Enter takes the default button (OK, or Yes on
// a question) whichever button has the focus, Space presses the focused button, Esc says No.

#include "tests/shell/shelltestsupport.h"

#include "shell/formdialog.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using shelltest::whenDialogShown;

// Asks a question, lets `keys` act on the box once it is shown, and returns the answer.
int answerQuestionWith(const std::function<void()> &keys)
{
    whenDialogShown(keys);
    return AskProgramQuestion(QStringLiteral("Quit ?"));
}

TEST(DialogKeys, EnterAndSpaceAnswerYesEscapeAnswersNo)
{
    shelltest::ensureWindows();
    EXPECT_EQ(answerQuestionWith([] { QTest::keyClick(FormDialog, Qt::Key_Return); }), 1);
    EXPECT_EQ(answerQuestionWith([] { QTest::keyClick(FormDialog, Qt::Key_Enter, Qt::KeypadModifier); }), 1);
    EXPECT_EQ(answerQuestionWith([] { QTest::keyClick(FormDialog, Qt::Key_Escape); }), 0);
    // Space presses the button with the focus: Yes when the box opens, No after a Tab.
    EXPECT_EQ(answerQuestionWith([] { QTest::keyClick(FormDialog->focusWidget(), Qt::Key_Space); }), 1);
    EXPECT_EQ(answerQuestionWith([] {
                  FormDialog->ButtonNo->setFocus();
                  QTest::keyClick(FormDialog->ButtonNo, Qt::Key_Space);
              }),
              0);
    // Enter keeps to the default button even while No has the focus.
    EXPECT_EQ(answerQuestionWith([] {
                  FormDialog->ButtonNo->setFocus();
                  QTest::keyClick(FormDialog->ButtonNo, Qt::Key_Return);
              }),
              1);
}

TEST(DialogKeys, EnterClosesAMessage)
{
    shelltest::ensureWindows();
    bool okHadFocus = false;
    whenDialogShown([&] {
        okHadFocus = FormDialog->focusWidget() == FormDialog->ButtonOK;
        QTest::keyClick(FormDialog, Qt::Key_Return);
    });
    ShowProgramMessage(QStringLiteral("Saved."));
    EXPECT_TRUE(okHadFocus);
    EXPECT_FALSE(FormDialog->isVisible());
}

} // namespace
