#include "shell/recordpanel.h"
#include "shell/utilities.h"

#include "engine/cp1252.h"
#include "engine/morsecode.h"
#include "engine/timing.h"
#include "engine/tone.h"
#include "platform/userfile.h"
#include "shell/enginehost_mainwindow.h"
#include "shell/formdialog.h"
#include "shell/help.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/settingskeys.h"
#include "shell/settingspanels.h"
#include "shell/sidewindows.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QVBoxLayout>

#include <csignal>
#include <unistd.h>

const char *const ConverterName = "TARNVOX";

std::function<QString(const QString &)> ChooseRecordFile = [](const QString &suggested) {
    QFileDialog dialog(Form1, QString(), suggested, QStringLiteral("WAV (*.wav)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("wav"));
    dialog.selectFile(suggested);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().front()
                                                                                    : QString();
};

namespace {

QPointer<TPanelTextRecord> thePanel;

constexpr Tr kBytes("  bytes", "  bájt", "  Byte", "  octets", "  byte", "  bytes", "  bytes");
constexpr Tr kConverterMissing(
    "The WAV to MP3 converter is not in the program folder:", "A WAV-MP3 átalakító nincs a program mappájában:",
    "Der WAV-zu-MP3-Konverter ist nicht im Programmordner:", "Le convertisseur WAV vers MP3 n'est pas dans le dossier du programme :",
    "Il convertitore WAV-MP3 non è nella cartella del programma:", "O conversor WAV para MP3 não está na pasta do programa:",
    "El conversor WAV a MP3 no está en la carpeta del programa:");

constexpr TextRow kTexts[] = {
    {"LabelTextRecord", TextKind::Caption,
     Tr("RECORDING WAVE", "WAVE FELVÉTEL", "WAVE-AUFNAHME", "ENREGISTREMENT WAVE", "REGISTRAZIONE WAVE",
        "GRAVAÇÃO WAVE", "GRABACIÓN WAVE")},
    {"LabelTailleFichier", TextKind::Caption,
     Tr("Size of the file:", "A fájl mérete:", "Größe der Datei:", "Taille du fichier :", "Dimensione del file:",
        "Tamanho do ficheiro:", "Tamaño del archivo:")},
    {"GroupBoxTextRecord", TextKind::Caption, Tr("Format", "Formátum", "Format", "Format", "Formato", "Formato", "Formato")},
    {"LabelSamplingFrequency", TextKind::Caption,
     Tr("Sampling frequency (Hz)", "Mintavételi frekvencia (Hz)", "Abtastrate (Hz)", "Fréquence d'échantillonnage (Hz)",
        "Frequenza di campionamento (Hz)", "Frequência de amostragem (Hz)", "Frecuencia de muestreo (Hz)")},
    {"RadioButtonMono8", TextKind::Caption,
     Tr("Mono 8 bits", "Mono 8 bit", "Mono 8 Bit", "Mono 8 bits", "Mono 8 bit", "Mono 8 bits", "Mono 8 bits")},
    {"RadioButtonMono16", TextKind::Caption,
     Tr("Mono 16 bits", "Mono 16 bit", "Mono 16 Bit", "Mono 16 bits", "Mono 16 bit", "Mono 16 bits", "Mono 16 bits")},
    {"RadioButtonStereo8", TextKind::Caption,
     Tr("Stereo 8 bits", "Sztereó 8 bit", "Stereo 8 Bit", "Stéréo 8 bits", "Stereo 8 bit", "Estéreo 8 bits", "Estéreo 8 bits")},
    {"RadioButtonStereo16", TextKind::Caption,
     Tr("Stereo 16 bits", "Sztereó 16 bit", "Stereo 16 Bit", "Stéréo 16 bits", "Stereo 16 bit", "Estéreo 16 bits",
        "Estéreo 16 bits")},
    {"LabelTextRecordContinue", TextKind::Caption,
     Tr("Do you want to record anyway ?", "Mégis felveszi ?", "Trotzdem aufnehmen ?", "Voulez-vous enregistrer quand même ?",
        "Volete registrare comunque ?", "Quer gravar mesmo assim ?", "¿Desea grabar de todos modos?")},
    {"BitBtnYesRecord", TextKind::Caption, Tr("&Yes", "&Igen", "&Ja", "&Oui", "&Sì", "&Sim", "&Sí")},
    {"BitBtnNoRecord", TextKind::Caption, Tr("&No", "&Nem", "&Nein", "&Non", "&No", "&Não", "&No")},
    {"MenuRecordMemoRandom", TextKind::Caption,
     Tr("&Record MemoRandom as Wave File", "Véletlen csoportok &felvétele WAV fájlba",
        "Zufallsgruppen als WAV-Datei &aufnehmen", "&Enregistrer les groupes aléatoires en fichier WAV",
        "&Registrare i gruppi casuali in un file WAV", "&Gravar os grupos aleatórios num ficheiro WAV",
        "&Grabar los grupos aleatorios en un archivo WAV")},
    {"MenuSaveTextWave", TextKind::Caption,
     Tr("Record Textbox as &Wave File", "A szövegdoboz felvétele &WAV fájlba", "Textfeld als &WAV-Datei aufnehmen",
        "Enregistrer le texte tapé en fichier &WAV", "Registrare il testo digitato in un file &WAV",
        "Gravar o texto escrito num ficheiro &WAV", "Grabar el texto escrito en un archivo &WAV")},
};
static_assert(allLanguagesPresent(kTexts, [](const TextRow &row) -> const Tr & { return row.text; }),
              "every text needs its seven languages");
static_assert(allLanguagesPresent(std::initializer_list<Tr>{kBytes, kConverterMissing},
                                  [](const Tr &tr) -> const Tr & { return tr; }));

QWidget *control(TForm1 &form, const char *name)
{
    return form.findChild<QWidget *>(QString::fromLatin1(name));
}

// "41660" as "41 660".
QString grouped(std::uint64_t n)
{
    QString digits = QString::number(n);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QLatin1Char(' '));
    return digits;
}

void setTypingReadOnly(TForm1 &form, bool readOnly)
{
    if (QLineEdit *box = form.Editcaractere)
        box->setReadOnly(readOnly);
}

// The random memo's text, its lines joined by line ends.
std::string memoText(TForm1 &form)
{
    QWidget *memo = control(form, "MemoRandom");
    QString text;
    if (auto *plain = qobject_cast<QPlainTextEdit *>(memo))
        text = plain->toPlainText();
    else if (auto *rich = qobject_cast<QTextEdit *>(memo))
        text = rich->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return cp1252::fromQString(text);
}

// Ends the converter copies of this user that run the program at `path`, as a new one is
// started (only that program: nothing else of the same name is touched).
void endRunningCopies(const QString &path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &pid : pids) {
        bool number = false;
        const pid_t id = pid.toInt(&number);
        if (!number || id == ::getpid())
            continue;
        const QFileInfo exe(QStringLiteral("/proc/%1/exe").arg(pid));
        if (exe.ownerId() == ::getuid() && exe.symLinkTarget() == target)
            ::kill(id, SIGTERM);
    }
}

// The converter in the program folder, started once the file is on the clipboard.
void startConverter()
{
    const QDir folder = QDir::current();
    for (const QString &name : {QString::fromLatin1(ConverterName), QString::fromLatin1(ConverterName) + ".exe"}) {
        const QFileInfo program(folder.filePath(name));
        if (program.isFile() && program.isExecutable()) {
            endRunningCopies(program.absoluteFilePath());
            QProcess::startDetached(program.absoluteFilePath(), {}, folder.absolutePath());
            return;
        }
    }
    ShowProgramMessage(Pick(kConverterMissing) + QStringLiteral("\r\n") +
                       QDir::toNativeSeparators(folder.absoluteFilePath(QString::fromLatin1(ConverterName))));
}

} // namespace

TPanelTextRecord *RecordPanel()
{
    return thePanel.data();
}

TPanelTextRecord *BuildRecordPanel(TForm1 &form)
{
    if (!thePanel)
        thePanel = new TPanelTextRecord(form);
    return thePanel.data();
}

void RefreshRecordEstimate()
{
    if (TPanelTextRecord *panel = RecordPanel(); panel && !panel->isHidden())
        panel->MenuRecordWaveClick();
}

TPanelTextRecord::TPanelTextRecord(TForm1 &form)
    : QFrame(form.Frame), form_(form)
{
    RegisterMainWindowTexts(kTexts);
    setObjectName(QStringLiteral("PanelTextRecord"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    setGeometry(110, 70, 440, 300);

    LabelTextRecord = Named(new QLabel(QStringLiteral("RECORDING WAVE"), this), "LabelTextRecord");
    // Centred, clear of the "?" in the corner.
    LabelTextRecord->setGeometry(34, 6, 372, 20);
    LabelTextRecord->setAlignment(Qt::AlignCenter);
    ButtonTextRecordHelp = NewHelpButton(this, "ButtonTextRecordHelp", {410, 6, 22, 22}, LabelTextRecord);
    LabelTailleFichier = Named(new QLabel(QStringLiteral("Size of the file:"), this), "LabelTailleFichier");
    LabelTailleFichier->setGeometry(12, 36, 170, 22);
    LabelValeurTailleFichier = Named(new QLabel(this), "LabelValeurTailleFichier");
    LabelValeurTailleFichier->setGeometry(190, 36, 240, 22);
    Label13 = Named(new QLabel(this), "Label13");
    MarkAsValue(Label13); // the format's numbers
    Label13->setGeometry(190, 60, 240, 22);

    GroupBoxTextRecord = Named(new QGroupBox(QStringLiteral("Format"), this), "GroupBoxTextRecord");
    GroupBoxTextRecord->setGeometry(12, 88, 416, 110);
    LabelSamplingFrequency =
        Named(new QLabel(QStringLiteral("Sampling frequency (Hz)"), GroupBoxTextRecord), "LabelSamplingFrequency");
    LabelSamplingFrequency->setGeometry(10, 22, 208, 22);
    ComboBoxFrequence = Named(new QComboBox(GroupBoxTextRecord), "ComboBoxFrequence");
    ComboBoxFrequence->addItems({QStringLiteral("11025"), QStringLiteral("22050")});
    ComboBoxFrequence->setCurrentIndex(1);
    ComboBoxFrequence->setGeometry(10, 48, 110, 26);
    auto *formats = new QButtonGroup(this);
    const struct {
        QRadioButton *TPanelTextRecord::*member;
        const char *name;
        const char *caption;
        int channels, bits, x, y;
    } buttons[] = {
        {&TPanelTextRecord::RadioButtonMono8, "RadioButtonMono8", "Mono 8 bits", 1, 8, 220, 18},
        {&TPanelTextRecord::RadioButtonMono16, "RadioButtonMono16", "Mono 16 bits", 1, 16, 220, 40},
        {&TPanelTextRecord::RadioButtonStereo8, "RadioButtonStereo8", "Stereo 8 bits", 2, 8, 220, 62},
        {&TPanelTextRecord::RadioButtonStereo16, "RadioButtonStereo16", "Stereo 16 bits", 2, 16, 220, 84},
    };
    for (const auto &b : buttons) {
        auto *radio = Named(new QRadioButton(QString::fromLatin1(b.caption), GroupBoxTextRecord), b.name);
        radio->setGeometry(b.x, b.y, 190, 22);
        formats->addButton(radio);
        connect(radio, &QRadioButton::clicked, this, [this, c = b.channels, bits = b.bits] { FormatButtonClick(c, bits); });
        this->*b.member = radio;
    }
    RadioButtonStereo16->setChecked(true);

    CheckBoxMP3 = Named(new QCheckBox(QStringLiteral("Open WAV to MP3 converter after creation of WAV file"), this),
                        "CheckBoxMP3");
    CheckBoxMP3->setGeometry(12, 204, 416, 22);
    LabelTextRecordContinue =
        Named(new QLabel(QStringLiteral("Do you want to record anyway ?"), this), "LabelTextRecordContinue");
    LabelTextRecordContinue->setGeometry(12, 230, 416, 22);
    BitBtnYesRecord = Named(new QPushButton(QStringLiteral("&Yes"), this), "BitBtnYesRecord");
    BitBtnYesRecord->setGeometry(110, 258, 100, 32);
    BitBtnNoRecord = Named(new QPushButton(QStringLiteral("&No"), this), "BitBtnNoRecord");
    BitBtnNoRecord->setGeometry(230, 258, 100, 32);

    connect(ComboBoxFrequence, &QComboBox::activated, this, [this] { ComboBoxFrequenceChange(); });
    connect(BitBtnYesRecord, &QPushButton::clicked, this, [this] { BitBtnYesRecordClick(); });
    connect(BitBtnNoRecord, &QPushButton::clicked, this, [this] { BitBtnNoRecordClick(); });

    MenuRecordMemoRandom =
        Named(new QAction(QStringLiteral("&Record MemoRandom as Wave File"), form.MenuOutils), "MenuRecordMemoRandom");
    MenuRecordMemoRandom->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F10));
    MenuSaveTextWave = Named(new QAction(QStringLiteral("Record Textbox as &Wave File"), form.MenuOutils), "MenuSaveTextWave");
    MenuSaveTextWave->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6));
    form.MenuOutils->insertAction(form.MenuOutilsQuit, MenuRecordMemoRandom);
    form.MenuOutils->insertAction(form.MenuOutilsQuit, MenuSaveTextWave);
    connect(MenuRecordMemoRandom, &QAction::triggered, this, [this] { MenuRecordMemoRandomClick(); });
    connect(MenuSaveTextWave, &QAction::triggered, this, [this] { MenuSaveTextWaveClick(); });

    bindSettings();
    hide();
}

void TPanelTextRecord::bindSettings()
{
    using Values = std::vector<std::string>;
    Settings().bind({
        {"WAVFREQ=",
         [](const std::string &value) {
             TPanelTextRecord *p = RecordPanel();
             if (!p || (value != "11025" && value != "22050"))
                 return;
             p->ComboBoxFrequence->setCurrentIndex(value == "11025" ? 0 : 1);
             p->Format.Divisor = value == "11025" ? 2 : 1;
         },
         [](Values &out) {
             TPanelTextRecord *p = RecordPanel();
             out.push_back(p && p->Format.Divisor == 2 ? "11025" : "22050");
         }},
        {"MONOSTER=",
         [](const std::string &value) {
             TPanelTextRecord *p = RecordPanel();
             if (!p)
                 return;
             const auto n = settings::ParseInt(value);
             const int choice = n && *n >= 1 && *n <= 4 ? *n : 4;
             QRadioButton *radios[] = {p->RadioButtonMono8, p->RadioButtonMono16, p->RadioButtonStereo8,
                                       p->RadioButtonStereo16};
             radios[choice - 1]->setChecked(true);
             p->Format.Channels = choice <= 2 ? 1 : 2;
             p->Format.Bits = choice % 2 == 1 ? 8 : 16;
         },
         [](Values &out) {
             TPanelTextRecord *p = RecordPanel();
             const WavFormat f = p ? p->Format : WavFormat{};
             out.push_back(std::to_string((f.Channels == 1 ? 1 : 3) + (f.Bits == 16 ? 1 : 0)));
         }},
        {"MP3=",
         [](const std::string &value) {
             if (TPanelTextRecord *p = RecordPanel(); p && value == "1")
                 p->CheckBoxMP3->setChecked(true);
         },
         [](Values &out) {
             if (TPanelTextRecord *p = RecordPanel(); p && p->CheckBoxMP3->isChecked())
                 out.push_back("1");
         }},
    });
    // Start-up's check of the format read.
    AddModuleStep(ModuleStep::CheckWavFormat, "wav format", [] {
        if (TPanelTextRecord *p = RecordPanel())
            p->Format = p->Format.Checked();
    });
}

void TPanelTextRecord::MenuRecordMemoRandomClick()
{
    source_ = Source::RandomMemo;
    MenuRecordWaveClick();
}

void TPanelTextRecord::MenuSaveTextWaveClick()
{
    source_ = Source::TypingBox;
    MenuRecordWaveClick();
}

std::optional<std::string> TPanelTextRecord::recordableText()
{
    std::string text;
    if (source_ == Source::RandomMemo) {
        if (NamedVisible(form_, "BitBtnStopRandom")) {
            ShowProgramMessage(MsgStopRandomBeforeRecording());
            return std::nullopt;
        }
        text = memoText(form_);
    } else if (QLineEdit *box = form_.Editcaractere) {
        text = cp1252::fromQString(box->text());
    }
    if (text.empty()) {
        ShowProgramMessage(MsgNothingToRecord());
        return std::nullopt;
    }
    const EngineState &engine = form_.Engine;
    if (engine.ReplayingTypedText || !engine.PlayQueue.empty() || engine.QuizSeriesPlaying) {
        ShowProgramMessage(MsgStopPlayingBeforeRecording());
        return std::nullopt;
    }
    return " " + text;
}

void TPanelTextRecord::showFormat()
{
    LabelValeurTailleFichier->setText(grouped(WavByteCount) + Pick(kBytes));
    Label13->setText(QStringLiteral("FE=%1  CA=%2  BI=%3").arg(Format.Divisor).arg(Format.Channels).arg(Format.Bits));
}

void TPanelTextRecord::MenuRecordWaveClick()
{
    const std::optional<std::string> text = recordableText();
    if (!text)
        return;
    setTypingReadOnly(form_, true);
    WavByteCount = WavDataBytes(*text, MorseCodes, form_.EngineTiming, Format);
    showFormat();
    if (isHidden())
        OpenSettingsPanel(form_, this);
}

void TPanelTextRecord::ComboBoxFrequenceChange()
{
    Format.Divisor = ComboBoxFrequence->currentText() == QLatin1String("11025") ? 2 : 1;
    RefreshRecordEstimate();
}

void TPanelTextRecord::FormatButtonClick(int channels, int bits)
{
    if (isHidden())
        return;
    Format.Channels = channels;
    Format.Bits = bits;
    MenuRecordWaveClick();
}

void TPanelTextRecord::BitBtnNoRecordClick()
{
    hide();
    setTypingReadOnly(form_, false);
    if (QLineEdit *box = form_.Editcaractere; box && !SideWindowVisible(SideWindowPlace::DemoView))
        box->setFocus();
    if (QWidget *ok = control(form_, "ButtonQuizOK"))
        ok->setEnabled(true);
}

void TPanelTextRecord::BitBtnYesRecordClick()
{
    // The text as it is now: the header and the data are made from this one copy.
    const std::optional<std::string> text = recordableText();
    if (!text)
        return;
    const QString chosen = ChooseRecordFile(QDir::current().filePath(QStringLiteral("Text1.wav")));
    if (chosen.isEmpty())
        return;
    const QString path = QFileInfo(chosen).absoluteFilePath();
    const QByteArray local = QFile::encodeName(path);

    // An existing file that cannot even be read is not replaced, nor is a device, a FIFO or a
    // folder (looked at, never opened).
    if (const userfile::ReadResult probe = userfile::ReadUserFile(local.toStdString(), 0);
        probe.status == userfile::ReadStatus::Unreadable || probe.status == userfile::ReadStatus::NotAFile) {
        ShowProgramMessage(QStringLiteral("Err %1 : ").arg(probe.errorNumber) + MsgFileError());
        BitBtnNoRecordClick();
        return;
    }

    WavFile file(local.toStdString());
    const WavResult result = RecordWavFile(file, *text, MorseCodes, form_.EngineTiming, form_.EngineTone.Tables, Format);
    if (result.error != 0) {
        ShowProgramMessage(QStringLiteral("Err %1 : ").arg(result.error) + MsgWriteError());
        return;
    }
    QGuiApplication::clipboard()->setText(QStringLiteral("KESTRELON:") + path);
    if (CheckBoxMP3->isChecked())
        startConverter();
    BitBtnNoRecordClick();
}
