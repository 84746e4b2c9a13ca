#include "shell/shellsettingskeys.h"

#include "shell/languages/languages.h"
#include "shell/mainwindow.h"
#include "shell/settingskeys.h"

namespace {

using Values = std::vector<std::string>;

constexpr std::size_t MaxSecondPart = 100;

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
             auto pos = numberPair(value);
             if (!Form1 || !pos)
                 return;
             Form1->move(pos->second.value_or(Form1->x()), pos->first.value_or(Form1->y()));
         },
         [](Values &out) {
             if (Form1)
                 out.push_back(pairText(Form1->y(), Form1->x()));
         }},
        {"WINDIM=",
         [](const std::string &value) {
             auto size = numberPair(value);
             if (!Form1 || !size)
                 return;
             // A size that is no size leaves that side as it is.
             int height = size->first.value_or(0) > 0 ? *size->first : Form1->height();
             int width = size->second.value_or(0) > 0 ? *size->second : Form1->width();
             Form1->resize(width, height);
         },
         [](Values &out) {
             if (Form1)
                 out.push_back(pairText(Form1->height(), Form1->width()));
         }},
    };
    // Start-up may have bound a key of its own already; its row stands.
    for (const auto &row : rows)
        if (!registry.isBound(row.key))
            registry.bind(row.key, row.read, row.write);
}
