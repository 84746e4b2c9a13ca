// The games launcher: its caption and label follow the language, it opens at the enlargement
// centred on the main window, and a picture opens its game.

#include "tests/common/testsupport.h"
#include "tests/games/gamestestsupport.h"

#include "games/formgames.h"
#include "games/formmemorypairs.h"
#include "games/formmorsejong.h"
#include "shell/languages/languages.h"
#include "shell/utilities.h"

#include <QAccessible>
#include <QAction>
#include <QLabel>

using namespace gamestest;

namespace {

class Launcher : public GameWindowTest {
protected:
    static void openLauncher() { Form1->findChild<QAction *>(QStringLiteral("MenuGames"))->trigger(); }
};

} // namespace

TEST_F(Launcher, ItIsCaptionedLikeTheGamesItemAndEachPictureOpensItsGame)
{
    ASSERT_TRUE(ClickLanguageLetter('D'));
    openLauncher();
    ASSERT_TRUE(FormGames->isVisible());
    EXPECT_EQ(FormGames->windowTitle(), QStringLiteral("Spiele"));
    EXPECT_EQ(FormGames->LabelImageMemorygame->text(), QStringLiteral("Memory-Spiel"));
    EXPECT_EQ(FormGames->LabelImageMahjong->text(), QStringLiteral("Mahjong"));

    QTest::mouseClick(FormGames->ImageMahjong, Qt::LeftButton);
    EXPECT_TRUE(FormMorseJong->isVisible());
    EXPECT_FALSE(FormGames->isVisible());
    EXPECT_EQ(FormMorseJong->windowTitle(), QStringLiteral("Zidid-Uvar, der Mah-Jongg für Morse-Code"));

    ASSERT_TRUE(ClickLanguageLetter('E'));
    openLauncher();
    EXPECT_EQ(FormGames->windowTitle(), QStringLiteral("Games"));
    EXPECT_EQ(FormGames->LabelImageMemorygame->text(), QStringLiteral("Memory game"));
    QTest::mouseClick(FormGames->ImageMemoryGame, Qt::LeftButton);
    EXPECT_TRUE(FormMemoryPairs->isVisible());
    EXPECT_FALSE(FormGames->isVisible());
    // The game window stays open on its own.
    EXPECT_TRUE(FormMorseJong->isVisible());
}

// A screen reader finds each picture as a button named by its caption, and its press opens the
// game as the click does.
TEST_F(Launcher, EachPictureIsAButtonNamedByItsCaptionWhosePressOpensItsGame)
{
    ASSERT_TRUE(ClickLanguageLetter('D'));
    openLauncher();
    QAccessibleInterface *pairs = QAccessible::queryAccessibleInterface(FormGames->ImageMemoryGame);
    ASSERT_NE(pairs, nullptr);
    EXPECT_EQ(pairs->text(QAccessible::Name), QStringLiteral("Memory-Spiel"));
    ASSERT_TRUE(testsupport::pressAccessibly(FormGames->ImageMemoryGame));
    EXPECT_TRUE(FormMemoryPairs->isVisible());
    EXPECT_FALSE(FormGames->isVisible());

    ASSERT_TRUE(ClickLanguageLetter('E'));
    openLauncher();
    EXPECT_EQ(QAccessible::queryAccessibleInterface(FormGames->ImageMahjong)->text(QAccessible::Name),
              QStringLiteral("Mahjong"));
    ASSERT_TRUE(testsupport::pressAccessibly(FormGames->ImageMahjong));
    EXPECT_TRUE(FormMorseJong->isVisible());
}

TEST_F(Launcher, AtOneHundredFiftyPercentItOpensLargerCentredOnTheMainWindowAndHidesBackToItsSize)
{
    // Where the launcher centred on the enlarged main window still lies on the screen (a side
    // window is kept on it), but away from the screen's centre.
    Form1->setGeometry(0, 0, 700, 560);
    Form1->show();
    ASSERT_TRUE(ClickMenuItem(Form1->MenuAgrandir150));
    const QRect design = FormGames->ImageMahjong->geometry();
    openLauncher();
    EXPECT_EQ(FormGames->size(), QSize(TFormGames::DesignWidth * 3 / 2, TFormGames::DesignHeight * 3 / 2));
    EXPECT_EQ(FormGames->ImageMahjong->geometry(),
              QRect(design.x() * 3 / 2, design.y() * 3 / 2, design.width() * 3 / 2, design.height() * 3 / 2));
    const QPoint offset = FormGames->frameGeometry().center() - Form1->frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << "," << offset.y();

    FormGames->hide();
    EXPECT_EQ(FormGames->size(), QSize(TFormGames::DesignWidth, TFormGames::DesignHeight));
    EXPECT_EQ(FormGames->ImageMahjong->geometry(), design);

    // The games open at the step too.
    openLauncher();
    QTest::mouseClick(FormGames->ImageMahjong, Qt::LeftButton);
    GameTile *tile = FormMorseJong->Tiles[1];
    EXPECT_EQ(tile->size(), QSize(135, 105));
}
