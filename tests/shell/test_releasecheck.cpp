// The release check and the downloader: version numbers, the version file, downloads from a
// local server, the start-up check and the about box's answers.

#include "tests/common/testsupport.h"
#include "tests/shell/localhttpserver.h"
#include "tests/shell/shelltestsupport.h"

#include "shell/aboutbox.h"
#include "shell/download.h"
#include "shell/formdialog.h"
#include "shell/help.h"
#include "shell/languages/languages.h"
#include "shell/mainwindow.h"
#include "shell/pendingsteps.h"
#include "shell/releasecheck.h"
#include "shell/settingskeys.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

using shelltest::LocalHttpServer;

namespace {

// Points the downloader at a local server for one test, with short time-outs if asked.
struct DownloadsTo {
    explicit DownloadsTo(const LocalHttpServer &server, DownloadTimeouts timeouts = {})
        : oldBase(DownloadBase())
        , oldTimeouts(CurrentDownloadTimeouts())
    {
        SetDownloadBase(server.base());
        SetDownloadTimeouts(timeouts);
    }
    ~DownloadsTo()
    {
        SetDownloadBase(oldBase);
        SetDownloadTimeouts(oldTimeouts);
    }
    std::string oldBase;
    DownloadTimeouts oldTimeouts;
};

bool newReleaseMenuShown()
{
    return ReleaseItems().MenunewVersion->menuAction()->isVisible();
}

bool mainWindowBusy()
{
    return Form1->testAttribute(Qt::WA_SetCursor) && Form1->cursor().shape() == Qt::WaitCursor;
}

} // namespace

TEST(ReleaseVersion, PartsCompareAsWholeNumbers)
{
    EXPECT_TRUE(IsNewerRelease("5.3.0"));
    EXPECT_TRUE(IsNewerRelease("5.10.0"));
    EXPECT_TRUE(IsNewerRelease("10.0.0"));
    EXPECT_TRUE(IsNewerRelease("6"));
    EXPECT_TRUE(IsNewerRelease(" 5.2.10\r"));
    EXPECT_FALSE(IsNewerRelease("5.2.9"));
    EXPECT_FALSE(IsNewerRelease("5.2"));
    EXPECT_FALSE(IsNewerRelease("4.99.99"));
    EXPECT_GT(VersionToNumber("5.10.0"), VersionToNumber("5.9.9"));
    EXPECT_EQ(VersionToNumber("5.2"), VersionToNumber("5.2.0"));
    EXPECT_EQ(VersionToNumber("5..9"), VersionToNumber("5.0.9"));
    EXPECT_EQ(VersionToNumber("5.3rc1"), VersionToNumber("5.3"));
}

TEST(ReleaseVersion, GarbageIsNeverNewer)
{
    EXPECT_EQ(VersionToNumber(""), 0);
    EXPECT_EQ(VersionToNumber("x.1"), 0);
    EXPECT_EQ(VersionToNumber("<html>"), 0);
    // A part that is no number ends the reading: what came before stays.
    EXPECT_EQ(VersionToNumber("5.x.9"), VersionToNumber("5"));
    EXPECT_FALSE(IsNewerRelease("garbage"));
    // Huge parts are held, not overflowed into another part or below zero.
    EXPECT_TRUE(IsNewerRelease("99999999999999999999"));
    EXPECT_LT(VersionToNumber("5.99999999999"), VersionToNumber("6"));
}

TEST(VersionFile, TheFirstExactEntryWins)
{
    EXPECT_EQ(VersionValueFromFile("zelmo=1.0\r\nkestrelon=5.3.0\r\nkestrelon=9.9.9\r\n", "kestrelon"), "5.3.0");
    EXPECT_EQ(VersionValueFromFile("Kestrelon=9.9.9\nkestrelonx=9.9.9\n=kestrelon\n", "kestrelon"), "");
    EXPECT_EQ(VersionValueFromFile("a=1\rkestrelon=5.4\r", "kestrelon"), "5.4");
    EXPECT_EQ(VersionValueFromFile("kestrelon=5.4", "kestrelon"), "5.4");
    // The value is everything after the first "=", without blanks around it.
    EXPECT_EQ(VersionValueFromFile("kestrelon= 6=7 \t\r\n", "kestrelon"), "6=7");
    EXPECT_EQ(VersionValueFromFile("\xEF\xBB\xBFkestrelon=5.5\n", "kestrelon"), "5.5");
    EXPECT_EQ(VersionValueFromFile("ke", "kestrelon"), "");
}

TEST(VersionFile, AnHtmlPageIsRejected)
{
    EXPECT_EQ(VersionValueFromFile("<html>kestrelon=9.9.9", "kestrelon"), "");
    EXPECT_EQ(VersionValueFromFile("a<\nkestrelon=9.9.9", "kestrelon"), "");
    EXPECT_EQ(VersionValueFromFile("ab<\nkestrelon=9.9.9", "kestrelon"), "");
    EXPECT_EQ(VersionValueFromFile("abc<\nkestrelon=9.9.9", "kestrelon"), "9.9.9");
}

TEST(Downloader, AddressesAndFileNames)
{
    const std::string old = DownloadBase();
    SetDownloadBase("http://host.example:81/");
    EXPECT_EQ(DownloadAddress("/index_fichiers/versions.txt"), "http://host.example:81/index_fichiers/versions.txt");
    EXPECT_EQ(DownloadAddress("a.txt"), "http://host.example:81/a.txt");
    EXPECT_EQ(DownloadAddress("https://other.example/x"), "https://other.example/x");
    SetDownloadBase(old);
    EXPECT_EQ(UrlFileName("http://h/a/b.txt"), "b.txt");
    EXPECT_EQ(UrlFileName("abc"), "abc");
    EXPECT_EQ(UrlFileName("http://h/"), "");
}

TEST(Downloader, ALineIsFetchedIntoItsFileAndAFailureLeavesNone)
{
    LocalHttpServer server;
    server.setReply("/news/page.txt", {200, "line one\r\nline two\r\n"});
    QTemporaryDir folder;
    const QString oldCurrent = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder.path()));

    EXPECT_TRUE(DownloadUrlLine(server.base() + "/news/page.txt // the agency's page", ""));
    QFile page(folder.filePath(QStringLiteral("page.txt")));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    EXPECT_EQ(page.readAll(), QByteArray("line one\r\nline two\r\n"));
    page.close();

    // A second download replaces the file; a failed one removes it and says so.
    QFile::remove(folder.filePath(QStringLiteral("named.txt")));
    QFile old(folder.filePath(QStringLiteral("named.txt")));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("stale");
    old.close();
    EXPECT_FALSE(DownloadUrlLine(server.base() + "/missing.txt", "named.txt"));
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("named.txt"))));
    EXPECT_THROW(DownloadUrlToFile(server.base() + "/missing.txt", "named.txt"), DownloadError);
    EXPECT_EQ(server.requests("/missing.txt"), 2);
    QDir::setCurrent(oldCurrent);
}

TEST(Downloader, AnAnswerThatNeverComesEndsAtTheTimeOut)
{
    LocalHttpServer server;
    server.setReply(VersionFilePath, {200, "kestrelon=9.9.9\n", true});
    DownloadsTo to(server, {2000, 300});
    const DownloadResult result = DownloadToMemory(VersionFilePath);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());
    EXPECT_TRUE(result.body.empty());
}

TEST(Downloader, FailuresLeaveNoHandleOpen)
{
    LocalHttpServer server;
    server.setReply("/gone.txt", {500, "error page"});
    DownloadsTo to(server, {2000, 2000});
    auto openHandles = [] { return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot).size(); };
    const qsizetype before = openHandles();
    for (int i = 0; i < 20; ++i) {
        EXPECT_FALSE(DownloadToMemory("/gone.txt").ok);
        EXPECT_FALSE(DownloadUrlLine(server.base() + "/gone.txt", "gone.txt"));
    }
    EXPECT_EQ(server.requests("/gone.txt"), 40);
    // The server closes its side on its own threads; give it time, the count must come back.
    EXPECT_TRUE(testsupport::waitFor([&] { return openHandles() <= before; }, 10000)) << openHandles() << " > " << before;
}

// ---- The start-up check ---------------------------------------------------------------------

class StartupReleaseCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        shelltest::ensureWindows();
        HideNewRelease();
    }
    void TearDown() override
    {
        Settings().applyValue("VERSTART=", "0");
        HideNewRelease();
        Form1->TimerThread->stop();
    }
    LocalHttpServer server;
};

TEST_F(StartupReleaseCheckTest, ANewerReleaseShowsTheMenuAndNothingIsLeftBehind)
{
    server.setReply(VersionFilePath, {200, "zelmo=1.0\r\nkestrelon=5.3.0\r\n"});
    DownloadsTo to(server);
    Settings().applyValue("VERSTART=", "1");
    EXPECT_TRUE(ReleaseItems().MenuInfoVersion->isChecked());

    StartupReleaseCheck();
    EXPECT_TRUE(ReleaseCheckRunning());
    EXPECT_TRUE(mainWindowBusy());
    EXPECT_TRUE(Form1->TimerThread->isActive());
    ASSERT_TRUE(testsupport::waitFor([] { return !ReleaseCheckRunning(); }, 20000));

    EXPECT_TRUE(newReleaseMenuShown());
    EXPECT_EQ(ReleaseItems().MenuNumVersion->text(), QStringLiteral("Version 5.3.0"));
    EXPECT_FALSE(mainWindowBusy());
    EXPECT_FALSE(Form1->TimerThread->isActive());
    EXPECT_FALSE(ReleaseCheckSilent);
    EXPECT_EQ(server.requests(VersionFilePath), 1);
    EXPECT_FALSE(QFile::exists(QDir::current().filePath(QStringLiteral("versions.txt"))));

    // A language switch words the item anew and keeps the version found.
    LanguageMenuClick(Language::Magyar);
    EXPECT_EQ(ReleaseItems().MenuNumVersion->text(), QStringLiteral("Verzió 5.3.0"));
    EXPECT_EQ(ReleaseItems().MenunewVersion->title(), QStringLiteral("Új kiadás érhetö el !"));
    LanguageMenuClick(Language::English);
    EXPECT_EQ(ReleaseItems().MenuNumVersion->text(), QStringLiteral("Version 5.3.0"));
}

TEST_F(StartupReleaseCheckTest, TheSameReleaseOrABadAnswerHidesTheMenuQuietly)
{
    DownloadsTo to(server);
    for (const char *body : {"kestrelon=5.2.9\n", "Kestrelon=9.9.9\n", "<html>kestrelon=9.9.9</html>"}) {
        server.setReply(VersionFilePath, {200, body});
        ShowNewRelease("1.0");
        Settings().applyValue("VERSTART=", "1");
        StartupReleaseCheck();
        ASSERT_TRUE(testsupport::waitFor([] { return !ReleaseCheckRunning(); }, 20000)) << body;
        EXPECT_FALSE(newReleaseMenuShown()) << body;
        EXPECT_FALSE(FormDialog && FormDialog->isVisible()) << body;
        EXPECT_FALSE(mainWindowBusy()) << body;
    }
}

TEST_F(StartupReleaseCheckTest, WithTheOptionOffNothingIsFetched)
{
    server.setReply(VersionFilePath, {200, "kestrelon=9.9.9\n"});
    DownloadsTo to(server);
    Settings().applyValue("VERSTART=", "0");
    EXPECT_FALSE(ReleaseItems().MenuInfoVersion->isChecked());
    StartupReleaseCheck();
    EXPECT_FALSE(ReleaseCheckRunning());
    EXPECT_FALSE(Form1->TimerThread->isActive());
    EXPECT_FALSE(mainWindowBusy());
    QCoreApplication::processEvents();
    EXPECT_EQ(server.requests(VersionFilePath), 0);
}

TEST_F(StartupReleaseCheckTest, TheTimeOutReportsFirstAndALateAnswerChangesNothing)
{
    server.setReply(VersionFilePath, {200, "kestrelon=9.9.9\n", true});
    DownloadsTo to(server);
    Settings().applyValue("VERSTART=", "1");
    StartupReleaseCheck();
    ASSERT_TRUE(testsupport::waitFor([this] { return server.requests(VersionFilePath) == 1; }, 10000));
    // The window timer runs out before the server answers.
    Form1->TimerThread->start(10);
    ASSERT_TRUE(testsupport::waitFor([] { return !ReleaseCheckRunning(); }, 10000));
    EXPECT_FALSE(mainWindowBusy());
    EXPECT_FALSE(newReleaseMenuShown());
    EXPECT_FALSE(Form1->TimerThread->isActive());

    // The answer comes after all; the worker runs out without a second report.
    server.releaseHeld();
    ASSERT_TRUE(testsupport::waitFor([] { return Form1->findChildren<VersionFetch *>().isEmpty(); }, 10000));
    testsupport::waitFor([] { return false; }, 100);
    EXPECT_FALSE(newReleaseMenuShown());
    EXPECT_FALSE(mainWindowBusy());

    // A later check is free to start.
    server.setReply(VersionFilePath, {200, "kestrelon=9.9.9\n"});
    MenuGetVersionClick();
    EXPECT_TRUE(ReleaseCheckRunning());
    ASSERT_TRUE(testsupport::waitFor([] { return !ReleaseCheckRunning(); }, 20000));
}

TEST_F(StartupReleaseCheckTest, TheDownloadPageFollowsTheLanguage)
{
    QStringList opened;
    auto oldOpen = ShellOpenHandler;
    ShellOpenHandler = [&](const QString &target) { opened << target; };
    LanguageMenuClick(Language::Deutsch);
    ReleaseItems().MenuNumVersion->trigger();
    LanguageMenuClick(Language::Francais);
    ReleaseItems().MenuNumVersion->trigger();
    LanguageMenuClick(Language::English);
    ShellOpenHandler = oldOpen;
    ASSERT_EQ(opened.size(), 2);
    EXPECT_TRUE(opened[0].endsWith(QStringLiteral("/software.htm")));
    EXPECT_TRUE(opened[1].endsWith(QStringLiteral("/logiciel.htm")));
}

// ---- The about box ------------------------------------------------------------------------------

class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        shelltest::ensureWindows();
        HideNewRelease();
        answerLimit = FormInfo->ReleaseAnswerLimitMs;
        FormInfo->show();
    }
    void TearDown() override
    {
        FormInfo->hide();
        FormInfo->ReleaseAnswerLimitMs = answerLimit;
        HideNewRelease();
    }
    int answerLimit = 0;

    // Clicks the release button and answers what it shows; returns the text shown ("" when
    // nothing was shown). A failure is the warning box, anything else the program's message.
    QString releaseButtonAnswer(bool *warning)
    {
        QString shown;
        *warning = false;
        auto *poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, poll, [&] {
            if (auto *box = FormInfo->findChild<QMessageBox *>(QStringLiteral("ReleaseFailureBox"));
                box && box->isVisible()) {
                *warning = true;
                shown = box->text();
                box->button(QMessageBox::Ok)->click();
            } else if (FormDialog && FormDialog->isVisible()) {
                shown = shelltest::dialogText();
                FormDialog->ButtonOK->click();
            }
        });
        poll->start(5);
        QTest::mouseClick(FormInfo->BitBtnNewRelease, Qt::LeftButton);
        disabledWhileFetching = !FormInfo->BitBtnNewRelease->isEnabled();
        testsupport::waitFor([] { return FormInfo->BitBtnNewRelease->isEnabled(); }, 20000);
        delete poll;
        return shown;
    }
    bool disabledWhileFetching = false;
    LocalHttpServer server;
};

TEST_F(AboutBoxTest, TheSameReleaseIsTheLatest)
{
    server.setReply(VersionFilePath, {200, "kestrelon=5.2.9\r\n"});
    DownloadsTo to(server);
    ShowNewRelease("5.3");
    bool warning;
    EXPECT_EQ(releaseButtonAnswer(&warning), QStringLiteral("You are using the latest release!"));
    EXPECT_FALSE(warning);
    EXPECT_TRUE(disabledWhileFetching);
    EXPECT_TRUE(FormInfo->BitBtnNewRelease->isEnabled());
    EXPECT_FALSE(newReleaseMenuShown());
    EXPECT_FALSE(mainWindowBusy());
}

TEST_F(AboutBoxTest, ANewerReleaseIsAnnouncedAndShownInTheMenu)
{
    server.setReply(VersionFilePath, {200, "kestrelon=5.10.0\n"});
    DownloadsTo to(server);
    bool warning;
    const QString shown = releaseButtonAnswer(&warning);
    EXPECT_FALSE(warning);
    EXPECT_TRUE(shown.startsWith(QStringLiteral("A more recent release is available. See "))) << qPrintable(shown);
    EXPECT_TRUE(newReleaseMenuShown());
    EXPECT_EQ(ReleaseItems().MenuNumVersion->text(), QStringLiteral("Version 5.10.0"));
}

TEST_F(AboutBoxTest, EveryFailureGivesTheWarningInTheLanguage)
{
    const struct {
        const char *what;
        LocalHttpServer::Reply reply;
    } failures[] = {
        {"404", {404, "kestrelon=9.9.9\n"}},
        {"HTML page", {200, "<html><body>portal</body></html>"}},
        {"no entry", {200, "zelmo=1.0\n"}},
        {"garbage", {200, "\x01\x02 nonsense"}},
        {"time-out", {200, "kestrelon=9.9.9\n", true}},
    };
    DownloadsTo to(server, {3000, 500});
    for (const auto &failure : failures) {
        server.setReply(VersionFilePath, failure.reply);
        bool warning;
        EXPECT_EQ(releaseButtonAnswer(&warning), QStringLiteral("Internet failure !")) << failure.what;
        EXPECT_TRUE(warning) << failure.what;
        EXPECT_TRUE(FormInfo->BitBtnNewRelease->isEnabled()) << failure.what;
        EXPECT_FALSE(mainWindowBusy()) << failure.what;
    }
    LanguageMenuClick(Language::Francais);
    bool warning;
    const QString french = releaseButtonAnswer(&warning);
    LanguageMenuClick(Language::English);
    EXPECT_EQ(french, QStringLiteral("Echec Internet !"));
}

TEST_F(AboutBoxTest, AServerThatHoldsTheRequestIsGivenUpInTimeAndItsLateAnswerUnheard)
{
    // The downloader's own limits lie far beyond the one the user waits for.
    server.setReply(VersionFilePath, {200, "kestrelon=9.9.9\n", true});
    DownloadsTo to(server, {60000, 600000});
    FormInfo->ReleaseAnswerLimitMs = 300;
    bool warning;
    EXPECT_EQ(releaseButtonAnswer(&warning), QStringLiteral("Internet failure !"));
    EXPECT_TRUE(warning && disabledWhileFetching && FormInfo->BitBtnNewRelease->isEnabled());
    EXPECT_FALSE(mainWindowBusy());

    // Answered now, a newer release would show its message (closed here) and the menu entry.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (FormDialog->isVisible())
            FormDialog->ButtonOK->click();
    });
    closer.start(5);
    server.releaseHeld();
    ASSERT_TRUE(testsupport::waitFor([] { return FormInfo->findChildren<VersionFetch *>().isEmpty(); }, 10000));
    testsupport::waitFor([] { return false; }, 100);
    EXPECT_FALSE(newReleaseMenuShown());
}

TEST_F(AboutBoxTest, TheOptionIsOneStateInTheBoxAndTheMenu)
{
    Settings().applyValue("VERSTART=", "0");
    QTest::mouseClick(FormInfo->CheckBoxVersion, Qt::LeftButton);
    EXPECT_TRUE(VerStart);
    EXPECT_TRUE(ReleaseItems().MenuInfoVersion->isChecked());
    ReleaseItems().MenuInfoVersion->trigger();
    EXPECT_FALSE(VerStart);
    EXPECT_FALSE(FormInfo->CheckBoxVersion->isChecked());

    // Shown again with the option set, the box is ticked.
    FormInfo->hide();
    VerStart = true;
    FormInfo->show();
    EXPECT_TRUE(FormInfo->CheckBoxVersion->isChecked());
    EXPECT_EQ(FormInfo->Label1->text(), QStringLiteral("KESTRELON 5.2.9"));
    EXPECT_EQ(FormInfo->CheckBoxVersion->text(), QStringLiteral("Look for a new release when opening KESTRELON."));
    Settings().applyValue("VERSTART=", "0");
}
