#include "games/gamesmodule.h"

#include "games/formgames.h"
#include "games/formmemorypairs.h"
#include "games/formmorsejong.h"
#include "games/gamestexts.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/settingsformat.h"
#include "shell/settingskeys.h"

#include <QAction>
#include <QColorDialog>
#include <QMenu>
#include <QMenuBar>

#include <climits>

GamesSettings &GamesState()
{
    static GamesSettings state;
    return state;
}

QColor ColourOfSetting(int value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

int SettingOfColour(const QColor &colour)
{
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

namespace {

constexpr TextRow MainWindowTexts[] = {
    {"MenuGames", TextKind::Caption, gametexts::MenuGames},
};

// A colour key: a decimal colour; anything else gives the default.
SettingsRegistry::ReadFn readColour(int &colour)
{
    return [&colour](const std::string &value) {
        const auto n = settings::ParseInt(value);
        colour = n && *n >= 0 && *n <= 0xFFFFFF ? *n : GamesSettings::DefaultColour;
    };
}

// A counter: a number, held to no less than 0.
SettingsRegistry::ReadFn readCounter(int &counter)
{
    return [&counter](const std::string &value) {
        if (const auto n = settings::ParseInt(value))
            counter = std::max(0, *n);
    };
}

// One of the values lo..hi; anything else changes nothing.
SettingsRegistry::ReadFn readChoice(int &choice, int lo, int hi)
{
    return [&choice, lo, hi](const std::string &value) {
        if (const auto n = settings::ParseInt(value); n && *n >= lo && *n <= hi)
            choice = *n;
    };
}

SettingsRegistry::WriteFn writeNumber(const int &number)
{
    return [&number](std::vector<std::string> &values) { values.push_back(std::to_string(number)); };
}

void bindSettingsKeys()
{
    GamesSettings &s = GamesState();
    Settings().bind({
        {"PAIRSCOLOR=", readColour(s.PairsColor), writeNumber(s.PairsColor)},
        {"PAIRSLEVEL=", readChoice(s.PairsLevel, 0, pairs::Levels - 1), writeNumber(s.PairsLevel)},
        {"PAIRSPLAYERS=", readChoice(s.PairsPlayers, 1, 2), writeNumber(s.PairsPlayers)},
        {"PAIRSBEST=", [&s](const std::string &value) { s.PairsBest = pairs::ParseBestScores(value); },
         [&s](std::vector<std::string> &values) { values.push_back(pairs::FormatBestScores(s.PairsBest)); }},
        {"JONGCOLOR=", readColour(s.JongColor), writeNumber(s.JongColor)},
        {"JONGPLAYED=", readCounter(s.JongPlayed), writeNumber(s.JongPlayed)},
        {"JONGWON=", readCounter(s.JongWon), writeNumber(s.JongWon)},
    });
}

} // namespace

void BuildGamesModule(TForm1 &form)
{
    // The games' state lives as long as the main window.
    GamesState() = GamesSettings{};
    bindSettingsKeys();

    auto *item = new QAction(QStringLiteral("&Games"), &form);
    item->setObjectName(QStringLiteral("MenuGames"));
    form.menuBar()->insertAction(form.MenuHelp->menuAction(), item);
    QObject::connect(item, &QAction::triggered, item, [] { MenuGamesClick(); });
    RegisterMainWindowTexts(MainWindowTexts);

    RegisterSideWindow(SideWindowPlace::GamesLauncher, FormGames);
    RegisterSideWindow(SideWindowPlace::TileGame, FormMorseJong);
    RegisterSideWindow(SideWindowPlace::PairsGame, FormMemoryPairs);

    // The main block colours the tile window as the settings had it.
    AddModuleStep(ModuleStep::PushParkedSettings, "games: tile window colour", [] {
        if (!FormMorseJong)
            return;
        FormMorseJong->ApplyColour(GamesState().JongColor);
        QColorDialog::setCustomColor(0, ColourOfSetting(GamesState().JongColor));
    });
}
