#include "games/jongmodel.h"

#include "engine/random.h"

#include <cstdlib>

namespace jong {

namespace {

// The columns where each layer's rows begin and end (inner rows of the floor are shorter,
// but their missing cells count as empty neighbours anyway).
constexpr int LeftEnd[5] = {0, 1, 4, 5, 6};
constexpr int RightEnd[5] = {0, 12, 9, 8, 7};

Grid makeLayout()
{
    Grid g{};
    int n = 0;
    auto fill = [&](int row, int from, int to) {
        for (int c = from; c <= to; ++c)
            g[row][c] = ++n;
    };
    fill(1, 1, 12);
    fill(2, 3, 10);
    for (int r = 3; r <= 6; ++r)
        fill(r, 1, 12);
    fill(7, 3, 10);
    fill(8, 1, 12);
    for (int r = 9; r <= 14; ++r)
        fill(r, 4, 9);
    for (int r = 15; r <= 18; ++r)
        fill(r, 5, 8);
    fill(19, 6, 7);
    fill(20, 6, 7);
    return g;
}

int at(const Grid &g, int row, int column)
{
    if (row < 1 || row > Rows || column < 1 || column > Columns)
        return 0;
    return g[row][column];
}

int placedInRow(const Grid &g, int row)
{
    int count = 0;
    for (int c = 1; c <= Columns; ++c)
        count += g[row][c] != 0;
    return count;
}

// Two tiles show the same face: their first seven characters (selected or not) are equal.
bool sameFace(const std::string &a, const std::string &b)
{
    return a.size() >= 7 && b.size() >= 7 && a.compare(0, 7, b, 0, 7) == 0;
}

} // namespace

const Grid &BoardLayout()
{
    static const Grid layout = makeLayout();
    return layout;
}

int LayerOfRow(int row)
{
    if (row <= 8)
        return 1;
    if (row <= 14)
        return 2;
    if (row <= 18)
        return 3;
    return 4;
}

int RowAbove(int row)
{
    if (row >= 2 && row <= 7)
        return row + 7;
    if (row >= 10 && row <= 13)
        return row + 5;
    if (row == 16 || row == 17)
        return row + 3;
    return 0;
}

int RowBelow(int row)
{
    switch (LayerOfRow(row)) {
    case 2:
        return row - 7;
    case 3:
        return row - 5;
    case 4:
        return row - 3;
    default:
        return 0;
    }
}

int FloorRow(int row)
{
    while (LayerOfRow(row) > 1)
        row = RowBelow(row);
    return row;
}

std::optional<Cell> CellOf(int tile)
{
    static const std::array<Cell, TileCount + 1> cells = [] {
        std::array<Cell, TileCount + 1> table{};
        const Grid &g = BoardLayout();
        for (int r = 1; r <= Rows; ++r)
            for (int c = 1; c <= Columns; ++c)
                if (g[r][c] != 0)
                    table[g[r][c]] = Cell{r, c};
        return table;
    }();
    if (tile < 1 || tile > TileCount || cells[tile].row == 0)
        return std::nullopt;
    return cells[tile];
}

bool IsFreeCell(const Grid &board, int row, int column)
{
    if (at(board, row, column) == 0)
        return false;
    if (column == 1 || column == Columns)
        return true;
    if (const int above = RowAbove(row); above != 0 && at(board, above, column) != 0)
        return false;
    return at(board, row, column - 1) == 0 || at(board, row, column + 1) == 0;
}

std::vector<int> FreeTiles(const Grid &board)
{
    std::vector<int> free;
    for (int r = 1; r <= Rows; ++r)
        for (int c = 1; c <= Columns; ++c)
            if (IsFreeCell(board, r, c) && free.size() < static_cast<std::size_t>(MaxFreeTiles))
                free.push_back(board[r][c]);
    return free;
}

char FaceCharacter(int face)
{
    const int k = (face - 1) % 36; // 0..25 letters, 26..35 digits
    return k < 26 ? static_cast<char>('a' + k) : static_cast<char>('0' + k - 26);
}

std::string FaceName(char character)
{
    return std::string("image_") + character;
}

int SuccessRate(long long won, long long played)
{
    if (played <= 0 || won <= 0)
        return 0;
    const long long scaled = won * 100;
    long long q = scaled / played;
    const long long twice = 2 * (scaled % played);
    if (twice > played || (twice == played && q % 2 != 0))
        ++q;
    return static_cast<int>(q);
}

// ---- Game ---------------------------------------------------------------------------------------

bool Game::CanPlaceTile(int p) const
{
    const auto cell = CellOf(p);
    if (!cell)
        return false;
    const int r = cell->row;
    const int c = cell->column;
    const int layer = LayerOfRow(r);
    const bool belowPlaced = layer == 1 || at(buildBoard, RowBelow(r), c) != 0;
    if (placedInRow(buildBoard, r) == 0)
        return belowPlaced;
    if (!belowPlaced)
        return false;
    const bool leftPlaced = at(buildBoard, r, c - 1) != 0;
    const bool rightPlaced = at(buildBoard, r, c + 1) != 0;
    if (c == LeftEnd[layer])
        return rightPlaced;
    if (c == RightEnd[layer])
        return leftPlaced;
    return leftPlaced || rightPlaced;
}

bool Game::placeFace(int faceIndex, const std::string &face)
{
    Cell first{};
    for (int k = 1; k <= 2; ++k) {
        int p = 1 + Random(TileCount);
        const int start = p;
        for (;;) {
            const auto cell = CellOf(p);
            if (!cell) {
                error = "error tile";
                return false;
            }
            bool acceptable = savedTileFaces[p].empty() && CanPlaceTile(p);
            if (acceptable && k == 2) {
                const bool sameColumn = cell->column == first.column;
                const bool besideInRow = cell->row == first.row && std::abs(cell->column - first.column) == 1;
                acceptable = !sameColumn && !(besideInRow && placedInRow(buildBoard, first.row) != 1);
            }
            if (acceptable) {
                buildBoard[cell->row][cell->column] = p;
                savedTileFaces[p] = face;
                placementOrder[2 * faceIndex - 2 + k] = p;
                placementText += std::to_string(p) + " ";
                first = *cell;
                break;
            }
            p = p % TileCount + 1;
            if (p == start) {
                error = "error tile2";
                return false;
            }
        }
    }
    return true;
}

bool Game::FreshDeal()
{
    placementText.clear();
    tileFaces.fill({});
    placementOrder.fill(0);
    board = BoardLayout();
    selectedTile = 0;
    hintPair = {0, 0};

    faceOrder.fill(0);
    std::array<bool, FaceCount + 1> used{};
    for (int i = 1; i <= FaceCount; ++i) {
        int r = 1 + Random(FaceCount);
        const int drawn = r;
        while (used[r]) {
            r = r % FaceCount + 1;
            if (r == drawn) {
                error = "error image";
                break;
            }
        }
        used[r] = true;
        faceOrder[i] = r;
    }

    savedTileFaces.fill({});
    buildBoard = Grid{};
    for (int i = 1; i <= FaceCount; ++i) {
        if (!placeFace(i, FaceName(FaceCharacter(faceOrder[i]))))
            return false;
    }
    showDeal();
    return error.empty();
}

int Game::DealUntilDone(int maxAttempts)
{
    int attempts = 0;
    while (attempts < maxAttempts) {
        error.clear();
        ++attempts;
        if (!FreshDeal())
            continue;
        if (ReverseOrderClears())
            break;
        error = "error solve";
    }
    return attempts;
}

void Game::Replay()
{
    board = BoardLayout();
    buildBoard = BoardLayout();
    showDeal();
}

void Game::showDeal()
{
    tileFaces = savedTileFaces;
    selectedTile = 0;
    hintPair = FindHintPair();
}

bool Game::IsFree(int tile) const
{
    const auto cell = CellOf(tile);
    return cell && board[cell->row][cell->column] == tile && IsFreeCell(board, cell->row, cell->column);
}

int Game::TilesLeft() const
{
    int left = 0;
    for (int r = 1; r <= Rows; ++r)
        for (int c = 1; c <= Columns; ++c)
            left += board[r][c] != 0;
    return left;
}

std::pair<int, int> Game::FindHintPair() const
{
    const std::vector<int> free = FreeTiles(board);
    for (std::size_t i = 0; i < free.size(); ++i)
        for (std::size_t j = i + 1; j < free.size(); ++j)
            if (sameFace(tileFaces[free[i]], tileFaces[free[j]]))
                return {free[i], free[j]};
    return {0, 0};
}

void Game::Unselect()
{
    if (selectedTile != 0)
        tileFaces[selectedTile].resize(7);
    selectedTile = 0;
}

Game::Click Game::PlayTile(int n)
{
    Click click;
    click.tile = n;
    if (!IsFree(n) || tileFaces[n].size() < 7)
        return click;
    std::string &face = tileFaces[n];
    const char character = face[6];
    if (selectedTile == 0) {
        face.resize(7);
        face += character;
        selectedTile = n;
        click.kind = Click::Select;
        click.character = character;
        return click;
    }
    if (selectedTile == n) {
        face.resize(7);
        selectedTile = 0;
        click.kind = Click::Deselect;
        return click;
    }
    click.previous = selectedTile;
    click.character = character;
    if (!sameFace(tileFaces[selectedTile], face)) {
        tileFaces[selectedTile].resize(7);
        face.resize(7);
        face += character;
        selectedTile = n;
        click.kind = Click::Move;
        return click;
    }
    click.kind = Click::Match;
    for (int tile : {n, selectedTile}) {
        tileFaces[tile].clear();
        const auto cell = CellOf(tile);
        board[cell->row][cell->column] = 0;
    }
    selectedTile = 0;
    hintPair = {0, 0};
    if (TilesLeft() == 0) {
        click.win = true;
    } else {
        hintPair = FindHintPair();
        click.deadEnd = hintPair.first == 0;
    }
    return click;
}

bool Game::ReverseOrderClears() const
{
    Game copy = *this;
    copy.Replay();
    for (int k = TileCount; k >= 1; --k) {
        if (copy.PlayTile(copy.placementOrder[k]).kind == Click::Nothing)
            return false;
    }
    return copy.TilesLeft() == 0;
}

} // namespace jong
