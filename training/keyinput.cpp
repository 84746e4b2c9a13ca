// The key inputs of the monitor: the key type and key port, the serial lines of the paddles
// and of a straight key, the keyer supply, every key source (the key picture, the T and P
// buttons, the CTRL key, the serial lines, the joystick), the straight key with its sidetone
// and the electronic keyer's start of an element.

#include "engine/cp1252.h"
#include "engine/tone.h"
#include "platform/sidetonevoice.h"
#include "shell/accessiblenames.h"
#include "shell/enginehost_mainwindow.h"
#include "shell/formdialog.h"
#include "shell/languages/languages.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/panelport.h"
#include "shell/settingskeys.h"
#include "shell/soundengine.h"
#include "shell/utilities.h"
#include "training/kidmode.h"
#include "training/monitorpanel.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <array>

namespace {

constexpr int PaddleLinesFixUp = 100; // after the file's own fix-ups
// How long the key stays down when pressed through the accessibility bus, as a button's press.
constexpr int PressedKeyMs = 100;

// The tone the sidetone voice was last given, to copy the table again only when it changed.
struct ToneStamp {
    double frequency = 0;
    double amplitude = 0;
    bool exam = false;
    const SidetoneVoice *voice = nullptr;
    bool operator==(const ToneStamp &) const = default;
};

struct KeyInputState {
    KeyEdges edges;
    bool straightDown = false;
    // The sidetone of the key-down in progress.
    SidetoneVoice *voice = nullptr; // null: no sound (no sound card)
    std::uint32_t keyDown = 0;      // its number
    bool ownsIdle = false;          // the sidetone took PlaybackDone from an idle engine
    bool sidetoneOn = false;        // SidetoneOn
    ToneStamp tone;
    QPointer<QTimer> silentCap;     // the 10-s end of a key-down without sound
    std::array<bool, 3> lineBusy{}; // KeyerDSRBusy, KeyerCTSBusy, KeyerRLSDBusy
    // KEYER=COM read while its port is kept but not open: the key port goes back to the file
    // with the port, until the user chooses either.
    bool comKeyerKept = false;
};

KeyInputState st;

TForm1 &form()
{
    return *Form1;
}

EngineState &state()
{
    return Form1->Engine;
}

KeyClock::time_point now()
{
    return monitorSeams().now();
}

template <typename T>
T *panelControl(const char *name)
{
    return Form1 ? Form1->findChild<T *>(QString::fromLatin1(name)) : nullptr;
}

bool isDown(const QAbstractButton *button)
{
    return button && button->isChecked();
}

KeyerLine lineOf(PortRadioGroup *group, KeyerLine fallback)
{
    const int index = group ? group->ItemIndex() : -1;
    return index >= 0 && index <= 2 ? static_cast<KeyerLine>(index) : fallback;
}

int keyerPort()
{
    PortRadioGroup *port = KeyerPortGroup();
    return port ? port->ItemIndex() : KeyerPortMouse;
}

QLabel *lineLabel(KeyerLine line)
{
    const MonitorControls &c = Monitor();
    switch (line) {
    case KeyerLine::DSR:
        return c.LabelDSR;
    case KeyerLine::CTS:
        return c.labelCTS;
    case KeyerLine::CD:
        return c.LabelDCD;
    }
    return nullptr;
}

void showLine(KeyerLine line, bool on)
{
    if (QLabel *label = lineLabel(line))
        label->setStyleSheet(on ? QStringLiteral("color: white; background: green;")
                                : QStringLiteral("color: white; background: red;"));
}

// The six-way choice: the four key types and the two audio channels of the audio decoder.
const char *const ChannelChoice[] = {"RadioButtonPioche", "RadioButtonElKeyN", "RadioButtonElKeyR",
                                     "RadioButtonCTRL",   "RadioButtonLC",     "RadioButtonRC"};

void checkOnly(const QAbstractButton *own)
{
    for (const char *name : ChannelChoice) {
        if (auto *b = panelControl<QAbstractButton>(name))
            b->setChecked(b == own);
    }
}

// ---- The sidetone -----------------------------------------------------------------------------

// A key-down's sound has ended (the voice's report, or the 10-s cap without sound): the engine
// is handed back as the buffer-done handler does it. Reports of earlier key-downs are stale.
void sidetoneEnded(const SidetoneVoice *voice, std::uint32_t keyDown)
{
    if (voice != st.voice || keyDown != st.keyDown)
        return;
    st.sidetoneOn = false;
    if (!st.ownsIdle)
        return;
    st.ownsIdle = false;
    if (TSoundEngine *engine = SoundEnginePtr())
        engine->Cycle->MMWomDoneDirect();
}

void startSidetone()
{
    TSoundEngine *engine = SoundEnginePtr();
    if (!engine)
        return;
    if (CallHook(Hooks().waveInputOpen, false))
        CallHook(Hooks().closeWaveInput);
    EngineState &s = engine->State;
    // A hand key is heard again once the sound server is back, as a transmission is.
    engine->Cycle->ReopenLostOutput();
    // The sidetone holds the engine as a playing buffer does, when the engine was idle.
    st.ownsIdle = s.PlaybackDone;
    s.PlaybackDone = false;
    if (engine->Host->keyingOutputConfigured()) {
        engine->Clock->ManualKeyDown = 1;
        engine->Clock->KeyFirstElement();
    }
    SidetoneVoice *voice = s.NoSoundCard ? nullptr : engine->Output->sidetone();
    st.voice = voice;
    if (voice) {
        const ToneTables &tables = engine->Tone.Tables;
        const ToneStamp stamp{tables.ToneFrequency(), tables.ToneAmplitude(), tables.ExamTone(), voice};
        if (!(stamp == st.tone)) {
            voice->setTone(tables.ToneBuffer());
            st.tone = stamp;
        }
        voice->setDoneHandler([voice](std::uint32_t keyDown) { sidetoneEnded(voice, keyDown); });
        st.keyDown = voice->keyDown();
    } else {
        // Without sound the key is still keyed and timed; it ends by itself after 10 s too.
        ++st.keyDown;
        if (!st.silentCap) {
            st.silentCap = new QTimer(&form());
            st.silentCap->setSingleShot(true);
            QObject::connect(st.silentCap, &QTimer::timeout, [] { sidetoneEnded(nullptr, st.keyDown); });
        }
        st.silentCap->start(static_cast<int>(SidetoneVoice::MaxFrames * 1000 / AudioOutput::SampleRate));
    }
    st.sidetoneOn = true;
}

// StopWaveOut for the sidetone: the fall starts at once, and the engine is handed back now
// rather than when the fall has left the mixer, so a key pressed again at once is taken.
void stopSidetone()
{
    if (st.voice)
        st.voice->keyUp();
    if (st.silentCap)
        st.silentCap->stop();
    sidetoneEnded(st.voice, st.keyDown);
    st.sidetoneOn = false;
}

// ---- Straight key and paddles -------------------------------------------------------------

void straightKeyDown(KeyClock::time_point at)
{
    if (st.straightDown)
        return;
    st.straightDown = true;
    KeyDecoder().KeyDown(at);
    startSidetone();
    KidKeyPicture(true);
}

void straightKeyUp(KeyClock::time_point at)
{
    if (!st.straightDown)
        return;
    st.straightDown = false;
    if (TSoundEngine *engine = SoundEnginePtr())
        engine->Clock->ManualKeyUp();
    KeyDecoder().KeyUp(at);
    stopSidetone();
    KidKeyPicture(false);
}

// An element of the keyer: queued, echoed and started.
void startElement(KeyerElement element)
{
    if (element == KeyerElement::None)
        return;
    state().PlayQueue += QueueCharacter(element);
    CallHook(Hooks().appendMonitorElements, std::string(ElementSign(element)));
    ClickButton(form().Button1);
}

void paddleDown(Paddle paddle)
{
    KeyDecoder().StopGapTimer();
    startElement(PaddleKeyer(state()).Press(paddle));
}

// ---- Falling back to the mouse ----------------------------------------------------------------

void supplyOffIfOn()
{
    if (QAbstractButton *supply = PanelSupplyButton(); isDown(supply))
        ClickButton(supply);
}

void enableComControls(bool enabled)
{
    for (QWidget *w : std::initializer_list<QWidget *>{KeyerDotGroup(), KeyerDashGroup(), SupplyBox(true),
                                                        SupplyBox(false)}) {
        if (w)
            w->setEnabled(enabled);
    }
}

void enableSupplyButtons(bool enabled)
{
    if (QAbstractButton *supply = PanelSupplyButton())
        supply->setEnabled(enabled);
    if (Monitor().SpeedButtonMonPTT)
        Monitor().SpeedButtonMonPTT->setEnabled(enabled);
}

void setKeyPortCaption(KeyerPort port)
{
    if (Monitor().GroupBoxKeyMonitor)
        Monitor().GroupBoxKeyMonitor->setTitle(KeyPortCaption(port));
}

// Every port check that fails: no key type, the supply off, the key port back to the mouse.
void fallBackToMouse()
{
    checkOnly(nullptr);
    supplyOffIfOn();
    enableSupplyButtons(false);
    if (PortRadioGroup *port = KeyerPortGroup())
        port->SetItemIndex(KeyerPortMouse); // runs no handler
    setKeyPortCaption(KeyerPortMouse);
    enableComControls(false);
    if (form().RadioButtonMonitor->isChecked())
        SetKeyPictureTransparent(false);
    FocusTypingBox();
}

bool noComPortChosen()
{
    TPanelPort *port = PanelPort();
    return !port || port->RadioGroupCOM->ItemIndex() <= 0;
}

// A port from the settings that is missing now, still the user's choice.
bool comPortKept()
{
    TPanelPort *port = PanelPort();
    return port && noComPortChosen() && !port->KeptComName().empty();
}

// ---- Key type -----------------------------------------------------------------------------------

QRadioButton *buttonOf(KeyType type)
{
    const MonitorControls &c = Monitor();
    switch (type) {
    case KeyType::Straight:
        return c.RadioButtonPioche;
    case KeyType::KeyerNormal:
        return c.RadioButtonElKeyN;
    case KeyType::KeyerReversed:
        return c.RadioButtonElKeyR;
    case KeyType::Ctrl:
        return c.RadioButtonCTRL;
    case KeyType::None:
        break;
    }
    return nullptr;
}

void keyTypeClick(KeyType type)
{
    // A straight key held down is let go before another key type takes over.
    straightKeyUp(now());
    if (IsPaddleKeyer(type)) {
        if (TSoundEngine *engine = SoundEnginePtr())
            engine->Clock->ManualKeyDown = 0;
    }
    checkOnly(buttonOf(type));
    if (CallHook(Hooks().waveInputOpen, false) && MonitorShown())
        RadioButtonMonitorClick();
    if (type != KeyType::Ctrl) {
        const int port = keyerPort();
        if (port == KeyerPortJoystick && MonitorShown() && !JoystickPresent) {
            ShowProgramMessage("No Joystick !");
            fallBackToMouse();
        } else if (port == KeyerPortCom && MonitorShown() && noComPortChosen()) {
            ShowProgramMessage(type == KeyType::Straight      ? "No COM .."
                               : type == KeyType::KeyerNormal ? "No COM ..."
                                                               : "No COM ....");
            fallBackToMouse();
        }
    }
    if (!NoEditFocus)
        FocusTypingBox();
    if (type == KeyType::Straight || type == KeyType::Ctrl) {
        KeyDecoder().ForgetTimes();
        SetKeyTimingLimits();
    }
}

// ---- The key picture ----------------------------------------------------------------------------

KeySource mouseSource(Qt::MouseButton button)
{
    return button == Qt::LeftButton ? KeySource::MouseLeft
         : button == Qt::RightButton ? KeySource::MouseRight
                                     : KeySource::MouseMiddle;
}

std::optional<MouseButton> mouseButtonOf(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return MouseButton::Left;
    case Qt::RightButton:
        return MouseButton::Right;
    case Qt::MiddleButton:
        return MouseButton::Middle;
    default:
        return std::nullopt;
    }
}

void Image1MouseDown(Qt::MouseButton qtButton)
{
    const auto button = mouseButtonOf(qtButton);
    if (!button || keyerPort() != KeyerPortMouse || !MonitorShown())
        return;
    const KeyType type = CurrentKeyType();
    if (type == KeyType::Ctrl) {
        ShowProgramMessage(MsgCtrlSelectedForKeying());
        return;
    }
    if (type == KeyType::None) {
        ShowProgramMessage(MsgMouseKeyingHowTo());
        return;
    }
    if (!st.edges.Accept(mouseSource(qtButton), true))
        return;
    if (type == KeyType::Straight) {
        if (*button == MouseButton::Left)
            straightKeyDown(now());
    } else if (const auto paddle = MousePaddle(type, *button)) {
        paddleDown(*paddle);
    }
}

void Image1MouseUp(Qt::MouseButton qtButton)
{
    const auto button = mouseButtonOf(qtButton);
    if (!button || keyerPort() != KeyerPortMouse || !st.edges.Accept(mouseSource(qtButton), false))
        return;
    const KeyType type = CurrentKeyType();
    if (type == KeyType::Straight) {
        if (*button == MouseButton::Left)
            straightKeyUp(now());
    } else if (const auto paddle = MousePaddle(type, *button)) {
        PaddleKeyer(state()).Release(*paddle);
    }
}

// FormMouseMove: the mouse has left the key picture. Paddles it holds are let go, so a key
// never stays held by a pointer gone elsewhere. (Paddles held on the serial lines or the
// joystick are not the pointer's to release.)
void mouseLeftPicture()
{
    const bool mousePaddle = st.edges.Down(KeySource::MouseLeft) || st.edges.Down(KeySource::MouseRight)
        || st.edges.Down(KeySource::MouseMiddle);
    if (mousePaddle && IsPaddleKeyer(CurrentKeyType()))
        PaddleKeyer(state()).ReleaseAll();
}

class KeyPictureEvents final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *picture = static_cast<QWidget *>(watched);
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            Image1MouseDown(static_cast<QMouseEvent *>(event)->button());
            return true;
        case QEvent::MouseButtonRelease:
            Image1MouseUp(static_cast<QMouseEvent *>(event)->button());
            return true;
        case QEvent::MouseMove: {
            // While a button is held the picture keeps the mouse: outside its rectangle (the
            // edges count as inside) the pointer has left it.
            const QPointF p = static_cast<QMouseEvent *>(event)->position();
            if (p.x() < 0 || p.y() < 0 || p.x() > picture->width() || p.y() > picture->height())
                mouseLeftPicture();
            return false;
        }
        case QEvent::Leave:
            mouseLeftPicture();
            return false;
        default:
            return false;
        }
    }
};

// A key to click on: the program's own drawing of a key (and the pointer it shows over it).
QPixmap keyPicture(const QSize &size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = size.width(), h = size.height();
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(90, 60, 30));
    p.drawRoundedRect(QRectF(w * 0.08, h * 0.72, w * 0.84, h * 0.18), 2, 2); // base
    p.setBrush(QColor(240, 200, 40));
    p.drawRect(QRectF(w * 0.12, h * 0.52, w * 0.7, h * 0.1)); // lever
    p.drawEllipse(QRectF(w * 0.62, h * 0.3, w * 0.3, h * 0.3)); // knob
    return pixmap;
}

// ---- The CTRL key -------------------------------------------------------------------------------

bool ctrlKeying()
{
    return CurrentKeyType() == KeyType::Ctrl && MonitorShown();
}

void ctrlKeyUp()
{
    if (st.edges.Accept(KeySource::CtrlKey, false))
        straightKeyUp(now());
}

// The typing box's key-up (EditcaractereKeyUp) and the keyboard's auto-repeat of CTRL, which
// would chop one long press into marks.
class CtrlKeyEvents final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress: {
            auto *key = static_cast<QKeyEvent *>(event);
            return key->key() == Qt::Key_Control && key->isAutoRepeat() && ctrlKeying();
        }
        case QEvent::KeyRelease: {
            auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Control && !key->isAutoRepeat() && ctrlKeying())
                ctrlKeyUp();
            return false;
        }
        case QEvent::FocusOut:
            // The release will go elsewhere: the key comes up now.
            if (st.edges.Down(KeySource::CtrlKey))
                ctrlKeyUp();
            return false;
        default:
            return false;
        }
    }
};

// ---- The port panel's controls --------------------------------------------------------------

void portClick();
void dotLineClick();
void dashLineClick();
void supplyBoxClick(bool dtr);

// The handlers on the panel's plain controls, once per panel.
void wirePortPanel()
{
    TPanelPort *panel = PanelPort();
    if (!panel || panel->property("keyInputsWired").toBool())
        return;
    panel->setProperty("keyInputsWired", true);
    if (PortRadioGroup *port = KeyerPortGroup())
        port->OnClick = [] { portClick(); };
    if (PortRadioGroup *dot = KeyerDotGroup())
        dot->OnClick = [] { dotLineClick(); };
    if (PortRadioGroup *dash = KeyerDashGroup())
        dash->OnClick = [] { dashLineClick(); };
    for (bool dtr : {true, false}) {
        if (QCheckBox *box = SupplyBox(dtr))
            QObject::connect(box, &QCheckBox::clicked, box, [dtr] { supplyBoxClick(dtr); });
    }
    if (QAbstractButton *supply = PanelSupplyButton())
        QObject::connect(supply, &QAbstractButton::clicked, supply, [](bool on) { SpeedButtonMonPTTClick(on); });
}

void portClick()
{
    PortRadioGroup *port = KeyerPortGroup();
    if (!port)
        return;
    st.comKeyerKept = false; // the user's own choice
    const int chosen = port->ItemIndex();
    if (chosen == KeyerPortJoystick && !JoystickPresent) {
        ShowProgramMessage("No Joystick !");
        fallBackToMouse();
    } else if (chosen == KeyerPortCom && noComPortChosen()) {
        ShowProgramMessage("No COM .....");
        fallBackToMouse();
    }
    const bool monitorMode = form().RadioButtonMonitor->isChecked();
    switch (port->ItemIndex()) {
    case KeyerPortCom:
        setKeyPortCaption(KeyerPortCom);
        enableComControls(true);
        enableSupplyButtons(true);
        if (monitorMode)
            SetKeyPictureTransparent(true);
        break;
    case KeyerPortJoystick:
        setKeyPortCaption(KeyerPortJoystick);
        supplyOffIfOn();
        enableSupplyButtons(false);
        enableComControls(false);
        if (monitorMode)
            SetKeyPictureTransparent(true);
        break;
    default:
        setKeyPortCaption(KeyerPortMouse);
        supplyOffIfOn();
        enableSupplyButtons(false);
        enableComControls(false);
        SetKeyPictureTransparent(false);
        break;
    }
    if (form().isVisible())
        FocusTypingBox();
}

void dotLineClick()
{
    PortRadioGroup *dash = KeyerDashGroup();
    if (dash)
        dash->SetItemIndex(static_cast<int>(DashLineAfterDotChoice(lineOf(KeyerDotGroup(), KeyerLine::DSR),
                                                                   lineOf(dash, KeyerLine::CTS))));
}

void dashLineClick()
{
    PortRadioGroup *dot = KeyerDotGroup();
    if (dot)
        dot->SetItemIndex(static_cast<int>(DotLineAfterDashChoice(lineOf(dot, KeyerLine::DSR),
                                                                  lineOf(KeyerDashGroup(), KeyerLine::CTS))));
}

void setSupplyButtons(bool down)
{
    for (QAbstractButton *b : {PanelSupplyButton(), static_cast<QAbstractButton *>(Monitor().SpeedButtonMonPTT)}) {
        if (b)
            b->setChecked(down);
    }
}

void supplyBoxClick(bool dtr)
{
    TPanelPort *panel = PanelPort();
    QCheckBox *dtrBox = SupplyBox(true);
    QCheckBox *rtsBox = SupplyBox(false);
    if (!panel || !dtrBox || !rtsBox)
        return;
    const SupplyChoice choice = SupplyAfterClick(dtr, dtrBox->isChecked(), rtsBox->isChecked());
    dtrBox->setChecked(choice.dtr);
    rtsBox->setChecked(choice.rts);
    SerialKeying &keying = panel->Keying;
    const std::uint8_t before = keying.PowerLines;
    keying.PowerLines = choice.mask;
    if (keying.KeyerPowerOn == 1 && keying.PortInUse()) {
        // A line that no longer feeds the keyer goes down; the new mask comes up.
        if ((before & LineDTR) && !(choice.mask & LineDTR))
            keying.Lines().Escape(CLRDTR);
        if ((before & LineRTS) && !(choice.mask & LineRTS))
            keying.Lines().Escape(CLRRTS);
        panel->ApplyKeyerSupply();
    } else {
        keying.PublishToClock();
    }
}

// ---- The serial lines, the joystick, the on-screen paddles ---------------------------------------

KeySource lineSource(KeyerLine line)
{
    return line == KeyerLine::DSR ? KeySource::LineDSR : line == KeyerLine::CTS ? KeySource::LineCTS : KeySource::LineCD;
}

void screenPaddle(Paddle paddle, KeySource source, bool down)
{
    if (!IsPaddleKeyer(CurrentKeyType()) || !st.edges.Accept(source, down))
        return;
    PaddleKeyer keyer(state());
    if (!down) {
        keyer.Release(paddle);
        return;
    }
    // A letter-gap timer that runs would end the letter in the middle of this element.
    KeyDecoder().StopGapTimer();
    startElement(keyer.ScreenButtonPress(paddle));
}

void joystickButton(int button, bool pressed, KeyClock::time_point at)
{
    if (keyerPort() != KeyerPortJoystick || !MonitorShown()
        || !st.edges.Accept(button == 1 ? KeySource::Joystick1 : KeySource::Joystick2, pressed))
        return;
    const KeyType type = CurrentKeyType();
    if (type == KeyType::Straight && button == 1) {
        pressed ? straightKeyDown(at) : straightKeyUp(at);
        return;
    }
    const auto paddle = JoystickPaddle(type, button);
    if (!paddle)
        return;
    EngineState &s = state();
    if (!pressed) {
        s.DashPaddleDown = false;
        s.DotPaddleDown = false;
        return;
    }
    KeyDecoder().StopGapTimer();
    startElement(PaddleKeyer(s).PressAlone(*paddle));
}

// ---- Building -----------------------------------------------------------------------------------

QRadioButton *keyTypeButton(QWidget *parent, const char *name, const QString &caption, KeyType type, int top)
{
    auto *b = Named(new QRadioButton(caption, parent), name);
    // Exclusive by the handlers: the six-way choice may also have none checked.
    b->setAutoExclusive(false);
    b->setGeometry(8, top, 158, 20);
    QObject::connect(b, &QRadioButton::clicked, b, [type] { keyTypeClick(type); });
    return b;
}

QLabel *lineLamp(QWidget *parent, const char *name, const char *caption, int left)
{
    auto *label = Named(new QLabel(QString::fromLatin1(caption), parent), name);
    label->setAlignment(Qt::AlignCenter);
    label->setGeometry(left, 200, 48, 18);
    return label;
}

constexpr TextRow kTexts[] = {
    {"RadioButtonPioche", TextKind::Caption,
     Tr("Simple key", "Egyszerü billentyü", "Handtaste", "Pioche simple", "Tasto semplice", "Manipulador simples",
        "Manipulador simple")},
    {"RadioButtonElKeyN", TextKind::Caption,
     Tr("El. key normal", "El. billentyü normál", "Elbug normal", "Manip. él. normal", "Keyer el. normale",
        "Manip. elét. normal", "Manip. elec. normal")},
    {"RadioButtonElKeyR", TextKind::Caption,
     Tr("El. key reverse", "El. billentyü fordított", "Elbug umgekehrt", "Manip. él. inversé",
        "Keyer el. invertito", "Manip. elét. invertido", "Manip. elec. invertido")},
    {"RadioGroupKeyerPort", TextKind::Caption,
     Tr("KEYER Port", "BILLENTYÜZÖ port", "TASTER-Port", "Port MANIPULATEUR", "Porta KEYER",
        "Porta MANIPULADOR", "Puerto MANIPULADOR")},
    {"RadioGroupKeyerPort", TextKind::Item, 1,
     Tr("Mouse", "Egér", "Maus", "Souris", "Mouse", "Rato", "Ratón")},
    {"RadioGroupKeyerDOT", TextKind::Caption, Tr("DOT", "PONT", "PUNKT", "POINT", "PUNTO", "PONTO", "PUNTO")},
    {"RadioGroupKeyerDash", TextKind::Caption,
     Tr(" DASH / Straight key", " VONÁS / Egyszerü billentyü", " STRICH / Handtaste", " TRAIT / Pioche simple",
        " LINEA / Tasto semplice", " TRAÇO / Manipulador simples", " RAYA / Manipulador simple")},
    {"SpeedButtonMonPTT", TextKind::Hint,
     Tr("DTR/RTS supply", "DTR/RTS tápellátás", "DTR/RTS-Versorgung", "Alimentation DTR/RTS",
        "Alimentazione DTR/RTS", "Alimentação DTR/RTS", "Alimentación DTR/RTS")},
    {"SpeedButtonPTTKeyer", TextKind::Hint,
     Tr("DTR/RTS supply", "DTR/RTS tápellátás", "DTR/RTS-Versorgung", "Alimentation DTR/RTS",
        "Alimentazione DTR/RTS", "Alimentação DTR/RTS", "Alimentación DTR/RTS")},
    // Key names, line names and the screen paddles' letters read alike in every language.
    {"RadioButtonCTRL", TextKind::Caption, Alike("CTRL")},
    {"ButtonTrait", TextKind::Caption, Alike("T")},
    {"ButtonPoint", TextKind::Caption, Alike("P")},
    {"SpeedButtonMonPTT", TextKind::Caption, Alike("ptt")},
    {"LabelDSR", TextKind::Caption, Alike("DSR")},
    {"labelCTS", TextKind::Caption, Alike("CTS")},
    {"LabelDCD", TextKind::Caption, Alike("DCD")},
};
static_assert(allLanguagesPresent(kTexts, [](const TextRow &row) -> const Tr & { return row.text; }),
              "every text needs its seven languages");

void buildKeyGroup(TForm1 &f)
{
    MonitorControls &c = Monitor();
    // The port panel made nothing yet: these become the controls it would otherwise make.
    c.GroupBoxKeyMonitor = Named(new QGroupBox(KeyPortCaption(KeyerPortMouse), c.GroupBoxMonitor),
                                 "GroupBoxKeyMonitor");
    c.GroupBoxKeyMonitor->setGeometry(466, 14, 170, 176);
    QGroupBox *g = c.GroupBoxKeyMonitor;
    c.RadioButtonPioche = keyTypeButton(g, "RadioButtonPioche", QStringLiteral("Simple key"), KeyType::Straight, 20);
    c.RadioButtonElKeyN = keyTypeButton(g, "RadioButtonElKeyN", QStringLiteral("El. key normal"), KeyType::KeyerNormal, 42);
    c.RadioButtonElKeyR = keyTypeButton(g, "RadioButtonElKeyR", QStringLiteral("El. key reverse"), KeyType::KeyerReversed, 64);
    c.RadioButtonCTRL = keyTypeButton(g, "RadioButtonCTRL", QStringLiteral("CTRL"), KeyType::Ctrl, 86);

    c.ButtonTrait = Named(new QPushButton(QStringLiteral("T"), g), "ButtonTrait");
    c.ButtonTrait->setGeometry(8, 116, 44, 44);
    c.ButtonPoint = Named(new QPushButton(QStringLiteral("P"), g), "ButtonPoint");
    c.ButtonPoint->setGeometry(58, 116, 44, 44);
    QObject::connect(c.ButtonTrait, &QPushButton::pressed, [] { screenPaddle(Paddle::Dash, KeySource::ButtonTrait, true); });
    QObject::connect(c.ButtonTrait, &QPushButton::released, [] { screenPaddle(Paddle::Dash, KeySource::ButtonTrait, false); });
    QObject::connect(c.ButtonPoint, &QPushButton::pressed, [] { screenPaddle(Paddle::Dot, KeySource::ButtonPoint, true); });
    QObject::connect(c.ButtonPoint, &QPushButton::released, [] { screenPaddle(Paddle::Dot, KeySource::ButtonPoint, false); });

    c.SpeedButtonMonPTT = Named(new QPushButton(QStringLiteral("ptt"), g), "SpeedButtonMonPTT");
    c.SpeedButtonMonPTT->setCheckable(true);
    c.SpeedButtonMonPTT->setToolTip(QStringLiteral("DTR/RTS supply"));
    c.SpeedButtonMonPTT->setGeometry(112, 124, 48, 28);
    c.SpeedButtonMonPTT->setEnabled(false);
    QObject::connect(c.SpeedButtonMonPTT, &QPushButton::clicked, [](bool on) { SpeedButtonMonPTTClick(on); });

    c.LabelDSR = lineLamp(c.GroupBoxMonitor, "LabelDSR", "DSR", 466);
    c.labelCTS = lineLamp(c.GroupBoxMonitor, "labelCTS", "CTS", 522);
    c.LabelDCD = lineLamp(c.GroupBoxMonitor, "LabelDCD", "DCD", 578);
    for (KeyerLine line : {KeyerLine::DSR, KeyerLine::CTS, KeyerLine::CD})
        showLine(line, false);

    f.Image1->setPixmap(keyPicture(f.Image1->size()));
    f.Image1->setToolTip(QString());
    f.Image1->installEventFilter(new KeyPictureEvents(f.Image1));
    // To a screen reader the key is a button: a press keys it as a short left click does.
    ActsAsButton(f.Image1, [] {
        Image1MouseDown(Qt::LeftButton);
        QTimer::singleShot(PressedKeyMs, Form1, [] { Image1MouseUp(Qt::LeftButton); });
    });
    NameAs(f.Image1, [] {
        const PortRadioGroup *port = KeyerPortGroup();
        return port ? NameWithin(NameText(port->Item(KeyerPortMouse)), NameText(port)) : QString();
    });
    SetKeyPictureTransparent(false);
    if (QLineEdit *box = f.Editcaractere)
        box->installEventFilter(new CtrlKeyEvents(box));
}

// ---- Settings ----------------------------------------------------------------------------------

const char *const LineNames[] = {"DSR", "CTS", "DCD"};

SettingsRegistry::Row lineKey(std::string_view key, PortRadioGroup *(*group)())
{
    return {key,
            [group](const std::string &value) {
                for (int i = 0; i < 3; ++i) {
                    if (value == LineNames[i] && group())
                        group()->SetItemIndex(i);
                }
            },
            [group](std::vector<std::string> &out) {
                const int index = group() ? group()->ItemIndex() : -1;
                if (index >= 0 && index <= 2)
                    out.push_back(LineNames[index]);
            }};
}

void bindSettings()
{
    using Values = std::vector<std::string>;
    static const char *const channels[] = {"SIMPLEKEY", "ELKEYN", "ELKEYR", "CTRLKEY", "LEFT", "RIGHT"};
    Settings().bind({
        {"MONITOR_CHANNEL=",
         [](const std::string &value) {
             NoEditFocus = true;
             for (int i = 0; i < 6; ++i) {
                 if (value == channels[i])
                     checkOnly(panelControl<QAbstractButton>(ChannelChoice[i]));
             }
             NoEditFocus = false;
         },
         [](Values &out) {
             for (int i = 0; i < 6; ++i) {
                 if (isDown(panelControl<QAbstractButton>(ChannelChoice[i])))
                     out.push_back(channels[i]);
             }
         }},
        {"KEYER=",
         [](const std::string &value) {
             PortRadioGroup *port = KeyerPortGroup();
             if (!port)
                 return;
             if (value == "GAME") {
                 port->SetItemIndex(KeyerPortJoystick);
                 setKeyPortCaption(KeyerPortJoystick);
             } else if (value == "COM" && !noComPortChosen()) {
                 port->SetItemIndex(KeyerPortCom);
                 setKeyPortCaption(KeyerPortCom);
             } else if (value == "MOUSE" || value == "COM") {
                 st.comKeyerKept = value == "COM" && comPortKept();
                 port->SetItemIndex(KeyerPortMouse);
                 setKeyPortCaption(KeyerPortMouse);
             }
         },
         [](Values &out) {
             static const char *const ports[] = {"GAME", "MOUSE", "COM"};
             const int index = st.comKeyerKept && comPortKept() ? int(KeyerPortCom) : keyerPort();
             if (index >= 0 && index <= 2)
                 out.push_back(ports[index]);
         }},
        lineKey("DOTKEYER=", KeyerDotGroup),
        lineKey("DASHKEYER=", KeyerDashGroup),
        {"POWERKEYER=",
         [](const std::string &value) {
             QCheckBox *dtr = SupplyBox(true);
             QCheckBox *rts = SupplyBox(false);
             TPanelPort *panel = PanelPort();
             const std::uint8_t mask = value == "DTR" ? 1 : value == "RTS" ? 2 : value == "DTRRTS" ? 3 : 0;
             if (!dtr || !rts || !panel || mask == 0)
                 return;
             dtr->setChecked(mask & LineDTR);
             rts->setChecked(mask & LineRTS);
             panel->Keying.PowerLines = mask;
             panel->Keying.PublishToClock();
         },
         [](Values &out) {
             const bool dtr = isDown(SupplyBox(true));
             const bool rts = isDown(SupplyBox(false));
             if (dtr || rts)
                 out.push_back(dtr && rts ? "DTRRTS" : dtr ? "DTR" : "RTS");
         }},
    });
    Settings().addReadStart("key input: kept key port", [] { st.comKeyerKept = false; });
    // Both paddles read on one line would make it both: the dash moves as when the user
    // picks that line for the dot.
    Settings().addFixUp(PaddleLinesFixUp, "key input: paddle lines", [] { dotLineClick(); });
}

} // namespace

// ---- Shared with the display half --------------------------------------------------------------

PortRadioGroup *KeyerPortGroup()
{
    return PanelPort() ? PanelPort()->RadioGroupKeyerPort : nullptr;
}

PortRadioGroup *KeyerDotGroup()
{
    return PanelPort() ? PanelPort()->RadioGroupKeyerDOT : nullptr;
}

PortRadioGroup *KeyerDashGroup()
{
    return PanelPort() ? PanelPort()->RadioGroupKeyerDash : nullptr;
}

QCheckBox *SupplyBox(bool dtr)
{
    if (!PanelPort())
        return nullptr;
    return dtr ? PanelPort()->CheckBoxPWRDTR : PanelPort()->CheckBoxPWRRTS;
}

QAbstractButton *PanelSupplyButton()
{
    return PanelPort() ? PanelPort()->SpeedButtonPTTKeyer : nullptr;
}

void SetKeyPictureTransparent(bool transparent)
{
    if (!Form1)
        return;
    QLabel *picture = Form1->Image1;
    picture->setProperty("Transparent", transparent);
    picture->setAutoFillBackground(!transparent);
    // Over an opaque picture (the mouse keys) the pointer becomes the key's.
    if (transparent)
        picture->unsetCursor();
    else
        picture->setCursor(Qt::PointingHandCursor);
}

void KeyInputsOnMonitorEntry()
{
    wirePortPanel();
    if (keyerPort() == KeyerPortJoystick && !JoystickPresent) {
        ShowProgramMessage("No Joystick !");
        fallBackToMouse();
    }
    const MonitorControls &c = Monitor();
    SetKeyPictureTransparent(!c.GroupBoxKeyMonitor || c.GroupBoxKeyMonitor->title() != QStringLiteral("MOUSE / CTRL"));
}

void CheckOnlyKeyChoice(const QAbstractButton *own)
{
    checkOnly(own);
}

void StopKeyInputs()
{
    straightKeyUp(now());
    if (Form1)
        PaddleKeyer(state()).ReleaseAll();
    if (st.silentCap)
        st.silentCap->stop();
}

KeyType CurrentKeyType()
{
    const MonitorControls &c = Monitor();
    if (isDown(c.RadioButtonPioche))
        return KeyType::Straight;
    if (isDown(c.RadioButtonElKeyN))
        return KeyType::KeyerNormal;
    if (isDown(c.RadioButtonElKeyR))
        return KeyType::KeyerReversed;
    if (isDown(c.RadioButtonCTRL))
        return KeyType::Ctrl;
    return KeyType::None;
}

// ---- Handlers ---------------------------------------------------------------------------------

void RadioButtonPiocheClick()
{
    ClickButton(Monitor().RadioButtonPioche);
}

void RadioButtonElKeyNClick()
{
    ClickButton(Monitor().RadioButtonElKeyN);
}

void RadioButtonElKeyRClick()
{
    ClickButton(Monitor().RadioButtonElKeyR);
}

void RadioButtonCTRLClick()
{
    ClickButton(Monitor().RadioButtonCTRL);
}

void RadioGroupKeyerPortClick()
{
    portClick();
}

void RadioGroupKeyerDOTClick()
{
    dotLineClick();
}

void RadioGroupKeyerDashClick()
{
    dashLineClick();
}

void CheckBoxPWRDTRClick()
{
    supplyBoxClick(true);
}

void CheckBoxPWRRTSClick()
{
    supplyBoxClick(false);
}

void SpeedButtonMonPTTClick(bool switchOn)
{
    TPanelPort *panel = PanelPort();
    if (!panel)
        return;
    SerialKeying &keying = panel->Keying;
    if (!switchOn) {
        setSupplyButtons(false);
        keying.DropKeyerSupply();
        panel->ApplyKeyerSupply();
        return;
    }
    setSupplyButtons(true);
    if (!keying.PortInUse() || keying.PowerLines == 0) {
        keying.KeyerPowerOn = 0;
        ShowProgramMessage("No COM !");
        setSupplyButtons(false);
    }
    // Up: the supply lines are raised and their role boxes disabled; down: all released.
    panel->ApplyKeyerSupply();
}

void ComPortKeyerLineChange(KeyerLine line, bool on, KeyClock::time_point at)
{
    bool &busy = st.lineBusy[static_cast<std::size_t>(line)];
    if (busy || !st.edges.Accept(lineSource(line), on))
        return;
    busy = true;
    struct Release {
        bool &flag;
        ~Release() { flag = false; }
    } release{busy};
    if (!MonitorShown() || keyerPort() != KeyerPortCom)
        return;
    const KeyType type = CurrentKeyType();
    const KeyerLine dash = lineOf(KeyerDashGroup(), KeyerLine::CTS);
    if (type == KeyType::Straight) {
        if (line != dash)
            return;
        on ? straightKeyDown(at) : straightKeyUp(at);
        showLine(line, on);
        return;
    }
    const auto paddle = SerialPaddle(type, line, lineOf(KeyerDotGroup(), KeyerLine::DSR), dash);
    if (!paddle)
        return;
    if (on)
        paddleDown(*paddle);
    else
        PaddleKeyer(state()).Release(*paddle);
    showLine(line, on);
}

void Joystickex1Button1_Change(bool pressed, KeyClock::time_point at)
{
    joystickButton(1, pressed, at);
}

void Joystickex1Button2_Change(bool pressed, KeyClock::time_point at)
{
    joystickButton(2, pressed, at);
}

void BuildKeyInputs(TForm1 &form)
{
    st = KeyInputState{};
    buildKeyGroup(form);
    RegisterMainWindowTexts(kTexts);
    bindSettings();

    ModeHooks &hooks = Hooks();
    hooks.straightKeyDownByCtrl = [] {
        if (st.edges.Accept(KeySource::CtrlKey, true))
            straightKeyDown(now());
    };
    hooks.keyerLineChanged = [](int line, bool on, KeyClock::time_point seen) {
        if (line >= 0 && line <= 2)
            ComPortKeyerLineChange(static_cast<KeyerLine>(line), on, seen);
    };
    hooks.joystickButtonChanged = [](int button, bool pressed, KeyClock::time_point at) {
        joystickButton(button, pressed, at);
    };
    hooks.sidetoneOff = [] {
        if (st.voice)
            st.voice->keyUp();
        st.sidetoneOn = false;
    };

    // Start-up step 20: the panel's controls get their handlers; the line choices and the
    // supply are for the COM key port with a serial port chosen only.
    AddModuleStep(ModuleStep::EnableKeyerLines, "keyer lines", [] {
        wirePortPanel();
        const bool com = keyerPort() == KeyerPortCom && !noComPortChosen();
        enableComControls(com);
        enableSupplyButtons(com);
    });
}
