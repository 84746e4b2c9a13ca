#pragma once

// The tile-matching game's rules, free of widgets: the four-layer board of 144 tiles, the
// free-tile rule, the deal built in reverse (so that taking the pairs back in the opposite
// order of their placement always clears it), one click on a tile, the hint pair and the
// success rate. Rows and columns count from 1, as the board is described; index 0 of every
// table is unused. Draws come from the program's generator (engine/random.h).

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace jong {

inline constexpr int Rows = 20;
inline constexpr int Columns = 12;
inline constexpr int TileCount = 144;
inline constexpr int FaceCount = 72;
// The board's geometry never frees more tiles than this at once.
inline constexpr int MaxFreeTiles = 100;

// Tile numbers by cell, 0 where there is no cell (or no tile any more).
using Grid = std::array<std::array<int, Columns + 1>, Rows + 1>;

// The board's cells: position n is tile n.
const Grid &BoardLayout();

// The layer of a row (rows 1-8 layer 1, 9-14 layer 2, 15-18 layer 3, 19-20 layer 4).
int LayerOfRow(int row);
// The row of the next layer that lies over `row` in the same column, or 0 when nothing can
// ever cover it.
int RowAbove(int row);
// The row of the layer beneath that `row` lies over, or 0 on the floor.
int RowBelow(int row);
// The layer-1 row under which a tile of `row` is drawn (its own row on the floor).
int FloorRow(int row);

struct Cell {
    int row = 0;
    int column = 0;
};
// The cell of tile n in the layout; nothing for a number that is not on it.
std::optional<Cell> CellOf(int tile);

// The free-tile rule on a board: a tile in column 1 or 12, or one that nothing covers and
// whose left or right neighbour in its row is empty.
bool IsFreeCell(const Grid &board, int row, int column);
// The free tiles in board order (row by row, column by column).
std::vector<int> FreeTiles(const Grid &board);

// The character of a face number 1..72 ("a".."z", "0".."9", twice).
char FaceCharacter(int face);
// "image_" + the character: the plain picture of a face.
std::string FaceName(char character);

// The success rate in percent, rounded to the nearest integer with halves to even; 0 when
// no game was played.
int SuccessRate(long long won, long long played);

class Game {
public:
    Grid board{};      // JongBoard: tiles in play
    Grid buildBoard{}; // JongBuildBoard: cells given a face during a deal
    std::array<std::string, TileCount + 1> tileFaces{};      // picture shown: 7 characters, 8 selected, empty removed
    std::array<std::string, TileCount + 1> savedTileFaces{}; // the faces of the last fresh deal
    std::array<int, FaceCount + 1> faceOrder{};
    std::array<int, TileCount + 1> placementOrder{}; // 2k-1 and 2k: the two tiles of the k-th face placed
    std::pair<int, int> hintPair{0, 0};
    int selectedTile = 0;
    std::string error;         // "error image", "error tile", "error tile2"; empty after a good deal
    std::string placementText; // the placement order as "p " numbers

    // A fresh deal; false (with `error` set) when it got stuck, leaving the board half built.
    bool FreshDeal();
    // Fresh deals until one succeeds and taking its pairs back in reverse order clears it, at
    // most `maxAttempts` (about one deal in four gets stuck); returns the attempts made.
    // `error` stays set only when every attempt failed.
    int DealUntilDone(int maxAttempts = 1000);
    // The last fresh deal again, from its first board.
    void Replay();

    // The building rule of a deal for position p.
    bool CanPlaceTile(int p) const;
    bool IsFree(int tile) const;
    int TilesLeft() const;
    // The first free pair with equal faces in board order, or (0, 0).
    std::pair<int, int> FindHintPair() const;

    // One click on a tile and what it did.
    struct Click {
        enum Kind { Nothing, Select, Deselect, Move, Match } kind = Nothing;
        int tile = 0;
        int previous = 0;    // the tile selected before (Move, Match)
        char character = 0;  // the character to send (Select, Move, Match)
        bool win = false;    // Match: the board is empty
        bool deadEnd = false; // Match: tiles left but no free pair
    };
    // A match takes both tiles off the board at once; the window shows them a moment longer.
    Click PlayTile(int n);
    // Unselects the selected tile (the hint does this first).
    void Unselect();

    // True when clicking the tiles in the reverse order of their placement clears the board
    // (a copy is played; this game is left as it is).
    bool ReverseOrderClears() const;

private:
    bool placeFace(int faceIndex, const std::string &face);
    void showDeal();
};

} // namespace jong
