#include "platform/rundelay.h"

#include <fcntl.h>
#include <unistd.h>

long long RunDelayNs(const char *schedstat)
{
    // "time on a processor, time waiting for one, time slices", in ns.
    const int fd = ::open(schedstat, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    char text[96];
    const ssize_t n = ::read(fd, text, sizeof text);
    ::close(fd);
    int field = 0;
    long long value = -1;
    for (ssize_t i = 0; i < n && field < 2; ++i) {
        if (text[i] == ' ' || text[i] == '\n') {
            ++field;
        } else if (field == 1) {
            if (text[i] < '0' || text[i] > '9')
                return -1;
            value = (value < 0 ? 0 : value * 10) + (text[i] - '0');
        }
    }
    return field == 2 ? value : -1;
}
