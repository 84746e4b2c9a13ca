#pragma once

// How crowded the processors are: the tasks ready to run per core, as the kernel counts them in
// /proc/loadavg, averaged over the last Window readings. The sound server's own threads wait in
// that queue like any other; the more of them there are, the longer a buffer has to last.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

class RunQueueGauge {
public:
    // Readings averaged: at one a tenth of a second, the last second (a load that comes is
    // seen before the next text; the output's quiet stretch keeps one that goes from counting
    // at once).
    static constexpr std::size_t Window = 10;

    // `cores` 0: the processors online.
    explicit RunQueueGauge(std::string path = "/proc/loadavg", unsigned cores = 0);

    // Takes one more reading; the average per core of the readings so far (the reader's own
    // thread left out), or a negative number while the file gives none.
    double operator()();

    // The tasks ready to run in a /proc/loadavg line ("0.61 0.50 0.42 3/512 4321" gives 3), or
    // -1 when the line has no such field.
    static int runnable(std::string_view line);

private:
    std::string m_path;
    unsigned m_cores;
    std::array<int, Window> m_readings{};
    std::size_t m_count = 0;
    std::size_t m_next = 0;
};
