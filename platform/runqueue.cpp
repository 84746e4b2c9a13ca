#include "platform/runqueue.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <thread>

RunQueueGauge::RunQueueGauge(std::string path, unsigned cores)
    : m_path(std::move(path)), m_cores(cores != 0 ? cores : std::max(1u, std::thread::hardware_concurrency()))
{
}

int RunQueueGauge::runnable(std::string_view line)
{
    // The fourth field: running/total.
    std::size_t at = 0;
    for (int field = 0; field < 3; ++field) {
        at = line.find(' ', at);
        if (at == std::string_view::npos)
            return -1;
        at = line.find_first_not_of(' ', at);
        if (at == std::string_view::npos)
            return -1;
    }
    const std::size_t slash = line.find('/', at);
    if (slash == std::string_view::npos || slash == at)
        return -1;
    int count = -1;
    const auto [end, error] = std::from_chars(line.data() + at, line.data() + slash, count);
    if (error != std::errc() || end != line.data() + slash || count < 0)
        return -1;
    return count;
}

double RunQueueGauge::operator()()
{
    char text[128];
    ssize_t got = -1;
    if (const int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC); fd >= 0) {
        got = ::read(fd, text, sizeof text - 1);
        ::close(fd);
    }
    const int count = got > 0 ? runnable(std::string_view(text, std::size_t(got))) : -1;
    if (count >= 0) {
        // This thread is running while it reads: it waits for nobody.
        m_readings[m_next] = std::max(0, count - 1);
        m_next = (m_next + 1) % Window;
        m_count = std::min(m_count + 1, Window);
    }
    if (m_count == 0)
        return -1.0;
    int sum = 0;
    for (std::size_t i = 0; i < m_count; ++i)
        sum += m_readings[i];
    return double(sum) / double(m_count) / double(m_cores);
}
