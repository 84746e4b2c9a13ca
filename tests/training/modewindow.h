#pragma once

// The program's windows for the tests of the lists, messages and beacon: made afresh with the
// fake sound output, the engine idle at 12 wpm, and helpers that act as the user does.

#include "tests/common/fakeaudiooutput.h"
#include "tests/shell/shelltestsupport.h"

#include "engine/cp1252.h"
#include "shell/formdialog.h"
#include "shell/mainwindow.h"
#include "shell/opendialogs.h"
#include "shell/settingsfile.h"
#include "shell/soundengine.h"
#include "shell/startup.h"
#include "training/filetext.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QListWidget>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <string>

class ModeWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        SoundOutputFactory() = [] { return std::unique_ptr<AudioOutput>(std::make_unique<FakeAudioOutput>()); };
        shelltest::ensureWindows();
        Form1->show();
        TSoundEngine &engine = SoundEngine();
        engine.State = EngineState{};
        engine.Timings.setSpeed(12);
        engine.Timings.setStartSilence(0);
    }

    template <typename T>
    static T *control(const char *name)
    {
        return Form1->findChild<T *>(QString::fromLatin1(name));
    }
    static FakeAudioOutput &fake() { return dynamic_cast<FakeAudioOutput &>(*SoundEngine().Output); }
    static EngineState &state() { return SoundEngine().State; }
    // The characters rendered so far, one per buffer (their number, as the engine sent them).
    static std::size_t buffers() { return fake().written.size(); }

    // A click on a row of a list, as the mouse gives it.
    static void clickRow(QListWidget *list, int row, Qt::MouseButton button = Qt::LeftButton)
    {
        // The view's own scrolling (QListWidget::scrollToItem passes the character list's by).
        static_cast<QAbstractItemView *>(list)->scrollTo(list->model()->index(row, 0));
        QTest::mouseClick(list->viewport(), button, {}, list->visualItemRect(list->item(row)).center());
    }
    static std::string queue() { return state().PlayQueue; }

    // A file text loaded as the user loads it: chosen in the file mode's dialog.
    void loadFileText(const std::string &bytes)
    {
        const QString path = textFolder.filePath(QStringLiteral("text.txt"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromStdString(bytes));
        file.close();
        WarnAnsiShown = true; // the one-time warning is the message box's own test
        OpenFileDialogRunner() = [path](QFileDialog &) { return std::optional<QString>(path); };
        QTest::mouseClick(Form1->RadioButtonFile, Qt::LeftButton);
    }
    QTemporaryDir textFolder;

    // The program ends, its settings written, and starts again on that file as its main
    // block starts it.
    static void restartProgram()
    {
        ASSERT_TRUE(WriteSettingsFile());
        DestroyAllWindows();
        shelltest::ensureWindows();
        PushSettingsIntoSideWindows();
        Form1->show();
    }
    static std::string settingsFileBytes()
    {
        QFile file(SettingsFilePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    }

    // Keys as the keyboard gives them, any character (Qt's helper knows only ASCII).
    static void typeText(QWidget *widget, const QString &keys)
    {
        for (QChar ch : keys) {
            const auto code = ch.unicode() < 0x80 ? Qt::Key(QChar(ch).toUpper().unicode()) : Qt::Key_unknown;
            QKeyEvent down(QEvent::KeyPress, code, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(widget, &down);
            QKeyEvent up(QEvent::KeyRelease, code, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(widget, &up);
        }
    }
};
