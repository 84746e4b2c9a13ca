#include "tests/common/testsupport.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

// Every test program runs offscreen with its own configuration and data folders, so no
// test ever touches the user's files. Its home holds an ALSA configuration whose default
// device swallows the sound, so the program started by a test finds a sound device on a
// machine without a card (a test that wants no device gives its child another home).
int main(int argc, char **argv)
{
    // Offscreen, on a screen that holds every window whole at every step (the platform's own
    // is smaller than the main window at 200 %). A test that wants another screen starts a
    // child with its own configuration file.
    QTemporaryDir screens;
    const char *platform = getenv("QT_QPA_PLATFORM");
    if (!platform || std::string(platform) == "offscreen") {
        const QString path = screens.filePath(QStringLiteral("screens.json"));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(R"({"screens": [{"name": "large", "x": 0, "y": 0, "width": 3840, "height": 2400, "logicalDpi": 96}]})");
        file.close();
        setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + path).toLocal8Bit().constData(), 1);
    }
    QTemporaryDir config;
    QTemporaryDir data;
    setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    setenv("XDG_DATA_HOME", data.path().toLocal8Bit().constData(), 1);
    // A test program started by another one (a child case) keeps the home its parent gave it.
    QTemporaryDir home;
    if (!getenv("KESTRELON_TEST_HOME")) {
        QFile asoundrc(home.filePath(QStringLiteral(".asoundrc")));
        if (asoundrc.open(QIODevice::WriteOnly))
            asoundrc.write("pcm.!default { type file; slave.pcm \"null\"; file \"/dev/null\"; format \"raw\" }\n");
        asoundrc.close();
        setenv("HOME", home.path().toLocal8Bit().constData(), 1);
        setenv("KESTRELON_TEST_HOME", home.path().toLocal8Bit().constData(), 1);
        // Where the system lets PulseAudio's clients start a server (autospawn), the sound
        // library's probe of its devices would start one, and a test that wants no sound device
        // would find one. The tests' own servers are named to their clients directly.
        QFile pulse(home.filePath(QStringLiteral("pulse-client.conf")));
        if (pulse.open(QIODevice::WriteOnly))
            pulse.write("autospawn = no\n");
        pulse.close();
        setenv("PULSE_CLIENTCONFIG", pulse.fileName().toLocal8Bit().constData(), 1);
    }
    setenv("JACK_NO_START_SERVER", "1", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    testsupport::installFreshStartForEachTest();
    return RUN_ALL_TESTS();
}
