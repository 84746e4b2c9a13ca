#include "shell/summaries.h"

#include "shell/languages/messages.h"

#include <QVariant>

#include <algorithm>

namespace {

const QString kSeparator = QStringLiteral(" / ");

bool checked(const char *name)
{
    const QObject *object = MainWindowControl(name);
    return object != nullptr && object->property("checked").toBool();
}

int characterSpacing()
{
    const QObject *spin = MainWindowControl("SpinEditEspace");
    const QVariant value = spin ? spin->property("value") : QVariant();
    return value.isValid() ? value.toInt() : 1;
}

QString realSpeedCaption()
{
    if (const QObject *label = MainWindowControl("LabelVitesseCorrigee"))
        return CaptionOf(label);
    return RealSpeedText(CaptionTiming(), CurrentLanguage());
}

} // namespace

std::optional<QString> RandomSummaryText(const RandomSummaryInputs &in, Language language)
{
    if (in.listWords)
        return std::nullopt;

    QString text = TxtWordLengthIn(language);
    text += in.randomWords ? TxtRandomLengthIn(language) : QString::number(in.groupLength);
    text += kSeparator;
    text += (in.leadingVs ? TxtLeadingVsIn(language) : TxtNoLeadingVsIn(language)) + kSeparator;
    if (in.wordContent)
        text += TxtNonMixedCharactersIn(language);
    else if (in.callsigns)
        text += TxtCallsignsIn(language);
    else
        text += TxtMixedCharactersIn(language);

    // The exam's first two phases have fixed settings.
    if (in.exam && !in.examPhase3)
        text = TxtWordLengthIn(language) + QStringLiteral("5  / ") + TxtLeadingVsIn(language) + kSeparator +
               TxtNonMixedCharactersIn(language);

    text += kSeparator + TxtCharacterSpacingIn(language) + QLatin1Char('=') + QString::number(in.characterSpacing);
    text += kSeparator + in.realSpeedText;

    if (in.exam && in.examPhase3)
        text = in.wordListFile;

    if (in.randomCharCount > 1) {
        const QString prefix = QStringLiteral("\r\n") + TxtCharactersRemainingIn(language) + QStringLiteral("= ");
        if (in.replayRandom) {
            // The last RandomCharCount characters of the series, blanks not counted; a count
            // beyond the text takes the whole text.
            const std::size_t count = static_cast<std::size_t>(in.randomCharCount);
            const std::size_t start = count >= in.randomText.size() ? 0 : in.randomText.size() - count;
            const auto left = std::count_if(in.randomText.begin() + static_cast<std::ptrdiff_t>(start),
                                            in.randomText.end(), [](char c) { return c != ' '; });
            if (left != 0)
                text += prefix + QString::number(left - 1);
        } else {
            text += prefix + QString::number(in.randomCharCount - 1);
        }
    }
    return text;
}

QString SpacingSummaryText(int spacing, const QString &realSpeedText, Language language)
{
    return TxtCharacterSpacingIn(language) + QLatin1Char('=') + QString::number(spacing) + kSeparator +
           realSpeedText;
}

SummarySources &summarySources()
{
    static SummarySources sources;
    return sources;
}

RandomSummaryInputs CurrentRandomSummaryInputs()
{
    const SummarySources &sources = summarySources();
    RandomSummaryInputs in;
    in.listWords = checked("MenuListWords");
    in.randomWords = checked("MenuRandomWords");
    in.leadingVs = checked("MenuAddV");
    in.wordContent = checked("MenuWordContent");
    in.callsigns = checked("menuCallsigns");
    in.exam = checked("menuExamen");
    in.examPhase3 = checked("MenuExamPha3");
    in.groupLength = sources.groupLength ? sources.groupLength() : 5;
    in.characterSpacing = characterSpacing();
    in.realSpeedText = realSpeedCaption();
    in.randomCharCount = sources.randomCharCount ? sources.randomCharCount() : 0;
    in.replayRandom = sources.replayRandom ? sources.replayRandom() : false;
    if (sources.randomText)
        in.randomText = sources.randomText();
    if (sources.wordListFile)
        in.wordListFile = sources.wordListFile();
    return in;
}

void UpdateRandomSummary()
{
    QObject *label = MainWindowControl("LabelWords");
    if (label == nullptr)
        return;
    if (const std::optional<QString> text = RandomSummaryText(CurrentRandomSummaryInputs(), CurrentLanguage()))
        SetCaption(label, *text);
}

void UpdateSpacingSummary()
{
    if (QObject *label = MainWindowControl("LabelwordsFile"))
        SetCaption(label, SpacingSummaryText(characterSpacing(), realSpeedCaption(), CurrentLanguage()));
}
