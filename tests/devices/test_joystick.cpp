// The joystick component: its properties and scaling, the button words, the calibration file,
// and the real reader fed with js_event records through a pipe in place of /dev/input/js0.

#include "engine/devices/joystick.h"
#include "tests/common/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using testsupport::waitFor;

namespace {

struct ButtonSeen {
    int button;
    bool pressed;
    int x, y;
    TJoystickex::Clock::time_point at;
    bool operator==(const ButtonSeen &o) const { return button == o.button && pressed == o.pressed; }
};

void record(TJoystickex &joystick, std::vector<ButtonSeen> &seen)
{
    for (int k = 0; k < 4; ++k)
        joystick.OnButtonChange[k] = [&seen, k](TJoystickex *, bool pressed, int x, int y,
                                                TJoystickex::Clock::time_point at) {
            seen.push_back({k + 1, pressed, x, y, at});
        };
}

TEST(Joystick, PropertiesAreHeldAndReadingsScaleAgainstTheRange)
{
    TJoystickex j;
    QTemporaryDir noDevices;
    j.OpenDevice = [&](int id) { return joystickdev::OpenJoystick(id, noDevices.path().toStdString()); };
    EXPECT_FALSE(j.CaptureJoystick()); // no js0 there
    j.SetEventThreshold(25);
    EXPECT_EQ(j.EventThreshold(), 10);
    j.SetEventThreshold(-1);
    EXPECT_EQ(j.EventThreshold(), 0);
    j.SetXScaledBy(0);
    EXPECT_EQ(j.XScaledBy(), 1);
    j.SetXScaledBy(400);

    // The whole -32767..32767 range onto -400..400 and -300..300.
    EXPECT_EQ(j.ScaleJoystickX(32767), 400);
    EXPECT_EQ(j.ScaleJoystickX(-32767), -400);
    EXPECT_EQ(j.ScaleJoystickX(16384), 200);
    EXPECT_EQ(j.ScaleJoystickY(-32767), -300);

    // A range narrower than the scale: the factor stays 1, readings pass unchanged.
    j.MaxRightDownX = 100;
    j.UpdateJoystickRanges();
    EXPECT_EQ(j.ScaleJoystickX(50), 50);

    // A throttle of one value gives 0 instead of a division by zero; MaxZ 0 means full scale.
    j.MinZ = j.MaxZ = 5;
    j.UpdateJoystickRanges();
    EXPECT_EQ(j.ScaleJoystickZ(30000), 0);
    j.MinZ = 0;
    j.MaxZ = 0;
    j.UpdateJoystickRanges();
    EXPECT_EQ(j.MaxZ, 32767);
    EXPECT_EQ(j.ScaleJoystickZ(32767), 100);

    // Calibrating: moves widen the ranges, and Z moves widen Z.
    j.IsCalibrating = true;
    j.MoveMessage(20000, -40000, 0);
    EXPECT_EQ(j.MaxRightDownX, 20000);
    EXPECT_EQ(j.MaxLeftUpY, -40000);
    j.ZMoveMessage(-10, 0);
    EXPECT_EQ(j.MinZ, -10);
}

TEST(Joystick, AButtonWordRaisesTheEventsOfTheButtonsThatChanged)
{
    TJoystickex j;
    std::vector<ButtonSeen> seen;
    record(j, seen);
    j.ButtonMessage(0x300 | 1, 0, 0, {});
    EXPECT_EQ(seen, (std::vector<ButtonSeen>{{1, true, 0, 0, {}}, {2, false, 0, 0, {}}}));
}

// A pipe in place of the device: records written into it reach the real reader.
class JoystickPipe : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(::pipe2(ends, O_CLOEXEC | O_NONBLOCK), 0);
        joystick.OpenDevice = [this](int) { return ::fcntl(ends[0], F_DUPFD_CLOEXEC, 0); };
        record(joystick, seen);
        ASSERT_TRUE(joystick.CaptureJoystick());
    }
    void TearDown() override
    {
        joystick.ReleaseJoystick();
        ::close(ends[0]);
        if (ends[1] >= 0)
            ::close(ends[1]);
    }
    void send(std::initializer_list<joystickdev::Event> events)
    {
        const std::vector<joystickdev::Event> records(events);
        ASSERT_EQ(::write(ends[1], records.data(), records.size() * sizeof(joystickdev::Event)),
                  ssize_t(records.size() * sizeof(joystickdev::Event)));
    }
    static joystickdev::Event button(int number, bool down, bool init = false)
    {
        return {0, std::int16_t(down ? 1 : 0),
                std::uint8_t(joystickdev::EventButton | (init ? joystickdev::EventInit : 0)), std::uint8_t(number)};
    }
    static joystickdev::Event axis(int number, int value, bool init = false)
    {
        return {0, std::int16_t(value), std::uint8_t(joystickdev::EventAxis | (init ? joystickdev::EventInit : 0)),
                std::uint8_t(number)};
    }
    // Waits until the reader has taken everything written.
    bool drained()
    {
        return waitFor([this] {
            int pending = 0;
            return ::ioctl(ends[0], FIONREAD, &pending) == 0 && pending == 0;
        });
    }

    int ends[2] = {-1, -1};
    TJoystickex joystick;
    std::vector<ButtonSeen> seen;
};

TEST_F(JoystickPipe, ButtonRecordsRaiseTheirEventsAndTheOpeningBurstNone)
{
    joystick.CalAutoSave = false;
    // Button 1 held and the stick off centre when the device opened: state only.
    send({button(0, true, true), button(1, false, true), axis(0, 32767, true), axis(1, 0, true)});
    ASSERT_TRUE(drained());
    EXPECT_TRUE(seen.empty());

    const auto before = TJoystickex::Clock::now();
    send({button(0, false), button(1, true), button(1, false)});
    // A record split over two writes is put back together.
    const joystickdev::Event down = button(0, true);
    ASSERT_EQ(::write(ends[1], &down, 3), 3);
    ASSERT_TRUE(drained());
    ASSERT_EQ(::write(ends[1], reinterpret_cast<const char *>(&down) + 3, sizeof down - 3), ssize_t(sizeof down - 3));
    ASSERT_TRUE(waitFor([this] { return seen.size() == 4; }));
    EXPECT_EQ(seen, (std::vector<ButtonSeen>{{1, false, 0, 0, {}}, {2, true, 0, 0, {}}, {2, false, 0, 0, {}},
                                             {1, true, 0, 0, {}}}));
    // The stick's position as the opening burst left it, scaled; stamped when read.
    EXPECT_EQ(seen[0].x, 400);
    EXPECT_EQ(seen[0].y, 0);
    EXPECT_GE(seen[0].at, before);
    EXPECT_LE(seen[3].at, TJoystickex::Clock::now());
    // Buttons beyond the fourth are nobody's.
    send({button(7, true)});
    ASSERT_TRUE(drained());
    EXPECT_EQ(seen.size(), 4u);
}

TEST_F(JoystickPipe, SmallMovesStayUnderTheThreshold)
{
    std::vector<std::pair<int, int>> moves;
    joystick.JoyMove = [&](TJoystickex *, int x, int y, unsigned, bool) { moves.emplace_back(x, y); };
    joystick.SetEventThreshold(1); // 1 % of the span: 655 units
    send({axis(0, 600), axis(1, -300), axis(0, 32767)});
    ASSERT_TRUE(waitFor([&] { return !moves.empty(); }));
    ASSERT_TRUE(drained());
    EXPECT_EQ(moves, (std::vector<std::pair<int, int>>{{400, -3}}));
}

TEST_F(JoystickPipe, ADeviceThatGoesIsClosedItsHeldButtonsReleasedAndSaidOnce)
{
    std::vector<int> lost;
    joystick.OnLost = [&](TJoystickex *, int error) { lost.push_back(error); };
    send({button(1, true)});
    ASSERT_TRUE(waitFor([this] { return seen.size() == 1; }));
    ::close(ends[1]);
    ends[1] = -1;
    ASSERT_TRUE(waitFor([&] { return !lost.empty(); }));
    waitFor([] { return false; }, 100);
    EXPECT_EQ(lost, std::vector<int>{ENODEV});
    EXPECT_FALSE(joystick.Captured());
    EXPECT_EQ(seen, (std::vector<ButtonSeen>{{2, true, 0, 0, {}}, {2, false, 0, 0, {}}}));
}

TEST(Joystick, TheCalibrationIsWrittenAtTheEndAndReadHeldToTheRange)
{
    QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath(QStringLiteral("kestrelon.INI"));
    {
        TJoystickex j;
        j.CalibrationFile = path;
        j.CenterX = 12;
        j.MinZ = -5;
    }
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray("[Range]\nMaxLeftUPX=-32767\nMaxLeftUPy=-32767\nMaxrightDownx=32767\n"
                                            "MaxrightDowny=32767\nMaxZ=32767\nMinZ=-5\n[Center]\nCenterX=12\n"
                                            "CenterY=0\n"));
    written.close();

    // Section and key names in any case; values out of range held, garbage passed over.
    QFile edited(path);
    ASSERT_TRUE(edited.open(QIODevice::WriteOnly));
    edited.write("[RANGE]\r\nmaxleftupx = -99999\r\nMaxrightDownx=12abc\r\nMaxZ=0\r\n[center]\r\nCENTERY=40000\r\n");
    edited.close();
    TJoystickex j;
    j.CalAutoSave = false;
    j.CalibrationFile = path;
    j.SetCalAutoLoad(true);
    EXPECT_EQ(j.MaxLeftUpX, -32767);
    EXPECT_EQ(j.MaxRightDownX, 32767);
    EXPECT_EQ(j.CenterY, 32767);
    EXPECT_EQ(j.MaxZ, 32767); // 0 stands for full scale
    EXPECT_EQ(j.ScaleJoystickY(0), -150); // the centre moved to the bottom: halfway up
    // A FIFO in the file's place is not waited for; what was read stays.
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    j.SetCalAutoLoad(true);
    EXPECT_EQ(j.CenterY, 32767);
}

} // namespace
