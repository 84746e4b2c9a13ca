#pragma once

// The two one-line summaries of the options that shape what is played: `LabelWords` under
// the random groups and `LabelwordsFile` under the file text. Every handler that changes
// one of their inputs (speed, spacing, group options, series progress, language) calls
// UpdateRandomSummary and UpdateSpacingSummary.

#include "shell/languages/languages.h"

#include <QString>

#include <functional>
#include <optional>
#include <string>

struct RandomSummaryInputs
{
    bool listWords = false;   // MenuListWords: word-list mode
    bool randomWords = false; // MenuRandomWords: random word length
    bool leadingVs = false;   // MenuAddV
    bool wordContent = false; // MenuWordContent: non-mixed characters
    bool callsigns = false;   // menuCallsigns
    bool exam = false;        // menuExamen
    bool examPhase3 = false;  // MenuExamPha3
    int groupLength = 5;      // GroupLength
    int characterSpacing = 1; // SpinEditEspace
    QString realSpeedText;    // the caption of LabelVitesseCorrigee
    int randomCharCount = 0;  // RandomCharCount: characters still to play in a series
    bool replayRandom = false;
    std::string randomText;   // RandomText (Windows-1252)
    QString wordListFile;     // WordListFile
};

// The caption of `LabelWords`, or nothing in word-list mode (the label keeps its caption).
// A second line, after "\r\n", counts the characters left in a series.
std::optional<QString> RandomSummaryText(const RandomSummaryInputs &inputs, Language language);

// The caption of `LabelwordsFile`.
QString SpacingSummaryText(int characterSpacing, const QString &realSpeedText, Language language);

// Values owned by the random-group modes; each owner sets its function once. The defaults
// stand for a program without those modes (groups of 5, no series).
struct SummarySources
{
    std::function<int()> groupLength;
    std::function<int()> randomCharCount;
    std::function<bool()> replayRandom;
    std::function<std::string()> randomText;
    std::function<QString()> wordListFile;
};
SummarySources &summarySources();

// The inputs as the main window shows them now (menu check marks and controls by name).
RandomSummaryInputs CurrentRandomSummaryInputs();

// Rebuild the captions of `LabelWords` and `LabelwordsFile` on the main window.
void UpdateRandomSummary();
void UpdateSpacingSummary();
