#include "games/gamesteps.h"

#include <QTimer>

#include <algorithm>

std::function<int(int ms)> &GameWaitLength()
{
    static std::function<int(int)> length = [](int ms) { return ms; };
    return length;
}

GameSteps::GameSteps(QObject *parent)
    : QObject(parent)
{
}

void GameSteps::act(std::function<void()> action)
{
    m_steps.push_back({std::move(action), 0, {}, 0, 0});
}

void GameSteps::pause(int ms)
{
    m_steps.push_back({{}, std::max(0, ms), {}, 0, 0});
}

void GameSteps::waitUntil(std::function<bool()> done, int everyMs, int timeoutMs)
{
    m_steps.push_back({{}, 0, std::move(done), std::max(1, everyMs), timeoutMs});
}

void GameSteps::start()
{
    if (!m_waiting && !m_inRun)
        run();
}

void GameSteps::cancel()
{
    m_steps.clear();
    m_waiting = false;
    m_untilClock.invalidate();
    ++m_generation;
}

void GameSteps::resumeAfter(int ms)
{
    m_waiting = true;
    const unsigned generation = m_generation;
    QTimer::singleShot(ms, this, [this, generation] {
        if (generation != m_generation)
            return; // cancelled meanwhile
        m_waiting = false;
        run();
    });
}

void GameSteps::run()
{
    m_inRun = true;
    while (!m_steps.empty() && !m_waiting) {
        Step &step = m_steps.front();
        if (step.until) {
            if (!m_untilClock.isValid())
                m_untilClock.start();
            if (!step.until() && m_untilClock.elapsed() < step.timeoutMs) {
                resumeAfter(std::max(1, GameWaitLength()(step.everyMs)));
                break;
            }
            m_untilClock.invalidate();
            m_steps.pop_front();
            continue;
        }
        if (step.pauseMs > 0) {
            // Even a pause shortened to nothing goes through the event loop, so the screen is drawn.
            const int ms = std::max(0, GameWaitLength()(step.pauseMs));
            m_steps.pop_front();
            resumeAfter(ms);
            break;
        }
        // An action may cancel (the front is gone then) or add steps at the end.
        std::function<void()> action = std::move(step.action);
        m_steps.pop_front();
        if (action)
            action();
    }
    m_inRun = false;
}
