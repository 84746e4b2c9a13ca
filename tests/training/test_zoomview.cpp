// The zoom view as the user meets it: the character being sent and its code in large type,
// its case button, keys typed in it, its place and its size, and its settings.

#include "tests/common/fakeaudiooutput.h"
#include "tests/common/testsupport.h"
#include "tests/shell/shelltestsupport.h"

#include "engine/morsecode.h"
#include "shell/mainwindow.h"
#include "shell/settingskeys.h"
#include "shell/settingsformat.h"
#include "shell/soundengine.h"
#include "shell/startup.h"
#include "shell/utilities.h"
#include "shell/zoomview.h"
#include "training/typing.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

const bool fakeSound = shelltest::useFakeSound();

using shelltest::fake;

QAction *menuZoom()
{
    return Form1->findChild<QAction *>(QStringLiteral("MenuZoom"));
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

class ZoomView : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fakeSound);
        shelltest::ensureWindows();
        Form1->show();
        SoundEngine().Timings.setStartSilence(0);
        typing = Form1->findChild<QLineEdit *>(QStringLiteral("Editcaractere"));
    }
    void TearDown() override { fake().finishAll(); }

    void open()
    {
        ClickMenuItem(menuZoom());
        ASSERT_TRUE(FormZoom->isVisible());
    }

    QLineEdit *typing = nullptr;
};

TEST_F(ZoomView, ShowsTheCharacterBeingSentWithItsCodeAndNothingInTheQuiz)
{
    open();
    typing->setFocus();
    QTest::keyClick(typing, Qt::Key_A);
    EXPECT_EQ(FormZoom->LabelZoom->text(), QStringLiteral("A"));
    EXPECT_EQ(FormZoom->LabelCode->text(), QStringLiteral(".-"));
    fake().finishAll();
    EXPECT_TRUE(FormZoom->LabelZoom->text().isEmpty()) << "cleared when the character has been sent";
    EXPECT_TRUE(FormZoom->LabelCode->text().isEmpty());

    // The case button shows lower case; a prosign shows its letters.
    ClickButton(FormZoom->SpeedButtonZoomCase);
    EXPECT_TRUE(ZoomLowerCase);
    QTest::keyClick(typing, Qt::Key_Q);
    EXPECT_EQ(FormZoom->LabelZoom->text(), QStringLiteral("q"));
    EXPECT_EQ(FormZoom->LabelCode->text(), QStringLiteral("--.-"));
    fake().finishAll();
    unsigned char prosign = ProsignAR;
    EditCaractereKeyPress(nullptr, prosign);
    EXPECT_EQ(FormZoom->LabelZoom->text(), QStringLiteral("AR"));
    fake().finishAll();

    Form1->RadioButtonQuiz->setChecked(true);
    QTest::keyClick(typing, Qt::Key_E);
    EXPECT_TRUE(FormZoom->LabelZoom->text().isEmpty());
    EXPECT_TRUE(FormZoom->LabelCode->text().isEmpty());
}

TEST_F(ZoomView, KeysTypedInItAreSentWhileTheTypingBoxIsEnabled)
{
    open();
    QTest::keyClick(FormZoom, Qt::Key_K);
    EXPECT_TRUE(ZoomTyping);
    EXPECT_EQ(FormZoom->LabelCode->text(), QStringLiteral("-.-"));
    EXPECT_TRUE(typing->text().isEmpty()) << "a handed-over key never enters the box";
    fake().finishAll();
    EXPECT_FALSE(ZoomTyping) << "the end of the text leaves the focus where it is, once";

    typing->setEnabled(false);
    const std::size_t buffers = fake().written.size();
    QTest::keyClick(FormZoom, Qt::Key_M);
    EXPECT_TRUE(ZoomTyping);
    EXPECT_EQ(fake().written.size(), buffers);
    EXPECT_TRUE(Form1->Engine.PlayQueue.empty());
    typing->setEnabled(true);
}

TEST_F(ZoomView, OpensWhereItWasClosedHeldToTheScreen)
{
    const QPoint design = FormZoom->pos();
    open();
    EXPECT_EQ(FormZoom->pos(), design) << "never closed before: its design place";
    FormZoom->move(300, 40);
    FormZoom->close();
    EXPECT_FALSE(menuZoom()->isChecked());
    EXPECT_EQ(written("ZOOMPOS="), "40,300");
    EXPECT_EQ(written("ZOOM="), "0");

    readSettings("ZOOMPOS=20,250\r\n");
    open();
    EXPECT_EQ(FormZoom->pos(), QPoint(250, 20));
    EXPECT_EQ(written("ZOOM="), "1");
    ClickMenuItem(menuZoom());
    EXPECT_FALSE(FormZoom->isVisible());

    // A place on no screen any more: on the screen again.
    readSettings("ZOOMPOS=30000,-30000\r\n");
    open();
    const QRect screen = FormZoom->screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(FormZoom->frameGeometry().topLeft())) << FormZoom->x() << "," << FormZoom->y();
}

TEST_F(ZoomView, TheSettingsOpenItAtStartWithItsCase)
{
    readSettings("ZOOM=1\r\nZCASE=1\r\n");
    PushSettingsIntoSideWindows();
    EXPECT_TRUE(FormZoom->isVisible());
    EXPECT_TRUE(menuZoom()->isChecked());
    EXPECT_TRUE(FormZoom->SpeedButtonZoomCase->isChecked());
    EXPECT_EQ(written("ZCASE="), "1");
    ClickButton(FormZoom->SpeedButtonZoomCase);
    EXPECT_EQ(written("ZCASE="), "0");
}

TEST_F(ZoomView, TheLettersFollowTheWindowsHeightAndNeverVanish)
{
    open();
    const int base = FormZoom->BaseClientHeight;
    // Twice the height above the top strip: everything twice as large.
    FormZoom->resize(400, TFormZoom::TopStrip + 2 * (base - TFormZoom::TopStrip));
    EXPECT_EQ(FormZoom->LabelZoom->height(), 2 * FormZoom->BaseZoomHeight);
    EXPECT_EQ(FormZoom->LabelZoom->font().pointSize(), 2 * FormZoom->BaseZoomFont);
    EXPECT_EQ(FormZoom->LabelZoom->width(), 400 - TFormZoom::SideMargins);
    EXPECT_EQ(FormZoom->LabelCode->y(), FormZoom->LabelZoom->y() + FormZoom->LabelZoom->height());
    EXPECT_EQ(FormZoom->LabelCode->height(), 2 * FormZoom->BaseCodeHeight);
    EXPECT_EQ(FormZoom->LabelCode->font().pointSize(), 2 * FormZoom->BaseCodeFont);

    FormZoom->resize(1, 1); // as small as it goes
    EXPECT_GE(FormZoom->height(), TFormZoom::TopStrip + 1);
    EXPECT_GE(FormZoom->LabelZoom->font().pointSize(), 1);
    EXPECT_GE(FormZoom->LabelCode->font().pointSize(), 1);
    EXPECT_GE(FormZoom->LabelZoom->width(), 1);
}

} // namespace
