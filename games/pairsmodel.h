#pragma once

// The memory-pairs game's rules, free of widgets: tiles hide, for each chosen character, its
// picture and the picture of its Morse code; a turn shows two tiles and takes them away when
// they make a pair. Levels 0..8 lay 4(k+1) pairs. The opponent remembers every tile shown
// since the game was laid and plays by tile numbers, without chance. Tiles count from 1;
// index 0 of every table is unused. Every move is applied at once: the window only shows it.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace pairs {

inline constexpr int MaxTiles = 72;
inline constexpr int Levels = 9;
inline constexpr int NoBest = -1;

using BestScores = std::array<int, Levels>;

inline constexpr int TileCountOf(int level) { return 8 * (level + 1); }
inline constexpr int PairsOf(int level) { return 4 * (level + 1); }

// PairsPictures 1..72: "image_car_0".."image_car_9", "image_car_a".."image_car_z", then the
// same with "cod" (the Morse-code pictures).
std::string PictureName(int index);
// The character a picture stands for (its eleventh character), 0 for a short name.
char CharacterOf(std::string_view name);

// PAIRSBEST=: nine scores, each followed by ",". Reading stops at the first value that is no
// number; a number below what the level allows (fewer turns than pairs) counts as none.
BestScores ParseBestScores(std::string_view text);
std::string FormatBestScores(const BestScores &best);

// States of the tiles.
enum TileState { Removed = 0, FaceDown = 1, FaceUp = 2 };

class Game {
public:
    int level = 1;
    int players = 1; // 1 alone, 2 against the program
    int tileCount = TileCountOf(1);
    std::array<std::string, MaxTiles + 1> names{};
    std::array<int, MaxTiles + 1> present{}; // TileState
    std::array<bool, MaxTiles + 1> seen{};   // shown at least once since laid (the program's memory)
    int firstTile = 0;
    int secondTile = 0;
    int turn = 1;   // 1 the user's, 2 the program's
    int tested = 0; // the user's turns in this game
    int userPairs = 0;
    int programPairs = 0;

    // Lays a new game of `level` (0..8) for the chosen players.
    void NewGame(int level);
    int TilesLeft() const;
    bool Over() const { return TilesLeft() == 0; }
    bool SameCharacter(int a, int b) const;

    // One tile clicked by the user.
    enum class Outcome { Ignored, First, Match, Miss };
    struct UserMove {
        Outcome outcome = Outcome::Ignored;
        int first = 0;
        int second = 0;
        bool newBest = false; // alone: the finished game beat the level's best
    };
    UserMove UserClick(int n, BestScores &best);

    // The program's turn, planned and applied at once: the moves in the order shown.
    enum class Step {
        KnownPair,   // both tiles seen before: show a, show b, take them away
        SeenPartner, // a new tile whose partner was seen: show a, show b, take them away
        NewPair,     // two new tiles that make a pair: show a, show b, take them away at once
        Miss,        // two new tiles that do not: show a, show b, turn both down
    };
    struct ProgramStep {
        Step step;
        int a = 0;
        int b = 0;
        int pairsAfter = 0; // the program's pairs once this step is done
    };
    std::vector<ProgramStep> PlayProgramTurn();

    // Against the program, with no tile left: 1 the user won, 2 the program won, 3 a draw.
    int Result() const;

private:
    void show(int n);
    void remove(int n);
    int lowestUnseen() const;
};

} // namespace pairs
