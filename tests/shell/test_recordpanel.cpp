// Recording the typing box as a WAV file from the Tools menu: the size shown, the file
// written, the clipboard hand-off and the outside converter, and what the user is told when
// something is in the way.

#include "tests/common/fakeaudiooutput.h"
#include "tests/common/testsupport.h"
#include "tests/shell/shelltestsupport.h"

#include "shell/formdialog.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"
#include "shell/recordpanel.h"
#include "shell/soundengine.h"
#include "shell/speedcontrol.h"
#include "engine/timing.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <sys/stat.h>

namespace {

const bool fakeSound = shelltest::useFakeSound();

class RecordPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fakeSound);
        shelltest::ensureWindows();
        Form1->setEnabled(true); // a quit tested before disables the window
        MessagesToStandardError = false;
        ASSERT_TRUE(folder.isValid());
        previous = QDir::currentPath();
        QDir::setCurrent(folder.path()); // the program folder
        panel = RecordPanel();
        ASSERT_TRUE(panel);
        box = Form1->findChild<QLineEdit *>(QStringLiteral("Editcaractere"));
        box->setReadOnly(false);
        box->setText(QStringLiteral("e"));
        SoundEngine().State = EngineState{};
        SoundEngine().Timings = Timing{};
        SetSpeed(12);
        panel->RadioButtonStereo16->setChecked(true);
        panel->Format = WavFormat{};
        panel->ComboBoxFrequence->setCurrentIndex(1);
        panel->CheckBoxMP3->setChecked(false);
        ChooseRecordFile = [this](const QString &suggested) {
            suggestedPath = suggested;
            return chosen;
        };
        chosen = folder.filePath(QStringLiteral("Text1.wav"));
    }
    void TearDown() override
    {
        panel->BitBtnNoRecordClick();
        box->clear();
        QDir::setCurrent(previous);
    }
    // A message the step shows, answered with OK.
    QString messageOf(const std::function<void()> &step)
    {
        QString said;
        shelltest::whenDialogShown([&] {
            said = shelltest::dialogText();
            FormDialog->ButtonOK->click();
        });
        step();
        return said;
    }

    QTemporaryDir folder;
    QString previous, chosen, suggestedPath;
    TPanelTextRecord *panel = nullptr;
    QLineEdit *box = nullptr;
};

TEST_F(RecordPanelTest, TheMenuShowsTheSizeOfEachFormatAndFollowsTheSpeed)
{
    Form1->findChild<QAction *>(QStringLiteral("MenuSaveTextWave"))->trigger();
    ASSERT_FALSE(panel->isHidden());
    EXPECT_TRUE(box->isReadOnly());
    EXPECT_EQ(panel->LabelValeurTailleFichier->text(), QStringLiteral("83 320  bytes"));
    EXPECT_EQ(panel->Label13->text(), QStringLiteral("FE=1  CA=2  BI=16"));
    panel->RadioButtonMono16->click();
    EXPECT_EQ(panel->LabelValeurTailleFichier->text(), QStringLiteral("41 660  bytes"));
    panel->RadioButtonStereo8->click();
    panel->ComboBoxFrequence->setCurrentIndex(0);
    emit panel->ComboBoxFrequence->activated(0);
    EXPECT_EQ(panel->LabelValeurTailleFichier->text(), QStringLiteral("20 820  bytes"));
    EXPECT_EQ(panel->Label13->text(), QStringLiteral("FE=2  CA=2  BI=8"));
    // A speed change while the panel is open: at 16 wpm " e" is 10 gaps of 781 frames.
    SetSpeed(16);
    EXPECT_EQ(panel->LabelValeurTailleFichier->text(), QStringLiteral("15 620  bytes"));

    QTest::mouseClick(panel->BitBtnNoRecord, Qt::LeftButton);
    EXPECT_TRUE(panel->isHidden());
    EXPECT_FALSE(box->isReadOnly());
}

TEST_F(RecordPanelTest, NothingToRecordOrSomethingPlayingIsSaid)
{
    box->clear();
    EXPECT_EQ(messageOf([&] { panel->MenuSaveTextWaveClick(); }), MsgNothingToRecord());
    EXPECT_TRUE(panel->isHidden());
    box->setText(QStringLiteral("e"));
    SoundEngine().State.PlayQueue = "x";
    EXPECT_EQ(messageOf([&] { panel->MenuSaveTextWaveClick(); }), "Stop playing before recording !");
    EXPECT_TRUE(panel->isHidden());
}

TEST_F(RecordPanelTest, YesWritesTheFileAndHandsItsPathToTheConverter)
{
    panel->MenuSaveTextWaveClick();
    panel->RadioButtonMono16->click();
    // The file's data come from the text as it is when Yes is pressed.
    box->setReadOnly(false);
    box->setText(QStringLiteral("ee"));
    QTest::mouseClick(panel->BitBtnYesRecord, Qt::LeftButton);
    EXPECT_EQ(suggestedPath, QDir::current().filePath(QStringLiteral("Text1.wav")));
    QFile file(chosen);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray wav = file.readAll();
    EXPECT_EQ(wav.size(), 44 + 41660 + 4 * 2083 * 2);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("KESTRELON:") + chosen);
    EXPECT_TRUE(panel->isHidden());
    EXPECT_FALSE(box->isReadOnly());

    // Asked for, a converter that is not there is named; one that is, is started.
    panel->MenuSaveTextWaveClick();
    panel->CheckBoxMP3->setChecked(true);
    const QString missing = messageOf([&] { QTest::mouseClick(panel->BitBtnYesRecord, Qt::LeftButton); });
    EXPECT_TRUE(missing.contains(QDir::current().filePath(QStringLiteral("TARNVOX")))) << missing.toStdString();

    QFile converter(QDir::current().filePath(QStringLiteral("TARNVOX")));
    ASSERT_TRUE(converter.open(QIODevice::WriteOnly));
    converter.write("#!/bin/sh\necho started > converter-ran\n");
    converter.close();
    converter.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    panel->MenuSaveTextWaveClick();
    QTest::mouseClick(panel->BitBtnYesRecord, Qt::LeftButton);
    EXPECT_TRUE(testsupport::waitFor([] { return QFile::exists(QStringLiteral("converter-ran")); }, 10000));
}

// A FIFO (or a device) chosen as the file is no file that a test read can open: it is
// reported, left as it is, and nothing waits for a writer.
TEST_F(RecordPanelTest, AFifoChosenAsTheFileIsReportedAndLeftAlone)
{
    chosen = folder.filePath(QStringLiteral("Text1.fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(chosen).constData(), 0600), 0);
    panel->MenuSaveTextWaveClick();
    EXPECT_EQ(messageOf([&] { QTest::mouseClick(panel->BitBtnYesRecord, Qt::LeftButton); }),
              QStringLiteral("Err %1 : File error").arg(EINVAL));
    EXPECT_TRUE(panel->isHidden());
    struct stat st {};
    EXPECT_TRUE(::stat(QFile::encodeName(chosen).constData(), &st) == 0 && S_ISFIFO(st.st_mode));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot).size(), 1);
}

TEST_F(RecordPanelTest, AFileThatCannotBeWrittenIsReported)
{
    chosen = folder.filePath(QStringLiteral("no folder/Text1.wav"));
    panel->MenuSaveTextWaveClick();
    const QString said = messageOf([&] { QTest::mouseClick(panel->BitBtnYesRecord, Qt::LeftButton); });
    EXPECT_EQ(said, QStringLiteral("Err 2 : Write error"));
    EXPECT_FALSE(QFile::exists(chosen));

    // A file that is there but cannot even be read (here: below a file) is left alone.
    QFile plain(folder.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    chosen = folder.filePath(QStringLiteral("plain/Text1.wav"));
    panel->MenuSaveTextWaveClick();
    EXPECT_EQ(messageOf([&] { QTest::mouseClick(panel->BitBtnYesRecord, Qt::LeftButton); }),
              QStringLiteral("Err %1 : File error").arg(ENOTDIR));
    EXPECT_TRUE(panel->isHidden());
    ASSERT_TRUE(plain.remove());

    // Cancel in the dialog writes nothing.
    chosen.clear();
    QTest::mouseClick(panel->BitBtnYesRecord, Qt::LeftButton);
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty());
}

} // namespace
