// The entry sheet and the random-choice help card as the learner uses them: the sheet opened by
// its menu item, its pencil buttons and the modes, its keys that start and stop the playing,
// its place and caption; the card's texts, its help page and its OK.

#include "tests/training/modewindow.h"
#include "tests/common/testsupport.h"

#include "shell/formdialog.h"
#include "shell/help.h"
#include "shell/languages/messages.h"
#include "shell/settingskeys.h"
#include "shell/utilities.h"
#include "training/entrysheet.h"
#include "training/random.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

namespace {

class EntrySheet : public ModeWindow {
protected:
    void SetUp() override
    {
        ModeWindow::SetUp();
        sheet = FormSaisie;
        ASSERT_TRUE(sheet && FormhelpChoixRandom);
        menu = control<QAction>("MenuSaisie");
        ASSERT_TRUE(menu);
    }
    void TearDown() override
    {
        if (Form1 && Form1->Engine.RandomPlaying)
            BitBtnStopRandomClick();
        fake().finishAll();
    }
    // Random groups chosen, started at once, ten characters long.
    void chooseRandom()
    {
        ClickButton(Form1->RadioButtonRandom);
        control<QAction>("MenuDelaiRandom0")->trigger();
        control<QSpinBox>("SpinEditRandomNumber")->setValue(10);
    }
    void key(Qt::Key k) { QTest::keyClick(sheet->MemoSaisie, k); }

    TFormSaisie *sheet = nullptr;
    QAction *menu = nullptr;
};

} // namespace

TEST_F(EntrySheet, TheMenuItemShowsTheSheetBesideTheRandomGroupsOrTheFileTextAndHidesIt)
{
    ASSERT_TRUE(control<QWidget>("GroupBoxRandom")->isHidden());
    ASSERT_TRUE(control<QWidget>("PanelFile")->isHidden());
    menu->trigger();
    EXPECT_TRUE(menu->isChecked());
    EXPECT_FALSE(sheet->isVisible()); // no practice text on screen
    menu->trigger();
    EXPECT_FALSE(menu->isChecked());

    // Checked, entering the random groups brings the sheet, where the window puts it first.
    menu->trigger();
    Form1->move(20, 30);
    QFont font(QStringLiteral("Courier"), 17);
    control<QWidget>("MemoRandom")->setFont(font);
    chooseRandom();
    ASSERT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->windowTitle(), "Entry sheet");
    EXPECT_EQ(sheet->pos(), Form1->pos() + QPoint(245, 170));
    EXPECT_EQ(sheet->MemoSaisie->font().pointSize(), 17);
    Form1->Espagnol1->trigger();
    EXPECT_EQ(sheet->windowTitle(), "Hoja de control");
    menu->trigger();
    EXPECT_FALSE(menu->isChecked());
    EXPECT_FALSE(sheet->isVisible());

    // The pencil button shows it where the learner put it last.
    sheet->show();
    sheet->move(300, 210);
    sheet->hide();
    QTest::mouseClick(control<QToolButton>("SpeedButtonSaisie"), Qt::LeftButton);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->pos(), QPoint(300, 210));
}

TEST_F(EntrySheet, AFileTextLoadedWhileTheItemIsCheckedBringsTheSheetOnTheScreen)
{
    // The main window near the screen's far corner: the sheet's first place is held to it.
    const QRect screen = Form1->screen()->availableGeometry();
    Form1->move(screen.right() - 100, screen.bottom() - 100);
    menu->trigger();
    loadFileText("tea");
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_TRUE(screen.contains(sheet->frameGeometry())) << sheet->frameGeometry().x();
    sheet->hide();
    QTest::mouseClick(control<QToolButton>("SpeedButtonSaisieFile"), Qt::LeftButton);
    EXPECT_TRUE(sheet->isVisible());
}

TEST_F(EntrySheet, WithEnterToStopEnterStartsAndStopsTheSeriesAndTheLearnerGoesOnWriting)
{
    chooseRandom();
    control<QAction>("MenuDiversEnter")->setChecked(true);
    QTest::mouseClick(control<QToolButton>("SpeedButtonSaisie"), Qt::LeftButton);
    sheet->MemoSaisie->setFocus();
    QTest::keyClicks(sheet->MemoSaisie, "abc");

    key(Qt::Key_Return);
    EXPECT_TRUE(Form1->Engine.RandomPlaying);
    EXPECT_EQ(sheet->MemoSaisie->toPlainText(), "abc"); // the key was the sheet's command
    const auto writing = [this] { return QApplication::focusWidget() == sheet->MemoSaisie; };
    EXPECT_TRUE(testsupport::waitFor(writing));
    ASSERT_TRUE(fake().finishNext());
    key(Qt::Key_Return);
    fake().finishAll();
    EXPECT_FALSE(Form1->Engine.RandomPlaying);
    EXPECT_FALSE(control<QWidget>("BitBtnPlayRandom")->isHidden());
    EXPECT_TRUE(testsupport::waitFor(writing));

    // Esc stops a series too; without the option Enter is a line break.
    key(Qt::Key_Return);
    EXPECT_TRUE(Form1->Engine.RandomPlaying);
    key(Qt::Key_Escape);
    fake().finishAll();
    EXPECT_FALSE(Form1->Engine.RandomPlaying);
    control<QAction>("MenuDiversEnter")->setChecked(false);
    key(Qt::Key_Return);
    EXPECT_FALSE(Form1->Engine.RandomPlaying);
    EXPECT_EQ(sheet->MemoSaisie->toPlainText(), "abc\n");
}

TEST_F(EntrySheet, EnterStopsTheSeriesEvenWithTheCharacterChoiceOpenOverIt)
{
    ClickButton(Form1->RadioButtonRandom);
    control<QAction>("MenuDiversEnter")->setChecked(true);
    QTest::mouseClick(control<QPushButton>("ButtonChangeLesson"), Qt::LeftButton);
    ASSERT_TRUE(control<QWidget>("PanelChoixRandom")->isVisible());
    menu->trigger();
    ASSERT_TRUE(sheet->isVisible());
    sheet->MemoSaisie->setFocus();

    key(Qt::Key_Return);
    ASSERT_TRUE(Form1->Engine.RandomPlaying);
    ASSERT_TRUE(fake().finishNext());
    key(Qt::Key_Return);
    // Play is offered again, and nothing plays on behind it.
    EXPECT_FALSE(control<QWidget>("BitBtnPlayRandom")->isHidden());
    EXPECT_FALSE(Form1->Engine.RandomPlaying);
    EXPECT_TRUE(Form1->ButtonStop->isHidden());
    fake().finishNext(); // the character being heard
    EXPECT_FALSE(fake().finishNext());
}

TEST_F(EntrySheet, EscStopsAPlayingTextAndWhenNothingPlaysAsksWhetherToQuit)
{
    loadFileText("tea");
    QTest::mouseClick(control<QToolButton>("SpeedButtonSaisieFile"), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>("ButtonPlayFile"), Qt::LeftButton);
    ASSERT_TRUE(state().TextPlaying);
    key(Qt::Key_Escape);
    fake().finishAll();
    EXPECT_FALSE(state().TextPlaying);

    QString asked;
    shelltest::whenDialogShown([&] {
        asked = shelltest::dialogText();
        FormDialog->ButtonNo->click();
    });
    key(Qt::Key_Escape);
    EXPECT_EQ(asked, MsgConfirmQuit());
    EXPECT_EQ(shelltest::terminations, 0);
    EXPECT_TRUE(sheet->isVisible());
}

TEST_F(EntrySheet, TheSheetLeftOpenComesBackAtTheNextStart)
{
    chooseRandom();
    menu->trigger();
    ASSERT_TRUE(sheet->isVisible());
    restartProgram();
    EXPECT_TRUE(control<QAction>("MenuSaisie")->isChecked());
    // The random groups come back with the window's first showing, and the sheet with them.
    EXPECT_TRUE(testsupport::waitFor([] { return FormSaisie->isVisible(); }));
    EXPECT_TRUE(Form1->RadioButtonRandom->isChecked());
    EXPECT_NE(settingsFileBytes().find("\r\nSHEET=1\r\n"), std::string::npos);
}

TEST_F(EntrySheet, TheHelpCardsButtonCoversNothingOnTheChoicePanel)
{
    control<QAction>("MenuChoixCaracteres")->trigger();
    auto *button = control<QToolButton>("SpeedButtonHelpChoixRanom");
    ASSERT_TRUE(button && button->isVisible());
    QWidget *panel = button->parentWidget();
    for (QWidget *other : panel->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (other != button && other->isVisible()) {
            EXPECT_FALSE(other->geometry().intersects(button->geometry())) << other->objectName().toStdString();
        }
    }
    EXPECT_TRUE(panel->rect().contains(button->geometry()));
}

TEST_F(EntrySheet, TheHelpCardExplainsTheChoiceInTheMenusLanguageAndLeadsToItsPage)
{
    control<QAction>("MenuChoixCaracteres")->trigger();
    auto *button = control<QToolButton>("SpeedButtonHelpChoixRanom");
    ASSERT_TRUE(button && button->isVisible());
    QTest::mouseClick(button, Qt::LeftButton);
    TFormhelpChoixRandom *card = FormhelpChoixRandom;
    ASSERT_TRUE(card->isVisible());
    EXPECT_EQ(card->Label1->text(), control<QWidget>("BoxCaracteresChoix")->toolTip());
    // What a double click and a right click on the list really do.
    EXPECT_EQ(card->Label1->text(),
              "Double-click to enter the lesson. Right click to create or to modify the selected lesson");
    EXPECT_EQ(card->Label2->text(), "Alternatively, to change the set of lessons, use menu Tools/Lesson settings");
    EXPECT_EQ(card->ButtonHelp->text(), "More help");
    Form1->Magyar1->trigger();
    EXPECT_EQ(card->ButtonHelp->text(), QStringLiteral("További segítség"));
    EXPECT_EQ(card->Label2->text(), ForDisplay(TxtLessonSetHint()));

    QTest::mouseClick(card->ButtonHelp, Qt::LeftButton);
    ASSERT_TRUE(ExistingHelpWindow());
    EXPECT_EQ(ExistingHelpWindow()->shownContext(), 31);
    ExistingHelpWindow()->hide();
    QTest::mouseClick(card->ButtonOK, Qt::LeftButton);
    EXPECT_FALSE(card->isVisible());
}
