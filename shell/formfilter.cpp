#include "shell/formfilter.h"

#include "engine/bandpass.h"
#include "shell/accessiblenames.h"
#include "shell/settingsgeometry.h"
#include "shell/stepspinbox.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

namespace {

// Columns: English, Magyar, Deutsch, Français, Italiano, Português, Español.
constexpr Tr kTitle("AUDIO FILTER SETTING", "Hangszuro beállítása", "AUDIOFILTEREINSTELLUNG",
                    "REGLAGE DU FILTRE AUDIO", "IMPOSTAZIONE DEL FILTRO AUDIO", "Configuração do filtro de áudio",
                    "CONFIGURATIóN DEL FILTRO DE AUDIO");
constexpr Tr kCenter("Center Frequency", "Középfrekvencia", "Mittenfrequenz", "Fréquence centrale",
                     "Frequenza centrale", "Frecuencia central", "Frequência central");
constexpr Tr kBandwidth("Bandwidth", "Sávszélesség", "Bandbreite", "Bande passante", "Larghezza di banda",
                        "Largura de banda", "Banda ancha");
constexpr Tr kActivate("Check to activate the filter", "Jelölje be a szuro aktiválásához",
                       "Kreuzen, um den Filter zu aktivieren", "Cochez pour activer le filtre",
                       "Selezionare per attivare il filtro", "Marque para ativar o filtro",
                       "Marque para activar el filtro");
constexpr Tr kNote(
    "Note that the filtering is applied only on the active audio channel. Settings are vailable from the main "
    "window by using the CTRL+Arrows combination (see Help)",
    "Ne feledje, hogy a szurés csak az aktív audiocsatornára vonatkozik. A beállítások a foablakból a "
    "CTRL+nyilak kombinációjával lehetségesek (lásd a Súgót)",
    "Beachten Sie, dass die Filterung nur auf den aktiven Audiokanal angewendet wird. Einstellungen sind vom "
    "Hauptfenster aus mit der Kombination STRG+Pfeiltasten möglich (siehe Hilfe)",
    "Notez que le filtrage ne s'applique qu'au canal audio actif. Les réglages sont possibles depuis la fenêtre "
    "principale en utilisant la combinaison CTRL+Flèches (voir Aide)",
    "Si noti che il filtro viene applicato solo sul canale audio attivo. Le impostazioni sono possibili dalla "
    "finestra principale utilizzando la combinazione CTRL+Frecce (vedi Help)",
    "Observe que a filtragem é aplicada apenas no canal de áudio ativo. As configurações são possíveis na janela "
    "principal usando a combinação CTRL+Setas (consulte a Ajuda)",
    "Tenga en cuenta que el filtrado se aplica solo en el canal de audio activo. Los ajustes son posibles desde "
    "la ventana principal usando la combinación CTRL+Flechas (ver Ayuda)");

QLabel *label(QWidget *parent, const char *name, const QString &text, QRect geometry)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    return l;
}

StepSpinBox *upDown(QWidget *parent, const char *name, const char *edit, int low, int high, int step, int value,
                    QRect geometry)
{
    auto *spin = new StepSpinBox(low, high, step, value, parent);
    spin->setObjectName(QString::fromLatin1(name));
    spin->setGeometry(geometry);
    if (auto *line = spin->findChild<QLineEdit *>())
        line->setObjectName(QString::fromLatin1(edit));
    return spin;
}

constexpr Tr kHz = Alike("Hz");

void call(const std::function<void()> &handler)
{
    if (handler)
        handler();
}

} // namespace

TFormFilter::TFormFilter(QWidget *parent)
    : TSideForm("FormFilter", parent), LanguageAware(this)
{
    setWindowTitle(Pick(ProgramNameText));
    resize(300, 230);
    LabelAudioFilter = label(this, "LabelAudioFilter", QString(), QRect(12, 8, 276, 20));
    LabelAudioFilter->setAlignment(Qt::AlignCenter);
    LabelCenterFrequency = label(this, "LabelCenterFrequency", QString(), QRect(12, 40, 140, 24));
    UpDownFCenter = upDown(this, "UpDownFCenter", "EditFCenter", FilterCenterMin, FilterCenterMax,
                           FilterCenterStep, FilterCenterDefault, QRect(156, 40, 90, 24));
    Label2 = label(this, "Label2", Pick(kHz), QRect(252, 40, 30, 24));
    LabelBW = label(this, "LabelBW", QString(), QRect(12, 72, 140, 24));
    UpDownBW = upDown(this, "UpDownBW", "EditBW", FilterBandwidthMin, FilterBandwidthMax, FilterBandwidthStep,
                      FilterBandwidthDefault, QRect(156, 72, 90, 24));
    NameAfter(UpDownFCenter, LabelCenterFrequency);
    NameAfter(UpDownBW, LabelBW);
    label(this, "LabelBWHz", Pick(kHz), QRect(252, 72, 30, 24));
    CheckBoxFilter = new QCheckBox(this);
    CheckBoxFilter->setObjectName(QStringLiteral("CheckBoxFilter"));
    CheckBoxFilter->setGeometry(12, 106, 276, 24);
    StaticTextNote = label(this, "StaticTextNote", QString(), QRect(12, 136, 276, 84));
    StaticTextNote->setWordWrap(true);
    StaticTextNote->setAlignment(Qt::AlignTop | Qt::AlignLeft);

    connect(UpDownFCenter, &QSpinBox::valueChanged, this, [this] { UpDownFCenterClick(); });
    connect(UpDownBW, &QSpinBox::valueChanged, this, [this] { UpDownBWClick(); });
    connect(CheckBoxFilter, &QCheckBox::clicked, this, [this] { CheckBoxFilterClick(); });
    retranslate();
}

void TFormFilter::retranslate()
{
    LabelAudioFilter->setText(Pick(kTitle));
    LabelCenterFrequency->setText(Pick(kCenter));
    LabelBW->setText(Pick(kBandwidth));
    CheckBoxFilter->setText(Pick(kActivate));
    StaticTextNote->setText(Pick(kNote));
}

void TFormFilter::UpDownFCenterClick()
{
    call(OnFCenterClick);
}

void TFormFilter::UpDownBWClick()
{
    call(OnBWClick);
}

void TFormFilter::CheckBoxFilterClick()
{
    call(OnCheckBoxFilterClick);
}

void TFormFilter::SetPositions(int center, int bandwidth)
{
    const QSignalBlocker centerQuiet(UpDownFCenter);
    const QSignalBlocker bandwidthQuiet(UpDownBW);
    UpDownFCenter->setValue(HeldFilterCenter(center));
    UpDownBW->setValue(HeldFilterBandwidth(bandwidth));
}

void TFormFilter::showEvent(QShowEvent *event)
{
    if (!event->spontaneous() && SavedTop >= 0 && SavedLeft >= 0)
        PlaceWindow(this, QPoint(SavedLeft, SavedTop), std::nullopt);
    TSideForm::showEvent(event);
}

void TFormFilter::closeEvent(QCloseEvent *event)
{
    SavedTop = y();
    SavedLeft = x();
    TSideForm::closeEvent(event);
}
