#pragma once

// Lessons as plain data. A lesson is a string of characters that becomes the character window
// of random groups and the quiz. Two sets of 60 lessons exist, listed 20 to a page on three
// pages: the Koch set, built from one string that lists the characters in the order of
// learning (lesson i holds its first i + 1 characters), and the user's local set, edited one
// lesson at a time, reset to a default table or imported from a text file. Texts are
// Windows-1252 bytes.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lessons {

constexpr int LessonCount = 60;
constexpr int LessonsPerPage = 20;
constexpr int PageCount = 3;
constexpr int MaxLessonLength = 55;
constexpr int MaxKochOrder = 60;

inline constexpr std::string_view KochOrderDefault = "kmrsuaptlowi.njef0y,vg5/q9zh38b?427c1d6x=+>";

// A lesson holding one blank is empty.
inline constexpr std::string_view EmptyLesson = " ";
bool IsEmptyLesson(std::string_view lesson);

// Lesson n (1..60) at index n - 1.
using LessonTable = std::array<std::string, LessonCount>;

// The local set at start and after a reset: lessons 1..20 and 51..60 from the built-in table,
// the others empty.
LessonTable DefaultLocalLessons();

// The Koch set of an order: the order in lower case without blanks; lesson i (1..60) holds its
// first i + 1 characters (a one-character order gives the one lesson of that character), the
// rest are empty. An order that is empty without its blanks gives no lesson.
struct KochSet {
    std::string order; // as used: lower case, blanks removed
    LessonTable lessons;
};
KochSet BuildKochLessons(std::string_view order);

// Pages: lesson n is on page (n - 1) / 20 + 1, at item (n - 1) % 20 of the box.
int PageOf(int lesson);
int ItemOf(int lesson);
int LessonAt(int page, int item);
// "#01 #02 ... #20" for page 1, "#21 ... #40", "#41 ... #60".
std::string PageName(int page);
// The 20 lessons a page lists.
std::array<std::string, LessonsPerPage> PageLessons(const LessonTable &table, int page);

// Whether the page buttons are enabled: no previous page on page 1, no next page on page 3.
struct PageButtons {
    bool previous = false;
    bool next = true;
};
PageButtons PageButtonsOf(int page);

// A page held to 1..3 (a bad page, from a file, is page 1).
int ClampPage(int page);

// What an Up or Down key, or a turn of the wheel, does to the lesson box.
enum class BoxStep { Up, Down };
struct BoxMove {
    bool handled = false; // the key or wheel is consumed here
    bool beep = false;    // no page beyond: a beep, nothing moves
    int page = 1;         // the page shown afterwards
    int item = 0;         // the item selected afterwards
};
// Keys: Up on the first item, or Up with Alt, goes to the previous page (its last item, or with
// Alt its first); Down on the last item, or with Alt, goes to the next page's first item. Other
// keys move within the page as the box does (not handled here).
BoxMove KeyMove(int page, int item, BoxStep step, bool alt);
// Wheel: always consumed; one item up or down, across to the neighbouring page at the page's
// ends, nothing beyond the first and last lesson.
BoxMove WheelMove(int page, int item, BoxStep step);

// The lesson editor's number edit.
enum class NumberEntry { Empty, NotNumber, OutOfRange, Valid };
NumberEntry ParseLessonNumber(std::string_view text, int &lesson);
// A lesson as the editor keeps it: blanks removed, lower case, at most 55 characters.
std::string CleanLessonText(std::string_view text);

// ---- Import ----

// Reading stops at a line longer than 55 characters or at a 61st lesson; the lessons read
// before stay.
enum class ImportStop { None, TooLong, TooMany };
struct ImportResult {
    std::vector<std::string> lessons;
    ImportStop stop = ImportStop::None;
};
// A lesson file: one lesson per line (LF, CR LF or CR). Each line is trimmed of characters
// below 33 at both ends and of every blank inside; empty lines and comments ("//") are skipped.
// A leading UTF-8 byte-order mark is dropped; each lesson keeps its own case. Any bytes are
// accepted.
//
// A file over the reader's limit comes as its first MaxImportBytes (`cut`): its last line,
// cut short, is a lesson too long when what is there already is, and is not read otherwise;
// when nothing before stopped the reading, it stops there as at a 61st lesson, since the file
// holds more than sixty lessons and their comments can.
ImportResult ParseLessonFile(std::string_view bytes, bool cut = false);
// Sixty lessons and their comments; what a bigger file holds beyond it is not read.
inline constexpr std::size_t MaxImportBytes = 1024 * 1024;

enum class Placement { Ok, NothingImported, TooMany, BadStart };
// Whether the imported lessons can be placed from the start number typed: there must be a
// first lesson, at most 60 of them, and 1 <= start <= 61 - their number. Sets `start`.
Placement CheckPlacement(const std::vector<std::string> &imported, std::string_view startText, int &start);
// Puts the imported lessons into the table from lesson `start` on (checked before).
void PlaceLessons(LessonTable &table, const std::vector<std::string> &imported, int start);

} // namespace lessons
