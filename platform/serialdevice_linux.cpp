#include "platform/serialdevice_linux.h"

#include <linux/serial.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#ifndef sigev_notify_thread_id
#define sigev_notify_thread_id _sigev_un._tid
#endif

namespace serialdev {

static_assert(LineDTR == TIOCM_DTR && LineRTS == TIOCM_RTS && LineCTS == TIOCM_CTS
              && LineCD == TIOCM_CD && LineRI == TIOCM_RI && LineDSR == TIOCM_DSR);

namespace {

// The private signal that breaks a waiter out of TIOCMIWAIT. Its handler does nothing: the
// interrupted ioctl returning EINTR is all that is wanted, so it is installed without
// SA_RESTART.
int wakeSignal()
{
    static const int sig = [] {
        const int s = SIGRTMIN + 4;
        struct sigaction sa;
        std::memset(&sa, 0, sizeof sa);
        sa.sa_handler = [](int) {};
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = 0;
        sigaction(s, &sa, nullptr);
        return s;
    }();
    return sig;
}

// Calls the kernel refuses on a device that has no such lines (pseudo-terminals, some USB
// drivers).
bool unsupported(int error)
{
    return error == ENOTTY || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

struct StandardRate {
    int rate;
    speed_t speed;
};
constexpr StandardRate kRates[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},
    {150, B150},       {200, B200},       {300, B300},       {600, B600},
    {1200, B1200},     {1800, B1800},     {2400, B2400},     {4800, B4800},
    {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
    {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
};

} // namespace

int BuildTermios(const Settings &s, termios &tio, int &customRate)
{
    customRate = 0;
    if (s.baudRate <= 0)
        return EINVAL;
    tcflag_t size;
    switch (s.dataBits) {
    case 5: size = CS5; break;
    case 6: size = CS6; break;
    case 7: size = CS7; break;
    case 8: size = CS8; break;
    default: return EINVAL;
    }
    // A UART gives one and a half stop bits only with five data bits, where CSTOPB means it.
    if (s.stopBits == StopBits::OneAndHalf && s.dataBits != 5)
        return EINVAL;

    cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS);
    tio.c_cflag |= size | CLOCAL | CREAD | HUPCL;
    if (s.stopBits != StopBits::One)
        tio.c_cflag |= CSTOPB;
    switch (s.parity) {
    case Parity::None: break;
    case Parity::Odd: tio.c_cflag |= PARENB | PARODD; break;
    case Parity::Even: tio.c_cflag |= PARENB; break;
    case Parity::Mark: tio.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case Parity::Space: tio.c_cflag |= PARENB | CMSPAR; break;
    }
    tio.c_iflag &= ~(INPCK | IXON | IXOFF | IXANY);
    if (s.parityCheck)
        tio.c_iflag |= INPCK;
    if (s.rtsCtsFlow)
        tio.c_cflag |= CRTSCTS;
    if (s.xonXoffOut)
        tio.c_iflag |= IXON;
    if (s.xonXoffIn)
        tio.c_iflag |= IXOFF;
    tio.c_cc[VSTART] = static_cast<cc_t>(s.xonChar);
    tio.c_cc[VSTOP] = static_cast<cc_t>(s.xoffChar);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;

    speed_t speed = B38400;
    bool standard = false;
    for (const auto &r : kRates) {
        if (r.rate == s.baudRate) {
            speed = r.speed;
            standard = true;
            break;
        }
    }
    if (!standard)
        customRate = s.baudRate;
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    return 0;
}

// By device number, so two names of one device share the lock. Without a lock file only the
// locks on the device itself guard it.
int LockSerialDevice(const std::string &path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISCHR(st.st_mode))
        return -1;
    const char *folder = ::access("/run/lock", W_OK) == 0 ? "/run/lock" : "/tmp";
    const std::string lockPath = std::string(folder) + "/kestrelon-tty-"
        + std::to_string(major(st.st_rdev)) + "-" + std::to_string(minor(st.st_rdev)) + ".lock";
    const int fd = ::open(lockPath.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return -1;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int e = errno;
        ::close(fd);
        return e == EWOULDBLOCK ? -2 : -1;
    }
    return fd;
}

LinuxSerialDevice::LinuxSerialDevice(std::string devDir, std::string sysfsRoot)
    : devDir_(std::move(devDir)), sysfsRoot_(std::move(sysfsRoot))
{
}

LinuxSerialDevice::~LinuxSerialDevice()
{
    close();
}

int LinuxSerialDevice::open(const std::string &name)
{
    if (fd_ >= 0)
        return EBUSY;
    // The name comes from the settings file in the end: only a listed serial port is opened,
    // never an arbitrary device node.
    if (!serialports::IsSerialPortName(name, sysfsRoot_))
        return ENOENT;
    const std::string path = devDir_ + "/" + name;
    // Every open of a tty raises DTR and RTS, even one that is then refused, and root passes
    // TIOCEXCL: so the lock is taken on a file of its own, before the device is touched.
    const int lock = LockSerialDevice(path);
    if (lock == -2)
        return EBUSY;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        if (lock >= 0)
            ::close(lock);
        return e;
    }
    auto fail = [fd, lock](int error) {
        ::close(fd);
        if (lock >= 0)
            ::close(lock);
        return error;
    };
    if (!isatty(fd))
        return fail(ENOTTY);
    if (ioctl(fd, TIOCEXCL) != 0)
        return fail(errno);
    if (flock(fd, LOCK_EX | LOCK_NB) != 0)
        return fail(errno == EWOULDBLOCK ? EBUSY : errno);
    // The kernel raises DTR and RTS on every open; a transmitter keyed by them must not see
    // more than a blip. A pseudo-terminal has no lines, which is no reason to refuse it.
    unsigned bits = TIOCM_DTR | TIOCM_RTS;
    if (ioctl(fd, TIOCMBIC, &bits) != 0 && !unsupported(errno))
        return fail(errno);
    termios tio;
    if (tcgetattr(fd, &tio) != 0)
        return fail(errno);
    cfmakeraw(&tio);
    // CLOCAL: DCD is a key input here, and a hang-up on its drop would kill the descriptor.
    tio.c_cflag |= CLOCAL | CREAD | HUPCL;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &tio) != 0)
        return fail(errno);
    const int wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wake < 0)
        return fail(errno);

    fd_ = fd;
    lockFd_ = lock;
    wakeFd_ = wake;
    mask_ = 0;
    extra_ = 0;
    lastInput_ = 0;
    txPending_ = false;
    last_ = {};
    countersWork_ = true;
    linesWork_ = true;
    waitedOnce_ = false;
    mode_ = WatchMode::Blocking;
    cancel_ = false;
    return 0;
}

int LinuxSerialDevice::close()
{
    if (timerMade_) {
        timer_delete(timer_);
        timerMade_ = false;
    }
    if (wakeFd_ >= 0) {
        ::close(wakeFd_);
        wakeFd_ = -1;
    }
    if (fd_ < 0)
        return 0;
    const int result = ::close(fd_) == 0 ? 0 : errno;
    fd_ = -1;
    if (lockFd_ >= 0) {
        ::close(lockFd_);
        lockFd_ = -1;
    }
    return result;
}

int LinuxSerialDevice::applySettings(const Settings &settings)
{
    if (fd_ < 0)
        return EBADF;
    termios tio;
    if (tcgetattr(fd_, &tio) != 0)
        return errno;
    int customRate = 0;
    if (const int e = BuildTermios(settings, tio, customRate))
        return e;
    if (tcsetattr(fd_, TCSANOW, &tio) != 0)
        return errno;
    if (customRate)
        return SetCustomRate(fd_, customRate);
    return 0;
}

int LinuxSerialDevice::modemLines(unsigned &lines)
{
    int bits = 0;
    if (ioctl(fd_, TIOCMGET, &bits) != 0)
        return errno;
    lines = static_cast<unsigned>(bits);
    return 0;
}

int LinuxSerialDevice::setLines(unsigned set, unsigned clear)
{
    int result = 0;
    if (set) {
        int bits = static_cast<int>(set);
        if (ioctl(fd_, TIOCMBIS, &bits) != 0)
            result = errno;
    }
    if (clear) {
        int bits = static_cast<int>(clear);
        if (ioctl(fd_, TIOCMBIC, &bits) != 0 && result == 0)
            result = errno;
    }
    return result;
}

int LinuxSerialDevice::counters(Counters &c)
{
    serial_icounter_struct ic;
    std::memset(&ic, 0, sizeof ic);
    if (ioctl(fd_, TIOCGICOUNT, &ic) != 0)
        return errno;
    c.cts = static_cast<std::uint32_t>(ic.cts);
    c.dsr = static_cast<std::uint32_t>(ic.dsr);
    c.dcd = static_cast<std::uint32_t>(ic.dcd);
    c.rng = static_cast<std::uint32_t>(ic.rng);
    c.frame = static_cast<std::uint32_t>(ic.frame);
    c.parity = static_cast<std::uint32_t>(ic.parity);
    c.overrun = static_cast<std::uint32_t>(ic.overrun);
    c.brk = static_cast<std::uint32_t>(ic.brk);
    c.bufOverrun = static_cast<std::uint32_t>(ic.buf_overrun);
    c.rx = static_cast<std::uint32_t>(ic.rx);
    return 0;
}

int LinuxSerialDevice::flush(bool input, bool output)
{
    if (!input && !output)
        return 0;
    const int which = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
    return tcflush(fd_, which) == 0 ? 0 : errno;
}

int LinuxSerialDevice::inputCount(int &count)
{
    int n = 0;
    if (ioctl(fd_, FIONREAD, &n) != 0)
        return errno;
    count = n;
    return 0;
}

int LinuxSerialDevice::read(void *buffer, int count, int &done)
{
    done = 0;
    if (count <= 0)
        return 0;
    std::lock_guard<std::mutex> guard(inputLock_);
    const ssize_t n = ::read(fd_, buffer, static_cast<size_t>(count));
    if (n < 0)
        return errno == EAGAIN || errno == EINTR ? 0 : errno;
    done = static_cast<int>(n);
    lastInput_ = std::max(0, lastInput_ - done);
    return 0;
}

int LinuxSerialDevice::write(const void *buffer, int count, int &done)
{
    done = 0;
    if (count <= 0)
        return 0;
    const ssize_t n = ::write(fd_, buffer, static_cast<size_t>(count));
    if (n < 0)
        return errno == EAGAIN || errno == EINTR ? 0 : errno;
    done = static_cast<int>(n);
    if (n > 0) {
        // The watcher looks for the output to drain from now on.
        txPending_ = true;
        if (wakeFd_ >= 0) {
            const std::uint64_t one = 1;
            [[maybe_unused]] auto w = ::write(wakeFd_, &one, sizeof one);
        }
    }
    return 0;
}

int LinuxSerialDevice::waitReady(bool forWrite, int timeoutMs)
{
    pollfd p{fd_, static_cast<short>(forWrite ? POLLOUT : POLLIN), 0};
    for (;;) {
        const int r = ::poll(&p, 1, timeoutMs);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            return errno;
        if (r == 0)
            return ETIMEDOUT;
        if (p.revents & (forWrite ? POLLOUT : POLLIN))
            return 0;
        return EIO;
    }
}

int LinuxSerialDevice::readSnapshot(Snapshot &snap)
{
    if (const int e = modemLines(snap.lines)) {
        if (!unsupported(e))
            return e;
        linesWork_ = false;
        snap.lines = 0;
    }
    if (countersWork_) {
        if (const int e = counters(snap.counters)) {
            if (!unsupported(e))
                return e;
            countersWork_ = false;
            snap.counters = {};
        }
    }
    return 0;
}

unsigned ModemChanges(unsigned mask, unsigned linesBefore, const Counters &a, unsigned linesNow, const Counters &b)
{
    unsigned changed = (linesNow ^ linesBefore) & mask;
    if (a.cts != b.cts)
        changed |= LineCTS & mask;
    if (a.dsr != b.dsr)
        changed |= LineDSR & mask;
    if (a.dcd != b.dcd)
        changed |= LineCD & mask;
    if (a.rng != b.rng)
        changed |= LineRI & mask;
    if (a.brk != b.brk)
        changed |= SeenBreak;
    if (a.frame != b.frame || a.parity != b.parity || a.overrun != b.overrun
        || a.bufOverrun != b.bufOverrun)
        changed |= SeenLineError;
    return changed;
}

unsigned LinuxSerialDevice::differences(const Snapshot &now) const
{
    return ModemChanges(mask_, last_.lines, last_.counters, now.lines, now.counters);
}

int LinuxSerialDevice::startWatch(unsigned mask)
{
    if (fd_ < 0)
        return EBADF;
    mask_ = mask & InputLines;
    extra_ = mask & (SeenBreak | SeenLineError | SeenRxChar | SeenTxEmpty);
    if (mask_ == 0 && extra_ == 0)
        return 0;
    {
        std::lock_guard<std::mutex> guard(inputLock_);
        if (inputCount(lastInput_) != 0)
            lastInput_ = 0;
    }
    return readSnapshot(last_);
}

bool LinuxSerialDevice::polled() const
{
    return (extra_ & (SeenRxChar | SeenTxEmpty)) != 0;
}

void LinuxSerialDevice::dataEvents(const Snapshot &now, unsigned &changed)
{
    if (extra_ & SeenRxChar) {
        // The receive counter, where the driver keeps one, also sees bytes that a reader took
        // between two looks; the queue growing is what every tty can tell.
        std::lock_guard<std::mutex> guard(inputLock_);
        int waiting = 0;
        const bool grew = inputCount(waiting) == 0 && waiting > lastInput_;
        lastInput_ = waiting;
        if (grew || (countersWork_ && now.counters.rx != last_.counters.rx))
            changed |= SeenRxChar;
    }
    if ((extra_ & SeenTxEmpty) && txPending_.exchange(false)) {
        int queued = 0;
        const bool queueEmpty = ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued == 0;
        unsigned int lsr = 0;
        const bool shifterEmpty = ioctl(fd_, TIOCSERGETLSR, &lsr) != 0 || (lsr & TIOCSER_TEMT) != 0;
        if (queueEmpty && shifterEmpty)
            changed |= SeenTxEmpty;
        else
            txPending_ = true; // a write since the exchange keeps it set as well
    }
}

bool LinuxSerialDevice::armRecheck(bool on)
{
    if (!timerMade_ || timerTid_ != gettid()) {
        if (timerMade_)
            timer_delete(timer_);
        timerMade_ = false;
        sigevent sev;
        std::memset(&sev, 0, sizeof sev);
        sev.sigev_notify = SIGEV_THREAD_ID;
        sev.sigev_signo = wakeSignal();
        sev.sigev_notify_thread_id = gettid();
        if (timer_create(CLOCK_MONOTONIC, &sev, &timer_) != 0)
            return false;
        timerMade_ = true;
        timerTid_ = gettid();
    }
    itimerspec period;
    std::memset(&period, 0, sizeof period);
    if (on) {
        period.it_value.tv_nsec = kRecheckMs * 1000000L;
        period.it_interval = period.it_value;
    }
    return timer_settime(timer_, 0, &period, nullptr) == 0;
}

WaitOutcome LinuxSerialDevice::waitModemChange()
{
    wakeSignal();
    waiter_ = pthread_self();
    inWait_ = true;
    struct Leave {
        std::atomic<bool> &flag;
        ~Leave() { flag = false; }
    } leave{inWait_};

    for (;;) {
        if (cancel_.exchange(false))
            return {WaitResult::Interrupted, 0, 0, std::nullopt};
        if (fd_ < 0)
            return {WaitResult::Failed, 0, EBADF, std::nullopt};
        Snapshot now;
        now.counters = last_.counters;
        if (const int e = readSnapshot(now))
            return {WaitResult::Failed, 0, e, std::nullopt};
        unsigned changed = differences(now);
        dataEvents(now, changed);
        if (changed) {
            last_ = now;
            return {WaitResult::Changed, changed, 0, std::nullopt};
        }

        if (mask_ == 0 || mode_ == WatchMode::Polling || polled()) {
            // Lines that can be read are looked at every few milliseconds, so are a draining
            // output and an input queue that holds bytes already; breaks and line errors are
            // counted, so a slower look finds them. Otherwise (a pseudo-terminal's lines, say)
            // nothing could change: only the wake-up or the first received byte ends the wait.
            const bool rx = (extra_ & SeenRxChar) != 0;
            int pending = 0;
            if (rx) {
                std::lock_guard<std::mutex> guard(inputLock_);
                pending = lastInput_;
            }
            int timeout = -1;
            if ((mask_ != 0 && (linesWork_ || countersWork_)) || ((extra_ & SeenTxEmpty) && txPending_)
                || pending > 0)
                timeout = kPollMs;
            else if ((extra_ & (SeenBreak | SeenLineError)) && countersWork_)
                timeout = kRecheckMs;
            pollfd p[2] = {{wakeFd_, POLLIN, 0}, {fd_, POLLIN, 0}};
            const int r = ::poll(p, rx && pending == 0 ? 2 : 1, timeout);
            if (r > 0 && (p[0].revents & POLLIN)) {
                std::uint64_t drained;
                [[maybe_unused]] auto n = ::read(wakeFd_, &drained, sizeof drained);
            }
            // A port that hung up (unplugged, its other side closed) has nothing more to say.
            if (r > 0 && (p[1].revents & (POLLHUP | POLLERR | POLLNVAL)))
                return {WaitResult::Failed, 0, EIO, std::nullopt};
            continue;
        }

        // The re-check timer breaks the wait now and then: an edge between our reading and the
        // kernel's own snapshot would otherwise go unseen until the next edge, and some drivers
        // never wake the wait at all.
        const bool armed = armRecheck(true);
        const int r = ioctl(fd_, TIOCMIWAIT, static_cast<unsigned long>(mask_));
        const int error = r == 0 ? 0 : errno;
        if (armed)
            armRecheck(false);
        if (r == 0) {
            waitedOnce_ = true;
            continue;
        }
        if (error == EINTR) {
            Snapshot check;
            check.counters = last_.counters;
            if (readSnapshot(check) == 0) {
                const unsigned levels = (check.lines ^ last_.lines) & mask_;
                const bool counted = std::memcmp(&check.counters, &last_.counters,
                                                 sizeof(Counters)) != 0;
                // A level changed and the driver neither woke us nor counted it: it does not
                // report modem changes. (Before the first wait the kernel may not have
                // enabled them yet, so that one does not count.)
                if (levels && !counted && waitedOnce_)
                    mode_ = WatchMode::Polling;
            }
            waitedOnce_ = true;
            continue;
        }
        if (unsupported(error)) {
            mode_ = WatchMode::Polling;
            continue;
        }
        return {WaitResult::Failed, 0, error, std::nullopt};
    }
}

void LinuxSerialDevice::cancelWait()
{
    cancel_ = true;
    if (wakeFd_ >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] auto n = ::write(wakeFd_, &one, sizeof one);
    }
    // A signal sent just before the waiter enters the ioctl would be lost, so keep knocking
    // until it has left the wait.
    const int sig = wakeSignal();
    while (inWait_.load()) {
        pthread_kill(waiter_.load(), sig);
        timespec pause{0, 1000000L};
        nanosleep(&pause, nullptr);
    }
}

} // namespace serialdev
