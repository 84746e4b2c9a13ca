#include "training/randomsets.h"

#include <algorithm>

CharacterWindow SetWindow(RandomSet set, int localCount)
{
    localCount = std::clamp(localCount, 0, MaxLocalCharacters);
    switch (set) {
    case RandomSet::Letters:
        return {RandomLettersFirst, 26};
    case RandomSet::Figures:
        return {RandomFiguresFirst, 10};
    case RandomSet::Stops:
        return {RandomStopsFirst, 9};
    case RandomSet::Local:
        return {LocalCharactersFirst, localCount};
    case RandomSet::LettersFigures:
        return {RandomLettersFirst, 36};
    case RandomSet::All:
        return {RandomLettersFirst, BuiltInRandomCount + localCount};
    }
    return {};
}

void SelectSet(CharacterSets &sets, RandomSet set)
{
    const CharacterWindow window = SetWindow(set, sets.LocalCount);
    sets.RandomFirst = window.first;
    sets.RandomCount = window.count;
}

namespace {

bool acceptedInChoice(const CharacterSets &sets, unsigned char c)
{
    if (c == 0)
        return false;
    const int blocksEnd = LocalCharactersFirst + std::clamp(sets.LocalCount, 0, MaxLocalCharacters);
    for (int i = 0; i < blocksEnd; ++i) {
        if (sets.RandomCharacters[i] == c)
            return true;
    }
    return std::find(ExtraChoiceCharacters.begin(), ExtraChoiceCharacters.end(), c) != ExtraChoiceCharacters.end();
}

} // namespace

int BuildOwnChoice(CharacterSets &sets, std::string_view text)
{
    int count = 0;
    for (char ch : text) {
        if (count == MaxOwnChoice)
            break;
        auto c = static_cast<unsigned char>(ch);
        if (c >= 'A' && c <= 'Z')
            c = static_cast<unsigned char>(c - 'A' + 'a');
        if (acceptedInChoice(sets, c))
            sets.RandomCharacters[OwnChoiceFirst + count++] = c;
    }
    sets.RandomFirst = OwnChoiceFirst;
    sets.RandomCount = count;
    return count;
}

CharacterWindow ClampedWindow(const CharacterSets &sets)
{
    const int first = std::clamp(sets.RandomFirst, 0, RandomCharactersSize);
    const int count = std::clamp(sets.RandomCount, 0, RandomCharactersSize - first);
    return {first, count};
}

std::string WindowCharacters(const CharacterSets &sets)
{
    const CharacterWindow window = ClampedWindow(sets);
    std::string out;
    for (int i = 0; i < window.count; ++i)
        out += static_cast<char>(sets.RandomCharacters[window.first + i]);
    return out;
}

int RecogniseLesson(std::string_view text, const std::vector<std::string> &items, int rememberedIndex,
                    bool samePage)
{
    int found = -1;
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        if (items[i] != text)
            continue;
        found = i;
        if (samePage && i == rememberedIndex)
            break;
    }
    return found;
}
