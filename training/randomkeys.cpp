// Enter and Esc in random practice: the rows of the main window's key table.

#include "training/randominternal.h"

#include "shell/keyrouting.h"
#include "shell/mainwindow.h"
#include "shell/soundengine.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QRadioButton>

namespace {

RandomModule &m()
{
    return RandomModuleState();
}

bool enterStops()
{
    if (!m().form)
        return false;
    const auto *item = Form1 ? Form1->findChild<QAction *>(QStringLiteral("MenuDiversEnter")) : nullptr;
    return item && item->isChecked();
}

// The module's controls exist only while its window does.
bool choicePanelShown()
{
    return m().form && !m().PanelChoixRandom->isHidden();
}

bool seriesBoxReady()
{
    return m().form && !m().GroupBoxRandom->isHidden() && !m().CountdownRunning;
}

bool choiceOK(int)
{
    ButtonChoixCaractereOKClick(m().ButtonChoixCaractereOK);
    return true;
}

// Enter in the series box: Play while it is offered, else Stop when Enter may stop.
bool playOrStop(int)
{
    if (!m().BitBtnPlayRandom->isHidden()) {
        BitBtnPlayRandomClick(m().BitBtnPlayRandom);
        return true;
    }
    if (enterStops()) {
        BitBtnStopRandomClick(m().BitBtnStopRandom);
        return true;
    }
    return false;
}

// On a focused Play or Stop button: a running series stops; Enter starts one in random mode.
bool stopOrStart(int key)
{
    if (Form1->Engine.RandomPlaying) {
        BitBtnStopRandomClick(m().BitBtnStopRandom);
        return true;
    }
    if (key == KeyEnter && Form1->RadioButtonRandom->isChecked()) {
        BitBtnPlayRandomClick(m().BitBtnPlayRandom);
        return true;
    }
    return false;
}

} // namespace

void AddRandomKeyRoutes()
{
    // A row that acts takes the key, so Enter never acts twice (the choice box and the typing
    // box would answer it again).
    AddKeyRoute({"random: choice panel", KeyStage::Window, 10, nullptr, KeyEnter,
                 [](int) { return choicePanelShown(); }, choiceOK, KeyConsume::WhenActs});
    AddKeyRoute({"random: series box", KeyStage::Window, 20, nullptr, KeyEnter,
                 [](int) { return seriesBoxReady(); }, playOrStop, KeyConsume::Always});
    AddKeyRoute({"random: count", KeyStage::FocusKeyDown, 50, "SpinEditRandomNumber", KeyEnter,
                 [](int) { return seriesBoxReady(); }, playOrStop, KeyConsume::WhenActs});
    // While the choice panel is shown, the window's row answers Enter before these.
    AddKeyRoute({"random: stop button", KeyStage::FocusKeyPress, 90, "BitBtnStopRandom", KeyEnter | KeyEscape,
                 [](int key) { return m().form && (key == KeyEscape || enterStops()); }, stopOrStart,
                 KeyConsume::WhenActs});
    AddKeyRoute({"random: play button", KeyStage::FocusKeyPress, 110, "BitBtnPlayRandom", KeyEnter,
                 [](int) { return enterStops(); }, stopOrStart, KeyConsume::WhenActs});
}
