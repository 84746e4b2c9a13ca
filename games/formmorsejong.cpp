#include "games/formmorsejong.h"

#include "games/gameart.h"
#include "games/gamehandoff.h"
#include "games/gamesmodule.h"
#include "games/gamestexts.h"
#include "games/gamewidgets.h"
#include "shell/help.h"
#include "shell/mainwindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QColorDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include <climits>

using jong::Game;

namespace {

// A counter of the settings file, one more, held within its range.
void countOne(int &counter)
{
    if (counter < INT_MAX)
        ++counter;
}

QString selectedFace(char c)
{
    return QString::fromStdString(jong::FaceName(c)) + QLatin1Char(c);
}

} // namespace

TFormMorseJong *FormMorseJong = nullptr;

TFormMorseJong::TFormMorseJong(QWidget *parent)
    : TSideForm("FormMorseJong", parent), LanguageAware(this)
{
    setWindowTitle(QStringLiteral("Zidid-Uvar, le Mah-jong pour le code Morse"));
    m_steps = new GameSteps(this);

    MainMenu = new QMenuBar(this);
    MainMenu->setObjectName(QStringLiteral("MainMenu"));
    MenuDeal = AddNamedAction(MainMenu, "MenuDeal", QStringLiteral("Nouvelle partie"));
    MenuRejouerPartie = AddNamedAction(MainMenu, "MenuRejouerPartie", QStringLiteral("Recommencer cette partie"));
    MenuResoudrePartie = AddNamedAction(MainMenu, "MenuResoudrePartie", QStringLiteral("Résoudre cette partie"));
    MenuConseil = AddNamedAction(MainMenu, "MenuConseil", QStringLiteral("Conseil"));
    MenuStats = AddNamedMenu(MainMenu, "MenuStats", QStringLiteral("Statistiques"));
    MenuPartiesjouees = AddNamedAction(MenuStats, "MenuPartiesjouees", QString());
    MenuPartiesgagnees = AddNamedAction(MenuStats, "MenuPartiesgagnees", QString());
    Menutauxdereussite = AddNamedAction(MenuStats, "Menutauxdereussite", QString());
    MenuStats->addSeparator();
    MenuRemettreazero = AddNamedAction(MenuStats, "MenuRemettreazero", QStringLiteral("Remise à zéro"));
    MenuCouleurFond = AddNamedAction(MainMenu, "MenuCouleurFond", QStringLiteral("Couleur de fond"));
    menuQuit = AddNamedAction(MainMenu, "menuQuit", QStringLiteral("Fermer"));
    menuhelp = AddNamedAction(MainMenu, "menuhelp", QStringLiteral("?"));
    MenuRejouerPartie->setEnabled(false);
    MenuResoudrePartie->setEnabled(false);
    MenuConseil->setEnabled(false);

    // Two items without a menu, reached by their shortcuts only.
    MenuShowResolve = new QAction(this);
    MenuShowResolve->setObjectName(QStringLiteral("MenuShowResolve"));
    MenuShowResolve->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_R));
    addAction(MenuShowResolve);
    MenuMute = new QAction(this);
    MenuMute->setObjectName(QStringLiteral("MenuMute"));
    MenuMute->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_M));
    addAction(MenuMute);

    const int menuHeight = MainMenu->sizeHint().height();
    m_content = new QWidget(this);
    m_content->setGeometry(0, menuHeight, DesignWidth, DesignHeight);
    m_board = new QWidget(m_content);
    m_board->setObjectName(QStringLiteral("Board"));
    m_board->setGeometry(0, 0, DesignWidth, DesignHeight);

    // The tiles in board order, which is also the order they are drawn: each above the
    // tiles it covers.
    for (int n = 1; n <= jong::TileCount; ++n) {
        const auto cell = jong::CellOf(n);
        const int lift = 9 * (jong::LayerOfRow(cell->row) - 1);
        auto *tile = new GameTile(n, m_board);
        tile->move(10 + 81 * (cell->column - 1) - lift, 8 + 61 * (jong::FloorRow(cell->row) - 1) - lift);
        connect(tile, &GameTile::tileClicked, this, &TFormMorseJong::ImageTile1Click);
        Tiles[n] = tile;
    }

    Label2 = new QLabel(m_content);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(10, 522, 300, 22);
    StaticText1 = new QLabel(m_content);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    StaticText1->setGeometry(10, 440, 980, 100);
    StaticText1->setWordWrap(true);
    StaticText1->setAutoFillBackground(true);
    StaticText1->hide();

    GroupBoxFin = new QGroupBox(m_content);
    GroupBoxFin->setObjectName(QStringLiteral("GroupBoxFin"));
    GroupBoxFin->setGeometry(340, 170, 320, 170);
    GroupBoxFin->setAutoFillBackground(true);
    ImageFinHa = PictureLabel(GroupBoxFin, "ImageFinHa", PictureJongWin, QRect(20, 30, 64, 64));
    ImageFinHo = PictureLabel(GroupBoxFin, "ImageFinHo", PictureJongDeadEnd, QRect(20, 30, 64, 64));
    LabelFin = new QLabel(GroupBoxFin);
    LabelFin->setObjectName(QStringLiteral("LabelFin"));
    LabelFin->setGeometry(96, 30, 210, 64);
    LabelFin->setWordWrap(true);
    ButtonFin = new QPushButton(QStringLiteral("OK"), GroupBoxFin);
    ButtonFin->setObjectName(QStringLiteral("ButtonFin"));
    ButtonFin->setGeometry(120, 118, 80, 30);
    GroupBoxFin->hide();

    resize(DesignWidth, DesignHeight + menuHeight);
    setMaximumSize(5000, 5000);
    ApplyColour(0x80FF80);

    connect(MenuDeal, &QAction::triggered, this, [this] { MenuDealClick(); });
    connect(MenuRejouerPartie, &QAction::triggered, this, [this] { MenuRejouerPartieClick(); });
    connect(MenuResoudrePartie, &QAction::triggered, this, [this] { MenuResoudrePartieClick(); });
    connect(MenuConseil, &QAction::triggered, this, [this] { MenuConseilClick(); });
    connect(MenuShowResolve, &QAction::triggered, this, [this] { MenuShowResolveClick(); });
    connect(MenuMute, &QAction::triggered, this, [this] { MenuMuteClick(); });
    connect(MenuCouleurFond, &QAction::triggered, this, [this] { MenuCouleurFondClick(); });
    connect(MenuRemettreazero, &QAction::triggered, this, [this] { MenuRemettreazeroClick(); });
    connect(menuhelp, &QAction::triggered, this, [this] { menuhelpClick(); });
    connect(menuQuit, &QAction::triggered, this, [this] { menuQuitClick(); });
    connect(ButtonFin, &QPushButton::clicked, this, [this] { ButtonFinClick(); });
}

// ---- Window -----------------------------------------------------------------------------------

void TFormMorseJong::retranslate()
{
    using namespace gametexts;
    setWindowTitle(Pick(JongCaption));
    MenuDeal->setText(Pick(NewGame));
    MenuRejouerPartie->setText(Pick(RestartGame));
    MenuResoudrePartie->setText(Pick(SolveGame));
    MenuConseil->setText(Pick(Suggestion));
    MenuCouleurFond->setText(Pick(BackgroundColour));
    UpdateJongStatistics();
}

void TFormMorseJong::showEvent(QShowEvent *event)
{
    UpdateJongStatistics();
    TSideForm::showEvent(event);
    if (JongFirstShow) {
        JongFirstShow = false;
        MenuDealClick();
    }
}

void TFormMorseJong::closeEvent(QCloseEvent *event)
{
    if (Form1)
        Form1->Engine.JongPlaying = false;
    if (SolvingJong)
        stopSolving();
    else
        settleSteps();
    TSideForm::closeEvent(event);
}

void TFormMorseJong::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        if (SolvingJong)
            stopSolving();
        event->accept();
        return;
    }
    TSideForm::keyPressEvent(event);
}

void TFormMorseJong::ApplyColour(int setting)
{
    QPalette palette = m_content->palette();
    palette.setColor(QPalette::Window, ColourOfSetting(setting));
    m_content->setPalette(palette);
    m_content->setAutoFillBackground(true);
}

// ---- Board ------------------------------------------------------------------------------------

void TFormMorseJong::showBoard()
{
    for (int n = 1; n <= jong::TileCount; ++n) {
        const std::string &face = Game.tileFaces[n];
        Tiles[n]->setPicture(QString::fromStdString(face));
        Tiles[n]->setVisible(!face.empty());
    }
    // A match stays on screen, selected, for its half second.
    for (int n : m_lingering) {
        if (n != 0) {
            Tiles[n]->setPicture(selectedFace(m_pendingMatch.character));
            Tiles[n]->show();
        }
    }
    updateCursors();
}

void TFormMorseJong::updateCursors()
{
    std::array<bool, jong::TileCount + 1> free{};
    for (int n : jong::FreeTiles(Game.board))
        free[n] = true;
    for (int n = 1; n <= jong::TileCount; ++n) {
        if (free[n])
            Tiles[n]->setCursor(GameCursor(2));
        else
            Tiles[n]->unsetCursor();
    }
}

void TFormMorseJong::send(char character)
{
    if (SolvingJong || MuteJong)
        return;
    m_board->repaint(); // the selected tile is drawn before its sound
    HandCharacterOver(&EngineState::JongPlaying, character);
}

void TFormMorseJong::showEnd(bool win)
{
    using namespace gametexts;
    LabelFin->setText(Pick(win ? JongWin : JongDeadEnd));
    ImageFinHa->setVisible(win);
    ImageFinHo->setVisible(!win);
    GroupBoxFin->show();
    GroupBoxFin->raise();
    if (win)
        MenuConseil->setEnabled(false);
}

void TFormMorseJong::dropSteps()
{
    m_steps->cancel();
    m_activity = Activity::None;
    m_lingering = {0, 0};
    TileClickBusy = false;
}

void TFormMorseJong::settleSteps()
{
    const bool matchShown = m_activity == Activity::Match;
    const Game::Click match = m_pendingMatch;
    dropSteps();
    if (matchShown)
        showMatchEnd(match);
    else
        showBoard();
}

// ---- Handlers ---------------------------------------------------------------------------------

void TFormMorseJong::ImageTile1Click(GameTile *tile)
{
    // Tiles are not for the player while a match is shown or while solving.
    if (TileClickBusy || SolvingJong || !tile)
        return;
    if (m_activity == Activity::Hint)
        settleSteps();
    TileClickBusy = true;
    PlayTile(TileNumberOfName(tile->objectName()));
    if (m_activity != Activity::Match)
        TileClickBusy = false;
}

void TFormMorseJong::PlayTile(int n)
{
    const Game::Click click = Game.PlayTile(n);
    switch (click.kind) {
    case Game::Click::Nothing:
        return;
    case Game::Click::Deselect:
        showBoard();
        return;
    case Game::Click::Select:
    case Game::Click::Move:
        showBoard();
        send(click.character);
        return;
    case Game::Click::Match:
        break;
    }
    // Off the board at once; on screen, both selected, for half a second more.
    m_pendingMatch = click;
    m_lingering = {click.tile, click.previous};
    m_activity = Activity::Match;
    showBoard();
    send(click.character);
    if (click.win && !SolvingJong) {
        countOne(GamesState().JongWon);
        UpdateJongStatistics();
    }
    m_steps->pause(MatchShowMs);
    m_steps->act([this, click] {
        m_activity = SolvingJong ? Activity::Solve : Activity::None;
        showMatchEnd(click);
    });
    m_steps->start();
}

void TFormMorseJong::showMatchEnd(const Game::Click &click)
{
    m_lingering = {0, 0};
    if (!SolvingJong)
        TileClickBusy = false;
    showBoard();
    if (click.win || click.deadEnd)
        showEnd(click.win);
}

void TFormMorseJong::dealShown()
{
    showBoard();
    MenuRejouerPartie->setEnabled(true);
    MenuResoudrePartie->setEnabled(true);
    MenuConseil->setEnabled(true);
    if (Game.hintPair.first == 0)
        showEnd(false);
}

void TFormMorseJong::MenuDealClick()
{
    dropSteps();
    Label2->clear();
    GroupBoxFin->hide();
    Game.DealUntilDone();
    Label2->setText(QString::fromStdString(Game.error));
    StaticText1->hide();
    StaticText1->setText(QString::fromStdString(Game.placementText));
    dealShown();
    // A game counts once it has been dealt.
    if (Game.error.empty() && !SolvingJong) {
        countOne(GamesState().JongPlayed);
        UpdateJongStatistics();
    }
}

void TFormMorseJong::MenuRejouerPartieClick()
{
    dropSteps();
    GroupBoxFin->hide();
    Game.Replay();
    dealShown();
    if (!SolvingJong) {
        countOne(GamesState().JongPlayed);
        UpdateJongStatistics();
    }
}

void TFormMorseJong::MenuResoudrePartieClick()
{
    if (SolvingJong) {
        stopSolving();
        return;
    }
    SolvingJong = true;
    MenuRejouerPartieClick(); // from the first board; not counted while solving
    MenuDeal->setEnabled(false);
    MenuRejouerPartie->setEnabled(false);
    MenuConseil->setEnabled(false);
    m_activity = Activity::Solve;
    TileClickBusy = true;
    m_steps->pause(SolveClickMs);
    solveFrom(jong::TileCount);
    m_steps->start();
}

void TFormMorseJong::solveFrom(int k)
{
    // The pairs in the reverse order of their placement, one click at a time.
    m_steps->act([this, k] {
        if (k < 1) {
            stopSolving();
            return;
        }
        PlayTile(Game.placementOrder[k]);
        m_steps->pause(SolveClickMs);
        solveFrom(k - 1);
    });
}

void TFormMorseJong::stopSolving()
{
    settleSteps();
    SolvingJong = false;
    TileClickBusy = false;
    MenuDeal->setEnabled(true);
    MenuRejouerPartie->setEnabled(true);
    MenuConseil->setEnabled(true);
}

void TFormMorseJong::MenuConseilClick()
{
    const auto [first, second] = Game.hintPair;
    if (first == 0 || second == 0 || m_activity == Activity::Match || SolvingJong)
        return;
    dropSteps();
    Game.Unselect();
    showBoard();
    m_activity = Activity::Hint;
    const auto blink = [this](int tile) {
        m_steps->act([this, tile] { Tiles[tile]->setPicture(selectedFace(Game.tileFaces[tile].at(6))); });
        m_steps->pause(HintBlinkMs);
        m_steps->act([this, tile] { Tiles[tile]->setPicture(QString::fromStdString(Game.tileFaces[tile])); });
    };
    for (int k = 0; k < 5; ++k) {
        blink(first);
        blink(second);
    }
    m_steps->act([this] { m_activity = Activity::None; });
    m_steps->start();
}

void TFormMorseJong::MenuShowResolveClick()
{
    StaticText1->show();
    StaticText1->raise();
}

void TFormMorseJong::MenuMuteClick()
{
    MuteJong = !MuteJong;
}

void TFormMorseJong::MenuCouleurFondClick()
{
    const QColor chosen = QColorDialog::getColor(ColourOfSetting(GamesState().JongColor), this);
    if (!chosen.isValid())
        return;
    GamesState().JongColor = SettingOfColour(chosen);
    ApplyColour(GamesState().JongColor);
    QColorDialog::setCustomColor(0, chosen);
}

void TFormMorseJong::MenuRemettreazeroClick()
{
    GamesState().JongPlayed = 0;
    GamesState().JongWon = 0;
    UpdateJongStatistics();
}

void TFormMorseJong::menuhelpClick()
{
    ShowHelpContext(29);
}

void TFormMorseJong::ButtonFinClick()
{
    GroupBoxFin->hide();
}

void TFormMorseJong::menuQuitClick()
{
    close();
}

void TFormMorseJong::UpdateJongStatistics()
{
    using namespace gametexts;
    const GamesSettings &s = GamesState();
    MenuStats->setTitle(Pick(Statistics));
    MenuPartiesjouees->setText(Pick(GamesPlayed) + QString::number(s.JongPlayed));
    MenuPartiesgagnees->setText(Pick(GamesWon) + QString::number(s.JongWon));
    Menutauxdereussite->setText(Pick(SuccessRate) + QString::number(jong::SuccessRate(s.JongWon, s.JongPlayed))
                                + QLatin1Char('%'));
    MenuRemettreazero->setText(Pick(Reset));
    menuQuit->setText(Pick(JongClose));
}
