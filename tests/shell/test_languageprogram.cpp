// The language chosen by the settings file and the command line, in the real start-up.

#include "tests/common/testsupport.h"
#include "tests/shell/shelltestsupport.h"

#include "shell/languages/languages.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"
#include "shell/settingsfile.h"
#include "shell/startup.h"

#include <QAbstractButton>
#include <QAction>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.exists())
        file.setPermissions(file.permissions() | QFileDevice::WriteOwner);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(LanguageAtStartup, TheSettingsFileChoosesHungarian)
{
    ASSERT_EQ(Form1, nullptr) << "each test starts without windows";
    writeFile(SettingsFilePath(), "[KESTRELON 5.2.9]\r\nLANGUAGE=M\r\n");
    shelltest::ensureWindows();
    ASSERT_NE(Form1, nullptr);

    EXPECT_EQ(Form1->windowTitle(), QStringLiteral("KESTRELON 5.2.9 - MORZE-KÓD TANITÓ ÉS EDZÖ"));
    EXPECT_TRUE(Form1->Magyar1->isChecked());
    EXPECT_FALSE(Form1->English1->isChecked());
    EXPECT_EQ(Form1->ButtonQuitter->text(), QStringLiteral("&Kilépés"));
    EXPECT_EQ(Form1->RadioButtonAbrev->text(), QStringLiteral("Rövidítések"));
    EXPECT_EQ(CurrentLanguage(), Language::Magyar);

    // The menu switches; the checked item again changes nothing.
    Form1->Espagnol1->trigger();
    EXPECT_EQ(Form1->windowTitle(), QStringLiteral("KESTRELON 5.2.9 - EL PROFESOR Y ENTRENADOR DE CÓDIGO MORSE"));
    EXPECT_FALSE(Form1->Magyar1->isChecked());
    Form1->Espagnol1->trigger();
    EXPECT_TRUE(Form1->Espagnol1->isChecked());
    EXPECT_EQ(CurrentLanguage(), Language::Espanol);
}

// The toolkit's own dialogs (file choosers, standard buttons) follow a switch too.
TEST(LanguageAtStartup, TheToolkitsDialogsFollowTheLanguage)
{
    shelltest::ensureWindows();
    const auto cancel = [] {
        QDialogButtonBox box(QDialogButtonBox::Cancel);
        return box.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&'));
    };
    Form1->Deutsch1->trigger();
    EXPECT_EQ(cancel(), QStringLiteral("Abbrechen"));
    Form1->Francais1->trigger();
    EXPECT_EQ(cancel(), QStringLiteral("Annuler"));
    Form1->English1->trigger();
    EXPECT_EQ(cancel(), QStringLiteral("Cancel"));
}

// Lines read after the language change what some captions show: the captions follow them.
TEST(LanguageAtStartup, CaptionsFollowWhatIsReadAfterTheLanguage)
{
    ASSERT_EQ(Form1, nullptr) << "each test starts without windows";
    writeFile(SettingsFilePath(), "[KESTRELON 5.2.9]\r\nLANGUAGE=F\r\nMONITOR_FILTER=1\r\nKOCHCHOICE=Y\r\n");
    shelltest::ensureWindows();
    ASSERT_NE(Form1, nullptr);
    auto *filter = Form1->findChild<QAbstractButton *>(QStringLiteral("SpeedButtonMonitorFilter"));
    ASSERT_NE(filter, nullptr);
    EXPECT_TRUE(filter->isChecked());
    EXPECT_EQ(filter->toolTip(), ForDisplay(TxtAudioFilterKeysHintIn(Language::Francais)));
    auto *lessonSet = Form1->findChild<QLabel *>(QStringLiteral("LabelCurrentLessonSet"));
    ASSERT_NE(lessonSet, nullptr);
    EXPECT_EQ(lessonSet->text(), QStringLiteral("Jeu de leçons actuel : KOCH"));
}

TEST(LanguageAtStartup, WithoutAFileTheStartIsEnglish)
{
    ASSERT_EQ(Form1, nullptr) << "each test starts without windows";
    ASSERT_FALSE(QFile::exists(SettingsFilePath()));
    shelltest::ensureWindows();
    EXPECT_EQ(Form1->windowTitle(), QStringLiteral("KESTRELON 5.2.9 - THE  MORSE  CODE  TEACHER  &  TRAINER"));
    EXPECT_TRUE(Form1->English1->isChecked());
    EXPECT_EQ(Form1->ButtonQuitter->text(), QStringLiteral("&Quit"));
}

struct ProgramCase
{
    const char *name;
    QStringList arguments;
    QByteArray fileBefore; // empty: no settings file
    const char *languageLine;
};

void PrintTo(const ProgramCase &c, std::ostream *os)
{
    *os << c.name;
}

class LanguageOfTheProgram : public ::testing::TestWithParam<ProgramCase>
{
};

// The built program runs offscreen with its own folders, is ended as a desktop would end
// it, and leaves its language in the settings file.
TEST_P(LanguageOfTheProgram, IsKeptInTheSettingsFile)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    shelltest::ProgramRun program(home.path());
    const QString iniPath = program.settingsFile();
    if (!GetParam().fileBefore.isEmpty())
        writeFile(iniPath, GetParam().fileBefore);

    ASSERT_TRUE(program.start(GetParam().arguments));
    ASSERT_TRUE(program.waitForWindow()) << program.errors().constData();
    program.signal(SIGTERM);
    EXPECT_TRUE(program.waitForQuit(5000)) << program.errors().constData();

    const QByteArray written = readFile(iniPath);
    EXPECT_TRUE(written.startsWith("[KESTRELON 5.2.9]\r\n")) << written.left(40).constData();
    EXPECT_TRUE(written.contains(QByteArray(GetParam().languageLine) + "\r\n")) << written.constData();
    EXPECT_EQ(written.count("LANGUAGE="), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Starts, LanguageOfTheProgram,
    ::testing::Values(ProgramCase{"Spanish_from_the_command_line", {QStringLiteral("/S")}, {}, "LANGUAGE=S"},
                      ProgramCase{"Hungarian_from_the_file", {}, "[KESTRELON 5.2.9]\r\nLANGUAGE=M\r\n", "LANGUAGE=M"},
                      ProgramCase{"lower_case_switch_over_the_file",
                                  {QStringLiteral("/e")},
                                  "[KESTRELON 5.2.9]\r\nLANGUAGE=F\r\n",
                                  "LANGUAGE=E"},
                      ProgramCase{"later_switch_wins", {QStringLiteral("/F"), QStringLiteral("/D")}, {}, "LANGUAGE=D"},
                      ProgramCase{"no_choice", {}, {}, "LANGUAGE=E"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
