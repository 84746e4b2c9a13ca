#include "engine/cp1252.h"

#include <QList>

#include <array>

namespace cp1252 {

namespace {

// 0x80..0x9F: the only range where Windows-1252 differs from Latin-1.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
};

} // namespace

char32_t toUnicode(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return kHighControls[byte - 0x80];
    return byte;
}

std::optional<unsigned char> fromUnicode(char32_t ch)
{
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return static_cast<unsigned char>(ch);
    for (unsigned i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == ch)
            return static_cast<unsigned char>(0x80 + i);
    }
    return std::nullopt;
}

QString toQString(const std::string &text)
{
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (char c : text)
        result.append(QChar(static_cast<char16_t>(toUnicode(static_cast<unsigned char>(c)))));
    return result;
}

std::string fromQString(const QString &text)
{
    std::string result;
    result.reserve(static_cast<size_t>(text.size()));
    for (char32_t ch : text.toUcs4()) {
        if (auto byte = fromUnicode(ch))
            result.push_back(static_cast<char>(*byte));
    }
    return result;
}

unsigned char toUpper(unsigned char b)
{
    if (b >= 'a' && b <= 'z')
        return b - 0x20;
    if (b >= 0xE0 && b <= 0xFE && b != 0xF7)
        return b - 0x20;
    switch (b) {
    case 0x9A: return 0x8A; // š
    case 0x9C: return 0x8C; // œ
    case 0x9E: return 0x8E; // ž
    case 0xFF: return 0x9F; // ÿ
    default: return b;
    }
}

unsigned char toLower(unsigned char b)
{
    if (b >= 'A' && b <= 'Z')
        return b + 0x20;
    if (b >= 0xC0 && b <= 0xDE && b != 0xD7)
        return b + 0x20;
    switch (b) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return b;
    }
}

std::string toUpper(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(toUpper(static_cast<unsigned char>(c)));
    return text;
}

std::string toLower(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(toLower(static_cast<unsigned char>(c)));
    return text;
}

unsigned char otherCase(unsigned char byte)
{
    unsigned char up = toUpper(byte);
    return up != byte ? up : toLower(byte);
}

} // namespace cp1252
