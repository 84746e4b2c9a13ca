#include "engine/timing.h"

#include <gtest/gtest.h>

TEST(Timing, ElementLengthsInValuesAndMilliseconds)
{
    struct Case {
        int speed;
        int dash, dot3, dot4, dot5, gap;
        int dashMs, dotMs, gapMs; // weight 3
    };
    const Case cases[] = {
        {5, 30000, 10000, 7500, 6000, 10000, 680, 227, 227},
        {12, 12500, 4166, 3124, 2500, 4166, 283, 94, 94},
        // 4687.5 frames and 1562.5 frames: halves go to even (half away would give 9376/3126).
        {16, 9376, 3124, 2344, 1876, 3124, 213, 71, 71},
        {70, 2142, 714, 536, 428, 714, 49, 16, 16},
    };
    for (const Case &c : cases) {
        Timing t;
        t.setSpeed(c.speed);
        ASSERT_EQ(t.Speed(), c.speed);
        EXPECT_EQ(t.DashValues(), c.dash) << c.speed;
        EXPECT_EQ(t.DotValues(), c.dot3) << c.speed;
        EXPECT_EQ(t.GapValues(), c.gap) << c.speed;
        EXPECT_EQ(t.CWDashMs(), c.dashMs) << c.speed;
        EXPECT_EQ(t.CWDotMs(), c.dotMs) << c.speed;
        EXPECT_EQ(t.CWGapMs(), c.gapMs) << c.speed;
        EXPECT_EQ(t.KeyerGapValues(0.0), c.gap) << c.speed;
        t.setDashWeight(4);
        EXPECT_EQ(t.DotValues(), c.dot4) << c.speed;
        t.setDashWeight(5);
        EXPECT_EQ(t.DotValues(), c.dot5) << c.speed;
        EXPECT_EQ(t.DashValues(), c.dash) << c.speed; // weight shortens the dot only
        EXPECT_EQ(t.GapValues(), c.gap) << c.speed;
        EXPECT_EQ(t.ElementValues('-'), c.dash);
        EXPECT_EQ(t.ElementValues('.'), c.dot5);
    }
}

TEST(Timing, EveryLengthIsEvenAndPositiveOverTheWholeRange)
{
    Timing t;
    for (int speed = MinSpeed; speed <= MaxSpeed; ++speed) {
        t.setSpeed(speed);
        for (int w = 3; w <= 5; ++w) {
            t.setDashWeight(w);
            for (int v : {t.DashValues(), t.DotValues(), t.GapValues(), t.KeyerGapValues(0.5)}) {
                EXPECT_GT(v, 0);
                EXPECT_EQ(v % 2, 0);
            }
        }
        EXPECT_LE(t.KeyerGapValues(0.5), t.GapValues());
    }
}

TEST(Timing, SpeedIsClampedWhereItEnters)
{
    Timing t;
    const int in[] = {0, 1, 4, 5, 70, 71, -3, 1000};
    const int out[] = {5, 5, 5, 5, 70, 70, 5, 70};
    for (int i = 0; i < 8; ++i) {
        t.setSpeed(in[i]);
        EXPECT_EQ(t.Speed(), out[i]) << in[i];
        EXPECT_DOUBLE_EQ(t.SpeedUnit(), out[i] / 2.5);
    }
    // The menu's Up stops at 50, Down at 5.
    t.setSpeed(49);
    EXPECT_TRUE(t.UpSpeed());
    EXPECT_FALSE(t.UpSpeed());
    EXPECT_EQ(t.Speed(), 50);
    t.setSpeed(6);
    EXPECT_TRUE(t.DownSpeed());
    EXPECT_FALSE(t.DownSpeed());
    EXPECT_EQ(t.Speed(), 5);
}

TEST(Timing, SpacingUnits)
{
    Timing t;
    EXPECT_EQ(t.CharGapUnits(), 2); // with the element's own gap: 3 units after a character
    EXPECT_EQ(t.BlankGapUnits(), 6);
    // "A A": 1 + C after the first letter, then the blank.
    EXPECT_EQ(1 + t.CharGapUnits() + t.BlankGapUnits(), 9);
    // The end of a random group: 7 units from the last element.
    EXPECT_EQ(1 + t.CharacterSpaceGapUnits(false, true), 7);
    EXPECT_EQ(t.CharacterSpaceGapUnits(false, false), 2);
    EXPECT_EQ(t.CharacterSpaceGapUnits(true, false), 2);
    EXPECT_EQ(t.CharacterSpaceGapUnits(false, false, true), 0);
    EXPECT_EQ(t.StartSilenceGapUnits(true), 3);
    EXPECT_EQ(t.StartSilenceGapUnits(false), 0);
    EXPECT_EQ(t.LeadingSpaceGapUnits(false), 0);

    // "e" alone: a dot and 3 gap units; "-.-" at 12 wpm.
    EXPECT_EQ(t.CharacterValues(".", t.CharGapUnits()), 4166 + 3 * 4166);
    EXPECT_EQ(t.CharacterValues("-.-", 2), 12500 * 2 + 4166 + 5 * 4166);
    EXPECT_EQ(t.CharacterValues("-", 0, 1000), 12500 + 1000);
    EXPECT_EQ(t.SilenceValues(t.BlankGapUnits()), 6 * 4166);

    ASSERT_TRUE(t.setCharacterSpacing(2));
    EXPECT_EQ(t.CharGapUnits(), 5);
    EXPECT_EQ(1 + t.CharGapUnits(), 6);
    EXPECT_EQ(t.CharacterSpaceGapUnits(true, false), 2); // the quiz ignores S
    ASSERT_TRUE(t.setWordSpacing(3));
    ASSERT_TRUE(t.setWordSpacingFine(4));
    EXPECT_EQ(t.BlankGapUnits(), 21 + 4 + 5 - 3);
    ASSERT_TRUE(t.setLeadingSpace(2));
    EXPECT_EQ(t.LeadingSpaceGapUnits(false), 6);
    EXPECT_EQ(t.LeadingSpaceGapUnits(true), 0);
    ASSERT_TRUE(t.setStartSilence(9));
    EXPECT_EQ(t.StartSilenceGapUnits(true), 9);

    // Out-of-range values are ignored.
    EXPECT_FALSE(t.setCharacterSpacing(0));
    EXPECT_FALSE(t.setCharacterSpacing(31));
    EXPECT_FALSE(t.setWordSpacing(21));
    EXPECT_FALSE(t.setWordSpacingFine(7));
    EXPECT_FALSE(t.setLeadingSpace(11));
    EXPECT_FALSE(t.setStartSilence(10));
    EXPECT_EQ(t.CharacterSpacing(), 2);
}

TEST(Timing, RealSpeed)
{
    Timing t;
    EXPECT_DOUBLE_EQ(t.EffectiveSpeed(), 12.0);
    EXPECT_EQ(t.RealSpeedFigure(), "12.0");
    EXPECT_FALSE(t.RealSpeedDiffers());
    t.setCharacterSpacing(2); // 12 x 49 / 64
    EXPECT_EQ(t.RealSpeedFigure(), "9.2");
    EXPECT_TRUE(t.RealSpeedDiffers());

    // 17 x 49 / 196 is 4.25 exactly: the half goes up, as the label always showed it.
    Timing half;
    half.setSpeed(17);
    ASSERT_TRUE(half.setWordSpacing(19));
    ASSERT_TRUE(half.setWordSpacingFine(6));
    ASSERT_TRUE(half.setLeadingSpace(1));
    EXPECT_DOUBLE_EQ(half.EffectiveSpeed(), 4.25);
    EXPECT_EQ(half.RealSpeedFigure(), "4.3");
}

TEST(Timing, RealSpeedFloorStepsBackAsOftenAsNeeded)
{
    // Speed 5, W 20, F 6: S can be raised only to 4 (real speed 245 / 233).
    Timing t;
    t.setSpeed(5);
    ASSERT_TRUE(t.setWordSpacing(20));
    ASSERT_TRUE(t.setWordSpacingFine(6));
    for (int s = 2; s <= 6; ++s)
        t.setCharacterSpacing(s);
    EXPECT_EQ(t.CharacterSpacing(), 4);
    EXPECT_EQ(t.RealSpeedFigure(), "1.1");

    // A jump of several steps at once lands at the same place.
    t.setCharacterSpacing(1);
    t.setCharacterSpacing(30);
    EXPECT_EQ(t.CharacterSpacing(), 4);

    // Lowering the speed from 70 to 5 in one go with S 30 steps S back all the way.
    Timing u;
    u.setSpeed(70);
    u.setWordSpacing(20);
    u.setWordSpacingFine(6);
    u.setCharacterSpacing(30);
    EXPECT_EQ(u.CharacterSpacing(), 30);
    u.setSpeed(5);
    EXPECT_EQ(u.CharacterSpacing(), 4);
    EXPECT_GE(u.EffectiveSpeed(), 1.0);

    // Raising W resets F; a too wide word spacing steps W back.
    Timing v;
    v.setSpeed(5);
    v.setCharacterSpacing(10);
    v.setWordSpacingFine(6);
    v.setWordSpacing(20);
    EXPECT_EQ(v.WordGapExtra(), 0);
    EXPECT_GE(v.EffectiveSpeed(), 1.0);
    EXPECT_LT(v.WordGapSetting(), 20);
    int w = v.WordGapSetting();
    v.setWordSpacing(w + 1);
    EXPECT_EQ(v.WordGapSetting(), w);

    // Leading space: S steps back first, then with S at 1 the leading space itself.
    Timing n;
    n.setSpeed(5);
    n.setWordSpacing(20);
    n.setWordSpacingFine(6);
    n.setCharacterSpacing(3);
    n.setLeadingSpace(10);
    EXPECT_EQ(n.CharacterSpacing(), 1);
    EXPECT_GE(n.EffectiveSpeed(), 1.0);
    EXPECT_EQ(n.LeadingSpace(), 3); // 245 / 233; N 4 would give 245 / 248
}
