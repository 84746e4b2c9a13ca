// The message box: layout by line count, message and question layouts, answers, requests
// that overlap, the do-not-show warning, and its place on the screen.

#include "tests/common/testsupport.h"
#include "tests/shell/shelltestsupport.h"

#include "shell/formdialog.h"
#include "shell/languages/languages.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTextLayout>
#include <QTimer>
#include <gtest/gtest.h>

#include <ostream>

namespace {

using shelltest::dialogText;
using shelltest::whenDialogShown;

struct LayoutCase {
    const char *text;
    int lines;
    int windowHeight;
    int pictureTop;
    int buttonTop;
    int checkBoxTop;
};

void PrintTo(const LayoutCase &c, std::ostream *os)
{
    *os << c.lines << " lines";
}

class DialogLayoutByLines : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(DialogLayoutByLines, GrowsBy13PixelsALineWithThePicturesByHalf)
{
    const LayoutCase &c = GetParam();
    const DialogLayout layout = ComputeDialogLayout(c.lines, 13);
    EXPECT_EQ(layout.windowHeight, c.windowHeight);
    EXPECT_EQ(layout.labelHeight, 33 + (c.windowHeight - 160));
    EXPECT_EQ(layout.pictureTop, c.pictureTop);
    EXPECT_EQ(layout.buttonTop, c.buttonTop);
    EXPECT_EQ(layout.checkBoxTop, c.checkBoxTop);

    // The window on screen, laid out for the text.
    int height = 0, pictureTop = 0, okTop = 0;
    whenDialogShown([&] {
        height = FormDialog->height();
        pictureTop = FormDialog->ImageWarning->y();
        okTop = FormDialog->ButtonOK->y();
        EXPECT_EQ(FormDialog->width(), 414);
        EXPECT_EQ(FormDialog->LabelDialog->height(), layout.labelHeight);
        FormDialog->ButtonOK->click();
    });
    ShowProgramMessage(c.text);
    EXPECT_EQ(height, c.windowHeight);
    EXPECT_EQ(pictureTop, c.pictureTop);
    EXPECT_EQ(okTop, c.buttonTop);
}

// Pictures move by half the growth rounded half to even: 6.5 gives 6, 19.5 gives 20,
// 32.5 gives 32.
INSTANTIATE_TEST_SUITE_P(Lines, DialogLayoutByLines,
                         ::testing::Values(LayoutCase{"", 0, 160, 11, 58, 89},
                                           LayoutCase{"A", 1, 173, 17, 71, 102},
                                           LayoutCase{"A\r\nB\r\nC", 3, 199, 31, 97, 128},
                                           LayoutCase{"1\r\n2\r\n3\r\n4\r\n5", 5, 225, 43, 123, 154}));

TEST(DialogLines, LineBreaksCountOnceAndLongTextsWrap)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    EXPECT_EQ(CountDialogLines(QString(), font, 329), 0);
    EXPECT_EQ(CountDialogLines(QStringLiteral("A\r\nB\r\nC"), font, 329), 3);
    EXPECT_EQ(CountDialogLines(QStringLiteral("A\nB\rC"), font, 329), 3);
    const QString longText = QStringLiteral("word ").repeated(60).trimmed();
    EXPECT_GT(CountDialogLines(longText, font, 329), 1);
    EXPECT_EQ(CountDialogLines(longText, font, 100000), 1);
}

TEST(Dialog, AMessageBeforeAnyWindowExistsIsShown)
{
    ASSERT_EQ(FormDialog, nullptr) << "each test starts without windows";
    QString seen;
    whenDialogShown([&] {
        seen = dialogText();
        FormDialog->ButtonOK->click();
    });
    ShowProgramMessage("Err 2 : Can't open the sound card !");
    EXPECT_EQ(seen, QStringLiteral("Err 2 : Can't open the sound card !"));
    EXPECT_EQ(FormDialog->windowTitle(), QStringLiteral("KESTRELON"));
}

// The newer-release message in every language: the line that holds the address holds all of it.
TEST(Dialog, AWebAddressIsNeverCutAndStartsALineOfItsOwnWhenItDoesNotFit)
{
    for (int index = 0; index < LanguageCount; ++index) {
        const QString text = MessageIn(Msg::MsgNewerRelease, static_cast<Language>(index));
        QString shown;
        QLabel *label = nullptr;
        whenDialogShown([&] {
            label = FormDialog->findChild<QLabel *>(QStringLiteral("LabelDialog"));
            shown = label ? label->text() : QString();
            FormDialog->ButtonOK->click();
        });
        ShowProgramMessage(text);
        ASSERT_NE(label, nullptr);
        const int start = int(shown.indexOf(QLatin1String(MakerWebAddress)));
        ASSERT_GE(start, 0) << shown.toStdString();
        const int end = start + int(qstrlen(MakerWebAddress));
        QString lines = shown;
        lines.replace(QLatin1Char('\n'), QChar::LineSeparator);
        QTextLayout layout(lines, label->font());
        QTextOption option;
        option.setWrapMode(QTextOption::WordWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        bool whole = false;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(label->width());
            if (line.textStart() <= start && start < line.textStart() + line.textLength())
                whole = end <= line.textStart() + line.textLength();
        }
        layout.endLayout();
        EXPECT_TRUE(whole) << shown.toStdString();
    }
}

TEST(Dialog, AQuestionAfterAMessageShowsYesNoAndTheQuestionPicture)
{
    bool okShown = false, yesShown = true, warningPicture = false, boxShown = true;
    whenDialogShown([&] {
        okShown = FormDialog->ButtonOK->isVisible();
        yesShown = FormDialog->ButtonYes->isVisible() || FormDialog->ButtonNo->isVisible();
        warningPicture = FormDialog->ImageWarning->isVisible() && !FormDialog->Image1->isVisible();
        boxShown = FormDialog->CheckBoxWarningFile->isVisible();
        FormDialog->ButtonOK->click();
    });
    ShowProgramMessage("Nothing to copy! Please select a text.");
    EXPECT_TRUE(okShown);
    EXPECT_FALSE(yesShown);
    EXPECT_TRUE(warningPicture);
    EXPECT_FALSE(boxShown); // never in a plain message
    EXPECT_EQ(DialogResult, -1);

    bool questionLayout = false;
    QString yes, no;
    whenDialogShown([&] {
        questionLayout = FormDialog->ButtonYes->isVisible() && FormDialog->ButtonNo->isVisible()
                         && !FormDialog->ButtonOK->isVisible() && FormDialog->Image1->isVisible()
                         && !FormDialog->ImageWarning->isVisible();
        yes = FormDialog->ButtonYes->text();
        no = FormDialog->ButtonNo->text();
        FormDialog->ButtonYes->click();
    });
    EXPECT_EQ(AskProgramQuestion(std::string("You quit ! Are you sure ?")), 1);
    EXPECT_TRUE(questionLayout);
    EXPECT_EQ(yes, "Yes");
    EXPECT_EQ(no, "No");
    EXPECT_EQ(DialogResult, 1);
    EXPECT_FALSE(FormDialog->isVisible());
}

TEST(Dialog, TheLessonResetQuestionShowsTheWarningPicture)
{
    bool warningPicture = false;
    whenDialogShown([&] {
        warningPicture = FormDialog->ImageWarning->isVisible() && !FormDialog->Image1->isVisible()
                         && FormDialog->ButtonYes->isVisible();
        FormDialog->ButtonNo->click();
    });
    EXPECT_EQ(AskProgramQuestion(std::string("Reset the lessons ?"), QuestionPicture::Warning), 0);
    EXPECT_TRUE(warningPicture);
    EXPECT_TRUE(FormDialog->Image1->isHidden() == false); // back to the design layout after
}

TEST(Dialog, ClosingTheWindowOrEscAnswersNo)
{
    whenDialogShown([] { FormDialog->close(); });
    EXPECT_EQ(AskProgramQuestion(std::string("Replace the code ?")), 0);
    EXPECT_EQ(DialogResult, 0);

    whenDialogShown([] {
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(FormDialog, &esc);
    });
    EXPECT_EQ(AskProgramQuestion(std::string("Replace the code ?")), 0);

    whenDialogShown([] { FormDialog->hide(); }); // hidden any other way: No as well
    EXPECT_EQ(AskProgramQuestion(std::string("Replace the code ?")), 0);
}

TEST(Dialog, ASecondRequestWhileOneWaitsGetsItsOwnAnswer)
{
    int firstAnswer = -1, secondAnswer = -1;
    bool secondAsked = false;
    QStringList shown;
    whenDialogShown([&] {
        shown << dialogText();
        // A timer of the program asks its own question while the first one is open.
        QTimer::singleShot(0, [&] {
            secondAsked = true;
            whenDialogShown([&] {
                // Still the first question on screen: the second waits behind it.
                shown << dialogText();
                FormDialog->ButtonYes->click();
                whenDialogShown([&] {
                    shown << dialogText();
                    FormDialog->ButtonNo->click();
                });
            });
            secondAnswer = AskProgramQuestion(QStringLiteral("second"));
        });
    });
    firstAnswer = AskProgramQuestion(QStringLiteral("first"));

    EXPECT_TRUE(secondAsked);
    EXPECT_EQ(shown, QStringList({"first", "first", "second"}));
    EXPECT_EQ(firstAnswer, 1);
    EXPECT_EQ(secondAnswer, 0);
    EXPECT_FALSE(FormDialog->isVisible());
}

TEST(Dialog, AMessageRaisedDuringAMessageIsShownAfterIt)
{
    QStringList shown;
    whenDialogShown([&] {
        shown << dialogText();
        QTimer::singleShot(0, [&] {
            whenDialogShown([&] {
                FormDialog->ButtonOK->click();
                whenDialogShown([&] {
                    shown << dialogText();
                    FormDialog->ButtonOK->click();
                });
            });
            ShowProgramMessage("Err 5 : WaveOutReset");
        });
    });
    ShowProgramMessage("Not enough memory !");
    EXPECT_EQ(shown, QStringList({"Not enough memory !", "Err 5 : WaveOutReset"}));
    EXPECT_EQ(DialogResult, -1);
}

TEST(Dialog, TheAnsiWarningOffersItsBoxAndIsNotShownOnceTicked)
{
    WarnAnsiShown = false;
    bool boxShown = false;
    QString caption;
    whenDialogShown([&] {
        boxShown = FormDialog->CheckBoxWarningFile->isVisible();
        caption = FormDialog->CheckBoxWarningFile->text();
        FormDialog->CheckBoxWarningFile->setChecked(true);
        FormDialog->ButtonOK->click();
    });
    ShowAnsiWarning(std::string("This file is not an ANSI text."));
    EXPECT_TRUE(boxShown);
    EXPECT_EQ(caption, QStringLiteral("Do not show this warning anymore")); // English, the language at start
    EXPECT_TRUE(WarnAnsiShown);
    EXPECT_FALSE(FormDialog->CheckBoxWarningFile->isVisible());

    int shows = 0;
    whenDialogShown([&] {
        ++shows;
        FormDialog->ButtonOK->click();
    }, 300);
    ShowAnsiWarning(std::string("This file is not an ANSI text."));
    testsupport::waitFor([] { return false; }, 350);
    EXPECT_EQ(shows, 0);
}

TEST(Dialog, AnUntickedWarningIsShownAgain)
{
    WarnAnsiShown = false;
    int shows = 0;
    for (int i = 0; i < 2; ++i) {
        whenDialogShown([&] {
            ++shows;
            FormDialog->CheckBoxWarningFile->setChecked(false);
            FormDialog->ButtonOK->click();
        });
        ShowAnsiWarning(std::string("This file is not an ANSI text."));
    }
    EXPECT_EQ(shows, 2);
    EXPECT_FALSE(WarnAnsiShown);
}

TEST(Dialog, ALanguageSwitchWhileAQuestionIsOpenTranslatesItsCaptions)
{
    shelltest::ensureWindows();
    Form1->English1->trigger();
    QString yes, box;
    bool stillOpen = false;
    whenDialogShown([&] {
        Form1->Espagnol1->trigger(); // Ctrl+F7 while the question waits
        yes = FormDialog->ButtonYes->text();
        box = FormDialog->CheckBoxWarningFile->text();
        stillOpen = FormDialog->isVisible();
        FormDialog->ButtonNo->click();
    });
    EXPECT_EQ(AskProgramQuestion(std::string("Replace the code ?")), 0);
    Form1->English1->trigger();
    EXPECT_EQ(yes, QStringLiteral("Si"));
    EXPECT_EQ(box, QStringLiteral("No mostrar más esta advertencia"));
    EXPECT_TRUE(stillOpen);
}

TEST(Dialog, TheMainWindowHandsTheFocusBackWhileAMessageIsOpen)
{
    shelltest::ensureWindows();
    Form1->show();
    // Notes when the main window has been activated.
    struct ActivationWatch : QObject {
        bool activated = false;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::WindowActivate)
                activated = true;
            return false;
        }
    } mainActivation;
    Form1->installEventFilter(&mainActivation);
    QWidget *activeAfterClick = nullptr;
    whenDialogShown([&] {
        testsupport::waitFor([] { return QApplication::activeWindow() == FormDialog; }, 2000);
        mainActivation.activated = false;
        Form1->activateWindow(); // the user clicks the main window
        // Once the main window had it, the focus goes back to the message.
        testsupport::waitFor([&] { return mainActivation.activated && QApplication::activeWindow() == FormDialog; },
                             2000);
        EXPECT_TRUE(mainActivation.activated);
        activeAfterClick = QApplication::activeWindow();
        FormDialog->ButtonOK->click();
    });
    ShowProgramMessage("Err 2 : Can't open the sound card !");
    EXPECT_EQ(activeAfterClick, FormDialog);

    // With no message open the main window keeps it.
    Form1->activateWindow();
    EXPECT_TRUE(testsupport::waitFor([] { return QApplication::activeWindow() == Form1; }, 2000));
    Form1->removeEventFilter(&mainActivation);
    Form1->hide();
}

TEST(Dialog, StaysInsideTheScreenWhereverTheMainWindowIs)
{
    shelltest::ensureWindows();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    for (const QPoint corner : {QPoint(area.right() - 30, area.bottom() - 30), QPoint(-2000, -2000),
                                QPoint(area.left() + 10, area.top() + 10)}) {
        Form1->move(corner);
        QRect placed;
        whenDialogShown([&] {
            placed = FormDialog->frameGeometry();
            FormDialog->ButtonOK->click();
        });
        ShowProgramMessage("Err 1 : COM");
        EXPECT_TRUE(area.contains(placed.topLeft())) << corner.x() << "," << corner.y();
        EXPECT_TRUE(area.contains(QPoint(placed.left() + FormDialog->width() - 1,
                                         placed.top() + FormDialog->height() - 1)))
            << corner.x() << "," << corner.y();
    }
    // Where there is room: 20 right of and 200 below the main window's corner.
    Form1->move(area.topLeft() + QPoint(10, 10));
    QPoint at;
    whenDialogShown([&] {
        at = FormDialog->pos();
        FormDialog->ButtonOK->click();
    });
    ShowProgramMessage("Err 1 : COM");
    EXPECT_EQ(at, Form1->pos() + QPoint(20, 200));
}

} // namespace
