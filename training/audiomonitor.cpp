#include "training/audiomonitor.h"

#include "engine/cp1252.h"
#include "engine/enginehost.h"
#include "platform/portaudioinput.h"
#include "shell/accessiblenames.h"
#include "shell/formdialog.h"
#include "shell/formfilter.h"
#include "shell/languages/languages.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/settingsformat.h"
#include "shell/settingskeys.h"
#include "shell/soundengine.h"
#include "shell/stepspinbox.h"
#include "shell/utilities.h"
#include "training/monitorpanel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>

#include <utility>

int FilterCenter = FilterCenterDefault;
int FilterBandwidth = FilterBandwidthDefault;

namespace {

struct AudioControls {
    QGroupBox *GroupBoxAudioMonitor = nullptr;
    QRadioButton *RadioButtonLC = nullptr;
    QRadioButton *RadioButtonRC = nullptr;
    QSlider *TrackBarLC = nullptr;
    QSlider *TrackBarRC = nullptr;
    QProgressBar *ProgressBarLeft = nullptr;
    QProgressBar *ProgressBarRight = nullptr;
    QToolButton *SpeedButtonMonitorFilter = nullptr;
    QFrame *PanelErrAudioMonitor = nullptr;
    QLabel *StaticTextErrAudioMonitor = nullptr;
    QAction *MenuAudioFilter = nullptr;
};

// What the decoder finds goes to the monitor's element line, memo and state label.
class MonitorAudioWriter final : public AudioDecoderOutput {
public:
    void AppendElementLine(const std::string &signs) override { AppendMonitorElements(signs); }
    void RewriteElementLine(std::size_t count, const std::string &signs) override
    {
        if (QLineEdit *line = Monitor().EditMonitor) {
            // The line may have been cleared meanwhile: never more than it holds.
            QString text = line->text();
            text.chop(static_cast<qsizetype>(std::min<std::size_t>(count, static_cast<std::size_t>(text.size()))));
            line->setText(text);
        }
        AppendMonitorElements(signs);
    }
    void DecodeCharacter(const std::string &code) override { DecodeMonitorCharacter(code); }
    void WordSpace() override
    {
        if (QPlainTextEdit *memo = Monitor().MemoMonitor)
            memo->insertPlainText(QStringLiteral(" "));
    }
    void ShowEstimates(const std::string &text) override
    {
        if (QLabel *label = Monitor().Label4)
            label->setText(QString::fromLatin1(text));
    }
};

struct AudioMonitorState {
    AudioControls c;
    MonitorAudioWriter writer;
    AudioDecoder decoder{writer};
    std::unique_ptr<AudioInput> input;
    bool waveInOpen = false; // WaveInOpen
    bool resuming = false;   // the end of a text opens the input again
    // The input's opening has not answered yet; a refusal then is said when this is set.
    bool openingGoesOn = false;
    bool sayRefusal = false;
    QString filterText;      // AudioDecodingText
    // Parked until the filter window exists.
    bool iniFilterActive = false;
    int filterTop = -1;
    int filterLeft = -1;
};

AudioMonitorState &st()
{
    static AudioMonitorState state;
    return state;
}

AudioControls &controls()
{
    return st().c;
}

bool isDown(const QAbstractButton *button)
{
    return button && button->isChecked();
}

bool filterBoxChecked()
{
    return FormFilter && FormFilter->CheckBoxFilter->isChecked();
}

bool audioChannelChosen()
{
    return isDown(controls().RadioButtonLC) || isDown(controls().RadioButtonRC);
}

// " / fc=800Hz / bw=100Hz"
QString filterTextFor(int center, int bandwidth)
{
    return QStringLiteral(" / fc=%1Hz / bw=%2Hz").arg(center).arg(bandwidth);
}

void showCaption()
{
    if (controls().GroupBoxAudioMonitor)
        SetCaption(controls().GroupBoxAudioMonitor, TxtAudioDecoding() + st().filterText);
}

void showFilterHint()
{
    if (QToolButton *button = controls().SpeedButtonMonitorFilter)
        SetHint(button, button->isChecked() ? TxtAudioFilterKeysHint() : TxtAudioFilterHint());
}

// The filter window with the audio monitor's handlers (given once per window).
TFormFilter *filterWindow()
{
    TFormFilter *window = FormFilter;
    if (window && !window->OnFCenterClick) {
        window->OnFCenterClick = [] { UpDownFCenterClick(); };
        window->OnBWClick = [] { UpDownBWClick(); };
        window->OnCheckBoxFilterClick = [] { CheckBoxFilterClick(); };
    }
    return window;
}

void computeCoefficients()
{
    st().decoder.SetFilterCoefficients(ComputeBandPassCoefficients(FilterCenter, FilterBandwidth));
}

// ---- The input --------------------------------------------------------------------------------

void showErrorPanel(bool shown)
{
    if (QFrame *panel = controls().PanelErrAudioMonitor) {
        panel->setVisible(shown);
        if (shown)
            panel->raise();
    }
}

// MMWimData: the block as delivered.
void blockArrived(std::span<const std::uint8_t> frames)
{
    AudioControls &c = controls();
    if (!st().waveInOpen || !c.PanelErrAudioMonitor || !c.PanelErrAudioMonitor->isHidden())
        return;
    st().openingGoesOn = false;
    AudioDecoder &decoder = st().decoder;
    decoder.SetChannel(isDown(c.RadioButtonLC) ? AudioDecoder::Left : AudioDecoder::Right);
    decoder.SetFilter(filterBoxChecked());
    decoder.ProcessBlock(frames);
    c.ProgressBarLeft->setValue(AudioDecoder::LevelPercent(decoder.LeftPeak()));
    c.ProgressBarRight->setValue(AudioDecoder::LevelPercent(decoder.RightPeak()));
}

// The input stopped by itself, or its opening was refused late: decoding is off, the panel
// says so, the program runs on.
void inputFailed(int error)
{
    AudioMonitorState &s = st();
    s.waveInOpen = false;
    showErrorPanel(true);
    if (std::exchange(s.openingGoesOn, false) && s.sayRefusal)
        ShowProgramMessage(WaveErrorText(error, cp1252::fromQString(MsgCannotOpenSoundCard())));
}

AudioInput &input()
{
    AudioMonitorState &s = st();
    if (!s.input) {
        s.input = AudioInputFactory()();
        s.input->setBlockHandler(blockArrived);
        s.input->setFailureHandler(inputFailed);
    }
    return *s.input;
}

// ---- Channels and thresholds -------------------------------------------------------------

int trackBarOfChosenChannel()
{
    const AudioControls &c = controls();
    const QSlider *bar = isDown(c.RadioButtonRC) ? c.TrackBarRC : c.TrackBarLC;
    return bar ? bar->value() : AudioDecoder::DefaultThreshold;
}

void channelClick(QRadioButton *own, QSlider *threshold)
{
    CheckOnlyKeyChoice(own);
    st().decoder.SetThreshold(threshold->value());
    if (!st().waveInOpen && MonitorShown())
        RadioButtonMonitorClick();
    if (!NoEditFocus)
        FocusTypingBox();
    st().decoder.ForgetEstimates();
}

void trackBarChange(QRadioButton *own, QSlider *bar)
{
    if (isDown(own))
        st().decoder.SetThreshold(bar->value());
    if (!NoEditFocus)
        FocusTypingBox();
}

// ---- The filter button --------------------------------------------------------------------

void filterButtonToggled(bool down)
{
    if (TFormFilter *window = filterWindow())
        window->CheckBoxFilter->setChecked(down);
    st().filterText = down ? filterTextFor(FilterCenter, FilterBandwidth) : QString();
    showFilterHint();
    showCaption();
}

// A right-button release on the filter button opens the filter window.
class FilterButtonEvents final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonRelease
            && static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
            MenuAudioFilterClick();
            return true;
        }
        return false;
    }
};

// FormKeyDown: Ctrl+Up/Down move the centre frequency a step, Ctrl+Right/Left the bandwidth,
// in the monitor with the filter on and a channel chosen, with Ctrl alone held. Taken before
// the focused control (the typing box would move its caret by words).
class FilterKeys final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!Form1 || !widget || widget->window() != Form1
            || (key->modifiers() & ~Qt::KeypadModifier) != Qt::ControlModifier)
            return false;
        if (!Form1->RadioButtonMonitor->isChecked() || !isDown(controls().SpeedButtonMonitorFilter)
            || !audioChannelChosen())
            return false;
        TFormFilter *window = filterWindow();
        if (!window)
            return false;
        auto move = [](StepSpinBox *upDown, int by) {
            const QSignalBlocker quiet(upDown);
            upDown->setValue(std::clamp(upDown->value() + by, upDown->minimum(), upDown->maximum()));
        };
        switch (key->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
            move(window->UpDownFCenter, key->key() == Qt::Key_Up ? FilterCenterStep : -FilterCenterStep);
            window->UpDownFCenterClick();
            return true;
        case Qt::Key_Right:
        case Qt::Key_Left:
            move(window->UpDownBW, key->key() == Qt::Key_Right ? FilterBandwidthStep : -FilterBandwidthStep);
            window->UpDownBWClick();
            return true;
        default:
            return false;
        }
    }
};

// The filter button's picture: a band-pass curve.
QIcon filterIcon()
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(20, 60, 160), 2));
    QPainterPath curve(QPointF(2, 20));
    curve.cubicTo(QPointF(8, 20), QPointF(9, 4), QPointF(12, 4));
    curve.cubicTo(QPointF(15, 4), QPointF(16, 20), QPointF(22, 20));
    p.drawPath(curve);
    return QIcon(pixmap);
}

// ---- Building ---------------------------------------------------------------------------------

QSlider *thresholdBar(QWidget *parent, const char *name, int top)
{
    auto *bar = Named(new QSlider(Qt::Horizontal, parent), name);
    bar->setRange(0, AudioDecoder::MaxThreshold);
    bar->setValue(AudioDecoder::DefaultThreshold);
    bar->setGeometry(250, top, 150, 22);
    return bar;
}

QProgressBar *levelBar(QWidget *parent, const char *name, int top)
{
    auto *bar = Named(new QProgressBar(parent), name);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    bar->setGeometry(130, top + 4, 112, 14);
    return bar;
}

QRadioButton *channelButton(QWidget *parent, const char *name, int top)
{
    auto *b = Named(new QRadioButton(parent), name);
    // Exclusive by the handlers, with the four key types.
    b->setAutoExclusive(false);
    b->setGeometry(8, top, 20, 22);
    return b;
}

void buildControls(TForm1 &form)
{
    AudioControls &c = controls();
    QGroupBox *monitor = Monitor().GroupBoxMonitor;
    c.GroupBoxAudioMonitor = Named(new QGroupBox(QStringLiteral("Audio decoding"), monitor), "GroupBoxAudioMonitor");
    c.GroupBoxAudioMonitor->setGeometry(8, 190, 452, 88);
    QGroupBox *g = c.GroupBoxAudioMonitor;
    QLabel *threshold = Named(new QLabel(QStringLiteral("Decoder threshold"), g), "LabelThreshold");
    threshold->setGeometry(250, 16, 160, 16);
    c.RadioButtonLC = channelButton(g, "RadioButtonLC", 34);
    c.RadioButtonLC->setChecked(true);
    QLabel *left = Named(new QLabel(QStringLiteral("Left channel"), g), "LabelLeftChannel");
    left->setGeometry(30, 34, 96, 22);
    c.ProgressBarLeft = levelBar(g, "ProgressBarLeft", 34);
    c.TrackBarLC = thresholdBar(g, "TrackBarLC", 34);
    c.RadioButtonRC = channelButton(g, "RadioButtonRC", 60);
    QLabel *right = Named(new QLabel(QStringLiteral("Right channel"), g), "LabelRightChannel");
    right->setGeometry(30, 60, 96, 22);
    c.ProgressBarRight = levelBar(g, "ProgressBarRight", 60);
    c.TrackBarRC = thresholdBar(g, "TrackBarRC", 60);
    // Each channel's button and level bar by its label, its threshold by the column's title.
    NameAfter(c.RadioButtonLC, left);
    NameAfter(c.ProgressBarLeft, left);
    NameAfter(c.TrackBarLC, threshold, left);
    NameAfter(c.RadioButtonRC, right);
    NameAfter(c.ProgressBarRight, right);
    NameAfter(c.TrackBarRC, threshold, right);

    c.SpeedButtonMonitorFilter = Named(new QToolButton(g), "SpeedButtonMonitorFilter");
    c.SpeedButtonMonitorFilter->setCheckable(true);
    c.SpeedButtonMonitorFilter->setIcon(filterIcon());
    c.SpeedButtonMonitorFilter->setGeometry(408, 34, 36, 36);
    c.SpeedButtonMonitorFilter->installEventFilter(new FilterButtonEvents(c.SpeedButtonMonitorFilter));

    // The error panel lies over the audio group when the input cannot be used.
    c.PanelErrAudioMonitor = Named(new QFrame(monitor), "PanelErrAudioMonitor");
    c.PanelErrAudioMonitor->setFrameShape(QFrame::Panel);
    c.PanelErrAudioMonitor->setAutoFillBackground(true);
    c.PanelErrAudioMonitor->setGeometry(c.GroupBoxAudioMonitor->geometry());
    c.StaticTextErrAudioMonitor = Named(new QLabel(c.PanelErrAudioMonitor), "StaticTextErrAudioMonitor");
    c.StaticTextErrAudioMonitor->setGeometry(8, 8, 436, 72);
    c.StaticTextErrAudioMonitor->setWordWrap(true);
    QPalette red = c.StaticTextErrAudioMonitor->palette();
    red.setColor(QPalette::WindowText, QColor(176, 0, 0));
    c.StaticTextErrAudioMonitor->setPalette(red);
    QFont bold = c.StaticTextErrAudioMonitor->font();
    bold.setBold(true);
    c.StaticTextErrAudioMonitor->setFont(bold);
    c.PanelErrAudioMonitor->hide();

    c.MenuAudioFilter = Named(new QAction(QStringLiteral("&Audio Filter (Monitoring)"), form.MenuOutils),
                              "MenuAudioFilter");
    c.MenuAudioFilter->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    form.MenuOutils->insertAction(Monitor().MenuClearMonitoring, c.MenuAudioFilter);

    QObject::connect(c.RadioButtonLC, &QRadioButton::clicked, g, [] { RadioButtonLCClick(); });
    QObject::connect(c.RadioButtonRC, &QRadioButton::clicked, g, [] { RadioButtonRCClick(); });
    QObject::connect(c.TrackBarLC, &QSlider::valueChanged, g,
                     [] { trackBarChange(controls().RadioButtonLC, controls().TrackBarLC); });
    QObject::connect(c.TrackBarRC, &QSlider::valueChanged, g,
                     [] { trackBarChange(controls().RadioButtonRC, controls().TrackBarRC); });
    QObject::connect(c.SpeedButtonMonitorFilter, &QToolButton::clicked, g, filterButtonToggled);
    QObject::connect(c.MenuAudioFilter, &QAction::triggered, g, [] { MenuAudioFilterClick(); });
    QCoreApplication::instance()->installEventFilter(new FilterKeys(g));
}

constexpr TextRow kTexts[] = {
    {"LabelLeftChannel", TextKind::Caption,
     Tr("Left channel", "Bal csatorna", "Linker Kanal", "Canal gauche", "Canale sinistro", "Canal esquerdo",
        "Canal izquierdo")},
    {"LabelRightChannel", TextKind::Caption,
     Tr("Right channel", "Jobb csatorna", "Rechter Kanal", "Canal droit", "Canale destro", "Canal direito",
        "Canal derecho")},
    {"LabelThreshold", TextKind::Caption,
     Tr("Decoder threshold", "Dekóder küszöb", "Dekoderschwelle", "Seuil du décodeur", "Soglia del decodificatore",
        "Limiar do descodificador", "Umbral del decodificador")},
    {"MenuAudioFilter", TextKind::Caption,
     Tr("&Audio Filter (Monitoring)", "&Hangszürö (figyelés)", "&Audiofilter (Mithören)",
        "Filtre &audio (monitoring)", "Filtro &audio (monitoraggio)", "Filtro de &áudio (monitorização)",
        "Filtro de &audio (monitorización)")},
};
static_assert(allLanguagesPresent(kTexts, [](const TextRow &row) -> const Tr & { return row.text; }),
              "every text needs its seven languages");

// ---- Settings ---------------------------------------------------------------------------------

std::string flag(bool on)
{
    return on ? "1" : "0";
}

// A threshold key: the track bar's position, with the focus left alone meanwhile.
SettingsRegistry::Row thresholdKey(std::string_view key, QSlider *AudioControls::*bar)
{
    return {key,
            [bar](const std::string &value) {
                const auto n = settings::ParseInt(value);
                if (!n || !(controls().*bar))
                    return;
                NoEditFocus = true;
                (controls().*bar)->setValue(std::clamp(static_cast<int>(*n), 0, AudioDecoder::MaxThreshold));
                NoEditFocus = false;
            },
            [bar](std::vector<std::string> &out) {
                out.push_back(std::to_string((controls().*bar) ? (controls().*bar)->value()
                                                               : AudioDecoder::DefaultThreshold));
            }};
}

// A filter setting from the file, held to its up-down's range and steps.
int heldToSteps(long long value, int low, int high, int step)
{
    const long long held = std::clamp<long long>(value, low, high);
    return static_cast<int>(low + (held - low + step / 2) / step * step);
}

void bindSettings()
{
    using Values = std::vector<std::string>;
    Settings().bind({
        {"MONITOR_FILTER=",
         [](const std::string &value) {
             NoEditFocus = true;
             controls().SpeedButtonMonitorFilter->setChecked(value == "1");
             NoEditFocus = false;
         },
         [](Values &out) { out.push_back(flag(isDown(controls().SpeedButtonMonitorFilter))); }},
        thresholdKey("LEFT_THRESHOLD=", &AudioControls::TrackBarLC),
        thresholdKey("RIGHT_THRESHOLD=", &AudioControls::TrackBarRC),
        {"FILTERPOS=",
         [](const std::string &value) {
             const std::size_t comma = value.find(',');
             if (comma == std::string::npos)
                 return;
             if (const auto top = settings::ParseInt(value.substr(0, comma)))
                 st().filterTop = static_cast<int>(std::clamp<long long>(*top, -32767, 32767));
             if (const auto left = settings::ParseInt(value.substr(comma + 1, 100)))
                 st().filterLeft = static_cast<int>(std::clamp<long long>(*left, -32767, 32767));
         },
         [](Values &out) {
             const int top = FormFilter ? FormFilter->SavedTop : st().filterTop;
             const int left = FormFilter ? FormFilter->SavedLeft : st().filterLeft;
             out.push_back(std::to_string(top) + "," + std::to_string(left));
         }},
        {"AFCENTER=",
         [](const std::string &value) {
             if (const auto n = settings::ParseInt(value))
                 FilterCenter = heldToSteps(*n, FilterCenterMin, FilterCenterMax, FilterCenterStep);
         },
         [](Values &out) {
             out.push_back(std::to_string(FormFilter ? FormFilter->UpDownFCenter->value() : FilterCenter));
         }},
        {"AFBW=",
         [](const std::string &value) {
             if (const auto n = settings::ParseInt(value))
                 FilterBandwidth = heldToSteps(*n, FilterBandwidthMin, FilterBandwidthMax, FilterBandwidthStep);
         },
         [](Values &out) { out.push_back(std::to_string(FormFilter ? FormFilter->UpDownBW->value() : FilterBandwidth)); }},
        {"AFACTIVE=", [](const std::string &value) { st().iniFilterActive = value == "1"; },
         [](Values &out) { out.push_back(flag(FormFilter ? filterBoxChecked() : st().iniFilterActive)); }},
    });
}

} // namespace

// ---- Entering the monitor ---------------------------------------------------------------------

void AudioFilterOnMonitorEntry()
{
    if (TFormFilter *window = filterWindow())
        window->SetPositions(FilterCenter, FilterBandwidth);
    st().filterText = isDown(controls().SpeedButtonMonitorFilter) ? filterTextFor(FilterCenter, FilterBandwidth)
                                                                   : QString();
    showCaption();
    computeCoefficients();
}

void StartAudioDecoding()
{
    AudioMonitorState &s = st();
    if (QLabel *text = controls().StaticTextErrAudioMonitor)
        text->setText(MsgAudioDecodingUnavailable());
    s.decoder.Reset();
    CloseWaveInput();
    // Without a sound card the input is not tried: the start-up said so once already. An
    // output that is only being opened again (a server slow to answer, or lost for a while)
    // is no missing card: the input is tried, and a refusal shown by the panel alone.
    const bool outputComing = Form1 && Form1->Engine.OutputLost;
    if (Form1 && Form1->Engine.NoSoundCard && !outputComing) {
        showErrorPanel(true);
        s.waveInOpen = false;
        return;
    }
    const bool sayRefusal = !s.resuming && !outputComing;
    const int error = input().open(Form1 ? Form1->Engine.WaveInDevice : -1);
    if (error != 0 && input().opening()) {
        // The device has not answered yet (a slow or frozen sound server): no refusal, the
        // decoding starts once it does.
        s.openingGoesOn = true;
        s.sayRefusal = sayRefusal;
        s.waveInOpen = true;
        showErrorPanel(false);
        return;
    }
    if (error != 0) {
        // Only the input is given up: the output, its buffers and sending are untouched. The
        // learner is told when choosing the monitor, not again after every text sent.
        if (sayRefusal)
            ShowProgramMessage(WaveErrorText(error, cp1252::fromQString(MsgCannotOpenSoundCard())));
        showErrorPanel(true);
        s.waveInOpen = false;
        return;
    }
    s.waveInOpen = true;
    showErrorPanel(false);
}

// ---- Handlers ---------------------------------------------------------------------------------

void RadioButtonLCClick()
{
    channelClick(controls().RadioButtonLC, controls().TrackBarLC);
}

void RadioButtonRCClick()
{
    channelClick(controls().RadioButtonRC, controls().TrackBarRC);
}

void SpeedButtonMonitorFilterClick()
{
    ClickButton(controls().SpeedButtonMonitorFilter);
}

void MenuAudioFilterClick()
{
    if (TFormFilter *window = filterWindow()) {
        window->show();
        window->raise();
    }
}

void UpDownFCenterClick()
{
    TFormFilter *window = filterWindow();
    if (!window)
        return;
    FilterCenter = window->UpDownFCenter->value();
    FilterBandwidth = window->UpDownBW->value();
    computeCoefficients();
    st().filterText = filterBoxChecked() ? filterTextFor(FilterCenter, FilterBandwidth) : QString();
    showCaption();
}

void UpDownBWClick()
{
    // The same work: both values are taken.
    UpDownFCenterClick();
}

void CheckBoxFilterClick()
{
    const bool on = filterBoxChecked();
    if (QToolButton *button = controls().SpeedButtonMonitorFilter)
        button->setChecked(on);
    st().filterText = on ? filterTextFor(FilterCenter, FilterBandwidth) : QString();
    showFilterHint();
    showCaption();
}

bool WaveInputIsOpen()
{
    return st().waveInOpen;
}

void CloseWaveInput()
{
    AudioMonitorState &s = st();
    s.waveInOpen = false;
    s.openingGoesOn = false;
    if (s.input)
        s.input->close();
}

AudioDecoder &AudioMonitorDecoder()
{
    return st().decoder;
}

std::function<std::unique_ptr<AudioInput>()> &AudioInputFactory()
{
    static std::function<std::unique_ptr<AudioInput>()> factory = [] {
        return std::unique_ptr<AudioInput>(std::make_unique<PortAudioInput>());
    };
    return factory;
}

// ---- The module -------------------------------------------------------------------------------

void BuildAudioMonitorModule(TForm1 &form)
{
    AudioMonitorState &s = st();
    s.input.reset();
    s.c = AudioControls{};
    s.waveInOpen = false;
    s.resuming = false;
    s.filterText.clear();
    s.iniFilterActive = false;
    s.filterTop = s.filterLeft = -1;
    FilterCenter = FilterCenterDefault;
    FilterBandwidth = FilterBandwidthDefault;
    s.decoder.Reset();
    s.decoder.ForgetEstimates();
    buildControls(form);
    // Nothing reaches the controls of a window that is gone, and its input goes with it.
    QObject::connect(s.c.GroupBoxAudioMonitor, &QObject::destroyed, [] {
        st().c = AudioControls{};
        st().input.reset();
        st().waveInOpen = false;
    });
    RegisterMainWindowTexts(kTexts);
    bindSettings();
    OnLanguageSwitch(s.c.GroupBoxAudioMonitor, [] {
        showCaption();
        if (QLabel *text = controls().StaticTextErrAudioMonitor)
            text->setText(MsgAudioDecodingUnavailable());
        showFilterHint();
    });

    ModeHooks &hooks = Hooks();
    hooks.waveInputOpen = [] { return WaveInputIsOpen(); };
    hooks.closeWaveInput = [] { CloseWaveInput(); };
    // The queue has run empty: the audio monitor, when chosen, listens again.
    hooks.audioMonitorResume = [] {
        if (!Form1 || !Form1->RadioButtonMonitor->isChecked() || !audioChannelChosen())
            return;
        st().resuming = true;
        RadioButtonMonitorClick();
        st().resuming = false;
    };

    AddModuleStep(ModuleStep::FilterHint, "audio filter hint", [] { showFilterHint(); });
    AddModuleStep(ModuleStep::DecoderState, "audio decoder", [] {
        AudioDecoder &decoder = st().decoder;
        decoder.Reset();
        decoder.ForgetEstimates();
        decoder.SetThreshold(trackBarOfChosenChannel());
    });
    AddModuleStep(ModuleStep::PushParkedSettings, "audio filter window", [] {
        TFormFilter *window = filterWindow();
        if (!window)
            return;
        window->SetPositions(FilterCenter, FilterBandwidth);
        if (st().iniFilterActive)
            window->CheckBoxFilter->setChecked(true);
        window->SavedTop = st().filterTop;
        window->SavedLeft = st().filterLeft;
    });
    AddModuleStep(ModuleStep::QuitStopKeyingClocks, "audio input", [] { CloseWaveInput(); });
}
