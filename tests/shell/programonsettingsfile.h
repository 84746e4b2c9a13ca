#pragma once

// The program's windows started on a prepared settings file and ended by its quit command,
// for the tests of the settings keys.

#include "tests/common/fakeaudiooutput.h"
#include "tests/devices/fakeparport.h"
#include "tests/devices/fakeserialdevice.h"
#include "tests/shell/shelltestsupport.h"

#include "shell/mainwindow.h"
#include "shell/panellpt.h"
#include "shell/panelport.h"
#include "shell/settingsfile.h"
#include "shell/settingsformat.h"
#include "shell/soundcardpanel.h"
#include "shell/soundengine.h"
#include "shell/startup.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

// The program's windows made on a settings file, with a fake sound output and sound
// devices, two serial ports with a scripted device, and two parallel ports (0x378 and 0x278)
// that the kernel's driver owns; ended by the quit command.
class ProgramOnSettingsFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        SoundOutputFactory() = [] { return std::unique_ptr<AudioOutput>(std::make_unique<FakeAudioOutput>()); };
        ListInputDevices = [] { return QStringList{"In A", "In B"}; };
        ListOutputDevices = [] { return QStringList{"Out A", "Out B", "Out C"}; };
        portPanelSeams().listPorts = [] { return std::vector<std::string>{"ttyUSB0", "ttyUSB1"}; };
        portPanelSeams().makeDevice = [] { return std::unique_ptr<serialdev::SerialDevice>(std::make_unique<FakeSerialDevice>()); };
        parallelPorts(true);
        lptSeams().makeDevice = [] { return std::make_unique<FakeParport>(std::make_shared<FakeParportState>()); };
        lptSeams().beep = [] {};
    }

    // The program started on this file, as far as the end of its main block.
    void start(const std::vector<std::string> &lines)
    {
        DestroyAllWindows();
        writeSettingsFile(lines);
        shelltest::ensureWindows();
        PushSettingsIntoSideWindows();
    }

    static void writeSettingsFile(const std::vector<std::string> &lines)
    {
        QDir().mkpath(QFileInfo(SettingsFilePath()).path());
        QFile::remove(SettingsFilePath());
        QFile in(SettingsFilePath());
        ASSERT_TRUE(in.open(QIODevice::WriteOnly));
        in.write(QByteArray::fromStdString(fileOf(lines)));
        in.close();
    }

    // The settings file as it is now.
    static std::string settingsFile()
    {
        QFile out(SettingsFilePath());
        EXPECT_TRUE(out.open(QIODevice::ReadOnly));
        return out.readAll().toStdString();
    }

    // Ends the program by its quit command; what it wrote.
    std::string quit()
    {
        const int before = shelltest::terminations;
        Form1->MenuOutilsQuit->trigger();
        EXPECT_EQ(shelltest::terminations, before + 1);
        return settingsFile();
    }

    std::string startAndQuit(const std::vector<std::string> &lines)
    {
        start(lines);
        return quit();
    }

    // The values written for each key, in file order.
    std::map<std::string, std::vector<std::string>> writtenValues(const std::vector<std::string> &lines)
    {
        std::map<std::string, std::vector<std::string>> values;
        for (const settings::Line &line : settings::ParseLines(startAndQuit(lines)))
            values[line.key].push_back(line.value);
        return values;
    }

    static std::string fileOf(const std::vector<std::string> &lines)
    {
        std::string file = "[KESTRELON 5.2.9]\r\n";
        for (const std::string &line : lines)
            file += line + "\r\n";
        return file;
    }

    // The parallel ports as a kernel whose ppdev driver can (or cannot) be reached has them.
    void parallelPorts(bool reachable)
    {
        const QString root = dir.filePath(reachable ? QStringLiteral("reachable") : QStringLiteral("unreachable"));
        lptSeams().roots = MakeParportTree(root.toStdString(), {{0, "888\t890"}, {1, "632\t634"}}, reachable);
    }

    QTemporaryDir dir;
};

