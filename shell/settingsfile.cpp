#include "shell/settingsfile.h"

#include "shell/formdialog.h"
#include "shell/languages/messages.h"
#include "shell/settingsformat.h"
#include "shell/settingskeys.h"
#include "shell/settingsstorage.h"
#include "shell/shellsettingskeys.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>

namespace {

// Set when the file exists but could not be read: writing defaults over it would lose it.
bool readFailed = false;

std::function<void()> failureReporter;

void reportFailure(const std::string &why)
{
    std::fprintf(stderr, "kestrelon: Can't create kestrelon.ini ! (%s)\n", why.c_str());
    if (failureReporter)
        failureReporter();
    else
        ShowProgramMessage(MsgCannotCreateSettings());
}

} // namespace

void BindProgramSettingsKeys()
{
    // Binding a key again replaces its row, so this may run more than once.
    BindShellSettingsKeys(Settings());
}

QString SettingsFilePath()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base + QStringLiteral("/kestrelon/kestrelon.ini");
}

void SetSettingsFailureReporter(std::function<void()> report)
{
    failureReporter = std::move(report);
}

void ReadSettingsFile()
{
    BindProgramSettingsKeys();
    const std::string path = QFile::encodeName(SettingsFilePath()).toStdString();
    settings::ReadResult file = settings::ReadWholeFile(path);
    readFailed = file.status == settings::ReadStatus::Unreadable;
    if (readFailed)
        std::fprintf(stderr, "kestrelon: settings not read, %s\n", file.error.c_str());
    Settings().read(settings::ParseLines(file.bytes));
}

bool WriteSettingsFile()
{
    const QString filePath = SettingsFilePath();
    const std::string path = QFile::encodeName(filePath).toStdString();
    if (readFailed) {
        reportFailure("the existing file could not be read at start and is left alone");
        return false;
    }
    QDir().mkpath(QFileInfo(filePath).absolutePath());
    std::string error;
    if (!settings::WriteFileSafely(path, settings::FormatFile(Settings().write()), &error)) {
        reportFailure(error);
        return false;
    }
    return true;
}
