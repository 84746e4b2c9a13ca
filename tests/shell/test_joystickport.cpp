// The main window's joystick on a machine without one: the program runs on with no joystick,
// and its calibration goes to a file of its own in the data folder when the window goes.

#include "tests/shell/shelltestsupport.h"

#include "engine/devices/joystick.h"
#include "engine/keyer.h"
#include "shell/datafolders.h"
#include "shell/joystickport.h"
#include "shell/settingsfile.h"
#include "shell/startup.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <cerrno>

namespace {

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(JoystickPort, WithoutAJoystickTheCalibrationIsWrittenBesideTheOtherFilesNotIntoTheSettings)
{
    ASSERT_TRUE(InitDataFolder()); // as the program does before any window
    joystickSeams().open = [](int) { return -ENOENT; };
    shelltest::ensureWindows();
    EXPECT_FALSE(JoystickPresent);
    ASSERT_NE(Joystickex1(), nullptr);
    QuitCommand();
    DestroyAllWindows();

    const QString path = QDir(DataFolder()).filePath(QStringLiteral("kestrelon.INI"));
    EXPECT_EQ(JoystickCalibrationPath(), path);
    EXPECT_EQ(contentOf(path), QByteArray("[Range]\nMaxLeftUPX=-32767\nMaxLeftUPy=-32767\nMaxrightDownx=32767\n"
                                          "MaxrightDowny=32767\nMaxZ=32767\nMinZ=0\n[Center]\nCenterX=0\n"
                                          "CenterY=0\n"));
    const QByteArray settings = contentOf(SettingsFilePath());
    EXPECT_FALSE(settings.isEmpty());
    EXPECT_FALSE(settings.contains("[Range]"));
}

} // namespace
