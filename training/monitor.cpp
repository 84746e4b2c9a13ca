#include "training/monitor.h"

#include "engine/characterdecoder.h"
#include "engine/cp1252.h"
#include "engine/morsecode.h"
#include "platform/userfile.h"
#include "shell/accessiblenames.h"
#include "shell/datafolders.h"
#include "shell/enginehost_mainwindow.h"
#include "shell/formdialog.h"
#include "shell/formmonitorinfo.h"
#include "shell/help.h"
#include "shell/languages/languages.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/panelport.h"
#include "shell/settingsformat.h"
#include "shell/settingskeys.h"
#include "shell/sidewindows.h"
#include "shell/soundengine.h"
#include "shell/systembeep.h"
#include "shell/utilities.h"
#include "training/audiomonitor.h"
#include "training/kidmode.h"
#include "training/monitorpanel.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QPushButton>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QTextCursor>
#include <QTimer>
#include <QToolButton>

#include <array>
#include <vector>

bool NoEditFocus = false;
double DoubleKeyCalibration = 0.2;

namespace {

MonitorControls controls;
// The name the save dialog offers: the last one chosen in this window.
QString savedName;

// The letter-gap timer of the key decoder: a timer of the user-interface thread, so the
// letter is decoded and written where the keys are handled.
class LetterGapTimer final : public GapTimer {
public:
    void Start(int ms) override
    {
        if (QTimer *t = timer())
            t->start(ms);
    }
    void Stop() override
    {
        if (timer_)
            timer_->stop();
    }

private:
    // Made with the application, which takes it away before the program's statics go.
    QTimer *timer()
    {
        if (!timer_ && QCoreApplication::instance()) {
            timer_ = new QTimer(QCoreApplication::instance());
            timer_->setObjectName(QStringLiteral("MMTimerEspace"));
            timer_->setSingleShot(true);
            timer_->setTimerType(Qt::PreciseTimer);
            QObject::connect(timer_, &QTimer::timeout, [] { KeyDecoder().GapTimerExpired(); });
        }
        return timer_;
    }
    QPointer<QTimer> timer_;
};

// What the key decoder writes goes to the monitor's controls.
class MonitorWriter final : public MonitorOutput {
public:
    void AppendElementLine(const std::string &signs) override { AppendMonitorElements(signs); }
    void DecodeCharacter(const std::string &code) override { DecodeMonitorCharacter(code); }
    void WordSpace() override
    {
        if (controls.MemoMonitor)
            controls.MemoMonitor->insertPlainText(QStringLiteral(" "));
    }
    void ShowTimings(const std::string &text) override
    {
        if (controls.Label4)
            controls.Label4->setText(QString::fromLatin1(text));
    }
};

struct DecoderParts {
    MonitorWriter writer;
    LetterGapTimer timer;
    KeyTimingDecoder decoder{writer, timer};
};

DecoderParts &decoderParts()
{
    static DecoderParts parts;
    return parts;
}

bool checked(const QAction *item)
{
    return item && item->isChecked();
}

CharacterDecoderOptions decoderOptions()
{
    CharacterDecoderOptions options;
    const MonitorControls &c = controls;
    if (checked(c.MenuTextCarSpe))
        options.prosigns = ProsignForm::Word;
    else if (checked(c.MenuCarSpeAnsi))
        options.prosigns = ProsignForm::Sign;
    options.localComments = checked(c.MenuTextCarloc) && Form1 && Form1->EngineSets.LocalCount > 0;
    options.errorErases = checked(c.MenuMonitorErreur);
    options.lowerCase = c.SpeedButtonMonitorCase && c.SpeedButtonMonitorCase->isChecked();
    return options;
}

std::vector<LocalCharacterEntry> localCharacters()
{
    std::vector<LocalCharacterEntry> locals;
    if (!Form1)
        return locals;
    const CharacterSets &sets = Form1->EngineSets;
    for (int i = 0; i < sets.LocalCount && i < MaxLocalCharacters; ++i)
        locals.push_back({sets.LocalCharacter(i), sets.LocalLines[static_cast<std::size_t>(i)]});
    return locals;
}

void caretToEnd(QPlainTextEdit *memo)
{
    QTextCursor cursor = memo->textCursor();
    cursor.movePosition(QTextCursor::End);
    memo->setTextCursor(cursor);
}

void stopRabbitAnimation()
{
    if (Form1 && Form1->TimerLapin->isActive())
        CallHook(Hooks().stopRabbitAnimation);
}

// The memo in the case the button shows, character by character (a letter without a partner
// in the code page, like ß, and a character outside it stay as they are).
QString inCase(const QString &text, bool lower)
{
    QString result = text;
    for (QChar &ch : result) {
        if (const auto byte = cp1252::fromUnicode(ch.unicode())) {
            const unsigned char mapped = lower ? cp1252::toLower(*byte) : cp1252::toUpper(*byte);
            ch = QChar(static_cast<char16_t>(cp1252::toUnicode(mapped)));
        }
    }
    return result;
}

void hideNamed(const char *name)
{
    if (auto *w = Form1->findChild<QWidget *>(QString::fromLatin1(name)))
        w->hide();
}

// ---- Building ---------------------------------------------------------------------------------

QToolButton *toolButton(QWidget *parent, const char *name, const QString &text, const QString &hint)
{
    auto *b = Named(new QToolButton(parent), name);
    b->setText(text);
    b->setToolTip(hint);
    return b;
}

QAction *option(QMenu *menu, const char *name, const QString &caption, void (*after)())
{
    auto *item = Named(menu->addAction(caption), name);
    item->setCheckable(true);
    if (after)
        QObject::connect(item, &QAction::triggered, item, [after] { after(); });
    return item;
}

// What a click on the options does once the item has toggled.
void carSpeToggled()
{
    if (controls.MenuTextCarSpe->isChecked())
        controls.MenuCarSpeAnsi->setChecked(false);
}

void carSpeAnsiToggled()
{
    if (controls.MenuCarSpeAnsi->isChecked())
        controls.MenuTextCarSpe->setChecked(false);
}

void noLimitToggled()
{
    KeyDecoder().SetUnlimitedDash(controls.MenuNoLimitTrait->isChecked());
}

void caseToggled()
{
    if (!NoEditFocus)
        FocusTypingBox();
    QPlainTextEdit *memo = controls.MemoMonitor;
    const int position = memo->textCursor().position();
    memo->setPlainText(inCase(memo->toPlainText(), controls.SpeedButtonMonitorCase->isChecked()));
    QTextCursor cursor = memo->textCursor();
    cursor.setPosition(std::min(position, static_cast<int>(memo->document()->characterCount()) - 1));
    memo->setTextCursor(cursor);
}

// A right click on the case button opens the font choice.
class RightClickFont final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonPress
            && static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
            ClickNamed(Form1, "MenuPolice");
            return true;
        }
        return false;
    }
};

void buildMenus(TForm1 &form)
{
    MonitorControls &c = controls;
    QAction *quit = form.MenuOutilsQuit;
    c.MenuMonitoringOptions = Named(new QMenu(QStringLiteral("MONITORING: Options"), form.MenuOutils),
                                    "MenuMonitoringOptions");
    form.MenuOutils->insertMenu(quit, c.MenuMonitoringOptions);
    QMenu *m = c.MenuMonitoringOptions;
    c.MenuTextCarSpe = option(m, "MenuTextCarSpe", QStringLiteral("Prosigns as words"), carSpeToggled);
    c.MenuCarSpeAnsi = option(m, "MenuCarSpeAnsi", QStringLiteral("Prosigns as signs"), carSpeAnsiToggled);
    c.MenuTextCarloc = option(m, "MenuTextCarloc", QStringLiteral("Local characters as their comment"), nullptr);
    c.MenuMonitorErreur = option(m, "MenuMonitorErreur", QStringLiteral("Error sign (HH) erases the last character"),
                                 nullptr);
    c.MenuNoLimitTrait = option(m, "MenuNoLimitTrait", QStringLiteral("No upper limit for dashes"), noLimitToggled);
    c.MenuNoLimitTrait->setChecked(true);

    c.MenuCalElec = Named(m->addMenu(QStringLiteral("Keyer speed calibration")), "MenuCalElec");
    auto *steps = new QActionGroup(c.MenuCalElec);
    static const char *const names[6] = {"MenuCalSpeed0", "MenuCalSpeed1", "MenucalSpeed2",
                                         "MenucalSpeed3", "Menucalspeed4", "MenucalSpeed5"};
    for (int i = 0; i < 6; ++i) {
        QAction *item = Named(c.MenuCalElec->addAction(QString::number(i)), names[i]);
        item->setCheckable(true);
        steps->addAction(item);
        QObject::connect(item, &QAction::triggered, item, [i] { DoubleKeyCalibration = i / 5.0; });
        c.MenuCalSpeed[i] = item;
    }
    c.MenuCalSpeed[1]->setChecked(true);

    c.MenuClearMonitoring = Named(new QAction(QStringLiteral("Clear Monitorin&g"), form.MenuOutils),
                                  "MenuClearMonitoring");
    c.MenuClearMonitoring->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F5));
    form.MenuOutils->insertAction(quit, c.MenuClearMonitoring);
    QObject::connect(c.MenuClearMonitoring, &QAction::triggered, [] { MenuClearMonitoringClick(); });
    c.MenuSaveMonitoring = Named(new QAction(QStringLiteral("Save Monitoring as &Text file"), form.MenuOutils),
                                 "MenuSaveMonitoring");
    c.MenuSaveMonitoring->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F12));
    form.MenuOutils->insertAction(quit, c.MenuSaveMonitoring);
    QObject::connect(c.MenuSaveMonitoring, &QAction::triggered, [] { MenuSaveMonitoringClick(); });
    form.MenuOutils->insertSeparator(quit);
}

void buildPanel(TForm1 &form)
{
    MonitorControls &c = controls;
    c.GroupBoxMonitor = Named(new QGroupBox(QStringLiteral("Monitoring"), form.Frame), "GroupBoxMonitor");
    c.GroupBoxMonitor->setGeometry(8, 118, 644, 282);
    c.GroupBoxMonitor->hide();
    QGroupBox *g = c.GroupBoxMonitor;

    c.LabelMonitor = Named(new QLabel(QStringLiteral("Kestrelon is trying to decode your own Morse signals"), g),
                           "LabelMonitor");
    c.LabelMonitor->setGeometry(8, 18, 440, 18);
    c.EditMonitor = Named(new QLineEdit(g), "EditMonitor");
    c.EditMonitor->setGeometry(8, 38, 420, 24);
    c.EditMonitor->setReadOnly(true);
    NameAfter(c.EditMonitor, c.LabelMonitor);
    c.MemoMonitor = Named(new QPlainTextEdit(g), "MemoMonitor");
    c.MemoMonitor->setGeometry(8, 66, 420, 100);
    c.MemoMonitor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    c.Label4 = Named(new QLabel(g), "Label4");
    MarkAsValue(c.Label4); // the decoder's measurements
    c.Label4->setGeometry(8, 170, 440, 18);

    c.SpeedButtonRazMonitor = toolButton(g, "SpeedButtonRazMonitor", QString(), QStringLiteral("Clear monitor"));
    c.SpeedButtonRazMonitor->setIcon(form.style()->standardIcon(QStyle::SP_LineEditClearButton));
    c.SpeedButtonRazMonitor->setGeometry(432, 38, 26, 24);
    QObject::connect(c.SpeedButtonRazMonitor, &QToolButton::clicked, [] { SpeedButtonRazMonitorClick(); });
    c.SpeedButtonMonitorCase = toolButton(g, "SpeedButtonMonitorCase", QStringLiteral("Aa"), QStringLiteral("A<=>a"));
    c.SpeedButtonMonitorCase->setCheckable(true);
    c.SpeedButtonMonitorCase->setGeometry(432, 66, 26, 24);
    QObject::connect(c.SpeedButtonMonitorCase, &QToolButton::clicked, [] { caseToggled(); });
    c.SpeedButtonMonitorCase->installEventFilter(new RightClickFont(c.SpeedButtonMonitorCase));
    c.SpeedButtonHelpMonitor = toolButton(g, "SpeedButtonHelpMonitor", QStringLiteral("?"), QString());
    c.SpeedButtonHelpMonitor->setGeometry(432, 94, 26, 24);
    NameHelpButton(c.SpeedButtonHelpMonitor, g);
    QObject::connect(c.SpeedButtonHelpMonitor, &QToolButton::clicked, [] { SpeedButtonHelpMonitorClick(); });
}

// Texts of the monitor's own controls.
constexpr TextRow kTexts[] = {
    {"SpeedButtonMonitorCase", TextKind::Caption, Alike("Aa")},
    {"GroupBoxMonitor", TextKind::Caption,
     Tr("Monitoring", "Figyelés", "Mithörkontrolle", "Contrôle", "Monitoraggio", "Monitorização",
        "Monitorización")},
    {"LabelMonitor", TextKind::Caption,
     Tr("Kestrelon is trying to decode your own Morse signals",
        "A Kestrelon megpróbálja dekódolni a saját morzejeleidet",
        "Kestrelon versucht, Ihre eigenen Morsezeichen zu entschlüsseln",
        "Kestrelon essaie de décoder vos propres signaux Morse",
        "Kestrelon cerca di decodificare i vostri segnali Morse",
        "O Kestrelon tenta descodificar os seus próprios sinais Morse",
        "Kestrelon intenta descodificar sus propias señales Morse")},
    {"SpeedButtonRazMonitor", TextKind::Hint,
     Tr("Clear monitor", "Figyelés törlése", "Monitor löschen", "Effacer le moniteur", "Cancella il monitor",
        "Limpar o monitor", "Borrar el monitor")},
    {"MenuMonitoringOptions", TextKind::Caption,
     Tr("MONITORING: Options", "FIGYELÉS: Beállítások", "MITHÖREN: Optionen", "MONITORING : Options",
        "MONITORAGGIO: Opzioni", "MONITORIZAÇÃO: Opções", "MONITORIZACIÓN: Opciones")},
    {"MenuTextCarSpe", TextKind::Caption,
     Tr("Prosigns as words", "Eljárásjelek szóként", "Betriebszeichen als Wörter",
        "Signes spéciaux en toutes lettres", "Segni speciali come parole", "Sinais especiais por extenso",
        "Signos especiales como palabras")},
    {"MenuCarSpeAnsi", TextKind::Caption,
     Tr("Prosigns as signs", "Eljárásjelek jelként", "Betriebszeichen als Zeichen",
        "Signes spéciaux en symboles", "Segni speciali come simboli", "Sinais especiais como símbolos",
        "Signos especiales como símbolos")},
    {"MenuTextCarloc", TextKind::Caption,
     Tr("Local characters as their comment", "Helyi karakterek a megjegyzésükkel",
        "Lokale Zeichen als ihr Kommentar", "Caractères locaux par leur commentaire",
        "Caratteri locali come il loro commento", "Caracteres locais pelo seu comentário",
        "Caracteres locales como su comentario")},
    {"MenuMonitorErreur", TextKind::Caption,
     Tr("Error sign (HH) erases the last character", "A hibajel (HH) törli az utolsó karaktert",
        "Irrungszeichen (HH) löscht das letzte Zeichen", "Le signe d'erreur (HH) efface le dernier caractère",
        "Il segno di errore (HH) cancella l'ultimo carattere", "O sinal de erro (HH) apaga o último caractere",
        "La señal de error (HH) borra el último carácter")},
    {"MenuNoLimitTrait", TextKind::Caption,
     Tr("No upper limit for dashes", "Nincs felsö határ a vonásokra", "Keine Obergrenze für Striche",
        "Pas de limite haute pour les traits", "Nessun limite superiore per le linee",
        "Sem limite superior para os traços", "Sin límite superior para las rayas")},
    {"MenuCalElec", TextKind::Caption,
     Tr("Keyer speed calibration", "Billentyüzö sebesség-kalibrálás", "Geschwindigkeitsabgleich des Keyers",
        "Calibrage de vitesse du manipulateur", "Calibrazione della velocità del keyer",
        "Calibração da velocidade do manipulador", "Calibración de velocidad del manipulador")},
    {"MenuClearMonitoring", TextKind::Caption,
     Tr("Clear Monitorin&g", "Figyelés &törlése", "Mithören &löschen", "Effacer le monitorin&g",
        "Cancella il monitorag&gio", "Limpar a monitori&zação", "Borrar la monitori&zación")},
    {"MenuSaveMonitoring", TextKind::Caption,
     Tr("Save Monitoring as &Text file", "Figyelés mentése &szövegfájlba", "Mithören als &Textdatei speichern",
        "Enregistrer le monitoring en fichier &texte", "Salva il monitoraggio come file di &testo",
        "Guardar a monitorização como ficheiro de &texto", "Guardar la monitorización como archivo de &texto")},
};
static_assert(allLanguagesPresent(kTexts, [](const TextRow &row) -> const Tr & { return row.text; }),
              "every text needs its seven languages");

// ---- Settings ---------------------------------------------------------------------------------

// A flag key written "1"/"0" by an item's check mark. "1" turns the item on only while it is
// off: its handler toggles, and a second line must not turn it off again.
SettingsRegistry::Row flagKey(std::string_view key, QAction *MonitorControls::*item,
                              std::function<void()> onOne)
{
    return {key,
            [item, onOne = std::move(onOne)](const std::string &value) {
                if (value == "1" && !checked(controls.*item))
                    onOne();
            },
            [item](std::vector<std::string> &values) { values.push_back(checked(controls.*item) ? "1" : "0"); }};
}

void bindSettings()
{
    using Values = std::vector<std::string>;
    Settings().bind({
        {"MONITOR_CASE=",
         [](const std::string &value) {
             // Keys 15 to 19 leave the keyboard focus alone while they apply.
             NoEditFocus = true;
             controls.SpeedButtonMonitorCase->setChecked(value == "LOWER");
             NoEditFocus = false;
         },
         [](Values &out) { out.push_back(controls.SpeedButtonMonitorCase->isChecked() ? "LOWER" : "UPPER"); }},
        flagKey("MONERROR=", &MonitorControls::MenuMonitorErreur,
                [] { controls.MenuMonitorErreur->setChecked(true); }),
        {"MONDASH=",
         [](const std::string &value) {
             if (value == "0") {
                 controls.MenuNoLimitTrait->setChecked(false);
                 KeyDecoder().SetUnlimitedDash(false);
             }
         },
         [](Values &out) { out.push_back(checked(controls.MenuNoLimitTrait) ? "1" : "0"); }},
        flagKey("MONCARSPEANSI=", &MonitorControls::MenuCarSpeAnsi, [] { MenuCarSpeAnsiClick(); }),
        flagKey("MONCARSPE=", &MonitorControls::MenuTextCarSpe, [] { MenuTextCarSpeClick(); }),
        flagKey("MONCARLOC=", &MonitorControls::MenuTextCarloc, [] { MenuTextCarlocClick(); }),
        {"SPEEDCALVALUE=",
         [](const std::string &value) {
             const auto step = settings::ParseInt(value);
             if (step && *step >= 0 && *step <= 5)
                 MenuCalSpeedClick(static_cast<int>(*step));
         },
         [](Values &out) {
             for (int i = 0; i < 6; ++i) {
                 if (checked(controls.MenuCalSpeed[i]))
                     out.push_back(std::to_string(i));
             }
         }},
    });
}

} // namespace

// ---- Shared helpers ---------------------------------------------------------------------------

MonitorControls &Monitor()
{
    return controls;
}

bool MonitorShown()
{
    return controls.GroupBoxMonitor && !controls.GroupBoxMonitor->isHidden();
}

bool DemoVisible()
{
    return SideWindowVisible(SideWindowPlace::DemoView);
}

void FocusTypingBox()
{
    if (DemoVisible() || !Form1)
        return;
    if (QLineEdit *box = Form1->Editcaractere)
        box->setFocus();
}

MonitorSeams &monitorSeams()
{
    static MonitorSeams seams;
    return seams;
}

// ---- The decoding side ------------------------------------------------------------------------

KeyTimingDecoder &KeyDecoder()
{
    return decoderParts().decoder;
}

void SetKeyTimingLimits()
{
    if (Form1)
        KeyDecoder().SetLimits(Form1->EngineTiming.Speed(), Form1->EngineTiming.DashWeight());
}

void AppendMonitorElements(const std::string &signs)
{
    if (!controls.EditMonitor)
        return;
    if (auto *kid = Form1->findChild<QWidget *>(QStringLiteral("StaticTextKid")); kid && kid->isVisible())
        kid->hide();
    QString line = controls.EditMonitor->text();
    AppendToElementLine(line, cp1252::toQString(signs));
    controls.EditMonitor->setText(line);
    controls.EditMonitor->end(false);
}

void DecodeMonitorCharacter(const std::string &code)
{
    QPlainTextEdit *memo = controls.MemoMonitor;
    if (!memo || code.empty())
        return;
    AppendMonitorElements(" ");
    std::array<std::string, 7> words;
    for (int i = 0; i < 7; ++i)
        words[static_cast<std::size_t>(i)] = ProsignWordCp1252(i + 1);
    const std::vector<LocalCharacterEntry> locals = localCharacters();
    const DecodedCharacter decoded = DecodeElements(code, MorseCodes, decoderOptions(), words, locals);
    switch (decoded.kind) {
    case DecodedCharacter::Kind::Nothing:
        return;
    case DecodedCharacter::Kind::Erase: {
        ProgramBeep();
        QString text = memo->toPlainText();
        EraseLastCharacter(text);
        memo->setPlainText(text);
        stopRabbitAnimation();
        break;
    }
    case DecodedCharacter::Kind::Text:
        // At the caret, replacing a selection the learner made in the memo.
        memo->textCursor().insertText(cp1252::toQString(decoded.text));
        CallHook(Hooks().monitorCharacterWritten);
        break;
    }
    caretToEnd(memo);
    memo->verticalScrollBar()->setValue(memo->verticalScrollBar()->maximum());
}

// ---- Handlers ---------------------------------------------------------------------------------

void RadioButtonMonitorClick()
{
    TForm1 &f = *Form1;
    EngineState &s = f.Engine;
    // 2. Not while something is being sent.
    if (!s.PlayQueue.empty()) {
        ProgramBeep();
        UncheckExclusive(f.RadioButtonMonitor);
        return;
    }
    // 3. The monitor comes, the other modes' panels go.
    controls.GroupBoxMonitor->show();
    controls.GroupBoxMonitor->setEnabled(true);
    controls.GroupBoxMonitor->raise();
    KidModeOnMonitorEntry();
    f.TimerQuiz->stop();
    for (const char *name : {"ListAlphabet", "ListCodeQ", "ListAbreviations", "GroupBoxRandom", "PanelFile",
                             "QuizGroupBox"})
        hideNamed(name);
    HideSideWindow(SideWindowPlace::QuizReport);
    if (auto *import = f.findChild<QWidget *>(QStringLiteral("PanelImportLessons")); import && !import->isHidden())
        ClickNamed(&f, "BitBtnCancelImport");
    s.LeadingSpaceDone = false;
    SetProgramBeep(true);
    SetKeyTimingLimits();
    // 4. The filter's settings and caption.
    AudioFilterOnMonitorEntry();
    // 5. A keyer supply switched on comes up (the port panel raises its lines).
    if (auto *supply = controls.SpeedButtonMonPTT; supply && supply->isChecked()) {
        if (TPanelPort *port = PanelPort())
            port->ApplyKeyerSupply();
    }
    // 6. The key port's own check and the key picture.
    KeyInputsOnMonitorEntry();
    // 7. and 8. With a key type the sound input is closed and the letter starts afresh; with
    // none (an audio channel) the audio decoder listens.
    if (CurrentKeyType() == KeyType::None)
        StartAudioDecoding();
    else if (WaveInputIsOpen())
        CloseWaveInput();
    KeyDecoder().ClearLetter();
    // 9.
    if (!(SideWindowAt(SideWindowPlace::QuizReport) && DemoVisible()))
        FocusTypingBox();
}

void SpeedButtonRazMonitorClick()
{
    controls.MemoMonitor->clear();
    controls.EditMonitor->clear();
    stopRabbitAnimation();
    SetKeyTimingLimits();
}

void MenuClearMonitoringClick()
{
    controls.MemoMonitor->clear();
    controls.EditMonitor->clear();
    hideNamed("StaticTextKid");
}

void MenuSaveMonitoringClick()
{
    if (!Form1->RadioButtonMonitor->isChecked()) {
        ProgramBeep();
        return;
    }
    QPlainTextEdit *memo = controls.MemoMonitor;
    if (memo->toPlainText().isEmpty()) {
        ShowProgramMessage(MsgNothingToRecord());
        return;
    }
    const QString suggested = QDir(DataFolder()).filePath(QFileInfo(savedName).fileName());
    MonitorSeams &seams = monitorSeams();
    const QString chosen = seams.saveFileName
        ? seams.saveFileName(suggested)
        : QFileDialog::getSaveFileName(Form1, QString(), suggested,
                                       QStringLiteral("Text file/ Fichier Texte (*.txt *.wri *.kst);;All/ Tous (*)"));
    if (chosen.isEmpty())
        return;
    savedName = chosen;
    // One line per memo line, Windows-1252 with CR LF as the program's text files are.
    std::string bytes;
    for (const QString &line : memo->toPlainText().split(QLatin1Char('\n')))
        bytes += cp1252::fromQString(line) + "\r\n";
    QFile file(chosen);
    // Only a regular file is opened: opening a serial port named here would key it.
    if (userfile::WritableTarget(QFile::encodeName(chosen).toStdString()) != 0
        || !file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())
        || !file.flush()) {
        ShowProgramMessage(MsgWriteError());
        return;
    }
}

void SpeedButtonHelpMonitorClick()
{
    if (!FormMonitorInfo)
        return;
    FormMonitorInfo->setVisible(!FormMonitorInfo->isVisible());
}

void SpeedButtonMonitorCaseClick()
{
    ClickButton(controls.SpeedButtonMonitorCase);
}

void MenuTextCarSpeClick()
{
    ClickMenuItem(controls.MenuTextCarSpe);
}

void MenuCarSpeAnsiClick()
{
    ClickMenuItem(controls.MenuCarSpeAnsi);
}

void MenuTextCarlocClick()
{
    ClickMenuItem(controls.MenuTextCarloc);
}

void MenuNoLimitTraitClick()
{
    ClickMenuItem(controls.MenuNoLimitTrait);
}

void MenuCalSpeedClick(int step)
{
    if (step >= 0 && step <= 5)
        ClickMenuItem(controls.MenuCalSpeed[step]);
}

// ---- The module -------------------------------------------------------------------------------

void BuildMonitorModule(TForm1 &form)
{
    controls = MonitorControls{};
    savedName = QStringLiteral("Monitoring1.txt");
    KeyDecoder().Reset();
    buildPanel(form);
    // Nothing writes into the controls of a window that is gone.
    QObject::connect(controls.GroupBoxMonitor, &QObject::destroyed, [] { controls = MonitorControls{}; });
    buildMenus(form);
    RegisterMainWindowTexts(kTexts);
    bindSettings();
    BuildKeyInputs(form);

    QObject::connect(form.RadioButtonMonitor, &QRadioButton::clicked, controls.GroupBoxMonitor,
                     [] { RadioButtonMonitorClick(); });

    ModeHooks &hooks = Hooks();
    hooks.keyCalibration = [] { return DoubleKeyCalibration; };
    hooks.appendMonitorElements = [](const std::string &signs) {
        KeyDecoder().AppendElements(signs);
        AppendMonitorElements(signs);
    };
    hooks.keyerTextEnded = [](int letterGapMs) { KeyDecoder().KeyerTextEnded(letterGapMs); };
    // The limits follow the speed: every change of it refreshes the state captions.
    OnLanguageSwitch(controls.GroupBoxMonitor, [] { SetKeyTimingLimits(); });

    AddModuleStep(ModuleStep::DecoderState, "monitor decoder", [] {
        KeyDecoder().ClearLetter();
        KeyDecoder().ForgetTimes();
        KeyDecoder().SetKeyIsDown(true); // the audio decoder first waits for silence
        SetKeyTimingLimits();
    });
    AddModuleStep(ModuleStep::QuitStopKeyingClocks, "monitor letter gap", [] {
        KeyDecoder().StopGapTimer();
        StopKeyInputs();
    });
}
