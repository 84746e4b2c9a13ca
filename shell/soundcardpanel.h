#pragma once

// The sound-card panel PanelCarteSon ("SOUND CARD"): the user leaves the choice of the input
// and output devices to the system (its default devices) or picks them from the lists, and
// the output is opened again on the new choice. Also the menu items MenuDeleteClick, which
// chooses how the output is silenced (settings key TUNEQ=), and MenuSonFermeture, which plays
// the closing sound when Stop ends a random series or a quiz (STOPSOUND=).

class QAction;
class QComboBox;
class QFrame;
class QPushButton;
class QRadioButton;
class TForm1;

struct SoundCardPanel {
    QFrame *PanelCarteSon = nullptr;
    QRadioButton *RadioButtonCarteWin = nullptr; // the system chooses (default)
    QRadioButton *RadioButtonCarteMoi = nullptr; // the user chooses
    QComboBox *ComboBoxChoixIn = nullptr;
    QComboBox *ComboBoxChoixOut = nullptr;
    QPushButton *BitBtnOKCarteSon = nullptr;
    QPushButton *ButtonCloseCarteSon = nullptr;
    QPushButton *ButtonCarteSonHelp = nullptr;
    QAction *MenuSoundCard = nullptr;
    QAction *MenuDeleteClick = nullptr;
    QAction *MenuSonFermeture = nullptr;
};

// Builds the panel (hidden) and its menu items on the main window and binds the keys.
SoundCardPanel BuildSoundCardPanel(TForm1 &form);

// Opens the panel, unless something is being sent.
void MenuSoundCardClick();
// Takes the choice, hides the panel and opens the output again on it.
void BitBtnOKCarteSonClick();
// The panel's close button: hides it and leaves the devices as they were.
void ButtonCloseCarteSonClick();
// "Tune enhancement": toggles the item's check mark.
void MenuDeleteClickClick();

#include <QStringList>

#include <functional>

// The device names the lists show, by default from the sound system. Tests put their own.
extern std::function<QStringList()> ListInputDevices;
extern std::function<QStringList()> ListOutputDevices;
// Whether the names can be had now without waiting on the sound system; when not, `then` runs
// on the user-interface thread once they can.
extern std::function<bool(std::function<void()> then)> DeviceListsKnown;
