#include "platform/wakeup.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

Wakeup::Wakeup(std::function<void()> handler)
{
    m_fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_fd < 0)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this, handler = std::move(handler)] {
                         // Cleared before the handler looks, so a wake meanwhile comes again.
                         std::uint64_t count = 0;
                         [[maybe_unused]] const ssize_t got = ::read(m_fd, &count, sizeof count);
                         handler();
                     });
}

Wakeup::~Wakeup()
{
    m_notifier.reset();
    if (m_fd >= 0)
        ::close(m_fd);
}

void Wakeup::wake(int fd)
{
    if (fd < 0)
        return;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(fd, &one, sizeof one);
}

int Wakeup::duplicate() const
{
    return m_fd < 0 ? -1 : ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0);
}

QObject *Wakeup::context() const
{
    return m_notifier.get();
}
