// Where the open dialogs of the user's own files start, seen through the windows: a text, a
// word list, a lesson import and the beacon's text each start in the folder of the last file of
// their kind, else in the home folder, and never in the hidden data folder.

#include "tests/training/modewindow.h"

#include "shell/opendialogs.h"
#include "training/beacon.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

#include <optional>
#include <string>

namespace {

class OpenDialogs : public ModeWindow {
protected:
    void SetUp() override
    {
        ModeWindow::SetUp();
        ASSERT_TRUE(folders.isValid());
        WarnAnsiShown = true; // the one-time warning is the message box's own test
        OpenFileDialogRunner() = [this](QFileDialog &dialog) {
            start = dialog.directory().absolutePath().toStdString();
            return std::exchange(answer, std::nullopt);
        };
    }

    std::string folder(const char *name) const
    {
        return folders.filePath(QString::fromLatin1(name)).toStdString();
    }
    // A file made for the test in a folder of its own.
    QString file(const char *inFolder, const std::string &content)
    {
        QDir().mkpath(QString::fromStdString(folder(inFolder)));
        QFile out(QString::fromStdString(folder(inFolder) + "/file.txt"));
        out.open(QIODevice::WriteOnly);
        out.write(content.data(), static_cast<qint64>(content.size()));
        return out.fileName();
    }

    enum Kind { Text, WordList, Import, BeaconFile };
    // Opens the dialog of `kind`, answered with `answer` (nothing: Cancel); the folder it
    // started in.
    std::string open(Kind kind)
    {
        start.clear();
        if (kind == Text) {
            QTest::mouseClick(Form1->RadioButtonFile, Qt::LeftButton);
        } else if (kind == WordList) {
            control<QAction>("MenuListWords")->trigger();
        } else if (kind == Import) {
            control<QAction>("MenuImportlessons")->trigger();
            control<QPushButton>("BitBtnImportLessons")->click();
        } else {
            Beacon()->ButtonParcourir->click();
        }
        return start;
    }

    QTemporaryDir folders;
    std::string start;
    std::optional<QString> answer;
};

TEST_F(OpenDialogs, EachKindStartsInTheFolderOfItsLastFileElseAtHome)
{
    const std::string home = QDir::homePath().toStdString();
    EXPECT_EQ(open(Text), home);
    EXPECT_EQ(open(WordList), home);
    EXPECT_EQ(open(Import), home);
    EXPECT_EQ(open(BeaconFile), home);

    // A text taken from "texts": the import starts there too until a lesson file is taken;
    // the word list keeps to its own kind.
    answer = file("texts", "cq cq");
    open(Text);
    EXPECT_EQ(control<QPlainTextEdit>("FileEdit")->toPlainText(), "cq cq");
    EXPECT_EQ(open(Text), folder("texts"));
    EXPECT_EQ(open(Import), folder("texts"));
    EXPECT_EQ(open(WordList), home);

    answer = file("lessons", "abc\r\n");
    open(Import);
    EXPECT_EQ(open(Import), folder("lessons"));
    EXPECT_EQ(open(Text), folder("texts"));

    answer = file("beacon", "de zelmo");
    open(BeaconFile);
    EXPECT_EQ(Beacon()->EditPathTextFile->text().toStdString(), folder("beacon") + "/file.txt");
    Beacon()->EditPathTextFile->setText(file("typed", "k"));
    EXPECT_EQ(open(BeaconFile), folder("beacon"))
        << "where the last Browse went, not the typed path";

    // The next run: the text folder is kept in the settings, the import's only for the run; the
    // beacon starts where the file it keeps is.
    restartProgram();
    EXPECT_EQ(open(Text), folder("texts"));
    EXPECT_EQ(open(Import), folder("texts"));
    EXPECT_EQ(open(BeaconFile), folder("typed"));

    // A folder that has gone since: home again.
    ASSERT_TRUE(QDir(QString::fromStdString(folder("texts"))).removeRecursively());
    EXPECT_EQ(open(Text), home);
}

TEST_F(OpenDialogs, TheTextDialogNamesItsKindsPlainlyAndListsThemInAnyCase)
{
    const QString texts = QString::fromStdString(folder("any case"));
    QDir().mkpath(texts);
    for (const char *name : {"CAPITALS.TXT", "Mixed.Kst", "small.txt", "picture.png"})
        ASSERT_TRUE(QFile(texts + QLatin1Char('/') + QLatin1String(name)).open(QIODevice::WriteOnly));
    QStringList filters, listed;
    OpenFileDialogRunner() = [&](QFileDialog &dialog) -> std::optional<QString> {
        filters = dialog.nameFilters();
        dialog.setDirectory(texts);
        // What the dialog's list shows once it has read the folder.
        auto *view = dialog.findChild<QListView *>(QStringLiteral("listView"));
        EXPECT_TRUE(view && QTest::qWaitFor([&] { return view->model()->rowCount(view->rootIndex()) >= 3; }));
        for (int row = 0; view && row < view->model()->rowCount(view->rootIndex()); ++row)
            listed << view->model()->index(row, 0, view->rootIndex()).data().toString();
        return std::nullopt;
    };
    open(Text);
    ASSERT_FALSE(filters.isEmpty());
    EXPECT_TRUE(filters.first().endsWith(QStringLiteral("(*.txt *.kst)"))) << filters.first().toStdString();
    listed.sort();
    EXPECT_EQ(listed, (QStringList{"CAPITALS.TXT", "Mixed.Kst", "small.txt"})) << listed.join(' ').toStdString();
}

} // namespace
