#pragma once

// TJoystickex: a game-port joystick delivered to the program as events: button changes, stick
// moves and throttle (Z) moves, the stick optionally scaled against a calibrated range that
// the calibration file keeps.
//
// On Linux the joystick is /dev/input/jsN, read on the user-interface thread through a socket
// notifier, so every event runs there. Capturing opens the device; its opening burst of
// current states (the init records) only sets the state, so a button held at start is no
// press. A device that goes away (a read error, or the end of the stream) is closed, the
// buttons it held are released, and OnLost says so once.

#include "platform/joystickdevice.h"

#include <QObject>
#include <QString>

#include <array>
#include <cstddef>
#include <chrono>
#include <cstdint>
#include <functional>

class QSocketNotifier;
class QTimer;

enum TGamePort { Gameport1, Gameport2 };

class TJoystickex : public QObject {
    Q_OBJECT
public:
    using Clock = std::chrono::steady_clock;
    // A button went down (pressed) or up; x and y as the events carry them; `at` is when the
    // change was read from the device.
    using TButtonChangeEvent = std::function<void(TJoystickex *sender, bool pressed, int x, int y, Clock::time_point at)>;
    using TJoyMoveEvent = std::function<void(TJoystickex *sender, int x, int y, unsigned buttons, bool calibrating)>;
    using TJoyZMoveEvent = std::function<void(TJoystickex *sender, int z, unsigned buttons, bool calibrating)>;
    // The device went away; `error` is the errno of the failed read (ENODEV at the end of the
    // stream).
    using TJoyLostEvent = std::function<void(TJoystickex *sender, int error)>;

    explicit TJoystickex(QObject *parent = nullptr);
    // Writes the calibration when CalAutoSave is set, then releases the capture.
    ~TJoystickex() override;

    bool CaptureJoystick();
    void ReleaseJoystick();
    bool Captured() const { return fd_ >= 0; }

    // ---- Properties ----------------------------------------------------------------------
    bool Polling() const { return polling_; }
    void SetPolling(bool polling);
    TGamePort GamePort() const { return gamePort_; }
    // Reads the new port's capabilities into the ranges, then takes it (captured again when
    // captured).
    void SetGamePort(TGamePort port);
    int Interval() const { return interval_; }
    void SetInterval(int interval);
    double EventThreshold() const { return eventThreshold_; }
    void SetEventThreshold(double percent); // held to 0..10
    int XScaledBy() const { return xScaledBy_; }
    int YScaledBy() const { return yScaledBy_; }
    int ZScaledBy() const { return zScaledBy_; }
    void SetXScaledBy(int value); // 0 becomes 1
    void SetYScaledBy(int value);
    void SetZScaledBy(int value);
    bool CalAutoLoad() const { return calAutoLoad_; }
    // Stores; true reads the calibration file.
    void SetCalAutoLoad(bool load);

    bool CalAutoSave = true;
    bool IsCalibrating = false;
    bool Scaled = true;
    int CenterX = 0, CenterY = 0;
    int MaxLeftUpX = -32767, MaxLeftUpY = -32767;
    int MaxRightDownX = 32767, MaxRightDownY = 32767;
    int MaxZ = 32767, MinZ = 0;
    int PeriodMin = 10, PeriodMax = 1000;
    int NumButtons = 2;
    // What the captured device reports.
    joystickdev::Capabilities DeviceCaps;

    // The calibration file; nothing is read or written while it is empty. A calibration is a
    // few lines: a larger file is no calibration file and is not read.
    QString CalibrationFile;
    static constexpr std::size_t MaxCalibrationBytes = 64 * 1024;
    // Opens joystick `id`: a descriptor to read records from, or -errno.
    std::function<int(int id)> OpenDevice;

    std::array<TButtonChangeEvent, 4> OnButtonChange; // OnButton1_Change .. OnButton4_Change
    TJoyMoveEvent JoyMove;
    TJoyZMoveEvent JoyZMove;
    TJoyLostEvent OnLost;

    // ---- Scaling -----------------------------------------------------------------------
    void UpdateJoystickRanges();
    int ScaleJoystickX(int reading) const;
    int ScaleJoystickY(int reading) const;
    int ScaleJoystickZ(int reading) const;

    void SaveJoystickCalibration() const;
    // Values are held to the range of a reading; a missing or unreadable value keeps the field.
    void LoadJoystickCalibration();

    // ---- What the device's records come to ---------------------------------------------
    // Button change: bits 0x100..0x800 mark the buttons that changed, bits 1, 2, 4, 8 their
    // states.
    void ButtonMessage(unsigned buttonWord, int x, int y, Clock::time_point at);
    void MoveMessage(int x, int y, unsigned buttons);
    void ZMoveMessage(int z, unsigned buttons);

private:
    void readDevice();
    void readRecords();
    void handleEvent(const joystickdev::Event &event, Clock::time_point at);
    void lose(int error);
    void startPollTimer();
    int thresholdUnits() const;

    bool polling_ = false;
    TGamePort gamePort_ = Gameport1;
    int interval_ = 50;
    double eventThreshold_ = 0.1;
    int xScaledBy_ = 400, yScaledBy_ = 300, zScaledBy_ = 100;
    bool calAutoLoad_ = true;
    double rightX_ = 1, leftX_ = 1, downY_ = 1, upY_ = 1, zFactor_ = 1;

    int fd_ = -1;
    QSocketNotifier *notifier_ = nullptr;
    QTimer *pollTimer_ = nullptr;
    int x_ = 0, y_ = 0, z_ = 0;
    int reportedX_ = 0, reportedY_ = 0;
    unsigned buttons_ = 0; // state bits 1, 2, 4, 8 of buttons 1 to 4
    std::array<char, sizeof(joystickdev::Event)> partial_{};
    std::size_t partialLength_ = 0;
};
