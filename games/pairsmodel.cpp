#include "games/pairsmodel.h"

#include "engine/random.h"

#include <charconv>
#include <optional>

namespace pairs {

namespace {

char characterOfIndex(int k) // 0..35: "0".."9", "a".."z"
{
    return k < 10 ? static_cast<char>('0' + k) : static_cast<char>('a' + k - 10);
}

// A decimal integer and nothing else.
std::optional<int> parseInt(std::string_view text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

std::string PictureName(int index)
{
    if (index < 1 || index > MaxTiles)
        return {};
    const int k = (index - 1) % 36;
    return std::string(index <= 36 ? "image_car_" : "image_cod_") + characterOfIndex(k);
}

char CharacterOf(std::string_view name)
{
    return name.size() >= 11 ? name[10] : 0;
}

BestScores ParseBestScores(std::string_view text)
{
    BestScores best;
    best.fill(NoBest);
    for (int level = 0; level < Levels && !text.empty(); ++level) {
        const std::size_t comma = text.find(',');
        const auto value = parseInt(text.substr(0, comma));
        if (!value)
            break;
        // A score is a number of turns; zero or a negative number stands for none.
        if (*value >= 1)
            best[level] = *value;
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    }
    return best;
}

std::string FormatBestScores(const BestScores &best)
{
    std::string text;
    for (int score : best)
        text += std::to_string(score) + ",";
    return text;
}

// ---- Game ---------------------------------------------------------------------------------------

void Game::NewGame(int newLevel)
{
    level = newLevel < 0 ? 0 : (newLevel >= Levels ? Levels - 1 : newLevel);
    tileCount = TileCountOf(level);
    names.fill({});
    seen.fill(false);
    present.fill(Removed);
    for (int n = 1; n <= tileCount; ++n)
        present[n] = FaceDown;
    tested = 0;
    turn = 1;
    firstTile = secondTile = 0;
    userPairs = programPairs = 0;

    // The characters, each once, then their Morse pictures.
    std::vector<std::string> laid;
    std::array<bool, 37> chosen{};
    for (int i = 0; i < tileCount / 2; ++i) {
        int r = 1 + Random(36);
        while (chosen[r])
            r = r % 36 + 1;
        chosen[r] = true;
        laid.push_back(PictureName(r));
    }
    for (int i = 0; i < tileCount / 2; ++i) {
        std::string partner = laid[i];
        partner.replace(6, 3, "cod");
        laid.push_back(partner);
    }
    for (const std::string &name : laid) {
        int r = 1 + Random(tileCount);
        while (!names[r].empty())
            r = r % tileCount + 1;
        names[r] = name;
    }
}

int Game::TilesLeft() const
{
    int left = 0;
    for (int n = 1; n <= tileCount; ++n)
        left += present[n] != Removed;
    return left;
}

bool Game::SameCharacter(int a, int b) const
{
    const char c = CharacterOf(names[a]);
    return c != 0 && c == CharacterOf(names[b]);
}

void Game::show(int n)
{
    present[n] = FaceUp;
    seen[n] = true;
}

void Game::remove(int n)
{
    present[n] = Removed;
    seen[n] = false;
    names[n].clear();
}

Game::UserMove Game::UserClick(int n, BestScores &best)
{
    UserMove move;
    if (n < 1 || n > tileCount || turn == 2 || (firstTile != 0 && secondTile != 0) || present[n] != FaceDown)
        return move;
    turn = 1;
    show(n);
    if (firstTile == 0) {
        firstTile = n;
        ++tested;
        move.outcome = Outcome::First;
        move.first = n;
        return move;
    }
    secondTile = n;
    move.first = firstTile;
    move.second = n;
    if (SameCharacter(firstTile, n)) {
        move.outcome = Outcome::Match;
        remove(firstTile);
        remove(n);
        if (players == 2)
            ++userPairs;
        if (Over() && players == 1 && (best[level] == NoBest || best[level] > tested)) {
            best[level] = tested;
            move.newBest = true;
        }
    } else {
        move.outcome = Outcome::Miss;
        present[firstTile] = FaceDown;
        present[n] = FaceDown;
        if (players == 2)
            turn = 2;
    }
    firstTile = secondTile = 0;
    return move;
}

int Game::lowestUnseen() const
{
    for (int n = 1; n <= tileCount; ++n)
        if (present[n] != Removed && !seen[n])
            return n;
    return 0;
}

std::vector<Game::ProgramStep> Game::PlayProgramTurn()
{
    std::vector<ProgramStep> steps;
    if (turn == 1)
        return steps;
    turn = 2;
    auto take = [&](Step step, int a, int b) {
        show(a);
        show(b);
        remove(a);
        remove(b);
        ++programPairs;
        steps.push_back({step, a, b, programPairs});
    };

    // Every pair of which both tiles have been seen, in tile order.
    for (int i = 1; i < tileCount; ++i) {
        if (!seen[i])
            continue;
        for (int j = i + 1; j <= tileCount; ++j) {
            if (seen[i] && seen[j] && SameCharacter(i, j))
                take(Step::KnownPair, i, j);
        }
    }

    // Then new tiles, lowest first, for as long as they bring pairs.
    bool missed = false;
    while (!missed && !Over()) {
        const int i = lowestUnseen();
        if (i == 0)
            break;
        int partner = 0;
        for (int j = 1; j <= tileCount && partner == 0; ++j)
            if (j != i && seen[j] && present[j] != Removed && SameCharacter(i, j))
                partner = j;
        if (partner != 0) {
            take(Step::SeenPartner, i, partner);
            continue;
        }
        show(i);
        const int k = lowestUnseen();
        if (k == 0) { // cannot happen: the partner of i is unseen
            present[i] = FaceDown;
            break;
        }
        if (SameCharacter(i, k)) {
            take(Step::NewPair, i, k);
        } else {
            show(k);
            present[i] = present[k] = FaceDown;
            steps.push_back({Step::Miss, i, k, programPairs});
            missed = true;
        }
    }
    if (!Over())
        turn = 1;
    return steps;
}

int Game::Result() const
{
    if (userPairs > programPairs)
        return 1;
    if (userPairs < programPairs)
        return 2;
    return 3;
}

} // namespace pairs
