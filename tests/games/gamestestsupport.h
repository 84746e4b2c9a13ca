#pragma once

// What the games' window tests share: the program's windows with the fake sound output, the
// games' pauses shortened, and clicks on the game tiles as the user makes them.

#include "tests/common/fakeaudiooutput.h"
#include "tests/common/testsupport.h"
#include "tests/shell/shelltestsupport.h"

#include "games/gamesteps.h"
#include "games/gamewidgets.h"
#include "shell/mainwindow.h"
#include "shell/sidewindows.h"
#include "shell/soundengine.h"

#include <QTest>
#include <gtest/gtest.h>

namespace gamestest {

using shelltest::fake;

inline EngineState &engine()
{
    return SoundEngine().State;
}

// A left click in the middle of a tile's face.
inline void click(GameTile *tile)
{
    QTest::mouseClick(tile, Qt::LeftButton, Qt::NoModifier, QPoint(tile->width() / 3, tile->height() / 3));
}

// Every test starts with the program's windows, an idle engine at 12 wpm on the fake output
// and the games' pauses cut to `waitLength` of what they are.
class GameWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Lets the fake output report every buffer, so queued characters are "heard" at once.
    static bool heardAll();
    int waitDivisor = 50;
};

} // namespace gamestest
