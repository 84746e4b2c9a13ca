#include "training/randomseries.h"

#include "engine/cp1252.h"
#include "engine/random.h"
#include "training/randomsets.h"

#include <QStringDecoder>

#include <algorithm>

namespace {

constexpr int MaxDrawAttempts = 1000;
// RandomCounter once the leading group is over, and right after the exam's short "v" group.
constexpr int NoLeadingGroup = 10;
constexpr int ExamLeadingGroupDone = 11;

bool isDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

bool isLetter(unsigned char c)
{
    return c >= 'a' && c <= 'z';
}

bool isBlankOrControl(unsigned char c)
{
    return c <= ' ';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlankOrControl(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && isBlankOrControl(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

std::size_t nonBlanks(std::string_view text)
{
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) { return c != ' '; }));
}

} // namespace

// ---- Text files and the replay text ---------------------------------------------------------

std::string DecodeTextFile(std::string_view bytes)
{
    constexpr std::string_view Bom = "\xEF\xBB\xBF";
    const bool bom = bytes.substr(0, Bom.size()) == Bom;
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!bom && ascii)
        return std::string(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (utf8.hasError())
        return std::string(bytes);
    std::string out = cp1252::fromQString(text);
    if (bom && !out.empty() && static_cast<unsigned char>(out.front()) == 0xFF)
        out.erase(0, 1); // no Windows-1252 form: fromQString dropped the mark already
    return out;
}

std::vector<std::string> ParseWordList(std::string_view bytes)
{
    const std::string text = DecodeTextFile(bytes);
    std::vector<std::string> words;
    std::size_t start = 0;
    while (start <= text.size() && words.size() < static_cast<std::size_t>(MaxWords)) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string_view line(text.data() + start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (std::any_of(line.begin(), line.end(), [](char c) { return c != ' '; }))
            words.emplace_back(line.substr(0, MaxWordLength));
        start = end + 1;
    }
    return words;
}

std::string ReplayTextFromMemo(std::string_view memo, std::string_view selection)
{
    std::string text;
    if (!selection.empty()) {
        text.assign(selection);
        std::replace_if(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
        return std::string(trimmed(text));
    }
    // The lines are separated by line breaks or by runs of five blanks; the last one holding
    // text is the series to replay.
    std::string lines(memo);
    std::replace_if(lines.begin(), lines.end(), [](char c) { return c == '\r'; }, '\n');
    std::string_view rest(lines);
    std::string_view last;
    while (!rest.empty()) {
        std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        for (;;) {
            const std::size_t run = line.find("     ");
            std::string_view part = line.substr(0, run);
            if (!trimmed(part).empty())
                last = part;
            if (run == std::string_view::npos)
                break;
            line.remove_prefix(run + 5);
        }
    }
    return std::string(trimmed(trimmed(last).substr(0, MaxReplayLength)));
}

int CharacterClass(unsigned char c)
{
    if (isDigit(c))
        return 0;
    if (isLetter(c))
        return 1;
    return 2;
}

// ---- The series -----------------------------------------------------------------------------

RandomSeries::RandomSeries(EngineState &engine, CharacterSets &sets)
    : Engine(engine), Sets(sets)
{
}

unsigned char RandomSeries::MemoCase(unsigned char c) const
{
    return Options.LowerCase ? cp1252::toLower(c) : cp1252::toUpper(c);
}

bool RandomSeries::wordMode() const
{
    return Options.ListWords && WordListChosen && !Engine.ReplayRandom;
}

bool RandomSeries::NothingToDraw() const
{
    if (Engine.ReplayRandom)
        return false;
    if (Options.ListWords)
        return !WordListChosen || Words.empty();
    return ClampedWindow(Sets).count == 0;
}

bool RandomSeries::examDrives() const
{
    return Options.Exam && Exam && !Engine.ReplayRandom;
}

RandomSeries::StepResult RandomSeries::endQuietly(RandomSeriesView &view)
{
    ClearPlayQueue(Engine);
    Engine.RandomPlaying = false;
    Engine.ReplayRandom = false;
    // No stop follows, so a quick series must not stay on for the next, sounding one.
    Engine.QuickSeries = false;
    view.endQuietly();
    return StepResult::NothingToDraw;
}

RandomSeries::StepResult RandomSeries::Step(RandomSeriesView &view)
{
    if (NothingToDraw())
        return endQuietly(view);
    if (examDrives()) {
        switch (Exam->ExamUnit(*this, view)) {
        case RandomSeriesExam::Unit::NothingToDraw:
            return endQuietly(view);
        case RandomSeriesExam::Unit::Text:
            handOff(view, false);
            return StepResult::Queued;
        case RandomSeriesExam::Unit::Groups:
            break;
        }
    }
    if (wordMode()) {
        wordUnit(view);
        handOff(view, false);
        return StepResult::Queued;
    }
    DrawnCharacter = " ";
    view.enterSeries();
    // The countdown comes before any state changes, so a cancelled one leaves the series as
    // it was.
    if (!Engine.RandomPlaying && !Engine.QuickSeries && !view.countdown())
        return StepResult::Cancelled;
    if (!Engine.RandomPlaying) {
        seriesStart(view);
        if (examDrives())
            Exam->GroupsStarted(*this, view);
    }
    Engine.NewTransmission = !Engine.RandomPlaying;
    groupUnit();
    handOff(view, true);
    return StepResult::Queued;
}

void RandomSeries::wordUnit(RandomSeriesView &view)
{
    if (!Engine.RandomPlaying) {
        RandomCharCount = Options.SeriesCount;
        if (!view.memoLastLineEmpty())
            view.memoNewLine();
        if (Options.AddV)
            WordRest = "VVVVV ";
    }
    if (WordRest.empty()) {
        WordRest = Words[static_cast<std::size_t>(Random(static_cast<int>(Words.size())))] + " ";
        // A word is always finished.
        RandomCharCount = std::max(RandomCharCount, static_cast<int>(nonBlanks(WordRest)));
    }
    DrawnCharacter = WordRest.substr(0, 1);
    WordRest.erase(0, 1);
}

void RandomSeries::seriesStart(RandomSeriesView &view)
{
    EngineState &s = Engine;
    const bool newSeries = RandomCharCount < 2;
    if (!Options.AddV || s.ReplayRandom) {
        RandomCounter = NoLeadingGroup;
        if (Options.RandomWords && s.GroupPosition == 0)
            s.GroupLength = Random(7) + 2;
    } else {
        // A quick series starts from a raised count but is a new series all the same.
        if (newSeries || s.QuickSeries)
            RandomCounter = 0;
        if (Options.RandomWords)
            s.GroupLength = 5;
    }
    if ((newSeries && !view.memoLastLineEmpty()) || s.ReplayRandom)
        view.memoNewLine();

    if (s.ReplayRandom) {
        SavedRandomText = RandomText;
        RandomCharCount = static_cast<int>(RandomText.size());
    } else if (RandomStopped) {
        // A stopped replay continues after the last character sent.
        ReplayStart = ReplayIndex + 1;
        RandomText = SavedRandomText;
        RandomCharCount = static_cast<int>(RandomText.size()) - ReplayStart + 1;
        s.ReplayRandom = true;
    } else if (newSeries) {
        RandomCharCount = Options.SeriesCount;
        s.GroupPosition = 0;
    } else {
        --RandomCharCount; // a stopped series continues with the next unit
    }
}

void RandomSeries::groupUnit()
{
    EngineState &s = Engine;
    ++s.GroupPosition;
    if (RandomCounter < s.GroupLength) {
        DrawnCharacter = "v";
        if (++RandomCounter == s.GroupLength) {
            RandomCounter = NoLeadingGroup;
            if (Options.Exam) {
                // The exam's short group of "v" ends at once.
                s.GroupLength = 5;
                s.GroupPosition = 5;
                RandomCounter = ExamLeadingGroupDone;
            }
        }
        return;
    }
    if (s.ReplayRandom) {
        const int p = ReplayLength - RandomCharCount + 1;
        ReplayIndex = p;
        const bool inText = p >= 1 && p <= ReplayLength && p <= static_cast<int>(RandomText.size());
        DrawnCharacter = std::string(1, inText ? RandomText[static_cast<std::size_t>(p - 1)] : '\0');
        return;
    }
    draw();
}

void RandomSeries::draw()
{
    EngineState &s = Engine;
    CharacterWindow window = ClampedWindow(Sets);
    if (Options.Exam)
        window = RandomCharCount < 32 ? CharacterWindow{RandomFiguresFirst, 10} : CharacterWindow{RandomLettersFirst, 26};
    const bool classRules = s.GroupPosition >= 2 && !Options.Exam;
    for (int attempt = 0; attempt < MaxDrawAttempts; ++attempt) {
        const auto candidate = static_cast<unsigned char>(
            Sets.RandomCharacters[static_cast<std::size_t>(window.first + Random(window.count))]);
        if (s.GroupPosition < 2)
            GroupFirstChar = candidate;
        if (classRules && Options.NonMixedGroups && CharacterClass(candidate) != CharacterClass(GroupFirstChar))
            continue;
        if (classRules && Options.Callsigns) {
            if (s.GroupPosition == 2) {
                if (isDigit(GroupFirstChar) && isDigit(candidate))
                    continue;
                GroupSecondChar = candidate;
            } else if (s.GroupPosition == 3) {
                if (isLetter(GroupSecondChar) && isLetter(candidate))
                    continue;
            } else if (!isLetter(candidate)) {
                continue;
            }
        }
        DrawnCharacter = std::string(1, static_cast<char>(candidate));
        if (Options.Exam && RandomCharCount == 1)
            DrawnCharacter = "+";
        return;
    }
    DrawnCharacter = std::string(1, static_cast<char>(GroupFirstChar));
}

void RandomSeries::handOff(RandomSeriesView &view, bool groupMode)
{
    EngineState &s = Engine;
    // The queue is replaced: a character still sounding stays out of it.
    ClearPlayQueue(s);
    s.PlayQueue = DrawnCharacter;
    s.RandomPlaying = true;
    const bool delayed = view.handOff();
    const auto drawn = static_cast<unsigned char>(DrawnCharacter.empty() ? 0 : DrawnCharacter.front());
    if (drawn != 0)
        view.memoAppend(MemoCase(drawn));

    // The group ends with this unit: the engine gives it the word space, whenever it renders
    // it (after the transmit delay too).
    const bool groupEnds = groupMode && s.GroupPosition >= s.GroupLength && !s.ReplayRandom;
    s.HeadEndsGroup = groupEnds;
    if (groupEnds) {
        DrawnCharacter = " ";
        view.memoAppend(' ');
        if (RandomCounter == ExamLeadingGroupDone) {
            if (!view.memoLastLineEmpty())
                view.memoNewLine();
            RandomCounter = NoLeadingGroup;
        }
        s.GroupPosition = 0;
        if (Options.RandomWords)
            s.GroupLength = Random(7) + 2;
    }
    // Last, so that a unit the engine passes over at once (no code) finds the step done.
    if (!delayed)
        view.startEngine();
}

bool RandomSeries::UnitSent()
{
    const bool text = Options.ListWords || (examDrives() && Exam->TextPhase());
    const bool blankOfWord = text && !Engine.ReplayRandom && DrawnCharacter == " ";
    if (blankOfWord)
        return false;
    --RandomCharCount;
    return true;
}

void RandomSeries::Stopped()
{
    if (Engine.ReplayRandom && RandomCharCount >= 1) {
        RandomStopped = true;
        SavedRandomText = RandomText;
    } else {
        RandomStopped = false;
    }
}

bool RandomSeries::PrepareReplay(std::string text)
{
    if (text.empty())
        return false;
    RandomText = std::move(text);
    ReplayLength = static_cast<int>(RandomText.size());
    RandomCharCount = ReplayLength;
    ReplayStart = 0;
    Engine.GroupPosition = 0;
    Engine.ReplayRandom = true;
    return true;
}

void RandomSeries::Reset()
{
    Engine.GroupPosition = 0;
    ReplayIndex = 0;
    RandomCharCount = 0;
    Engine.RandomPlaying = false;
    Engine.ReplayRandom = false;
    RandomStopped = false;
}

void RandomSeries::RestartAfterSetChange(RandomSeriesView &view)
{
    if (!Engine.RandomPlaying)
        return;
    Engine.GroupPosition = 0;
    if (!view.memoLastLineEmpty())
        view.memoNewLine();
    if (!Engine.ReplayRandom)
        RandomCharCount = Options.SeriesCount;
}

bool RandomSeries::StoppedMidSeries() const
{
    return RandomCharCount > 1 && RandomCharCount != Options.SeriesCount;
}
