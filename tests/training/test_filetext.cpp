// The file mode as the user meets it: a file chosen in the dialog, played, stopped, continued
// and clicked into; news fetched through the downloader's seam; masked stretches; the
// characters the engine renders (fake sound output).

#include "tests/common/fakeaudiooutput.h"
#include "tests/common/testsupport.h"
#include "tests/shell/localhttpserver.h"
#include "tests/shell/shelltestsupport.h"

#include "engine/cp1252.h"
#include "engine/morsecode.h"
#include "shell/datafolders.h"
#include "shell/formdialog.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"
#include "shell/opendialogs.h"
#include "shell/settingskeys.h"
#include "shell/soundengine.h"
#include "shell/download.h"
#include "training/filetext.h"
#include "training/filetextcore.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

namespace {

const bool fakeSound = shelltest::useFakeSound();

using shelltest::fake;

EngineState &state()
{
    return SoundEngine().State;
}

using shelltest::control;

// Values of one character at 12 wpm with the character space of 2 gaps (see the typing tests).
std::size_t letterValues(char c)
{
    constexpr std::size_t Dot = 4166, Dash = 12500, Gap = 4166;
    std::size_t n = 2 * Gap;
    for (char sign : std::string(MorseCodes[static_cast<unsigned char>(c)]))
        n += (sign == '-' ? Dash : Dot) + Gap;
    return n;
}

// Letters whose buffers all differ in length, so that the written buffers tell which was sent.
constexpr char UniqueLengths[] = "etimsohadkb(";

class FileMode : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fakeSound);
        ASSERT_TRUE(folder.isValid());
        shelltest::ensureWindows();
        Form1->show();
        WarnAnsiShown = true; // the one-time warning is the message box's own test
        SoundEngine().State = EngineState{};
        SoundEngine().Timings.setSpeed(12);
        SoundEngine().Timings.setStartSilence(0);
        edit = control<QPlainTextEdit>("FileEdit");
        play = control<QPushButton>("ButtonPlayFile");
        resume = control<QPushButton>("ButtonContinueFile");
        ASSERT_TRUE(edit && play && resume);
        OpenFileDialogRunner() = [this](QFileDialog &) { return chosen; };
    }

    QString write(const char *name, const std::string &bytes)
    {
        const QString path = folder.filePath(QString::fromLatin1(name));
        std::ofstream(QFile::encodeName(path).toStdString(), std::ios::binary) << bytes;
        return path;
    }
    // The user picks the file in the dialog that the file mode's button opens.
    void open(const QString &path)
    {
        chosen = path;
        QTest::mouseClick(Form1->RadioButtonFile, Qt::LeftButton);
    }
    // The characters whose buffers were written, told apart by their lengths.
    std::string sent() const
    {
        std::string out;
        for (const auto &buffer : fake().written) {
            for (char c : std::string(UniqueLengths)) {
                if (buffer.values.size() == letterValues(c)) {
                    out += c;
                    break;
                }
            }
        }
        return out;
    }
    void clickAt(int position)
    {
        QTextCursor cursor = edit->textCursor();
        cursor.setPosition(position);
        const QPoint at = edit->cursorRect(cursor).center() + QPoint(1, 0);
        QTest::mouseClick(edit->viewport(), Qt::LeftButton, {}, at);
    }

    QTemporaryDir folder;
    std::optional<QString> chosen;
    QPlainTextEdit *edit = nullptr;
    QPushButton *play = nullptr;
    QPushButton *resume = nullptr;
};

TEST_F(FileMode, StopThenContinueGoesOnAtTheNextUnsentCharacterAndAClickChoosesAnyLine)
{
    open(write("three.txt", "tea\r\nmi\nsok"));
    EXPECT_TRUE(control<QWidget>("PanelFile")->isVisible());
    EXPECT_EQ(edit->toPlainText(), "tea\nmi\nsok");
    EXPECT_FALSE(Form1->RadioButtonFile->isChecked()); // the button opens, the mode stays
    ASSERT_TRUE(play->isVisible());

    QTest::mouseClick(play, Qt::LeftButton);
    EXPECT_TRUE(state().TextPlaying);
    EXPECT_EQ(state().PlayQueue, "tea\r\nmi\r\nsok\r\n");
    ASSERT_TRUE(fake().finishNext()); // "t" heard, "e" now sounds
    EXPECT_EQ(edit->textCursor().selectedText(), "te");

    QTest::mouseClick(Form1->ButtonStop, Qt::LeftButton);
    fake().finishAll();
    EXPECT_FALSE(state().TextPlaying);
    ASSERT_TRUE(resume->isVisible());
    EXPECT_FALSE(play->isVisible());
    EXPECT_TRUE(edit->isReadOnly());

    QTest::mouseClick(resume, Qt::LeftButton);
    EXPECT_EQ(state().PlayQueue.substr(0, 4), "a\r\nm");
    // The selection goes on from what was sent before the stop, over the line end too.
    fake().finishNext();
    fake().finishNext();
    EXPECT_EQ(edit->textCursor().selectedText(), QStringLiteral("tea\u2029mi"));
    QTest::mouseClick(Form1->ButtonStop, Qt::LeftButton);
    fake().finishAll();
    EXPECT_EQ(sent(), "teami");

    // A click at the start of the third line: Continue starts exactly there.
    clickAt(7);
    EXPECT_EQ(edit->textCursor().position(), 7);
    QTest::mouseClick(resume, Qt::LeftButton);
    EXPECT_EQ(state().PlayQueue, "sok\r\n");
    fake().finishAll();
    EXPECT_EQ(sent(), "teamisok");
    EXPECT_EQ(edit->textCursor().selectedText(), QString()); // the end clears the selection
    EXPECT_TRUE(play->isVisible());
}

TEST_F(FileMode, WithPositionByClickAClickInAFreshTextChoosesWhereItStarts)
{
    control<QAction>("MenuPosFile")->trigger();
    open(write("two.txt", "xyz\ndab"));
    EXPECT_TRUE(edit->isReadOnly());
    clickAt(5);
    EXPECT_TRUE(resume->isVisible());
    EXPECT_FALSE(play->isVisible());
    QTest::mouseClick(resume, Qt::LeftButton);
    fake().finishAll();
    EXPECT_EQ(sent(), "ab");
    // Continue's right button plays the whole text again.
    clickAt(5);
    QTest::mouseClick(resume, Qt::RightButton);
    EXPECT_EQ(state().PlayQueue, "xyz\r\ndab\r\n");
    fake().finishAll();
}

TEST_F(FileMode, ATooLongFileOrOneThatCannotBeOpenedLeavesTheTextShownBefore)
{
    open(write("short.txt", "tea"));
    std::string tooLong;
    for (int i = 0; i < 10001; ++i)
        tooLong += "e\n";
    EXPECT_EQ(shelltest::withMessage([&] { open(write("long.txt", tooLong)); }),
              "The Text file must have less than 10000 lines!");
    EXPECT_EQ(edit->toPlainText(), "tea");
    EXPECT_EQ(shelltest::withMessage([&] { open(folder.path()); }), "Ne peut ouvrir le fichier");
    EXPECT_EQ(edit->toPlainText(), "tea");
    EXPECT_FALSE(Form1->RadioButtonFile->isChecked());
    QTest::mouseClick(play, Qt::LeftButton);
    fake().finishAll();
    EXPECT_EQ(sent(), "tea");
}

TEST_F(FileMode, BackFromTheQuizTheWordListIsOfferedAgainAndTheExamOnlyInFrench)
{
    auto *words = Form1->findChild<QAction *>(QStringLiteral("MenuListWords"));
    auto *exam = Form1->findChild<QAction *>(QStringLiteral("menuExamen"));
    ASSERT_TRUE(words && exam);
    const QString path = write("text.txt", "tea");
    open(path);
    for (QAction *language : {Form1->English1, Form1->Francais1}) {
        language->trigger();
        QTest::mouseClick(Form1->RadioButtonQuiz, Qt::LeftButton);
        EXPECT_FALSE(words->isEnabled());
        EXPECT_FALSE(exam->isEnabled());
        open(path);
        EXPECT_TRUE(words->isEnabled());
        EXPECT_EQ(exam->isEnabled(), language == Form1->Francais1);
    }
    Form1->English1->trigger();
}

TEST_F(FileMode, ATextThatBeginsWithThePlaceholderWordIsATextLikeAnyOther)
{
    EXPECT_EQ(edit->toPlainText(), "MemoFile"); // what an empty box shows
    open(write("memo.txt", "MemoFile\nea"));
    QTest::mouseClick(play, Qt::LeftButton);
    EXPECT_EQ(state().PlayQueue, "MemoFile\r\nea\r\n");
    fake().finishAll();
    EXPECT_EQ(fake().written.size(), 10u);
}

TEST_F(FileMode, AnEmptyFileOpenedAfterAStoppedTextIsAnEmptyTextUnderItsOwnName)
{
    open(write("first.txt", "tea"));
    QTest::mouseClick(play, Qt::LeftButton);
    QTest::mouseClick(Form1->ButtonStop, Qt::LeftButton);
    fake().finishAll();
    ASSERT_TRUE(resume->isVisible());

    const QString empty = write("EMPTY.TXT", "");
    open(empty);
    EXPECT_EQ(edit->toPlainText(), QString());
    EXPECT_EQ(control<QLabel>("PanelPathFile")->text(), QDir::toNativeSeparators(empty));
    EXPECT_TRUE(play->isVisible());
    EXPECT_TRUE(play->isEnabled());
    EXPECT_FALSE(resume->isVisible());
    // Play has nothing to send, and says so by popping up again.
    const std::size_t heard = fake().written.size();
    QTest::mouseClick(play, Qt::LeftButton);
    EXPECT_FALSE(state().TextPlaying);
    EXPECT_FALSE(play->isChecked());
    EXPECT_EQ(state().PlayQueue, "");
    EXPECT_EQ(fake().written.size(), heard);
}

TEST_F(FileMode, AHiddenTextKeepsItsPlaceOverLineEnds)
{
    open(write("hidden.txt", "ti\nme\nos"));
    auto *hide = control<QPushButton>("ButtonHideFile");
    QTest::mouseClick(hide, Qt::LeftButton);
    EXPECT_EQ(hide->text(), "Show");
    QTest::mouseClick(play, Qt::LeftButton);
    for (int i = 0; i < 3; ++i)
        fake().finishNext(); // t, i, m heard; e sounds
    EXPECT_EQ(edit->textCursor().selectedText(), QString()); // nothing to see while hidden
    QTest::mouseClick(Form1->ButtonStop, Qt::LeftButton);
    fake().finishAll();
    QTest::mouseClick(hide, Qt::LeftButton);
    EXPECT_EQ(hide->text(), "Hide");
    EXPECT_EQ(edit->textCursor().position(), 5); // after "ti¶me"
    EXPECT_EQ(state().ResumeText, "\r\nos\r\n");
    QTest::mouseClick(resume, Qt::LeftButton);
    fake().finishAll();
    EXPECT_EQ(sent(), "timeos");
}

TEST_F(FileMode, ALongLineIsShownInRowsAndSentWhole)
{
    // One line of a row of "e" and then "tim"; a second line "so".
    const std::string row(filetext::MaxShownRow, 'e');
    control<QAction>("MenuPosFile")->trigger();
    open(write("long.txt", row + "tim\nso\n"));
    EXPECT_EQ(edit->toPlainText(), QString::fromStdString(row + "\ntim\nso"));
    EXPECT_TRUE(edit->isReadOnly());

    // A click at the start of the second row chooses the "t", and the selection follows it.
    clickAt(static_cast<int>(row.size()) + 1);
    QTest::mouseClick(resume, Qt::LeftButton);
    EXPECT_EQ(state().PlayQueue, "tim\r\nso\r\n");
    ASSERT_TRUE(fake().finishNext()); // "t" heard, "i" now sounds
    EXPECT_EQ(edit->textCursor().selectedText(), "ti");
    fake().finishAll();
    control<QAction>("MenuPosFile")->setChecked(false);
    QTest::mouseClick(play, Qt::LeftButton);
    EXPECT_EQ(state().PlayQueue, row + "tim\r\nso\r\n");
    QTest::mouseClick(Form1->ButtonStop, Qt::LeftButton);
    fake().finishAll();
}

TEST_F(FileMode, UtoAConvertsWhatIsPlayedOnce)
{
    // "Café über" in UTF-8; the box first shows its bytes as Windows-1252 characters.
    open(write("utf8.txt", "Caf\xC3\xA9 \xC3\xBC" "ber\n"));
    EXPECT_EQ(edit->toPlainText(), cp1252::toQString("Caf\xC3\xA9 \xC3\xBC" "ber"));
    auto *convert = control<QToolButton>("SpeedButtonUFT8");
    QTest::mouseClick(convert, Qt::LeftButton);
    EXPECT_EQ(edit->toPlainText(), QStringLiteral("Café über"));
    QTest::mouseClick(convert, Qt::LeftButton); // nothing left to convert
    EXPECT_EQ(edit->toPlainText(), QStringLiteral("Café über"));
    QTest::mouseClick(play, Qt::LeftButton);
    EXPECT_EQ(state().PlayQueue, "Caf\xE9 \xFC" "ber\r\n");
    QTest::mouseClick(Form1->ButtonStop, Qt::LeftButton);
    fake().finishAll();
}

TEST_F(FileMode, AMaskedStretchIsSkippedAndNeverRunsOnIntoTheNextText)
{
    control<QAction>("MenuMaskedtext")->trigger();
    auto *start = control<QLineEdit>("EditStartMaskedText");
    auto *end = control<QLineEdit>("EditEndMaskedText");
    ASSERT_TRUE(control<QWidget>("PanelMaskedText")->isVisible());
    QTest::keyClicks(start, "(");
    QTest::keyClicks(end, "(");
    EXPECT_EQ(shelltest::withMessage([] { QTest::mouseClick(control<QPushButton>("ButtonMaskedTextOK"), Qt::LeftButton); }),
              "Starting and ending characters must be different !");
    EXPECT_FALSE(control<QAction>("MenuMaskedtext")->isChecked());
    end->clear();
    QTest::keyClicks(end, "q");
    QTest::mouseClick(control<QPushButton>("ButtonMaskedTextOK"), Qt::LeftButton);
    EXPECT_FALSE(control<QWidget>("PanelMaskedText")->isVisible());
    EXPECT_TRUE(control<QAction>("MenuMaskedtext")->isChecked());

    open(write("masked.txt", "a(bcqd\n"));
    QTest::mouseClick(play, Qt::LeftButton);
    fake().finishAll();
    EXPECT_EQ(sent(), "ad");

    // A start marker without its end masks the rest; the next text plays whole.
    open(write("open.txt", "e(fg"));
    QTest::mouseClick(play, Qt::LeftButton);
    fake().finishAll();
    EXPECT_EQ(sent(), "ade");
    // A start marker typed (it has a code, so it sounds) masks no file text after it.
    QTest::keyClicks(control<QLineEdit>("Editcaractere"), "(");
    fake().finishAll();
    open(write("plain.txt", "hi"));
    QTest::mouseClick(play, Qt::LeftButton);
    fake().finishAll();
    EXPECT_EQ(sent(), "ade(hi");

    // The markers are kept in the settings file as two bytes.
    std::string written;
    for (const auto &line : Settings().write())
        if (line.key == "MASKED_CHAR=")
            written = line.value;
    EXPECT_EQ(written, "(q");
}

TEST_F(FileMode, TheRepeatLoopPlaysTheTextAgainAfterItsPause)
{
    control<QAction>("MenuStanby1s")->trigger();
    Form1->TimerBoucle->setInterval(50);
    open(write("loop.txt", "ab"));
    QTest::mouseClick(play, Qt::LeftButton);
    fake().finishAll();
    EXPECT_TRUE(Form1->TimerBoucle->isActive());
    ASSERT_TRUE(testsupport::waitFor([] { return state().TextPlaying; }, 5000));
    EXPECT_EQ(state().PlayQueue, "ab\r\n ");
    QTest::mouseClick(Form1->ButtonStop, Qt::LeftButton);
    fake().finishAll();
    EXPECT_FALSE(Form1->TimerBoucle->isActive());
}

// ---- News ------------------------------------------------------------------------------------

const std::string NewsPage = "<html><body><ul>\n<li><b>Big</b> news &quot;today&quot;</li>\n"
                             "<li><a href=\"/a\"\n class=\"x\">L&rsquo;AFP</a></li>\n</ul></body></html>\n";

class News : public FileMode {
protected:
    void SetUp() override
    {
        FileMode::SetUp();
        control<QAction>("MenuOptionsFileNews")->setChecked(true);
        NewsSiteBase() = "http://news.test";
        QFile::remove(QDir(DataFolder()).filePath("AFP_News.txt"));
    }
    void answer(NewsFetchResult result, int delayMs = 0)
    {
        NewsPageFetcher() = [this, result, delayMs](const std::string &url, const std::atomic<bool> &) {
            requested = url;
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            return result;
        };
    }
    QString openNews()
    {
        return shelltest::withMessage([this] { open(folder.filePath("AFP_News_EN.txt")); });
    }
    std::string requested;
};

TEST_F(News, ThePagesItemsBecomeTheTextAndAreKept)
{
    answer({true, NewsPage, {}});
    open(folder.filePath("AFP_News_EN.txt"));
    EXPECT_EQ(requested, "http://news.test/en/inside-afp");
    EXPECT_EQ(edit->toPlainText(), QStringLiteral(" Big news \"today\".\n L'AFP."));
    QFile kept(QDir(DataFolder()).filePath("AFP_News.txt"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray(" Big news \"today\".\r\n L'AFP.\r\n"));
    EXPECT_TRUE(FileText().NewsLoaded);

    // Without the news option the name is an ordinary file, here a missing one.
    control<QAction>("MenuOptionsFileNews")->setChecked(false);
    EXPECT_EQ(openNews(), "Ne peut ouvrir le fichier");
}

TEST_F(News, AFailedOrWrongAnswerLeavesThePreviousTextAndSaysSo)
{
    open(write("before.txt", "old text"));
    const NewsFetchResult failures[] = {
        {false, {}, "HTTP 404"},   // an error page is never parsed
        {true, "Hello", {}},       // not a page
        {true, "<html><p>no items</p></html>", {}},
    };
    for (const NewsFetchResult &failure : failures) {
        answer(failure);
        EXPECT_EQ(openNews(), MsgWebOrFileError()) << failure.body;
        EXPECT_EQ(edit->toPlainText(), "old text");
        EXPECT_FALSE(Form1->RadioButtonFile->isChecked());
        EXPECT_FALSE(FileText().NewsLoaded);
    }
    EXPECT_FALSE(QFile::exists(QDir(DataFolder()).filePath("AFP_News.txt")));
}

TEST_F(News, APageOfMoreItemsThanATextHasLinesIsRefusedLikeSuchAFile)
{
    std::string page = "<ul>\n";
    for (std::size_t i = 0; i <= filetext::MaxTextLines; ++i)
        page += "<li>e</li>\n";
    open(write("before.txt", "old text"));
    answer({true, page, {}});
    EXPECT_EQ(openNews(), MsgTextFileTooLong());
    EXPECT_EQ(edit->toPlainText(), "old text");
    EXPECT_FALSE(FileText().NewsLoaded);
}

TEST_F(News, TheWindowGoesOnWhileThePageComesAndItsControlsWait)
{
    open(write("before.txt", "old"));
    answer({false, {}, "timed out"}, 300);
    bool ticked = false;
    bool fileButtonsWaited = false;
    int dialogs = 0;
    OpenFileDialogRunner() = [&](QFileDialog &) {
        ++dialogs;
        return chosen;
    };
    QTimer::singleShot(100, Form1, [&] {
        ticked = true;
        fileButtonsWaited = !play->isEnabled() && !control<QWidget>("SpeedButtonUFT8")->isEnabled();
        QTest::mouseClick(Form1->RadioButtonFile, Qt::LeftButton); // no second dialog meanwhile
    });
    EXPECT_EQ(openNews(), "WEB or file error");
    EXPECT_TRUE(ticked);
    EXPECT_TRUE(fileButtonsWaited);
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(play->isEnabled());
    EXPECT_EQ(edit->toPlainText(), "old");
}

// The real downloader against a server on this machine: a page is taken, an error status,
// an answer that never comes and an answer that is no page are refused alike.
TEST_F(News, ThroughTheProgramsDownloader)
{
    shelltest::LocalHttpServer server;
    NewsSiteBase() = server.base();
    NewsPageFetcher() = DownloaderNewsFetcher();
    const DownloadTimeouts before = CurrentDownloadTimeouts();
    // Time enough for an answer that comes, however crowded the machine; a short wait only
    // for the one that never comes.
    const DownloadTimeouts ample{30000, 30000}, brief{2000, 500};
    SetDownloadTimeouts(ample);

    server.setReply("/en/inside-afp", {200, NewsPage});
    open(folder.filePath("AFP_News_EN.txt"));
    EXPECT_EQ(edit->toPlainText(), QStringLiteral(" Big news \"today\".\n L'AFP."));
    EXPECT_EQ(server.requests("/en/inside-afp"), 1);

    const shelltest::LocalHttpServer::Reply refused[] = {
        {404, NewsPage},                // an error page is never parsed
        {200, "plain words, no page"},
        {200, NewsPage, /*hold=*/true}, // no answer within the time allowed
    };
    for (const auto &reply : refused) {
        open(write("before.txt", "old text"));
        server.setReply("/en/inside-afp", reply);
        SetDownloadTimeouts(reply.hold ? brief : ample);
        EXPECT_EQ(openNews(), MsgWebOrFileError()) << reply.status << " " << reply.hold;
        EXPECT_EQ(edit->toPlainText(), "old text");
    }
    server.releaseHeld();
    SetDownloadTimeouts(before);
}

} // namespace
