// The tile-matching window as the player uses it: clicks that send their characters, solving,
// a new deal in the middle of a match, the hint and the statistics.

#include "tests/common/testsupport.h"
#include "tests/games/gamestestsupport.h"

#include "games/formmorsejong.h"
#include "games/gamesmodule.h"
#include "shell/settingsfile.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

using namespace gamestest;

namespace {

class JongWindow : public GameWindowTest {
protected:
    TFormMorseJong *w = nullptr;
    void SetUp() override
    {
        GameWindowTest::SetUp();
        w = FormMorseJong;
        ASSERT_NE(w, nullptr);
        w->show(); // the first showing deals
    }
    int tilesShown() const
    {
        int shown = 0;
        for (int n = 1; n <= jong::TileCount; ++n)
            shown += !w->Tiles[n]->isHidden();
        return shown;
    }
    // A free tile whose face differs from `other`'s.
    int freeTileNotLike(int other) const
    {
        for (int n : jong::FreeTiles(w->Game.board))
            if (n != other && w->Game.tileFaces[n].substr(0, 7) != w->Game.tileFaces[other].substr(0, 7))
                return n;
        return 0;
    }
    char characterOf(int tile) const { return w->Game.tileFaces[tile].at(6); }
};

} // namespace

TEST_F(JongWindow, EachSelectedTileIsSentAndTheWindowGetsTheKeyboardBack)
{
    ASSERT_EQ(tilesShown(), jong::TileCount);
    EXPECT_EQ(GamesState().JongPlayed, 1);
    const int a = jong::FreeTiles(w->Game.board).front();
    const int b = freeTileNotLike(a);
    ASSERT_NE(b, 0);

    click(w->Tiles[a]);
    EXPECT_EQ(engine().PlayQueue, std::string(1, characterOf(a)));
    EXPECT_TRUE(engine().JongPlaying);
    EXPECT_EQ(w->Tiles[a]->picture().size(), 8); // its selected look
    // The same tile again: unselected and silent.
    click(w->Tiles[a]);
    EXPECT_EQ(engine().PlayQueue.size(), 1u);
    EXPECT_EQ(w->Tiles[a]->picture().size(), 7);
    // Another character: the selection moves and the new character is queued behind.
    click(w->Tiles[a]);
    click(w->Tiles[b]);
    const std::string sent{characterOf(a), characterOf(a), characterOf(b)};
    EXPECT_EQ(engine().PlayQueue, sent);
    EXPECT_EQ(w->Game.selectedTile, b);

    // A tile that is not free (between two others on the floor) does nothing.
    click(w->Tiles[2]);
    EXPECT_EQ(w->Game.selectedTile, b);

    // Once everything has been heard, the game window has the keyboard, not the typing box.
    auto *box = Form1->findChild<QLineEdit *>(QStringLiteral("Editcaractere"));
    ASSERT_NE(box, nullptr);
    Form1->show();
    Form1->activateWindow();
    ASSERT_TRUE(testsupport::waitFor([] { return QApplication::activeWindow() == Form1; }));
    ASSERT_TRUE(testsupport::waitFor([] { return heardAll() && engine().PlayQueue.empty() && !engine().JongPlaying; }));
    EXPECT_TRUE(testsupport::waitFor([&] { return QApplication::activeWindow() == w; }));
    EXPECT_TRUE(box->text().isEmpty());

    // Muted, selecting sends nothing.
    w->MenuMute->trigger();
    click(w->Tiles[a]);
    EXPECT_TRUE(engine().PlayQueue.empty());
    EXPECT_EQ(w->Game.selectedTile, a);
}

// A screen reader reads each tile's character and number, and its press plays the tile as a
// click does.
TEST_F(JongWindow, ATileIsAButtonNamedByItsCharacterWhosePressSelectsAndSendsIt)
{
    const int a = jong::FreeTiles(w->Game.board).front();
    QAccessibleInterface *tile = QAccessible::queryAccessibleInterface(w->Tiles[a]);
    ASSERT_NE(tile, nullptr);
    const QString name = tile->text(QAccessible::Name);
    EXPECT_TRUE(name.startsWith(QChar(characterOf(a)).toUpper()) && name.contains(QString::number(a)))
        << name.toStdString();
    ASSERT_TRUE(testsupport::pressAccessibly(w->Tiles[a]));
    EXPECT_EQ(w->Game.selectedTile, a);
    EXPECT_EQ(engine().PlayQueue, std::string(1, characterOf(a)));
}

TEST_F(JongWindow, SolvingClearsEveryTileSilentlyAndCountsNoWinEvenWithAClickInBetween)
{
    const int played = GamesState().JongPlayed;
    w->MenuResoudrePartie->trigger();
    EXPECT_TRUE(w->SolvingJong);
    EXPECT_FALSE(w->MenuDeal->isEnabled());
    EXPECT_FALSE(w->MenuConseil->isEnabled());
    // The player's click on the solver's next tile is not taken: it would break the order.
    click(w->Tiles[w->Game.placementOrder[jong::TileCount]]);
    EXPECT_EQ(w->Game.selectedTile, 0);

    ASSERT_TRUE(testsupport::waitFor([&] { return !w->SolvingJong; }, 60000));
    EXPECT_EQ(w->Game.TilesLeft(), 0);
    EXPECT_EQ(tilesShown(), 0);
    EXPECT_FALSE(w->GroupBoxFin->isHidden());
    EXPECT_EQ(w->LabelFin->text(), QStringLiteral("Bravo!"));
    EXPECT_FALSE(w->ImageFinHa->isHidden());
    EXPECT_TRUE(engine().PlayQueue.empty());
    EXPECT_TRUE(fake().written.empty());
    EXPECT_FALSE(engine().JongPlaying);
    EXPECT_EQ(GamesState().JongWon, 0);
    EXPECT_EQ(GamesState().JongPlayed, played);
    EXPECT_TRUE(w->MenuDeal->isEnabled());
}

TEST_F(JongWindow, ANewDealWhileAMatchIsStillShownLeavesAWholeNewBoard)
{
    const auto [first, second] = w->Game.hintPair;
    ASSERT_NE(first, 0);
    const char character = characterOf(first);
    click(w->Tiles[first]);
    click(w->Tiles[second]);
    // Taken off the board at once, still shown selected for its moment; both were heard.
    EXPECT_EQ(w->Game.TilesLeft(), jong::TileCount - 2);
    EXPECT_EQ(tilesShown(), jong::TileCount);
    EXPECT_TRUE(w->StepsPending());
    EXPECT_EQ(engine().PlayQueue, std::string(2, character));
    // Tiles are not taken meanwhile.
    const int other = freeTileNotLike(first);
    click(w->Tiles[other]);
    EXPECT_EQ(w->Game.selectedTile, 0);

    w->MenuDeal->trigger();
    EXPECT_FALSE(w->StepsPending());
    for (int n = 1; n <= jong::TileCount; ++n)
        ASSERT_EQ(w->Tiles[n]->picture().toStdString(), w->Game.tileFaces[n]) << n;
    EXPECT_EQ(GamesState().JongPlayed, 2);
    // Well past the old match's moment, nothing of it comes back to the new board.
    QTest::qWait(20 * TFormMorseJong::MatchShowMs / waitDivisor);
    EXPECT_EQ(w->Game.TilesLeft(), jong::TileCount);
    EXPECT_EQ(tilesShown(), jong::TileCount);
    EXPECT_TRUE(w->GroupBoxFin->isHidden());
    // The new board plays.
    const auto [a, b] = w->Game.hintPair;
    click(w->Tiles[a]);
    click(w->Tiles[b]);
    ASSERT_TRUE(testsupport::waitFor([&] { return !w->StepsPending(); }));
    EXPECT_EQ(tilesShown(), jong::TileCount - 2);
}

TEST_F(JongWindow, TheStatisticsCountDealsAndReplaysAndComeBackFromTheSettingsFile)
{
    w->MenuDeal->trigger();
    w->MenuRejouerPartie->trigger();
    EXPECT_EQ(w->MenuPartiesjouees->text(), QStringLiteral("Number of games played = 3"));
    EXPECT_EQ(w->Menutauxdereussite->text(), QStringLiteral("Success rate = 0%"));
    w->MenuRemettreazero->trigger();
    EXPECT_EQ(w->MenuPartiesjouees->text(), QStringLiteral("Number of games played = 0"));
    EXPECT_EQ(w->MenuPartiesgagnees->text(), QStringLiteral("Number of games won = 0"));

    GamesState().JongPlayed = 8;
    GamesState().JongWon = 3;
    ASSERT_TRUE(WriteSettingsFile());
    GamesState() = GamesSettings{};
    ReadSettingsFile();
    EXPECT_EQ(GamesState().JongPlayed, 8);
    EXPECT_EQ(GamesState().JongWon, 3);
    w->hide();
    w->show();
    EXPECT_EQ(w->Menutauxdereussite->text(), QStringLiteral("Success rate = 38%"));

    // A hand-edited file: a negative count is held to 0, a word changes nothing.
    QFile::remove(SettingsFilePath());
    QFile file(SettingsFilePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[KESTRELON 5.2.9]\r\nJONGPLAYED=-4\r\nJONGWON=many\r\nJONGCOLOR=99999999\r\n");
    file.close();
    ReadSettingsFile();
    EXPECT_EQ(GamesState().JongPlayed, 0);
    EXPECT_EQ(GamesState().JongWon, 3);
    EXPECT_EQ(GamesState().JongColor, GamesSettings::DefaultColour);
    w->hide();
    w->show();
    EXPECT_EQ(w->Menutauxdereussite->text(), QStringLiteral("Success rate = 0%"));
}

TEST_F(JongWindow, TheHintLightsTheFreePairInTurnAndAClickEndsIt)
{
    // Named copies: clang before 16 cannot capture a structured binding.
    const auto first = w->Game.hintPair.first, second = w->Game.hintPair.second;
    w->MenuConseil->trigger();
    EXPECT_EQ(w->Tiles[first]->picture().size(), 8);
    ASSERT_TRUE(testsupport::waitFor([&] { return w->Tiles[second]->picture().size() == 8; }));
    EXPECT_EQ(w->Tiles[first]->picture().size(), 7);
    EXPECT_TRUE(engine().PlayQueue.empty());
    // A click ends the hint and is taken.
    click(w->Tiles[first]);
    EXPECT_FALSE(w->StepsPending());
    EXPECT_EQ(w->Tiles[second]->picture().size(), 7);
    EXPECT_EQ(w->Game.selectedTile, first);
}

TEST_F(JongWindow, TheHiddenPlacementListHoldsEveryTileOnce)
{
    EXPECT_TRUE(w->StaticText1->isHidden());
    w->activateWindow();
    ASSERT_TRUE(testsupport::waitFor([&] { return QApplication::activeWindow() == w; }));
    QTest::keyClick(w, Qt::Key_R, Qt::ControlModifier | Qt::AltModifier);
    ASSERT_FALSE(w->StaticText1->isHidden());
    std::vector<int> tiles;
    for (const QString &number : w->StaticText1->text().split(QLatin1Char(' '), Qt::SkipEmptyParts))
        tiles.push_back(number.toInt());
    std::sort(tiles.begin(), tiles.end());
    ASSERT_EQ(tiles.size(), static_cast<std::size_t>(jong::TileCount));
    for (int n = 1; n <= jong::TileCount; ++n)
        EXPECT_EQ(tiles[n - 1], n);
    // A new deal hides it again.
    w->MenuDeal->trigger();
    EXPECT_TRUE(w->StaticText1->isHidden());
}
