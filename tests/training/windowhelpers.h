#pragma once

// Helpers of the tests that drive random practice, lessons and the exam in the program's own
// window: the fake sound output, controls and menu items by name, a settings file read as
// lines, and a file dialog answered as a user would.

#include "tests/common/fakeaudiooutput.h"
#include "tests/shell/shelltestsupport.h"

#include "shell/mainwindow.h"
#include "shell/settingskeys.h"
#include "shell/soundengine.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QTimer>

#include <initializer_list>
#include <memory>
#include <string>

namespace windowtest {

// Every window made in these programs plays into the fake output.
inline const bool FakeSoundInstalled = shelltest::useFakeSound();

using shelltest::fake;

using shelltest::control;

inline QAction *item(const char *name)
{
    return control<QAction>(name);
}

// The lines as a settings file holds them after its header, read into the program.
inline void readSettings(std::initializer_list<std::string> lines)
{
    std::string file = "[KESTRELON 5.2.9]\r\n";
    for (const std::string &line : lines)
        file += line + "\r\n";
    Settings().read(settings::ParseLines(file));
}

// Answers the next file dialog that opens with `path`, as long as it lives.
class FileDialogAnswer {
public:
    explicit FileDialogAnswer(const QString &path)
    {
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this, path] {
            for (QWidget *window : QApplication::topLevelWidgets()) {
                if (auto *dialog = qobject_cast<QFileDialog *>(window); dialog && dialog->isVisible()) {
                    m_timer.stop();
                    dialog->selectFile(path);
                    static_cast<QDialog *>(dialog)->accept();
                    return;
                }
            }
        });
        m_timer.start(5);
    }

private:
    QTimer m_timer;
};

} // namespace windowtest
