#include "shell/shellsettingskeys.h"

#include "shell/languages/languages.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/settingsgeometry.h"
#include "shell/settingskeys.h"

#include <climits>
#include <optional>

namespace {

using Values = std::vector<std::string>;

constexpr std::size_t MaxSecondPart = 100;
constexpr int MainWindowPlaceFixUp = 50; // after the file's own fix-ups

// What WINPOS= and WINDIM= asked for, each part on its own (x: left or width, y: top or
// height); applied together once the file is read.
struct Asked {
    std::optional<int> x;
    std::optional<int> y;
    bool given() const { return x || y; }
    // Each part that converts (and is at least `least`) replaces what an earlier line asked.
    void take(std::optional<int> newX, std::optional<int> newY, int least)
    {
        if (newX && *newX >= least)
            x = newX;
        if (newY && *newY >= least)
            y = newY;
    }
};
Asked askedPlace;
Asked askedSize;

// "a,b" as two numbers, each converted on its own; nothing at all without a ",".
struct Pair {
    std::optional<int> first;
    std::optional<int> second;
};
std::optional<Pair> numberPair(const std::string &value)
{
    std::size_t comma = value.find(',');
    if (comma == std::string::npos)
        return std::nullopt;
    return Pair{settings::ParseInt(value.substr(0, comma)),
                settings::ParseInt(value.substr(comma + 1, MaxSecondPart))};
}

std::string pairText(int a, int b)
{
    return std::to_string(a) + "," + std::to_string(b);
}

} // namespace

void BindShellSettingsKeys(SettingsRegistry &registry)
{
    const std::vector<SettingsRegistry::Row> rows = {
        {"LANGUAGE=",
         [](const std::string &value) {
             if (value.size() == 1)
                 ClickLanguageLetter(value[0]);
         },
         [](Values &out) { out.push_back(std::string(1, LanguageLetter(CurrentLanguage()))); }},
        {"WINPOS=",
         [](const std::string &value) {
             if (auto pos = numberPair(value))
                 askedPlace.take(pos->second, pos->first, INT_MIN);
         },
         [](Values &out) {
             if (Form1)
                 out.push_back(pairText(Form1->y(), Form1->x()));
         }},
        {"WINDIM=",
         [](const std::string &value) {
             // A side that is no size leaves that side as it is.
             if (auto size = numberPair(value))
                 askedSize.take(size->second, size->first, 1);
         },
         [](Values &out) {
             if (!Form1)
                 return;
             if (const auto kid = CallHook(Hooks().kidSavedWindowSize, std::optional<std::pair<int, int>>()))
                 out.push_back(pairText(kid->second, kid->first));
             else
                 out.push_back(pairText(Form1->height(), Form1->width()));
         }},
    };
    // Start-up may have bound a key of its own already; its row stands.
    for (const auto &row : rows)
        if (!registry.isBound(row.key))
            registry.bind(row.key, row.read, row.write);

    // The main window's place and size, once both lines are known, held to the screen.
    registry.addReadStart("shell: main window place", [] { askedPlace = askedSize = {}; });
    registry.addFixUp(MainWindowPlaceFixUp, "shell: main window place", [] {
        if (!Form1 || (!askedPlace.given() && !askedSize.given()))
            return;
        std::optional<QPoint> place;
        if (askedPlace.given())
            place = QPoint(askedPlace.x.value_or(Form1->x()), askedPlace.y.value_or(Form1->y()));
        std::optional<QSize> size;
        if (askedSize.given())
            size = QSize(askedSize.x.value_or(Form1->width()), askedSize.y.value_or(Form1->height()));
        PlaceWindow(Form1, place, size);
    });
}
