#include "engine/keyingsafety.h"

#include <linux/ppdev.h>

#include <atomic>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace keyingsafety {

namespace {

enum State : int { Free, Changing, InUse };
enum Kind : int { Serial, Parallel };

struct Entry {
    std::atomic<int> state{Free};
    std::atomic<int> fd{-1};
    std::atomic<int> kind{Serial};
    std::atomic<unsigned> keyUp{0};
};

static_assert(std::atomic<int>::is_always_lock_free && std::atomic<unsigned>::is_always_lock_free);

Entry table[EntryCount];

int add(int fd, Kind kind, unsigned keyUp)
{
    const int kept = fd >= 0 ? ::fcntl(fd, F_DUPFD_CLOEXEC, 0) : -1;
    if (kept < 0)
        return -1;
    for (int i = 0; i < EntryCount; ++i) {
        int expected = Free;
        if (!table[i].state.compare_exchange_strong(expected, Changing))
            continue;
        table[i].fd.store(kept);
        table[i].kind.store(kind);
        table[i].keyUp.store(keyUp);
        table[i].state.store(InUse);
        return i;
    }
    ::close(kept);
    return -1;
}

} // namespace

int RegisterSerialPort(int fd)
{
    return add(fd, Serial, 0);
}

int RegisterParallelPort(int fd, std::uint8_t keyUpControl)
{
    return add(fd, Parallel, keyUpControl);
}

void SetParallelKeyUp(int entry, std::uint8_t keyUpControl)
{
    if (entry >= 0 && entry < EntryCount)
        table[entry].keyUp.store(keyUpControl);
}

int ParallelKeyUp(int entry)
{
    if (entry < 0 || entry >= EntryCount || table[entry].state.load() != InUse || table[entry].kind.load() != Parallel)
        return -1;
    return static_cast<int>(table[entry].keyUp.load());
}

void Unregister(int entry)
{
    if (entry < 0 || entry >= EntryCount)
        return;
    int expected = InUse;
    if (!table[entry].state.compare_exchange_strong(expected, Changing))
        return;
    const int kept = table[entry].fd.exchange(-1);
    table[entry].state.store(Free);
    if (kept >= 0)
        ::close(kept);
}

void ReleaseAllNow()
{
    for (Entry &entry : table) {
        if (entry.state.load() != InUse)
            continue;
        const int fd = entry.fd.load();
        if (fd < 0)
            continue;
        // ioctl is a plain system call here; its failure (a port gone) changes nothing.
        if (entry.kind.load() == Serial) {
            int lines = TIOCM_DTR | TIOCM_RTS;
            ::ioctl(fd, TIOCMBIC, &lines);
        } else {
            unsigned char control = static_cast<unsigned char>(entry.keyUp.load());
            ::ioctl(fd, PPWCONTROL, &control);
        }
    }
}

} // namespace keyingsafety
