#include "shell/panellpt.h"
#include "shell/utilities.h"

#include "engine/elementclock.h"
#include "shell/accessiblenames.h"
#include "shell/formdialog.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/panelport.h"
#include "shell/settingsformat.h"
#include "shell/settingskeys.h"
#include "shell/soundengine.h"
#include "shell/systembeep.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QSignalBlocker>

namespace {

QPointer<TLptPort> thePort;

constexpr Tr kLptAddressError("LPT port address error", "LPT port cím hiba", "Fehler in der LPT-Portadresse",
                              "Erreur d'adresse du port LPT", "Errore nell'indirizzo della porta LPT",
                              "Erro no endereço da porta LPT", "Error en la dirección del puerto LPT");

constexpr TextRow kTexts[] = {
    {"MenuNoLPT", TextKind::Caption,
     Tr("Ignore LPT ports", "LPT portok figyelmen kívül hagyása", "LPT-Ports ignorieren", "Ignorer les ports LPT",
        "Ignora le porte LPT", "Ignorar portas LPT", "Ignorar puertos LPT")},
    {"EditLPTx", TextKind::Hint,
     Tr("Enter a 4-digit hex value", "Adj meg egy 4 jegyü hexadecimális értéket", "Einen 4-stelligen Hex-Wert eingeben",
        "Entrez une valeur hexadécimale de 4 chiffres", "Inserire un valore esadecimale di 4 cifre",
        "Introduza um valor hexadecimal de 4 dígitos", "Introduzca un valor hexadecimal de 4 dígitos")},
    // Port names read alike in every language.
    {"RadioGroupLPT", TextKind::Caption, Alike("LPT")},
    {"CheckBoxLPTx", TextKind::Caption, Alike("LPTx")},
    {"Label7", TextKind::Caption, Alike("h")},
    {"RadioGroupPin", TextKind::Caption, Alike("TX CW/LPT")},
    {"RadioGroupPin", TextKind::Item, 0, Tr("Pin 1", "Tü 1", "Pin 1", "Broche 1", "Pin 1", "Pino 1", "Pin 1")},
    {"RadioGroupPin", TextKind::Item, 1, Tr("Pin 14", "Tü 14", "Pin 14", "Broche 14", "Pin 14", "Pino 14", "Pin 14")},
    {"RadioGroupPin", TextKind::Item, 2, Tr("Pin 16", "Tü 16", "Pin 16", "Broche 16", "Pin 16", "Pino 16", "Pin 16")},
    {"RadioGroupPin", TextKind::Item, 3, Tr("Pin 17", "Tü 17", "Pin 17", "Broche 17", "Pin 17", "Pino 17", "Pin 17")},
};
static_assert(allLanguagesPresent(kTexts, [](const TextRow &row) -> const Tr & { return row.text; }),
              "every language of every row");

constexpr const char *pinBoxNames[4] = {"CheckBoxPin1", "CheckBoxPin14", "CheckBoxPin16", "CheckBoxPin17"};

// The control's own Enabled flag, whatever its parents' state.
bool ownEnabled(const QWidget *widget)
{
    return !widget->testAttribute(Qt::WA_ForceDisabled);
}

QGridLayout *gridOf(QWidget *group)
{
    return qobject_cast<QGridLayout *>(group->layout());
}

void beep()
{
    if (lptSeams().beep)
        lptSeams().beep();
}

} // namespace

LptSeams &lptSeams()
{
    static LptSeams seams{ppdev::Roots{}, nullptr, [] { ProgramBeep(); }};
    return seams;
}

TLptPort *LptPort()
{
    return thePort.data();
}

TLptPort::TLptPort(TForm1 &form, TPanelPort &panel)
    : QObject(&panel), Lpt(std::make_unique<TParallelPortAccess>(lptSeams().roots, lptSeams().makeDevice)),
      form_(form)
{
    setObjectName(QStringLiteral("LptPort"));
    // Room below the serial controls, above the "On air" box.
    panel.resize(panel.width(), 364);

    RadioGroupLPT = Named(new PortRadioGroup(QStringLiteral("LPT"), &panel), "RadioGroupLPT");
    RadioGroupLPT->setGeometry(8, 230, 200, 100);
    for (const char *item : {"NONE", "LPT1", "LPT2", "LPT3"})
        RadioGroupLPT->AddItem(QString::fromLatin1(item));
    RadioGroupLPT->SetItemIndex(0);
    NameWithinPlace(RadioGroupLPT->Item(0), RadioGroupLPT);
    RadioGroupLPT->OnClick = [this] { RadioGroupLPTClick(); };
    for (int n = 1; n <= 3; ++n) {
        MarkAsValue(RadioGroupLPT->Item(n)); // the detected port's name
        NameAs(RadioGroupLPT->Item(n), [item = RadioGroupLPT->Item(n), n] {
            return item->text().isEmpty() ? QStringLiteral("LPT%1").arg(n) : WithoutAccessKeys(item->text());
        });
        auto *edit = Named(new QLineEdit(QStringLiteral("[0000h]"), RadioGroupLPT),
                           QStringLiteral("EditLPT%1").arg(n).toLatin1().constData());
        edit->setReadOnly(true);
        edit->setFrame(false);
        // It shows the address of the port beside it; the user acts on the port's button.
        edit->setFocusPolicy(Qt::NoFocus);
        gridOf(RadioGroupLPT)->addWidget(edit, n, 1);
        EditLPT[n] = edit;
        connect(edit, &QLineEdit::textChanged, this, [this, n] { EditLPTChange(n); });
    }

    Panel5 = Named(new QFrame(&panel), "Panel5");
    Panel5->setGeometry(8, 332, 200, 28);
    CheckBoxLPTx = Named(new QCheckBox(QStringLiteral("LPTx"), Panel5), "CheckBoxLPTx");
    CheckBoxLPTx->setGeometry(4, 3, 60, 22);
    EditLPTx = Named(new QLineEdit(Panel5), "EditLPTx");
    EditLPTx->setMaxLength(4);
    EditLPTx->setToolTip(QStringLiteral("Enter a 4-digit hex value"));
    EditLPTx->setGeometry(66, 3, 60, 22);
    Label7 = Named(new QLabel(QStringLiteral("h"), Panel5), "Label7");
    Label7->setGeometry(130, 3, 16, 22);
    // Checked or unchecked, by the user or in code, runs the handler.
    connect(CheckBoxLPTx, &QCheckBox::toggled, this, [this] { CheckBoxLPTxClick(); });
    connect(EditLPTx, &QLineEdit::textChanged, this, [this] { EditLPTxChange(); });

    RadioGroupPin = Named(new PortRadioGroup(QStringLiteral("TX CW/LPT"), &panel), "RadioGroupPin");
    RadioGroupPin->setGeometry(216, 230, 208, 130);
    for (const char *item : {"Pin 1", "Pin 14", "Pin 16", "Pin 17"})
        RadioGroupPin->AddItem(QString::fromLatin1(item));
    RadioGroupPin->OnClick = [this] { RadioGroupPinClick(); };
    for (int pin = 0; pin < 4; ++pin) {
        auto *box = Named(new QCheckBox(QStringLiteral("Neg. logic"), RadioGroupPin), pinBoxNames[pin]);
        box->setChecked(pin != 2);
        gridOf(RadioGroupPin)->addWidget(box, pin, 1);
        CheckBoxPin[pin] = box;
        NameWithinPlace(box, RadioGroupPin->Item(pin));
        connect(box, &QCheckBox::toggled, this, [this, pin] { CheckBoxPinClick(pin); });
    }
    for (QWidget *w : std::initializer_list<QWidget *>{RadioGroupLPT, Panel5, RadioGroupPin})
        w->show();

    MenuNoLPT = Named(new QAction(QStringLiteral("Ignore LPT ports"), &form), "MenuNoLPT");
    MenuNoLPT->setCheckable(true);
    form.MenuOutils->insertAction(form.MenuOutilsQuit, MenuNoLPT);
    RegisterMainWindowTexts(kTexts);

    ActivateParallelPort(&Lpt.Access());
    // Made again while the engine runs: the engine's clock keys the pin at once.
    if (TSoundEngine *engine = SoundEnginePtr())
        AttachClock(engine->Clock.get());
}

TLptPort::~TLptPort()
{
    ActivateParallelPort(nullptr);
    AttachClock(nullptr);
    delete MenuNoLPT;
}

void CreateParallelPortControls(TForm1 &form)
{
    TPanelPort *panel = PanelPort();
    if (!panel)
        return;
    if (!thePort)
        thePort = new TLptPort(form, *panel);
    thePort->BindSettingsKeys(Settings());

    AddModuleStep(ModuleStep::ApplyParallelPort, "parallel port", [] {
        if (TLptPort *port = LptPort())
            port->ApplyAtStart();
    });
    AddModuleStep(ModuleStep::QuitReleaseParallelPin, "parallel pin", [] {
        if (TLptPort *port = LptPort())
            port->ReleasePinForQuit();
    });
    AddModuleStep(ModuleStep::QuitReleaseParallelAccess, "parallel access", [] {
        if (TLptPort *port = LptPort())
            port->ReleaseAccessForQuit();
    });
}

// ---- State ----------------------------------------------------------------------------------

bool TLptPort::PortInUse() const
{
    return RadioGroupLPT->ItemIndex() > 0 || CheckBoxLPTx->isChecked();
}

LptPin TLptPort::ChosenPin() const
{
    const int index = RadioGroupPin->ItemIndex();
    return {index, index >= 0 && index <= 3 && CheckBoxPin[index]->isChecked()};
}

void TLptPort::AttachClock(ElementClock *clock)
{
    // A clock left behind keys no pin any more.
    if (clock_ && clock_ != clock) {
        KeyingConfig config = clock_->Config();
        config.ParallelPortInUse = false;
        config.LptBase = 0;
        clock_->SetConfig(config);
    }
    clock_ = clock;
    publish();
}

void TLptPort::publish()
{
    shownPin_ = RadioGroupPin->ItemIndex();
    Lpt.Access().SetKeyUpControl(Lpt.KeyUpControl(ChosenPin()));
    if (!clock_)
        return;
    KeyingConfig config = clock_->Config();
    config.LptBase = Lpt.LptBase;
    config.LptControl = Lpt.LptControl;
    config.PinIndex = static_cast<std::int8_t>(shownPin_);
    std::uint8_t negative = 0;
    for (int pin = 0; pin < 4; ++pin)
        negative |= CheckBoxPin[pin]->isChecked() ? std::uint8_t(1u << pin) : 0;
    config.NegativeLogic = negative;
    config.ParallelPortInUse = PortInUse();
    clock_->SetConfig(config);
}

// Setting the index in code runs the handler when it changes, as a user's choice would.
void TLptPort::setLptIndex(int index)
{
    if (RadioGroupLPT->ItemIndex() == index)
        return;
    RadioGroupLPT->SetItemIndex(index);
    RadioGroupLPTClick();
}

// Runs CheckBoxLPTxClick when the state changes (the box's toggled signal).
void TLptPort::setLPTxChecked(bool checked)
{
    CheckBoxLPTx->setChecked(checked);
}

// ---- Handlers -------------------------------------------------------------------------------

void TLptPort::RadioGroupLPTClick()
{
    if (passive_)
        return;
    const int index = RadioGroupLPT->ItemIndex();
    if (index > 0 && Lpt.DriverMissing()) {
        beep();
        ShowProgramMessage(MsgPortDriverMissing());
        setLptIndex(0);
        setLPTxChecked(false);
        publish();
        return;
    }
    if (index <= 0) {
        Lpt.LeavePort(ChosenPin());
        Lpt.DisableAccess();
        publish();
        return;
    }
    if (Lpt.LptAddresses[index] == 0) {
        // No such port: the choice before stands.
        beep();
        setLptIndex(Lpt.LptIndex);
        publish();
        return;
    }
    if (Lpt.LptBase != Lpt.LptAddresses[index])
        Lpt.LeavePort(ChosenPin());
    Lpt.LptIndex = index;
    Lpt.LptBase = Lpt.LptAddresses[index];
    Lpt.EnableAccess();
    CheckBoxPinClick(RadioGroupPin->ItemIndex());
    publish();
}

void TLptPort::CheckBoxPinClick(int pinIndex)
{
    if (passive_ || !PortInUse() || pinIndex < 0 || pinIndex > 3 || RadioGroupPin->ItemIndex() != pinIndex)
        return;
    applyIdleLevel();
    publish();
}

void TLptPort::applyIdleLevel(LptPin previous)
{
    const int index = RadioGroupLPT->ItemIndex();
    Lpt.LptBase = CheckBoxLPTx->isChecked() ? Lpt.LptCustomAddress : Lpt.LptAddresses[index > 0 ? index : 0];
    // The address written to is the one enabled, whichever road chose it.
    Lpt.EnableAccess();
    if (!Lpt.ApplyIdleLevel(ChosenPin(), previous))
        beep();
}

void TLptPort::RadioGroupPinClick()
{
    if (passive_)
        return;
    const int before = shownPin_;
    if (PortInUse()) {
        // The pin chosen before is let go first, with its own polarity: a pin keyed down
        // at this moment would otherwise stay down, and the new shadow would keep it so.
        const LptPin previous{before, before >= 0 && before <= 3 && CheckBoxPin[before]->isChecked()};
        if (previous.chosen() && previous.index != RadioGroupPin->ItemIndex())
            Lpt.WriteKeyUp(previous);
        Lpt.EnableAccess();
        if (ChosenPin().chosen())
            applyIdleLevel(previous);
    }
    publish();
}

void TLptPort::EditLPTChange(int n)
{
    if (passive_ || n < 1 || n > 3)
        return;
    const auto address = ParseBracketedLptAddress(EditLPT[n]->text().toStdString());
    if (!address)
        return;
    Lpt.DetectedLptAddresses[n] = *address;
    Lpt.LptAddresses[n] = *address;
    Lpt.LptBase = *address;
    Lpt.EnableAccess();
    publish();
}

void TLptPort::refuseCustomAddress()
{
    ShowProgramMessage(MsgEnterValidLptAddress() + TxtDetectedLptPorts()
                       + QString::fromStdString(Lpt.DetectedPortsList()));
    QCoreApplication::processEvents();
    setLPTxChecked(false);
    EditLPTx->clear();
    beep();
}

void TLptPort::CheckBoxLPTxClick()
{
    if (passive_)
        return;
    if (Lpt.DriverMissing()) {
        // The uncheck below runs this again: that second call stays silent.
        driverMessageShown_ = !driverMessageShown_;
        if (driverMessageShown_)
            ShowProgramMessage(MsgPortDriverMissing());
        setLPTxChecked(false);
        setLptIndex(0);
        publish();
        return;
    }
    if (!CheckBoxLPTx->isChecked()) {
        RadioGroupLPT->setEnabled(true);
        RadioGroupLPTClick();
        publish();
        return;
    }
    const std::string text = EditLPTx->text().toStdString();
    if (text.size() != 4) {
        refuseCustomAddress();
        return;
    }
    RadioGroupLPT->setEnabled(false);
    const auto address = ParseHexAddress(text);
    if (!address) {
        ShowProgramMessage(Pick(kLptAddressError));
        EditLPTx->clear();
        setLPTxChecked(false);
        RadioGroupLPT->setEnabled(true);
        RadioGroupLPTClick();
        publish();
        return;
    }
    // Only a port that the kernel's parport driver owns is keyed: any other address may be
    // a device whose registers nobody must write.
    if (!Lpt.Access().OwnedByDriver(*address)) {
        RadioGroupLPT->setEnabled(true);
        refuseCustomAddress();
        return;
    }
    if (Lpt.LptBase != *address)
        Lpt.LeavePort(ChosenPin());
    Lpt.LptCustomAddress = *address;
    Lpt.LptBase = *address;
    Lpt.EnableAccess();
    // The register of the port now in use is known and its pin at rest before it keys.
    if (ChosenPin().chosen())
        applyIdleLevel();
    publish();
    // The start-up restores the box with this handler passive: no caution then.
    ShowProgramMessage(MsgLptAddressCaution());
}

void TLptPort::EditLPTxChange()
{
    if (passive_)
        return;
    if (CheckBoxLPTx->isChecked())
        setLPTxChecked(false);
    if (!ownEnabled(RadioGroupLPT)) {
        RadioGroupLPT->setEnabled(true);
        RadioGroupLPTClick();
    }
    publish();
}

// ---- Start-up -------------------------------------------------------------------------------

void TLptPort::showDetectedPorts()
{
    Lpt.DetectLptPorts();
    for (int n = 1; n <= 3; ++n) {
        RadioGroupLPT->Item(n)->setText(QString::fromStdString(Lpt.DetectedLptNames[n]));
        // A text that changes runs the edit's handler: the address is recorded.
        EditLPT[n]->setText(QString::fromStdString(BracketedLptAddress(Lpt.LptAddresses[n])));
    }
}

void TLptPort::BindSettingsKeys(SettingsRegistry &registry)
{
    using Values = std::vector<std::string>;
    registry.addReadStart("parallel port", [this] {
        iniLptIndexRead_ = 0;
        iniLptAddressText_.clear();
        iniCustomRead_ = false;
        iniCustomText_.clear();
        iniPinIndex_ = -1;
        iniNegativeLogic_ = false;
    });
    registry.bind({
        {"IGNORELPT=", [this](const std::string &v) { MenuNoLPT->setChecked(v == "1"); },
         [this](Values &out) {
             if (MenuNoLPT->isChecked())
                 out.push_back("1");
         }},
        {"LPT=",
         [this](const std::string &v) {
             if (const auto n = settings::ParseInt(v))
                 iniLptIndexRead_ = *n;
         },
         [this](Values &out) { out.push_back(std::to_string(std::max(0, RadioGroupLPT->ItemIndex()))); }},
        {"ADLPT=", [this](const std::string &v) { iniLptAddressText_ = v.substr(0, 16); },
         [this](Values &out) {
             const int index = RadioGroupLPT->ItemIndex();
             if (index >= 1 && index <= 3)
                 out.push_back(EditLPT[index]->text().toStdString());
         }},
        {"LPTX=", [this](const std::string &v) { iniCustomRead_ = v == "ON"; },
         [this](Values &out) { out.push_back(CheckBoxLPTx->isChecked() ? "ON" : "OFF"); }},
        {"ADLPTX=", [this](const std::string &v) { iniCustomText_ = v.substr(0, 16); },
         [this](Values &out) {
             // Only what the edit could take back: up to four hexadecimal digits.
             const std::string text = EditLPTx->text().toStdString();
             out.push_back(ParseHexAddress(text) ? text : std::string());
         }},
        {"PIN=",
         [this](const std::string &v) {
             if (const auto pin = settings::ParseInt(v); pin && *pin >= 0 && *pin <= 3)
                 iniPinIndex_ = *pin;
         },
         [this](Values &out) { out.push_back(std::to_string(RadioGroupPin->ItemIndex() >= 0 ? RadioGroupPin->ItemIndex() : -1)); }},
        {"LOGIC=", [this](const std::string &v) { iniNegativeLogic_ = v == "N"; },
         [this](Values &out) { out.push_back(ChosenPin().chosen() && ChosenPin().negativeLogic ? "N" : "P"); }},
    });
    registry.addFixUp(1, "parallel port", [this] { settingsFixUps(); });
}

void TLptPort::settingsFixUps()
{
    // 1. Detection, unless the user asked to leave the parallel ports alone.
    if (!MenuNoLPT->isChecked())
        showDetectedPorts();

    passive_ = true;
    // 2. A port is restored only when it can be reached and has an address.
    iniLptIndex_ = 0;
    if (!Lpt.DriverMissing() && iniLptIndexRead_ >= 1 && iniLptIndexRead_ <= 3
        && Lpt.LptAddresses[iniLptIndexRead_] != 0)
        iniLptIndex_ = iniLptIndexRead_;
    // 3. The address the port had, "[0378h]" (or without its brackets).
    iniLptAddress_ = 0;
    if (!iniLptAddressText_.empty()) {
        std::string digits = iniLptAddressText_;
        if (digits.size() >= 5 && digits[4] == 'h')
            digits = digits.substr(1, 3);
        else if (digits.size() >= 6 && digits[5] == 'h')
            digits = digits.substr(1, 4);
        const auto address = ParseHexAddress(digits);
        iniLptAddress_ = address.value_or(0);
        Lpt.LptBase = iniLptAddress_;
    }
    // 4. The custom address.
    iniCustomLpt_ = false;
    if (iniCustomRead_ && !Lpt.DriverMissing()) {
        iniCustomLpt_ = true;
        RadioGroupLPT->setEnabled(false);
    }
    // 5.
    if (!iniCustomText_.empty()) {
        EditLPTx->setText(QString::fromStdString(iniCustomText_));
        const auto address = ParseHexAddress(EditLPTx->text().toStdString());
        Lpt.LptCustomAddress = address.value_or(0);
        if (!address)
            EditLPTx->clear();
    }
    // 6.
    if (iniLptIndex_ != 0)
        RadioGroupLPT->SetItemIndex(iniLptIndex_);
    RadioGroupPin->SetItemIndex(iniPinIndex_);
    passive_ = false;
    publish();
}

void TLptPort::ApplyAtStart()
{
    // 17. The port, the custom address, the pin's polarity, with the handlers passive.
    passive_ = true;
    const int index = std::max(0, RadioGroupLPT->ItemIndex());
    Lpt.LptIndex = index;
    // An address kept in the file takes the port's place only when a parport driver owns it.
    if (iniLptAddress_ != 0 && index > 0 && iniLptAddress_ != Lpt.LptAddresses[index]
        && Lpt.Access().OwnedByDriver(iniLptAddress_)) {
        Lpt.LptBase = iniLptAddress_;
        Lpt.LptAddresses[index] = iniLptAddress_;
        EditLPT[index]->setText(QString::fromStdString(BracketedLptAddress(iniLptAddress_)));
    }
    if (iniCustomLpt_) {
        if (Lpt.LptCustomAddress != 0 && Lpt.Access().OwnedByDriver(Lpt.LptCustomAddress)) {
            CheckBoxLPTx->setChecked(true);
        } else {
            RadioGroupLPT->setEnabled(true);
        }
    }
    if (ChosenPin().index >= 0 && ChosenPin().index <= 3)
        CheckBoxPin[ChosenPin().index]->setChecked(iniNegativeLogic_);
    passive_ = false;

    // 18. Access, and the chosen pin at its idle level.
    if (PortInUse()) {
        Lpt.LptBase = CheckBoxLPTx->isChecked() ? Lpt.LptCustomAddress : Lpt.LptAddresses[index];
        Lpt.EnableAccess();
        CheckBoxPinClick(RadioGroupPin->ItemIndex());
    }
    publish();
}

// ---- Quit -----------------------------------------------------------------------------------

void TLptPort::ReleasePinForQuit()
{
    if (!PortInUse())
        return;
    Lpt.WriteKeyUp(ChosenPin());
    OnAirLampsForClock().SetPTTLamp(false);
    OnAirLampsForClock().SetCWLamp(false);
    if (TPanelPort *panel = PanelPort()) {
        panel->Keying.PTTOn = 0;
        panel->Keying.SetCWLineDown(0);
    }
}

void TLptPort::ReleaseAccessForQuit()
{
    if (Lpt.DriverMissing() || Lpt.LptEnabledAddress == 0)
        return;
    Lpt.Access().DisablePorts(Lpt.LptEnabledAddress, Lpt.LptEnabledAddress);
    Lpt.LptEnabledAddress = 0;
}
