// Help: which page each place opens, the pages themselves, the help window, the launchers and
// the link label.

#include "tests/common/testsupport.h"
#include "tests/shell/shelltestsupport.h"

#include "engine/cp1252.h"
#include "shell/aboutbox.h"
#include "shell/effectwindows.h"
#include "shell/formmonitorinfo.h"
#include "shell/formdialog.h"
#include "shell/help.h"
#include "shell/schematics.h"
#include "shell/mainwindow.h"
#include "training/entrysheet.h"

#include <QAction>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace {

// A control of the main window as the program built it (null when it has none); its
// visibility is put back at the end of the test.
template <typename W> class ProgramControl {
public:
    explicit ProgramControl(const char *name)
        : widget_(Form1->findChild<W *>(QString::fromLatin1(name)))
    {
        if (widget_)
            wasHidden_ = widget_->isHidden();
    }
    ~ProgramControl()
    {
        if (widget_)
            widget_->setHidden(wasHidden_);
    }
    explicit operator bool() const { return widget_ != nullptr; }
    W *operator->() const { return widget_; }
    W *get() const { return widget_; }

private:
    W *widget_ = nullptr;
    bool wasHidden_ = true;
};

// Every "?" button of the help table, with its page.
const struct {
    const char *name;
    int context;
} kHelpButtons[] = {
    {"ButtonSpeedHelp", 5},          {"ButtonLevelHelp", 6},         {"ButtonHelpPort", 17},
    {"ButtonHelpSpacing", 19},       {"ButtonQuizHelp", 22},         {"ButtonLocalCharacterHelp", 25},
    {"ButtonLocalShortcutHelp", 25}, {"ButtonTextRecordHelp", 26},   {"ButtonCarteSonHelp", 27},
    {"ButtonLocalLessonHelp", 31},   {"ButtonLocalMessageHelp", 32}, {"ButtonMaskedTexthelp", 33},
};

class HelpTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        shelltest::ensureWindows();
        closeHelp();
    }
    void TearDown() override { closeHelp(); }

    static void closeHelp()
    {
        if (THelpWindow *window = ExistingHelpWindow())
            window->hide();
    }
    // The context on show in the help window; -2 while it is closed.
    static int opened()
    {
        THelpWindow *window = ExistingHelpWindow();
        return window && window->isVisible() ? window->shownContext() : -2;
    }
    static QString openedPath()
    {
        return ExistingHelpWindow() ? ExistingHelpWindow()->HelpBrowser->source().path() : QString();
    }
    static void activate(QWidget *window)
    {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }
};

// A context of the list every language has pages for.
bool known(int context)
{
    return std::find(std::begin(HelpContextsUsed), std::end(HelpContextsUsed), context) != std::end(HelpContextsUsed);
}

std::vector<QString> allLanguagesFolders()
{
    std::vector<QString> folders;
    for (int i = 0; i < LanguageCount; ++i)
        folders.push_back(HelpFolder(static_cast<Language>(i)));
    return folders;
}

} // namespace

TEST_F(HelpTest, TheHelpMenuOpensThePageOfTheFirstVisibleArea)
{
    ProgramControl<QWidget> random("GroupBoxRandom");
    ProgramControl<QWidget> monitor("GroupBoxMonitor");
    ProgramControl<QWidget> quiz("QuizGroupBox");
    ProgramControl<QWidget> file("PanelFile");
    ASSERT_TRUE(random && monitor && quiz && file);
    const struct {
        bool random, monitor, quiz, file;
        int context;
    } cases[] = {
        {false, false, false, false, HelpContents},
        {false, false, false, true, 9},
        {false, false, true, true, 22},
        {false, true, true, true, 30},
        {true, true, false, false, 15},
        {true, false, true, true, 15},
    };
    for (const auto &c : cases) {
        random->setVisible(c.random);
        monitor->setVisible(c.monitor);
        quiz->setVisible(c.quiz);
        file->setVisible(c.file);
        closeHelp();
        Form1->findChild<QAction *>(QStringLiteral("MenuHelpTopic"))->trigger();
        EXPECT_EQ(opened(), c.context) << c.random << c.monitor << c.quiz << c.file;
    }
}

TEST_F(HelpTest, F1WithTheRandomModeVisibleOpensItsPageInTheCurrentLanguage)
{
    ProgramControl<QWidget> random("GroupBoxRandom");
    ASSERT_TRUE(random);
    random->show();
    LanguageMenuClick(Language::Francais);
    activate(Form1);
    QTest::keyClick(Form1, Qt::Key_F1);
    const int context = opened();
    const QString path = openedPath();
    const QString title = ExistingHelpWindow() ? ExistingHelpWindow()->windowTitle() : QString();
    const QString text = ExistingHelpWindow() ? ExistingHelpWindow()->HelpBrowser->toPlainText() : QString();
    LanguageMenuClick(Language::English);
    EXPECT_EQ(context, 15);
    EXPECT_EQ(path, QStringLiteral("/help/kestrelon_fr/15.html"));
    // The page's own title, never its topic number.
    EXPECT_EQ(title, QStringLiteral("Aide de KESTRELON - Groupes aléatoires"));
    EXPECT_TRUE(text.contains(QStringLiteral("Groupes aléatoires"))) << qPrintable(text);
}

TEST_F(HelpTest, EachQuestionMarkButtonOpensItsOwnPage)
{
    for (const auto &b : kHelpButtons) {
        auto *button = shelltest::control<QPushButton>(b.name);
        ASSERT_NE(button, nullptr) << b.name << " is not in the main window";
        EXPECT_EQ(button->text(), QStringLiteral("?")) << b.name;
        button->ensurePolished(); // as when it is first shown
        closeHelp();
        button->click();
        EXPECT_EQ(opened(), b.context) << b.name;
        EXPECT_TRUE(known(b.context)) << b.name;
    }
    // Another button is left alone.
    auto *quit = shelltest::control<QPushButton>("ButtonQuitter");
    quit->ensurePolished();
    EXPECT_FALSE(HelpButtonClick(quit->objectName()));
}

// Each "?", the loudspeaker and the file text's summary sit inside their panel and cover none
// of the panel's other controls.
TEST_F(HelpTest, TheHelpButtonsTheLoudspeakerAndTheFileSummaryHaveTheirOwnPlaces)
{
    Form1->show(); // the frame at its size
    std::vector<const char *> names = {"SpeedButtonHP", "LabelwordsFile"};
    for (const auto &b : kHelpButtons)
        names.push_back(b.name);
    for (const char *name : names) {
        auto *placed = shelltest::control<QWidget>(name);
        ASSERT_NE(placed, nullptr) << name;
        QWidget *panel = placed->parentWidget();
        EXPECT_TRUE(panel->rect().contains(placed->geometry())) << name;
        for (QWidget *other : panel->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            const bool control = qobject_cast<QAbstractButton *>(other) || qobject_cast<QLabel *>(other)
                                 || qobject_cast<QAbstractSpinBox *>(other) || qobject_cast<QLineEdit *>(other)
                                 || qobject_cast<QComboBox *>(other);
            if (other == placed || !control || other->objectName().isEmpty()
                || other->geometry().size() == QSize(1, 1))
                continue;
            EXPECT_FALSE(other->geometry().intersects(placed->geometry()))
                << name << " covers " << qPrintable(other->objectName());
        }
    }
}

TEST_F(HelpTest, ARightPressOnAModeButtonOpensItsPageBeforeTheRelease)
{
    const std::pair<QRadioButton *, int> modes[] = {
        {Form1->RadioButtonAlphabet, 12}, {Form1->RadioButtonCodeQ, 13}, {Form1->RadioButtonAbrev, 14},
        {Form1->RadioButtonRandom, 15},   {Form1->RadioButtonFile, 16},  {Form1->RadioButtonQuiz, 22},
        {Form1->RadioButtonMonitor, 30},
    };
    for (const auto &[button, context] : modes) {
        const bool checked = button->isChecked();
        closeHelp();
        QTest::mousePress(button, Qt::RightButton);
        EXPECT_EQ(opened(), context) << qPrintable(button->objectName());
        EXPECT_TRUE(known(context)) << qPrintable(button->objectName());
        QTest::mouseRelease(button, Qt::RightButton);
        EXPECT_EQ(button->isChecked(), checked) << qPrintable(button->objectName());
    }
    // The left button opens nothing (released away from the button, so no mode is entered).
    closeHelp();
    QTest::mousePress(Form1->RadioButtonCodeQ, Qt::LeftButton);
    EXPECT_EQ(opened(), -2);
    QTest::mouseRelease(Form1->RadioButtonCodeQ, Qt::LeftButton, {}, QPoint(-50, -50));
}

TEST_F(HelpTest, F1InASideWindowOpensItsPageAndTheDriftWindowItsPicture)
{
    for (const auto &[window, context] : {std::pair<QWidget *, int>{FormInfo, 1}, {FormMonitorInfo, 30},
                                          {FormNoise, 3}, {FormhelpChoixRandom, 31}}) {
        activate(window);
        closeHelp();
        QTest::keyClick(window, Qt::Key_F1);
        EXPECT_EQ(opened(), context) << qPrintable(window->objectName());
        EXPECT_TRUE(known(context)) << qPrintable(window->objectName());
        window->hide();
    }
    FormDriftBMP->hide();
    activate(FormDrift);
    closeHelp();
    QTest::keyClick(FormDrift, Qt::Key_F1);
    EXPECT_TRUE(FormDriftBMP->isVisible());
    EXPECT_EQ(opened(), -2);
    FormDrift->hide();
    FormDriftBMP->hide();
}

TEST_F(HelpTest, AMissingPageIsSaidInTheHelpWindowNotInAMessage)
{
    ShowHelpContext(99);
    EXPECT_EQ(opened(), -1);
    EXPECT_TRUE(ExistingHelpWindow()->HelpBrowser->toPlainText().contains(QStringLiteral("not found")));
    EXPECT_EQ(ExistingHelpWindow()->windowTitle(), QStringLiteral("KESTRELON help"));
    EXPECT_FALSE(FormDialog && FormDialog->isVisible());
    // The contents page is one click away.
    QTest::mouseClick(ExistingHelpWindow()->ButtonHelpContents, Qt::LeftButton);
    EXPECT_EQ(opened(), HelpContents);
    EXPECT_EQ(ExistingHelpWindow()->windowTitle(), QStringLiteral("KESTRELON help - Contents"));
}

TEST(HelpPages, EveryContextOpenedHasAPageInEveryLanguageAndNothingElseIsThere)
{
    EXPECT_EQ(HelpPagePath(Language::Francais, 22), QStringLiteral(":/help/kestrelon_fr/22.html"));
    EXPECT_EQ(HelpPagePath(Language::Magyar, HelpContents), QStringLiteral(":/help/kestrelon_hu/index.html"));
    std::set<QString> expected = {QStringLiteral("index.html")};
    for (int context : HelpContextsUsed)
        expected.insert(QStringLiteral("%1.html").arg(context));
    for (const QString &folder : allLanguagesFolders()) {
        std::set<QString> present;
        for (const QString &name : QDir(folder).entryList(QDir::Files))
            present.insert(name);
        EXPECT_EQ(present, expected) << qPrintable(folder);
    }

    // Modes and games open their pages by number; each number must be one with pages.
    static const QRegularExpression call(QStringLiteral("ShowHelpContext\\((\\d+)\\)"));
    const std::set<int> listed(std::begin(HelpContextsUsed), std::end(HelpContextsUsed));
    for (const char *folder : {"engine", "platform", "shell", "training", "games"}) {
        QDirIterator files(testsupport::sourceDir() + QLatin1Char('/') + QLatin1String(folder),
                           {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile source(files.next());
            ASSERT_TRUE(source.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(source.readAll());
            for (auto it = call.globalMatch(text); it.hasNext();) {
                const int context = it.next().captured(1).toInt();
                EXPECT_TRUE(listed.count(context)) << qPrintable(source.fileName()) << " opens " << context;
            }
        }
    }
}

TEST(HelpPages, PagesAreTitledLinkedWithinTheirFolderAndWindows1252)
{
    static const QRegularExpression link(QStringLiteral("href=\"([^\"]+)\""));
    static const QRegularExpression title(QStringLiteral("<title>([^<]+)</title>"));
    for (const QString &folder : allLanguagesFolders()) {
        for (const QString &name : QDir(folder).entryList(QDir::Files)) {
            QFile page(folder + QLatin1Char('/') + name);
            ASSERT_TRUE(page.open(QIODevice::ReadOnly)) << qPrintable(page.fileName());
            const QString text = QString::fromUtf8(page.readAll());
            EXPECT_TRUE(title.match(text).hasMatch()) << qPrintable(page.fileName());
            EXPECT_EQ(cp1252::toQString(cp1252::fromQString(text)), text) << qPrintable(page.fileName());
            for (auto it = link.globalMatch(text); it.hasNext();) {
                const QString target = it.next().captured(1);
                EXPECT_TRUE(QFile::exists(folder + QLatin1Char('/') + target))
                    << qPrintable(page.fileName()) << " links to " << qPrintable(target);
            }
        }
    }
}

// ---- Launchers and the link label -------------------------------------------------------------

TEST_F(HelpTest, TheVolumeControlIsTheFirstMixerThatStarts)
{
    QStringList tried;
    auto old = StartDetachedHandler;
    StartDetachedHandler = [&](const QString &program, const QStringList &arguments) {
        tried << (program + QLatin1Char(' ') + arguments.join(QLatin1Char(' '))).trimmed();
        return program == QLatin1String("gnome-control-center");
    };
    auto *speaker = shelltest::control<QPushButton>("SpeedButtonHP");
    ASSERT_NE(speaker, nullptr);
    speaker->ensurePolished();
    speaker->click();
    // None there at all: nothing said, every one tried once.
    StartDetachedHandler = [&](const QString &, const QStringList &) { return false; };
    const int before = tried.size();
    SpeedButtonHPClick();
    StartDetachedHandler = old;
    EXPECT_EQ(tried, (QStringList{QStringLiteral("pavucontrol"), QStringLiteral("pwvucontrol"),
                                  QStringLiteral("pavucontrol-qt"), QStringLiteral("gnome-control-center sound")}));
    EXPECT_EQ(before, 4);
    EXPECT_FALSE(FormDialog && FormDialog->isVisible());
}

TEST_F(HelpTest, TheSchematicsOpenTheProgramsOwnPictureUnlessTheUserHasOne)
{
    QStringList opened;
    auto old = ShellOpenHandler;
    ShellOpenHandler = [&](const QString &target) { opened << target; };
    const QString oldCurrent = QDir::currentPath();
    QAction *schematics = Form1->findChild<QAction *>(QStringLiteral("MenuSchematics"));
    ASSERT_NE(schematics, nullptr);

    // No picture in the data folder: the program's own is written there and opened.
    QTemporaryDir folder;
    QDir::setCurrent(folder.path());
    schematics->trigger();
    const QString picture = folder.filePath(QStringLiteral("pc_tx.bmp"));
    QImage drawn(picture);
    // The user's own picture of that name is opened as it is.
    QImage own(10, 10, QImage::Format_RGB32);
    own.fill(Qt::red);
    QTemporaryDir userFolder;
    QDir::setCurrent(userFolder.path());
    ASSERT_TRUE(own.save(userFolder.filePath(QStringLiteral("pc_tx.bmp")), "BMP"));
    schematics->trigger();
    const QImage kept(userFolder.filePath(QStringLiteral("pc_tx.bmp")));
    // A place that cannot take the picture opens nothing.
    QTemporaryDir blocked;
    ASSERT_TRUE(QDir(blocked.path()).mkdir(QStringLiteral("pc_tx.bmp")));
    QDir::setCurrent(blocked.path());
    schematics->trigger();
    QDir::setCurrent(oldCurrent);
    ShellOpenHandler = old;

    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(QFileInfo(opened[0]).canonicalFilePath(), QFileInfo(picture).canonicalFilePath());
    EXPECT_EQ(drawn.size(), QSize(SchematicsWidth, SchematicsHeight));
    EXPECT_EQ(drawn.convertToFormat(QImage::Format_RGB32), DrawInterfaceSchematics());
    EXPECT_EQ(QFileInfo(opened[1]).canonicalFilePath(),
              QFileInfo(userFolder.filePath(QStringLiteral("pc_tx.bmp"))).canonicalFilePath());
    EXPECT_EQ(kept.size(), own.size());
    EXPECT_FALSE(FormDialog && FormDialog->isVisible());
}

// The loudspeaker shows only its picture: a screen reader names it by its hint, in the
// language on show (by its first line: the rest stays the description).
TEST_F(HelpTest, PictureOnlyButtonsAreNamedByTheirHints)
{
    auto *speaker = shelltest::control<QPushButton>("SpeedButtonHP");
    ASSERT_NE(speaker, nullptr);
    Form1->show();
    QApplication::processEvents();
    EXPECT_TRUE(speaker->text().isEmpty());
    EXPECT_FALSE(speaker->icon().isNull());
    EXPECT_TRUE(speaker->accessibleName().contains(QStringLiteral("Volume"))) << qPrintable(speaker->accessibleName());
    LanguageMenuClick(Language::Deutsch);
    const QString german = speaker->accessibleName();
    LanguageMenuClick(Language::English);
    EXPECT_EQ(german, QStringLiteral("Lautstärkeregler des Computers"));
    int named = 0;
    for (QAbstractButton *button : Form1->findChildren<QAbstractButton *>()) {
        if (!button->text().isEmpty() || button->toolTip().isEmpty())
            continue;
        button->ensurePolished();
        EXPECT_EQ(button->accessibleName(), button->toolTip().section(QLatin1Char('\n'), 0, 0).trimmed())
            << qPrintable(button->objectName());
        ++named;
    }
    EXPECT_GE(named, 5);
}

// The real launcher, as the user's click runs it: a volume control on the PATH is started.
TEST_F(HelpTest, TheLoudspeakerStartsTheVolumeControlOnThePath)
{
    QTemporaryDir bin;
    const QString started = bin.filePath(QStringLiteral("started"));
    QFile script(bin.filePath(QStringLiteral("pavucontrol")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\necho \"$@\" > '%1'\n").arg(started).toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.path().toLocal8Bit() + ':' + path);
    auto *speaker = shelltest::control<QPushButton>("SpeedButtonHP");
    ASSERT_NE(speaker, nullptr);
    Form1->show();
    QTest::mouseClick(speaker, Qt::LeftButton);
    qputenv("PATH", path);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(started); }, 5000));
}

TEST_F(HelpTest, TheRandomChoiceCardComesAndGoes)
{
    auto *button = Form1->findChild<QAbstractButton *>(QStringLiteral("SpeedButtonHelpChoixRanom"));
    ASSERT_NE(button, nullptr);
    button->ensurePolished();
    FormhelpChoixRandom->hide();
    button->click();
    EXPECT_TRUE(FormhelpChoixRandom->isVisible());
    button->click();
    EXPECT_FALSE(FormhelpChoixRandom->isVisible());
}

TEST(LabelUrl, ShowsItsAddressAndOpensItAfterTheUsersHandler)
{
    QStringList events;
    auto old = ShellOpenHandler;
    ShellOpenHandler = [&](const QString &target) { events << QStringLiteral("open ") + target; };
    TLabelUrl label;
    label.resize(200, 20);
    EXPECT_EQ(label.text(), QStringLiteral("Http://"));
    EXPECT_TRUE(label.font().underline());
    EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(&label, Qt::LeftButton);
    label.setUrl(QStringLiteral("https://kestrelon.example/"));
    label.OnClick = [&] { events << QStringLiteral("handler"); };
    QTest::mouseClick(&label, Qt::LeftButton);
    QTest::mouseClick(&label, Qt::RightButton);
    ShellOpenHandler = old;
    EXPECT_EQ(label.text(), QStringLiteral("https://kestrelon.example/"));
    EXPECT_EQ(events, (QStringList{QStringLiteral("open "), QStringLiteral("handler"),
                                   QStringLiteral("open https://kestrelon.example/")}));
}
