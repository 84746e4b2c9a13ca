// The tile-matching game's rules without a window: deals, the free-tile rule, clicks and the
// success rate, on the seeded program generator.

#include "engine/random.h"
#include "games/jongmodel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using jong::Game;

namespace {

// A board holding only the given tiles.
jong::Grid boardWith(std::initializer_list<int> tiles)
{
    jong::Grid board{};
    for (int n : tiles) {
        const auto cell = jong::CellOf(n);
        board[cell->row][cell->column] = n;
    }
    return board;
}

bool isFree(const jong::Grid &board, int tile)
{
    const auto cell = jong::CellOf(tile);
    return jong::IsFreeCell(board, cell->row, cell->column);
}

// Two free tiles of the dealt board with different faces, and a free pair.
struct Picks {
    int a = 0, b = 0;
};
Picks twoDifferentFreeTiles(const Game &game)
{
    const auto free = jong::FreeTiles(game.board);
    for (int a : free)
        for (int b : free)
            if (game.tileFaces[a] != game.tileFaces[b])
                return {a, b};
    return {};
}

} // namespace

TEST(JongDeal, EveryDealHoldsEachCharacterFourTimesAndClearsInReversePlacementOrder)
{
    RandomSeed(2024);
    int stuck = 0;
    for (int deal = 0; deal < 1000; ++deal) {
        Game game;
        const int attempts = game.DealUntilDone();
        stuck += attempts - 1;
        ASSERT_TRUE(game.error.empty()) << "deal " << deal << ": " << game.error;

        std::map<std::string, int> faces;
        for (int n = 1; n <= jong::TileCount; ++n) {
            ASSERT_EQ(game.tileFaces[n].size(), 7u) << "tile " << n;
            ++faces[game.tileFaces[n]];
        }
        ASSERT_EQ(faces.size(), 36u);
        for (const auto &[face, count] : faces)
            ASSERT_EQ(count, 4) << face;

        std::vector<int> order(game.placementOrder.begin() + 1, game.placementOrder.end());
        std::sort(order.begin(), order.end());
        for (int i = 0; i < jong::TileCount; ++i)
            ASSERT_EQ(order[i], i + 1);

        // The solver's road: the second tile of the last pair placed first, and every second
        // click a match, until the board is empty; never more free tiles than the table holds.
        for (int k = jong::TileCount; k >= 1; --k) {
            ASSERT_LE(jong::FreeTiles(game.board).size(), static_cast<std::size_t>(jong::MaxFreeTiles));
            const auto click = game.PlayTile(game.placementOrder[k]);
            ASSERT_EQ(click.kind, k % 2 == 0 ? Game::Click::Select : Game::Click::Match) << "deal " << deal << " k " << k;
        }
        EXPECT_EQ(game.TilesLeft(), 0);
    }
    // Some deals get stuck and are dealt again, as the building rule makes them.
    EXPECT_GT(stuck, 0);
}

TEST(JongDeal, ReplayStartsTheSameDealAgainWithNothingSelected)
{
    RandomSeed(7);
    Game game;
    game.DealUntilDone();
    const auto faces = game.tileFaces;
    const auto order = game.placementOrder;
    const auto [h1, h2] = game.hintPair;
    game.PlayTile(h1);
    ASSERT_EQ(game.PlayTile(h2).kind, Game::Click::Match);
    game.PlayTile(jong::FreeTiles(game.board).front());
    ASSERT_NE(game.selectedTile, 0);
    game.Replay();
    EXPECT_EQ(game.tileFaces, faces);
    EXPECT_EQ(game.placementOrder, order);
    EXPECT_EQ(game.selectedTile, 0);
    EXPECT_EQ(game.TilesLeft(), jong::TileCount);
}

TEST(JongBoard, AFreeTileIsAtAnOuterColumnOrUncoveredWithAnEmptySide)
{
    const jong::Grid full = jong::BoardLayout();
    // The outer columns are always free; a tile between two others is not.
    EXPECT_TRUE(isFree(full, 1));
    EXPECT_TRUE(isFree(full, 12));
    EXPECT_FALSE(isFree(full, 2));
    // Row 2 starts at column 3 and nothing lies over column 3.
    EXPECT_TRUE(isFree(full, 13));
    // The top, and the ends of the upper rows.
    EXPECT_TRUE(isFree(full, 141));
    EXPECT_TRUE(isFree(full, 125));
    // Tile 130 (layer 3) lies under 141.
    EXPECT_FALSE(isFree(full, 130));
    EXPECT_FALSE(isFree(boardWith({129, 130, 131}), 130));
    EXPECT_TRUE(isFree(boardWith({130, 131}), 130));

    // Tile 37 (floor, row 4, column 5) lies under 102: with both sides gone it is still
    // covered, so a click on its visible strip does nothing.
    const jong::Grid covered = boardWith({37, 102});
    EXPECT_FALSE(isFree(covered, 37));
    EXPECT_TRUE(isFree(boardWith({37}), 37));
    EXPECT_FALSE(isFree(boardWith({36, 37, 38}), 37));
    EXPECT_TRUE(isFree(boardWith({36, 37}), 37));
}

TEST(JongBoard, TheLayersLieOverEachOtherAsLaidOut)
{
    EXPECT_EQ(jong::CellOf(102)->row, 11);
    EXPECT_EQ(jong::FloorRow(11), 4);
    EXPECT_EQ(jong::FloorRow(19), 4);
    EXPECT_EQ(jong::FloorRow(20), 5);
    EXPECT_EQ(jong::RowAbove(jong::FloorRow(11)), 11);
    for (int row : {1, 8, 9, 14, 15, 18, 19, 20})
        EXPECT_EQ(jong::RowAbove(row), 0) << row;
    int perLayer[5] = {};
    for (int n = 1; n <= jong::TileCount; ++n)
        ++perLayer[jong::LayerOfRow(jong::CellOf(n)->row)];
    EXPECT_EQ(perLayer[1], 88);
    EXPECT_EQ(perLayer[2], 36);
    EXPECT_EQ(perLayer[3], 16);
    EXPECT_EQ(perLayer[4], 4);
    EXPECT_FALSE(jong::CellOf(0));
    EXPECT_FALSE(jong::CellOf(145));
}

TEST(JongClick, SelectReselectMoveAndMatch)
{
    RandomSeed(11);
    Game game;
    game.DealUntilDone();
    const Picks p = twoDifferentFreeTiles(game);
    ASSERT_NE(p.a, 0);

    auto click = game.PlayTile(p.a);
    EXPECT_EQ(click.kind, Game::Click::Select);
    EXPECT_EQ(click.character, game.tileFaces[p.a][6]);
    EXPECT_EQ(game.tileFaces[p.a].size(), 8u);

    // The same tile again: unselected, nothing to send.
    click = game.PlayTile(p.a);
    EXPECT_EQ(click.kind, Game::Click::Deselect);
    EXPECT_EQ(click.character, 0);
    EXPECT_EQ(game.selectedTile, 0);
    EXPECT_EQ(game.tileFaces[p.a].size(), 7u);

    // Another character moves the selection and sends the new one.
    game.PlayTile(p.a);
    click = game.PlayTile(p.b);
    EXPECT_EQ(click.kind, Game::Click::Move);
    EXPECT_EQ(click.character, game.tileFaces[p.b][6]);
    EXPECT_EQ(game.selectedTile, p.b);
    EXPECT_EQ(game.tileFaces[p.a].size(), 7u);

    // A tile that is not free does nothing, and the selection stays.
    EXPECT_EQ(game.PlayTile(2).kind, Game::Click::Nothing);
    EXPECT_EQ(game.selectedTile, p.b);

    // A free pair: both leave the board at once.
    const auto [h1, h2] = game.hintPair;
    ASSERT_NE(h1, 0);
    game.Unselect();
    game.PlayTile(h1);
    click = game.PlayTile(h2);
    EXPECT_EQ(click.kind, Game::Click::Match);
    EXPECT_EQ(click.previous, h1);
    EXPECT_EQ(game.TilesLeft(), jong::TileCount - 2);
    EXPECT_TRUE(game.tileFaces[h1].empty());
    EXPECT_EQ(game.PlayTile(h1).kind, Game::Click::Nothing);
    EXPECT_FALSE(click.win);
    EXPECT_EQ(click.deadEnd, game.hintPair.first == 0);
}

TEST(JongClick, ALastPairWinsAndABoardWithoutFreePairsIsADeadEnd)
{
    Game game;
    game.board = boardWith({1, 12});
    game.tileFaces[1] = "image_a";
    game.tileFaces[12] = "image_a";
    game.PlayTile(1);
    auto click = game.PlayTile(12);
    EXPECT_TRUE(click.win);
    EXPECT_EQ(game.hintPair, std::make_pair(0, 0));

    game.board = boardWith({1, 12, 13, 20});
    game.tileFaces[1] = game.tileFaces[12] = "image_a";
    game.tileFaces[13] = "image_b";
    game.tileFaces[20] = "image_c";
    game.PlayTile(12);
    click = game.PlayTile(1);
    EXPECT_FALSE(click.win);
    EXPECT_TRUE(click.deadEnd);
    EXPECT_EQ(game.hintPair, std::make_pair(0, 0));
}

TEST(JongStatistics, TheRateRoundsHalvesToEvenAndIsZeroWithoutGames)
{
    EXPECT_EQ(jong::SuccessRate(1, 8), 12); // 12.5
    EXPECT_EQ(jong::SuccessRate(3, 8), 38); // 37.5
    EXPECT_EQ(jong::SuccessRate(2, 3), 67);
    EXPECT_EQ(jong::SuccessRate(5, 5), 100);
    EXPECT_EQ(jong::SuccessRate(0, 0), 0);
    EXPECT_EQ(jong::SuccessRate(3, 0), 0);
    EXPECT_EQ(jong::SuccessRate(2147483647LL, 2147483647LL), 100);
}
