#include "shell/effectwindows.h"
#include "shell/utilities.h"

#include "engine/enginestate.h"
#include "engine/tone.h"
#include "shell/accessiblenames.h"
#include "shell/enginesettingskeys.h"
#include "shell/instructorlock.h"
#include "shell/languages/languages.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/stepspinbox.h"
#include "shell/wrappingcheckbox.h"
#include "shell/zoom.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>

namespace {

ToneGenerator &tone()
{
    return Form1->EngineTone;
}

// A track bar as the windows draw it: vertical, its first position at the top.
QSlider *trackBar(QWidget *window, const char *name, int maximum, int value, int tickInterval)
{
    auto *bar = Named(new QSlider(Qt::Vertical, window), name);
    bar->setRange(0, maximum);
    bar->setValue(value);
    bar->setInvertedAppearance(true);
    bar->setInvertedControls(true);
    bar->setTickPosition(QSlider::TicksRight);
    bar->setTickInterval(tickInterval);
    bar->setPageStep(tickInterval);
    return bar;
}

QLabel *label(QWidget *window, const QString &text, int x, int y, int w = 80, int h = 20)
{
    auto *l = new QLabel(text, window);
    l->setGeometry(x, y, w, h);
    return l;
}

QRadioButton *radio(QWidget *group, QButtonGroup *buttons, const char *name, const Tr &caption)
{
    auto *button = Named(new QRadioButton(Pick(caption), group), name);
    group->layout()->addWidget(button);
    buttons->addButton(button);
    return button;
}

// The windows' titles; units and limits read alike in every language.
constexpr Tr kNoiseTitle = Alike("KESTRELON QRN");
constexpr Tr kQsbTitle = Alike("KESTRELON QSB");
constexpr Tr kDriftTitle = Alike("KESTRELON QRH");
constexpr Tr kDriftPictureTitle = Alike("QRH ?");
constexpr Tr kPitchScale[] = {Alike("1500 Hz"), Alike("800 Hz"), Alike("100 Hz")};
constexpr Tr kMax = Alike("Max");
constexpr Tr kMin = Alike("Min");
constexpr Tr kQsbScale[] = {Alike("O dB"), Alike("-20 dB")};
constexpr Tr kBands[] = {Alike("10 kHz"), Alike("5 kHz"), Alike("2.5 kHz"), Alike("1.3 kHz")};
constexpr Tr kDriftStep = Alike("dF =");
constexpr Tr kDriftMax = Alike("Fmax = ");
constexpr Tr kDriftMin = Alike("Fmin = ");

constexpr Tr kExamTone("Harmonic Tone", "Harmonic Tone", "Harmonic Tone", "Variante Examen", "Harmonic Tone",
                       "Harmonic Tone", "Harmonic Tone");
constexpr Tr kTestButton("Test", "Teszt", "Test", "Test", "Prova", "Teste", "Prueba");
constexpr Tr kBandGroup("BW", "Sávsz.", "Bandbr.", "Bande", "Banda", "Banda", "Banda");
constexpr Tr kDriftUnit("Hz/car", "Hz/kar", "Hz/Zch", "Hz/car", "Hz/car", "Hz/car", "Hz/car");

QString hertz(int pitch)
{
    return QString::number(pitch) + QStringLiteral(" Hz");
}

// Fading captions: group, fast, medium, slow.
constexpr Tr kQsbSpeed("Speed", "Gyorsaság", "Geschwindigkeit", "Vitesse", "Velocità", "Velocidade", "Velocidad");
constexpr Tr kQsbFast("Fast", "Gyors", "Schnell", "Rapide", "Rapido", "Rápido", "Rápido");
constexpr Tr kQsbMedium("Medium", "Közepes", "Mittel", "Moyen", "Medio", "Médio", "Medio");
constexpr Tr kQsbSlow("Slow", "Lassú", "Langsam", "Lent", "Lento", "Lento", "Lento");

} // namespace

// ---- Pitch ----------------------------------------------------------------------------------

TFormNote::TFormNote(QWidget *parent)
    : TSideForm("FormNote", parent), LanguageAware(this)
{
    setWindowTitle(Pick(ProgramNameText));
    setFixedSize(200, 330);
    TrackBarNote = trackBar(this, "TrackBarNote", 140, 70, 10);
    TrackBarNote->setGeometry(20, 20, 40, 282);
    NameAs(TrackBarNote, [] { return NameText(MainWindowControl("MenuNote")); });
    label(this, Pick(kPitchScale[0]), 64, 14);
    label(this, Pick(kPitchScale[1]), 64, 152);
    label(this, Pick(kPitchScale[2]), 64, 290);
    StaticTextNote = Named(label(this, QStringLiteral("800 Hz"), 120, 40, 70, 24), "StaticTextNote");
    MarkAsValue(StaticTextNote); // the pitch
    // Two lines beside the scale: the captions are longer than the window is wide.
    CheckBoxTonExamen = Named(new WrappingCheckBox(QStringLiteral("Variante Examen"), this), "CheckBoxTonExamen");
    CheckBoxTonExamen->setGeometry(110, 120, 88, 40);
    SpeedButtonPlayV = Named(new QPushButton(QStringLiteral("Test"), this), "SpeedButtonPlayV");
    SpeedButtonPlayV->setGeometry(120, 200, 60, 30);

    connect(TrackBarNote, &QSlider::valueChanged, this, [this] { TrackBarNoteChange(); });
    connect(CheckBoxTonExamen, &QCheckBox::clicked, this, [this] { CheckBoxTonExamenClick(); });
    connect(SpeedButtonPlayV, &QPushButton::clicked, this, [this] { SpeedButtonPlayVClick(); });
    FollowOptionLock(InstructorLock::FixedNote, this, [this](bool locked) {
        TrackBarNote->setEnabled(!locked);
        CheckBoxTonExamen->setEnabled(!locked);
    });
}

bool TFormNote::refusedByLock()
{
    if (!OptionLocked(InstructorLock::FixedNote))
        return false;
    // The instructor's fixed pitch: the controls go back to the pitch in force.
    const ToneTables &tables = tone().Tables;
    const QSignalBlocker quietBar(TrackBarNote);
    const QSignalBlocker quietBox(CheckBoxTonExamen);
    const int pitch = static_cast<int>(tables.BaseFrequency());
    TrackBarNote->setValue(NotePositionForPitch(pitch));
    CheckBoxTonExamen->setChecked(tables.ExamTone());
    StaticTextNote->setText(hertz(pitch));
    return true;
}

void TFormNote::retranslate()
{
    CheckBoxTonExamen->setText(Pick(kExamTone));
    SpeedButtonPlayV->setText(Pick(kTestButton));
}

void TFormNote::TrackBarNoteChange()
{
    if (refusedByLock())
        return;
    const int pitch = PitchOfPosition(TrackBarNote->value());
    StaticTextNote->setText(hertz(pitch));
    ToneTables &tables = tone().Tables;
    tables.setToneFrequency(pitch);
    tables.setBaseFrequency(tables.ToneFrequency());
    if (!CheckBoxTonExamen->isChecked())
        IniNotePosition = TrackBarNote->value();
    tables.BuildToneTables();
    if (FormDrift && FormDrift->isVisible())
        FormDrift->PitchChanged(pitch);
}

void TFormNote::CheckBoxTonExamenClick()
{
    if (refusedByLock())
        return;
    ToneTables &tables = tone().Tables;
    tables.setToneFrequency(PitchOfPosition(TrackBarNote->value()));
    tables.setExamTone(CheckBoxTonExamen->isChecked());
    IniNotePosition = CheckBoxTonExamen->isChecked() ? -1 : TrackBarNote->value();
    tables.BuildToneTables();
}

void TFormNote::SpeedButtonPlayVClick()
{
    EngineState &engine = Form1->Engine;
    if (!engine.PlayQueue.empty())
        return;
    QCoreApplication::processEvents();
    engine.NotePlaying = true;
    CallHook(Hooks().typeCharacter, static_cast<unsigned char>('v'));
}

// ---- Noise ----------------------------------------------------------------------------------

TFormNoise::TFormNoise(QWidget *parent)
    : TSideForm("FormNoise", parent), LanguageAware(this)
{
    setWindowTitle(Pick(kNoiseTitle));
    setFixedSize(200, 260);
    TrackBarNoise = trackBar(this, "TrackBarNoise", 20, 10, 1);
    TrackBarNoise->setGeometry(20, 30, 40, 200);
    NameAs(TrackBarNoise, [] { return NameText(MainWindowControl("MenuNoisesettings")); });
    label(this, Pick(kMax), 20, 8);
    label(this, Pick(kMin), 20, 234);
    GroupBoxBW = Named(new QGroupBox(QStringLiteral("BW"), this), "GroupBoxBW");
    GroupBoxBW->setGeometry(80, 30, 110, 140);
    new QVBoxLayout(GroupBoxBW);
    auto *bands = new QButtonGroup(this);
    RadioButton10k = radio(GroupBoxBW, bands, "RadioButton10k", kBands[0]);
    RadioButton5k = radio(GroupBoxBW, bands, "RadioButton5k", kBands[1]);
    RadioButton2k = radio(GroupBoxBW, bands, "RadioButton2k", kBands[2]);
    RadioButton1k = radio(GroupBoxBW, bands, "RadioButton1k", kBands[3]);
    RadioButton1k->setChecked(true);

    connect(TrackBarNoise, &QSlider::valueChanged, this, [this] { TrackBarNoiseChange(); });
    connect(RadioButton10k, &QRadioButton::clicked, this, [this] { RadioButton10kClick(); });
    connect(RadioButton5k, &QRadioButton::clicked, this, [this] { RadioButton5kClick(); });
    connect(RadioButton2k, &QRadioButton::clicked, this, [this] { RadioButton2kClick(); });
    connect(RadioButton1k, &QRadioButton::clicked, this, [this] { RadioButton1kClick(); });

    // The noise is the track bar's from the start, not the loudest until the bar first moves.
    if (Form1 && tone().Tables.setNoiseLevel(ToneTables::NoiseLevelForPosition(TrackBarNoise->value())))
        tone().Tables.BuildToneTables();
}

void TFormNoise::retranslate()
{
    GroupBoxBW->setTitle(Pick(kBandGroup));
}

void TFormNoise::TrackBarNoiseChange()
{
    IniNoisePosition = TrackBarNoise->value();
    tone().Tables.setNoiseLevel(ToneTables::NoiseLevelForPosition(TrackBarNoise->value()));
    tone().Tables.BuildToneTables();
}

void TFormNoise::band(int divisor)
{
    tone().Tables.setNoiseBandDivisor(divisor);
    tone().Tables.BuildToneTables();
}

void TFormNoise::RadioButton10kClick()
{
    band(1);
}

void TFormNoise::RadioButton5kClick()
{
    band(2);
}

void TFormNoise::RadioButton2kClick()
{
    band(4);
}

void TFormNoise::RadioButton1kClick()
{
    band(8);
}

// ---- Fading ---------------------------------------------------------------------------------

TFormQSB::TFormQSB(QWidget *parent)
    : TSideForm("FormQSB", parent), LanguageAware(this)
{
    setWindowTitle(Pick(kQsbTitle));
    setFixedSize(220, 260);
    TrackBarQSB = trackBar(this, "TrackBarQSB", 20, 10, 1);
    TrackBarQSB->setGeometry(20, 30, 40, 200);
    NameAs(TrackBarQSB, [] { return NameText(MainWindowControl("MenuQSBsetting")); });
    label(this, Pick(kQsbScale[0]), 20, 8);
    label(this, Pick(kQsbScale[1]), 20, 234);
    GroupBoxQSBSpeed = Named(new QGroupBox(QStringLiteral("QSB speed"), this), "GroupBoxQSBSpeed");
    GroupBoxQSBSpeed->setGeometry(80, 30, 130, 120);
    new QVBoxLayout(GroupBoxQSBSpeed);
    auto *speeds = new QButtonGroup(this);
    RadioButtonfast = radio(GroupBoxQSBSpeed, speeds, "RadioButtonfast", kQsbFast);
    RadioButtonMedium = radio(GroupBoxQSBSpeed, speeds, "RadioButtonMedium", kQsbMedium);
    RadioButtonSlow = radio(GroupBoxQSBSpeed, speeds, "RadioButtonSlow", kQsbSlow);
    RadioButtonMedium->setChecked(true);

    connect(TrackBarQSB, &QSlider::valueChanged, this, [this] { TrackBarQSBChange(); });
    connect(RadioButtonfast, &QRadioButton::clicked, this, [this] { RadioButtonfastClick(); });
    connect(RadioButtonMedium, &QRadioButton::clicked, this, [this] { RadioButtonMediumClick(); });
    connect(RadioButtonSlow, &QRadioButton::clicked, this, [this] { RadioButtonSlowClick(); });
}

void TFormQSB::retranslate()
{
    switch (tone().Fade.QSBSpeed()) {
    case 2:
        RadioButtonfast->setChecked(true);
        break;
    case 10:
        RadioButtonSlow->setChecked(true);
        break;
    default:
        RadioButtonMedium->setChecked(true);
        break;
    }
    GroupBoxQSBSpeed->setTitle(Pick(kQsbSpeed));
    RadioButtonfast->setText(Pick(kQsbFast));
    RadioButtonMedium->setText(Pick(kQsbMedium));
    RadioButtonSlow->setText(Pick(kQsbSlow));
}

void TFormQSB::TrackBarQSBChange()
{
    IniQsbPosition = TrackBarQSB->value();
    tone().Fade.setQsbDepth(TrackBarQSB->value());
}

void TFormQSB::speed(int qsbSpeed)
{
    tone().Fade.setQSBSpeed(qsbSpeed);
    // A new fading speed starts at a random point of its cycle.
    tone().Fade.RestartPhase(Form1->EngineTiming.Speed());
}

void TFormQSB::RadioButtonfastClick()
{
    speed(2);
}

void TFormQSB::RadioButtonMediumClick()
{
    speed(6);
}

void TFormQSB::RadioButtonSlowClick()
{
    speed(10);
}

// ---- Drift ----------------------------------------------------------------------------------

TFormDrift::TFormDrift(QWidget *parent)
    : TSideForm("FormDrift", parent), LanguageAware(this)
{
    setWindowTitle(Pick(kDriftTitle));
    setFixedSize(260, 200);
    LabelDriftTitle = Named(label(this, QString(), 10, 8, 240), "LabelDriftTitle");
    QLabel *step = label(this, Pick(kDriftStep), 10, 44, 54);
    UpDownDrift = Named(new StepSpinBox(0, 50, 5, 10, this), "UpDownDrift");
    UpDownDrift->setGeometry(64, 40, 70, 26);
    NameAfter(UpDownDrift, step);
    LabelDriftUnit = label(this, Pick(kDriftUnit), 140, 44, 60);
    QLabel *highest = label(this, Pick(kDriftMax), 10, 80, 54);
    UpDownFMax = Named(new StepSpinBox(800, 1500, 10, 1300, this), "UpDownFMax");
    UpDownFMax->setGeometry(64, 76, 70, 26);
    NameAfter(UpDownFMax, highest);
    QLabel *lowest = label(this, Pick(kDriftMin), 10, 116, 54);
    UpDownFMin = Named(new StepSpinBox(100, 800, 10, 300, this), "UpDownFMin");
    UpDownFMin->setGeometry(64, 112, 70, 26);
    NameAfter(UpDownFMin, lowest);
    StaticTextF0 = Named(label(this, QString(), 10, 152, 160), "StaticTextF0");
    MarkAsValue(StaticTextF0); // the pitch the drift starts from
    BitBtnBMP = Named(new QPushButton(QStringLiteral("?"), this), "BitBtnBMP");
    BitBtnBMP->setGeometry(210, 150, 32, 32);

    // The edits of the up-downs carry the names of the window's design.
    const std::pair<QSpinBox *, const char *> edits[] = {
        {UpDownDrift, "EditDrift"}, {UpDownFMax, "EditFMax"}, {UpDownFMin, "EditFMin"}};
    for (const auto &[spin, name] : edits) {
        if (auto *edit = spin->findChild<QWidget *>())
            edit->setObjectName(QString::fromLatin1(name));
    }

    connect(UpDownDrift, &QSpinBox::valueChanged, this, [this] { UpDownDriftClick(); });
    connect(UpDownFMax, &QSpinBox::valueChanged, this, [this] { UpDownFMaxClick(); });
    connect(UpDownFMin, &QSpinBox::valueChanged, this, [this] { UpDownFMinClick(); });
    connect(BitBtnBMP, &QPushButton::clicked, this, [this] { BitBtnBMPClick(); });
}

void TFormDrift::showEvent(QShowEvent *event)
{
    TSideForm::showEvent(event);
    FormShow();
}

void TFormDrift::hideEvent(QHideEvent *event)
{
    TSideForm::hideEvent(event);
    if (FormDriftBMP)
        FormDriftBMP->hide();
}

void TFormDrift::FormShow()
{
    tone().drift.setDriftAmount(UpDownDrift->value());
    StaticTextF0->setText(QStringLiteral("F0 = ") + QString::number(int(tone().Tables.BaseFrequency())) +
                          QStringLiteral(" Hz"));
}

void TFormDrift::retranslate()
{
    if (auto *item = Form1 ? Form1->findChild<QAction *>(QStringLiteral("MenuDriftSetting")) : nullptr)
        LabelDriftTitle->setText(CaptionOf(item));
    LabelDriftUnit->setText(Pick(kDriftUnit));
}

void TFormDrift::UpDownDriftClick()
{
    // The drift keeps its direction.
    tone().drift.setDriftAmount(UpDownDrift->value());
}

void TFormDrift::UpDownFMaxClick()
{
    tone().drift.setDriftUpper(UpDownFMax->value());
}

void TFormDrift::UpDownFMinClick()
{
    tone().drift.setDriftLower(UpDownFMin->value());
}

void TFormDrift::BitBtnBMPClick()
{
    if (FormDriftBMP)
        FormDriftBMP->show();
}

void TFormDrift::PitchChanged(int pitch)
{
    StaticTextF0->setText(QStringLiteral("F0 = ") + QString::number(pitch) + QStringLiteral(" Hz"));
    // Never a limit the drift would refuse: the upper one stays in 800..1500, the lower one
    // in 100..800. A position that the new range moves also moves the limit.
    UpDownFMax->setMinimum(std::clamp(pitch, 800, 1500));
    UpDownFMin->setMaximum(std::clamp(pitch, 100, 800));
    tone().drift.setDriftUpper(UpDownFMax->value());
    tone().drift.setDriftLower(UpDownFMin->value());
}

// ---- Drift picture --------------------------------------------------------------------------

namespace {

// The pitch of each character: from F0 up by dF per character to Fmax, down to Fmin, up. Drawn
// at `size` from its design of 320 x 200.
QPixmap driftPicture(QSize size)
{
    QPixmap picture(size);
    picture.fill(Qt::white);
    QPainter p(&picture);
    p.scale(size.width() / 320.0, size.height() / 200.0);
    p.setPen(Qt::gray);
    p.drawLine(40, 40, 300, 40);
    p.drawLine(40, 160, 300, 160);
    p.setPen(Qt::black);
    p.drawText(4, 44, QStringLiteral("Fmax"));
    p.drawText(4, 164, QStringLiteral("Fmin"));
    p.drawText(4, 114, QStringLiteral("F0"));
    p.drawText(230, 190, QStringLiteral("dF / car"));
    p.setPen(QPen(Qt::blue, 2));
    int y = 110, step = -10;
    for (int x = 40; x < 300; x += 12) {
        p.drawLine(x, y, x + 8, y);
        if (y + step < 40 || y + step > 160)
            step = -step;
        y += step;
    }
    p.end();
    return picture;
}

} // namespace

TFormDriftBMP::TFormDriftBMP(QWidget *parent)
    : TSideForm("FormDriftBMP", parent)
{
    setWindowTitle(Pick(kDriftPictureTitle));
    setFixedSize(320, 200);
    ImageDrift = Named(new QLabel(this), "ImageDrift");
    KeepsOwnLayout(this);
    ImageDrift->setGeometry(rect());
    ImageDrift->setPixmap(driftPicture(size()));
}

void TFormDriftBMP::resizeEvent(QResizeEvent *event)
{
    TSideForm::resizeEvent(event);
    ImageDrift->setGeometry(rect());
    ImageDrift->setPixmap(driftPicture(size()));
}
