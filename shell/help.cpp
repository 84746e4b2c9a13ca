#include "shell/help.h"

#include "shell/aboutbox.h"
#include "shell/accessiblenames.h"
#include "shell/effectwindows.h"
#include "shell/enginehost_mainwindow.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/releasecheck.h"
#include "shell/schematics.h"
#include "shell/sidewindows.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QUrl>
#include <QVBoxLayout>

// The pages are in a static library: their registration has to be pulled in by name.
static void initHelpResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(help);
        return true;
    }();
    (void)registered;
}

std::function<void(const QString &target)> ShellOpenHandler = [](const QString &target) {
    QDesktopServices::openUrl(QUrl::fromUserInput(target, QDir::currentPath(), QUrl::AssumeLocalFile));
};

std::function<bool(const QString &program, const QStringList &arguments)> StartDetachedHandler =
    [](const QString &program, const QStringList &arguments) { return QProcess::startDetached(program, arguments); };

namespace {

constexpr Tr kHelpTitle("KESTRELON help", "KESTRELON súgó", "KESTRELON Hilfe", "Aide de KESTRELON",
                        "Guida di KESTRELON", "Ajuda do KESTRELON", "Ayuda de KESTRELON");
constexpr Tr kHelpContents("Contents", "Tartalom", "Inhalt", "Sommaire", "Indice", "Índice", "Índice");
constexpr Tr kHelpBack("Back", "Vissza", "Zurück", "Retour", "Indietro", "Voltar", "Atrás");
constexpr Tr kHelpNotFound("This help page was not found.", "Ez a súgóoldal nem található.",
                           "Diese Hilfeseite wurde nicht gefunden.", "Cette page d'aide est introuvable.",
                           "Questa pagina della guida non è stata trovata.", "Esta página de ajuda não foi encontrada.",
                           "No se encontró esta página de ayuda.");

// The Help menu's items (MenunewVersion's caption is the shell's own row).
constexpr TextRow kTexts[] = {
    {"MenuHelpTopic", TextKind::Caption, Tr("&Help", "&Súgó", "&Hilfe", "&Aide", "&Aiuto", "A&juda", "A&yuda")},
    {"About1", TextKind::Caption, Tr("&Info", "&Info", "&Info", "&Info", "&Info", "&Info", "&Info")},
    {"MenuInfoVersion", TextKind::Caption,
     Tr("Look for a new release at start", "Frissítés keresése indításkor", "Beim Start nach neuer Version suchen",
        "Chercher une nouvelle version au démarrage", "Cercare una nuova versione all'avvio",
        "Procurar nova versão ao iniciar", "Buscar una nueva versión al iniciar")},
    {"MenuSchematics", TextKind::Caption,
     Tr("Interface schematics", "Illesztö kapcsolási rajzai", "Schaltpläne der Schnittstelle", "Schémas d'interface",
        "Schemi d'interfaccia", "Esquemas de interface", "Esquemas de interfaz")},
};
static_assert(allLanguagesPresent(kTexts, [](const TextRow &row) -> const Tr & { return row.text; }));

struct NamedContext {
    const char *name;
    int context;
};

constexpr NamedContext kHelpButtons[] = {
    {"ButtonSpeedHelp", 5},           {"ButtonLevelHelp", 6},          {"ButtonHelpPort", 17},
    {"ButtonHelpSpacing", 19},        {"ButtonQuizHelp", 22},          {"ButtonLocalCharacterHelp", 25},
    {"ButtonLocalShortcutHelp", 25},  {"ButtonTextRecordHelp", 26},    {"ButtonCarteSonHelp", 27},
    {"ButtonLocalLessonHelp", 31},    {"ButtonLocalMessageHelp", 32},  {"ButtonMaskedTexthelp", 33},
};

constexpr NamedContext kModeButtons[] = {
    {"RadioButtonAlphabet", 12}, {"RadioButtonCodeQ", 13}, {"RadioButtonAbrev", 14}, {"RadioButtonRandom", 15},
    {"RadioButtonFile", 16},     {"RadioButtonQuiz", 22},  {"RadioButtonMonitor", 30},
};

constexpr NamedContext kSideWindows[] = {
    {"FormInfo", 1},         {"FormInstructor", 3}, {"FormNote", 3},   {"FormQSB", 3},
    {"FormNoise", 3},        {"FormDriftBMP", 3},   {"FormMonitorInfo", 30}, {"FormFilter", 30},
    {"FormhelpChoixRandom", 31},
};

// The Help menu's tests, in order: the first visible area wins.
constexpr NamedContext kMenuAreas[] = {
    {"GroupBoxRandom", 15}, {"GroupBoxMonitor", 30}, {"QuizGroupBox", 22}, {"PanelFile", 9}};

// Launchers that are not help pages but answer to their buttons the same way.
struct NamedAction {
    const char *name;
    void (*run)();
};
constexpr NamedAction kLaunchers[] = {
    {"SpeedButtonHP", SpeedButtonHPClick},
    {"SpeedButtonHelpChoixRanom", SpeedButtonHelpChoixRanomClick},
};

template <std::size_t N> int contextOf(const NamedContext (&table)[N], const QString &name)
{
    for (const NamedContext &row : table) {
        if (name == QLatin1String(row.name))
            return row.context;
    }
    return -1;
}

QPointer<THelpWindow> helpWindow;

QString pageFileName(int context)
{
    return context == HelpContents ? QStringLiteral("index.html") : QStringLiteral("%1.html").arg(context);
}

// The context of a page path ("/help/kestrelon_fr/15.html" gives 15, "index.html" the
// contents), -1 for anything else.
int contextOfPage(const QString &path)
{
    const QString file = QFileInfo(path).fileName();
    if (file == QLatin1String("index.html"))
        return HelpContents;
    static const QRegularExpression numbered(QStringLiteral("^([0-9]{1,3})\\.html$"));
    const QRegularExpressionMatch match = numbered.match(file);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// Right press on a mode radio button: its page, at once, before the release.
class ModeButtonHelp : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonPress
            && static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
            const int context = ModeButtonHelpContext(watched->objectName());
            if (context >= 0) {
                ShowHelpContext(context);
                return true;
            }
        }
        return false;
    }
};

// Connects the "?" buttons and launchers by name, and gives each side window with a help
// page its F1, when the widget is first polished (shown).
class HelpWatcher : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Polish || watched->property(kHooked).toBool())
            return false;
        const QString name = watched->objectName();
        if (auto *button = qobject_cast<QAbstractButton *>(watched)) {
            if (HelpButtonContext(name) >= 0 || isLauncher(name)) {
                watched->setProperty(kHooked, true);
                QObject::connect(button, &QAbstractButton::clicked, button,
                                 [button] { HelpButtonClick(button->objectName()); });
            }
        } else if (auto *side = qobject_cast<TSideForm *>(watched)) {
            if (SideWindowHelpContext(name) >= 0 || name == QLatin1String("FormDrift")) {
                watched->setProperty(kHooked, true);
                auto *f1 = new QShortcut(QKeySequence(Qt::Key_F1), side);
                f1->setObjectName(QStringLiteral("ShortcutHelp"));
                QObject::connect(f1, &QShortcut::activated, side, [side] { SideWindowHelp(side->objectName()); });
            }
        }
        return false;
    }

private:
    static constexpr const char *kHooked = "kestrelonHelpHooked";
    static bool isLauncher(const QString &name)
    {
        for (const NamedAction &launcher : kLaunchers) {
            if (name == QLatin1String(launcher.name))
                return true;
        }
        return false;
    }
};

} // namespace

QString HelpFolder(Language language)
{
    initHelpResources();
    return QStringLiteral(":/help/") + QFileInfo(LanguageHelpFileName(language)).completeBaseName();
}

QString HelpPagePath(Language language, int context)
{
    return HelpFolder(language) + QLatin1Char('/') + pageFileName(context);
}

THelpWindow *ExistingHelpWindow()
{
    return helpWindow.data();
}

THelpWindow *HelpWindow()
{
    if (!helpWindow) {
        helpWindow = new THelpWindow(Form1);
    }
    return helpWindow;
}

void ShowHelpContext(int context)
{
    HelpWindow()->showContext(context, CurrentLanguage());
}

void ShowHelpContents()
{
    ShowHelpContext(HelpContents);
}

int MenuHelpContext(TForm1 &form)
{
    for (const NamedContext &area : kMenuAreas) {
        if (NamedVisible(form, area.name))
            return area.context;
    }
    return HelpContents;
}

void MenuHelpClick()
{
    if (Form1)
        ShowHelpContext(MenuHelpContext(*Form1));
}

int HelpButtonContext(const QString &objectName)
{
    return contextOf(kHelpButtons, objectName);
}

int ModeButtonHelpContext(const QString &objectName)
{
    return contextOf(kModeButtons, objectName);
}

int SideWindowHelpContext(const QString &objectName)
{
    return contextOf(kSideWindows, objectName);
}

QPushButton *NewHelpButton(QWidget *parent, const char *name, const QRect &geometry, const QObject *topic)
{
    auto *button = new QPushButton(QStringLiteral("?"), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    if (topic)
        NameHelpButton(button, topic);
    return button;
}

void NameHelpButton(QWidget *button, const QObject *topic)
{
    NameAs(button, [topic = QPointer<const QObject>(topic)] {
        return NameWithin(NameText(MainWindowControl("MenuHelp")), NameText(topic));
    });
}

bool HelpButtonClick(const QString &objectName)
{
    if (const int context = HelpButtonContext(objectName); context >= 0) {
        ShowHelpContext(context);
        return true;
    }
    for (const NamedAction &launcher : kLaunchers) {
        if (objectName == QLatin1String(launcher.name)) {
            launcher.run();
            return true;
        }
    }
    return false;
}

void SideWindowHelp(const QString &objectName)
{
    if (objectName == QLatin1String("FormDrift")) {
        if (FormDriftBMP)
            FormDriftBMP->show();
        return;
    }
    if (const int context = SideWindowHelpContext(objectName); context >= 0)
        ShowHelpContext(context);
}

void SpeedButtonHelpChoixRanomClick()
{
    TSideForm *card = SideWindowAt(SideWindowPlace::ChoiceHelpCard);
    if (!card)
        return;
    card->setVisible(!card->isVisible());
}

void SpeedButtonHPClick()
{
    // The first mixer that starts; none at all is not worth a message.
    static const struct {
        const char *program;
        const char *argument;
    } mixers[] = {
        {"pavucontrol", nullptr},          {"pwvucontrol", nullptr}, {"pavucontrol-qt", nullptr},
        {"gnome-control-center", "sound"}, {"xfce4-mixer", nullptr}, {"kmix", nullptr},
    };
    for (const auto &mixer : mixers) {
        QStringList arguments;
        if (mixer.argument)
            arguments << QString::fromLatin1(mixer.argument);
        if (StartDetachedHandler(QString::fromLatin1(mixer.program), arguments))
            return;
    }
}

void MenuSchematicsClick()
{
    // The user's own picture of that name is shown; without one, the program's own is written
    // there first. A folder that cannot take it opens nothing: the desktop's handler would
    // complain in our place.
    const QString picture = QDir::current().absoluteFilePath(QStringLiteral("pc_tx.bmp"));
    if (ProvideSchematicsFile(picture))
        ShellOpen(picture);
}

void About1Click()
{
    if (!FormInfo)
        return;
    FormInfo->show();
    FormInfo->raise();
    FormInfo->activateWindow();
}

void ShellOpen(const QString &target)
{
    if (ShellOpenHandler)
        ShellOpenHandler(target);
}

void BuildHelpMenu(TForm1 &form)
{
    QMenu *menu = form.MenuHelp;
    auto addItem = [menu](const char *name, const char *caption, void (*handler)()) {
        QAction *item = menu->addAction(QString::fromUtf8(caption));
        item->setObjectName(QString::fromLatin1(name));
        QObject::connect(item, &QAction::triggered, item, [handler] { handler(); });
        return item;
    };
    addItem("MenuHelpTopic", "&Help", MenuHelpClick)->setShortcut(QKeySequence(Qt::Key_F1));
    addItem("About1", "&Info", About1Click)->setShortcut(QKeySequence(Qt::Key_F2));
    menu->addSeparator();
    BuildReleaseCheckItems(form, menu);
    addItem("MenuSchematics", "Interface schematics", MenuSchematicsClick);
    RegisterMainWindowTexts(kTexts);

    auto *modeHelp = new ModeButtonHelp(&form);
    for (QRadioButton *mode : {form.RadioButtonAlphabet, form.RadioButtonCodeQ, form.RadioButtonAbrev,
                               form.RadioButtonRandom, form.RadioButtonFile, form.RadioButtonQuiz,
                               form.RadioButtonMonitor})
        mode->installEventFilter(modeHelp);

    // One watcher for the whole run, whatever main windows come and go.
    static QPointer<HelpWatcher> watcher;
    if (!watcher) {
        watcher = new HelpWatcher(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(watcher);
    }
}

// ---- The help window ------------------------------------------------------------------------

void THelpBrowser::doSetSource(const QUrl &name, QTextDocument::ResourceType type)
{
    auto *window = qobject_cast<THelpWindow *>(this->window());
    QUrl page = name;
    if (name.scheme() == QLatin1String("qrc")) {
        static const QRegularExpression inFolder(QStringLiteral("^/help/kestrelon_[a-z]{2}/(.*)$"));
        const QString path = name.path();
        if (!QFile::exists(QLatin1Char(':') + path)) {
            const QRegularExpressionMatch match = inFolder.match(path);
            const QString english = HelpFolder(Language::English).mid(1) + QLatin1Char('/') + match.captured(1);
            if (match.hasMatch() && QFile::exists(QLatin1Char(':') + english)) {
                page.setPath(english);
            } else {
                clear();
                setHtml(QStringLiteral("<html><body><h2>%1</h2><p>%2</p></body></html>")
                            .arg(PickIn(kHelpNotFound, window ? window->language_ : CurrentLanguage()),
                                 path.toHtmlEscaped()));
                if (window) {
                    window->shown_ = -1;
                    window->updateTexts();
                }
                return;
            }
        }
    }
    QTextBrowser::doSetSource(page, type);
    if (window) {
        window->shown_ = contextOfPage(page.path());
        window->updateTexts();
    }
}

THelpWindow::THelpWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    resize(640, 520);
    HelpBrowser = new THelpBrowser(this);
    HelpBrowser->setObjectName(QStringLiteral("HelpBrowser"));
    HelpBrowser->setOpenExternalLinks(true);
    ButtonHelpContents = new QPushButton(this);
    ButtonHelpContents->setObjectName(QStringLiteral("ButtonHelpContents"));
    ButtonHelpBack = new QPushButton(this);
    ButtonHelpBack->setObjectName(QStringLiteral("ButtonHelpBack"));
    ButtonHelpBack->setEnabled(false);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(ButtonHelpContents);
    buttons->addWidget(ButtonHelpBack);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(HelpBrowser);

    connect(ButtonHelpContents, &QPushButton::clicked, this, [this] { showContext(HelpContents, language_); });
    connect(ButtonHelpBack, &QPushButton::clicked, HelpBrowser, &QTextBrowser::backward);
    connect(HelpBrowser, &QTextBrowser::backwardAvailable, ButtonHelpBack, &QPushButton::setEnabled);
    updateTexts();
}

void THelpWindow::showContext(int context, Language language)
{
    language_ = language;
    HelpBrowser->setSource(QUrl(QStringLiteral("qrc") + HelpPagePath(language, context)));
    show();
    raise();
    activateWindow();
}

void THelpWindow::updateTexts()
{
    // The page's own title, as its heading reads (a missing page has none).
    const QString help = PickIn(kHelpTitle, language_);
    const QString page = shown_ == HelpContents ? PickIn(kHelpContents, language_) : HelpBrowser->documentTitle();
    setWindowTitle(page.isEmpty() || page == help ? help : help + QStringLiteral(" - ") + page);
    ButtonHelpContents->setText(PickIn(kHelpContents, language_));
    ButtonHelpBack->setText(PickIn(kHelpBack, language_));
}
