#include "training/filetextcore.h"

#include "engine/cp1252.h"
#include "platform/userfile.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

namespace filetext {

namespace {

constexpr char CR = '\r';
constexpr char LF = '\n';

// One UTF-8 sequence at `bytes[i]`: its code point and length, or nothing when the bytes
// there are no valid sequence (overlong forms, surrogates and values past U+10FFFF included).
struct Decoded {
    char32_t ch;
    std::size_t length;
};
std::optional<Decoded> decodeUtf8(std::string_view bytes, std::size_t i)
{
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = at(i);
    if (lead < 0x80)
        return Decoded{lead, 1};
    std::size_t length = 0;
    char32_t ch = 0;
    char32_t least = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, ch = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, ch = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, ch = lead & 0x07, least = 0x10000;
    } else {
        return std::nullopt;
    }
    if (i + length > bytes.size())
        return std::nullopt;
    for (std::size_t k = 1; k < length; ++k) {
        if ((at(i + k) & 0xC0) != 0x80)
            return std::nullopt;
        ch = (ch << 6) | (at(i + k) & 0x3F);
    }
    if (ch < least || ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF))
        return std::nullopt;
    return Decoded{ch, length};
}

// The Windows-1252 byte a character is practised as, or nothing when it has none.
std::optional<unsigned char> practiceByte(char32_t ch)
{
    switch (ch) {
    case 0xFEFF: // a byte-order mark is no text
        return std::nullopt;
    case 0x00A0: // no-break space: a word space
        return ' ';
    case 0x2018: case 0x2019: case 0x201A: case 0x201B:
        return '\'';
    case 0x201C: case 0x201D: case 0x201E: case 0x201F:
        return '"';
    default:
        return cp1252::fromUnicode(ch);
    }
}

void appendUtf8(std::string &out, char32_t ch)
{
    if (ch < 0x80) {
        out += static_cast<char>(ch);
    } else if (ch < 0x800) {
        out += static_cast<char>(0xC0 | (ch >> 6));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else if (ch < 0x10000) {
        out += static_cast<char>(0xE0 | (ch >> 12));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (ch >> 18));
        out += static_cast<char>(0x80 | ((ch >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    }
}

bool isBlank(char c)
{
    return static_cast<unsigned char>(c) < 33;
}

std::string trimmed(std::string_view text)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && isBlank(text[first]))
        ++first;
    while (last > first && isBlank(text[last - 1]))
        --last;
    return std::string(text.substr(first, last - first));
}

bool eraseFirst(std::string &text, std::string_view what)
{
    const std::size_t at = text.find(what);
    if (at == std::string::npos)
        return false;
    text.erase(at, what.size());
    return true;
}

// Step 3 of the parse: the item markers, tabs and bars go until none is left.
std::string cleanItemLine(std::string_view raw)
{
    std::string line = trimmed(raw);
    for (;;) {
        bool removed = eraseFirst(line, "<li>");
        removed = eraseFirst(line, "</li>") || removed;
        const std::size_t before = line.size();
        std::erase_if(line, [](char c) { return c == '\t' || c == '|'; });
        removed = removed || line.size() != before;
        line = trimmed(line);
        if (!removed)
            return line;
    }
}

// Step 4: tags out. `inTag` carries a tag that runs on into the next line; a ">" outside a
// tag is text.
std::string withoutTags(std::string_view line, bool &inTag)
{
    std::string out;
    for (char c : line) {
        if (inTag) {
            if (c == '>')
                inTag = false;
        } else if (c == '<') {
            inTag = true;
        } else {
            out += c;
        }
    }
    return out;
}

struct NamedEntity {
    std::string_view name;
    char32_t ch;
};
constexpr NamedEntity NamedEntities[] = {
    {"amp", '&'},       {"lt", '<'},         {"gt", '>'},         {"quot", '"'},       {"apos", '\''},
    {"nbsp", 0xA0},     {"lsquo", 0x2018},   {"rsquo", 0x2019},   {"sbquo", 0x201A},   {"ldquo", 0x201C},
    {"rdquo", 0x201D},  {"bdquo", 0x201E},   {"laquo", 0xAB},     {"raquo", 0xBB},     {"ndash", 0x2013},
    {"mdash", 0x2014},  {"hellip", 0x2026},  {"euro", 0x20AC},    {"deg", 0xB0},       {"middot", 0xB7},
    {"agrave", 0xE0},   {"aacute", 0xE1},    {"acirc", 0xE2},     {"atilde", 0xE3},    {"auml", 0xE4},
    {"ccedil", 0xE7},   {"egrave", 0xE8},    {"eacute", 0xE9},    {"ecirc", 0xEA},     {"euml", 0xEB},
    {"iacute", 0xED},   {"icirc", 0xEE},     {"iuml", 0xEF},      {"ntilde", 0xF1},    {"oacute", 0xF3},
    {"ocirc", 0xF4},    {"otilde", 0xF5},    {"ouml", 0xF6},      {"uacute", 0xFA},    {"ugrave", 0xF9},
    {"ucirc", 0xFB},    {"uuml", 0xFC},      {"szlig", 0xDF},     {"Eacute", 0xC9},    {"Agrave", 0xC0},
    {"Ccedil", 0xC7},   {"Auml", 0xC4},      {"Ouml", 0xD6},      {"Uuml", 0xDC},      {"Ntilde", 0xD1},
};

std::string lowerAscii(std::string_view text)
{
    std::string out(text);
    for (char &c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::optional<char32_t> entityValue(std::string_view name)
{
    if (name.size() >= 2 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        const std::string_view digits = name.substr(hex ? 2 : 1);
        if (digits.empty() || digits.size() > 8)
            return std::nullopt;
        char32_t value = 0;
        for (char c : digits) {
            int digit = -1;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (hex && c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else if (hex && c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            if (digit < 0)
                return std::nullopt;
            value = value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
        }
        if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return std::nullopt;
        return value;
    }
    for (const NamedEntity &entity : NamedEntities)
        if (entity.name == name)
            return entity.ch;
    // The markup ones are taken in any letter case ("&QUOT;").
    const std::string lower = lowerAscii(name);
    for (std::string_view plain : {"amp", "lt", "gt", "quot", "apos", "nbsp"})
        if (lower == plain)
            return entityValue(plain);
    return std::nullopt;
}

} // namespace

std::vector<std::string> SplitLines(std::string_view bytes)
{
    std::vector<std::string> lines;
    std::string line;
    bool open = false; // a line has started and not yet ended
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == CR || c == LF) {
            lines.push_back(std::move(line));
            line.clear();
            open = false;
            if (c == CR && i + 1 < bytes.size() && bytes[i + 1] == LF)
                ++i;
            continue;
        }
        open = true;
        if (c != '\0')
            line += c;
    }
    if (open)
        lines.push_back(std::move(line));
    return lines;
}

std::string JoinLines(const std::vector<std::string> &lines)
{
    std::size_t size = 0;
    for (const std::string &line : lines)
        size += line.size() + 2;
    std::string text;
    text.reserve(size);
    for (const std::string &line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

LoadedText LoadTextFile(const std::string &path)
{
    LoadedText result;
    userfile::ReadResult file = userfile::ReadUserFile(path, MaxTextBytes);
    if (file.status == userfile::ReadStatus::TooLarge)
        result.status = LoadStatus::TooLong;
    if (file.status != userfile::ReadStatus::Read)
        return result;
    result.lines = SplitLines(file.bytes);
    file.bytes = std::string(); // the lines are a second copy of a text of up to 16 MiB
    if (result.lines.size() > MaxTextLines) {
        result.lines.clear();
        result.status = LoadStatus::TooLong;
        return result;
    }
    result.status = LoadStatus::Ok;
    return result;
}

std::optional<std::string> Utf8ToAnsi(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    bool multiByte = false;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto decoded = decodeUtf8(bytes, i);
        if (!decoded)
            return std::nullopt;
        multiByte = multiByte || decoded->length > 1;
        if (const auto byte = practiceByte(decoded->ch))
            out += static_cast<char>(*byte);
        i += decoded->length;
    }
    if (!multiByte)
        return std::nullopt;
    return out;
}

std::string Utf8ToAnsiLenient(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto decoded = decodeUtf8(bytes, i);
        if (!decoded) {
            out += bytes[i];
            ++i;
            continue;
        }
        if (const auto byte = practiceByte(decoded->ch))
            out += static_cast<char>(*byte);
        i += decoded->length;
    }
    return out;
}

std::size_t QueueIndexOfCaret(const std::vector<std::string> &lines, std::size_t caret)
{
    std::size_t index = 0;
    for (const std::string &line : lines) {
        if (caret <= line.size())
            return index + caret;
        caret -= line.size() + 1;
        index += line.size() + 2;
    }
    return index;
}

// ---- Showing a text -------------------------------------------------------------------------

ShownRows::ShownRows(const std::vector<std::string> &lines)
{
    std::size_t lineStart = 0; // the caret at the line's first character
    for (const std::string &line : lines) {
        std::size_t rowStart = 0;
        while (line.size() - rowStart > MaxShownRow) {
            // Only this row is searched: a line without blanks is scanned once.
            const std::size_t lastBlank = std::string_view(line).substr(rowStart, MaxShownRow).rfind(' ');
            const std::size_t cut = lastBlank != std::string_view::npos && lastBlank > 0 ? rowStart + lastBlank + 1
                                                                                        : rowStart + MaxShownRow;
            cuts_.push_back(lineStart + cut);
            rowStart = cut;
        }
        lineStart += line.size() + 1;
    }
}

std::size_t ShownRows::BoxPositionOf(std::size_t caret) const
{
    return caret + static_cast<std::size_t>(std::upper_bound(cuts_.begin(), cuts_.end(), caret) - cuts_.begin());
}

std::size_t ShownRows::CaretOf(std::size_t boxPosition) const
{
    // The k-th cut (from 0) shows its break at box position cut + k: count those before.
    std::size_t low = 0, high = cuts_.size();
    while (low < high) {
        const std::size_t mid = (low + high) / 2;
        if (cuts_[mid] + mid < boxPosition)
            low = mid + 1;
        else
            high = mid;
    }
    return boxPosition - low;
}

// ---- News -----------------------------------------------------------------------------------

std::optional<std::string_view> NewsPagePath(std::string_view fileName)
{
    static constexpr std::pair<std::string_view, std::string_view> Pages[] = {
        {"AFP_News_EN.txt", "/en/inside-afp"},        {"AFP_News_ES.txt", "/es/actualidad-afp"},
        {"AFP_News_FR.txt", "/fr/au-fil-de-lafp"},     {"AFP_News_PT.txt", "/pt-pt/novidades-da-afp"},
        {"AFP_News_DE.txt", "/de/neu-bei-afp"},
    };
    for (const auto &[name, page] : Pages)
        if (name == fileName)
            return page;
    return std::nullopt;
}

bool LooksLikePage(std::string_view body)
{
    return body.substr(0, 3).find('<') != std::string_view::npos;
}

std::string DecodeEntities(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            const std::size_t end = text.find(';', i + 1);
            if (end != std::string_view::npos && end - i <= 10) {
                if (const auto ch = entityValue(text.substr(i + 1, end - i - 1))) {
                    appendUtf8(out, *ch == 0xA0 ? U' ' : *ch);
                    i = end;
                    continue;
                }
            }
        }
        out += text[i];
    }
    return out;
}

NewsSentences ParseNewsPage(std::string_view page)
{
    NewsSentences result;
    const std::vector<std::string> lines = SplitLines(page);
    if (lines.empty())
        return result;

    bool anyItem = false;
    bool inItem = false;
    bool inTag = false;
    for (const std::string &raw : lines) {
        if (!inItem) {
            if (raw.find("<li>") == std::string::npos)
                continue;
            inItem = true;
            anyItem = true;
            inTag = false; // a new item starts outside any tag
        }
        const bool closes = raw.find("</li>") != std::string::npos;
        const std::string cleaned = cleanItemLine(raw);
        if (closes)
            inItem = false;
        if (cleaned.empty())
            continue;
        std::string text = withoutTags(cleaned, inTag);
        text = trimmed(Utf8ToAnsiLenient(DecodeEntities(text)));
        if (!text.empty())
            result.sentences.push_back(" " + text + ".");
    }
    result.code = anyItem ? NewsOk : NewsNoItems;
    return result;
}

} // namespace filetext
