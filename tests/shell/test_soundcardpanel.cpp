// The closing sound of Stop and its menu item, and the sound-card panel's choices as the user
// reads and leaves them, in the program's own main window with a fake output.

#include "tests/common/fakeaudiooutput.h"
#include "tests/shell/shelltestsupport.h"

#include "shell/languages/languages.h"
#include "shell/mainwindow.h"
#include "shell/settingskeys.h"
#include "shell/settingsstorage.h"
#include "shell/sidewindows.h"
#include "shell/soundcardpanel.h"
#include "shell/soundengine.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

using shelltest::fake;

using shelltest::control;

class SoundControls : public ::testing::Test {
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
        fake().openedDevices.clear();
        ListInputDevices = [] { return QStringList{"In A"}; };
        ListOutputDevices = [] { return QStringList{"Out A", "Out B"}; };
    }
    // The user stops a random series at its last unit (or a typed text, when not random).
    static void stopPlaying(bool randomSeries)
    {
        SoundEngine().State.RandomPlaying = randomSeries;
        Form1->ButtonStop->show();
        Form1->ButtonStop->click();
    }
};

TEST_F(SoundControls, StoppingARandomSeriesPlaysTheClosingSoundWhenTheMenuItemIsChecked)
{
    auto *menu = control<QAction>("MenuSonFermeture");
    ASSERT_NE(menu, nullptr);
    menu->setChecked(false);
    stopPlaying(true);
    EXPECT_TRUE(fake().sounds.empty());

    menu->trigger();
    std::string written;
    for (const auto &line : Settings().write())
        if (line.key == "STOPSOUND=")
            written = line.value;
    EXPECT_EQ(written, "1");
    SoundEngine().State.StopRequested = false;
    stopPlaying(false); // a typed text: no closing sound
    EXPECT_TRUE(fake().sounds.empty());
    stopPlaying(true);
    ASSERT_EQ(fake().sounds.size(), 1u);
    // Our own chime: stereo, never clipped, ending in silence (no click).
    const std::vector<std::int16_t> &chime = *fake().sounds[0];
    ASSERT_EQ(&chime, &SonFermetureSession());
    EXPECT_EQ(chime.size() % 2, 0u);
    EXPECT_LT(*std::max_element(chime.begin(), chime.end()), 32767);
    EXPECT_EQ(chime.back(), 0);

    menu->setChecked(false);
    Settings().applyValue("STOPSOUND=", "1");
    EXPECT_TRUE(menu->isChecked());
}

TEST_F(SoundControls, TheSoundCardPanelsCloseButtonLeavesTheDevicesAsTheyWere)
{
    auto *panel = control<QFrame>("PanelCarteSon");
    auto *mine = control<QRadioButton>("RadioButtonCarteMoi");
    auto *close = control<QPushButton>("ButtonCloseCarteSon");
    ASSERT_TRUE(panel && mine && close);
    for (int outputChosen : {-1, 1}) {
        control<QAction>("MenuSoundCard")->trigger();
        ASSERT_FALSE(panel->isHidden());
        mine->setChecked(true); // with nothing picked too, the cross closes
        control<QComboBox>("ComboBoxChoixOut")->setCurrentIndex(outputChosen);
        close->click();
        EXPECT_TRUE(panel->isHidden());
    }
    EXPECT_EQ(SoundEngine().State.WaveOutDevice, -1);
    EXPECT_EQ(SoundEngine().State.WaveInDevice, -1);
    EXPECT_TRUE(fake().openedDevices.empty());
}

TEST_F(SoundControls, TheSystemsChoiceReadsAsItsDefaultDeviceInTheLanguageChosen)
{
    auto *system = control<QRadioButton>("RadioButtonCarteWin");
    ASSERT_NE(system, nullptr);
    ClickLanguageLetter('D');
    EXPECT_EQ(system->text(), QStringLiteral("Systemstandard"));
    ClickLanguageLetter('E');
    EXPECT_EQ(system->text(), QStringLiteral("System default"));
}

} // namespace
