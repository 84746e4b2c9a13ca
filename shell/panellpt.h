#pragma once

// The parallel-port part of the port panel: the port (LPT1 to LPT3 as the kernel knows them,
// or a base address typed in), the keying pin and its polarity, the menu item "Ignore LPT
// ports", their settings keys, the start-up steps that detect and apply the port, and the
// quit steps that put the pin at key-up and give the port back. The element clock keys the
// pin through ClockParallelPort() with the state published here.

#include "engine/parallelkeying.h"

#include <QObject>

#include <array>
#include <functional>
#include <memory>
#include <string>

class ElementClock;
class PortRadioGroup;
class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class SettingsRegistry;
class TForm1;
class TPanelPort;

class TLptPort : public QObject {
    Q_OBJECT
public:
    TLptPort(TForm1 &form, TPanelPort &panel);
    ~TLptPort() override;

    ParallelKeying Lpt;

    PortRadioGroup *RadioGroupLPT;
    std::array<QLineEdit *, 4> EditLPT{}; // [1..3]: EditLPT1 .. EditLPT3
    PortRadioGroup *RadioGroupPin;
    std::array<QCheckBox *, 4> CheckBoxPin{}; // CheckBoxPin1, CheckBoxPin14, CheckBoxPin16, CheckBoxPin17
    QFrame *Panel5;
    QCheckBox *CheckBoxLPTx;
    QLineEdit *EditLPTx;
    QLabel *Label7;
    QAction *MenuNoLPT;

    // A parallel port is in use: an LPT item above NONE, or LPTx checked.
    bool PortInUse() const;
    // The chosen pin with its polarity box.
    LptPin ChosenPin() const;

    // Handlers.
    void RadioGroupLPTClick();
    void CheckBoxPinClick(int pinIndex); // CheckBoxPin1Click .. CheckBoxPin17Click by pin index
    void RadioGroupPinClick();
    void EditLPTChange(int n);           // EditLPT1Change .. EditLPT3Change
    void CheckBoxLPTxClick();
    void EditLPTxChange();

    // Start-up: the settings' fix-ups (detection included), then steps 17 and 18.
    void BindSettingsKeys(SettingsRegistry &registry);
    void ApplyAtStart();
    // Quit: the pin to key-up (both roads); port access given back (the quit command).
    void ReleasePinForQuit();
    void ReleaseAccessForQuit();

    // The element clock that keys the pin gets the port's state at every change; null
    // detaches it.
    void AttachClock(ElementClock *clock);

private:
    void settingsFixUps();
    void showDetectedPorts();
    void setLptIndex(int index);
    void setLPTxChecked(bool checked);
    void applyIdleLevel(LptPin previous = {});
    void refuseCustomAddress();
    void publish();

    TForm1 &form_;
    ElementClock *clock_ = nullptr;
    bool passive_ = false;           // the handlers do nothing while the settings are applied
    bool driverMessageShown_ = false; // flips at every LPTx call while the driver is missing
    int shownPin_ = -1;              // the pin chosen before the current click

    // Read from the settings file, applied by the fix-ups and at start.
    int iniLptIndexRead_ = 0;
    std::string iniLptAddressText_;
    bool iniCustomRead_ = false;
    std::string iniCustomText_;
    int iniPinIndex_ = -1;
    bool iniNegativeLogic_ = false;
    int iniLptIndex_ = 0;
    std::uint16_t iniLptAddress_ = 0;
    bool iniCustomLpt_ = false;
};

// The panel's parallel-port part while it exists, else null.
TLptPort *LptPort();

// Creates the parallel-port part in the port panel (once the panel exists) and binds its
// settings keys: start-up step 6.
void CreateParallelPortControls(TForm1 &form);

// What the parallel port uses from the system; tests put a fake device and a tree of their
// own in place before the panel exists.
struct LptSeams {
    ppdev::Roots roots;
    TParallelPortAccess::DeviceFactory makeDevice; // null: /dev/parportN
    std::function<void()> beep;
};
LptSeams &lptSeams();
