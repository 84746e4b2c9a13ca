// The memory-pairs window as the player uses it: a turn waits for each character to be heard
// (behind a transmit delay too), the program's turn and its scoreboard, and a new game that
// cancels a turn in progress.

#include "tests/devices/fakeserialdevice.h"
#include "tests/games/gamestestsupport.h"

#include "games/formmemorypairs.h"
#include "games/gameart.h"
#include "games/gamesmodule.h"
#include "shell/mainwindow.h"
#include "shell/panelport.h"
#include "shell/settingskeys.h"
#include "shell/utilities.h"

#include <QAction>
#include <QCheckBox>
#include <QRadioButton>
#include <QLabel>
#include <QTimer>

using namespace gamestest;

namespace {

class PairsWindow : public GameWindowTest {
protected:
    TFormMemoryPairs *w = nullptr;

    void SetUp() override
    {
        GameWindowTest::SetUp();
        w = FormMemoryPairs;
        ASSERT_NE(w, nullptr);
    }
    // Opens the window (the first showing lays a game) and waits for the tiles to be laid.
    void open(int level, int players)
    {
        GamesState().PairsLevel = level;
        GamesState().PairsPlayers = players;
        w->show();
        ASSERT_TRUE(settled());
    }
    bool settled()
    {
        return testsupport::waitFor([&] { return heardAll() && !w->StepsPending() && !w->TimerPC->isActive(); }, 20000);
    }
    // Level 0 laid by hand: a, b, a', c, b', d, c', d' (' = the Morse picture).
    void layKnownTiles()
    {
        const char *layout[] = {"image_car_a", "image_car_b", "image_cod_a", "image_car_c",
                                "image_cod_b", "image_car_d", "image_cod_c", "image_cod_d"};
        for (int n = 1; n <= 8; ++n)
            w->Game.names[n] = layout[n - 1];
    }
    bool faceDown(int n) const { return w->Tiles[n]->picture() == QLatin1String(PairsFaceDown); }
    QString shown(int n) const { return w->Tiles[n]->picture(); }
};

} // namespace

TEST_F(PairsWindow, TheFirstShowingLaysTheStoredLevelAndEachTurnedTileIsHeardBeforeTheNext)
{
    open(0, 1);
    EXPECT_EQ(w->StaticTextNiveau->text(), QStringLiteral("Level 0\n4 pairs\n8 tiles"));
    EXPECT_TRUE(w->LevelItems[0]->isChecked());
    for (int n = 1; n <= 72; ++n) {
        EXPECT_EQ(!w->Tiles[n]->isHidden(), n <= 8) << n;
        if (n <= 8) {
            EXPECT_TRUE(faceDown(n)) << n;
        }
    }
    layKnownTiles();

    // The first tile turns and is sent; until it has been heard the next click is not taken.
    click(w->Tiles[1]);
    ASSERT_TRUE(testsupport::waitFor([&] { return shown(1) == QLatin1String("image_car_a"); }));
    ASSERT_TRUE(testsupport::waitFor([] { return !fake().written.empty(); }));
    EXPECT_TRUE(engine().PairsPlaying);
    click(w->Tiles[2]);
    QTest::qWait(20);
    EXPECT_TRUE(faceDown(2));
    fake().finishAll();
    ASSERT_TRUE(testsupport::waitFor([&] { return !w->TileClickBusy; }));

    // A miss: both tiles go back down; a pair: both go away. Alone, the turns are counted.
    click(w->Tiles[2]);
    ASSERT_TRUE(settled());
    EXPECT_TRUE(faceDown(1));
    EXPECT_TRUE(faceDown(2));
    EXPECT_EQ(w->StaticTextCount->text(), QStringLiteral("1"));
    for (auto [a, b] : {std::pair{1, 3}, std::pair{2, 5}, std::pair{4, 7}, std::pair{6, 8}}) {
        click(w->Tiles[a]);
        ASSERT_TRUE(settled());
        click(w->Tiles[b]);
        ASSERT_TRUE(settled());
        EXPECT_TRUE(w->Tiles[a]->isHidden());
        EXPECT_TRUE(w->Tiles[b]->isHidden());
    }
    EXPECT_EQ(w->StaticTextCount->text(), QStringLiteral("5"));
    EXPECT_EQ(w->LabelBestScore->text(), QStringLiteral("Best score:\n5"));
    std::vector<std::string> kept;
    for (const auto &line : Settings().write())
        if (line.key.starts_with("PAIRS"))
            kept.push_back(line.key + line.value);
    EXPECT_EQ(kept, (std::vector<std::string>{"PAIRSCOLOR=1113856", "PAIRSLEVEL=0", "PAIRSPLAYERS=1",
                                              "PAIRSBEST=5,-1,-1,-1,-1,-1,-1,-1,-1,"}));
}

TEST_F(PairsWindow, WithATransmitDelayTheSecondTileNeverTurnsBeforeTheFirstCharacterHasSounded)
{
    // The keying port on a scripted device: PTT on RTS, 250 ms before the first sound.
    const PortPanelSeams programSeams = portPanelSeams();
    delete PanelPort();
    portPanelSeams().listPorts = [] { return std::vector<std::string>{"ttyS0"}; };
    portPanelSeams().makeDevice = [] { return std::unique_ptr<serialdev::SerialDevice>(new FakeSerialDevice); };
    CreatePortPanel(*Form1);
    TPanelPort *panel = PanelPort();
    panel->RadioGroupCOM->Item(1)->click();
    panel->CheckBoxPTTRTS->click();
    panel->RadioGroupTXDelay->Item(4)->click();
    ASSERT_EQ(Form1->TimerTXDelay->interval(), 250);

    open(0, 2);
    layKnownTiles();
    click(w->Tiles[4]);
    ASSERT_TRUE(testsupport::waitFor([&] { return shown(4) == QLatin1String("image_car_c"); }));
    // PTT is up, the sound has not begun: the game waits, whatever the player clicks.
    EXPECT_TRUE(Form1->TimerTXDelay->isActive());
    while (fake().written.empty()) {
        click(w->Tiles[5]);
        ASSERT_TRUE(faceDown(5));
        QTest::qWait(5);
    }
    // Playing now; still not heard to its end.
    click(w->Tiles[5]);
    QTest::qWait(20);
    EXPECT_TRUE(faceDown(5));
    fake().finishAll();
    ASSERT_TRUE(testsupport::waitFor([&] { return !w->TileClickBusy; }));
    click(w->Tiles[5]);
    ASSERT_TRUE(testsupport::waitFor([&] { return shown(5) == QLatin1String("image_cod_b"); }));

    // The program's own turn waits for each of its characters in the same way. The user's
    // miss (c, b') is heard; the program turns 1, and 2 stays down until 1 has been heard.
    ASSERT_TRUE(testsupport::waitFor([] { return fake().written.size() == 2; }));
    fake().finishAll();
    ASSERT_TRUE(testsupport::waitFor([&] { return shown(1) == QLatin1String("image_car_a"); }));
    ASSERT_TRUE(testsupport::waitFor([] { return fake().written.size() == 3; }));
    QTest::qWait(20);
    EXPECT_TRUE(faceDown(2));
    fake().finishAll();
    ASSERT_TRUE(testsupport::waitFor([&] { return shown(2) == QLatin1String("image_car_b"); }));
    ASSERT_TRUE(settled());
    EXPECT_TRUE(faceDown(1));
    EXPECT_TRUE(faceDown(2));
    EXPECT_EQ(w->Game.turn, 1);

    delete PanelPort();
    portPanelSeams() = programSeams;
    CreatePortPanel(*Form1);
}

TEST_F(PairsWindow, AgainstTheProgramTheScoreboardFollowsTheTurnsAndANewGameCancelsTheProgramsTurn)
{
    open(0, 2);
    EXPECT_FALSE(w->GroupBox1Joueur->isEnabled());
    EXPECT_TRUE(w->GroupBox2Joueurs->isEnabled());
    layKnownTiles();
    click(w->Tiles[4]);
    ASSERT_TRUE(testsupport::waitFor([&] { return heardAll() && !w->TileClickBusy; }));
    click(w->Tiles[5]);
    // The miss hands the turn over.
    ASSERT_TRUE(testsupport::waitFor([&] { return heardAll() && w->LabelPC->text() == QLatin1String("Kestrelon plays"); }));
    EXPECT_EQ(w->LabelMoi->text(), QStringLiteral("You wait"));
    EXPECT_EQ(w->LabelMoi->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_FALSE(w->ImagePC->isHidden());
    EXPECT_TRUE(w->ImageMoi->isHidden());
    // Hidden and shown again (as a language switch does), the scoreboard is as it was.
    w->hide();
    w->show();
    EXPECT_EQ(w->LabelMoi->text(), QStringLiteral("You wait"));
    EXPECT_EQ(w->LabelPC->text(), QStringLiteral("Kestrelon plays"));

    ASSERT_TRUE(settled());
    EXPECT_EQ(w->LabelMoi->text(), QStringLiteral("You play"));
    EXPECT_EQ(w->LabelPC->text(), QStringLiteral("Kestrelon waits"));
    EXPECT_EQ(w->StaticTextpairsPC->text(), QStringLiteral("0"));

    // The user misses again; the program's turn begins and a new game comes in the middle.
    click(w->Tiles[3]);
    ASSERT_TRUE(testsupport::waitFor([&] { return heardAll() && !w->TileClickBusy; }));
    click(w->Tiles[6]);
    ASSERT_TRUE(testsupport::waitFor([&] { heardAll(); return !w->Tiles[7]->isHidden() && !faceDown(7); }, 20000));
    w->Menunewgame->trigger();
    ASSERT_TRUE(settled());
    QTest::qWait(20 * 1000 / waitDivisor);
    for (int n = 1; n <= 8; ++n) {
        EXPECT_FALSE(w->Tiles[n]->isHidden()) << n;
        EXPECT_TRUE(faceDown(n)) << n;
    }
    EXPECT_EQ(w->Game.TilesLeft(), 8);
    EXPECT_EQ(w->StaticTextpairsPC->text(), QStringLiteral("0"));
    EXPECT_EQ(w->LabelMoi->text(), QStringLiteral("You play"));

    // Alone again: the program's side is greyed and nothing of it runs.
    w->MenuJoueurs1->trigger();
    ASSERT_TRUE(settled());
    EXPECT_TRUE(w->GroupBox1Joueur->isEnabled());
    EXPECT_FALSE(w->GroupBox2Joueurs->isEnabled());
    EXPECT_FALSE(w->ImageMoiGris->isHidden());
    EXPECT_EQ(GamesState().PairsPlayers, 1);
}

TEST_F(PairsWindow, TheCountersKeepTheirLargeBoldFontAtEveryStepAndBackAt100)
{
    open(0, 2);
    const char *const counters[] = {"StaticTextCount", "StaticTextPairsMoi", "StaticTextpairsPC"};
    auto font = [&](const char *name) {
        auto *label = w->findChild<QLabel *>(QString::fromLatin1(name));
        EXPECT_NE(label, nullptr) << name;
        return label ? label->font() : QFont();
    };
    const qreal design = font("StaticTextCount").pointSizeF();
    ASSERT_GT(design, font("Label1").pointSizeF());
    w->hide();
    for (int percent : {150, 200, 100}) {
        SCOPED_TRACE(percent);
        ASSERT_TRUE(ClickMenuItem(Form1->findChild<QAction *>(QStringLiteral("MenuAgrandir%1").arg(percent))));
        w->show();
        for (const char *name : counters) {
            EXPECT_TRUE(font(name).bold()) << name;
            EXPECT_DOUBLE_EQ(font(name).pointSizeF(), design * percent / 100) << name;
        }
        w->hide();
    }
}

TEST_F(PairsWindow, ARefusedCharacterIsNotWaitedFor)
{
    open(0, 1);
    // Delayed play keeps typed keys for later: nothing is queued, so nothing is awaited.
    ASSERT_TRUE(ClickNamed(Form1, "MenuDelayedPlay"));
    click(w->Tiles[1]);
    ASSERT_TRUE(testsupport::waitFor([&] { return !w->TileClickBusy; }));
    EXPECT_TRUE(engine().PlayQueue.empty());
    EXPECT_FALSE(engine().PairsPlaying);
    EXPECT_FALSE(faceDown(1));

    // Nor is anything handed over once the program is quitting (a turn still shown then); the
    // turn ends all the same.
    ASSERT_TRUE(ClickNamed(Form1, "MenuDelayedPlay"));
    engine().Quitting = true;
    click(w->Tiles[2]);
    ASSERT_TRUE(settled());
    EXPECT_TRUE(engine().PlayQueue.empty());
    EXPECT_FALSE(engine().PairsPlaying);
    EXPECT_EQ(w->StaticTextCount->text(), QStringLiteral("1"));
    engine().Quitting = false;
}
