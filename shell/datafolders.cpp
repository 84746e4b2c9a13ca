#include "shell/datafolders.h"

#include <QDir>

namespace {

// An XDG base folder: the variable when it holds an absolute path, else the default under
// the home folder (relative values are invalid by the XDG rules and are ignored).
QString xdgBase(const char *variable, const char *homeDefault)
{
    const QString value = qEnvironmentVariable(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return value;
    return QDir::homePath() + QLatin1Char('/') + QLatin1String(homeDefault);
}

} // namespace

QString DataFolder()
{
    return xdgBase("XDG_DATA_HOME", ".local/share") + QStringLiteral("/kestrelon");
}

QString SettingsFolder()
{
    return xdgBase("XDG_CONFIG_HOME", ".config") + QStringLiteral("/kestrelon");
}

bool InitDataFolder()
{
    // The settings writer creates its folder too; making it here early costs nothing and
    // lets a read-only home show up at once rather than at exit.
    QDir().mkpath(SettingsFolder());
    const QString data = DataFolder();
    if (!QDir().mkpath(data))
        return false;
    return QDir::setCurrent(data);
}
