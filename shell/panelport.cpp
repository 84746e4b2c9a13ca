#include "shell/panelport.h"

#include "platform/serialdevice_linux.h"
#include "platform/serialports.h"
#include "shell/accessiblenames.h"
#include "shell/formdialog.h"
#include "shell/help.h"
#include "shell/languages/languages.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/panellpt.h"
#include "shell/settingsformat.h"
#include "shell/settingskeys.h"
#include "shell/sidewindows.h"
#include "shell/soundengine.h"
#include "shell/utilities.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstring>

namespace {

TPanelPort *thePanel = nullptr;

using K = TextKind;

constexpr Tr kDSR = Alike("DSR");
constexpr Tr kCTS = Alike("CTS");
constexpr Tr kDCD = Alike("DCD");
constexpr Tr kDTR = Alike("DTR");
constexpr Tr kRTS = Alike("RTS");

// Line and port names and units read alike in every language.
constexpr TextRow kTexts[] = {
    {"MenuPort", K::Hint,
     Tr("Choose serial port for Transmit command", "Soros port választása az adás vezérléséhez",
        "Seriellen Port für die Sendesteuerung wählen", "Choisir le port série de commande d'émission",
        "Scegliere la porta seriale per il comando di trasmissione",
        "Escolher a porta série para o comando de transmissão",
        "Elegir el puerto serie para el mando de transmisión")},
    {"RadioGroupCOM", K::Caption, Alike("COM")},
    {"GroupBoxPTT", K::Caption, Alike("TX PTT/COM")},
    {"CheckBoxPTTDTR", K::Caption, kDTR},
    {"CheckBoxPTTRTS", K::Caption, kRTS},
    {"GroupBoxCW", K::Caption, Alike("TX CW/COM")},
    {"CheckBoxCWDTR", K::Caption, kDTR},
    {"CheckBoxCWRTS", K::Caption, kRTS},
    {"RadioGroupTXDelay", K::Item, 0, Alike("  50 ms")},
    {"RadioGroupTXDelay", K::Item, 1, Alike("100 ms")},
    {"RadioGroupTXDelay", K::Item, 2, Alike("150 ms")},
    {"RadioGroupTXDelay", K::Item, 3, Alike("200 ms")},
    {"RadioGroupTXDelay", K::Item, 4, Alike("250 ms")},
    {"ButtonClosePanelPort", K::Caption, Alike("x")},
    {"RadioGroupKeyerPort", K::Item, 0, Alike("Joystick")},
    {"RadioGroupKeyerPort", K::Item, 2, Alike("COM")},
    {"RadioGroupKeyerDOT", K::Item, 0, kDSR},
    {"RadioGroupKeyerDOT", K::Item, 1, kCTS},
    {"RadioGroupKeyerDOT", K::Item, 2, kDCD},
    {"RadioGroupKeyerDash", K::Item, 0, kDSR},
    {"RadioGroupKeyerDash", K::Item, 1, kCTS},
    {"RadioGroupKeyerDash", K::Item, 2, kDCD},
    {"CheckBoxPWRDTR", K::Caption, kDTR},
    {"CheckBoxPWRRTS", K::Caption, kRTS},
    {"SpeedButtonPTTKeyer", K::Caption, Tr("on", "be", "ein", "marche", "on", "lig.", "enc.")},
    {"LabelConsolePort", K::Caption,
     Tr("This port is the system console: if the program is killed (kill -9), the kernel keeps its lines up.",
        "Ez a port a rendszerkonzol: ha a programot leállítják (kill -9), a kernel fenntartja a vonalait.",
        "Dieser Port ist die Systemkonsole: Wird das Programm abgeschossen (kill -9), hält der Kernel seine "
        "Leitungen oben.",
        "Ce port est la console du système : si le programme est tué (kill -9), le noyau garde ses lignes levées.",
        "Questa porta è la console di sistema: se il programma viene ucciso (kill -9), il kernel tiene alte le sue "
        "linee.",
        "Esta porta é a consola do sistema: se o programa for morto (kill -9), o núcleo mantém as suas linhas "
        "levantadas.",
        "Este puerto es la consola del sistema: si el programa se mata (kill -9), el núcleo mantiene sus líneas "
        "levantadas.")},
};

// Said once when the user chooses a port that is the kernel's console (%1 its name).
constexpr Tr kConsoleWarning(
    "%1 is the system console (console=%1 when the machine starts). If the program is killed (kill -9), the "
    "kernel keeps DTR and RTS up and the transmitter stays keyed. Do not key a transmitter through this port; "
    "stop the program with a plain kill rather than kill -9.",
    "A(z) %1 a rendszerkonzol (indításkor console=%1). Ha a programot leállítják (kill -9), a kernel fenntartja "
    "a DTR és RTS vonalat, és az adó adásban marad. Ne billentyűzzön adót ezen a porton keresztül; a programot "
    "sima kill paranccsal állítsa le, ne kill -9-cel.",
    "%1 ist die Systemkonsole (console=%1 beim Start des Rechners). Wird das Programm abgeschossen (kill -9), "
    "hält der Kernel DTR und RTS oben und der Sender bleibt getastet. Tasten Sie keinen Sender über diesen Port; "
    "beenden Sie das Programm mit einfachem kill statt kill -9.",
    "%1 est la console du système (console=%1 au démarrage de la machine). Si le programme est tué (kill -9), "
    "le noyau garde DTR et RTS levées et l'émetteur reste en émission. Ne manipulez pas d'émetteur par ce "
    "port ; arrêtez le programme par un simple kill plutôt que kill -9.",
    "%1 è la console di sistema (console=%1 all'avvio della macchina). Se il programma viene ucciso (kill -9), "
    "il kernel tiene alte DTR e RTS e il trasmettitore resta in trasmissione. Non manipolate un trasmettitore "
    "tramite questa porta; fermate il programma con un semplice kill invece di kill -9.",
    "%1 é a consola do sistema (console=%1 no arranque da máquina). Se o programa for morto (kill -9), o núcleo "
    "mantém DTR e RTS levantadas e o emissor continua a transmitir. Não manipule um emissor por esta porta; "
    "pare o programa com um kill simples em vez de kill -9.",
    "%1 es la consola del sistema (console=%1 al arrancar la máquina). Si el programa se mata (kill -9), el "
    "núcleo mantiene DTR y RTS levantadas y el transmisor sigue transmitiendo. No manipule un transmisor por "
    "este puerto; detenga el programa con un kill simple en lugar de kill -9.");
static_assert(allLanguagesPresent(kTexts, [](const TextRow &row) -> const Tr & { return row.text; }),
              "every language of every row");

// The key group's caption by key port: joystick, mouse, COM.
constexpr Tr kKeyPortCaptions[] = {
    Alike("JOYSTICK / CTRL"),
    Tr("MOUSE / CTRL", "EGÉR / CTRL", "MAUS / CTRL", "SOURIS / CTRL", "MOUSE / CTRL", "RATO / CTRL", "RATÓN / CTRL"),
    Alike("COM / CTRL"),
};

// The control's own Enabled flag, whatever its parents' state.
bool ownEnabled(const QWidget *widget)
{
    return widget && !widget->testAttribute(Qt::WA_ForceDisabled);
}

bool isDown(const QAbstractButton *button)
{
    return button && button->isChecked();
}

// The lamps of the "On air" box. The element clock switches the CW lamp from its timer
// thread: the change is posted to the user-interface thread and never waits.
class OnAirLamps final : public KeyingLamps {
public:
    void SetPTTLamp(bool on) override { post(on, "LedOn", "LedOff"); }
    void SetCWLamp(bool on) override { post(on, "LedCWon", "LedCWoff"); }

private:
    static void post(bool on, const char *onName, const char *offName)
    {
        QCoreApplication *app = QCoreApplication::instance();
        if (!app)
            return;
        QMetaObject::invokeMethod(
            app,
            [on, onName, offName] {
                if (!Form1)
                    return;
                auto *lit = Form1->findChild<QWidget *>(QString::fromLatin1(onName));
                auto *dark = Form1->findChild<QWidget *>(QString::fromLatin1(offName));
                if (lit && dark) {
                    lit->setVisible(on);
                    dark->setVisible(!on);
                }
            },
            Qt::QueuedConnection);
    }
};

OnAirLamps &onAirLamps()
{
    static OnAirLamps lamps;
    return lamps;
}

// Why a port could not be opened, where the text is ours; any other reason is the system's.
constexpr Tr TxtPortNotThere("no such device", "nincs ilyen eszköz", "kein solches Gerät",
                             "périphérique inexistant", "dispositivo inesistente",
                             "dispositivo inexistente", "no existe el dispositivo");
constexpr Tr TxtPortPermission(
    "permission denied: add your user to the dialout group, then log in again",
    "hozzáférés megtagadva: vegye fel a felhasználót a dialout csoportba, majd jelentkezzen be újra",
    "Zugriff verweigert: Benutzer zur Gruppe dialout hinzufügen, dann neu anmelden",
    "accès refusé : ajoutez votre utilisateur au groupe dialout, puis reconnectez-vous",
    "permesso negato: aggiungere l'utente al gruppo dialout, poi accedere di nuovo",
    "permissão negada: adicione o seu utilizador ao grupo dialout e volte a iniciar a sessão",
    "permiso denegado: añada su usuario al grupo dialout y vuelva a iniciar la sesión");
constexpr Tr TxtPortBusy("in use by another program", "egy másik program használja",
                         "von einem anderen Programm belegt", "utilisé par un autre programme",
                         "in uso da un altro programma", "em uso por outro programa",
                         "en uso por otro programa");
constexpr Tr PortReasonRows[] = {TxtPortNotThere, TxtPortPermission, TxtPortBusy};
static_assert(allLanguagesPresent(PortReasonRows, [](const Tr &row) -> const Tr & { return row; }));

// A name the settings file may hand on as a port: a plain device name, never a path.
bool plausiblePortName(const std::string &name)
{
    if (name.empty() || name.size() > 32 || !std::isalpha(static_cast<unsigned char>(name[0])))
        return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
    });
}

} // namespace

QString ErrorComText(const std::string &port, int error)
{
    QString reason;
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        reason = Pick(TxtPortNotThere);
        break;
    case EACCES:
    case EPERM:
        reason = Pick(TxtPortPermission);
        break;
    case EBUSY:
        reason = Pick(TxtPortBusy);
        break;
    default:
        reason = QString::fromLocal8Bit(std::strerror(error));
        break;
    }
    return QStringLiteral("Error COM\n") + QString::fromStdString(port) + QStringLiteral(": ") + reason;
}

KeyingLamps &OnAirLampsForClock()
{
    return onAirLamps();
}

namespace {

QLabel *lamp(QWidget *box, const char *name, const char *color, bool visible)
{
    auto *led = Named(new QLabel(box), name);
    led->setGeometry(8, 18, 16, 16);
    led->setStyleSheet(QStringLiteral("background:%1; border-radius:8px;").arg(QLatin1String(color)));
    led->setVisible(visible);
    return led;
}

// The "On air" box of the main window with the PTT lamp and the CW lamp, exactly one image of
// each visible.
void makeOnAirBox(QWidget *frame)
{
    if (frame->findChild<QWidget *>(QStringLiteral("OnairBox")))
        return;
    auto *box = Named(new QGroupBox(QStringLiteral("On air"), frame), "OnairBox");
    box->setGeometry(8, TForm1::DesignHeight - 110, 92, 44);
    // The lamps show the box's hint, which follows the language.
    box->setToolTip(QStringLiteral("PTT ON when lit"));
    lamp(box, "LedOn", "red", false);
    lamp(box, "LedOff", "darkred", true);
    QLabel *cwOn = lamp(box, "LedCWon", "lime", false);
    QLabel *cwOff = lamp(box, "LedCWoff", "darkgreen", true);
    cwOn->move(40, 18);
    cwOff->move(40, 18);
    box->show();
}

// The key-input controls that the port falls back from. Plain widgets until manual keying
// brings their handlers; a control that exists already is left alone.
template <typename Make>
QWidget *ensure(QWidget *root, const char *name, Make make)
{
    if (auto *existing = root->findChild<QWidget *>(QString::fromLatin1(name)))
        return existing;
    return Named(make(), name);
}

void makeKeyerControls(TPanelPort *panel, QWidget *frame)
{
    QWidget *root = frame->window();
    panel->RadioGroupKeyerPort = qobject_cast<PortRadioGroup *>(ensure(root, "RadioGroupKeyerPort", [&] {
        auto *g = new PortRadioGroup(QStringLiteral("KEYER Port"), panel);
        g->AddItem(QStringLiteral("Joystick"));
        g->AddItem(QStringLiteral("Mouse"));
        g->AddItem(QStringLiteral("COM"));
        g->SetItemIndex(1);
        g->setGeometry(440, 30, 200, 96);
        return g;
    }));
    panel->RadioGroupKeyerDOT = qobject_cast<PortRadioGroup *>(ensure(root, "RadioGroupKeyerDOT", [&] {
        // The two line groups one above the other, their lines side by side: the dash group's
        // title names the straight key too, and takes the column's width.
        auto *g = new PortRadioGroup(QStringLiteral("Dot"), panel, 3);
        for (const char *line : {"DSR", "CTS", "DCD"})
            g->AddItem(QString::fromLatin1(line));
        for (int line = 0; line < g->Count(); ++line)
            NameWithinPlace(g->Item(line), g);
        g->SetItemIndex(0);
        g->setGeometry(440, 130, 200, 48);
        return g;
    }));
    panel->RadioGroupKeyerDash = qobject_cast<PortRadioGroup *>(ensure(root, "RadioGroupKeyerDash", [&] {
        auto *g = new PortRadioGroup(QStringLiteral("Dash"), panel, 3);
        for (const char *line : {"DSR", "CTS", "DCD"})
            g->AddItem(QString::fromLatin1(line));
        for (int line = 0; line < g->Count(); ++line)
            NameWithinPlace(g->Item(line), g);
        g->SetItemIndex(1);
        g->setGeometry(440, 180, 200, 48);
        return g;
    }));
    panel->CheckBoxPWRDTR = qobject_cast<QCheckBox *>(ensure(root, "CheckBoxPWRDTR", [&] {
        auto *b = new QCheckBox(QStringLiteral("DTR"), panel);
        b->setChecked(true);
        b->setGeometry(440, 236, 60, 20);
        return b;
    }));
    panel->CheckBoxPWRRTS = qobject_cast<QCheckBox *>(ensure(root, "CheckBoxPWRRTS", [&] {
        auto *b = new QCheckBox(QStringLiteral("RTS"), panel);
        b->setChecked(true);
        b->setGeometry(500, 236, 60, 20);
        return b;
    }));
    panel->SpeedButtonPTTKeyer = qobject_cast<QAbstractButton *>(ensure(root, "SpeedButtonPTTKeyer", [&] {
        auto *b = new QPushButton(QStringLiteral("on"), panel);
        b->setCheckable(true);
        b->setToolTip(QStringLiteral("DTR/RTS supply"));
        b->setGeometry(570, 232, 56, 24);
        return b;
    }));
    // These two belong to the monitor group, which adopts them when it exists.
    panel->GroupBoxKeyMonitor = qobject_cast<QGroupBox *>(ensure(root, "GroupBoxKeyMonitor", [&] {
        auto *g = new QGroupBox(KeyPortCaption(1), frame);
        g->hide();
        return g;
    }));
    panel->SpeedButtonMonPTT = qobject_cast<QAbstractButton *>(ensure(root, "SpeedButtonMonPTT", [&] {
        auto *b = new QPushButton(QStringLiteral("ptt"), frame);
        b->setCheckable(true);
        b->setToolTip(QStringLiteral("DTR/RTS supply"));
        b->hide();
        return b;
    }));
}

} // namespace

// ---- PortRadioGroup -------------------------------------------------------------------------

PortRadioGroup::PortRadioGroup(const QString &title, QWidget *parent, int columns)
    : QGroupBox(title, parent), group_(new QButtonGroup(this)), grid_(new QGridLayout(this)), columns_(columns)
{
    grid_->setContentsMargins(6, 4, 6, 4);
    grid_->setSpacing(2);
    group_->setExclusive(true);
    connect(group_, &QButtonGroup::idClicked, this, [this](int) {
        if (OnClick)
            OnClick();
    });
}

void PortRadioGroup::AddItem(const QString &text)
{
    const int index = Count();
    auto *button = new QRadioButton(text, this);
    group_->addButton(button, index);
    grid_->addWidget(button, index / columns_, index % columns_);
}

int PortRadioGroup::Count() const
{
    return static_cast<int>(group_->buttons().size());
}

QAbstractButton *PortRadioGroup::Item(int index) const
{
    return group_->button(index);
}

QString PortRadioGroup::ItemText(int index) const
{
    QAbstractButton *button = Item(index);
    return button ? button->text() : QString();
}

int PortRadioGroup::ItemIndex() const
{
    return group_->checkedId();
}

void PortRadioGroup::SetItemIndex(int index)
{
    if (QAbstractButton *button = Item(index)) {
        button->setChecked(true);
    } else if (QAbstractButton *checked = group_->checkedButton()) {
        group_->setExclusive(false);
        checked->setChecked(false);
        group_->setExclusive(true);
    }
}

// ---- The panel ------------------------------------------------------------------------------

PortPanelSeams &portPanelSeams()
{
    static PortPanelSeams seams{
        [] { return serialports::ListSerialPorts(); },
        [] { return std::unique_ptr<serialdev::SerialDevice>(std::make_unique<serialdev::LinuxSerialDevice>()); },
    };
    return seams;
}

QString KeyPortCaption(int keyerPortIndex)
{
    return Pick(kKeyPortCaptions[std::clamp(keyerPortIndex, 0, 2)]);
}

TPanelPort *PanelPort()
{
    return thePanel;
}

TPanelPort::TPanelPort(TForm1 &form)
    : QFrame(form.Frame), Keying(portPanelSeams().makeDevice()), form_(form)
{
    setObjectName(QStringLiteral("PanelPort"));
    setFrameShape(QFrame::Panel);
    setAutoFillBackground(true);
    setGeometry(8, 36, 644, 300);

    LabelPanelPort = Named(new QLabel(QStringLiteral("KEYING PORTS"), this), "LabelPanelPort");
    LabelPanelPort->setGeometry(8, 4, 300, 20);

    RadioGroupCOM = Named(new PortRadioGroup(QStringLiteral("COM"), this, 2), "RadioGroupCOM");
    RadioGroupCOM->setGeometry(8, 30, 200, 196);
    RadioGroupCOM->AddItem(QStringLiteral("NONE"));
    NameWithinPlace(RadioGroupCOM->Item(0), RadioGroupCOM);
    RadioGroupCOM->SetItemIndex(0);
    RadioGroupCOM->OnClick = [this] { RadioGroupCOMClick(); };

    ListBoxPort = Named(new QListWidget(this), "ListBoxPort");
    MarkAsValue(ListBoxPort); // the system's names of its ports
    ListBoxPort->setSortingEnabled(true);
    ListBoxPort->hide();

    GroupBoxPTT = Named(new QGroupBox(QStringLiteral("TX PTT/COM"), this), "GroupBoxPTT");
    GroupBoxPTT->setGeometry(216, 30, 100, 70);
    CheckBoxPTTDTR = Named(new QCheckBox(QStringLiteral("DTR"), GroupBoxPTT), "CheckBoxPTTDTR");
    CheckBoxPTTDTR->setGeometry(10, 20, 80, 20);
    CheckBoxPTTRTS = Named(new QCheckBox(QStringLiteral("RTS"), GroupBoxPTT), "CheckBoxPTTRTS");
    CheckBoxPTTRTS->setGeometry(10, 42, 80, 20);

    GroupBoxCW = Named(new QGroupBox(QStringLiteral("TX CW/COM"), this), "GroupBoxCW");
    GroupBoxCW->setGeometry(324, 30, 100, 70);
    CheckBoxCWDTR = Named(new QCheckBox(QStringLiteral("DTR"), GroupBoxCW), "CheckBoxCWDTR");
    CheckBoxCWDTR->setGeometry(10, 20, 80, 20);
    CheckBoxCWRTS = Named(new QCheckBox(QStringLiteral("RTS"), GroupBoxCW), "CheckBoxCWRTS");
    CheckBoxCWRTS->setGeometry(10, 42, 80, 20);
    // The same lines in both groups: a screen reader names each with its group.
    NameWithinPlace(CheckBoxPTTDTR, GroupBoxPTT);
    NameWithinPlace(CheckBoxPTTRTS, GroupBoxPTT);
    NameWithinPlace(CheckBoxCWDTR, GroupBoxCW);
    NameWithinPlace(CheckBoxCWRTS, GroupBoxCW);

    connect(CheckBoxPTTDTR, &QCheckBox::clicked, this, [this] { CheckBoxPTTDTRClick(); });
    connect(CheckBoxPTTRTS, &QCheckBox::clicked, this, [this] { CheckBoxPTTRTSClick(); });
    connect(CheckBoxCWDTR, &QCheckBox::clicked, this, [this] { CheckBoxCWDTRClick(); });
    connect(CheckBoxCWRTS, &QCheckBox::clicked, this, [this] { CheckBoxCWRTSClick(); });

    RadioGroupTXDelay = Named(new PortRadioGroup(QStringLiteral("TX Delay"), this), "RadioGroupTXDelay");
    RadioGroupTXDelay->setGeometry(216, 106, 208, 120);
    for (const char *delay : {"  50 ms", "100 ms", "150 ms", "200 ms", "250 ms"})
        RadioGroupTXDelay->AddItem(QString::fromLatin1(delay));
    RadioGroupTXDelay->SetItemIndex(TXDelayDefaultIndex);
    RadioGroupTXDelay->OnClick = [this] { RadioGroupTXDelayClick(); };

    ButtonClosePanelPort = Named(new QPushButton(QStringLiteral("x"), this), "ButtonClosePanelPort");
    ButtonClosePanelPort->setGeometry(612, 4, 24, 22);
    ButtonHelpPort = NewHelpButton(this, "ButtonHelpPort", {584, 4, 24, 22}, LabelPanelPort);

    LabelConsolePort = Named(new QLabel(this), "LabelConsolePort");
    LabelConsolePort->setGeometry(440, 264, 196, 92);
    LabelConsolePort->setWordWrap(true);
    LabelConsolePort->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette warning = LabelConsolePort->palette();
    warning.setColor(QPalette::WindowText, QColor(0xa0, 0x10, 0x10));
    LabelConsolePort->setPalette(warning);
    LabelConsolePort->hide();
    connect(ButtonClosePanelPort, &QPushButton::clicked, this, [this] { ButtonClosePanelPortClick(); });

    MenuPort = Named(new QAction(QStringLiteral("&Port"), &form), "MenuPort");
    form.menuBar()->insertAction(form.MenuHelp->menuAction(), MenuPort);
    connect(MenuPort, &QAction::triggered, this, [this] { MenuPortClick(); });

    makeOnAirBox(form.Frame);
    makeKeyerControls(this, form.Frame);
    RegisterMainWindowTexts(kTexts);
    OnLanguageSwitch(this, [this] {
        if (GroupBoxKeyMonitor && RadioGroupKeyerPort)
            GroupBoxKeyMonitor->setTitle(KeyPortCaption(RadioGroupKeyerPort->ItemIndex()));
    });

    Keying.PTTBoxEnabled = [this](std::uint8_t line) {
        return ownEnabled(line == LineDTR ? CheckBoxPTTDTR : CheckBoxPTTRTS);
    };
    Keying.CWBoxEnabled = [this](std::uint8_t line) {
        return ownEnabled(line == LineDTR ? CheckBoxCWDTR : CheckBoxCWRTS);
    };
    // Only the beacon's own text keys the transmitter while it asks for that.
    Keying.HeldForBeacon = [] {
        return Form1 && !Form1->Engine.BeaconSending && CallHook(Hooks().beaconKeysAlone, false);
    };
    // The key input lines go to the manual keying, with the moment each change was seen.
    auto keyLine = [this](int line) {
        return [this, line](QObject *, bool on) {
            CallHook(Hooks().keyerLineChanged, line, on, Keying.ComPortKeyer.EventTime());
        };
    };
    Keying.ComPortKeyer.OnDSRChange = keyLine(0);
    Keying.ComPortKeyer.OnCTSChange = keyLine(1);
    Keying.ComPortKeyer.OnRLSDChange = keyLine(2);
    Keying.SetLamps(&onAirLamps());
    Activate(&Keying);
    // A panel made again while the engine runs keys through the engine's clock at once.
    if (TSoundEngine *engine = SoundEnginePtr())
        Keying.AttachClock(engine->Clock.get());

    form.TimerTXDelay->setTimerType(Qt::PreciseTimer);
    form.TimerTXDelay->setInterval(TXDelayMsForIndex(TXDelayDefaultIndex));

    hide();
    thePanel = this;
}

TPanelPort::~TPanelPort()
{
    if (thePanel == this)
        thePanel = nullptr;
    if (ActiveSerialKeying == &Keying)
        Activate(nullptr);
    delete MenuPort;
}

void CreatePortPanel(TForm1 &form)
{
    if (!thePanel) {
        new TPanelPort(form);
        thePanel->ListSerialPorts();
    }
    thePanel->BindSettingsKeys(Settings());
}

QWidget *TPanelPort::control(const char *name) const
{
    return form_.findChild<QWidget *>(QString::fromLatin1(name));
}

void TPanelPort::ListSerialPorts()
{
    ListBoxPort->clear();
    for (const std::string &name : portPanelSeams().listPorts())
        ListBoxPort->addItem(QString::fromStdString(name));
    // Sorted as text, so ttyUSB10 comes before ttyUSB2.
    ListBoxPort->sortItems();
    for (int i = 0; i < ListBoxPort->count(); ++i) {
        RadioGroupCOM->AddItem(ListBoxPort->item(i)->text());
        MarkAsValue(RadioGroupCOM->Item(RadioGroupCOM->Count() - 1));
    }
}

void TPanelPort::RadioGroupCOMClick()
{
    // The user's own choice replaces a port kept from the settings file.
    keptComName_.clear();
    const std::string before = Keying.ComPortName;
    try {
        if (RadioGroupCOM->ItemIndex() <= 0)
            NoCOMClick();
        else
            COMClick();
    } catch (...) {
        NoCOMClick();
    }
    // A console newly chosen: said once, and kept (the user may know what they do).
    if (Keying.ComPortName != before && portIsConsole())
        ShowProgramMessage(Pick(kConsoleWarning).arg(QString::fromStdString(Keying.ComPortName)));
}

bool TPanelPort::portIsConsole() const
{
    if (!Keying.PortInUse())
        return false;
    const auto consoles = serialports::KernelConsoles(portPanelSeams().consolesFile);
    return std::find(consoles.begin(), consoles.end(), Keying.ComPortName) != consoles.end();
}

void TPanelPort::showConsoleNote()
{
    LabelConsolePort->setVisible(portIsConsole());
}

void TPanelPort::COMClick()
{
    const int index = RadioGroupCOM->ItemIndex();
    if (index <= 0)
        return;
    const std::string name = RadioGroupCOM->ItemText(index).toStdString();
    if (name == Keying.ComPortName)
        return;
    if (Keying.PortInUse())
        Keying.CloseKeyingComPort();
    Keying.ComPortName = name;
    OpenKeyingComPort();
    if (!Keying.PortInUse())
        RadioGroupCOM->SetItemIndex(0);
    // A keyer supply switched on stays on: its lines come up on the new port too.
    ApplyKeyerSupply();
    showConsoleNote();
}

void TPanelPort::NoCOMClick()
{
    Keying.CloseKeyingComPort();
    Keying.ComPortName = NoComPortName;
    Keying.CloseKeyingComPort(); // flags and lamps cleared again
    showConsoleNote();
    // No port, no supply: the supply buttons go up with it.
    ApplyKeyerSupply();
    comKeyerFallback();
    if (!SideWindowVisible(SideWindowPlace::DemoView))
        focusTypingBox();
}

void TPanelPort::OpenKeyingComPort()
{
    const std::string name = Keying.ComPortName;
    if (Keying.OpenKeyingComPort())
        return;
    // The open failed: no port.
    if (form_.isVisible()) {
        if (RadioGroupCOM->ItemIndex() != 0) {
            RadioGroupCOM->SetItemIndex(0);
            RadioGroupCOMClick();
        }
    } else {
        RadioGroupCOM->SetItemIndex(0);
    }
    comKeyerFallback();
    ShowProgramMessage(ErrorComText(name, Keying.LastOpenError));
    if (form_.isVisible())
        focusTypingBox();
}

void TPanelPort::comKeyerFallback()
{
    PortRadioGroup *keyerPort = RadioGroupKeyerPort;
    if (!keyerPort || keyerPort->ItemIndex() != 2)
        return;
    QAbstractButton *supply = SpeedButtonPTTKeyer;
    QAbstractButton *monitorSupply = SpeedButtonMonPTT;
    if (isDown(supply)) {
        ClickButton(supply);
        // Without the supply's own handler the click only moved the button.
        if (Keying.KeyerPowerOn != 0 || isDown(supply) || isDown(monitorSupply)) {
            if (supply)
                supply->setChecked(false);
            if (monitorSupply)
                monitorSupply->setChecked(false);
            Keying.DropKeyerSupply();
            setSupplyBoxesEnabled();
        }
    }
    if (supply)
        supply->setEnabled(false);
    if (monitorSupply)
        monitorSupply->setEnabled(false);
    keyerPort->SetItemIndex(1);
    if (GroupBoxKeyMonitor)
        GroupBoxKeyMonitor->setTitle(KeyPortCaption(1));
    for (QWidget *w : std::initializer_list<QWidget *>{RadioGroupKeyerDOT, RadioGroupKeyerDash, CheckBoxPWRDTR, CheckBoxPWRRTS}) {
        if (w)
            w->setEnabled(false);
    }
    if (form_.RadioButtonMonitor->isChecked()) {
        form_.Image1->setProperty("Transparent", false);
        form_.Image1->setAutoFillBackground(true);
    }
}

void TPanelPort::focusTypingBox()
{
    if (QLineEdit *typing = form_.Editcaractere)
        typing->setFocus();
}

void TPanelPort::setSupplyBoxesEnabled()
{
    const bool dtrPowered = Keying.PoweredLine(LineDTR);
    const bool rtsPowered = Keying.PoweredLine(LineRTS);
    CheckBoxPTTDTR->setEnabled(!dtrPowered);
    CheckBoxCWDTR->setEnabled(!dtrPowered);
    CheckBoxPTTRTS->setEnabled(!rtsPowered);
    CheckBoxCWRTS->setEnabled(!rtsPowered);
    Keying.PublishToClock();
}

void TPanelPort::ApplyKeyerSupply()
{
    QAbstractButton *supply = SpeedButtonPTTKeyer;
    QAbstractButton *monitorSupply = SpeedButtonMonPTT;
    const bool wanted = isDown(supply) || isDown(monitorSupply);
    const bool on = wanted && Keying.RaiseKeyerSupply();
    if (!on)
        Keying.KeyerPowerOn = 0;
    for (QAbstractButton *button : {supply, monitorSupply}) {
        if (button)
            button->setChecked(on);
    }
    setSupplyBoxesEnabled();
}

void TPanelPort::StartupKeyerSupply()
{
    ApplyKeyerSupply();
}

void TPanelPort::ReleaseForQuit()
{
    Keying.CloseKeyingComPort();
    Keying.ComPortName = NoComPortName;
    Keying.PublishToClock();
}

void TPanelPort::roleClick(QCheckBox *box, bool cwRole, std::uint8_t line)
{
    Keying.RoleChangeDropLines();
    if (box->isChecked()) {
        QCheckBox *other = line == LineDTR ? (cwRole ? CheckBoxPTTDTR : CheckBoxCWDTR)
                                           : (cwRole ? CheckBoxPTTRTS : CheckBoxCWRTS);
        if (other->isChecked()) {
            other->setChecked(false);
            roleClick(other, !cwRole, line);
        }
        Keying.SetRoleLine(cwRole, line, true);
    } else {
        Keying.SetRoleLine(cwRole, line, false);
    }
}

void TPanelPort::CheckBoxPTTDTRClick()
{
    roleClick(CheckBoxPTTDTR, false, LineDTR);
}

void TPanelPort::CheckBoxPTTRTSClick()
{
    roleClick(CheckBoxPTTRTS, false, LineRTS);
}

void TPanelPort::CheckBoxCWDTRClick()
{
    roleClick(CheckBoxCWDTR, true, LineDTR);
}

void TPanelPort::CheckBoxCWRTSClick()
{
    roleClick(CheckBoxCWRTS, true, LineRTS);
}

void TPanelPort::RadioGroupTXDelayClick()
{
    form_.TimerTXDelay->setInterval(TXDelayMsForIndex(RadioGroupTXDelay->ItemIndex()));
}

void TPanelPort::MenuPortClick()
{
    // A quiz series is stopped first, as the Stop button's mouse-down does it.
    if (form_.Engine.QuizSeriesPlaying)
        emit form_.ButtonStop->pressed();
    static const struct {
        const char *panel;
        const char *exit;
    } panels[] = {
        {"PanelChoixRandom", "ButtonCancelChoix"},     {"PanelLocalLesson", "ButtonLocalLessonExit"},
        {"PanelLocalCharacters", "ButtonLocalCaractereExit"}, {"PanelMaskedText", "ButtonMaskedTextCancel"},
        {"PanelEspace", "BitBtnOKEspace"},             {"PanelLocalShortcut", "ButtonShortcutExit"},
        {"PanelMsg", "ButtonCloseMsg"},                {"PanelCarteSon", "BitBtnOKCarteSon"},
        {"PanelTextRecord", "BitBtnNoRecord"},         {"PanelImportLessons", "BitBtnCancelImport"},
    };
    for (const auto &p : panels) {
        QWidget *panel = control(p.panel);
        if (panel && !panel->isHidden())
            ClickNamed(&form_, p.exit);
    }
    // The parallel-port controls on this panel, when it has them.
    if (auto *lpt = findChild<TLptPort *>(QString(), Qt::FindDirectChildrenOnly)) {
        const bool lptEnabled = !lpt->MenuNoLPT->isChecked();
        for (QWidget *w : std::initializer_list<QWidget *>{lpt->RadioGroupLPT, lpt->EditLPT[1], lpt->EditLPT[2],
                                                          lpt->EditLPT[3], lpt->Panel5, lpt->CheckBoxLPTx,
                                                          lpt->EditLPTx, lpt->Label7})
            w->setEnabled(lptEnabled);
    }
    show();
    raise();
}

void TPanelPort::ButtonClosePanelPortClick()
{
    hide();
    if (QWidget *ok = control("ButtonQuizOK"))
        ok->setEnabled(true);
    if (SideWindowVisible(SideWindowPlace::DemoView))
        return;
    const EngineState &engine = form_.Engine;
    if (engine.ReplayingTypedText)
        focusTypingBox();
    else if (engine.TextPlaying) {
        if (QWidget *file = control("FileEdit"))
            file->setFocus();
    } else if (!engine.RandomPlaying)
        focusTypingBox();
}

// ---- Settings ---------------------------------------------------------------------------------

void TPanelPort::RestoreComPort(const std::string &name)
{
    keptComName_.clear();
    if (!plausiblePortName(name))
        return; // "0" (no port), or no port name at all
    for (int i = 1; i < RadioGroupCOM->Count(); ++i) {
        if (RadioGroupCOM->ItemText(i).toStdString() == name) {
            RadioGroupCOM->SetItemIndex(i);
            COMClick();
            // Refused for now (busy, no permission): still the user's choice.
            if (!Keying.PortInUse())
                keptComName_ = name;
            return;
        }
    }
    // A port this machine does not have now (an adapter unplugged): it stays the choice
    // in the settings, so plugging it back and starting again keys through it.
    keptComName_ = name;
    comKeyerFallback();
    ShowProgramMessage(ErrorComText(name, ENODEV));
}

void TPanelPort::BindSettingsKeys(SettingsRegistry &registry)
{
    using Values = std::vector<std::string>;
    auto roles = [](bool cwRole) -> SettingsRegistry::Row {
        return {cwRole ? "CW=" : "PTT=",
                [cwRole](const std::string &value) {
                    TPanelPort *p = PanelPort();
                    const auto mask = settings::ParseInt(value);
                    if (!p || !mask || *mask < 0 || *mask > 3)
                        return;
                    const std::array<std::pair<QCheckBox *, std::uint8_t>, 2> boxes = {
                        std::pair{cwRole ? p->CheckBoxCWDTR : p->CheckBoxPTTDTR, LineDTR},
                        std::pair{cwRole ? p->CheckBoxCWRTS : p->CheckBoxPTTRTS, LineRTS}};
                    for (const auto &[box, line] : boxes) {
                        const bool wanted = (*mask & line) != 0;
                        if (box->isChecked() != wanted) {
                            box->setChecked(wanted);
                            p->roleClick(box, cwRole, line);
                        }
                    }
                },
                [cwRole](Values &out) {
                    TPanelPort *p = PanelPort();
                    out.push_back(std::to_string(p ? (cwRole ? p->Keying.CWLines : p->Keying.PTTLines) : 0));
                }};
    };
    registry.bind({
        {"COM=",
         [](const std::string &value) {
             if (TPanelPort *p = PanelPort())
                 p->RestoreComPort(value);
         },
         [](Values &out) {
             TPanelPort *p = PanelPort();
             const int index = p ? p->RadioGroupCOM->ItemIndex() : 0;
             if (index > 0)
                 out.push_back(p->RadioGroupCOM->ItemText(index).toStdString());
             else
                 out.push_back(p && !p->keptComName_.empty() ? p->keptComName_ : std::string("0"));
         }},
        roles(false),
        roles(true),
        {"TXDELAY=",
         [](const std::string &value) {
             TPanelPort *p = PanelPort();
             if (!p)
                 return;
             const auto ms = settings::ParseInt(value);
             p->RadioGroupTXDelay->SetItemIndex(TXDelayIndexForMs(ms ? *ms : 0));
             p->RadioGroupTXDelayClick();
         },
         [](Values &out) {
             TPanelPort *p = PanelPort();
             out.push_back(std::to_string(TXDelayMsForIndex(p ? p->RadioGroupTXDelay->ItemIndex() : -1)));
         }},
        {"MONPTT=",
         [](const std::string &value) {
             // Both supply buttons go down; the start-up's supply step raises the lines once
             // the port is open, or puts the buttons up again when there is none.
             TPanelPort *p = PanelPort();
             if (!p || value != "1")
                 return;
             for (QAbstractButton *b : {p->SpeedButtonPTTKeyer, p->SpeedButtonMonPTT}) {
                 if (b)
                     b->setChecked(true);
             }
         },
         [](Values &out) {
             TPanelPort *p = PanelPort();
             out.push_back(p && isDown(p->SpeedButtonMonPTT) ? "1" : "0");
         }},
    });
}
