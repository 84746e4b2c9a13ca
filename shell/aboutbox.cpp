#include "shell/aboutbox.h"

#include "shell/formdialog.h"
#include "shell/help.h"
#include "shell/languages/messages.h"
#include "shell/releasecheck.h"
#include "shell/startup.h"
#include "shell/systembeep.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

TFormInfo *FormInfo = nullptr;

namespace {

// The window's title and the maker's call sign read alike in every language.
constexpr Tr kInfoTitle = Alike("Info");
constexpr Tr kMakerCall = Alike("ZELMO");

constexpr Tr kFailure("Internet failure !", "Internet hiba !", "Internetausfall !", "Echec Internet !",
                      "Fallimento Internet !", "Fahla Internet !", "Fracaso de Internet !");
constexpr Tr kNewRelease("Check if I am up to date", "Ez az utolsó verzió?", "Ist es die letzte Version?",
                         "Voir si je suis à jour", "Controllare se sono aggiornati", "Verifique se estou em dia",
                         "Compruebe si estoy al día");
constexpr Tr kVersionAtStart("Look for a new release when opening KESTRELON.", "Frissítés keresése KESTRELON indításakor.",
                             "Suchen nach einer neuen Version beim Starten KESTRELON.",
                             "Voir si nouvelle version disponible au démarrage de KESTRELON.",
                             "La ricerca di una nuova versione all'avvio de KESTRELON",
                             "Procure por uma nova versão ao iniciar KESTRELON.",
                             "Buscar una nueva versión al iniciar KESTRELON");
constexpr Tr kOther("Other free softwares are available on my Web site.", "Egyéb ingyenes programjaim a honlapomon vannak:",
                    "Andere freie Software sind auf meiner Website zur Verfügung.",
                    "Autres logiciels gratuits disponibles sur mon site.",
                    "Altri software sono disponibili gratuitamente sul mio sito Web.",
                    "Outros softwares estão disponíveis gratuitamente em meu site.",
                    "Otros programas libres están disponibles en mi sitio Web.");

const QColor Green(0, 128, 0);

template <typename W> W *placed(W *widget, const char *name, int x, int y, int w, int h)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(x, y, w, h);
    return widget;
}

QFont fontOf(const char *family, int pixels, bool bold, bool italic = false)
{
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}

} // namespace

// ---- TLabelUrl ----------------------------------------------------------------------------------

TLabelUrl::TLabelUrl(QWidget *parent)
    : QLabel(QStringLiteral("Http://"), parent)
{
    setTextColour(this, Qt::blue);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setCursor(Qt::PointingHandCursor);
}

void TLabelUrl::setUrl(const QString &url)
{
    url_ = url;
    setText(url);
}

void TLabelUrl::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        click();
}

void TLabelUrl::click()
{
    if (OnClick)
        OnClick();
    ShellOpen(url_);
}

// ---- TFormInfo -----------------------------------------------------------------------------------

TFormInfo::TFormInfo(QWidget *parent)
    : TSideForm("FormInfo", parent)
    , LanguageAware(this)
{
    setWindowTitle(Pick(kInfoTitle));
    setFixedSize(DesignWidth, DesignHeight);

    Panel1 = placed(new QLabel(Pick(kMakerCall), this), "Panel1", 0, 0, DesignWidth, 64);
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setFont(fontOf("Arial Black", 34, true, true));
    setTextColour(Panel1, Qt::gray);

    Image2 = placed(new QLabel(QStringLiteral("-.-  .  ...  -  .-.  .  .-..  ---  -."), this), "Image2", 8, 72,
                    DesignWidth - 16, 64);
    Image2->setAlignment(Qt::AlignCenter);
    Image2->setFont(fontOf("Monospace", 12, true)); // the whole name within the box's width

    Label1 = placed(new QLabel(this), "Label1", 8, 148, DesignWidth - 16, 24);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setFont(fontOf("Arial", 15, true));

    LabelOther = placed(new QLabel(this), "LabelOther", 8, 184, DesignWidth - 16, 40);
    LabelOther->setAlignment(Qt::AlignCenter);
    LabelOther->setWordWrap(true);
    LabelOther->setFont(fontOf("Arial", 12, true));
    setTextColour(LabelOther, Green);

    LabelUrl3 = placed(new TLabelUrl(this), "LabelUrl3", 8, 228, DesignWidth - 16, 20);
    LabelUrl3->setAlignment(Qt::AlignCenter);
    LabelUrl3->setUrl(QString::fromLatin1(MakerWebAddress));
    MarkAsValue(LabelUrl3); // an address

    BitBtnNewRelease = placed(new QPushButton(this), "BitBtnNewRelease", 32, 268, DesignWidth - 64, 32);
    BitBtnNewRelease->setFont(fontOf("Arial", 12, true));
    BitBtnNewRelease->setDefault(true);
    BitBtnNewRelease->setAutoDefault(true);
    setTextColour(BitBtnNewRelease, Green);

    CheckBoxVersion = placed(new WrappingCheckBox(this), "CheckBoxVersion", 24, 316, DesignWidth - 48, 56);
    CheckBoxVersion->setFont(fontOf("Arial", 12, true));
    setTextColour(CheckBoxVersion, Green);

    BitBtn1 = placed(new QPushButton(QStringLiteral("OK"), this), "BitBtn1", (DesignWidth - 88) / 2, 404, 88, 32);

    // The user waits for the server only so long: then the check fails as any other failure,
    // and its worker, told to stop, runs out unheard.
    answerLimit_ = new QTimer(this);
    answerLimit_->setSingleShot(true);
    connect(answerLimit_, &QTimer::timeout, this, [this] {
        if (!fetch_)
            return;
        fetch_->abandon();
        releaseAnswer({});
    });

    connect(BitBtnNewRelease, &QPushButton::clicked, this, &TFormInfo::BitBtnNewReleaseClick);
    connect(CheckBoxVersion, &QCheckBox::clicked, this, &TFormInfo::CheckBoxVersionClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TFormInfo::BitBtn1Click);
}

QString TFormInfo::FailureText()
{
    return Pick(kFailure);
}

void TFormInfo::retranslate()
{
    BitBtnNewRelease->setText(Pick(kNewRelease));
    CheckBoxVersion->setText(Pick(kVersionAtStart));
    LabelOther->setText(Pick(kOther));
}

void TFormInfo::showEvent(QShowEvent *event)
{
    TSideForm::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFormInfo::FormShow()
{
    Label1->setText(Pick(ProgramNameText) + QLatin1Char(' ') + QString::fromLatin1(ProgramVersion));
    if (VerStart)
        CheckBoxVersion->setChecked(true);
    // The design size: the enlargement scales the window as it is shown.
    setFixedSize(DesignWidth, DesignHeight);
}

void TFormInfo::CheckBoxVersionClick()
{
    VerStart = CheckBoxVersion->isChecked();
    if (QAction *option = ReleaseItems().MenuInfoVersion)
        option->setChecked(VerStart);
}

void TFormInfo::BitBtnNewReleaseClick()
{
    if (fetch_)
        return;
    BitBtnNewRelease->setEnabled(false);
    BeginReleaseBusyCursor();
    fetch_ = VersionFetch::start(this, [this](const std::string &value) { releaseAnswer(value); });
    answerLimit_->start(ReleaseAnswerLimitMs);
}

void TFormInfo::releaseAnswer(const std::string &value)
{
    answerLimit_->stop();
    fetch_ = nullptr;
    EndReleaseBusyCursor();
    if (!QuitStarted()) {
        if (value.empty()) {
            QMessageBox failure(QMessageBox::Warning, Pick(ProgramNameText), FailureText(), QMessageBox::Ok, this);
            failure.setObjectName(QStringLiteral("ReleaseFailureBox"));
            failure.exec();
        } else if (!IsNewerRelease(value)) {
            ShowProgramMessage(MsgLatestRelease());
            HideNewRelease();
        } else {
            ProgramBeep();
            ShowProgramMessage(MsgNewerRelease());
            ShowNewRelease(value);
        }
    }
    BitBtnNewRelease->setEnabled(true);
}

void TFormInfo::BitBtn1Click()
{
    hide();
}
