#include "training/kidmode.h"

#include "engine/cp1252.h"
#include "engine/kidmode.h"
#include "engine/morsecode.h"
#include "engine/wavsound.h"
#include "platform/userfile.h"
#include "shell/languages/languages.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/pendingsteps.h"
#include "shell/settingsformat.h"
#include "shell/settingsgeometry.h"
#include "shell/settingskeys.h"
#include "shell/soundengine.h"
#include "shell/utilities.h"
#include "shell/zoom.h"
#include "training/monitorpanel.h"
#include "training/typing.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <optional>

bool KidMode = false;
int KidSavedWidth = 0, KidSavedHeight = 0;
int KidBaseWidth = 0, KidBaseHeight = 0;

namespace {

// The pictures as drawn; each is shown scaled into its place.
constexpr QSize RabbitArt(120, 140);
constexpr QSize KeyArt(120, 60);
constexpr QSize AlphabetArt(620, 150);
// Where they lie: in the band under the monitor group, over the rows a child keying does
// not need, so the kid view is a frame around the monitor no larger than the window's design.
constexpr QRect AlphabetPlace(8, 402, 347, 84);
constexpr QRect AlphabetBarPlace(355, 402, 16, 84);
constexpr QRect RabbitPlace(371, 402, 72, 84);
constexpr QRect KeyPlace(443, 402, 112, 56); // left of Quit, which stays in reach
constexpr int KidMargin = 10;
constexpr int AnimationMs = 200;

struct KidControls {
    QAction *MenuMonitorTexte = nullptr;
    QToolButton *SpeedButtonKid = nullptr;
    QLabel *StaticTextKid = nullptr;
    std::array<QLabel *, 4> ImageLapin{}; // at rest, then the three frames
    QLabel *Imagealphabet = nullptr;
    QLabel *ImageAlphabet2 = nullptr;
    QScrollBar *ScrollBarImageAlpha = nullptr;
    QLabel *ImageManipOFF = nullptr;
    QLabel *ImageManipON = nullptr;
};

struct KidState {
    KidControls c;
    bool monTextRead = false; // MONTEXT=1, clicked by the main block
};

KidState st;

KidControls &controls()
{
    return st.c;
}

bool optionChecked()
{
    return controls().MenuMonitorTexte && controls().MenuMonitorTexte->isChecked();
}

// ---- Pictures, drawn here ------------------------------------------------------------------------

// The rabbit: `hop` 0 sits; 1 to 3 are the frames of a hop (crouch, leap, land).
QPixmap rabbitPicture(int hop)
{
    const QSize size = RabbitArt;
    QPixmap pixmap(size);
    pixmap.fill(QColor(215, 240, 255));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(120, 190, 90));
    p.setPen(Qt::NoPen);
    p.drawRect(0, size.height() - 18, size.width(), 18); // grass
    static constexpr double lift[4] = {0, 4, 30, 10};
    static constexpr double lean[4] = {0, 8, -14, -4};
    p.translate(0, -lift[hop]);
    p.translate(60, 100);
    p.rotate(lean[hop]);
    const QColor fur(245, 245, 240), shade(200, 195, 190), pink(240, 160, 175);
    p.setPen(QPen(QColor(90, 90, 90), 1.5));
    // Ears, body, tail, head.
    p.setBrush(fur);
    p.drawEllipse(QRectF(-4, -86, 12, 40));
    p.drawEllipse(QRectF(10, -84, 12, 40));
    p.setBrush(pink);
    p.drawEllipse(QRectF(-1, -80, 6, 28));
    p.drawEllipse(QRectF(13, -78, 6, 28));
    p.setBrush(fur);
    p.drawEllipse(QRectF(-34, -26, 56, 44));
    p.setBrush(shade);
    p.drawEllipse(QRectF(-42, -18, 16, 16));
    p.setBrush(fur);
    p.drawEllipse(QRectF(-6, -52, 36, 32));
    p.setBrush(QColor(30, 30, 30));
    p.drawEllipse(QRectF(16, -42, 5, 6));
    p.setBrush(pink);
    p.drawEllipse(QRectF(26, -34, 5, 4));
    // Legs: tucked when sitting, stretched in the leap.
    p.setBrush(fur);
    if (hop == 2) {
        p.drawEllipse(QRectF(-44, 4, 30, 10));
        p.drawEllipse(QRectF(14, 6, 24, 9));
    } else {
        p.drawEllipse(QRectF(-26, 8, 30, 12));
        p.drawEllipse(QRectF(6, 10, 18, 10));
    }
    return pixmap;
}

// One Morse code drawn as dots and dashes from `x` at height `y`.
void drawCode(QPainter &p, std::string_view code, double x, double y)
{
    for (char sign : code) {
        if (sign == '.') {
            p.drawEllipse(QRectF(x, y - 2.5, 5, 5));
            x += 9;
        } else {
            p.drawRoundedRect(QRectF(x, y - 2.5, 14, 5), 2, 2);
            x += 18;
        }
    }
}

// The alphabet: page 0 the letters, page 1 the figures and signs.
QPixmap alphabetPicture(int page)
{
    const QSize size = AlphabetArt;
    QPixmap pixmap(size);
    pixmap.fill(QColor(255, 250, 225));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    static const std::string_view letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    static const std::string_view figures = "0123456789.,?/=+-:'";
    const std::string_view shown = page == 0 ? letters : figures;
    constexpr int Rows = 7;
    const double columnWidth = size.width() / 4.0;
    const double rowHeight = size.height() / double(Rows);
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(14);
    p.setFont(font);
    for (std::size_t k = 0; k < shown.size(); ++k) {
        const double x = 8 + columnWidth * static_cast<double>(k / Rows);
        const double y = rowHeight * (static_cast<double>(k % Rows) + 0.5);
        p.setPen(QColor(40, 40, 120));
        p.drawText(QRectF(x, y - rowHeight / 2, 20, rowHeight), Qt::AlignVCenter, QString(QChar(shown[k])));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 60, 40));
        drawCode(p, DefaultMorseCodes[shown[k]], x + 26, y);
    }
    return pixmap;
}

// The key, lever up or pressed down.
QPixmap keyPicture(bool down)
{
    const QSize size = KeyArt;
    QPixmap pixmap(size);
    pixmap.fill(QColor(235, 235, 235));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(90, 60, 30));
    p.drawRoundedRect(QRectF(8, 44, 104, 12), 3, 3);
    p.setBrush(QColor(170, 170, 175));
    p.drawRect(QRectF(20, 36, 8, 8)); // pivot
    p.save();
    p.translate(24, 38);
    p.rotate(down ? 8 : -6);
    p.setBrush(QColor(240, 200, 40));
    p.drawRect(QRectF(0, -3, 76, 6));
    p.drawEllipse(QRectF(62, -14, 24, 18));
    p.restore();
    if (down) {
        p.setPen(QPen(QColor(230, 60, 20), 2));
        p.drawLine(QPointF(100, 30), QPointF(112, 22));
        p.drawLine(QPointF(102, 38), QPointF(116, 38));
    }
    return pixmap;
}

QLabel *picture(QWidget *parent, const char *name, const QPixmap &pixmap, QRect place)
{
    auto *label = Named(new QLabel(parent), name);
    label->setPixmap(pixmap);
    label->setScaledContents(true);
    label->setGeometry(place);
    label->hide();
    return label;
}

// ---- The view ------------------------------------------------------------------------------------

void showAlphabetOfBar()
{
    KidControls &c = controls();
    const bool second = c.ScrollBarImageAlpha->value() == 1;
    c.Imagealphabet->setVisible(!second);
    c.ImageAlphabet2->setVisible(second);
}

void showFrame(int frame)
{
    for (int k = 0; k < 4; ++k)
        controls().ImageLapin[static_cast<std::size_t>(k)]->setVisible(k == frame);
}

int frameShown()
{
    for (int k = 1; k < 4; ++k) {
        if (!controls().ImageLapin[static_cast<std::size_t>(k)]->isHidden())
            return k;
    }
    return 0;
}

void playSound(const std::vector<std::int16_t> &sound)
{
    TSoundEngine *engine = SoundEnginePtr();
    if (engine && !engine->State.NoSoundCard && engine->Output->isOpen())
        engine->Output->playSound(sound);
}

void stopSound()
{
    static const std::vector<std::int16_t> silence;
    playSound(silence);
}

// The kid view's least size: the frame around the monitor group and the pictures, as far
// from them on the right as the group is from the left edge, the margin below them.
QSize kidLeastSize()
{
    KidControls &c = controls();
    QRect shown;
    for (const QWidget *w : std::initializer_list<const QWidget *>{Monitor().GroupBoxMonitor, c.ImageLapin[0],
                                                                    c.ImageManipOFF, c.Imagealphabet,
                                                                    c.ScrollBarImageAlpha})
        shown |= QRect(w->mapTo(Form1, QPoint(0, 0)), w->size());
    const int margin = KidMargin * CurrentZoomPercent() / 100;
    return {shown.right() + 1 + shown.left(), shown.bottom() + 1 + margin};
}

// The hint lies over the element line, as high as its words wrapped to that width need (two
// lines in the longer languages), in design pixels as the enlargement takes them.
void fitKidHint()
{
    QLabel *hint = controls().StaticTextKid;
    const QRect line = DesignGeometry(Monitor().EditMonitor);
    const int needed = ZoomToDesign(hint->heightForWidth(hint->width())) + 1;
    hint->setGeometry(line.x(), line.y(), line.width(), std::max(line.height(), needed));
}

// MenuMonitorTexteClick once the item has toggled.
void optionToggled(bool checked)
{
    KidControls &c = controls();
    if (!checked) {
        c.StaticTextKid->hide();
    OnLanguageSwitch(c.StaticTextKid, fitKidHint);
    OnZoomChange(c.StaticTextKid, fitKidHint);
        LeaveKidMode();
        return;
    }
    if (Form1->RadioButtonMonitor->isChecked() && !KidMode) {
        EnterKidMode();
        if (auto *box = Form1->findChild<QLineEdit *>(QStringLiteral("Editcaractere")))
            box->setText(QStringLiteral("HELLO"));
        fitKidHint();
        c.StaticTextKid->show();
        c.StaticTextKid->raise();
    }
}

// ---- Building ------------------------------------------------------------------------------------

QIcon kidIcon()
{
    QPixmap small = rabbitPicture(0).scaled(22, 26, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return QIcon(small);
}

void buildControls(TForm1 &form)
{
    KidControls &c = controls();
    MonitorControls &m = Monitor();
    c.MenuMonitorTexte = Named(m.MenuMonitoringOptions->addAction(QStringLiteral("Kid mode")), "MenuMonitorTexte");
    c.MenuMonitorTexte->setCheckable(true);
    // The item and the button share one handler: the button clicks the item.
    QObject::connect(c.MenuMonitorTexte, &QAction::triggered, c.MenuMonitorTexte, optionToggled);
    c.SpeedButtonKid = Named(new QToolButton(m.GroupBoxMonitor), "SpeedButtonKid");
    c.SpeedButtonKid->setIcon(kidIcon());
    c.SpeedButtonKid->setToolTip(QStringLiteral("for kids"));
    c.SpeedButtonKid->setGeometry(432, 122, 26, 28);
    QObject::connect(c.SpeedButtonKid, &QToolButton::clicked, c.SpeedButtonKid, [] { MenuMonitorTexteClick(); });

    // Over the element line, which is empty until the first element hides it.
    c.StaticTextKid = Named(new QLabel(m.GroupBoxMonitor), "StaticTextKid");
    c.StaticTextKid->setText(QStringLiteral("Enter or paste characters in the upper-left text box and try manipulating them"));
    c.StaticTextKid->setGeometry(m.EditMonitor->geometry());
    c.StaticTextKid->setWordWrap(true);
    c.StaticTextKid->setAutoFillBackground(true);
    c.StaticTextKid->setStyleSheet(QStringLiteral("background: #fff6c0; color: #504000;"));
    c.StaticTextKid->hide();

    QWidget *frame = form.Frame;
    static const char *const rabbitNames[4] = {"ImageLapin0", "ImageLapin1", "ImageLapin2", "ImageLapin3"};
    for (int k = 0; k < 4; ++k)
        c.ImageLapin[static_cast<std::size_t>(k)] = picture(frame, rabbitNames[k], rabbitPicture(k), RabbitPlace);
    c.Imagealphabet = picture(frame, "Imagealphabet", alphabetPicture(0), AlphabetPlace);
    c.ImageAlphabet2 = picture(frame, "ImageAlphabet2", alphabetPicture(1), AlphabetPlace);
    c.ImageManipOFF = picture(frame, "ImageManipOFF", keyPicture(false), KeyPlace);
    c.ImageManipON = picture(frame, "ImageManipON", keyPicture(true), KeyPlace);
    c.ScrollBarImageAlpha = Named(new QScrollBar(Qt::Vertical, frame), "ScrollBarImageAlpha");
    c.ScrollBarImageAlpha->setRange(0, 1);
    c.ScrollBarImageAlpha->setPageStep(1);
    c.ScrollBarImageAlpha->setGeometry(AlphabetBarPlace);
    c.ScrollBarImageAlpha->hide();
    QObject::connect(c.ScrollBarImageAlpha, &QScrollBar::valueChanged, c.ScrollBarImageAlpha,
                     [] { ScrollBarImageAlphaChange(); });

    form.TimerLapin->setInterval(AnimationMs);
    QObject::connect(form.TimerLapin, &QTimer::timeout, m.GroupBoxMonitor, [] { TimerLapinTimer(); });
    QObject::connect(m.MemoMonitor, &QPlainTextEdit::textChanged, m.GroupBoxMonitor, [] { MemoMonitorChange(); });
}

// Another mode hides the monitor: the kid view goes with it.
class MonitorHidden final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Hide && static_cast<QWidget *>(watched)->isHidden())
            LeaveKidMode();
        return false;
    }
};

constexpr TextRow kTexts[] = {
    {"MenuMonitorTexte", TextKind::Caption,
     Tr("Kid mode", "Gyerek mód", "Kindermodus", "Mode enfant", "Modalità bambini", "Modo criança",
        "Modo niños")},
    {"SpeedButtonKid", TextKind::Hint,
     Tr("for kids", "gyerekeknek", "für Kinder", "pour les enfants", "per i bambini", "para crianças",
        "para niños")},
    {"StaticTextKid", TextKind::Caption,
     Tr("Enter or paste characters in the upper-left text box and try manipulating them",
        "Írj vagy illessz be betüket a bal felsö szövegmezöbe, és próbáld meg lebillentyüzni öket",
        "Geben Sie Zeichen in das Textfeld oben links ein oder fügen Sie sie ein und versuchen Sie, sie zu geben",
        "Tapez ou collez des caractères dans la zone de texte en haut à gauche et essayez de les manipuler",
        "Scrivete o incollate dei caratteri nella casella di testo in alto a sinistra e provate a manipolarli",
        "Escreva ou cole caracteres na caixa de texto em cima à esquerda e tente manipulá-los",
        "Escriba o pegue caracteres en la casilla de texto de arriba a la izquierda e intente manipularlos")},
};
static_assert(allLanguagesPresent(kTexts, [](const TextRow &row) -> const Tr & { return row.text; }),
              "every text needs its seven languages");

// ---- Settings ------------------------------------------------------------------------------------

// A WINKID= part: 0 (computed at start) when it does not convert, else held to what a
// window may be. It is taken as stored: the view itself is held to its least size when shown.
int kidSide(std::string_view text)
{
    const auto n = settings::ParseInt(text);
    return n ? static_cast<int>(std::clamp<long long>(*n, 0, 32767)) : 0;
}

void bindSettings()
{
    using Values = std::vector<std::string>;
    Settings().bind({
        {"WINKID=",
         [](const std::string &value) {
             const std::size_t comma = value.find(',');
             if (comma == std::string::npos)
                 return;
             KidBaseHeight = kidSide(std::string_view(value).substr(0, comma));
             KidBaseWidth = kidSide(std::string_view(value).substr(comma + 1, 100));
         },
         [](Values &out) { out.push_back(std::to_string(KidBaseHeight) + "," + std::to_string(KidBaseWidth)); }},
        {"MONTEXT=", [](const std::string &value) { st.monTextRead = value == "1"; },
         [](Values &out) { out.push_back(optionChecked() ? "1" : "0"); }},
        {"MONIALPHA=",
         [](const std::string &value) {
             if (value == "0" || value == "1")
                 controls().ScrollBarImageAlpha->setValue(value == "1" ? 1 : 0);
         },
         [](Values &out) { out.push_back(std::to_string(controls().ScrollBarImageAlpha->value())); }},
    });
}

} // namespace

// ---- The view ------------------------------------------------------------------------------------

void KidModeOnMonitorEntry()
{
    if (optionChecked())
        EnterKidMode();
}

void MenuMonitorTexteClick()
{
    ClickMenuItem(controls().MenuMonitorTexte);
}

void EnterKidMode()
{
    KidControls &c = controls();
    if (KidMode || !Form1 || !c.MenuMonitorTexte)
        return;
    KidSavedWidth = Form1->width();
    KidSavedHeight = Form1->height();
    const KidSize size = KidSizeAtZoom({KidBaseWidth, KidBaseHeight}, CurrentZoomPercent());
    // Held to the screen and to the view's own least size, whatever was stored.
    Form1->setMinimumSize(kidLeastSize());
    PlaceWindow(Form1, std::nullopt, QSize(size.width, size.height));
    KidMode = true;
    c.MenuMonitorTexte->setChecked(true);
    Form1->TimerLapin->stop();
    showFrame(0);
    showAlphabetOfBar();
    c.ScrollBarImageAlpha->show();
    c.ImageManipOFF->show();
    c.ImageManipON->hide();
    // Over the rows they cover.
    for (QWidget *w : std::initializer_list<QWidget *>{c.ImageLapin[0], c.ImageLapin[1], c.ImageLapin[2],
                                                        c.ImageLapin[3], c.Imagealphabet, c.ImageAlphabet2,
                                                        c.ScrollBarImageAlpha, c.ImageManipOFF, c.ImageManipON})
        w->raise();
}

void LeaveKidMode()
{
    KidControls &c = controls();
    if (!KidMode || !Form1)
        return;
    Form1->TimerLapin->stop();
    for (QLabel *rabbit : c.ImageLapin)
        rabbit->hide();
    for (QWidget *w : std::initializer_list<QWidget *>{c.Imagealphabet, c.ImageAlphabet2, c.ScrollBarImageAlpha,
                                                        c.ImageManipOFF, c.ImageManipON})
        w->hide();
    stopSound();
    const KidSize base = KidSizeAtHundred({Form1->width(), Form1->height()}, CurrentZoomPercent());
    KidBaseWidth = base.width;
    KidBaseHeight = base.height;
    Form1->setMinimumSize(MainWindowDesignSize());
    Form1->resize(KidSavedWidth, KidSavedHeight);
    c.MenuMonitorTexte->setChecked(false);
    KidMode = false;
}

void StartRabbitAnimation()
{
    if (!Form1)
        return;
    if (frameShown() == 0 && KidMode)
        showFrame(1);
    Form1->TimerLapin->start();
    playSound(KidRewardSound());
}

void StopRabbitAnimation()
{
    if (!Form1)
        return;
    Form1->TimerLapin->stop();
    if (KidMode && controls().ImageLapin[0])
        showFrame(0);
    stopSound();
}

void TimerLapinTimer()
{
    Form1->TimerLapin->stop();
    const int frame = frameShown();
    showFrame(frame == 0 || frame == 3 ? 1 : frame + 1);
    Form1->TimerLapin->start();
}

void MemoMonitorChange()
{
    const QPlainTextEdit *memo = Monitor().MemoMonitor;
    if (!memo || !Form1 || !Form1->TimerLapin->isActive())
        return;
    // The child edits the text, empties it, or a word space follows the word.
    const QString text = memo->toPlainText();
    if (memo->hasFocus() || text.isEmpty() || text.endsWith(QLatin1Char(' ')))
        StopRabbitAnimation();
}

void ScrollBarImageAlphaChange()
{
    if (KidMode)
        showAlphabetOfBar();
}

void KidCheckAfterCharacter()
{
    const QPlainTextEdit *memo = Monitor().MemoMonitor;
    if (!memo || !optionChecked() || KidTargetText.empty())
        return;
    switch (KidCheck(cp1252::fromQString(memo->toPlainText()), KidTargetText)) {
    case KidCheckResult::Start:
        StartRabbitAnimation();
        break;
    case KidCheckResult::Stop:
        StopRabbitAnimation();
        break;
    case KidCheckResult::Unchanged:
        break;
    }
}

void KidKeyPicture(bool down)
{
    KidControls &c = controls();
    if (!KidMode || !c.ImageManipON)
        return;
    c.ImageManipON->setVisible(down);
    c.ImageManipOFF->setVisible(!down);
}

const std::vector<std::int16_t> &KidRewardSound()
{
    // Read once: the mixer may still be playing it when it is asked for again.
    static const std::vector<std::int16_t> sound = [] {
        const userfile::ReadResult file = userfile::ReadUserFile("APP.WAV", 16 * 1024 * 1024);
        if (file.status == userfile::ReadStatus::Read) {
            if (auto read = ParseWavSound(file.bytes))
                return *read;
        }
        // Our own: three rising bell notes and a little hop up.
        constexpr double Rate = 22050;
        constexpr int Frames = static_cast<int>(0.75 * Rate);
        struct Note {
            double start, from, to, decay;
        };
        constexpr Note notes[] = {{0.0, 1046.5, 1046.5, 0.12}, {0.11, 1318.5, 1318.5, 0.12},
                                  {0.22, 1568.0, 1568.0, 0.16}, {0.40, 700.0, 1400.0, 0.10}};
        std::vector<double> wave(Frames, 0.0);
        for (const Note &note : notes) {
            double phase = 0;
            for (int n = static_cast<int>(note.start * Rate); n < Frames; ++n) {
                const double t = n / Rate - note.start;
                const double glide = std::min(t / 0.12, 1.0);
                phase += 2 * std::numbers::pi * (note.from + (note.to - note.from) * glide) / Rate;
                const double attack = std::min(t / 0.004, 1.0);
                wave[static_cast<std::size_t>(n)] += attack * std::exp(-t / note.decay) * std::sin(phase);
            }
        }
        std::vector<std::int16_t> out;
        out.reserve(2 * Frames);
        for (double v : wave) {
            const auto value = static_cast<std::int16_t>(std::clamp(v * 9000.0, -32768.0, 32767.0));
            out.push_back(value);
            out.push_back(value);
        }
        return out;
    }();
    return sound;
}

// ---- The module ----------------------------------------------------------------------------------

void BuildKidModeModule(TForm1 &form)
{
    st = KidState{};
    KidMode = false;
    KidSavedWidth = KidSavedHeight = 0;
    KidBaseWidth = KidBaseHeight = 0;
    buildControls(form);
    QGroupBox *monitor = Monitor().GroupBoxMonitor;
    monitor->installEventFilter(new MonitorHidden(monitor));
    QObject::connect(monitor, &QObject::destroyed, [] {
        st.c = KidControls{};
        KidMode = false;
    });
    RegisterMainWindowTexts(kTexts);
    bindSettings();

    ModeHooks &hooks = Hooks();
    hooks.stopRabbitAnimation = [] { StopRabbitAnimation(); };
    hooks.monitorCharacterWritten = [] { KidCheckAfterCharacter(); };
    hooks.leaveKidMode = [] { LeaveKidMode(); };
    hooks.kidSavedWindowSize = []() -> std::optional<std::pair<int, int>> {
        if (!KidMode)
            return std::nullopt;
        return std::pair{KidSavedWidth, KidSavedHeight};
    };

    // Start-up step 15: a size not stored comes from the window and the pictures.
    AddModuleStep(ModuleStep::KidViewSize, "kid view size", [] {
        if (!Form1)
            return;
        // At 100 % still: the saved step comes at the end of the creation.
        const QSize frame = kidLeastSize();
        if (KidBaseWidth == 0)
            KidBaseWidth = frame.width();
        if (KidBaseHeight == 0)
            KidBaseHeight = frame.height();
    });
    AddModuleStep(ModuleStep::PushParkedSettings, "kid option", [] {
        if (st.monTextRead && !optionChecked())
            MenuMonitorTexteClick();
    });
    AddModuleStep(ModuleStep::QuitStopRabbitAnimation, "kid animation", [] { StopRabbitAnimation(); });
    AddModuleStep(ModuleStep::QuitLeaveKidMode, "kid view", [] { LeaveKidMode(); });
}
