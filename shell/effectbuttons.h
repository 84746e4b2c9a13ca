#pragma once

// The six effect buttons of the main window and the Effects menu. Noise, fading and drift each
// have a button for random series and one for file texts; a click switches the effect, a
// right-button release opens its window. The menu opens the pitch window and, like a
// right-button release, the noise, fading and drift windows. Settings keys BR_NOISE=,
// BF_NOISE=, BR_QSB=, BF_QSB=, BR_DRIFT=, BF_DRIFT=.

#include <QObject>

class QAction;
class QMenu;
class QToolButton;
class SettingsRegistry;
class TForm1;

struct EffectButtons {
    QToolButton *SpeedButtonNoise = nullptr;
    QToolButton *SpeedButtonNoiseFile = nullptr;
    QToolButton *SpeedButtonQSB = nullptr;
    QToolButton *SpeedButtonQSBFile = nullptr;
    QToolButton *SpeedButtonDrift = nullptr;
    QToolButton *SpeedButtonDriftFile = nullptr;
    QMenu *MenuEffects = nullptr;
    QAction *MenuNote = nullptr;
    QAction *MenuNoisesettings = nullptr;
    QAction *MenuQSBsetting = nullptr;
    QAction *MenuDriftSetting = nullptr;
};

// Builds the buttons on the main window's frame, the menu, and binds the keys.
EffectButtons BuildEffectButtons(TForm1 &form);

// Button handlers: each switches its effect (the drift ones also keep or restore the pitch).
void SpeedButtonNoiseClick();
void SpeedButtonNoiseFileClick();
void SpeedButtonQSBClick();
void SpeedButtonQSBFileClick();
void SpeedButtonDriftClick();
void SpeedButtonDriftFileClick();
// Menu handlers.
void MenuNoteClick();
void MenuNoisesettingsClick();
void MenuQSBsettingClick();
void MenuDriftSettingClick();

// Binds BR_NOISE=, BF_NOISE=, BR_QSB=, BF_QSB=, BR_DRIFT=, BF_DRIFT= to the buttons.
void BindEffectButtonKeys(SettingsRegistry &registry);

// The sending engine's switches follow the buttons (start-up, once the engine exists).
void ApplyEffectButtonsToEngine();
