// The demo view as a group watches it: the file text on the whole screen, its sent part
// selected as the engine sends, the keys and picture buttons, the font size it keeps.

#include "tests/training/modewindow.h"

#include "shell/zoom.h"
#include "training/demoview.h"
#include "training/filetextcore.h"

#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QToolButton>

#include <climits>

namespace {

class DemoView : public ModeWindow {
protected:
    void SetUp() override
    {
        ModeWindow::SetUp();
        demoButton = control<QToolButton>("SpeedButtonDemo");
        fileBox = control<QPlainTextEdit>("FileEdit");
        ASSERT_TRUE(demoButton && fileBox && FormDemo);
    }
    void TearDown() override
    {
        if (ZoomPercent != 100)
            MenuAgrandir100Click();
    }
    void open()
    {
        QTest::mouseClick(demoButton, Qt::LeftButton);
        ASSERT_TRUE(FormDemo->isVisible());
    }
    static void key(Qt::Key k) { QTest::keyClick(FormDemo->MemoDemo, k); }
    static QString shownSent() { return FormDemo->MemoDemo->textCursor().selectedText(); }

    QToolButton *demoButton = nullptr;
    QPlainTextEdit *fileBox = nullptr;
};

} // namespace

TEST(DemoViewRules, StalePositionsAndUnknownWidthsAreHeld)
{
    // A selection from positions left over from a longer text stays inside this one.
    EXPECT_EQ(DemoSelectionOf(50, 10, 20).start, 20);
    EXPECT_EQ(DemoSelectionOf(50, 10, 20).end, 20);
    EXPECT_EQ(DemoSelectionOf(-3, 5, 20).start, 0);
    EXPECT_EQ(DemoSelectionOf(-3, 5, 20).end, 5);
    EXPECT_EQ(DemoSelectionOf(5, INT_MAX, 20).end, 20);
    EXPECT_EQ(DemoSelectionOf(5, -2, 20).end, 5);
    // The first size: scaled by the widths, truncated; held to 6..200; the box's own while
    // its width is not known.
    EXPECT_EQ(InitialDemoFontSize(10, 1037, 200), 51);
    EXPECT_EQ(InitialDemoFontSize(10, 1000, 0), 10);
    EXPECT_EQ(InitialDemoFontSize(10, 100000, 10), MaxDemoFontSize);
    EXPECT_EQ(InitialDemoFontSize(2, 100, 1000), MinDemoFontSize);
}

TEST_F(DemoView, AHiddenTextIsNotShownAVisibleOneFillsTheScreen)
{
    loadFileText("tea\r\nmi");
    auto *hide = control<QPushButton>("ButtonHideFile");
    QTest::mouseClick(hide, Qt::LeftButton);
    QTest::mouseClick(demoButton, Qt::LeftButton);
    EXPECT_FALSE(FormDemo->isVisible());

    QTest::mouseClick(hide, Qt::LeftButton);
    open();
    EXPECT_TRUE(FormDemo->isMaximized());
    EXPECT_EQ(FormDemo->MemoDemo->toPlainText(), QStringLiteral("tea\nmi"));
    const QSize screen = FormDemo->screen()->availableGeometry().size();
    EXPECT_EQ(FormDemo->MemoDemo->width(), screen.width() - 50);
    EXPECT_EQ(FormDemo->MemoDemo->height(), screen.height() - 40);
    EXPECT_TRUE(FormDemo->ImagePlay->isVisible());
    EXPECT_FALSE(FormDemo->ImageStop->isVisible());
    EXPECT_EQ(FormDemo->ImagePlay->x(), FormDemo->MemoDemo->width() + 5);
}

TEST_F(DemoView, SpaceStartsTheTextTheSelectionFollowsTheSentCharactersAndEscCloses)
{
    loadFileText("tea\r\nmi\r\nso");
    open();
    key(Qt::Key_Space);
    EXPECT_TRUE(state().TextPlaying);
    EXPECT_TRUE(FormDemo->ImageStop->isVisible());
    EXPECT_FALSE(FormDemo->ImagePlay->isVisible());
    EXPECT_EQ(FormDemo->focusWidget(), FormDemo->MemoDemo); // the main window left it alone

    // Character by character, over the line ends (which sound nothing), the view shows what
    // the text box shows.
    const QString expected[] = {QStringLiteral("te"), QStringLiteral("tea"), QStringLiteral("tea\u2029m"),
                                QStringLiteral("tea\u2029mi"), QStringLiteral("tea\u2029mi\u2029s")};
    EXPECT_EQ(shownSent(), QStringLiteral("t"));
    for (const QString &sent : expected) {
        ASSERT_TRUE(fake().finishNext());
        EXPECT_EQ(shownSent(), sent);
        EXPECT_EQ(fileBox->textCursor().selectedText(), sent);
    }
    // Esc while it plays stops it; Esc again closes the view.
    key(Qt::Key_Escape);
    fake().finishAll();
    EXPECT_FALSE(state().TextPlaying);
    EXPECT_TRUE(FormDemo->isVisible());
    EXPECT_TRUE(FormDemo->ImagePlay->isVisible());
    key(Qt::Key_Escape);
    EXPECT_FALSE(FormDemo->isVisible());
}

TEST_F(DemoView, SpaceAgainStopsEnterContinuesAndTheEndOfTheTextOffersPlay)
{
    loadFileText("tem");
    open();
    key(Qt::Key_Space);
    ASSERT_TRUE(fake().finishNext());
    key(Qt::Key_Space);
    fake().finishAll();
    EXPECT_FALSE(state().TextPlaying);
    EXPECT_TRUE(FormDemo->ImagePlay->isVisible());
    EXPECT_EQ(shownSent(), QStringLiteral("te")); // what was sent stays shown

    key(Qt::Key_Return); // Continue, from the stop
    EXPECT_TRUE(state().TextPlaying);
    fake().finishAll();
    EXPECT_FALSE(state().TextPlaying);
    EXPECT_TRUE(FormDemo->ImagePlay->isVisible());
    EXPECT_FALSE(FormDemo->ImageStop->isVisible());
    EXPECT_TRUE(FormDemo->isVisible());
}

TEST_F(DemoView, ALongLineShownInRowsIsSelectedFromTheClickedCharacter)
{
    const std::string row(filetext::MaxShownRow, 'e');
    loadFileText(row + "tim");
    state().FileSelStart = static_cast<int>(row.size()); // the "t" chosen by a click
    state().FileTextIndex = 2;
    open();
    EXPECT_EQ(FormDemo->MemoDemo->toPlainText(), QString::fromStdString(row + "\ntim"));
    EXPECT_EQ(shownSent(), QStringLiteral("ti"));
}

TEST_F(DemoView, TheChosenFontSizeIsUsedAgainAndHeldToItsRange)
{
    loadFileText("tea");
    open();
    const int first = DemoFontSize();
    EXPECT_GE(first, MinDemoFontSize);
    QTest::mouseClick(FormDemo->ImageLoupePlus, Qt::LeftButton);
    QTest::mouseClick(FormDemo->ImageLoupePlus, Qt::LeftButton);
    EXPECT_EQ(DemoFontSize(), first + 2);
    key(Qt::Key_Escape);
    open();
    EXPECT_EQ(FormDemo->MemoDemo->font().pointSize(), first + 2);

    for (int i = 0; i < first + 10; ++i)
        QTest::mouseClick(FormDemo->ImageLoupeMoins, Qt::LeftButton);
    EXPECT_EQ(FormDemo->MemoDemo->font().pointSize(), MinDemoFontSize);
}

TEST_F(DemoView, TheScrollPicturesMoveTheTextAndTheEnlargementGrowsThemWhileTheViewIsOpen)
{
    std::string lines;
    for (int i = 0; i < 300; ++i)
        lines += "tea\r\n";
    loadFileText(lines);
    open();
    QScrollBar *bar = FormDemo->MemoDemo->verticalScrollBar();
    bar->setValue(0);
    QTest::mouseClick(FormDemo->ImagePageDN, Qt::LeftButton);
    const int page = bar->value();
    EXPECT_GT(page, 1);
    QTest::mouseClick(FormDemo->ImageDown, Qt::LeftButton);
    EXPECT_EQ(bar->value(), page + 1);
    QTest::mouseClick(FormDemo->ImageUP, Qt::LeftButton);
    QTest::mouseClick(FormDemo->ImagePageUP, Qt::LeftButton);
    EXPECT_EQ(bar->value(), 0);

    const int side = FormDemo->ImagePlay->width();
    control<QAction>("MenuAgrandir150")->trigger();
    EXPECT_TRUE(FormDemo->isVisible());
    EXPECT_EQ(FormDemo->ImagePlay->width(), side * 150 / 100);
    // The grown pictures still stand whole on the screen, right of the memo.
    const int screenWidth = FormDemo->screen()->availableGeometry().width();
    for (QWidget *picture : FormDemo->findChildren<TDemoImage *>()) {
        EXPECT_GT(picture->x(), FormDemo->MemoDemo->width()) << picture->objectName().toStdString();
        EXPECT_LE(picture->geometry().right(), screenWidth - 1) << picture->objectName().toStdString();
    }
    control<QAction>("MenuAgrandir100")->trigger();
    EXPECT_EQ(FormDemo->ImagePlay->width(), side);
}
