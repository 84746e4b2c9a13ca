#pragma once

// The games module: the main window's Games item, the three game windows (made at their
// place in start-up's order), the games' settings keys and their state.

#include "games/pairsmodel.h"

#include <QColor>

class TForm1;

// What the games keep in the settings file. It is read before the game windows exist; the
// windows work on it directly.
struct GamesSettings {
    static constexpr int DefaultColour = 1113856; // blue, green, red: a bright green
    int JongColor = DefaultColour;                // JONGCOLOR=
    int JongPlayed = 0;                           // JONGPLAYED=
    int JongWon = 0;                              // JONGWON=
    int PairsColor = DefaultColour;               // PAIRSCOLOR=
    int PairsLevel = 1;                           // PAIRSLEVEL=
    int PairsPlayers = 1;                         // PAIRSPLAYERS=
    pairs::BestScores PairsBest = [] {            // PAIRSBEST=
        pairs::BestScores none;
        none.fill(pairs::NoBest);
        return none;
    }();
};
GamesSettings &GamesState();

// A colour as the settings keep it (blue, green, red from the high byte down) and back.
QColor ColourOfSetting(int value);
int SettingOfColour(const QColor &colour);

// The module's build (the program's module list).
void BuildGamesModule(TForm1 &form);
