#include "shell/summaries.h"

#include <gtest/gtest.h>

namespace {

const QString kSpeed12 = QStringLiteral("Real speed (wpm) = 12.0");

RandomSummaryInputs defaults()
{
    RandomSummaryInputs in;
    in.groupLength = 5;
    in.characterSpacing = 1;
    in.realSpeedText = kSpeed12;
    return in;
}

struct Case
{
    const char *name;
    void (*change)(RandomSummaryInputs &);
    const char *expected; // nullptr: the label keeps its caption
};

const Case kCases[] = {
    {"defaults", [](RandomSummaryInputs &) {},
     "Word length= 5 / No leading Vs / Mixed Characters / Spacing between characters=1 / Real speed (wpm) = 12.0"},
    {"series with 250 left", [](RandomSummaryInputs &in) { in.randomCharCount = 250; },
     "Word length= 5 / No leading Vs / Mixed Characters / Spacing between characters=1 / Real speed (wpm) = 12.0"
     "\r\nCharacters remaining = 249"},
    {"one left: no second line", [](RandomSummaryInputs &in) { in.randomCharCount = 1; },
     "Word length= 5 / No leading Vs / Mixed Characters / Spacing between characters=1 / Real speed (wpm) = 12.0"},
    {"two left", [](RandomSummaryInputs &in) { in.randomCharCount = 2; },
     "Word length= 5 / No leading Vs / Mixed Characters / Spacing between characters=1 / Real speed (wpm) = 12.0"
     "\r\nCharacters remaining = 1"},
    {"replay counts no blanks",
     [](RandomSummaryInputs &in) {
         in.replayRandom = true;
         in.randomText = "XYZ AB CD";
         in.randomCharCount = 5;
     },
     "Word length= 5 / No leading Vs / Mixed Characters / Spacing between characters=1 / Real speed (wpm) = 12.0"
     "\r\nCharacters remaining = 3"},
    {"replay of blanks only",
     [](RandomSummaryInputs &in) {
         in.replayRandom = true;
         in.randomText = "AB   ";
         in.randomCharCount = 3;
     },
     "Word length= 5 / No leading Vs / Mixed Characters / Spacing between characters=1 / Real speed (wpm) = 12.0"},
    {"replay count beyond the text",
     [](RandomSummaryInputs &in) {
         in.replayRandom = true;
         in.randomText = "AB C";
         in.randomCharCount = 40;
     },
     "Word length= 5 / No leading Vs / Mixed Characters / Spacing between characters=1 / Real speed (wpm) = 12.0"
     "\r\nCharacters remaining = 2"},
    {"random length, leading Vs, spacing 2",
     [](RandomSummaryInputs &in) {
         in.randomWords = true;
         in.leadingVs = true;
         in.characterSpacing = 2;
         in.realSpeedText = QStringLiteral("Real speed (wpm) = 9.2");
     },
     "Word length= Random / Leading Vs / Mixed Characters / Spacing between characters=2 / Real speed (wpm) = 9.2"},
    {"call signs", [](RandomSummaryInputs &in) { in.callsigns = true; },
     "Word length= 5 / No leading Vs / Callsigns / Spacing between characters=1 / Real speed (wpm) = 12.0"},
    {"non-mixed before call signs",
     [](RandomSummaryInputs &in) {
         in.callsigns = true;
         in.wordContent = true;
         in.groupLength = 7;
     },
     "Word length= 7 / No leading Vs / Non-mixed characters / Spacing between characters=1 / Real speed (wpm) = 12.0"},
    {"exam phases 1 and 2 are fixed",
     [](RandomSummaryInputs &in) {
         in.exam = true;
         in.groupLength = 8;
         in.randomWords = true;
     },
     "Word length= 5  / Leading Vs / Non-mixed characters / Spacing between characters=1 / Real speed (wpm) = 12.0"},
    {"exam phase 3 shows the word list",
     [](RandomSummaryInputs &in) {
         in.exam = true;
         in.examPhase3 = true;
         in.wordListFile = QStringLiteral("mots.txt");
         in.randomCharCount = 10;
     },
     "mots.txt\r\nCharacters remaining = 9"},
    {"word-list mode", [](RandomSummaryInputs &in) { in.listWords = true; }, nullptr},
};

TEST(RandomSummary, CasesInEnglish)
{
    for (const Case &c : kCases) {
        RandomSummaryInputs in = defaults();
        c.change(in);
        const std::optional<QString> text = RandomSummaryText(in, Language::English);
        if (c.expected == nullptr) {
            EXPECT_FALSE(text) << c.name;
        } else {
            ASSERT_TRUE(text) << c.name;
            EXPECT_EQ(*text, QString::fromUtf8(c.expected)) << c.name;
        }
    }
}

TEST(RandomSummary, OtherLanguages)
{
    RandomSummaryInputs in = defaults();
    in.realSpeedText = QStringLiteral("Velocidad effectiva (ppm) = 12.0");
    in.randomCharCount = 3;
    EXPECT_EQ(RandomSummaryText(in, Language::Espanol),
              QStringLiteral("Longitud de palabra= 5 / Sin V iniciales / Caracteres mezclados / "
                             "Espacio entre caracteres=1 / Velocidad effectiva (ppm) = 12.0\r\n"
                             "Caracteres restantes = 2"));
    in = defaults();
    in.leadingVs = true;
    in.realSpeedText = QStringLiteral("Vitesse réelle (mots/min) = 12.0");
    EXPECT_EQ(RandomSummaryText(in, Language::Francais),
              QStringLiteral("Longueur des mots= 5 / Avec V en tête / Caractères mélangés / "
                             "Espace entre caractères=1 / Vitesse réelle (mots/min) = 12.0"));
}

TEST(SpacingSummary, Languages)
{
    EXPECT_EQ(SpacingSummaryText(2, QStringLiteral("Real speed (wpm) = 9.2"), Language::English),
              QStringLiteral("Spacing between characters=2 / Real speed (wpm) = 9.2"));
    EXPECT_EQ(SpacingSummaryText(30, QStringLiteral("Valós sebesség (wpm) = 1.2"), Language::Magyar),
              QStringLiteral("Karakterköz=30 / Valós sebesség (wpm) = 1.2"));
}

} // namespace
