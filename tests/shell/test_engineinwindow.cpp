// The sending engine inside the program's own main window: the hidden start button, Stop,
// the no-sound-card timer, the sound-card panel and the speed control, with a fake output
// that records every buffer.

#include "tests/common/fakeaudiooutput.h"
#include "tests/common/testsupport.h"
#include "tests/shell/shelltestsupport.h"

#include "engine/timing.h"
#include "engine/tone.h"
#include "shell/formdialog.h"
#include "shell/languages/languages.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"
#include "shell/soundcardpanel.h"
#include "shell/sidewindows.h"
#include "shell/soundengine.h"
#include "shell/startup.h"
#include "shell/utilities.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <gtest/gtest.h>

#include <vector>

namespace {

// Every window of this test program gets the fake output, before the first one is made.
const bool fakeSound = shelltest::useFakeSound();

constexpr std::size_t E = 16664;     // "e" at 12 wpm: dot, gap, character space of 2 gaps
constexpr std::size_t Blank = 24996; // 6 gaps
constexpr std::size_t T = 12500 + 3 * 4166;

using shelltest::fake;

std::vector<std::size_t> lengths()
{
    std::vector<std::size_t> out;
    for (const auto &b : fake().written)
        out.push_back(b.values.size());
    return out;
}

class EngineInWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fakeSound);
        shelltest::ensureWindows();
        // A quit command of an earlier test left the windows disabled.
        Form1->setEnabled(true);
        for (TSideForm *form : TSideForm::all())
            form->setEnabled(true);
        TSoundEngine &engine = SoundEngine();
        engine.State = EngineState{};
        engine.Timings.setSpeed(12);
        engine.Timings.setStartSilence(0);
        fake().openError = 0;
        fake().writeError = 0;
        fake().finishAll();
        fake().open(-1);
        fake().written.clear();
        Form1->Timer1->stop();
        Form1->TimerTXDelay->stop();
        ShowQuitButton();
    }
    void TearDown() override
    {
        fake().finishAll();
        SoundEngine().State.PlayQueue.clear();
    }
    static void ShowQuitButton()
    {
        Form1->ButtonQuitter->show();
        Form1->ButtonStop->hide();
    }
    static void send(const std::string &text)
    {
        SoundEngine().State.PlayQueue += text;
        Form1->Button1->click();
    }
};

TEST_F(EngineInWindow, Button1SendsTheQueueOneBufferPerCharacterAndComesBackToIdle)
{
    send("e e");
    EXPECT_EQ(lengths(), std::vector<std::size_t>({E}));
    EXPECT_FALSE(SoundEngine().State.PlaybackDone);
    EXPECT_FALSE(Form1->ButtonStop->isHidden());
    EXPECT_TRUE(Form1->ButtonQuitter->isHidden());

    // A second click while the buffer plays is ignored.
    Form1->Button1->click();
    EXPECT_EQ(fake().written.size(), 1u);

    EXPECT_EQ(fake().finishAll(), 3);
    EXPECT_EQ(lengths(), std::vector<std::size_t>({E, Blank, E}));
    EXPECT_TRUE(SoundEngine().State.PlayQueue.empty());
    EXPECT_TRUE(SoundEngine().State.PlaybackDone);
    EXPECT_TRUE(Form1->ButtonStop->isHidden());
    EXPECT_FALSE(Form1->ButtonQuitter->isHidden());
}

TEST_F(EngineInWindow, TheStartSilenceComesBeforeANewTransmissionOnly)
{
    SoundEngine().Timings.setStartSilence(3);
    SoundEngine().State.NewTransmission = true;
    send("ee");
    fake().finishAll();
    EXPECT_EQ(lengths(), std::vector<std::size_t>({12498, E, E}));
}

TEST_F(EngineInWindow, StopLetsTheCharacterInFlightEndAndDropsTheRest)
{
    send("tee");
    ASSERT_EQ(lengths(), std::vector<std::size_t>({T}));
    Form1->ButtonStop->click();
    EXPECT_TRUE(SoundEngine().State.PlayQueue.empty());
    EXPECT_FALSE(Form1->ButtonQuitter->isHidden());
    EXPECT_TRUE(Form1->ButtonStop->isHidden());
    // The dash is not cut: its buffer is still queued, and its end sends nothing more.
    EXPECT_EQ(fake().queued(), 1u);
    EXPECT_FALSE(SoundEngine().State.PlaybackDone);
    fake().finishAll();
    EXPECT_EQ(fake().written.size(), 1u);
    EXPECT_TRUE(SoundEngine().State.PlaybackDone);
}

TEST_F(EngineInWindow, ACharacterQueuedAfterStopIsSentAfterTheOneInFlight)
{
    send("tt");
    Form1->ButtonStop->click();
    send("e"); // typed while the dash still sounds
    EXPECT_EQ(fake().written.size(), 1u);
    fake().finishAll();
    EXPECT_EQ(lengths(), std::vector<std::size_t>({T, E}));
}

TEST_F(EngineInWindow, WithoutASoundCardTimer1PacesTheCharacters)
{
    fake().openError = -9996;
    QString shown;
    shelltest::whenDialogShown([&] {
        shown = shelltest::dialogText();
        FormDialog->ButtonOK->click();
    });
    SoundEngine().OpenAtStart();
    EXPECT_EQ(shown, QStringLiteral("Err -9996 : Can't open the sound card !"));
    EXPECT_TRUE(SoundEngine().State.NoSoundCard);
    EXPECT_TRUE(SoundEngine().Tone.Tables.ToneTablesBuilt());

    fake().written.clear();
    send("et");
    EXPECT_TRUE(fake().written.empty()); // no output call without a card
    EXPECT_TRUE(Form1->Timer1->isActive());
    EXPECT_EQ(Form1->Timer1->interval(), 500); // "e" is shorter than the 500 ms floor
    ASSERT_TRUE(testsupport::waitFor([] { return SoundEngine().State.PlayQueue == "t"; }, 2000));
    // The dash lasts as long as it would sound: 24998 values = 566 ms.
    EXPECT_EQ(Form1->Timer1->interval(), 566);
    ASSERT_TRUE(testsupport::waitFor([] { return SoundEngine().State.PlaybackDone && SoundEngine().State.PlayQueue.empty(); },
                                     3000));
    EXPECT_FALSE(Form1->Timer1->isActive());
    EXPECT_FALSE(Form1->ButtonQuitter->isHidden());
}

TEST_F(EngineInWindow, AFailedWriteIsReportedAndTheQueueGoesOnByTheTimer)
{
    fake().writeError = -9999;
    int messages = 0;
    QString shown;
    auto answer = [&] {
        ++messages;
        shown = shelltest::dialogText();
        FormDialog->ButtonOK->click();
    };
    shelltest::whenDialogShown(answer);
    send("ee");
    EXPECT_EQ(shown, QStringLiteral("Err -9999 : Ecriture Carte Son StartClick"));
    fake().writeError = 0;
    ASSERT_TRUE(testsupport::waitFor([] { return !fake().written.empty(); }, 2000));
    fake().finishAll();
    EXPECT_TRUE(SoundEngine().State.PlayQueue.empty());
    EXPECT_TRUE(SoundEngine().State.PlaybackDone);
    EXPECT_EQ(messages, 1);
}

class SoundCardPanelTest : public EngineInWindow {
protected:
    void SetUp() override
    {
        EngineInWindow::SetUp();
        ListInputDevices = [] { return QStringList{"In A", "In B"}; };
        ListOutputDevices = [] { return QStringList{"Out A", "Out B", "Out C"}; };
        panel = Form1->findChild<QFrame *>("PanelCarteSon");
        win = Form1->findChild<QRadioButton *>("RadioButtonCarteWin");
        mine = Form1->findChild<QRadioButton *>("RadioButtonCarteMoi");
        in = Form1->findChild<QComboBox *>("ComboBoxChoixIn");
        out = Form1->findChild<QComboBox *>("ComboBoxChoixOut");
        ok = Form1->findChild<QPushButton *>("BitBtnOKCarteSon");
        menu = Form1->findChild<QAction *>("MenuSoundCard");
        ASSERT_TRUE(panel && win && mine && in && out && ok && menu);
        win->setChecked(true);
        SoundEngine().State.WaveOutDevice = -1;
        SoundEngine().State.WaveInDevice = -1;
        fake().openedDevices.clear();
    }
    QFrame *panel = nullptr;
    QRadioButton *win = nullptr;
    QRadioButton *mine = nullptr;
    QComboBox *in = nullptr;
    QComboBox *out = nullptr;
    QPushButton *ok = nullptr;
    QAction *menu = nullptr;
};

TEST_F(SoundCardPanelTest, RefusedWhileSomethingIsSent)
{
    send("ee");
    QString shown;
    shelltest::whenDialogShown([&] {
        shown = shelltest::dialogText();
        FormDialog->ButtonOK->click();
    });
    menu->trigger();
    EXPECT_EQ(shown, QStringLiteral("Stop playing before changing sound card !"));
    EXPECT_TRUE(panel->isHidden());
}

TEST_F(SoundCardPanelTest, TheUsersChoiceReopensTheOutputOnThatDevice)
{
    menu->trigger();
    ASSERT_FALSE(panel->isHidden());
    EXPECT_EQ(out->count(), 3);
    EXPECT_EQ(in->count(), 2);
    EXPECT_EQ(out->currentIndex(), -1); // the system's choice shows no device

    // "My choice" with nothing chosen is refused and the panel stays.
    mine->setChecked(true);
    ok->click();
    EXPECT_FALSE(panel->isHidden());

    in->setCurrentIndex(1);
    out->setCurrentIndex(2);
    ok->click();
    EXPECT_TRUE(panel->isHidden());
    EXPECT_EQ(SoundEngine().State.WaveOutDevice, 2);
    EXPECT_EQ(SoundEngine().State.WaveInDevice, 1);
    EXPECT_EQ(fake().openedDevices, std::vector<int>({2}));
    EXPECT_TRUE(fake().isOpen());

    // Opened again, the panel shows the devices chosen.
    menu->trigger();
    EXPECT_EQ(in->currentIndex(), 1);
    EXPECT_EQ(out->currentIndex(), 2);
    // The same choice again changes nothing.
    ok->click();
    EXPECT_EQ(fake().openedDevices.size(), 1u);

    // Back to the system's choice.
    menu->trigger();
    win->setChecked(true);
    ok->click();
    EXPECT_EQ(SoundEngine().State.WaveOutDevice, -1);
    EXPECT_EQ(fake().openedDevices, std::vector<int>({2, -1}));
}

// A sound server that has not answered yet (frozen, or slow at start) is not waited for: the
// panel shows at once with empty lists, filled with the choice shown once it answers.
TEST_F(SoundCardPanelTest, TheListsOfASoundSystemNotAnsweringYetAreFilledWhenItAnswers)
{
    std::function<void()> answered;
    DeviceListsKnown = [&](std::function<void()> then) {
        answered = std::move(then);
        return false;
    };
    SoundEngine().State.WaveOutDevice = 2;
    SoundEngine().State.WaveInDevice = 1;
    menu->trigger();
    ASSERT_FALSE(panel->isHidden());
    EXPECT_TRUE(mine->isChecked());
    EXPECT_EQ(out->count(), 0);
    EXPECT_EQ(in->count(), 0);
    ASSERT_TRUE(answered);
    answered();
    EXPECT_EQ(out->count(), 3);
    EXPECT_EQ(in->count(), 2);
    EXPECT_EQ(out->currentIndex(), 2);
    EXPECT_EQ(in->currentIndex(), 1);

    // An answer that comes after the panel was closed leaves it alone.
    menu->trigger();
    ClickNamed(Form1, "ButtonCloseCarteSon");
    ListOutputDevices = [] { return QStringList{"Out Z"}; };
    answered();
    EXPECT_TRUE(panel->isHidden());
    EXPECT_EQ(out->count(), 0);
}

TEST_F(SoundCardPanelTest, AFailedReopenLeavesTheProgramOnTheTimerAndALaterOneRecovers)
{
    fake().openError = -9985;
    QString shown;
    shelltest::whenDialogShown([&] {
        shown = shelltest::dialogText();
        FormDialog->ButtonOK->click();
    });
    menu->trigger();
    mine->setChecked(true);
    in->setCurrentIndex(0);
    out->setCurrentIndex(1);
    ok->click();
    EXPECT_EQ(shown, QStringLiteral("Err -9985 : Can't open the sound card !"));
    EXPECT_TRUE(SoundEngine().State.NoSoundCard);

    send("e");
    EXPECT_TRUE(Form1->Timer1->isActive());
    ASSERT_TRUE(testsupport::waitFor([] { return SoundEngine().State.PlaybackDone && SoundEngine().State.PlayQueue.empty(); },
                                     2000));

    // The same choice is tried again while no device is open.
    fake().openError = 0;
    menu->trigger();
    ok->click();
    EXPECT_FALSE(SoundEngine().State.NoSoundCard);
    fake().written.clear();
    send("e");
    EXPECT_EQ(lengths(), std::vector<std::size_t>({E}));
    EXPECT_FALSE(Form1->Timer1->isActive());
}

TEST_F(SoundCardPanelTest, TuneEnhancementIsAMenuCheckAndStopWaveOutSilencesEitherWay)
{
    auto *tune = Form1->findChild<QAction *>("MenuDeleteClick");
    ASSERT_NE(tune, nullptr);
    tune->setChecked(false);
    fake().gainHistory.clear();
    fake().silences = 0;
    SoundEngine().Cycle->StopWaveOut();
    tune->trigger();
    EXPECT_TRUE(tune->isChecked());
    SoundEngine().Cycle->StopWaveOut();
    EXPECT_EQ(fake().silences, 2);
    EXPECT_TRUE(fake().gainHistory.empty()); // the program's volume is left alone
    tune->trigger();
    EXPECT_FALSE(tune->isChecked());
}

TEST_F(EngineInWindow, TheSpeedControlSetsTheTimingModel)
{
    auto *speed = Form1->findChild<QSpinBox *>("UpDownVitesse");
    ASSERT_NE(speed, nullptr);
    ASSERT_NE(Form1->findChild<QWidget *>("EditVitesse"), nullptr);
    speed->setValue(20);
    EXPECT_EQ(SoundEngine().Timings.Speed(), 20);
    send("t");
    fake().finishAll();
    // At 20 wpm: SpeedUnit 8, dash 2 x round(30000 / 8) = 7500.
    EXPECT_EQ(lengths(), std::vector<std::size_t>({7500 + 3 * 2500}));
    speed->setValue(99);
    EXPECT_EQ(SoundEngine().Timings.Speed(), 70);
    speed->setValue(12);
    EXPECT_EQ(SoundEngine().Timings.Speed(), 12);
}

TEST_F(EngineInWindow, TheRealSpeedLabelFollowsTheSpeedAndTheLanguage)
{
    auto *speed = Form1->findChild<QSpinBox *>("UpDownVitesse");
    auto *label = Form1->findChild<QLabel *>("LabelVitesseCorrigee");
    ASSERT_NE(speed, nullptr);
    ASSERT_NE(label, nullptr);
    speed->setValue(12);
    EXPECT_EQ(label->text(), TxtRealSpeed() + QStringLiteral("12.0"));
    EXPECT_TRUE(speed->toolTip().isEmpty());
    speed->setValue(20);
    EXPECT_EQ(label->text(), TxtRealSpeed() + QStringLiteral("20.0"));
    ClickLanguageLetter('S');
    EXPECT_EQ(label->text(), QStringLiteral("Velocidad effectiva (ppm) = 20.0"));
    // The program's own window, in Spanish: its title and the replay button's caption.
    EXPECT_EQ(Form1->windowTitle(),
              QStringLiteral("KESTRELON 5.2.9 - EL PROFESOR Y ENTRENADOR DE CÓDIGO MORSE"));
    auto *replay = Form1->findChild<QAbstractButton *>("ButtonReplayText");
    ASSERT_NE(replay, nullptr);
    EXPECT_EQ(replay->text(), QStringLiteral("Reprod. &texto"));
    ClickLanguageLetter('E');
    EXPECT_EQ(replay->text(), QStringLiteral("Replay &Text"));
    speed->setValue(12);
}

TEST_F(EngineInWindow, TheQuitCommandReleasesTheOutputAndLaterReportsChangeNothing)
{
    send("ee");
    QuitCommand();
    EXPECT_FALSE(fake().isOpen());
    EXPECT_TRUE(SoundEngine().State.Quitting);
    // The buffer dropped by the close came back done; nothing more was written.
    EXPECT_EQ(fake().written.size(), 1u);
    EXPECT_TRUE(SoundEngine().State.PlaybackDone);
}

} // namespace
