// The mode buttons of the main window, clicked as the user clicks them (mouse, space key, a
// screen reader's press): the chosen mode stays chosen whatever is clicked again, and the
// settings keep it.

#include "tests/training/modewindow.h"

#include "tests/common/testsupport.h"

#include "shell/settingsfile.h"
#include "shell/settingsformat.h"
#include "shell/settingskeys.h"
#include "shell/startup.h"

#include <QRadioButton>
#include <QSignalSpy>

namespace {

class ModeButtons : public ModeWindow {
protected:
    void TearDown() override { chooseByMouse(Form1->RadioButtonAlphabet); }

    static void chooseByMouse(QRadioButton *mode)
    {
        QTest::mouseClick(mode, Qt::LeftButton, {}, QPoint(8, mode->height() / 2));
    }
    static std::vector<QRadioButton *> checkedModes()
    {
        std::vector<QRadioButton *> checked;
        for (QRadioButton *mode : {Form1->RadioButtonAlphabet, Form1->RadioButtonCodeQ, Form1->RadioButtonAbrev,
                                   Form1->RadioButtonRandom, Form1->RadioButtonFile, Form1->RadioButtonQuiz,
                                   Form1->RadioButtonMonitor})
            if (mode->isChecked())
                checked.push_back(mode);
        return checked;
    }
    static std::string writtenLastChoice()
    {
        for (const settings::Line &line : Settings().write())
            if (line.key == "LASTCHOICE=")
                return line.value;
        return "(none)";
    }
};

TEST_F(ModeButtons, AClickOnTheChosenModeKeepsItChosenAndRunsNothing)
{
    const struct {
        QRadioButton *TForm1::*mode;
        const char *lastChoice;
    } modes[] = {
        {&TForm1::RadioButtonQuiz, "6"},   {&TForm1::RadioButtonAlphabet, "1"}, {&TForm1::RadioButtonCodeQ, "2"},
        {&TForm1::RadioButtonAbrev, "3"},  {&TForm1::RadioButtonRandom, "4"},   {&TForm1::RadioButtonMonitor, "7"},
    };
    for (const auto &m : modes) {
        QRadioButton *mode = Form1->*m.mode;
        SCOPED_TRACE(mode->objectName().toStdString());
        chooseByMouse(mode);
        ASSERT_TRUE(mode->isChecked());
        control<QWidget>("PanelChoixRandom")->hide();

        QSignalSpy handlerRuns(mode, &QAbstractButton::clicked);
        chooseByMouse(mode);
        mode->setFocus();
        QTest::keyClick(mode, Qt::Key_Space);
        EXPECT_TRUE(testsupport::pressAccessibly(mode));
        EXPECT_EQ(checkedModes(), std::vector<QRadioButton *>{mode});
        EXPECT_EQ(handlerRuns.count(), 0);
        EXPECT_TRUE(control<QWidget>("PanelChoixRandom")->isHidden());
        EXPECT_EQ(writtenLastChoice(), m.lastChoice);
    }
}

TEST_F(ModeButtons, AModeClickedTwiceIsTheOneTheNextStartOpens)
{
    chooseByMouse(Form1->RadioButtonQuiz);
    chooseByMouse(Form1->RadioButtonQuiz);
    restartProgram();
    // The last mode comes back once the window has been shown.
    EXPECT_TRUE(testsupport::waitFor([] { return !control<QWidget>("QuizGroupBox")->isHidden(); }));
    EXPECT_EQ(checkedModes(), std::vector<QRadioButton *>{Form1->RadioButtonQuiz});
}

} // namespace
