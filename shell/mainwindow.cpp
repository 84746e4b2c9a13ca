#include "shell/mainwindow.h"
#include "shell/accessiblenames.h"
#include "shell/utilities.h"

#include "shell/formdialog.h"
#include "shell/settingsgeometry.h"
#include "shell/help.h"
#include "shell/soundcardpanel.h"
#include "shell/speedcontrol.h"
#include "shell/modebutton.h"
#include "shell/modes.h"
#include "shell/localcharpanel.h"
#include "shell/spacingpanel.h"
#include "shell/volumecontrol.h"
#include "shell/effectbuttons.h"
#include "shell/recordpanel.h"
#include "shell/joystickport.h"
#include "shell/languages/languages.h"
#include "shell/startup.h"
#include "shell/keyrouting.h"
#include "shell/toolsutilities.h"
#include "shell/zoom.h"
#include "shell/zoomview.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionEvent>
#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>
#include <QTimer>

#include <algorithm>
#include <functional>

TForm1 *Form1 = nullptr;

namespace {

QTimer *windowTimer(QObject *owner, const char *name)
{
    auto *timer = Named(new QTimer(owner), name);
    timer->setSingleShot(false);
    return timer;
}

// The menu bar's style: the application's, with the items side by side (each keeps its own
// padding), so that the twelve menus of the longer languages fit the window.
class TightMenuBarStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override
    {
        if (metric == PM_MenuBarItemSpacing)
            return 0;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

// The main window's menu bar. Qt folds the menus that do not fit behind an overflow button,
// where nobody finds them: the bar is set a little tighter than the rest of the window (a
// point smaller, no gaps between its items), and the window is kept wide enough for the rest.
class MainMenuBar : public QMenuBar {
public:
    explicit MainMenuBar(QWidget *parent)
        : QMenuBar(parent)
    {
        auto *tight = new TightMenuBarStyle(QStyleFactory::create(QApplication::style()->name()));
        tight->setParent(this);
        setStyle(tight);
        QFont smaller = font();
        if (smaller.pointSizeF() > 0)
            smaller.setPointSizeF(smaller.pointSizeF() - 1);
        else
            smaller.setPixelSize(smaller.pixelSize() * 8 / 9);
        setFont(smaller);
    }

    // Told when a menu of the bar changes (shown, hidden, renamed).
    std::function<void()> menusChanged;

    // The width that shows every menu of the bar side by side, as Qt lays them out. A hidden
    // menu takes no room: the release menu widens the window when it appears.
    int widthForEveryMenu() const
    {
        const QStyle *s = style();
        const int spacing = s->pixelMetric(QStyle::PM_MenuBarItemSpacing, nullptr, this);
        int width = 2 * (s->pixelMetric(QStyle::PM_MenuBarPanelWidth, nullptr, this)
                         + s->pixelMetric(QStyle::PM_MenuBarHMargin, nullptr, this))
                    + spacing;
        for (QAction *menu : actions()) {
            if (menu->isSeparator() || menu->text().isEmpty() || !menu->isVisible())
                continue;
            QStyleOptionMenuItem option;
            initStyleOption(&option, menu);
            const QSize text = fontMetrics().size(Qt::TextShowMnemonic, menu->text());
            width += s->sizeFromContents(QStyle::CT_MenuBarItem, &option, text, this).width() + spacing;
        }
        return width;
    }

protected:
    void actionEvent(QActionEvent *event) override
    {
        QMenuBar::actionEvent(event);
        if (event->type() == QEvent::ActionChanged && menusChanged)
            menusChanged();
    }
};

} // namespace

TForm1::TForm1(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("KESTRELON"));
    InstallAccessibility();
    auto *bar = new MainMenuBar(this);
    setMenuBar(bar);
    bar->menusChanged = [this] { fitMenuBar(); };

    MenuOutils = Named(menuBar()->addMenu(QStringLiteral("&Tools")), "MenuOutils");
    MenuOutilsQuit = Named(MenuOutils->addAction(QStringLiteral("&Quit")), "MenuOutilsQuit");
    connect(MenuOutilsQuit, &QAction::triggered, this, &TForm1::MenuOutilsQuitClick);

    Language1 = Named(menuBar()->addMenu(QStringLiteral("&Language")), "Language1");
    English1 = addLanguage("English1");
    Magyar1 = addLanguage("Magyar1");
    Deutsch1 = addLanguage("Deutsch1");
    Francais1 = addLanguage("Francais1");
    Italiano1 = addLanguage("Italiano1");
    Portugues1 = addLanguage("Portugues1");
    Espagnol1 = addLanguage("Espagnol1");
    English1->setChecked(true); // the design-time language
    // Captions, shortcuts and the switch of the seven items.
    InstallLanguages(this);
    OnLanguageSwitch(this, [this] {
        placeModeButtons();
        fitMenuBar();
    });
    // Placed again at every step: a caption grows with the step, a button's round mark does not.
    // The bar keeps its font at every step, so the window's least width follows the larger of
    // the two.
    OnZoomChange(this, [this] {
        placeModeButtons();
        fitMenuBar();
    });

    MenuAgrandir = Named(menuBar()->addMenu(QStringLiteral("Enlarge")), "MenuAgrandir");
    MenuAgrandir100 = addZoom("MenuAgrandir100", QStringLiteral("100 %"));
    MenuAgrandir125 = addZoom("MenuAgrandir125", QStringLiteral("125 %"));
    MenuAgrandir150 = addZoom("MenuAgrandir150", QStringLiteral("150 %"));
    MenuAgrandir175 = addZoom("MenuAgrandir175", QStringLiteral("175 %"));
    MenuAgrandir200 = addZoom("MenuAgrandir200", QStringLiteral("200 %"));
    MenuAgrandir100->setChecked(true);
    auto *sizes = new QActionGroup(MenuAgrandir);
    sizes->setObjectName(QStringLiteral("EnlargeGroup"));
    for (QAction *item : MenuAgrandir->actions())
        sizes->addAction(item);

    MenuHelp = Named(menuBar()->addMenu(QStringLiteral("&Help")), "MenuHelp");

    Frame = Named(new QWidget(this), "Frame");
    setCentralWidget(Frame);

    Image1 = Named(new QLabel(Frame), "Image1");
    Image1->setGeometry(8, 8, 38, 38);

    static const struct {
        QRadioButton *TForm1::*member;
        const char *name;
        const char *caption;
        bool opensAgain; // a click while chosen runs it again (the file mode's open command)
    } modes[] = {
        {&TForm1::RadioButtonAlphabet, "RadioButtonAlphabet", "Characters", false},
        {&TForm1::RadioButtonCodeQ, "RadioButtonCodeQ", "Q codes", false},
        {&TForm1::RadioButtonAbrev, "RadioButtonAbrev", "Abbreviations", false},
        {&TForm1::RadioButtonRandom, "RadioButtonRandom", "Random", false},
        {&TForm1::RadioButtonFile, "RadioButtonFile", "File", true},
        {&TForm1::RadioButtonQuiz, "RadioButtonQuiz", "Quiz", false},
        {&TForm1::RadioButtonMonitor, "RadioButtonMonitor", "Monitor", false},
    };
    // A group of their own: on its own, a radio button counts every radio of the frame's panels
    // among its siblings, and a click on the chosen mode would uncheck it.
    auto *modeGroup = new QButtonGroup(Frame);
    for (const auto &mode : modes) {
        const QString caption = QString::fromLatin1(mode.caption);
        QRadioButton *button = mode.opensAgain ? new QRadioButton(caption, Frame) : new ModeButton(caption, Frame);
        this->*mode.member = Named(button, mode.name);
        modeGroup->addButton(button);
    }
    placeModeButtons();

    // Never seen: the engine's start is clicked by the program only.
    Button1 = Named(new QPushButton(Frame), "Button1");
    Button1->setGeometry(0, 0, 1, 1);
    Button1->hide();

    ButtonQuitter = Named(new QPushButton(QStringLiteral("Quit"), Frame), "ButtonQuitter");
    ButtonQuitter->setGeometry(DesignWidth - 92, DesignHeight - 70, 80, 28);
    connect(ButtonQuitter, &QPushButton::clicked, this, &TForm1::ButtonQuitterClick);

    ButtonStop = Named(new QPushButton(QStringLiteral("Stop"), Frame), "ButtonStop");
    ButtonStop->setGeometry(ButtonQuitter->geometry());
    ButtonStop->hide();

    Timer1 = windowTimer(this, "Timer1");
    TimerTXDelay = windowTimer(this, "TimerTXDelay");
    TimerQuiz = windowTimer(this, "TimerQuiz");
    TimerBoucle = windowTimer(this, "TimerBoucle");
    TimerLapin = windowTimer(this, "TimerLapin");
    TimerThread = windowTimer(this, "TimerThread");

    BuildRegisteredModules(*this);
    BuildSpeedControl(*this);
    BuildSpacingPanel(*this);
    BuildVolumeControl(*this);
    BuildLocalCharacterPanel(*this);
    BuildEffectButtons(*this);
    BuildRecordPanel(*this);
    BuildSoundCardPanel(*this);
    BuildJoystick(*this);
    BuildHelpMenu(*this);
    BuildToolsUtilities(*this);
    BuildZoomView(*this);
    BuildKeyboardControl(*this);
    // Last: the enlargement takes every control built before as it was designed.
    BuildEnlargement(*this);

    resize(DesignWidth, DesignHeight);
    // Never smaller than designed, so Quit and the lamps stay on screen.
    setMinimumSize(MainWindowDesignSize());
    fitMenuBar();
}

void TForm1::fitMenuBar()
{
    const int before = minimumWidth();
    const int least = std::max(MainWindowDesignSize().width(),
                               static_cast<const MainMenuBar *>(menuBar())->widthForEveryMenu());
    setMinimumWidth(least); // a narrower window grows to it
    // A window that the bar alone held wider comes back with it (another language).
    if (least < before && width() == before)
        resize(least, height());
}

TForm1::~TForm1()
{
    static_cast<MainMenuBar *>(menuBar())->menusChanged = nullptr;
    if (Form1 == this)
        Form1 = nullptr;
}

void TForm1::placeModeButtons()
{
    // One row, each button as wide as its caption in the current language.
    int left = 56;
    for (QRadioButton *mode : {RadioButtonAlphabet, RadioButtonCodeQ, RadioButtonAbrev, RadioButtonRandom,
                               RadioButtonFile, RadioButtonQuiz, RadioButtonMonitor}) {
        mode->adjustSize();
        mode->move(left, 8);
        left += ZoomToDesign(mode->width()) + 4; // the place is in design pixels
    }
}

QAction *TForm1::addLanguage(const char *name)
{
    auto *item = Named(Language1->addAction(QString::fromLatin1(name)), name);
    item->setCheckable(true);
    return item;
}

QAction *TForm1::addZoom(const char *name, const QString &caption)
{
    auto *item = Named(MenuAgrandir->addAction(caption), name);
    item->setCheckable(true);
    return item;
}

QMenu *TForm1::menuNamed(const QString &objectName) const
{
    for (QAction *action : menuBar()->actions()) {
        if (QMenu *menu = action->menu(); menu && menu->objectName() == objectName)
            return menu;
    }
    return nullptr;
}

QMenu *TForm1::addMenuNamed(const char *objectName, const QString &caption)
{
    auto *menu = new QMenu(caption, menuBar());
    menu->setObjectName(QString::fromLatin1(objectName));
    menuBar()->insertMenu(MenuHelp->menuAction(), menu);
    return menu;
}

void TForm1::addPanel(QWidget *panel)
{
    const QRect geometry = panel->geometry();
    const bool hidden = panel->isHidden();
    panel->setParent(Frame);
    panel->setGeometry(geometry);
    panel->setHidden(hidden);
}

bool TForm1::FormCreate()
{
    return MainFormCreate();
}

void TForm1::ButtonQuitterClick()
{
    QuitButton();
}

void TForm1::MenuOutilsQuitClick()
{
    QuitCommand();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // Closing the window never asks: it runs the quit command, which ends the program.
    event->ignore();
    MenuOutilsQuitClick();
}

void TForm1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    MainFormShown();
}

void TForm1::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    // While a message or question is open, the main window hands the focus back to it.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && AllFormsCreated
        && FormDialog && FormDialog->isVisible()) {
        FormDialog->raise();
        FormDialog->activateWindow();
    }
}
