#include "platform/realtime.h"

#include <QDBusConnection>
#include <QDir>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

namespace realtime {

namespace {
// RealtimeKit hands out real-time scheduling only to a process that limits how long a
// real-time thread may run without sleeping; its default ceiling is 200 ms. Our audio thread
// sleeps every few milliseconds.
constexpr rlim_t RealtimeKitRunLimitUs = 200000;
constexpr int RealtimeKitTimeoutMs = 2000;

bool limitRealtimeRun()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_RTTIME, &limit) != 0)
        return false;
    if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max <= RealtimeKitRunLimitUs)
        return true;
    limit.rlim_cur = limit.rlim_max = RealtimeKitRunLimitUs;
    return ::setrlimit(RLIMIT_RTTIME, &limit) == 0;
}
} // namespace

bool makeThisThreadFifo(int priority)
{
    sched_param param{};
    param.sched_priority = priority;
    return ::pthread_setschedparam(::pthread_self(), SCHED_FIFO, &param) == 0;
}

bool makeThreadFifo(pid_t tid, int priority)
{
    sched_param param{};
    param.sched_priority = priority;
    return ::sched_setscheduler(tid, SCHED_FIFO, &param) == 0;
}

std::vector<pid_t> threadsOfThisProcess()
{
    std::vector<pid_t> tids;
    for (const QString &name : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool ok = false;
        const int tid = name.toInt(&ok);
        if (ok)
            tids.push_back(tid);
    }
    return tids;
}

std::vector<pid_t> threadsStartedSince(const std::vector<pid_t> &before)
{
    std::vector<pid_t> started = threadsOfThisProcess();
    std::erase_if(started, [&](pid_t tid) { return std::find(before.begin(), before.end(), tid) != before.end(); });
    return started;
}

int threadPolicy(pid_t tid)
{
    return ::sched_getscheduler(tid);
}

AudioThreadRequest::AudioThreadRequest()
    : m_wakeup([this] { askRealtimeKit(); })
{
}

AudioThreadRequest::~AudioThreadRequest() = default;

void AudioThreadRequest::arm(const std::vector<pid_t> &feeders)
{
    m_generation.fetch_add(1, std::memory_order_acq_rel);
    int raised = 0;
    {
        std::lock_guard lock(m_feedersLock);
        m_refusedCount = 0;
        for (const pid_t tid : feeders) {
            if (makeThreadFifo(tid, AudioPriority))
                ++raised;
            else if (m_refusedCount < MaxFeeders)
                m_refusedFeeders[m_refusedCount++] = tid;
        }
    }
    m_feedersRaised.store(raised, std::memory_order_release);
    m_tid.store(0, std::memory_order_release);
    m_scheduling.store(Scheduling::NotAsked, std::memory_order_release);
    m_armed.store(true, std::memory_order_release);
}

void AudioThreadRequest::onAudioThread()
{
    if (!m_armed.load(std::memory_order_relaxed) || !m_armed.exchange(false, std::memory_order_acq_rel))
        return;
    m_tid.store(static_cast<pid_t>(::syscall(SYS_gettid)), std::memory_order_release);
    if (makeThisThreadFifo(AudioPriority)) {
        m_scheduling.store(Scheduling::Fifo, std::memory_order_release);
        return;
    }
    if (!m_wakeup.valid()) {
        m_scheduling.store(Scheduling::Normal, std::memory_order_release);
        return;
    }
    m_scheduling.store(Scheduling::Asking, std::memory_order_release);
    m_wakeup.wake();
}

void AudioThreadRequest::askRealtimeKit()
{
    const pid_t tid = m_tid.load(std::memory_order_acquire);
    if (tid == 0 || scheduling() != Scheduling::Asking)
        return;
    std::vector<pid_t> feeders;
    {
        std::lock_guard lock(m_feedersLock);
        feeders.assign(m_refusedFeeders.begin(), m_refusedFeeders.begin() + m_refusedCount);
    }
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected() || !limitRealtimeRun()) {
        m_scheduling.store(Scheduling::Normal, std::memory_order_release);
        return;
    }
    const unsigned generation = m_generation.load(std::memory_order_acquire);
    auto ask = [&](pid_t thread, auto answered) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.RealtimeKit1"), QStringLiteral("/org/freedesktop/RealtimeKit1"),
            QStringLiteral("org.freedesktop.RealtimeKit1"), QStringLiteral("MakeThreadRealtime"));
        call << QVariant::fromValue(quint64(thread)) << QVariant::fromValue(quint32(AudioPriority));
        auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, RealtimeKitTimeoutMs), m_wakeup.context());
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, m_wakeup.context(),
                         [this, watcher, generation, answered] {
                             watcher->deleteLater();
                             // An answer for an older stream: a newer one asks for itself.
                             if (generation == m_generation.load(std::memory_order_acquire))
                                 answered(!watcher->isError());
                         });
    };
    ask(tid, [this](bool granted) {
        Scheduling expected = Scheduling::Asking;
        m_scheduling.compare_exchange_strong(expected, granted ? Scheduling::RealtimeKit : Scheduling::Normal,
                                             std::memory_order_acq_rel);
    });
    for (const pid_t feeder : feeders)
        ask(feeder, [this](bool granted) {
            if (granted)
                m_feedersRaised.fetch_add(1, std::memory_order_acq_rel);
        });
}

} // namespace realtime
