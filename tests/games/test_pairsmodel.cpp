// The memory-pairs game's rules without a window: laying the tiles per level, the user's
// turns, the program's moves and the best scores.

#include "engine/random.h"
#include "games/pairsmodel.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using pairs::Game;
using Step = Game::Step;

namespace {

// Level 0 laid by hand: tiles 1..8 hold a, b, a', c, b', d, c', d' (' = the Morse picture).
Game handLaid(int players)
{
    Game game;
    game.players = players;
    game.NewGame(0);
    const char *layout[] = {"image_car_a", "image_car_b", "image_cod_a", "image_car_c",
                            "image_cod_b", "image_car_d", "image_cod_c", "image_cod_d"};
    for (int n = 1; n <= 8; ++n)
        game.names[n] = layout[n - 1];
    return game;
}

std::string steps(const std::vector<Game::ProgramStep> &list)
{
    static const std::map<Step, const char *> names = {
        {Step::KnownPair, "known"}, {Step::SeenPartner, "partner"}, {Step::NewPair, "new"}, {Step::Miss, "miss"}};
    std::string text;
    for (const auto &s : list)
        text += std::string(text.empty() ? "" : " ") + names.at(s.step) + "(" + std::to_string(s.a) + ","
                + std::to_string(s.b) + ")";
    return text;
}

pairs::BestScores noBest()
{
    pairs::BestScores best;
    best.fill(pairs::NoBest);
    return best;
}

// Clicks a turn and checks the outcome.
void turn(Game &game, int a, int b, Game::Outcome expected, pairs::BestScores &best)
{
    ASSERT_EQ(game.UserClick(a, best).outcome, Game::Outcome::First);
    ASSERT_EQ(game.UserClick(b, best).outcome, expected);
}

} // namespace

TEST(PairsLay, EachLevelLaysItsRowsWithEveryCharacterOnceAsPictureAndOnceAsCode)
{
    RandomSeed(99);
    for (int level = 0; level < pairs::Levels; ++level) {
        Game game;
        game.NewGame(level);
        ASSERT_EQ(game.tileCount, 8 * (level + 1));
        std::map<char, std::set<std::string>> byCharacter;
        for (int n = 1; n <= pairs::MaxTiles; ++n) {
            if (n > game.tileCount) {
                EXPECT_TRUE(game.names[n].empty());
                EXPECT_EQ(game.present[n], pairs::Removed);
                continue;
            }
            ASSERT_EQ(game.present[n], pairs::FaceDown);
            ASSERT_EQ(game.names[n].size(), 11u) << n;
            byCharacter[pairs::CharacterOf(game.names[n])].insert(game.names[n].substr(0, 10));
        }
        EXPECT_EQ(static_cast<int>(byCharacter.size()), pairs::PairsOf(level));
        for (const auto &[c, kinds] : byCharacter)
            EXPECT_EQ(kinds, (std::set<std::string>{"image_car_", "image_cod_"})) << "level " << level << " " << c;
    }
}

TEST(PairsUser, OnlyAFaceDownTileOfTheGameCanBeTurnedAndAMissTurnsBothBack)
{
    Game game = handLaid(1);
    auto best = noBest();
    EXPECT_EQ(game.UserClick(9, best).outcome, Game::Outcome::Ignored); // beyond level 0
    EXPECT_EQ(game.UserClick(1, best).outcome, Game::Outcome::First);
    EXPECT_EQ(game.UserClick(1, best).outcome, Game::Outcome::Ignored); // face up
    EXPECT_EQ(game.tested, 1);
    const auto miss = game.UserClick(2, best);
    EXPECT_EQ(miss.outcome, Game::Outcome::Miss);
    EXPECT_EQ(game.present[1], pairs::FaceDown);
    EXPECT_EQ(game.present[2], pairs::FaceDown);
    EXPECT_EQ(game.turn, 1); // alone, the user plays on

    turn(game, 1, 3, Game::Outcome::Match, best);
    EXPECT_EQ(game.present[1], pairs::Removed);
    EXPECT_EQ(game.UserClick(3, best).outcome, Game::Outcome::Ignored); // removed
    EXPECT_EQ(game.tested, 2);
    EXPECT_EQ(game.TilesLeft(), 6);
}

TEST(PairsProgram, ItTakesTheKnownPairsFirstThenTurnsTheLowestUnseenTiles)
{
    Game game = handLaid(2);
    auto best = noBest();
    // The user misses with c and b': the program's turn.
    turn(game, 4, 5, Game::Outcome::Miss, best);
    ASSERT_EQ(game.turn, 2);
    EXPECT_EQ(game.UserClick(1, best).outcome, Game::Outcome::Ignored);
    // Nothing known makes a pair: it turns 1 (a); a was not seen, so it turns 2 (b), which
    // misses although b' is known.
    EXPECT_EQ(steps(game.PlayProgramTurn()), "miss(1,2)");
    EXPECT_EQ(game.turn, 1);
    EXPECT_EQ(game.programPairs, 0);

    // The user misses with a' and d; now the program knows a, b, c, d halves.
    turn(game, 3, 6, Game::Outcome::Miss, best);
    const auto taken = game.PlayProgramTurn();
    EXPECT_EQ(steps(taken), "known(1,3) known(2,5) partner(7,4) partner(8,6)");
    EXPECT_EQ(taken.back().pairsAfter, 4);
    EXPECT_TRUE(game.Over());
    EXPECT_EQ(game.Result(), 2);
}

TEST(PairsProgram, TwoNewTilesThatMatchAreTakenAndTheTurnGoesOn)
{
    Game game = handLaid(2);
    game.names[1] = "image_car_a";
    game.names[2] = "image_cod_a";
    game.names[3] = "image_car_b";
    game.names[4] = "image_cod_c";
    game.names[5] = "image_car_c";
    game.names[6] = "image_cod_d";
    game.names[7] = "image_car_d";
    game.names[8] = "image_cod_b";
    auto best = noBest();
    turn(game, 7, 8, Game::Outcome::Miss, best); // d and b'
    // 1 and 2 are new and make a pair; 3 (b) finds b' seen; 4 and 5 make a pair; 6 finds 7.
    EXPECT_EQ(steps(game.PlayProgramTurn()), "new(1,2) partner(3,8) new(4,5) partner(6,7)");
    EXPECT_EQ(game.Result(), 2);

    // A user's pair counts for the user and keeps the turn.
    Game other = handLaid(2);
    turn(other, 1, 3, Game::Outcome::Match, best);
    EXPECT_EQ(other.userPairs, 1);
    EXPECT_EQ(other.turn, 1);
    EXPECT_TRUE(other.PlayProgramTurn().empty());
}

TEST(PairsBest, AFinishedGameWithFewerTurnsReplacesItsLevelsBestOnly)
{
    auto best = noBest();
    best[3] = 20;
    auto play = [&](bool withMiss) {
        Game game = handLaid(1);
        if (withMiss)
            turn(game, 1, 2, Game::Outcome::Miss, best);
        turn(game, 1, 3, Game::Outcome::Match, best);
        turn(game, 2, 5, Game::Outcome::Match, best);
        turn(game, 4, 7, Game::Outcome::Match, best);
        EXPECT_EQ(game.UserClick(6, best).outcome, Game::Outcome::First);
        const auto last = game.UserClick(8, best);
        EXPECT_TRUE(game.Over());
        return last.newBest;
    };
    EXPECT_TRUE(play(true)); // no best yet: 5 turns
    EXPECT_EQ(best[0], 5);
    EXPECT_FALSE(play(true)); // the same count keeps it
    EXPECT_EQ(best[0], 5);
    EXPECT_TRUE(play(false)); // fewer replaces it
    EXPECT_EQ(best[0], 4);
    EXPECT_EQ(best[3], 20);
    for (int level : {1, 2, 4, 5, 6, 7, 8})
        EXPECT_EQ(best[level], pairs::NoBest);

    // Against the program nothing is kept.
    auto untouched = noBest();
    Game game = handLaid(2);
    for (auto [a, b] : {std::pair{1, 3}, std::pair{2, 5}, std::pair{4, 7}, std::pair{6, 8}})
        turn(game, a, b, Game::Outcome::Match, untouched);
    EXPECT_EQ(untouched, noBest());
    EXPECT_EQ(game.Result(), 1);
}

TEST(PairsBest, ReadingStopsAtABadValueAndNoScoreBelowOneTurnIsKept)
{
    auto best = pairs::ParseBestScores("5,7,x,1,");
    EXPECT_EQ(best, (pairs::BestScores{5, 7, -1, -1, -1, -1, -1, -1, -1}));
    best = pairs::ParseBestScores("0,-1,12,-7,20,24,28,32,36,40,44");
    EXPECT_EQ(best, (pairs::BestScores{-1, -1, 12, -1, 20, 24, 28, 32, 36}));
    EXPECT_EQ(pairs::ParseBestScores(""), noBest());
    EXPECT_EQ(pairs::FormatBestScores(pairs::ParseBestScores("4,8,x")), "4,8,-1,-1,-1,-1,-1,-1,-1,");
}
