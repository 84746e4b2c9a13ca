// The file mode's text without widgets: reading files, U>A, positions, news pages, and the
// masked-text markers.

#include "training/filetextcore.h"
#include "training/maskedcore.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace filetext;

namespace {

using Lines = std::vector<std::string>;

std::string writeFile(const QTemporaryDir &dir, const char *name, const std::string &bytes)
{
    const std::string path = dir.filePath(QString::fromLatin1(name)).toStdString();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string manyLines(std::size_t count, const char *end)
{
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += "line " + std::to_string(i) + end;
    return text;
}

} // namespace

TEST(FileTextReader, EveryLineEndFormEndsALineAndAFinalOneAddsNone)
{
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n"), (Lines{"a"}));
    EXPECT_EQ(SplitLines("a\n\nb\n"), (Lines{"a", "", "b"}));
    // CR then LF is one line end, LF then CR two.
    EXPECT_EQ(SplitLines("a\n\rb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitLines("x\0y"), (Lines{"x"}));
    EXPECT_EQ(SplitLines(std::string_view("x\0y", 3)), (Lines{"xy"}));
    EXPECT_TRUE(SplitLines("").empty());
    EXPECT_EQ(JoinLines({"ab", "", "c"}), "ab\r\n\r\nc\r\n");
}

TEST(FileTextReader, TenThousandLinesAreAcceptedInEveryFormAndOneMoreIsRefused)
{
    QTemporaryDir dir;
    for (const char *end : {"\n", "\r\n", "\r"}) {
        const LoadedText full = LoadTextFile(writeFile(dir, "full.txt", manyLines(10000, end)));
        EXPECT_EQ(full.status, LoadStatus::Ok) << "line end " << int(end[0]);
        EXPECT_EQ(full.lines.size(), 10000u);
        EXPECT_EQ(full.lines.back(), "line 9999");
        // Without a final line end too.
        std::string unterminated = manyLines(10000, end);
        unterminated.resize(unterminated.size() - std::strlen(end));
        EXPECT_EQ(LoadTextFile(writeFile(dir, "open.txt", unterminated)).lines.size(), 10000u);

        const LoadedText over = LoadTextFile(writeFile(dir, "over.txt", manyLines(10001, end)));
        EXPECT_EQ(over.status, LoadStatus::TooLong);
        EXPECT_TRUE(over.lines.empty());
    }
    // A final empty line counts like any other.
    EXPECT_EQ(LoadTextFile(writeFile(dir, "blank.txt", manyLines(10000, "\n") + "\n")).status, LoadStatus::TooLong);
}

TEST(FileTextReader, BytesAreKeptAsTheyAreAndWhatCannotBeReadSaysSo)
{
    QTemporaryDir dir;
    const LoadedText ansi = LoadTextFile(writeFile(dir, "ansi.txt", "caf\xE9 \x93ok\x94\r\n\x80"));
    ASSERT_EQ(ansi.status, LoadStatus::Ok);
    EXPECT_EQ(ansi.lines, (Lines{"caf\xE9 \x93ok\x94", "\x80"}));

    const LoadedText empty = LoadTextFile(writeFile(dir, "empty.txt", ""));
    EXPECT_EQ(empty.status, LoadStatus::Ok);
    EXPECT_TRUE(empty.lines.empty());

    EXPECT_EQ(LoadTextFile(dir.path().toStdString()).status, LoadStatus::CannotOpen);
    EXPECT_EQ(LoadTextFile(dir.filePath("missing.txt").toStdString()).status, LoadStatus::CannotOpen);
    const std::string locked = writeFile(dir, "locked.txt", "secret");
    ::chmod(locked.c_str(), 0);
    if (::access(locked.c_str(), R_OK) != 0) { // root reads anything
        EXPECT_EQ(LoadTextFile(locked).status, LoadStatus::CannotOpen);
    }
    const std::string fifo = dir.filePath("pipe").toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(LoadTextFile(fifo).status, LoadStatus::CannotOpen); // and does not wait for a writer

    // One huge line is refused like too many lines.
    EXPECT_EQ(LoadTextFile(writeFile(dir, "huge.bin", std::string(MaxTextBytes + 1, 'x'))).status,
              LoadStatus::TooLong);
}

TEST(FileTextConversion, Utf8BecomesWindows1252AndASecondPassChangesNothing)
{
    const auto once = Utf8ToAnsi("\xEF\xBB\xBF" "Caf\xC3\xA9 \xE2\x80\x93 d\xC3\xA9j\xC3\xA0 vu \xE2\x82\xAC");
    ASSERT_TRUE(once);
    EXPECT_EQ(*once, "Caf\xE9 \x96 d\xE9j\xE0 vu \x80"); // BOM gone, dash and euro kept
    EXPECT_FALSE(Utf8ToAnsi(*once));                   // already Windows-1252: not valid UTF-8
    EXPECT_FALSE(Utf8ToAnsi("plain ascii"));           // nothing to convert

    // Curly quotes become the plain ones, which have a code; a character Windows-1252 lacks
    // is dropped, never a "?".
    EXPECT_EQ(Utf8ToAnsi("aujourd\xE2\x80\x99hui \xE2\x80\x9Cok\xE2\x80\x9D \xE4\xB8\xAD!"), "aujourd'hui \"ok\" !");
    // Overlong forms and surrogates are no UTF-8.
    EXPECT_FALSE(Utf8ToAnsi("\xC0\xAF\xC3\xA9"));
    EXPECT_FALSE(Utf8ToAnsi("\xED\xA0\x80\xC3\xA9"));
    // Web pages of unknown encoding: what is not UTF-8 is taken byte for byte.
    EXPECT_EQ(Utf8ToAnsiLenient("\xE9t\xC3\xA9"), "\xE9t\xE9");
}

TEST(FileTextPositions, ACaretOfTheBoxFindsItsCharacterInTheQueueOnEveryLine)
{
    const Lines lines{"abc", "de", "", "fgh"};
    const std::string joined = JoinLines(lines);
    // Box: "abc¶de¶¶fgh": one position per line break, the queue two.
    const std::pair<std::size_t, char> cases[] = {{0, 'a'}, {2, 'c'}, {3, '\r'}, {4, 'd'}, {7, '\r'}, {8, 'f'}, {10, 'h'}};
    for (const auto &[caret, expected] : cases)
        EXPECT_EQ(joined.at(QueueIndexOfCaret(lines, caret)), expected) << "caret " << caret;
    EXPECT_EQ(QueueIndexOfCaret(lines, 11), joined.size() - 2);
    EXPECT_EQ(QueueIndexOfCaret(lines, 500), joined.size());
}

TEST(NewsPage, ThePartsItemBecomesOneSentence)
{
    const auto parsed = ParseNewsPage("<html>\n<li><b>Big</b> news &quot;today&quot;</li>\n</html>\n");
    EXPECT_EQ(parsed.code, NewsOk);
    EXPECT_EQ(parsed.sentences, (Lines{" Big news \"today\"."}));
}

TEST(NewsPage, ItemsOverSeveralLinesWithEntitiesAndSplitTags)
{
    const std::string page = "<ul>\n"
                             "  <li>\t<a href=\"/x\"\n"
                             "     class=\"teaser\">L&#039;AFP &amp; l&rsquo;Europe | caf&eacute;</a>\n"
                             "  </li>\n"
                             "<p>not an item</p>\n"
                             "<li>AT&T &QUOT;x&quot; 3 &gt; 2 &#x4E2D;&nbsp;end <broken\n"
                             "still tag> tail</li>\n"
                             "<li><img src=x></li>\n"
                             "<li>Caf\xC3\xA9 \xE2\x80\x93 ok &unknown; &#0;</li>\n";
    const auto parsed = ParseNewsPage(page);
    ASSERT_EQ(parsed.code, NewsOk);
    EXPECT_EQ(parsed.sentences, (Lines{" L'AFP & l'Europe  caf\xE9.", " AT&T \"x\" 3 > 2  end.", " tail.",
                                       " Caf\xE9 \x96 ok &unknown; &#0;."}));
}

TEST(NewsPage, PagesWithoutItemsOrWithoutBytesFail)
{
    EXPECT_EQ(ParseNewsPage("").code, NewsEmpty);
    EXPECT_EQ(ParseNewsPage("<html><p>no list</p></html>").code, NewsNoItems);
    // A tag left open at the end of an item does not swallow the next item.
    EXPECT_EQ(ParseNewsPage("<li>a <b</li>\n<li>b</li>").sentences, (Lines{" a.", " b."}));
    EXPECT_TRUE(LooksLikePage("  <html"));
    EXPECT_FALSE(LooksLikePage("Hello <html>"));
    EXPECT_FALSE(LooksLikePage(""));
    EXPECT_EQ(NewsPagePath("AFP_News_PT.txt"), "/pt-pt/novidades-da-afp");
    EXPECT_FALSE(NewsPagePath("afp_news_pt.txt"));
    EXPECT_FALSE(NewsPagePath("AFP_News.txt"));
}

TEST(MaskedMarkers, TheSettingHoldsTwoBytesWith255ForNone)
{
    const masked::Markers brackets = masked::ParseSetting("[]");
    EXPECT_EQ(brackets.start, '[');
    EXPECT_EQ(brackets.end, ']');
    const masked::Markers endOnly = masked::ParseSetting("\xFF]");
    EXPECT_EQ(endOnly.start, 0);
    EXPECT_EQ(endOnly.end, ']');
    const masked::Markers shortValue = masked::ParseSetting("(");
    EXPECT_EQ(shortValue.start, '(');
    EXPECT_EQ(shortValue.end, 0);
    EXPECT_EQ(masked::ParseSetting("").start, 0);
    EXPECT_EQ(masked::FormatSetting({}), "\xFF\xFF");
    EXPECT_EQ(masked::FormatSetting({'(', 0}), "(\xFF");

    using V = masked::EditsVerdict;
    EXPECT_EQ(masked::CheckEdits(std::nullopt, std::nullopt), V::Clear);
    EXPECT_EQ(masked::CheckEdits('x', 'x'), V::Same);
    EXPECT_EQ(masked::CheckEdits(std::nullopt, ']'), V::Store);
    EXPECT_EQ(masked::CheckEdits(0xFF, ']'), V::Refused); // it would read back as none
}
