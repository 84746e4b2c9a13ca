// The beacon: its message, text file and period as plain functions, and its window driven as
// the user drives it, sending on the fake sound output and keying a scripted serial port (and
// the real UART where there is one).

#include "tests/training/modewindow.h"

#include "tests/common/testsupport.h"
#include "tests/devices/fakeserialdevice.h"

#include "platform/serialports.h"
#include "shell/formdialog.h"
#include "shell/opendialogs.h"
#include "shell/settingsfile.h"
#include "shell/startup.h"
#include "shell/panelport.h"
#include "shell/settingskeys.h"
#include "shell/sidewindows.h"
#include "shell/utilities.h"
#include "training/beacon.h"
#include "training/messages.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>

#include <fstream>
#include <sys/stat.h>

namespace {

using testsupport::waitFor;

TEST(BeaconMessage, ThePartsAreJoinedByTheBreakSignBetweenBlanks)
{
    const QTime nineOhFive(9, 5);
    BeaconParts parts;
    parts.header = "VVV DE ZELMO";
    parts.time = nineOhFive;
    parts.end = "K";
    EXPECT_EQ(ComposeBeaconMessage(parts), "VVV DE ZELMO = QTR 09:05  = K");

    BeaconParts timeOnly;
    timeOnly.time = QTime(23, 59);
    EXPECT_EQ(ComposeBeaconMessage(timeOnly), " QTR 23:59 ");
    timeOnly.messages = {"", "73 de ZELMO"}; // an empty message adds no " = "
    EXPECT_EQ(ComposeBeaconMessage(timeOnly), " QTR 23:59  = 73 de ZELMO");

    BeaconParts file;
    file.fileText = "line one\r\nline two\r\n\r\nend";
    file.end = "SK";
    EXPECT_EQ(ComposeBeaconMessage(file), "line one line two  end = SK");
    EXPECT_EQ(ComposeBeaconMessage(BeaconParts{}), "");
}

TEST(BeaconFile, WhatIsLeftOutAndWhy)
{
    QTemporaryDir dir;
    const auto path = [&](const char *name) { return std::filesystem::path(dir.filePath(name).toStdString()); };
    const auto write = [&](const char *name, const std::string &bytes) {
        std::ofstream(path(name), std::ios::binary) << bytes;
        return path(name);
    };
    EXPECT_EQ(ReadBeaconFile(path("none.txt")).status, BeaconFileStatus::Missing);
    EXPECT_EQ(ReadBeaconFile(dir.path().toStdString()).status, BeaconFileStatus::Unreadable);
    EXPECT_EQ(ReadBeaconFile("/dev/zero").status, BeaconFileStatus::Unreadable);
    ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0600), 0);
    EXPECT_EQ(ReadBeaconFile(path("pipe")).status, BeaconFileStatus::Unreadable); // without waiting for a writer
    EXPECT_EQ(ReadBeaconFile(write("empty.txt", "")).status, BeaconFileStatus::Empty);

    // Each line counts with its line break, as CR LF whatever the file holds, the last line's
    // included whether the file ends in one or not: two lines of 498 make 1000.
    const std::string e498(498, 'e'), e499(499, 'e');
    for (const std::string &bytes : {e498 + "\n" + e498, e498 + "\r\n" + e498 + "\n", std::string(998, 'e')}) {
        const BeaconFile full = ReadBeaconFile(write("1000.txt", bytes));
        EXPECT_EQ(full.status, BeaconFileStatus::Ok) << bytes.size();
        EXPECT_EQ(full.text.size() + 2, 1000u) << "the text sent has no last line break";
    }
    for (const std::string &bytes : {e498 + "\n" + e499, e498 + "\r\n" + e499 + "\n", std::string(999, 'e')})
        EXPECT_EQ(ReadBeaconFile(write("1001.txt", bytes)).status, BeaconFileStatus::TooLong) << bytes.size();
    const BeaconFile lines = ReadBeaconFile(write("lines.txt", std::string("cq\ncq\r\nde\rzelmo\n")));
    EXPECT_EQ(lines.status, BeaconFileStatus::Ok);
    EXPECT_EQ(lines.text, "cq\r\ncq\r\nde\r\nzelmo");
}

TEST(BeaconPeriod, OnlyTheSevenPeriodsComeFromTheSettings)
{
    for (std::size_t i = 0; i < BeaconPeriodMinutes.size(); ++i)
        EXPECT_EQ(BeaconPeriodPosition(std::to_string(BeaconPeriodMinutes[i])), static_cast<int>(i));
    for (const char *bad : {"0", "-5", "abc", "", "7", " 5", "5 ", "600000"})
        EXPECT_EQ(BeaconPeriodPosition(bad), BeaconDefaultPosition) << bad;
}

// A serial port that logs every line switch: "+RTS", "-DTR" ...
struct LoggedDevice : FakeSerialDevice {
    int setLines(unsigned set, unsigned clear) override
    {
        const int result = FakeSerialDevice::setLines(set, clear);
        std::lock_guard g(m);
        for (auto [line, name] : {std::pair{serialdev::LineDTR, "DTR"}, std::pair{serialdev::LineRTS, "RTS"}}) {
            if (set & line)
                log += std::string(log.empty() ? "" : " ") + "+" + name;
            if (clear & line)
                log += std::string(log.empty() ? "" : " ") + "-" + name;
        }
        return result;
    }
    std::string calls()
    {
        std::lock_guard g(m);
        return log;
    }
    void clearCalls()
    {
        std::lock_guard g(m);
        log.clear();
    }
    std::string log;
};

class BeaconWindow : public ModeWindow {
protected:
    void SetUp() override
    {
        ModeWindow::SetUp();
        beacon = Beacon();
        ASSERT_NE(beacon, nullptr);
        beaconSeams().now = [] { return QTime(9, 5); };
        box = control<QLineEdit>("Editcaractere");
    }
    void TearDown() override
    {
        if (portReplaced) {
            delete PanelPort();
            portPanelSeams() = programSeams;
            CreatePortPanel(*Form1);
        }
        beaconSeams() = BeaconSeams{};
    }
    // A scripted port chosen in the port panel, PTT on RTS and CW on DTR.
    void useScriptedPort()
    {
        programSeams = portPanelSeams();
        portReplaced = true;
        delete PanelPort();
        portPanelSeams().listPorts = [] { return std::vector<std::string>{"ttyS0"}; };
        portPanelSeams().makeDevice = [this] {
            auto d = std::make_unique<LoggedDevice>();
            device = d.get();
            return std::unique_ptr<serialdev::SerialDevice>(std::move(d));
        };
        CreatePortPanel(*Form1);
        TPanelPort *panel = PanelPort();
        panel->RadioGroupCOM->Item(1)->click();
        panel->CheckBoxPTTRTS->click();
        panel->CheckBoxCWDTR->click();
        ASSERT_NE(device, nullptr);
        device->clearCalls();
    }
    void check(QCheckBox *box, bool on)
    {
        if (box->isChecked() != on)
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        ASSERT_EQ(box->isChecked(), on);
    }

    TBeacon *beacon = nullptr;
    QLineEdit *box = nullptr;
    LoggedDevice *device = nullptr;
    bool portReplaced = false;
    PortPanelSeams programSeams;
};

TEST_F(BeaconWindow, TestSendsTheComposedMessageAsATypedReplay)
{
    QTest::keyClicks(beacon->EditHeader, "VVV DE ZELMO");
    check(beacon->CheckBoxTime, true);
    check(beacon->CheckBoxMSG[2], true); // message 2 is empty: left out
    QTest::keyClicks(beacon->EditEndMsg, "K");
    beacon->EditPathTextFile->setText(QStringLiteral("/no/such/file.txt"));
    QTest::mouseClick(beacon->ButtonTest, Qt::LeftButton);

    EXPECT_EQ(box->text(), "VVV DE ZELMO = QTR 09:05  = K");
    EXPECT_EQ(BeaconMessage, "VVV DE ZELMO = QTR 09:05  = K");
    EXPECT_EQ(beacon->LabelTextError->text(), beacon->BeaconPathError);
    EXPECT_TRUE(state().BeaconSending);
    EXPECT_TRUE(state().ReplayingTypedText);

    // While it is sent, another hand-over is skipped, not queued.
    const std::string queued = queue();
    QTest::mouseClick(beacon->ButtonTest, Qt::LeftButton);
    EXPECT_EQ(queue(), queued);
    fake().finishAll();
    EXPECT_FALSE(state().BeaconSending);

    // A file chosen with Browse goes into the message, its lines apart; a folder, or a FIFO
    // that nobody writes, is refused at once.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("beacon.txt"));
    std::ofstream(path.toStdString()) << "cq\ncq\n";
    const QString fifo = dir.filePath(QStringLiteral("beacon.fifo"));
    ASSERT_EQ(::mkfifo(fifo.toStdString().c_str(), 0600), 0);
    for (const QString &refused : {dir.path(), fifo}) {
        beacon->EditPathTextFile->setText(QStringLiteral("before.txt"));
        OpenFileDialogRunner() = [&](QFileDialog &) { return std::optional<QString>(refused); };
        QTest::mouseClick(beacon->ButtonParcourir, Qt::LeftButton);
        EXPECT_EQ(beacon->LabelTextError->text(), beacon->BeaconPathError) << refused.toStdString();
        EXPECT_TRUE(beacon->EditPathTextFile->text().isEmpty()) << refused.toStdString();
    }
    OpenFileDialogRunner() = [&](QFileDialog &) { return std::optional<QString>(path); };
    QTest::mouseClick(beacon->ButtonParcourir, Qt::LeftButton);
    EXPECT_EQ(beacon->EditPathTextFile->text(), path);
    EXPECT_TRUE(beacon->LabelTextError->text().isEmpty());
    QTest::mouseClick(beacon->ButtonTest, Qt::LeftButton);
    EXPECT_EQ(box->text(), "VVV DE ZELMO = QTR 09:05  = cq cq = K");
    fake().finishAll();

    // Text typed and being sent is not cleared by a hand-over either.
    box->setFocus();
    QTest::keyClicks(box, "ab");
    QTest::mouseClick(beacon->ButtonTest, Qt::LeftButton);
    EXPECT_EQ(box->text(), "VVV DE ZELMO = QTR 09:05  = cq cq = Kab");
    EXPECT_EQ(queue(), "ab");
}

TEST_F(BeaconWindow, ThePeriodFollowsTheUpDownAndTheSettingsFile)
{
    beaconSeams().msPerMinute = 10;
    for (int position = 0; position <= 6; ++position) {
        beacon->UpDownperiode->setValue(position);
        EXPECT_EQ(beacon->Edit1->text().toInt(), BeaconPeriodMinutes[position]);
        EXPECT_EQ(beacon->TimerPeriode->interval(), BeaconPeriodMinutes[position] * 10);
    }

    // A period that is none of the seven gives five minutes, never a continuous beacon.
    beaconSeams() = BeaconSeams{};
    Settings().read({{"BEACON=", "1"}, {"BPERTIME=", "0"}, {"BHEADER=", "VVV"}, {"BMSG3=", "1"}});
    EXPECT_TRUE(beacon->CheckBoxBalise->isChecked());
    EXPECT_EQ(beacon->Edit1->text(), "5");
    EXPECT_TRUE(beacon->TimerPeriode->isActive());
    EXPECT_EQ(beacon->TimerPeriode->interval(), 5 * 60000);
    std::map<std::string, std::string> written;
    for (const settings::Line &line : Settings().write())
        written[line.key] = line.value;
    EXPECT_EQ(written["BEACON="], "1");
    EXPECT_EQ(written["BPERTIME="], "5");
    EXPECT_EQ(written["BHEADER="], "VVV");
    EXPECT_EQ(written["BMSG3="], "1");
    EXPECT_EQ(written.count("BMSG2="), 0u);

    // A beacon left on runs again in the next window, from the first read.
    DestroyAllWindows();
    QDir().mkpath(QFileInfo(SettingsFilePath()).path());
    QFile file(SettingsFilePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[KESTRELON 5.2.9]\r\nBEACON=1\r\nBPERTIME=2\r\n");
    file.close();
    shelltest::ensureWindows();
    ASSERT_NE(Beacon(), nullptr);
    EXPECT_TRUE(Beacon()->TimerPeriode->isActive());
    EXPECT_EQ(Beacon()->TimerPeriode->interval(), 2 * 60000);
}

TEST_F(BeaconWindow, EnlargedThePeriodsUpDownShowsOnlyItsArrowsAndStillStepsThePeriod)
{
    ASSERT_TRUE(ClickMenuItem(control<QAction>("MenuAgrandir150")));
    FormBalise->show();
    QApplication::processEvents();
    QSpinBox *upDown = beacon->UpDownperiode;
    ASSERT_GT(upDown->width(), 20); // wider than its arrows
    EXPECT_EQ(upDown->text(), QString());
    EXPECT_EQ(beacon->Edit1->text().toInt(), BeaconPeriodMinutes[BeaconDefaultPosition]);

    QTest::keyClick(upDown, Qt::Key_Up);
    EXPECT_EQ(beacon->Edit1->text().toInt(), BeaconPeriodMinutes[BeaconDefaultPosition + 1]);
    QTest::keyClick(upDown, Qt::Key_Return); // its empty text changes nothing
    EXPECT_EQ(upDown->value(), BeaconDefaultPosition + 1);
    EXPECT_EQ(upDown->text(), QString());
    // The arrows fill it: its left edge steps too, up in the upper half, down in the lower.
    QTest::mouseClick(upDown, Qt::LeftButton, {}, QPoint(1, 2));
    EXPECT_EQ(beacon->Edit1->text().toInt(), BeaconPeriodMinutes[BeaconDefaultPosition + 2]);
    for (int i = 0; i < 2; ++i)
        QTest::mouseClick(upDown, Qt::LeftButton, {}, QPoint(1, upDown->height() - 3));
    EXPECT_EQ(beacon->Edit1->text().toInt(), BeaconPeriodMinutes[BeaconDefaultPosition]);
    FormBalise->hide();
    ClickMenuItem(Form1->MenuAgrandir100);
}

TEST_F(BeaconWindow, ATwoSecondPeriodSendsTwiceAndStopEndsItWithTheLinesDown)
{
    useScriptedPort();
    beaconSeams().msPerMinute = 1000; // the two-minute period lasts 2 s
    beacon->UpDownperiode->setValue(0);
    beacon->EditHeader->setText(QStringLiteral("EEE"));
    QElapsedTimer clock;
    clock.start();
    check(beacon->CheckBoxBalise, true);

    // Timed where they happen, at the period's end (the beacon's own handler runs first): a
    // busy machine may see the polling below late, never the period early.
    std::vector<qint64> handOvers;
    QObject watching; // the connection ends with the test
    QObject::connect(beacon->TimerPeriode, &QTimer::timeout, &watching, [&] {
        if (state().BeaconSending)
            handOvers.push_back(clock.elapsed());
    });
    const bool twice = waitFor([&] {
        if (handOvers.size() < 2)
            fake().finishAll(); // the first message plays out
        return handOvers.size() == 2 && !fake().written.empty();
    }, 15000);
    ASSERT_TRUE(twice) << handOvers.size() << " hand-overs";
    // A window timer may end a little early.
    EXPECT_GE(handOvers[0], 1700);
    EXPECT_GE(handOvers[1] - handOvers[0], 1700);
    EXPECT_TRUE(device->raised() & serialdev::LineRTS) << "PTT is up while the beacon sends";

    QTest::mouseClick(Form1->ButtonStop, Qt::LeftButton);
    fake().finishAll();
    EXPECT_TRUE(waitFor([&] { return device->raised() == 0; }, 3000)) << device->calls();
    EXPECT_EQ(PanelPort()->Keying.PTTOn, 0);
    EXPECT_FALSE(state().BeaconSending);
    check(beacon->CheckBoxBalise, false);
    EXPECT_FALSE(beacon->TimerPeriode->isActive());
}

TEST_F(BeaconWindow, WithKeyOffOnlyTheBeaconsTextKeysTheTransmitter)
{
    useScriptedPort();
    check(beacon->CheckBoxKeyOff, true);
    box->setFocus();
    QTest::keyClicks(box, "e");
    fake().finishAll();
    EXPECT_TRUE(waitFor([&] { return buffers() == 1 && !Form1->TimerTXDelay->isActive(); }));
    EXPECT_EQ(device->calls().find('+'), std::string::npos) << "ordinary text keyed " << device->calls();

    device->clearCalls();
    beacon->EditHeader->setText(QStringLiteral("E"));
    QTest::mouseClick(beacon->ButtonTest, Qt::LeftButton);
    EXPECT_TRUE(waitFor([&] { return device->calls() == "+RTS +DTR"; }, 3000)) << device->calls();
    ASSERT_TRUE(waitFor([&] { return buffers() == 2; }));
    fake().finishAll();
    EXPECT_TRUE(waitFor([&] { return device->raised() == 0; }, 3000)) << device->calls();
}

// The real UART of this machine: after the beacon is stopped both lines are low.
class BeaconUart : public BeaconWindow {};

TEST_F(BeaconUart, LinesAreLowAfterTheBeaconIsStopped)
{
    if (!QFile::exists(QStringLiteral("/dev/ttyS0")) || !serialports::IsSerialPortName("ttyS0"))
        GTEST_SKIP() << "no UART at /dev/ttyS0";
    TPanelPort *panel = PanelPort();
    const shelltest::PortChoice choice = shelltest::chooseTtyS0();
    ASSERT_NE(choice, shelltest::PortChoice::NotListed);
    if (choice == shelltest::PortChoice::Held)
        GTEST_SKIP() << "ttyS0 is held by another program";
    if (!panel->CheckBoxPTTRTS->isChecked())
        panel->CheckBoxPTTRTS->click();
    if (!panel->CheckBoxCWDTR->isChecked())
        panel->CheckBoxCWDTR->click();
    const auto levels = [&] {
        unsigned lines = 0;
        EXPECT_EQ(panel->Keying.ComPortKeyer.Device().modemLines(lines), 0);
        return lines & (serialdev::LineDTR | serialdev::LineRTS);
    };

    beacon->EditHeader->setText(QStringLiteral("TTTTT"));
    QTest::mouseClick(beacon->ButtonTest, Qt::LeftButton);
    EXPECT_TRUE(waitFor([&] { return (levels() & serialdev::LineDTR) != 0; }, 3000)) << "the first dash keys CW";
    EXPECT_NE(levels() & serialdev::LineRTS, 0u);
    QTest::mouseClick(Form1->ButtonStop, Qt::LeftButton);
    fake().finishAll();
    EXPECT_TRUE(waitFor([&] { return levels() == 0; }, 3000));
    EXPECT_FALSE(state().BeaconSending);
    panel->RadioGroupCOM->Item(0)->click();
}

} // namespace
