#pragma once

// The games' timed steps: animation frames, pauses and the wait for a character to be heard
// run one after the other on window timers, never in a nested event loop. Cancelling drops
// every step still to come, and a pause already running ends without running what followed
// it, so a new game or a closed window never meets a step of the old one.

#include <QElapsedTimer>
#include <QObject>

#include <deque>
#include <functional>

// How long a game's pause of `ms` milliseconds really lasts (tests shorten them).
std::function<int(int ms)> &GameWaitLength();

class GameSteps : public QObject {
    Q_OBJECT
public:
    explicit GameSteps(QObject *parent = nullptr);

    // Steps are added at the end and run, in order, from start() on; a step may add more.
    void act(std::function<void()> action);
    void pause(int ms);
    // Waits until `done` holds, looking every `everyMs` milliseconds, for at most `timeoutMs`.
    void waitUntil(std::function<bool()> done, int everyMs, int timeoutMs);
    void start();

    void cancel();
    // Steps are pending or one is waiting.
    bool running() const { return m_waiting || !m_steps.empty(); }

private:
    struct Step {
        std::function<void()> action;
        int pauseMs = 0;
        std::function<bool()> until;
        int everyMs = 0;
        int timeoutMs = 0;
    };
    void run();
    void resumeAfter(int ms);

    std::deque<Step> m_steps;
    unsigned m_generation = 0;
    bool m_waiting = false;
    bool m_inRun = false;
    QElapsedTimer m_untilClock;
};
