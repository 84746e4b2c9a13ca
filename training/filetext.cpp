#include "training/filetext.h"

#include "engine/cp1252.h"
#include "engine/random.h"
#include "shell/accessiblenames.h"
#include "shell/datafolders.h"
#include "shell/download.h"
#include "shell/enginehost_mainwindow.h"
#include "shell/formdialog.h"
#include "shell/instructorlock.h"
#include "shell/languages/languages.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/opendialogs.h"
#include "shell/settingskeys.h"
#include "shell/sidewindows.h"
#include "shell/soundengine.h"
#include "shell/startup.h"
#include "shell/systembeep.h"
#include "shell/utilities.h"
#include "training/entrysheet.h"
#include "training/filetextcore.h"
#include "training/masked.h"
#include "training/typing.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QTextBlock>
#include <QTimer>
#include <QToolButton>

#include <memory>
#include <thread>

namespace {

FileTextModule module;

constexpr char Placeholder[] = "MemoFile";
constexpr int EscapeKey = 27;
constexpr int SpaceKey = 32;

constexpr TextRow FileTexts[] = {
    {"ButtonPlayFile", TextKind::Caption,
     Tr("Play F&ile", "Fájl &lejátszása", "Datei ab&spielen", "Jouer F&ichier", "Suona F&ile", "Tocar F&icheiro",
        "Tocar &archivo")},
    {"ButtonContinueFile", TextKind::Caption,
     Tr("Resume F&ile", "Fájl &folytatása", "Datei &fortsetzen", "Reprendre F&ichier", "Riprendi F&ile",
        "Retomar F&icheiro", "Reanudar &archivo")},
    {"SpeedButtonUFT8", TextKind::Hint, Alike("UFT8 => ANSI")},
    {"SpeedButtonUFT8", TextKind::Caption, Alike("U>A")},
    {"MenuPosFile", TextKind::Caption,
     Tr("FILE: On opening, change starting position by click", "FÁJL: megnyitáskor a kezdöpont kattintással választható",
        "DATEI: Beim Öffnen Startposition per Klick wählen", "FICHIER : à l'ouverture, position de départ par clic",
        "FILE: all'apertura, posizione iniziale con un clic", "FICHEIRO: ao abrir, posição inicial por clique",
        "ARCHIVO: al abrir, posición inicial con un clic")},
    {"menuspacefile", TextKind::Caption,
     Tr("FILE: Add a space at the end of each line", "FÁJL: szóköz minden sor végén",
        "DATEI: Leerzeichen am Ende jeder Zeile", "FICHIER : ajouter un espace à la fin de chaque ligne",
        "FILE: aggiungi uno spazio alla fine di ogni riga", "FICHEIRO: acrescentar um espaço no fim de cada linha",
        "ARCHIVO: añadir un espacio al final de cada línea")},
    {"MenuOptionsFileNews", TextKind::Caption,
     Tr("FILE: Download the AFP news for the names AFP_News_xx.txt",
        "FÁJL: AFP hírek letöltése az AFP_News_xx.txt nevekhez",
        "DATEI: AFP-Nachrichten für die Namen AFP_News_xx.txt laden",
        "FICHIER : télécharger les nouvelles AFP pour les noms AFP_News_xx.txt",
        "FILE: scarica le notizie AFP per i nomi AFP_News_xx.txt",
        "FICHEIRO: descarregar as notícias AFP para os nomes AFP_News_xx.txt",
        "ARCHIVO: descargar las noticias AFP para los nombres AFP_News_xx.txt")},
};
static_assert(allLanguagesPresent(FileTexts, [](const TextRow &row) -> const Tr & { return row.text; }));

constexpr Tr WarningFileText(
    "WARNING : Only ASCII / ANSI files supported. If your text is UFT8, depress once the button [U>A] to convert into ANSI",
    "FIGYELEM : csak ASCII / ANSI fájlok használhatók. Ha a szöveg UFT8, nyomd meg egyszer az [U>A] gombot az ANSI "
    "átalakításhoz",
    "ACHTUNG : Nur ASCII / ANSI-Dateien werden unterstützt. Ist Ihr Text UFT8, drücken Sie einmal die Taste [U>A], um "
    "ihn in ANSI umzuwandeln",
    "ATTENTION : seuls les fichiers ASCII / ANSI sont pris en charge. Si votre texte est en UFT8, appuyez une fois sur "
    "le bouton [U>A] pour le convertir en ANSI",
    "ATTENZIONE : sono supportati solo file ASCII / ANSI. Se il testo è UFT8, premere una volta il pulsante [U>A] per "
    "convertirlo in ANSI",
    "ATENÇÃO : só são suportados ficheiros ASCII / ANSI. Se o texto for UFT8, prima uma vez o botão [U>A] para o "
    "converter em ANSI",
    "ATENCIÓN : solo se admiten archivos ASCII / ANSI. Si su texto es UFT8, pulse una vez el botón [U>A] para "
    "convertirlo a ANSI");

constexpr Tr FileTextNameText("Text of the file", "A fájl szövege", "Text der Datei", "Texte du fichier",
                               "Testo del file", "Texto do ficheiro", "Texto del archivo");
static_assert(allLanguagesPresent(std::initializer_list<Tr>{FileTextNameText}, [](const Tr &row) -> const Tr & { return row; }));

// Shown for a file that cannot be opened, in every language.
constexpr char CannotOpenFileText[] = "Ne peut ouvrir le fichier";

TForm1 &form()
{
    return *Form1;
}

EngineState &state()
{
    return Form1->Engine;
}

bool demoVisible()
{
    return SideWindowVisible(SideWindowPlace::DemoView);
}

QWidget *widgetNamed(const char *name)
{
    return WidgetNamed(&form(), name);
}

void setShown(const char *name, bool shown)
{
    SetShownNamed(&form(), name, shown);
}

void setEnabledNamed(const char *name, bool enabled)
{
    SetEnabledNamed(&form(), name, enabled);
}

bool textHidden()
{
    const QPalette &palette = module.FileEdit->palette();
    return palette.color(QPalette::Text) == palette.color(QPalette::Base);
}

// The box position of a caret, and the caret of a box position (the box cuts long lines).
int boxPosition(int caret)
{
    return static_cast<int>(module.Rows.BoxPositionOf(static_cast<std::size_t>(std::max(0, caret))));
}

int caretOf(int boxPosition)
{
    return static_cast<int>(module.Rows.CaretOf(static_cast<std::size_t>(std::max(0, boxPosition))));
}

// The box's line breaks are paragraph separators; the engine compares them with its LF.
std::optional<unsigned char> boxCharacterAt(int caret)
{
    QTextDocument *document = module.FileEdit->document();
    const int position = boxPosition(caret);
    if (caret < 0 || position >= document->characterCount() - 1)
        return std::nullopt;
    const QChar ch = document->characterAt(position);
    if (ch == QChar::ParagraphSeparator)
        return static_cast<unsigned char>('\n');
    return cp1252::fromUnicode(ch.unicode());
}

void setCaret(int caret)
{
    QTextCursor cursor = module.FileEdit->textCursor();
    const int last = module.FileEdit->document()->characterCount() - 1;
    cursor.setPosition(std::clamp(boxPosition(caret), 0, std::max(0, last)));
    module.FileEdit->setTextCursor(cursor);
}

// Guards the box's change handler while the program itself writes the box.
bool writingBox = false;

void setBoxText(const QString &text)
{
    writingBox = true;
    module.FileEdit->setPlainText(text);
    writingBox = false;
}

void focusTextUnlessDemo()
{
    if (!demoVisible())
        module.FileEdit->setFocus();
}

// Play shown and enabled, Continue hidden and disabled, or the other way round.
void offerPlay(bool play)
{
    module.ButtonPlayFile->setVisible(play);
    module.ButtonPlayFile->setEnabled(play);
    module.ButtonContinueFile->setVisible(!play);
    module.ButtonContinueFile->setEnabled(!play);
}

// The box is read-only while a text plays, while Continue is offered, and while a click
// only chooses the reading position.
void updateReadOnly()
{
    module.FileEdit->setReadOnly(state().TextPlaying || module.ButtonPlayFile->isHidden()
                                 || module.MenuPosFile->isChecked() || module.Rows.Any());
}

void resetPositions()
{
    EngineState &s = state();
    s.FileTextIndex = 0;
    s.FileSelStart = 0;
    s.FileTextStart = 0;
    s.FileTextPos = 0;
    s.DemoPos = 0;
}

// The other modes' lists and boxes go; the file panel comes.
void showFilePanel()
{
    for (const char *name : {"ListAlphabet", "ListCodeQ", "ListAbreviations", "GroupBoxRandom", "QuizGroupBox",
                             "GroupBoxMonitor"})
        setShown(name, false);
    HideSideWindow(SideWindowPlace::QuizReport);
    if (NamedVisible(form(), "PanelImportLessons"))
        ClickNamed(&form(), "BitBtnCancelImport");
    module.PanelFile->show();
    module.PanelPathFile->setText(QDir::toNativeSeparators(module.ChosenFileName));
}

// The radio of whichever mode's list or box is on screen is checked again (no handler).
void recheckVisibleMode()
{
    TForm1 &f = form();
    const std::pair<const char *, QRadioButton *> modes[] = {
        {"ListAlphabet", f.RadioButtonAlphabet}, {"ListCodeQ", f.RadioButtonCodeQ},
        {"ListAbreviations", f.RadioButtonAbrev}, {"GroupBoxRandom", f.RadioButtonRandom},
        {"QuizGroupBox", f.RadioButtonQuiz},      {"GroupBoxMonitor", f.RadioButtonMonitor},
    };
    for (const auto &[box, radio] : modes) {
        if (!NamedVisible(f, box))
            continue;
        radio->setChecked(true);
        if (radio == f.RadioButtonRandom) {
            state().RandomPlaying = false;
            state().StopRequested = false;
        }
        return;
    }
}

void abandonOpening()
{
    UncheckExclusive(form().RadioButtonFile);
    module.FileDialogOpen = false;
}

std::optional<QString> chooseTextFile()
{
    OpenFileRequest request("OpenDialogFile",
                            {QStringLiteral("Text file / fichier Texte (.TXT,.KST) (*.txt *.kst)"),
                             QStringLiteral("All / Tous (*)")});
    // Any name, so that a news name can be typed when no such file exists.
    request.anyName = true;
    return ChooseFileToOpen(&form(), module.TextFolder, request);
}

// The news sentences are kept in the data folder too; a failure to write them changes
// nothing.
void saveNewsSentences(const std::vector<std::string> &sentences)
{
    QDir().mkpath(DataFolder());
    QSaveFile file(QDir(DataFolder()).filePath(QStringLiteral("AFP_News.txt")));
    if (!file.open(QIODevice::WriteOnly))
        return;
    const std::string text = filetext::JoinLines(sentences);
    file.write(text.data(), static_cast<qint64>(text.size()));
    file.commit();
}

// Controls that would start another text while the download waits. The file mode's own
// button, whose click is waiting, is not disabled under its own mouse: it is refused instead.
constexpr const char *DownloadBlocked[] = {"ButtonPlayFile", "ButtonContinueFile", "SpeedButtonUFT8", "FileEdit"};
bool downloading = false;

// The text in the box, the engine's positions at its start (opening, step 7 on).
void takeLoadedText(std::vector<std::string> lines)
{
    EngineState &s = state();
    module.FileTextLines = std::move(lines);
    // An empty file is a text too: an empty box under its name, with nothing to play.
    module.TextLoaded = true;
    ShowFileTextLines();
    setCaret(0);
    s.FileTextIndex = 0;
    s.ResumeText.clear();
    module.FileSelection = filetext::JoinLines(module.FileTextLines);
}

void disableForFilePlay()
{
    for (const char *name : {"ButtonReplayText", "RadioButtonAlphabet", "RadioButtonCodeQ", "RadioButtonAbrev",
                             "RadioButtonRandom", "RadioButtonFile", "RadioButtonQuiz", "RadioButtonMonitor",
                             "Editcaractere", "ButtonMsg1", "ButtonMsg2", "ButtonMsg3", "ButtonMsg4", "ButtonMsg5",
                             "ButtonMsg6"})
        setEnabledNamed(name, false);
}

// Play and Continue: the queue is filled by the caller; the rest is common.
void startFileText(bool queueWasEmpty, QPushButton *pressed)
{
    EngineState &s = state();
    SoundEngine().Host->showStopButton();
    disableForFilePlay();
    if (module.PanelFile->isHidden())
        showFilePanel();
    focusTextUnlessDemo();
    s.RandomPlaying = false;
    s.StopRequested = false;
    if (auto *memo = qobject_cast<QPlainTextEdit *>(widgetNamed("MemoRandom")))
        memo->setReadOnly(false);
    if (NamedChecked(form(), "MenuCacherText") && !textHidden())
        ButtonHideFileClick();
    s.TextPlaying = true;
    module.FileEdit->setReadOnly(true);
    pressed->setChecked(true);
    EditClicked = false;
    BeginTransmission(queueWasEmpty);
}

// ---- Hand-back from the engine ------------------------------------------------------------

void showSent()
{
    if (!module.FileEdit || !module.TextLoaded)
        return;
    const EngineState &s = state();
    QTextCursor cursor = module.FileEdit->textCursor();
    const int last = module.FileEdit->document()->characterCount() - 1;
    cursor.setPosition(std::clamp(boxPosition(s.FileSelStart), 0, last));
    if (!textHidden())
        cursor.setPosition(std::clamp(boxPosition(s.FileSelStart + s.FileTextIndex), 0, last), QTextCursor::KeepAnchor);
    module.FileEdit->setTextCursor(cursor);
}

// The character the engine has just reached, read from the text itself: a hidden text
// shows no selection, but its positions must still follow the queue.
std::optional<unsigned char> lastSentCharacter()
{
    if (!module.FileEdit || !module.TextLoaded)
        return std::nullopt;
    const EngineState &s = state();
    if (s.FileTextIndex <= 0)
        return std::nullopt;
    return boxCharacterAt(s.FileSelStart + s.FileTextIndex - 1);
}

bool textFinished()
{
    if (!module.FileEdit)
        return false;
    EngineState &s = state();
    setEnabledNamed("Editcaractere", true);
    ResetFileButtons();
    if (module.TextLoaded && s.ResumeText.empty() && NamedChecked(form(), "MenuContinuous") && s.TextPlaying) {
        s.TextPlaying = false;
        LoopButton = true;
        form().TimerBoucle->start();
        return true;
    }
    return false;
}

void showAgainWhenAsked()
{
    if (module.FileEdit && NamedChecked(form(), "menuMontrerText") && textHidden())
        ButtonHideFileClick();
}

// Stop shows hidden texts again; random groups have their own part in the same hook.
struct ShowHiddenFileText {
    std::function<void()> previous;
    void operator()() const
    {
        if (previous)
            previous();
        showAgainWhenAsked();
    }
};

// ---- Settings ----------------------------------------------------------------------------

void bindSettings()
{
    using Values = std::vector<std::string>;
    const auto flag = [](QAction *item) {
        return [item](Values &out) { out.push_back(item->isChecked() ? "1" : "0"); };
    };
    Settings().bind({
        {"SPACEFILE=", [](const std::string &v) { module.IniSpaceFile = v == "1"; }, flag(module.menuspacefile)},
        {"POSFILE=", [](const std::string &v) { module.IniPosFile = v == "1"; }, flag(module.MenuPosFile)},
        {"AFPNEWS=", [](const std::string &v) { module.IniNews = v == "1"; }, flag(module.MenuOptionsFileNews)},
        {"DIRLASTFILE=", [](const std::string &v) { module.TextFolder = cp1252::toQString(v); },
         [](Values &out) {
             if (!module.TextFolder.isEmpty() && QDir(module.TextFolder) != QDir(DataFolder()))
                 out.push_back(cp1252::fromQString(module.TextFolder));
         }},
    });
    AddModuleStep(ModuleStep::PushParkedSettings, "file text options", [] {
        if (module.IniSpaceFile)
            ClickMenuItem(module.menuspacefile);
        if (module.IniPosFile)
            ClickMenuItem(module.MenuPosFile);
        if (module.IniNews)
            module.MenuOptionsFileNews->setChecked(true);
    });
}

QAction *addOption(QMenu *menu, QAction *before, const char *name, const char *caption)
{
    auto *item = new QAction(QString::fromUtf8(caption), menu);
    item->setObjectName(QString::fromLatin1(name));
    item->setCheckable(true);
    menu->insertAction(before, item);
    return item;
}

// Continue's right button restarts the text.
class ContinueButtonFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonRelease
            && static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
            ButtonContinueFileMouseUp(Qt::RightButton);
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

const Tr &WarningFileRow()
{
    return WarningFileText;
}

const Tr &FileTextName()
{
    return FileTextNameText;
}

// ---- Globals --------------------------------------------------------------------------------

FileTextModule &FileText()
{
    return module;
}

NewsFetcher DownloaderNewsFetcher()
{
    return [](const std::string &url, const std::atomic<bool> &abort) {
        DownloadResult download = DownloadToMemory(url, &abort);
        return NewsFetchResult{download.ok, std::move(download.body), std::move(download.error)};
    };
}

NewsFetcher &NewsPageFetcher()
{
    static NewsFetcher fetcher = DownloaderNewsFetcher();
    return fetcher;
}

std::string &NewsSiteBase()
{
    static std::string base = [] {
        const QByteArray fromEnvironment = qgetenv("KESTRELON_NEWS_URL");
        return fromEnvironment.isEmpty() ? std::string("https://www.afp.com") : fromEnvironment.toStdString();
    }();
    return base;
}

void ResetFileButtons()
{
    if (!module.FileEdit)
        return;
    if (module.TextLoaded && !state().ResumeText.empty()) {
        offerPlay(false);
        module.FileEdit->setReadOnly(true);
        return;
    }
    offerPlay(true);
    module.ButtonPlayFile->setEnabled(module.TextLoaded);
    if (!module.TextLoaded)
        return;
    setCaret(0);
    resetPositions();
    updateReadOnly();
}

// ---- The box --------------------------------------------------------------------------------

FileTextEdit::FileTextEdit(QWidget *parent)
    : QPlainTextEdit(parent)
{
}

void FileTextEdit::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key() == Qt::Key_Escape ? EscapeKey
        : event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier ? SpaceKey
                                                                                 : 0;
    if (key != 0 && FileEditKeyPress(key)) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void FileTextEdit::mousePressEvent(QMouseEvent *event)
{
    QPlainTextEdit::mousePressEvent(event);
    FileEditMouseDown();
}

void FileTextEdit::mouseReleaseEvent(QMouseEvent *event)
{
    QPlainTextEdit::mouseReleaseEvent(event);
    FileEditMouseUp();
}

// ---- Building -------------------------------------------------------------------------------

void BuildFileTextModule(TForm1 &f)
{
    module = FileTextModule{};
    FileTextModule &m = module;

    m.PanelFile = new QFrame(f.Frame);
    m.PanelFile->setObjectName(QStringLiteral("PanelFile"));
    m.PanelFile->setGeometry(8, 118, 644, 282);
    m.PanelFile->hide();

    m.PanelPathFile = new QLabel(m.PanelFile);
    m.PanelPathFile->setObjectName(QStringLiteral("PanelPathFile"));
    m.PanelPathFile->setGeometry(8, 2, 628, 18);

    m.FileEdit = new FileTextEdit(m.PanelFile);
    m.FileEdit->setObjectName(QStringLiteral("FileEdit"));
    m.FileEdit->setGeometry(8, 22, 628, 210);
    m.FileEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m.FileEdit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    NameAs(m.FileEdit, [] { return Pick(FileTextNameText); });
    setBoxText(QString::fromLatin1(Placeholder));
    QObject::connect(m.FileEdit, &QPlainTextEdit::cursorPositionChanged, m.FileEdit, [] { FileEditSelectionChange(); });
    QObject::connect(m.FileEdit, &QPlainTextEdit::textChanged, m.FileEdit, [] {
        // The user's own edits are what is played (only while nothing plays: the box is
        // read-only then anyway).
        if (writingBox || !module.TextLoaded || state().TextPlaying || module.Rows.Any())
            return;
        module.FileTextLines = filetext::SplitLines(cp1252::fromQString(module.FileEdit->toPlainText()));
        module.FileSelection = filetext::JoinLines(module.FileTextLines);
    });

    const auto button = [](const char *name, int left, int width) {
        auto *b = new QPushButton(m.PanelFile);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(left, 240, width, 30);
        return b;
    };
    m.ButtonPlayFile = button("ButtonPlayFile", 8, 120);
    m.ButtonPlayFile->setCheckable(true);
    m.ButtonPlayFile->setText(QStringLiteral("Play F&ile"));
    QObject::connect(m.ButtonPlayFile, &QPushButton::clicked, m.ButtonPlayFile, [] { ButtonPlayFileClick(); });
    m.ButtonContinueFile = button("ButtonContinueFile", 8, 120);
    m.ButtonContinueFile->setCheckable(true);
    m.ButtonContinueFile->setText(QStringLiteral("Resume F&ile"));
    m.ButtonContinueFile->hide();
    m.ButtonContinueFile->setEnabled(false);
    m.ButtonContinueFile->installEventFilter(new ContinueButtonFilter(m.ButtonContinueFile));
    QObject::connect(m.ButtonContinueFile, &QPushButton::clicked, m.ButtonContinueFile,
                     [] { ButtonContinueFileMouseUp(Qt::LeftButton); });
    m.ButtonHideFile = button("ButtonHideFile", 134, 90);
    m.ButtonHideFile->setText(TxtHide());
    QObject::connect(m.ButtonHideFile, &QPushButton::clicked, m.ButtonHideFile, [] { ButtonHideFileClick(); });
    OnLanguageSwitch(m.ButtonHideFile, [] { SetCaption(module.ButtonHideFile, textHidden() ? TxtShow() : TxtHide()); });
    m.ButtonHideFile->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(m.ButtonHideFile, &QWidget::customContextMenuRequested, m.ButtonHideFile, [](const QPoint &at) {
        // The pop-up twins of the always-hide and always-show items, where random groups made them.
        if (auto *popup = form().findChild<QMenu *>(QStringLiteral("PopHideFile")))
            popup->popup(module.ButtonHideFile->mapToGlobal(at));
    });
    // The instructor's masked file text: hidden, and the button that would show it off.
    FollowOptionLock(InstructorLock::MaskedFile, m.ButtonHideFile, [](bool locked) {
        module.ButtonHideFile->setEnabled(!locked);
        if (locked != textHidden())
            ButtonHideFileClick();
        MaskSelection(module.FileEdit, locked);
    });

    m.SpeedButtonUFT8 = new QToolButton(m.PanelFile);
    m.SpeedButtonUFT8->setObjectName(QStringLiteral("SpeedButtonUFT8"));
    m.SpeedButtonUFT8->setGeometry(230, 240, 44, 30);
    m.SpeedButtonUFT8->setText(QStringLiteral("U>A"));
    m.SpeedButtonUFT8->setToolTip(QStringLiteral("UFT8 => ANSI"));
    QObject::connect(m.SpeedButtonUFT8, &QToolButton::clicked, m.SpeedButtonUFT8, [] { SpeedButtonUFT8Click(); });

    // Under the text, after its buttons (the demo view's and the entry sheet's too), on two
    // lines.
    m.LabelwordsFile = new QLabel(m.PanelFile);
    m.LabelwordsFile->setObjectName(QStringLiteral("LabelwordsFile"));
    m.LabelwordsFile->setGeometry(406, 236, 230, 40);
    m.LabelwordsFile->setWordWrap(true);
    m.LabelwordsFile->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    QAction *quit = f.MenuOutilsQuit;
    m.MenuPosFile = addOption(f.MenuOutils, quit, "MenuPosFile", "FILE: On opening, change starting position by click");
    QObject::connect(m.MenuPosFile, &QAction::triggered, m.MenuPosFile, [] { MenuPosFileClick(); });
    m.menuspacefile = addOption(f.MenuOutils, quit, "menuspacefile", "FILE: Add a space at the end of each line");
    m.MenuOptionsFileNews = addOption(f.MenuOutils, quit, "MenuOptionsFileNews",
                                      "FILE: Download the AFP news for the names AFP_News_xx.txt");
    f.MenuOutils->insertSeparator(quit);

    QObject::connect(f.RadioButtonFile, &QRadioButton::clicked, f.RadioButtonFile, [] { RadioButtonFileClick(); });
    RegisterMainWindowTexts(FileTexts);
    bindSettings();
    BuildMaskedTextPanel(f);

    AddFileTextKeyRoutes();
    ModeHooks &hooks = Hooks();
    hooks.fileTextShowSent = showSent;
    hooks.fileSelectionLastChar = lastSentCharacter;
    hooks.fileTextFinished = textFinished;
    hooks.fileTextShowAgain = showAgainWhenAsked;
    if (!hooks.showHiddenTexts.target<ShowHiddenFileText>())
        hooks.showHiddenTexts = ShowHiddenFileText{hooks.showHiddenTexts};
}

// ---- The text -------------------------------------------------------------------------------

void ShowFileTextLines()
{
    if (!module.TextLoaded) {
        module.Rows = filetext::ShownRows();
        setBoxText(QString::fromLatin1(Placeholder));
        return;
    }
    module.Rows = filetext::ShownRows(module.FileTextLines);
    setBoxText(FileTextForDisplay(module.FileTextLines, module.Rows));
}

QString FileTextForDisplay(const std::vector<std::string> &lines, const filetext::ShownRows &rows)
{
    std::size_t size = rows.Cuts().size();
    for (const std::string &line : lines)
        size += line.size() + 1;
    QString text;
    text.reserve(static_cast<qsizetype>(size));
    auto cut = rows.Cuts().begin();
    std::size_t lineCaret = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += QLatin1Char('\n');
        const std::string &line = lines[i];
        std::size_t from = 0;
        for (; cut != rows.Cuts().end() && *cut < lineCaret + line.size(); ++cut) {
            text += cp1252::toQString(line.substr(from, *cut - lineCaret - from));
            text += QLatin1Char('\n');
            from = *cut - lineCaret;
        }
        text += cp1252::toQString(from == 0 ? line : line.substr(from));
        lineCaret += line.size() + 1;
    }
    return text;
}

int FileTextCaret()
{
    const EngineState &s = state();
    return s.FileSelStart + s.FileTextIndex;
}

// ---- Handlers -------------------------------------------------------------------------------

void RadioButtonFileClick()
{
    TForm1 &f = form();
    EngineState &s = state();
    if (downloading)
        return;
    if (!f.ButtonStop->isHidden()) {
        UncheckExclusive(f.RadioButtonFile);
        recheckVisibleMode();
        return;
    }
    // 1. Lines down (a line that powers the keyer stays), the sidetone silent.
    SoundEngine().Host->releaseKeyingLines();
    CallHook(Hooks().sidetoneOff);

    // 2. A loaded text comes back at once; the first time, the encoding warning.
    if (module.TextLoaded) {
        showFilePanel();
        s.RandomPlaying = false;
        s.StopRequested = false;
        if (!textHidden()) {
            s.FileTextPos = s.FileTextIndex;
            setCaret(FileTextCaret());
        }
        focusTextUnlessDemo();
        // The exam is offered in French only.
        setEnabledNamed("menuExamen", f.Francais1->isChecked());
        setEnabledNamed("MenuListWords", true);
        f.TimerQuiz->stop();
        SetProgramBeep(true);
    } else if (!WarnAnsiShown) {
        ShowAnsiWarning(Pick(WarningFileText));
    }

    // 3. and 4. The dialog; Cancel goes back to the mode on screen.
    module.FileDialogOpen = true;
    const std::optional<QString> chosen = chooseTextFile();
    if (!Form1 || &f != Form1)
        return; // the windows went while the dialog was open
    if (!chosen) {
        if (module.TextLoaded)
            UncheckExclusive(f.RadioButtonFile);
        recheckVisibleMode();
        module.FileDialogOpen = false;
        return;
    }

    // 5. The file, or the news in its place.
    module.NewsLoaded = false;
    const QFileInfo info(*chosen);
    std::vector<std::string> lines;
    const std::string bare = info.fileName().toStdString();
    if (module.MenuOptionsFileNews->isChecked() && filetext::NewsPagePath(bare)) {
        auto news = LoadNewsText(bare);
        if (!news) {
            // The text loaded before stays, and so does the mode on screen.
            abandonOpening();
            recheckVisibleMode();
            return;
        }
        lines = std::move(*news);
        // A page of many items meets the files' line limit (below).
        if (lines.size() > filetext::MaxTextLines) {
            module.NewsLoaded = false;
            ShowProgramMessage(MsgTextFileTooLong());
            abandonOpening();
            recheckVisibleMode();
            return;
        }
    } else {
        filetext::LoadedText loaded = filetext::LoadTextFile(QFile::encodeName(*chosen).toStdString());
        if (loaded.status == filetext::LoadStatus::CannotOpen) {
            ShowProgramMessage(CannotOpenFileText);
            abandonOpening();
            return;
        }
        // 6. One line too many: the text shown before stays.
        if (loaded.status == filetext::LoadStatus::TooLong) {
            ShowProgramMessage(MsgTextFileTooLong());
            abandonOpening();
            recheckVisibleMode();
            return;
        }
        lines = std::move(loaded.lines);
    }
    module.ChosenFileName = info.absoluteFilePath();

    // 7. The new text.
    module.PanelFile->show();
    s.FileTextStart = 0;
    if (QWidget *memo = widgetNamed("MemoRandom"))
        module.FileEdit->setFont(memo->font());
    takeLoadedText(std::move(lines));
    focusTextUnlessDemo();

    // 8. Play offered from the start of the new text.
    UncheckExclusive(f.RadioButtonFile);
    module.FileDialogOpen = false;
    showFilePanel();
    module.FileEdit->setReadOnly(false);
    if (QLineEdit *box = form().Editcaractere)
        setEnabledNamed("ButtonReplayText", !box->text().isEmpty());
    offerPlay(true);
    resetPositions();
    updateReadOnly();
    focusTextUnlessDemo();
    SoundEngine().Sender->restoreBasePitch();
    ShowEntrySheetWhenChecked();
}

std::optional<std::vector<std::string>> LoadNewsText(const std::string &fileName)
{
    const auto page = filetext::NewsPagePath(fileName);
    if (!page)
        return std::nullopt;
    const std::string url = NewsSiteBase() + std::string(*page);

    // The page comes on a worker; the user interface goes on meanwhile, without the controls
    // that would start another text.
    struct Job {
        std::atomic<bool> abort{false};
        NewsFetchResult result;
        bool finished = false;
        QEventLoop *loop = nullptr;
    };
    auto job = std::make_shared<Job>();
    QEventLoop loop;
    job->loop = &loop;
    std::vector<std::pair<QPointer<QWidget>, bool>> blocked;
    for (const char *name : DownloadBlocked) {
        if (QWidget *w = widgetNamed(name)) {
            blocked.emplace_back(w, w->isEnabled());
            w->setEnabled(false);
        }
    }
    downloading = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QCoreApplication::processEvents();
    const NewsFetcher fetcher = NewsPageFetcher();
    QPointer<QObject> receiver = qApp;
    std::thread worker([job, url, fetcher, receiver] {
        NewsFetchResult result;
        if (fetcher)
            result = fetcher(url, job->abort);
        else
            result.error = "no downloader";
        QMetaObject::invokeMethod(
            receiver.data(),
            [job, result = std::move(result)]() mutable {
                job->result = std::move(result);
                job->finished = true;
                if (job->loop)
                    job->loop->quit();
            },
            Qt::QueuedConnection);
    });
    {
        const EndedByQuit endedByQuit([&loop] { loop.quit(); });
        while (!job->finished) {
            loop.exec();
            if (!job->finished) {
                // Only a quit or the application's end stops this loop otherwise.
                job->abort = true;
                break;
            }
        }
    }
    job->loop = nullptr;
    worker.join();
    downloading = false;
    QApplication::restoreOverrideCursor();
    for (auto &[w, enabled] : blocked)
        if (w)
            w->setEnabled(enabled);

    // An error page never gets here (the downloader fails on an HTTP error status); an answer
    // that is no page, or a page without items, is refused.
    std::optional<std::vector<std::string>> sentences;
    if (job->finished && job->result.ok && filetext::LooksLikePage(job->result.body)) {
        filetext::NewsSentences parsed = filetext::ParseNewsPage(job->result.body);
        if (parsed.code == filetext::NewsOk && !parsed.sentences.empty()) {
            saveNewsSentences(parsed.sentences);
            sentences = std::move(parsed.sentences);
        }
    }
    module.NewsLoaded = sentences.has_value();
    // A quit that ended the download has nothing to report.
    if (!sentences && Form1 && !QuitStarted())
        ShowProgramMessage(MsgWebOrFileError());
    return sentences;
}

void ButtonPlayFileClick()
{
    EngineState &s = state();
    if (s.TextPlaying) {
        SoundEngine().ButtonStopClick();
        return;
    }
    module.FileSelection = module.TextLoaded ? filetext::JoinLines(module.FileTextLines) : std::string();
    if (module.FileSelection.empty()) {
        SoundEngine().Cycle->ClearQueue();
        module.ButtonPlayFile->setChecked(false);
        return;
    }
    UncheckExclusive(form().RadioButtonFile);
    Form1->EngineTone.Fade.RestartPhase(Form1->EngineTiming.Speed());
    // A masked stretch never runs on into a text played from its start.
    s.MaskActive = false;
    const bool queueWasEmpty = s.PlayQueue.empty();
    s.PlayQueue += module.FileSelection;
    if (NamedChecked(form(), "MenuContinuous"))
        s.PlayQueue += ' ';
    s.ResumeText.clear();
    setCaret(0);
    s.FileTextIndex = 0;
    s.FileTextStart = 0;
    s.FileSelStart = 0;
    startFileText(queueWasEmpty, module.ButtonPlayFile);
}

void ButtonContinueFileClick()
{
    EngineState &s = state();
    if (s.TextPlaying) {
        SoundEngine().ButtonStopClick();
        return;
    }
    if (!module.TextLoaded) {
        module.ButtonContinueFile->setChecked(false);
        return;
    }
    UncheckExclusive(form().RadioButtonFile);
    Form1->EngineTone.Fade.RestartPhase(Form1->EngineTiming.Speed());
    const bool queueWasEmpty = s.PlayQueue.empty();
    s.PlayQueue += s.ResumeText;
    if (NamedChecked(form(), "MenuContinuous"))
        s.PlayQueue += ' ';
    s.ResumeText.clear();
    s.FileTextPos = s.FileTextIndex;
    if (!textHidden())
        setCaret(FileTextCaret());
    startFileText(queueWasEmpty, module.ButtonContinueFile);
}

void ButtonContinueFileMouseUp(Qt::MouseButton button)
{
    if (state().TextPlaying) {
        SoundEngine().ButtonStopClick();
        return;
    }
    if (button == Qt::RightButton) {
        module.ButtonContinueFile->hide();
        module.ButtonPlayFile->show();
        module.ButtonPlayFile->setEnabled(true);
        module.ButtonPlayFile->setChecked(true);
        state().FileSelStart = 0;
        state().FileTextStart = 0;
        ButtonPlayFileClick();
        return;
    }
    ButtonContinueFileClick();
}

void ButtonHideFileClick()
{
    // Masked by the instructor: nothing shows the text (Stop's "always show" included).
    if (textHidden() && OptionLocked(InstructorLock::MaskedFile))
        return;
    QPalette palette = module.FileEdit->palette();
    if (!textHidden()) {
        palette.setColor(QPalette::Base, palette.color(QPalette::Text));
        module.FileEdit->setPalette(palette);
        module.ButtonHideFile->setText(TxtShow());
        showSent();
        return;
    }
    palette.setColor(QPalette::Base, QApplication::palette(module.FileEdit).color(QPalette::Base));
    module.FileEdit->setPalette(palette);
    module.ButtonHideFile->setText(TxtHide());
    EngineState &s = state();
    s.FileTextPos = s.FileTextIndex;
    setCaret(FileTextCaret());
    focusTextUnlessDemo();
}

void MenuPosFileClick()
{
    updateReadOnly();
}

void SpeedButtonUFT8Click()
{
    if (module.PanelFile->isHidden() || !module.TextLoaded || state().TextPlaying)
        return;
    const std::optional<std::string> converted = filetext::Utf8ToAnsi(filetext::JoinLines(module.FileTextLines));
    if (!converted) {
        ProgramBeep(); // not UTF-8, or converted already
        return;
    }
    module.FileTextLines = filetext::SplitLines(*converted);
    module.TextLoaded = !module.FileTextLines.empty();
    module.FileSelection = filetext::JoinLines(module.FileTextLines);
    ShowFileTextLines();
    EngineState &s = state();
    // The positions counted in the old text mean nothing in the new one.
    s.ResumeText.clear();
    resetPositions();
    offerPlay(true);
    updateReadOnly();
    setCaret(0);
}

bool FileEditKeyPress(int key)
{
    EngineState &s = state();
    if (key == EscapeKey) {
        static constexpr PanelExit EscapePanels[] = {
            {"PanelChoixRandom", "ButtonCancelChoix"},    {"PanelLocalCharacters", "ButtonLocalCaractereExit"},
            {"PanelLocalShortcut", "ButtonShortcutExit"}, {"PanelLocalLesson", "ButtonLocalLessonExit"},
            {"PanelEspace", "BitBtnOKEspace"},            {"PanelTextRecord", "BitBtnNoRecord"},
        };
        if (CloseFirstShownPanel(&form(), EscapePanels))
            return true;
        if (s.TextPlaying)
            SoundEngine().ButtonStopClick();
        else if (s.PlayQueue.empty())
            form().ButtonQuitterClick();
        return true;
    }
    if (key == SpaceKey) {
        if (s.TextPlaying) {
            SoundEngine().ButtonStopClick();
            return true;
        }
        if (s.PlayQueue.empty() && module.FileEdit->hasFocus() && !module.ButtonContinueFile->isHidden()) {
            ButtonContinueFileClick();
            return true;
        }
    }
    return false;
}

void FileEditMouseDown()
{
    if (state().TextPlaying)
        setCaret(0);
}

void FileEditMouseUp()
{
    EngineState &s = state();
    if (module.FileDialogOpen) {
        module.FileDialogOpen = false;
        return;
    }
    if (s.TextPlaying || !module.TextLoaded)
        return;
    const bool continueShown = !module.ButtonContinueFile->isHidden();
    if (!continueShown && !module.MenuPosFile->isChecked())
        return;
    const int caret = caretOf(module.FileEdit->textCursor().position());
    s.FileSelStart = caret;
    setCaret(caret);
    s.FileTextIndex = 0;
    s.DemoPos = caret;
    s.FileTextStart = 0;
    s.FileTextPos = 0;
    module.FileSelection = filetext::JoinLines(module.FileTextLines);
    // The box counts one position per line break, the text two (CR LF).
    const std::size_t from = filetext::QueueIndexOfCaret(module.FileTextLines, static_cast<std::size_t>(caret));
    s.ResumeText = module.FileSelection.substr(std::min(from, module.FileSelection.size()));
    if (!continueShown) {
        offerPlay(false);
        module.FileEdit->setReadOnly(true);
    }
}

void FileEditSelectionChange()
{
    if (demoVisible() || !module.FileEdit)
        return;
    EngineState &s = state();
    s.FileTextPos = caretOf(module.FileEdit->textCursor().position()) + s.FileTextStart;
}
