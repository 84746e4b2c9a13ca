// The beacon window FormBalise: its controls, the period, the hand-over of its message and its
// settings keys.

#include "training/beacon.h"
#include "shell/modes.h"
#include "shell/utilities.h"

#include "engine/cp1252.h"
#include "platform/userfile.h"
#include "shell/accessiblenames.h"
#include "shell/help.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/mainwindow.h"
#include "shell/opendialogs.h"
#include "shell/settingsforms.h"
#include "shell/settingskeys.h"
#include "shell/sidewindows.h"
#include "training/messages.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyleOption>
#include <QTimer>

#include <algorithm>

namespace {

// The period's up-down: only its arrows, whatever its width at an enlargement; the edit beside
// it shows the period.
class ArrowsOnly : public QSpinBox {
public:
    explicit ArrowsOnly(QWidget *parent) : QSpinBox(parent) { lineEdit()->hide(); }

protected:
    QString textFromValue(int) const override { return {}; }

    // Two buttons, up above down, that fill the control: a style's own arrows keep their
    // width and would leave an empty edit area beside them once the control is wider.
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        for (const int step : {1, -1}) {
            QStyleOptionButton button;
            button.initFrom(this);
            button.rect = half(step);
            const bool can = step > 0 ? value() < maximum() : value() > minimum();
            if (!can)
                button.state &= ~QStyle::State_Enabled;
            button.state |= pressed == step ? QStyle::State_Sunken : QStyle::State_Raised;
            style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &button, &painter, this);
            QStyleOption arrow = button;
            const int inset = std::max(2, button.rect.height() / 6);
            arrow.rect = button.rect.adjusted(inset, inset, -inset, -inset);
            style()->drawPrimitive(step > 0 ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown, &arrow,
                                   &painter, this);
        }
    }
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() != Qt::LeftButton || !isEnabled())
            return;
        pressed = event->position().y() < height() / 2.0 ? 1 : -1;
        stepBy(pressed);
        update();
    }
    void mouseReleaseEvent(QMouseEvent *) override
    {
        pressed = 0;
        update();
    }
    void resizeEvent(QResizeEvent *event) override
    {
        QSpinBox::resizeEvent(event);
        lineEdit()->hide();
    }

private:
    QRect half(int step) const
    {
        const int top = height() / 2;
        return step > 0 ? QRect(0, 0, width(), top) : QRect(0, top, width(), height() - top);
    }
    int pressed = 0; // the step of the button held down
};

QPointer<TBeacon> theBeacon;

// The beacon's settings, parked while the file is read (the window is made after it) and
// read back from the window once it exists.
struct BeaconSettings {
    bool on = false;
    bool keyOff = false;
    std::string period = "5";
    std::string header;
    bool time = false;
    std::array<bool, 7> messages{};
    std::string path;
    std::string end;
} parked;

// The window's texts. Columns: English, Magyar, Deutsch, Français, Italiano, Português, Español.
constexpr Tr kCaption("BEACON", "JELADO", "BAKE", "BALISE", "BEACON", "BALIZA", "BALIZA");
constexpr Tr kBalise("Check to start the beacon", "Jelölje be a jeladó elindításához", "Kreuzen um die Bake zu starten",
                     "Cocher pour démarrer la balise", "Barrare per avviare il beacon", "Marque para iniciar o baliza",
                     "Marque para iniciar la baliza");
constexpr Tr kKeyOff("TX command only when sending the beacon", "TX parancs csak a jeladó küldésénél",
                     "TX-Befehl nur beim Senden der Bake", "Commande TX seulement lors de l'envoi de la balise",
                     "Comando TX solo durante l'invio del beacon", "Comando TX somente ao enviar o baliza",
                     "Comando TX solo al enviar la baliza");
constexpr Tr kPeriode("Beacon period: ", "Jeladó periódus: ", "Bake-Periode: ", "Période de la balise : ",
                      "Periodo beacon: ", "Periodo baliza: ", "Período de baliza: ");
constexpr Tr kMinutes("Minutes", "Percek", "Minuten", "Minutes", "Minuti", "Minutos", "Minutos");
constexpr Tr kHeader("Header", "Fejléc", "Bakekopf", "En-tête", "Intestata", "Cabeçalho", "Encabezado");
constexpr Tr kTime("Check to play the current time (= QTR hh:mm)", "Jelölje be az aktuális ido lejátszásához (= QTR óó: mm)",
                   "Kreuzen um die aktuelle Zeit zu spielen (= QTR hh:mm)",
                   "Cocher pour jouer l'heure actuelle (= QTR hh:mm)", "Barrare per riprodurre l'ora corrente (= QTR hh: mm)",
                   "Marque para reproduzir a hora atual (= QTR hh: mm)",
                   "Marque para reproducir la hora actual (= QTR hh: mm)");
constexpr Tr kMsg("Check boxes below to add preset messages", "Helyi üzenetek hozzáadásához jelölje be alább",
                  "Unten kreuzen, um lokale Mitteilungen zu spielen", "Cocher pour jouer des messages prédéfinis",
                  "Barrare sottostanti per reprodurre messaggi locali", "Marque abaixo para adicionar mensagens locais",
                  "Marque abajo para agregar mensajes locales");
constexpr Tr kTextFile("Pathname of the text file to play", "A lejátszandó szövegfájl elérési útja",
                       "Pfadname der abzuspielenden Textdatei", "Chemin du fichier texte à jouer",
                       "Percorso del file di testo da riprodurre", "Nome do caminho do arquivo de texto a ser reproduzido",
                       "Nombre de ruta del archivo de texto a reproducir");
constexpr Tr kEnd("End of Message", "Üzenet vége", "Bakeende", "Fin de message", "Fine messagio", "Fim da Mensagem",
                  "Fin del mensaje");
constexpr Tr kBrowse("Browse", "Tallózás", "Durchsuchen", "Parcourir", "Sfoglia", "Navegar", "Examinar");
constexpr Tr kPathError("Pathname or filename error", "Útnév vagy fájlnév hiba", "Pfad- oder Dateinamenfehler",
                        "Chemin ou nom de fichier erroné", "Errore nome percorso o nome file",
                        "Erro de nome de caminho ou nome de arquivo", "Error de nombre de directorio o nombre de archivo");
constexpr Tr kTooLong("1000 characters max", "max. 1000 karakter", "Maximal 1000 Zeichen", "1000 caaractères max",
                      "1000 caratteri max", "máximo de 1000 caracteres", "1000 caracteres como máximo");
constexpr Tr kTest("TEST", "TESZT", "TEST", "TEST", "PROVA", "TESTE", "PRUEBA");
// The memory messages' names, as the message editor writes them.
constexpr Tr kMessageNames[] = {
    Tr("= MSG1", "= ÜZ1", "= MIT1", "= MSG1", "= MSG1", "= MSG1", "= MSJ1"),
    Tr("= MSG2", "= ÜZ2", "= MIT2", "= MSG2", "= MSG2", "= MSG2", "= MSJ2"),
    Tr("= MSG3", "= ÜZ3", "= MIT3", "= MSG3", "= MSG3", "= MSG3", "= MSJ3"),
    Tr("= MSG4", "= ÜZ4", "= MIT4", "= MSG4", "= MSG4", "= MSG4", "= MSJ4"),
    Tr("= MSG5", "= ÜZ5", "= MIT5", "= MSG5", "= MSG5", "= MSG5", "= MSJ5"),
    Tr("= MSG6", "= ÜZ6", "= MIT6", "= MSG6", "= MSG6", "= MSG6", "= MSJ6"),
};
constexpr Tr kMenuBalise("&Beacon", "&Jeladó", "&Bake", "&Balise", "&Beacon", "&Baliza", "&Baliza");
static_assert(allLanguagesPresent(std::initializer_list<Tr>{kCaption, kBalise, kKeyOff, kPeriode, kMinutes, kHeader,
                                                             kTime, kMsg, kTextFile, kEnd, kBrowse, kPathError,
                                                             kTooLong, kMenuBalise},
                                  [](const Tr &tr) -> const Tr & { return tr; }));

constexpr TextRow kMainWindowTexts[] = {{"MenuBalise", TextKind::Caption, kMenuBalise}};

constexpr int BeaconHelpContext = 34;

// Not translated in any language.
const QString OpeningFileError = QStringLiteral("Opening file error");

int minutesAt(int position)
{
    return BeaconPeriodMinutes[static_cast<std::size_t>(std::clamp(position, 0, 6))];
}

// The message is handed over only while nothing else is being sent: the memory-message
// buttons enabled and the engine idle (typing and the character list leave the buttons
// enabled, and the hand-over would clear what the user typed).
bool engineIdle()
{
    const EngineState &s = Form1->Engine;
    auto *button = Form1->findChild<QWidget *>(QStringLiteral("ButtonMsg1"));
    return button && button->isEnabled() && s.PlayQueue.empty() && s.PlaybackDone && !s.TextPlaying
           && !s.RandomPlaying && !s.ReplayingTypedText && !s.QuizSeriesPlaying
           && !Form1->TimerTXDelay->isActive();
}

void applyParked(TBeacon &b)
{
    b.UpDownperiode->setValue(BeaconPeriodPosition(parked.period));
    b.UpDownperiodeMouseDown();
    b.EditHeader->setText(cp1252::toQString(parked.header));
    b.EditPathTextFile->setText(cp1252::toQString(parked.path));
    b.EditEndMsg->setText(cp1252::toQString(parked.end));
    b.CheckBoxTime->setChecked(parked.time);
    for (int n = 1; n <= MemoryMessages; ++n)
        b.CheckBoxMSG[n]->setChecked(parked.messages[n]);
    b.CheckBoxKeyOff->setChecked(parked.keyOff);
    // A beacon left on at exit runs again.
    b.CheckBoxBalise->setChecked(parked.on);
    b.CheckBoxBaliseClick();
}

// The settings as they stand: the window's, or the parked ones before it exists.
BeaconSettings current()
{
    TBeacon *b = Beacon();
    if (!b)
        return parked;
    BeaconSettings now;
    now.on = b->CheckBoxBalise->isChecked();
    now.keyOff = b->CheckBoxKeyOff->isChecked();
    now.period = b->Edit1->text().toStdString();
    now.header = cp1252::fromQString(b->EditHeader->text());
    now.time = b->CheckBoxTime->isChecked();
    for (int n = 1; n <= MemoryMessages; ++n)
        now.messages[n] = b->CheckBoxMSG[n]->isChecked();
    now.path = cp1252::fromQString(b->EditPathTextFile->text());
    now.end = cp1252::fromQString(b->EditEndMsg->text());
    return now;
}

void bindFlag(const char *key, bool BeaconSettings::*flag)
{
    Settings().bind(
        key, [flag](const std::string &value) { parked.*flag = value == "1"; },
        [flag](std::vector<std::string> &values) {
            if (current().*flag)
                values.push_back("1");
        });
}

void bindText(const char *key, std::string BeaconSettings::*text)
{
    Settings().bind(
        key, [text](const std::string &value) { parked.*text = value.substr(0, settings::MaxTextValue); },
        [text](std::vector<std::string> &values) {
            if (const std::string value = current().*text; !value.empty())
                values.push_back(value);
        });
}

void bindSettings()
{
    parked = BeaconSettings{};
    bindFlag("BEACON=", &BeaconSettings::on);
    bindFlag("BEACONKEY=", &BeaconSettings::keyOff);
    Settings().bind(
        "BPERTIME=",
        [](const std::string &value) {
            parked.period = std::to_string(BeaconPeriodMinutes[BeaconPeriodPosition(value)]);
        },
        [](std::vector<std::string> &values) { values.push_back(current().period); });
    bindText("BHEADER=", &BeaconSettings::header);
    bindFlag("BTIME=", &BeaconSettings::time);
    static const char *const messageKeys[] = {"BMSG1=", "BMSG2=", "BMSG3=", "BMSG4=", "BMSG5=", "BMSG6="};
    for (int n = 1; n <= MemoryMessages; ++n) {
        Settings().bind(
            messageKeys[n - 1], [n](const std::string &value) { parked.messages[n] = value == "1"; },
            [n](std::vector<std::string> &values) {
                if (current().messages[n])
                    values.push_back("1");
            });
    }
    bindText("BTEXT=", &BeaconSettings::path);
    bindText("BEND=", &BeaconSettings::end);
    // A read while the window exists (not at start) goes into it at once.
    Settings().addFixUp(100, "beacon: settings into its window", [] {
        if (TBeacon *b = Beacon())
            applyParked(*b);
    });
}

} // namespace

BeaconSeams &beaconSeams()
{
    static BeaconSeams seams;
    return seams;
}

TBeacon *Beacon()
{
    return theBeacon.data();
}

TFormBalise *FormBalise = nullptr;

TFormBalise::TFormBalise(QWidget *parent)
    : TSideForm("FormBalise", parent)
{
    new TBeacon(*this);
}

TBeacon::TBeacon(TFormBalise &window)
    : QObject(&window), LanguageAware(&window), window_(window)
{
    window.setWindowTitle(QStringLiteral("BALISE"));
    window.resize(430, 420);
    QWidget *w = &window;

    LabelPeriode = Named(new QLabel(QStringLiteral("Beacon period: "), w), "LabelPeriode");
    LabelPeriode->setGeometry(12, 12, 150, 24);
    Edit1 = Named(new QLineEdit(QStringLiteral("5"), w), "Edit1");
    Edit1->setGeometry(166, 12, 40, 24);
    Edit1->setReadOnly(true);
    UpDownperiode = Named(new ArrowsOnly(w), "UpDownperiode");
    UpDownperiode->setGeometry(206, 12, 20, 24);
    UpDownperiode->setRange(0, static_cast<int>(BeaconPeriodMinutes.size()) - 1);
    UpDownperiode->setValue(BeaconDefaultPosition);
    LabelMinutes = Named(new QLabel(QStringLiteral("Minutes"), w), "LabelMinutes");
    LabelMinutes->setGeometry(232, 12, 100, 24);
    // The arrows change the period; the box beside them shows it in minutes.
    NameAfter(UpDownperiode, LabelPeriode);
    NameAfter(Edit1, LabelPeriode, LabelMinutes);
    TimerPeriode = Named(new QTimer(w), "TimerPeriode");
    TimerPeriode->setInterval(minutesAt(BeaconDefaultPosition) * beaconSeams().msPerMinute);

    CheckBoxBalise = Named(new QCheckBox(QStringLiteral("Check to start the beacon"), w), "CheckBoxBalise");
    CheckBoxBalise->setGeometry(12, 44, 400, 24);

    LabelHeader = Named(new QLabel(QStringLiteral("Header"), w), "LabelHeader");
    LabelHeader->setGeometry(12, 76, 100, 24);
    EditHeader = Named(new QLineEdit(w), "EditHeader");
    EditHeader->setGeometry(116, 76, 300, 24);
    NameAfter(EditHeader, LabelHeader);
    CheckBoxTime =
        Named(new QCheckBox(QStringLiteral("Check to play the current time (= QTR hh:mm)"), w), "CheckBoxTime");
    CheckBoxTime->setGeometry(12, 106, 400, 24);

    LabelMSG = Named(new QLabel(QStringLiteral("Check boxes below to add preset messages"), w), "LabelMSG");
    LabelMSG->setGeometry(12, 138, 400, 20);
    for (int n = 1; n <= MemoryMessages; ++n) {
        auto *box = new QCheckBox(QStringLiteral("= MSG%1").arg(n), w);
        box->setObjectName(QStringLiteral("CheckBoxMSG%1").arg(n));
        box->setGeometry(12 + (n - 1) % 3 * 130, 160 + (n - 1) / 3 * 24, 124, 24);
        CheckBoxMSG[n] = box;
    }

    LabelTextFile = Named(new QLabel(QStringLiteral("Pathname of the text file to play"), w), "LabelTextFile");
    LabelTextFile->setGeometry(12, 216, 400, 20);
    EditPathTextFile = Named(new QLineEdit(w), "EditPathTextFile");
    EditPathTextFile->setGeometry(12, 238, 310, 24);
    NameAfter(EditPathTextFile, LabelTextFile);
    ButtonParcourir = Named(new QPushButton(QStringLiteral("Browse"), w), "ButtonParcourir");
    ButtonParcourir->setGeometry(328, 238, 88, 24);
    MemoTextFile = Named(new QPlainTextEdit(w), "MemoTextFile");
    MemoTextFile->hide();
    LabelTextError = Named(new QLabel(w), "LabelTextError");
    LabelTextError->setGeometry(12, 266, 400, 20);
    QPalette red = LabelTextError->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    LabelTextError->setPalette(red);

    LabelEnd = Named(new QLabel(QStringLiteral("End of Message"), w), "LabelEnd");
    LabelEnd->setGeometry(12, 294, 120, 24);
    EditEndMsg = Named(new QLineEdit(w), "EditEndMsg");
    EditEndMsg->setGeometry(136, 294, 280, 24);
    NameAfter(EditEndMsg, LabelEnd);

    CheckBoxKeyOff = Named(new QCheckBox(QStringLiteral("Key TX only when beacon is played"), w), "CheckBoxKeyOff");
    CheckBoxKeyOff->setGeometry(12, 330, 400, 24);
    ButtonTest = Named(new QPushButton(QStringLiteral("TEST"), w), "ButtonTest");
    ButtonTest->setGeometry(12, 370, 100, 32);
    SpeedButtonHelpBalise = Named(new QPushButton(QStringLiteral("?"), w), "SpeedButtonHelpBalise");
    SpeedButtonHelpBalise->setGeometry(384, 370, 32, 32);

    connect(UpDownperiode, &QSpinBox::valueChanged, this, [this] { UpDownperiodeMouseDown(); });
    connect(CheckBoxBalise, &QCheckBox::clicked, this, [this] { CheckBoxBaliseClick(); });
    connect(TimerPeriode, &QTimer::timeout, this, [this] { TimerPeriodeTimer(); });
    connect(ButtonTest, &QPushButton::clicked, this, [this] { ButtonTestClick(); });
    connect(ButtonParcourir, &QPushButton::clicked, this, [this] { ButtonParcourirClick(); });
    connect(SpeedButtonHelpBalise, &QPushButton::clicked, this, [] { SpeedButtonHelpBaliseClick(); });
    connect(EditPathTextFile, &QLineEdit::textChanged, this, [this] { EditPathTextFileChange(); });

    theBeacon = this;
    applyParked(*this);
}

void TBeacon::retranslate()
{
    window_.setWindowTitle(Pick(kCaption));
    CheckBoxBalise->setText(Pick(kBalise));
    CheckBoxKeyOff->setText(Pick(kKeyOff));
    LabelPeriode->setText(Pick(kPeriode));
    LabelMinutes->setText(Pick(kMinutes));
    LabelHeader->setText(Pick(kHeader));
    CheckBoxTime->setText(Pick(kTime));
    LabelMSG->setText(Pick(kMsg));
    LabelTextFile->setText(Pick(kTextFile));
    LabelEnd->setText(Pick(kEnd));
    ButtonParcourir->setText(Pick(kBrowse));
    ButtonTest->setText(Pick(kTest));
    for (int n = 1; n <= MemoryMessages; ++n)
        CheckBoxMSG[n]->setText(Pick(kMessageNames[n - 1]));
    BeaconPathError = Pick(kPathError);
    BeaconTooLongError = Pick(kTooLong);
}

void TBeacon::UpDownperiodeMouseDown()
{
    const int minutes = minutesAt(UpDownperiode->value());
    Edit1->setText(QString::number(minutes));
    TimerPeriode->setInterval(minutes * beaconSeams().msPerMinute);
}

void TBeacon::CheckBoxBaliseClick()
{
    ++generation_;
    if (!CheckBoxBalise->isChecked()) {
        TimerPeriode->stop();
        return;
    }
    // Edit1 always holds one of the periods; anything else would be the default.
    const int minutes = BeaconPeriodMinutes[BeaconPeriodPosition(Edit1->text().toStdString())];
    TimerPeriode->start(minutes * beaconSeams().msPerMinute);
}

void TBeacon::TimerPeriodeTimer()
{
    TimerPeriode->stop();
    const int armed = generation_;
    ButtonTestClick();
    // The next period counts from the hand-over, unless the beacon was switched meanwhile.
    if (armed == generation_ && CheckBoxBalise->isChecked())
        TimerPeriode->start();
}

void TBeacon::ButtonTestClick()
{
    if (!Form1 || !engineIdle())
        return; // this period is skipped, not queued
    BeaconParts parts;
    parts.header = cp1252::fromQString(EditHeader->text());
    if (CheckBoxTime->isChecked())
        parts.time = beaconSeams().now();
    for (int n = 1; n <= MemoryMessages; ++n) {
        if (CheckBoxMSG[n]->isChecked() && !Messages[n].empty())
            parts.messages.push_back(Messages[n]);
    }
    const QString path = EditPathTextFile->text();
    if (path.isEmpty()) {
        LabelTextError->clear();
    } else {
        const BeaconFile file = ReadBeaconFile(QFile::encodeName(path).toStdString());
        MemoTextFile->clear();
        switch (file.status) {
        case BeaconFileStatus::Ok:
            MemoTextFile->setPlainText(cp1252::toQString(file.text));
            parts.fileText = file.text;
            LabelTextError->clear();
            break;
        case BeaconFileStatus::Missing:
            LabelTextError->setText(BeaconPathError);
            break;
        case BeaconFileStatus::Unreadable:
            LabelTextError->setText(OpeningFileError);
            break;
        case BeaconFileStatus::TooLong:
            LabelTextError->setText(BeaconTooLongError);
            break;
        case BeaconFileStatus::Empty:
            break;
        }
    }
    parts.end = cp1252::fromQString(EditEndMsg->text());

    BeaconMessage = ComposeBeaconMessage(parts);
    if (BeaconMessage.empty())
        return;
    EngineState &s = Form1->Engine;
    MessageIndex = BeaconMessageIndex;
    s.BeaconSending = true;
    ButtonMsgXClick();
    // Nothing started: no later text may pass for the beacon's.
    if (!s.ReplayingTypedText)
        s.BeaconSending = false;
}

void TBeacon::ButtonParcourirClick()
{
    OpenFileRequest request("OpenDialogTextFile", {QStringLiteral("Fichiers Texte .txt (*.txt)")});
    request.defaultSuffix = QStringLiteral("txt");
    // Until a first Browse, where the file of the edit is.
    const QString current = EditPathTextFile->text();
    const std::optional<QString> chosen = ChooseFileToOpen(
        &window_, BrowseFolder, request, current.isEmpty() ? QString() : QFileInfo(current).absolutePath());
    if (!chosen)
        return;
    if (!userfile::OpensForReading(QFile::encodeName(*chosen).toStdString())) {
        LabelTextError->setText(BeaconPathError);
        EditPathTextFile->clear();
        return;
    }
    EditPathTextFile->setText(*chosen);
    ButtonParcourir->setToolTip(*chosen);
    EditPathTextFile->selectAll();
    LabelTextError->clear();
}

void TBeacon::EditPathTextFileChange()
{
    BeaconFilePath = EditPathTextFile->text();
}

void SpeedButtonHelpBaliseClick()
{
    ShowHelpContext(BeaconHelpContext);
}

void MenuBaliseClick()
{
    if (FormBalise) {
        FormBalise->show();
        FormBalise->raise();
        FormBalise->activateWindow();
    }
}

void BuildBeaconModule(TForm1 &f)
{
    RegisterMainWindowTexts(kMainWindowTexts);
    auto *item = Named(new QAction(QStringLiteral("&Beacon"), f.MenuOutils), "MenuBalise");
    f.MenuOutils->insertAction(f.MenuOutilsQuit, item);
    QObject::connect(item, &QAction::triggered, item, [] { MenuBaliseClick(); });
    bindSettings();
    RegisterSideWindow(SideWindowPlace::Beacon, FormBalise);
    Hooks().beaconKeysAlone = [] { return theBeacon && theBeacon->CheckBoxKeyOff->isChecked(); };
}
