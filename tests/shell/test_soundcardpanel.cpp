// The closing sound of Stop and its menu item, and the sound-card panel's choices as the user
// reads and leaves them, in the program's own main window with a fake output.

#include "tests/common/fakeaudiooutput.h"
#include "tests/shell/shelltestsupport.h"

#include "shell/languages/languages.h"
#include "shell/mainwindow.h"
#include "shell/settingskeys.h"
#include "shell/soundcardpanel.h"
#include "shell/settingsstorage.h"
#include "shell/sidewindows.h"
#include "shell/soundengine.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

FakeAudioOutput &fake()
{
    return dynamic_cast<FakeAudioOutput &>(*SoundEngine().Output);
}

std::string written(std::string_view key)
{
    for (const auto &line : Settings().write())
        if (line.key == key)
            return line.value;
    return "(none)";
}

class ClosingSound : public ::testing::Test {
protected:
    void SetUp() override
    {
        shelltest::ensureWindows();
        // A quit command of an earlier test left the windows disabled.
        Form1->setEnabled(true);
        for (TSideForm *form : TSideForm::all())
            form->setEnabled(true);
        SoundEngine().State = EngineState{};
        fake().open(-1);
        fake().sounds.clear();
        menu = Form1->findChild<QAction *>("MenuSonFermeture");
        ASSERT_NE(menu, nullptr);
        menu->setChecked(false);
    }
    // The user stops a random series at its last unit (or a typed text, when not random).
    void stopPlaying(bool randomSeries)
    {
        SoundEngine().State.RandomPlaying = randomSeries;
        Form1->ButtonStop->show();
        Form1->ButtonStop->click();
    }
    QAction *menu = nullptr;
};

TEST_F(ClosingSound, StoppingARandomSeriesPlaysItWhenTheMenuItemIsChecked)
{
    stopPlaying(true);
    EXPECT_TRUE(fake().sounds.empty());
    EXPECT_EQ(written("STOPSOUND="), "(none)");

    menu->trigger();
    ASSERT_TRUE(menu->isChecked());
    EXPECT_EQ(written("STOPSOUND="), "1");
    SoundEngine().State.StopRequested = false;
    stopPlaying(false); // a typed text: no closing sound
    EXPECT_TRUE(fake().sounds.empty());
    stopPlaying(true);
    ASSERT_EQ(fake().sounds.size(), 1u);
    EXPECT_EQ(fake().sounds[0], &SonFermetureSession());

    menu->setChecked(false);
    Settings().applyValue("STOPSOUND=", "1");
    EXPECT_TRUE(menu->isChecked());
}

// Our own chime: 0.9 s, the same in both channels, never clipped, ending in silence.
TEST(ClosingSoundItself, IsAShortStereoSoundThatEndsSilent)
{
    const std::vector<std::int16_t> &sound = SonFermetureSession();
    ASSERT_EQ(sound.size(), 2u * 19845);
    for (std::size_t i = 0; i < sound.size(); i += 2)
        ASSERT_EQ(sound[i], sound[i + 1]);
    const auto [low, high] = std::minmax_element(sound.begin(), sound.end());
    EXPECT_GT(*high, 4000);
    EXPECT_LT(std::max<int>(-*low, *high), 32767);
    EXPECT_EQ(sound[0], 0);
    EXPECT_EQ(sound.back(), 0);
}

class SoundCardChoice : public ClosingSound {
protected:
    void SetUp() override
    {
        ClosingSound::SetUp();
        ListInputDevices = [] { return QStringList{"Mono mic", "In B"}; };
        ListOutputDevices = [] { return QStringList{"Out A", "Out B"}; };
        panel = Form1->findChild<QFrame *>("PanelCarteSon");
        system = Form1->findChild<QRadioButton *>("RadioButtonCarteWin");
        mine = Form1->findChild<QRadioButton *>("RadioButtonCarteMoi");
        out = Form1->findChild<QComboBox *>("ComboBoxChoixOut");
        close = Form1->findChild<QPushButton *>("ButtonCloseCarteSon");
        ASSERT_TRUE(panel && system && mine && out && close);
        SoundEngine().State.WaveOutDevice = -1;
        SoundEngine().State.WaveInDevice = -1;
        fake().openedDevices.clear();
    }
    QFrame *panel = nullptr;
    QRadioButton *system = nullptr;
    QRadioButton *mine = nullptr;
    QComboBox *out = nullptr;
    QPushButton *close = nullptr;
};

TEST_F(SoundCardChoice, TheCloseButtonLeavesTheDevicesAsTheyWere)
{
    Form1->findChild<QAction *>("MenuSoundCard")->trigger();
    ASSERT_FALSE(panel->isHidden());
    mine->setChecked(true); // "My choice" with nothing picked: the close button still closes
    close->click();
    EXPECT_TRUE(panel->isHidden());

    Form1->findChild<QAction *>("MenuSoundCard")->trigger();
    EXPECT_TRUE(system->isChecked());
    mine->setChecked(true);
    out->setCurrentIndex(1);
    close->click();
    EXPECT_TRUE(panel->isHidden());
    EXPECT_EQ(SoundEngine().State.WaveOutDevice, -1);
    EXPECT_EQ(SoundEngine().State.WaveInDevice, -1);
    EXPECT_TRUE(fake().openedDevices.empty());
}

TEST_F(SoundCardChoice, TheSystemsChoiceReadsAsItsDefaultDeviceInEveryLanguage)
{
    const char letters[] = {'E', 'M', 'D', 'F', 'I', 'P', 'S'};
    for (char letter : letters) {
        ClickLanguageLetter(letter);
        EXPECT_FALSE(system->text().contains(QStringLiteral("Windows"))) << letter;
    }
    ClickLanguageLetter('D');
    EXPECT_EQ(system->text(), QStringLiteral("Systemstandard"));
    ClickLanguageLetter('E');
    EXPECT_EQ(system->text(), QStringLiteral("System default"));
}

} // namespace
