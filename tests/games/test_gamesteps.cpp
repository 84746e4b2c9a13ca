// The games' timed steps: order, a wait that never comes true ends at its time-out, and
// cancelling in the middle of a pause drops everything that was to follow.

#include "tests/common/testsupport.h"

#include "games/gamesteps.h"

#include <gtest/gtest.h>

#include <string>

TEST(GameSteps, StepsRunInOrderAndAWaitThatNeverEndsGivesUpAtItsTimeOut)
{
    GameSteps steps;
    std::string done;
    steps.act([&] { done += "a"; });
    steps.pause(5);
    steps.act([&] {
        done += "b";
        steps.act([&] { done += "d"; }); // added by a step: runs after those already there
    });
    steps.waitUntil([] { return false; }, 5, 60);
    steps.act([&] { done += "c"; });
    steps.start();
    EXPECT_EQ(done, "a"); // the pause goes through the event loop
    ASSERT_TRUE(testsupport::waitFor([&] { return !steps.running(); }));
    EXPECT_EQ(done, "abcd");
}

TEST(GameSteps, CancellingDuringAPauseDropsWhatFollowsAndANewRunStartsClean)
{
    GameSteps steps;
    std::string done;
    steps.pause(20);
    steps.act([&] { done += "old"; });
    steps.start();
    ASSERT_TRUE(steps.running());
    steps.cancel();
    EXPECT_FALSE(steps.running());
    steps.pause(40);
    steps.act([&] { done += "new"; });
    steps.start();
    ASSERT_TRUE(testsupport::waitFor([&] { return !steps.running(); }));
    EXPECT_EQ(done, "new");
}
