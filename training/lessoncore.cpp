#include "training/lessoncore.h"

#include "engine/cp1252.h"

#include <algorithm>

namespace lessons {

namespace {

// Lessons 1..20, then 51..60.
constexpr std::string_view DefaultFirstPage[] = {
    "endx0",
    "tawp1",
    "endx0tawp1",
    "mgzq2",
    "iuvh3",
    "mgzq2iuvh3",
    "endx0tawp1mgzq2iuvh3",
    "okyc4",
    "rlf56",
    "okyc4rlf56",
    "sbj78",
    "+=?/9",
    "sbj78+=?/9",
    "okyc4rlf56sbj78+=?/9",
    "endx0tawp1mgzq2iuvh3",
    "abcdefghijklmnopqrstuvwxyz",
    "0123456789",
    "abcdefghijklmnopqrstuvwxyz0123456789",
    "+=?/'-,.",
    "abcdefghijklmnopqrstuvwxyz0123456789+=?/'-,.",
};
constexpr std::string_view DefaultLastPage[] = {
    "aten",
    "atenois14",
    "atenois14lrhd25",
    "atenois14lrhd25uc",
    "atenois14lrhd25ucmw36?",
    "atenois14lrhd25ucmw36?fy,",
    "atenois14lrhd25ucmw36?fy,pgq79/",
    "atenois14lrhd25ucmw36?fy,pgq79/bv",
    "atenois14lrhd25ucmw36?fy,pgq79/bvkj80",
    "atenois14lrhd25ucmw36?fy,pgq79/bvkj80xqz.",
};

constexpr int FirstOfLastPage = 51;

std::string withoutBlanks(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c != ' ')
            out += c;
    }
    return out;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A whole number of decimal digits (no sign, no blank); false for anything else.
bool parseNumber(std::string_view text, int &value)
{
    if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), isDigit))
        return false;
    value = 0;
    for (char c : text)
        value = value * 10 + (c - '0');
    return true;
}

std::string_view trimBelow33(std::string_view line)
{
    while (!line.empty() && static_cast<unsigned char>(line.front()) < 33)
        line.remove_prefix(1);
    while (!line.empty() && static_cast<unsigned char>(line.back()) < 33)
        line.remove_suffix(1);
    return line;
}

} // namespace

bool IsEmptyLesson(std::string_view lesson)
{
    return lesson.empty() || lesson == EmptyLesson;
}

LessonTable DefaultLocalLessons()
{
    LessonTable table;
    table.fill(std::string(EmptyLesson));
    for (std::size_t i = 0; i < std::size(DefaultFirstPage); ++i)
        table[i] = DefaultFirstPage[i];
    for (std::size_t i = 0; i < std::size(DefaultLastPage); ++i)
        table[FirstOfLastPage - 1 + i] = DefaultLastPage[i];
    return table;
}

KochSet BuildKochLessons(std::string_view order)
{
    KochSet set;
    set.lessons.fill(std::string(EmptyLesson));
    set.order = cp1252::toLower(withoutBlanks(order));
    const int length = static_cast<int>(set.order.size());
    if (length == 0)
        return set;
    const int count = std::min(length == 1 ? 1 : length - 1, LessonCount);
    for (int i = 1; i <= count; ++i)
        set.lessons[static_cast<std::size_t>(i - 1)] = set.order.substr(0, static_cast<std::size_t>(std::min(i + 1, length)));
    return set;
}

int PageOf(int lesson)
{
    return (lesson - 1) / LessonsPerPage + 1;
}

int ItemOf(int lesson)
{
    return (lesson - 1) % LessonsPerPage;
}

int LessonAt(int page, int item)
{
    return (page - 1) * LessonsPerPage + item + 1;
}

std::string PageName(int page)
{
    page = ClampPage(page);
    std::string name;
    for (int item = 0; item < LessonsPerPage; ++item) {
        const int n = LessonAt(page, item);
        if (item > 0)
            name += ' ';
        name += '#';
        name += static_cast<char>('0' + n / 10);
        name += static_cast<char>('0' + n % 10);
    }
    return name;
}

std::array<std::string, LessonsPerPage> PageLessons(const LessonTable &table, int page)
{
    page = ClampPage(page);
    std::array<std::string, LessonsPerPage> items;
    for (int item = 0; item < LessonsPerPage; ++item)
        items[static_cast<std::size_t>(item)] = table[static_cast<std::size_t>(LessonAt(page, item) - 1)];
    return items;
}

PageButtons PageButtonsOf(int page)
{
    page = ClampPage(page);
    return {page > 1, page < PageCount};
}

int ClampPage(int page)
{
    return page >= 1 && page <= PageCount ? page : 1;
}

BoxMove KeyMove(int page, int item, BoxStep step, bool alt)
{
    BoxMove move{false, false, page, item};
    const bool up = step == BoxStep::Up;
    if (!alt && item != (up ? 0 : LessonsPerPage - 1))
        return move;
    move.handled = true;
    if (up ? page <= 1 : page >= PageCount) {
        move.beep = true;
        return move;
    }
    move.page = up ? page - 1 : page + 1;
    move.item = up && !alt ? LessonsPerPage - 1 : 0;
    return move;
}

BoxMove WheelMove(int page, int item, BoxStep step)
{
    BoxMove move{true, false, page, item};
    if (step == BoxStep::Up) {
        if (item > 0) {
            move.item = item - 1;
        } else if (page > 1) {
            move.page = page - 1;
            move.item = LessonsPerPage - 1;
        }
    } else {
        if (item < 0 || item < LessonsPerPage - 1) {
            move.item = item + 1;
        } else if (page < PageCount) {
            move.page = page + 1;
            move.item = 0;
        }
    }
    return move;
}

NumberEntry ParseLessonNumber(std::string_view text, int &lesson)
{
    lesson = 0;
    if (text.empty())
        return NumberEntry::Empty;
    int n = 0;
    if (!parseNumber(text, n))
        return NumberEntry::NotNumber;
    if (n < 1 || n > LessonCount)
        return NumberEntry::OutOfRange;
    lesson = n;
    return NumberEntry::Valid;
}

std::string CleanLessonText(std::string_view text)
{
    std::string lesson = cp1252::toLower(withoutBlanks(text));
    if (lesson.size() > static_cast<std::size_t>(MaxLessonLength))
        lesson.resize(static_cast<std::size_t>(MaxLessonLength));
    return lesson;
}

ImportResult ParseLessonFile(std::string_view bytes, bool cut)
{
    constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
    if (bytes.substr(0, ByteOrderMark.size()) == ByteOrderMark)
        bytes.remove_prefix(ByteOrderMark.size());
    std::string_view partial;
    if (cut) {
        const std::size_t lastEnd = bytes.find_last_of("\r\n");
        const std::size_t from = lastEnd == std::string_view::npos ? 0 : lastEnd + 1;
        partial = bytes.substr(from);
        bytes = bytes.substr(0, from);
    }
    ImportResult result;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = bytes.size();
        const std::string_view rawLine = bytes.substr(start, end - start);
        // CR LF ends one line, not two.
        start = end + (end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n' ? 2 : 1);

        const std::string_view trimmed = trimBelow33(rawLine);
        if (trimmed.empty())
            continue;
        std::string line = withoutBlanks(trimmed);
        if (line.starts_with("//"))
            continue;
        if (line.size() > static_cast<std::size_t>(MaxLessonLength)) {
            result.stop = ImportStop::TooLong;
            return result;
        }
        if (result.lessons.size() == static_cast<std::size_t>(LessonCount)) {
            result.stop = ImportStop::TooMany;
            return result;
        }
        result.lessons.push_back(std::move(line));
    }
    if (cut) {
        // The whole line holds at least what its first part does.
        const std::string line = withoutBlanks(trimBelow33(partial));
        const bool tooLong = !line.starts_with("//") && line.size() > static_cast<std::size_t>(MaxLessonLength);
        result.stop = tooLong ? ImportStop::TooLong : ImportStop::TooMany;
    }
    return result;
}

Placement CheckPlacement(const std::vector<std::string> &imported, std::string_view startText, int &start)
{
    start = 0;
    if (imported.empty() || imported.front().empty())
        return Placement::NothingImported;
    const int count = static_cast<int>(imported.size());
    if (count > LessonCount)
        return Placement::TooMany;
    int n = 0;
    if (!parseNumber(startText, n) || n < 1 || n > LessonCount + 1 - count)
        return Placement::BadStart;
    start = n;
    return Placement::Ok;
}

void PlaceLessons(LessonTable &table, const std::vector<std::string> &imported, int start)
{
    for (std::size_t k = 0; k < imported.size(); ++k) {
        const int n = start + static_cast<int>(k);
        if (n >= 1 && n <= LessonCount)
            table[static_cast<std::size_t>(n - 1)] = imported[k].empty() ? std::string(EmptyLesson) : imported[k];
    }
}

} // namespace lessons
