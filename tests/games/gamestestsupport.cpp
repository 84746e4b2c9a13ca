#include "tests/games/gamestestsupport.h"

#include <QTimer>

namespace gamestest {

namespace {

// Every window of this test program gets the fake output, before the first one is made.
const bool fakeSound = shelltest::useFakeSound();

} // namespace

void GameWindowTest::SetUp()
{
    ASSERT_TRUE(fakeSound);
    shelltest::ensureWindows();
    Form1->setEnabled(true);
    for (TSideForm *form : TSideForm::all())
        form->setEnabled(true);
    TSoundEngine &sound = SoundEngine();
    sound.State = EngineState{};
    sound.Timings.setSpeed(12);
    sound.Timings.setStartSilence(0);
    fake().finishAll();
    fake().open(-1);
    fake().written.clear();
    Form1->Timer1->stop();
    Form1->TimerTXDelay->stop();
    const int divisor = waitDivisor;
    GameWaitLength() = [divisor](int ms) { return ms / divisor; };
}

void GameWindowTest::TearDown()
{
    GameWaitLength() = [](int ms) { return ms; };
    fake().finishAll();
    engine().PlayQueue.clear();
}

bool GameWindowTest::heardAll()
{
    fake().finishAll();
    return true;
}

} // namespace gamestest
