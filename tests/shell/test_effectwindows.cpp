// The effect windows and buttons as a user uses them: each control moves the tone model within
// its limits and the next character the engine renders (fake output) shows the change.

#include "tests/common/fakeaudiooutput.h"
#include "tests/common/testsupport.h"
#include "tests/shell/shelltestsupport.h"

#include "engine/tone.h"
#include "shell/effectbuttons.h"
#include "shell/effectwindows.h"
#include "shell/enginesettingskeys.h"
#include "shell/languages/languages.h"
#include "shell/mainwindow.h"
#include "shell/settingskeys.h"
#include "shell/soundengine.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

const bool fakeSound = shelltest::useFakeSound();

using shelltest::fake;

QToolButton *button(const char *name)
{
    return Form1->findChild<QToolButton *>(QString::fromLatin1(name));
}

class EffectWindows : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fakeSound);
        shelltest::ensureWindows();
        // A quit tested before disables the windows.
        for (QWidget *w : std::initializer_list<QWidget *>{Form1, FormNote, FormNoise, FormQSB, FormDrift, FormDriftBMP})
            w->setEnabled(true);
        fake().finishAll();
        SoundEngine().State = EngineState{};
        SoundEngine().Timings = Timing{};
        SoundEngine().Timings.setStartSilence(0);
        for (const char *name : {"SpeedButtonNoise", "SpeedButtonQSB", "SpeedButtonDrift", "SpeedButtonNoiseFile",
                                 "SpeedButtonQSBFile", "SpeedButtonDriftFile"}) {
            button(name)->setAutoExclusive(false); // as designed, whatever a test before did
            button(name)->setChecked(false);
        }
        ApplyEffectButtonsToEngine();
        FormNote->CheckBoxTonExamen->setChecked(false);
        FormNote->TrackBarNote->setValue(70);
        designDriftWindow();
        tone().Tables = ToneTables{};
        tone().drift = Drift{};
        tone().Fade = Fading{};
    }
    void TearDown() override
    {
        for (QWidget *w : std::initializer_list<QWidget *>{FormNote, FormNoise, FormQSB, FormDrift, FormDriftBMP})
            w->hide();
        fake().finishAll();
        SoundEngine().State.PlayQueue.clear();
        FormNote->TrackBarNote->setValue(70);
        designDriftWindow();
        tone().Tables = ToneTables{};
        tone().drift = Drift{};
    }
    // The drift window's design ranges and positions (a pitch change narrows them).
    static void designDriftWindow()
    {
        FormDrift->UpDownFMax->setRange(800, 1500);
        FormDrift->UpDownFMin->setRange(100, 800);
        FormDrift->UpDownFMax->setValue(1300);
        FormDrift->UpDownFMin->setValue(300);
        FormDrift->UpDownDrift->setValue(10);
    }
    static ToneGenerator &tone() { return Form1->EngineTone; }
    // The buffer of one character; `series` sends it as part of a random series (whose end
    // the playback cycle marks when the queue runs empty).
    static std::vector<std::int16_t> rendered(const std::string &character, bool series = false)
    {
        fake().written.clear();
        SoundEngine().State.RandomPlaying = series;
        SoundEngine().State.PlayQueue += character;
        Form1->Button1->click();
        std::vector<std::int16_t> values = fake().written.empty() ? std::vector<std::int16_t>{} : fake().written[0].values;
        fake().finishAll();
        return values;
    }
    // The left value of a frame well inside the first element (past its rise, before its fall).
    static int toneAt(const std::vector<std::int16_t> &values, int frame) { return values.at(2 * frame); }
    static int expectedTone(double hz, int frame, double dB = -12)
    {
        return int(std::lrint(std::sin(2 * M_PI * frame * hz / 22050) * 32767 * std::pow(10.0, dB / 20)));
    }
};

TEST_F(EffectWindows, ThePitchWindowSetsThePitchTheExamToneAndPlaysItsTest)
{
    FormNote->show();
    FormDrift->show();
    QTest::keyClick(FormNote->TrackBarNote, Qt::Key_End); // the bottom: 100 Hz
    EXPECT_EQ(tone().Tables.ToneFrequency(), 100);
    EXPECT_EQ(tone().Tables.BaseFrequency(), 100);
    EXPECT_EQ(FormNote->StaticTextNote->text(), QStringLiteral("100 Hz"));
    EXPECT_EQ(IniNotePosition, 140);
    EXPECT_EQ(toneAt(rendered("t"), 100), expectedTone(100, 100));

    // 1400 Hz with the drift window open: its upper limit cannot lie below the pitch.
    FormNote->TrackBarNote->setValue(10);
    EXPECT_EQ(FormDrift->UpDownFMax->minimum(), 1400);
    EXPECT_EQ(FormDrift->UpDownFMax->value(), 1400);
    EXPECT_EQ(tone().drift.DriftUpper(), 1400);
    EXPECT_EQ(FormDrift->StaticTextF0->text(), QStringLiteral("F0 = 1400 Hz"));
    EXPECT_EQ(toneAt(rendered("t"), 100), expectedTone(1400, 100));

    // The exam tone: 830 Hz with its harmonics whatever the track bar says; NOTE= says -1.
    QTest::mouseClick(FormNote->CheckBoxTonExamen, Qt::LeftButton);
    EXPECT_TRUE(tone().Tables.ExamTone());
    EXPECT_EQ(IniNotePosition, -1);
    auto exam = [](int n) {
        auto partial = [n](int h) { return std::sin(2 * M_PI * h * n * 830 / 22050.0); };
        return int(std::lrint((0.214 * partial(1) + 0.557 * partial(2) + 0.228 * partial(3)) * 32767 *
                              std::pow(10.0, -12 / 20.0)));
    };
    EXPECT_EQ(toneAt(rendered("t"), 100), exam(100));
    QTest::mouseClick(FormNote->CheckBoxTonExamen, Qt::LeftButton);
    EXPECT_EQ(IniNotePosition, 10);

    // Test plays a "v" through the typing handler, only while nothing else is queued.
    fake().written.clear();
    QTest::mouseClick(FormNote->SpeedButtonPlayV, Qt::LeftButton);
    EXPECT_TRUE(SoundEngine().State.NotePlaying);
    ASSERT_TRUE(testsupport::waitFor([] { return !fake().written.empty(); }, 2000));
    EXPECT_EQ(fake().written[0].values.size(),
              std::size_t(SoundEngine().Timings.CharacterValues("...-", SoundEngine().Timings.CharGapUnits())));
}

TEST_F(EffectWindows, NoiseAndFadingWindowsShapeTheNextCharacterOfARandomSeries)
{
    // Noise: the button switches it, the track bar and the band shape it.
    QTest::mouseClick(button("SpeedButtonNoise"), Qt::LeftButton);
    FormNoise->TrackBarNoise->setValue(20);
    EXPECT_EQ(tone().Tables.NoiseLevel(), 0);
    EXPECT_EQ(IniNoisePosition, 20);
    std::vector<std::int16_t> e = rendered("e", true);
    EXPECT_EQ(e.back(), 0);
    FormNoise->TrackBarNoise->setValue(0);
    EXPECT_EQ(tone().Tables.NoiseLevel(), 32768);
    QTest::mouseClick(FormNoise->RadioButton10k, Qt::LeftButton);
    EXPECT_EQ(tone().Tables.NoiseBandDivisor(), 1);
    e = rendered("e", true);
    const std::size_t gapStart = 2 * (4166 / 2) + 10;
    EXPECT_NE(e[gapStart], e[gapStart + 2]); // noise fills the gap, a new value every frame
    EXPECT_EQ(e[gapStart], e[gapStart + 1]); // and both channels alike
    QTest::mouseClick(button("SpeedButtonNoise"), Qt::LeftButton);
    EXPECT_EQ(rendered("e", true).back(), 0);

    // Fading: at its deepest point of the cycle the character is QsbDepth dB lower.
    QTest::mouseClick(button("SpeedButtonQSB"), Qt::LeftButton);
    FormQSB->show();
    FormQSB->TrackBarQSB->setValue(20);
    EXPECT_EQ(tone().Fade.QsbDepth(), 20);
    FormQSB->RadioButtonfast->click();
    EXPECT_EQ(tone().Fade.QSBSpeed(), 2);
    EXPECT_EQ(tone().Fade.QSBPeriod(), 4);
    EXPECT_LT(tone().Fade.QSBPhase(), 4); // restarted somewhere in its cycle of 12 x 4 / 12
    tone().Fade.setQSBPhase(2); // P = 12 x 2 / 12 = 2: the deepest
    const int faded = toneAt(rendered("t", true), 100);
    EXPECT_NEAR(faded, expectedTone(800, 100) * 0.1, 1);

    // The window checks the speed in use and speaks the checked language.
    FormQSB->hide();
    tone().Fade.setQSBSpeed(10);
    Deutsch1Click();
    FormQSB->show();
    EXPECT_TRUE(FormQSB->RadioButtonSlow->isChecked());
    EXPECT_EQ(FormQSB->RadioButtonSlow->text(), QStringLiteral("Langsam"));
    EXPECT_EQ(FormQSB->GroupBoxQSBSpeed->title(), QStringLiteral("Geschwindigkeit"));
    English1Click();
}

TEST_F(EffectWindows, DriftStepsEachCharacterAndItsButtonGoingUpRestoresThePitch)
{
    FormNote->TrackBarNote->setValue(21); // 1290 Hz
    FormDrift->show();
    EXPECT_EQ(FormDrift->LabelDriftTitle->text(), QStringLiteral("Drift (QRH)"));
    FormDrift->UpDownFMax->setValue(1300);
    QTest::mouseClick(button("SpeedButtonDrift"), Qt::LeftButton);
    EXPECT_EQ(tone().Tables.BaseFrequency(), 1290);
    rendered("t", true); // the step is taken before the character: 1300, where it turns down
    EXPECT_EQ(tone().Tables.ToneFrequency(), 1300);
    EXPECT_EQ(toneAt(rendered("t", true), 100), expectedTone(1300, 100));
    EXPECT_EQ(tone().Tables.ToneFrequency(), 1290);
    // A new amount keeps the direction.
    QTest::keyClick(FormDrift->UpDownDrift, Qt::Key_Up);
    EXPECT_EQ(tone().drift.DriftAmount(), 15);
    EXPECT_EQ(tone().drift.DriftNow(), -15);
    rendered("t", true);
    EXPECT_EQ(tone().Tables.ToneFrequency(), 1275);

    QTest::mouseClick(button("SpeedButtonDrift"), Qt::LeftButton);
    EXPECT_EQ(tone().Tables.ToneFrequency(), 1290);
    EXPECT_EQ(toneAt(rendered("t", true), 100), expectedTone(1290, 100));

    QTest::mouseClick(FormDrift->BitBtnBMP, Qt::LeftButton);
    EXPECT_TRUE(FormDriftBMP->isVisible());
    FormDrift->hide();
    EXPECT_FALSE(FormDriftBMP->isVisible());
}

TEST_F(EffectWindows, ARightClickOpensTheWindowAndTheButtonsAreKeptInTheSettings)
{
    QTest::mouseClick(button("SpeedButtonQSBFile"), Qt::RightButton);
    EXPECT_TRUE(FormQSB->isVisible());
    EXPECT_FALSE(button("SpeedButtonQSBFile")->isChecked());
    Form1->findChild<QAction *>(QStringLiteral("MenuNoisesettings"))->trigger();
    EXPECT_TRUE(FormNoise->isVisible());

    SettingsRegistry registry;
    BindEffectButtonKeys(registry);
    registry.applyValue("BF_NOISE=", "1");
    registry.applyValue("BR_DRIFT=", "1");
    EXPECT_TRUE(button("SpeedButtonNoiseFile")->isChecked());
    EXPECT_TRUE(SoundEngine().Effects->SpeedButtonNoiseFile);
    EXPECT_TRUE(SoundEngine().Effects->SpeedButtonDrift);
    std::map<std::string, std::string> written;
    for (const auto &line : registry.write())
        written[line.key] = line.value;
    EXPECT_EQ(written["BF_NOISE="], "1");
    EXPECT_EQ(written["BR_DRIFT="], "1");
    EXPECT_EQ(written["BR_NOISE="], "0");
}

} // namespace
