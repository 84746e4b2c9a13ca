#include "engine/devices/joystick.h"

#include "platform/userfile.h"

#include <QFile>
#include <QSaveFile>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

constexpr int ReadingMin = -32767;
constexpr int ReadingMax = 32767;

// Halves to even, as every rounding of the program; a factor of 0 (or less) gives 0.
int scaleBy(double value, double factor)
{
    if (!(factor > 0))
        return 0;
    return static_cast<int>(std::nearbyint(value / factor));
}

// The calibration file's keys (section.key, compared without regard to case) and their fields.
struct CalibrationKey {
    const char *section;
    const char *key;
    int TJoystickex::*field;
};
constexpr CalibrationKey calibrationKeys[] = {
    {"Range", "MaxLeftUPX", &TJoystickex::MaxLeftUpX},
    {"Range", "MaxLeftUPy", &TJoystickex::MaxLeftUpY},
    {"Range", "MaxrightDownx", &TJoystickex::MaxRightDownX},
    {"Range", "MaxrightDowny", &TJoystickex::MaxRightDownY},
    {"Range", "MaxZ", &TJoystickex::MaxZ},
    {"Range", "MinZ", &TJoystickex::MinZ},
    {"Center", "CenterX", &TJoystickex::CenterX},
    {"Center", "CenterY", &TJoystickex::CenterY},
};

// A whole integer, blanks around it allowed; anything else is no value.
bool parseInteger(const QByteArray &text, long &value)
{
    const QByteArray trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > 20)
        return false;
    char *end = nullptr;
    errno = 0;
    value = std::strtol(trimmed.constData(), &end, 10);
    return errno == 0 && end == trimmed.constData() + trimmed.size();
}

} // namespace

TJoystickex::TJoystickex(QObject *parent) : QObject(parent)
{
    UpdateJoystickRanges();
}

TJoystickex::~TJoystickex()
{
    if (CalAutoSave)
        SaveJoystickCalibration();
    ReleaseJoystick();
}

bool TJoystickex::CaptureJoystick()
{
    ReleaseJoystick();
    const int fd = OpenDevice ? OpenDevice(gamePort_) : joystickdev::OpenJoystick(gamePort_);
    if (fd < 0)
        return false;
    DeviceCaps = joystickdev::Capabilities{};
    joystickdev::ReadCapabilities(fd, DeviceCaps);
    fd_ = fd;
    partialLength_ = 0;
    buttons_ = 0;
    x_ = y_ = z_ = reportedX_ = reportedY_ = 0;
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { readDevice(); });
    startPollTimer();
    UpdateJoystickRanges();
    return true;
}

void TJoystickex::ReleaseJoystick()
{
    if (pollTimer_)
        pollTimer_->stop();
    if (notifier_) {
        // Possibly from inside its own signal: it goes once control is back in the loop.
        notifier_->setEnabled(false);
        notifier_->deleteLater();
        notifier_ = nullptr;
    }
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

void TJoystickex::SetPolling(bool polling)
{
    polling_ = polling;
    startPollTimer();
}

void TJoystickex::SetGamePort(TGamePort port)
{
    // The new port's capabilities, not those of the one set before.
    const int fd = OpenDevice ? OpenDevice(port) : joystickdev::OpenJoystick(port);
    if (fd >= 0) {
        joystickdev::Capabilities caps;
        if (joystickdev::ReadCapabilities(fd, caps)) {
            MaxLeftUpX = caps.xMin;
            MaxRightDownX = caps.xMax;
            MaxLeftUpY = caps.yMin;
            MaxRightDownY = caps.yMax;
            MinZ = caps.zMin;
            MaxZ = caps.zMax;
            PeriodMin = caps.periodMin;
            PeriodMax = caps.periodMax;
            NumButtons = caps.buttons;
        }
        ::close(fd);
    }
    gamePort_ = port;
    if (Captured())
        CaptureJoystick();
}

void TJoystickex::SetInterval(int interval)
{
    interval_ = interval;
    startPollTimer();
}

void TJoystickex::SetEventThreshold(double percent)
{
    eventThreshold_ = std::isnan(percent) ? 0.0 : std::clamp(percent, 0.0, 10.0);
}

// One formula for the capture and the setter: the share of the device's whole X span.
int TJoystickex::thresholdUnits() const
{
    return static_cast<int>(std::nearbyint(double(DeviceCaps.xMax - DeviceCaps.xMin) * eventThreshold_ / 100.0));
}

void TJoystickex::SetXScaledBy(int value)
{
    xScaledBy_ = value == 0 ? 1 : value;
    UpdateJoystickRanges();
}

void TJoystickex::SetYScaledBy(int value)
{
    yScaledBy_ = value == 0 ? 1 : value;
    UpdateJoystickRanges();
}

void TJoystickex::SetZScaledBy(int value)
{
    zScaledBy_ = value == 0 ? 1 : value;
    UpdateJoystickRanges();
}

void TJoystickex::SetCalAutoLoad(bool load)
{
    calAutoLoad_ = load;
    if (load)
        LoadJoystickCalibration();
}

void TJoystickex::startPollTimer()
{
    if (!polling_ || !Captured()) {
        if (pollTimer_)
            pollTimer_->stop();
        return;
    }
    if (!pollTimer_) {
        pollTimer_ = new QTimer(this);
        connect(pollTimer_, &QTimer::timeout, this, [this] { MoveMessage(x_, y_, buttons_); });
    }
    const int low = std::max(1, PeriodMin);
    pollTimer_->start(std::clamp(interval_, low, std::max(low, PeriodMax)));
}

// ---- Scaling -------------------------------------------------------------------------------

void TJoystickex::UpdateJoystickRanges()
{
    rightX_ = std::max(1.0, double(MaxRightDownX - CenterX) / xScaledBy_);
    leftX_ = std::max(1.0, double(CenterX - MaxLeftUpX) / xScaledBy_);
    downY_ = std::max(1.0, double(MaxRightDownY - CenterY) / yScaledBy_);
    upY_ = std::max(1.0, double(CenterY - MaxLeftUpY) / yScaledBy_);
    if (MaxZ == 0)
        MaxZ = 32767;
    zFactor_ = double(MaxZ - MinZ) / zScaledBy_;
}

int TJoystickex::ScaleJoystickX(int reading) const
{
    const double v = double(reading) - CenterX;
    return scaleBy(v, v >= 0 ? rightX_ : leftX_);
}

int TJoystickex::ScaleJoystickY(int reading) const
{
    const double v = double(reading) - CenterY;
    return scaleBy(v, v >= 0 ? downY_ : upY_);
}

int TJoystickex::ScaleJoystickZ(int reading) const
{
    // A throttle whose range is one value (none, or a file that says so) gives 0.
    return scaleBy(double(reading) - MinZ, zFactor_);
}

// ---- Calibration file --------------------------------------------------------------------

void TJoystickex::SaveJoystickCalibration() const
{
    if (CalibrationFile.isEmpty())
        return;
    QByteArray text;
    const char *section = nullptr;
    for (const CalibrationKey &entry : calibrationKeys) {
        if (!section || std::strcmp(section, entry.section) != 0) {
            section = entry.section;
            text += "[" + QByteArray(section) + "]\n";
        }
        text += QByteArray(entry.key) + "=" + QByteArray::number(this->*entry.field) + "\n";
    }
    // A file that cannot be written is left as it is: the calibration is only a convenience.
    QSaveFile file(CalibrationFile);
    if (file.open(QIODevice::WriteOnly) && file.write(text) == text.size())
        file.commit();
}

void TJoystickex::LoadJoystickCalibration()
{
    if (CalibrationFile.isEmpty())
        return;
    const userfile::ReadResult file
        = userfile::ReadUserFile(QFile::encodeName(CalibrationFile).toStdString(), MaxCalibrationBytes);
    if (file.status != userfile::ReadStatus::Read)
        return;
    const QByteArray content = QByteArray::fromStdString(file.bytes);
    QByteArray section;
    for (const QByteArray &rawLine : content.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.startsWith('[') && line.endsWith(']')) {
            section = line.mid(1, line.size() - 2).trimmed().toLower();
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (equals <= 0)
            continue;
        const QByteArray key = line.left(equals).trimmed().toLower();
        long value = 0;
        if (!parseInteger(line.mid(equals + 1), value))
            continue;
        for (const CalibrationKey &entry : calibrationKeys) {
            if (section == QByteArray(entry.section).toLower() && key == QByteArray(entry.key).toLower())
                this->*entry.field = static_cast<int>(std::clamp<long>(value, ReadingMin, ReadingMax));
        }
    }
    UpdateJoystickRanges();
}

// ---- Messages ----------------------------------------------------------------------------

void TJoystickex::ButtonMessage(unsigned buttonWord, int x, int y, Clock::time_point at)
{
    for (unsigned k = 0; k < OnButtonChange.size(); ++k) {
        if ((buttonWord & (0x100u << k)) == 0)
            continue;
        if (const TButtonChangeEvent event = OnButtonChange[k])
            event(this, (buttonWord & (1u << k)) != 0, Scaled ? ScaleJoystickX(x) : x,
                  Scaled ? ScaleJoystickY(y) : y, at);
    }
}

void TJoystickex::MoveMessage(int x, int y, unsigned buttons)
{
    if (IsCalibrating) {
        MaxLeftUpX = std::min(MaxLeftUpX, x);
        MaxRightDownX = std::max(MaxRightDownX, x);
        MaxLeftUpY = std::min(MaxLeftUpY, y);
        MaxRightDownY = std::max(MaxRightDownY, y);
        UpdateJoystickRanges();
    }
    if (JoyMove)
        JoyMove(this, Scaled ? ScaleJoystickX(x) : x, Scaled ? ScaleJoystickY(y) : y, buttons, IsCalibrating);
}

void TJoystickex::ZMoveMessage(int z, unsigned buttons)
{
    MinZ = std::min(MinZ, z);
    MaxZ = std::max(MaxZ, z);
    if (JoyZMove)
        JoyZMove(this, Scaled ? ScaleJoystickZ(z) : z, buttons, IsCalibrating);
}

// ---- The device --------------------------------------------------------------------------

void TJoystickex::readDevice()
{
    // A handler may wait in a nested event loop (a message): no second read may overtake the
    // records this one still hands out.
    QSocketNotifier *const notifier = notifier_;
    notifier->setEnabled(false);
    readRecords();
    if (notifier == notifier_)
        notifier->setEnabled(true);
}

void TJoystickex::readRecords()
{
    constexpr std::size_t RecordSize = sizeof(joystickdev::Event);
    char buffer[64 * RecordSize];
    while (fd_ >= 0) {
        std::memcpy(buffer, partial_.data(), partialLength_);
        const ssize_t n = ::read(fd_, buffer + partialLength_, sizeof buffer - partialLength_);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        if (n <= 0) {
            lose(n == 0 ? ENODEV : errno);
            return;
        }
        // Each change is stamped as it is read: the kernel's own times run on another clock.
        const Clock::time_point at = Clock::now();
        const std::size_t available = partialLength_ + static_cast<std::size_t>(n);
        std::size_t used = 0;
        for (; used + RecordSize <= available && fd_ >= 0; used += RecordSize) {
            joystickdev::Event event;
            std::memcpy(&event, buffer + used, RecordSize);
            handleEvent(event, at);
        }
        partialLength_ = available - used;
        std::memcpy(partial_.data(), buffer + used, partialLength_);
    }
}

void TJoystickex::handleEvent(const joystickdev::Event &event, Clock::time_point at)
{
    const bool init = (event.type & joystickdev::EventInit) != 0;
    const std::uint8_t type = event.type & ~joystickdev::EventInit;
    if (type == joystickdev::EventButton) {
        if (event.number >= OnButtonChange.size())
            return;
        const unsigned bit = 1u << event.number;
        const unsigned before = buttons_;
        buttons_ = event.value ? (buttons_ | bit) : (buttons_ & ~bit);
        // The opening burst only tells the state, as a capture sends no button message.
        if (!init && buttons_ != before)
            ButtonMessage((0x100u << event.number) | buttons_, x_, y_, at);
        return;
    }
    if (type != joystickdev::EventAxis)
        return;
    const int number = event.number;
    if (number == DeviceCaps.zAxis) {
        z_ = event.value;
        if (!init)
            ZMoveMessage(z_, buttons_);
        return;
    }
    if (number == DeviceCaps.xAxis)
        x_ = event.value;
    else if (number == DeviceCaps.yAxis)
        y_ = event.value;
    else
        return;
    const int threshold = thresholdUnits();
    if (init) {
        reportedX_ = x_;
        reportedY_ = y_;
    } else if (!polling_ && (std::abs(x_ - reportedX_) > threshold || std::abs(y_ - reportedY_) > threshold)) {
        reportedX_ = x_;
        reportedY_ = y_;
        MoveMessage(x_, y_, buttons_);
    }
}

void TJoystickex::lose(int error)
{
    ReleaseJoystick();
    // A button held when the device went is let go, or a paddle would repeat for ever.
    const Clock::time_point at = Clock::now();
    for (unsigned k = 0; k < OnButtonChange.size(); ++k) {
        const unsigned bit = 1u << k;
        if ((buttons_ & bit) == 0)
            continue;
        buttons_ &= ~bit;
        ButtonMessage((0x100u << k) | buttons_, x_, y_, at);
    }
    if (OnLost)
        OnLost(this, error);
}
