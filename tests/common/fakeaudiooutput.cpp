#include "tests/common/fakeaudiooutput.h"

#include <algorithm>

int FakeAudioOutput::open(int device)
{
    openedDevices.push_back(device);
    if (openError != 0) {
        m_reopening = openTimesOut;
        return openError;
    }
    m_open = true;
    return 0;
}

void FakeAudioOutput::close()
{
    reset();
    m_open = false;
}

int FakeAudioOutput::write(Tag tag, const std::int16_t *data, std::size_t values)
{
    if (writeError != 0)
        return writeError;
    written.push_back(Buffer{tag, std::vector<std::int16_t>(data, data + values), data});
    m_queue.push_back(written.size() - 1);
    return 0;
}

int FakeAudioOutput::reset()
{
    ++resets;
    // Every dropped buffer is reported done, in order, as the real output does; a buffer
    // written by a done handler meanwhile is not dropped.
    std::deque<std::size_t> dropped;
    dropped.swap(m_queue);
    if (deferDroppedReports) {
        m_dropped.insert(m_dropped.end(), dropped.begin(), dropped.end());
        return resetError;
    }
    for (std::size_t index : dropped)
        reportDone(written[index].tag, true);
    return resetError;
}

bool FakeAudioOutput::finishNext()
{
    const bool dropped = !m_dropped.empty();
    std::deque<std::size_t> &from = dropped ? m_dropped : m_queue;
    if (from.empty())
        return false;
    const std::size_t index = from.front();
    from.pop_front();
    reportDone(written[index].tag, dropped);
    return true;
}

bool FakeAudioOutput::dropNext()
{
    if (m_queue.empty())
        return false;
    const std::size_t index = m_queue.front();
    m_queue.pop_front();
    reportDone(written[index].tag, true);
    return true;
}

int FakeAudioOutput::finishAll(int limit)
{
    int count = 0;
    while (count < limit && finishNext())
        ++count;
    return count;
}

bool FakeAudioOutput::queuedBuffersIntact() const
{
    const auto intact = [this](std::size_t index) {
        const Buffer &b = written[index];
        return std::equal(b.values.begin(), b.values.end(), b.data);
    };
    return std::all_of(m_queue.begin(), m_queue.end(), intact)
        && std::all_of(m_dropped.begin(), m_dropped.end(), intact);
}
