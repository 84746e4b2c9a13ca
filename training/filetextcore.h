#pragma once

// The practice text of the file mode without any widget: reading a text file, the UTF-8 to
// Windows-1252 conversion of the U>A button, the positions of the text box and of the queue,
// and the news page turned into sentences.
//
// Texts are Windows-1252 bytes. The engine gets the lines joined with CR LF (one after every
// line); the text box shows one character per line break. Both position spaces meet in
// QueueIndexOfCaret.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace filetext {

// A text may have this many lines; one more is refused.
inline constexpr std::size_t MaxTextLines = 10000;
// A file larger than this is refused as too long, whatever its lines (a binary file may
// have none).
inline constexpr std::size_t MaxTextBytes = 16u * 1024u * 1024u;

// Lines of raw bytes: CR LF, LF and a lone CR end a line; a final line end adds no empty
// line; NUL bytes are dropped.
std::vector<std::string> SplitLines(std::string_view bytes);
// The lines as the engine sends them: each followed by CR LF.
std::string JoinLines(const std::vector<std::string> &lines);

enum class LoadStatus { Ok, CannotOpen, TooLong };
struct LoadedText {
    LoadStatus status = LoadStatus::CannotOpen;
    std::vector<std::string> lines;
};
// Reads a practice text file once, as raw bytes. A folder, a missing or unreadable file is
// CannotOpen; more than MaxTextLines lines or more than MaxTextBytes bytes is TooLong.
LoadedText LoadTextFile(const std::string &path);

// U>A: the text read as UTF-8 and written in Windows-1252. Only a valid UTF-8 text with at
// least one multi-byte character is converted (a text already in Windows-1252, or converted
// before, is left alone: nothing). A leading byte-order mark goes; typographic quotes become
// the plain ones, which have a Morse code; a character with no Windows-1252 form is dropped.
std::optional<std::string> Utf8ToAnsi(std::string_view bytes);

// The same for a text of unknown encoding (web pages): valid UTF-8 sequences are converted,
// every other byte is taken as a Windows-1252 byte. Never fails.
std::string Utf8ToAnsiLenient(std::string_view bytes);

// The index in JoinLines(lines) of the character at a caret position of the text box, which
// counts one position per line break. A caret past the end gives the joined text's size.
std::size_t QueueIndexOfCaret(const std::vector<std::string> &lines, std::size_t caret);

// ---- Showing a text -------------------------------------------------------------------------

// A line longer than this is shown cut into rows of at most this many characters, after its
// last blank within the row (anywhere when there is none). The text box lays out a line as a
// whole, in a time that grows with the square of its length where it has no blank; the text
// itself, and what is sent, keep the line whole.
inline constexpr std::size_t MaxShownRow = 4096;

// Where the text box shows a line break that the text does not have, and the positions on
// both sides of it. A caret counts one position per line break of the text; a box position
// one per line break shown.
class ShownRows {
public:
    ShownRows() = default;
    explicit ShownRows(const std::vector<std::string> &lines);

    // The carets before which the box shows a break of its own, in ascending order.
    const std::vector<std::size_t> &Cuts() const { return cuts_; }
    bool Any() const { return !cuts_.empty(); }
    // The box position of a caret; a caret at a cut is put at the start of the next row,
    // before the character that follows it.
    std::size_t BoxPositionOf(std::size_t caret) const;
    // The caret of a box position: the end of a row and the start of the next are one caret.
    std::size_t CaretOf(std::size_t boxPosition) const;

private:
    std::vector<std::size_t> cuts_;
};

// ---- News ---------------------------------------------------------------------------------

// The page on the agency's site for one of the five news file names ("AFP_News_EN.txt", ...),
// or nothing for any other name.
std::optional<std::string_view> NewsPagePath(std::string_view fileName);

// A downloaded answer is taken as a page only when one of its first three bytes is "<".
bool LooksLikePage(std::string_view body);

// Named (amp, lt, gt, quot, apos, nbsp and a few typographic ones) and numeric entities
// decoded into UTF-8; &nbsp; becomes a blank. An unknown or malformed entity stays as it is.
std::string DecodeEntities(std::string_view text);

// The failure codes of ParseNewsPage.
enum NewsParseCode { NewsOk = 0, NewsEmpty = 5, NewsNoItems = 6 };
struct NewsSentences {
    int code = NewsEmpty;
    std::vector<std::string> sentences; // Windows-1252, each " " + text + "."
};
// The list items of a page become sentences: every line from one holding "<li>" through the
// one holding "</li>", cleaned of the item markers, tabs and "|", of tags (also those that
// run over several lines), with entities decoded.
NewsSentences ParseNewsPage(std::string_view page);

} // namespace filetext
