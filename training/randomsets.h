#pragma once

// The character sets of random practice as plain data: the windows of the random character
// list that the set items choose, the user's own choice of characters, and the recognition
// of a lesson in the choice box. The random groups, the quiz and the lessons all draw from
// the window set here.

#include "engine/localcharacters.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

// The six fixed sets, in the order of their menu items (F5..F10).
enum class RandomSet { Letters, Figures, Stops, Local, LettersFigures, All };

struct CharacterWindow {
    int first = 0;
    int count = 0;
};

// The window (first index, count) of a fixed set.
CharacterWindow SetWindow(RandomSet set, int localCount);

// Makes a fixed set the active window.
void SelectSet(CharacterSets &sets, RandomSet set);

// Characters accepted in an own choice although they are in no block of the list.
inline constexpr std::array<unsigned char, 21> ExtraChoiceCharacters = {'!', '(', ')', ':', ';', '<', '>', '@'};

// The own choice fills the list from OwnChoiceFirst to its end.
constexpr int MaxOwnChoice = RandomCharactersSize - OwnChoiceFirst;

// Builds the own-choice block from a typed text: A-Z in lower case, every character that is in
// a block (local characters included) or in the extra list is stored in typed order, repeats
// kept (so they are drawn more often); anything else is skipped. At most MaxOwnChoice
// characters are stored, whatever the length of the text. The own choice becomes the active
// window; returns its count (0 when nothing was accepted).
int BuildOwnChoice(CharacterSets &sets, std::string_view text);

// The characters of the active window, in list order (clamped to the list).
std::string WindowCharacters(const CharacterSets &sets);

// The window clamped to the list, so a draw can never read past its end.
CharacterWindow ClampedWindow(const CharacterSets &sets);

// Which of the choice box's items a typed text names: the last item equal to it, or the item
// remembered when the panel opened as soon as the scan reaches it (when that item is equal and
// on the page shown then). -1 when no item is equal.
int RecogniseLesson(std::string_view text, const std::vector<std::string> &items, int rememberedIndex,
                    bool samePage);
