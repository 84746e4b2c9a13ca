#include "engine/characterdecoder.h"

#include "engine/cp1252.h"

namespace {

constexpr const char *ProsignTags[7] = {"[AS]", "[HH]", "[KN]", "[VA]", "[SN]", "[AR]", "[BK]"};
constexpr const char *ProsignSigns[7] = {"&", "<", "(", ">", "SN", "+", "BK"};

std::string trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

// The character the scan stops at, or -1 when no character has the code.
int characterOf(std::string_view code, const MorseCodeTable &working)
{
    for (int i = 0; i < 256; ++i) {
        if (working[i] != code)
            continue;
        if ((i >= ProsignAS && i <= ProsignBK) || !DefaultMorseCodes[i].empty())
            return i;
        // A local character yields to a built-in character further on with the same code.
        bool builtInLater = false;
        for (int j = i + 1; j < 256 && !builtInLater; ++j)
            builtInLater = DefaultMorseCodes[j] == code;
        if (!builtInLater)
            return i;
    }
    return -1;
}

} // namespace

std::string LocalCommentForMonitor(std::string_view line)
{
    if (line.size() <= 4)
        return {};
    std::string_view rest = line.substr(4);
    const auto gap = rest.find("  ");
    if (gap == std::string_view::npos)
        return {};
    rest = rest.substr(gap + 2);
    return trimmed(rest.substr(0, 100));
}

DecodedCharacter DecodeElements(std::string_view code, const MorseCodeTable &working,
                                const CharacterDecoderOptions &options,
                                const std::array<std::string, 7> &prosignWords,
                                std::span<const LocalCharacterEntry> locals)
{
    using Kind = DecodedCharacter::Kind;
    // An empty string matches every character without a code: it stands for nothing.
    if (code.empty())
        return {};
    const int found = characterOf(code, working);
    if (found < 0)
        return {Kind::Text, "[" + std::string(code) + "]"};

    if (found >= ProsignAS && found <= ProsignBK) {
        if (found == ProsignHH && options.errorErases)
            return {Kind::Erase, {}};
        const int n = found - ProsignAS;
        switch (options.prosigns) {
        case ProsignForm::Word:
            return {Kind::Text, "[" + prosignWords[n] + "]"};
        case ProsignForm::Sign:
            return {Kind::Text, ProsignSigns[n]};
        case ProsignForm::Tag:
            break;
        }
        return {Kind::Text, ProsignTags[n]};
    }

    const auto c = static_cast<unsigned char>(found);
    if (options.localComments) {
        for (const LocalCharacterEntry &local : locals) {
            if (cp1252::toLower(local.character) != cp1252::toLower(c))
                continue;
            const std::string comment = LocalCommentForMonitor(local.line);
            if (!comment.empty())
                return {Kind::Text, "[" + comment + "]"};
            break;
        }
    }
    const unsigned char shown = options.lowerCase ? cp1252::toLower(c) : cp1252::toUpper(c);
    return {Kind::Text, std::string(1, static_cast<char>(shown))};
}
