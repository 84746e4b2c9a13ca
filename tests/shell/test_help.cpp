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
#include "shell/mainwindow.h"
#include "training/entrysheet.h"

#include <QAction>
#include <QApplication>
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

// A named widget of the main window: the program's own when it exists, else a stand-in on
// the frame, removed again afterwards; its visibility is restored either way.
template <typename W> class NamedControl {
public:
    explicit NamedControl(const char *name)
    {
        widget_ = Form1->findChild<W *>(QString::fromLatin1(name));
        if (!widget_) {
            owned_.reset(new W(Form1->Frame));
            owned_->setObjectName(QString::fromLatin1(name));
            owned_->hide();
            widget_ = owned_.get();
        }
        wasHidden_ = widget_->isHidden();
    }
    ~NamedControl()
    {
        if (!owned_)
            widget_->setHidden(wasHidden_);
    }
    W *operator->() const { return widget_; }
    W *get() const { return widget_; }

private:
    W *widget_ = nullptr;
    std::unique_ptr<W> owned_;
    bool wasHidden_ = true;
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
    NamedControl<QWidget> random("GroupBoxRandom");
    NamedControl<QWidget> monitor("GroupBoxMonitor");
    NamedControl<QWidget> quiz("QuizGroupBox");
    NamedControl<QWidget> file("PanelFile");
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
    NamedControl<QWidget> random("GroupBoxRandom");
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
    EXPECT_EQ(title, QStringLiteral("Aide de KESTRELON [15]"));
    EXPECT_TRUE(text.contains(QStringLiteral("Groupes aléatoires"))) << qPrintable(text);
}

TEST_F(HelpTest, EachQuestionMarkButtonOpensItsOwnPage)
{
    const struct {
        const char *name;
        int context;
    } buttons[] = {
        {"ButtonSpeedHelp", 5},          {"ButtonLevelHelp", 6},         {"ButtonHelpPort", 17},
        {"ButtonHelpSpacing", 19},       {"ButtonQuizHelp", 22},         {"ButtonLocalCharacterHelp", 25},
        {"ButtonLocalShortcutHelp", 25}, {"ButtonTextRecordHelp", 26},   {"ButtonCarteSonHelp", 27},
        {"ButtonLocalLessonHelp", 31},   {"ButtonLocalMessageHelp", 32}, {"ButtonMaskedTexthelp", 33},
    };
    for (const auto &b : buttons) {
        NamedControl<QPushButton> button(b.name);
        button->ensurePolished(); // as when it is first shown
        closeHelp();
        button->click();
        EXPECT_EQ(opened(), b.context) << b.name;
        EXPECT_TRUE(known(b.context)) << b.name;
    }
    // A button that is no help button is left alone.
    NamedControl<QPushButton> other("ButtonSomethingElse");
    other->ensurePolished();
    closeHelp();
    other->click();
    EXPECT_EQ(opened(), -2);
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
    EXPECT_TRUE(ExistingHelpWindow()->windowTitle().endsWith(QStringLiteral("[?]")));
    EXPECT_FALSE(FormDialog && FormDialog->isVisible());
    // The contents page is one click away.
    QTest::mouseClick(ExistingHelpWindow()->ButtonHelpContents, Qt::LeftButton);
    EXPECT_EQ(opened(), HelpContents);
    EXPECT_TRUE(ExistingHelpWindow()->windowTitle().endsWith(QStringLiteral("[Contents]")));
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
    NamedControl<QPushButton> speaker("SpeedButtonHP");
    speaker->ensurePolished();
    speaker->click();
    // None there at all: nothing said, every one tried once.
    StartDetachedHandler = [&](const QString &, const QStringList &) { return false; };
    const int before = tried.size();
    SpeedButtonHPClick();
    StartDetachedHandler = old;
    EXPECT_EQ(tried, (QStringList{QStringLiteral("pavucontrol"), QStringLiteral("pavucontrol-qt"),
                                  QStringLiteral("gnome-control-center sound")}));
    EXPECT_EQ(before, 3);
    EXPECT_FALSE(FormDialog && FormDialog->isVisible());
}

TEST_F(HelpTest, TheSchematicsOpenOnlyWhenThePictureIsThere)
{
    QStringList opened;
    auto old = ShellOpenHandler;
    ShellOpenHandler = [&](const QString &target) { opened << target; };
    QTemporaryDir folder;
    const QString oldCurrent = QDir::currentPath();
    QDir::setCurrent(folder.path());
    QAction *schematics = Form1->findChild<QAction *>(QStringLiteral("MenuSchematics"));
    schematics->trigger();
    QFile picture(folder.filePath(QStringLiteral("pc_tx.bmp")));
    ASSERT_TRUE(picture.open(QIODevice::WriteOnly));
    picture.close();
    schematics->trigger();
    QDir::setCurrent(oldCurrent);
    ShellOpenHandler = old;
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(QFileInfo(opened[0]).canonicalFilePath(), QFileInfo(picture).canonicalFilePath());
}

TEST_F(HelpTest, TheRandomChoiceCardComesAndGoes)
{
    NamedControl<QPushButton> button("SpeedButtonHelpChoixRanom");
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
