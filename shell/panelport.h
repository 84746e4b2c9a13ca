#pragma once

// The port panel `PanelPort`: the keying serial port, the roles of DTR and RTS (PTT or CW),
// the transmit delay, and the "On air" lamps. The panel owns the keying lines (SerialKeying)
// for the life of the main window.

#include "engine/serialkeying.h"
#include "platform/serialports.h"

#include <QFrame>
#include <QGroupBox>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAbstractButton;
class QAction;
class QButtonGroup;
class QCheckBox;
class QGridLayout;
class QLabel;
class QListWidget;
class QPushButton;
class SettingsRegistry;
class TForm1;

// A radio group: a titled box of radio buttons with one item index (-1 = none). Setting the
// index in code runs no handler; a user's click runs OnClick.
class PortRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    PortRadioGroup(const QString &title, QWidget *parent, int columns = 1);
    void AddItem(const QString &text);
    int Count() const;
    QString ItemText(int index) const;
    int ItemIndex() const;
    void SetItemIndex(int index);
    QAbstractButton *Item(int index) const;
    std::function<void()> OnClick;

private:
    QButtonGroup *group_;
    QGridLayout *grid_;
    int columns_;
};

class TPanelPort : public QFrame {
    Q_OBJECT
public:
    explicit TPanelPort(TForm1 &form);
    ~TPanelPort() override;

    // The keying globals and the keying port (ComPortKeyer).
    SerialKeying Keying;

    QLabel *LabelPanelPort;
    PortRadioGroup *RadioGroupCOM;
    QListWidget *ListBoxPort; // hidden, sorted: the port names before they join the group
    QGroupBox *GroupBoxPTT;
    QCheckBox *CheckBoxPTTDTR;
    QCheckBox *CheckBoxPTTRTS;
    QGroupBox *GroupBoxCW;
    QCheckBox *CheckBoxCWDTR;
    QCheckBox *CheckBoxCWRTS;
    PortRadioGroup *RadioGroupTXDelay;
    QPushButton *ButtonClosePanelPort;
    QPushButton *ButtonHelpPort;
    // Shown while the keying port is the kernel's console.
    QLabel *LabelConsolePort;

    // The keyer's controls on the panel (manual keying brings their handlers): its key port,
    // the dot and dash lines, the supply lines and the supply button.
    PortRadioGroup *RadioGroupKeyerPort;
    PortRadioGroup *RadioGroupKeyerDOT;
    PortRadioGroup *RadioGroupKeyerDash;
    QCheckBox *CheckBoxPWRDTR;
    QCheckBox *CheckBoxPWRRTS;
    QAbstractButton *SpeedButtonPTTKeyer;
    // The monitor's key group and its supply button: the monitor's own when it has them,
    // hidden stand-ins of the panel's otherwise.
    QGroupBox *GroupBoxKeyMonitor;
    QAbstractButton *SpeedButtonMonPTT;

    // The menu item "&Port" of the main window.
    QAction *MenuPort;

    // Handlers.
    void ListSerialPorts();
    void RadioGroupCOMClick();
    void COMClick();
    void NoCOMClick();
    void OpenKeyingComPort();
    void CheckBoxPTTDTRClick();
    void CheckBoxPTTRTSClick();
    void CheckBoxCWDTRClick();
    void CheckBoxCWRTSClick();
    void RadioGroupTXDelayClick();
    void MenuPortClick();
    void ButtonClosePanelPortClick();

    // Line operations of every transmission (RaisePTT also lights the lamp).
    bool RaisePTT() { return Keying.RaisePTT(); }
    void ReleaseKeyingLines() { Keying.ReleaseKeyingLines(); }

    // Settings: COM= (the port's name, "0" for none), PTT=, CW=, TXDELAY=, MONPTT=.
    void BindSettingsKeys(SettingsRegistry &registry);
    // COM= at start: a name that is listed is chosen and opened; another port name leaves
    // no port and says "Error COM" with the reason. A port that is missing or refused is
    // still written back as the choice until the user chooses a port in the panel.
    void RestoreComPort(const std::string &name);
    // That port while it is kept (missing or refused at start), else empty.
    const std::string &KeptComName() const { return keptComName_; }
    // Start-up's keyer supply step: the supply buttons, KeyerPowerOn and the lines agree.
    void StartupKeyerSupply();
    // Quit: the lines down and the port closed.
    void ReleaseForQuit();

    // Brings the supply buttons, KeyerPowerOn, the role boxes and the lines into agreement
    // after the port changed: with the buttons down and a port open the supply lines are
    // raised, else the supply is off.
    void ApplyKeyerSupply();

private:
    void roleClick(QCheckBox *box, bool cwRole, std::uint8_t line);
    void comKeyerFallback();
    bool portIsConsole() const;
    void showConsoleNote();
    void focusTypingBox();
    void setSupplyBoxesEnabled();
    QWidget *control(const char *name) const;

    TForm1 &form_;
    std::string keptComName_; // COM= from the file that could not be opened at start
};

// "Error COM", then the port's name and why it could not be opened (errno), in the
// current language where the text is ours.
QString ErrorComText(const std::string &port, int error);

// The caption of the monitor's key group for the key port of that index (0 joystick,
// 1 mouse, 2 COM), in the current language; every switch rewrites it for the port chosen.
QString KeyPortCaption(int keyerPortIndex);

// The panel while the main window exists, else null.
TPanelPort *PanelPort();

// Creates the panel in the main window and lists the serial ports (once), and binds its
// settings keys: start-up step 6.
void CreatePortPanel(TForm1 &form);

// The PTT and CW lamps of the "On air" box, valid for the whole process; safe to switch from
// the element clock's thread (the change is posted to the user-interface thread).
KeyingLamps &OnAirLampsForClock();

// What the panel uses from the system; tests put fakes in place before the panel exists.
struct PortPanelSeams {
    std::function<std::vector<std::string>()> listPorts;                    // the serial ports
    std::function<std::unique_ptr<serialdev::SerialDevice>()> makeDevice;   // the keying port's device
    std::string consolesFile = serialports::kConsolesFile;                  // the kernel's consoles
};
PortPanelSeams &portPanelSeams();
