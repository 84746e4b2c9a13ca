#include "games/formmemorypairs.h"

#include "games/gameart.h"
#include "games/gamehandoff.h"
#include "games/gamesmodule.h"
#include "games/gamestexts.h"
#include "games/gamewidgets.h"
#include "shell/help.h"
#include "shell/mainwindow.h"
#include "shell/utilities.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QColorDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include <algorithm>
#include <memory>

using pairs::Game;

namespace {

const QColor Green(0, 128, 0);
const QColor Red(255, 0, 0);
const QColor Blue(0, 0, 255);
const QColor Grey(128, 128, 128);
const QColor Black(0, 0, 0);

constexpr int TurningFrames[] = {155, 135, 90, 45, 25};
constexpr int ClearingFrames[] = {70, 45, 25};

template <typename W>
W *named(W *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel *label(QWidget *parent, const char *name, QRect geometry)
{
    auto *l = named(new QLabel(parent), name);
    l->setGeometry(geometry);
    return l;
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

void setText(QLabel *label, const Tr &text, const QColor &colour)
{
    label->setText(Pick(text));
    setTextColour(label, colour);
}

QString levelItemText(int level)
{
    return Pick(gametexts::LevelItem).arg(level).arg(pairs::PairsOf(level));
}

QString frameName(const char *kind, int value)
{
    return QStringLiteral("image_%1%2_pairs").arg(QLatin1String(kind)).arg(value);
}

} // namespace

TFormMemoryPairs *FormMemoryPairs = nullptr;

TFormMemoryPairs::TFormMemoryPairs(QWidget *parent)
    : TSideForm("FormMemoryPairs", parent), LanguageAware(this)
{
    setWindowTitle(QStringLiteral("Jeu de Mémoire : Trouver les paires cachées"));
    m_steps = new GameSteps(this);
    TimerPC = named(new QTimer(this), "TimerPC");
    TimerPC->setInterval(200);
    TimerPC->setSingleShot(true);

    MainMenu = named(new QMenuBar(this), "MainMenu");
    Menunewgame = AddNamedAction(MainMenu, "Menunewgame", QStringLiteral("Nouvelle partie"));
    MenuNiveau = AddNamedMenu(MainMenu, "MenuNiveau", QStringLiteral("Niveau"));
    auto *levels = new QActionGroup(MenuNiveau);
    for (int k = 0; k < pairs::Levels; ++k) {
        const QByteArray name = (k == 8 ? QByteArray("menuNiveau") : QByteArray("MenuNiveau")) + QByteArray::number(k);
        QAction *item = AddNamedAction(MenuNiveau, name.constData(), QString());
        item->setCheckable(true);
        levels->addAction(item);
        connect(item, &QAction::triggered, this, [this, k] { MenuNiveauClick(k); });
        LevelItems[k] = item;
    }
    LevelItems[1]->setChecked(true);
    menuJoueurs = AddNamedMenu(MainMenu, "menuJoueurs", QStringLiteral("Joueurs"));
    auto *players = new QActionGroup(menuJoueurs);
    MenuJoueurs1 = AddNamedAction(menuJoueurs, "MenuJoueurs1", QStringLiteral("Vous jouez seul"));
    MenuJoueurs2 = AddNamedAction(menuJoueurs, "MenuJoueurs2", QStringLiteral("Vous jouez contre Kestrelon"));
    for (QAction *item : {MenuJoueurs1, MenuJoueurs2}) {
        item->setCheckable(true);
        players->addAction(item);
    }
    MenuJoueurs1->setChecked(true);
    MenuCouleurFond = AddNamedAction(MainMenu, "MenuCouleurFond", QStringLiteral("Couleur de fond"));
    MenuFermer = AddNamedAction(MainMenu, "MenuFermer", QStringLiteral("Fermer"));
    MenuHelp = AddNamedAction(MainMenu, "MenuHelp", QStringLiteral("?"));

    const int menuHeight = MainMenu->sizeHint().height();
    m_content = new QWidget(this);
    m_content->setGeometry(0, menuHeight, DesignWidth, DesignHeight);

    PanelTile = named(new QWidget(m_content), "PanelTile");
    PanelTile->setGeometry(0, 0, 680, DesignHeight);
    PanelTile->setAutoFillBackground(true);
    for (int n = 1; n <= pairs::MaxTiles; ++n) {
        auto *tile = new GameTile(n, PanelTile);
        tile->move(10 + 81 * ((n - 1) % 8), 8 + 61 * ((n - 1) / 8));
        tile->hide();
        connect(tile, &GameTile::tileClicked, this, &TFormMemoryPairs::ImageTile1Click);
        Tiles[n] = tile;
    }

    GroupBoxScoreboard = named(new QGroupBox(m_content), "GroupBoxScoreboard");
    GroupBoxScoreboard->setGeometry(690, 6, 222, 566);
    StaticTextNiveau = label(GroupBoxScoreboard, "StaticTextNiveau", QRect(12, 24, 198, 64));
    GroupBox1Joueur = named(new QGroupBox(GroupBoxScoreboard), "GroupBox1Joueur");
    GroupBox1Joueur->setGeometry(8, 96, 206, 160);
    Label1 = label(GroupBox1Joueur, "Label1", QRect(10, 24, 186, 20));
    StaticTextCount = label(GroupBox1Joueur, "StaticTextCount", QRect(10, 46, 186, 40));
    QFont big = StaticTextCount->font();
    big.setPointSizeF(big.pointSizeF() * 2);
    big.setBold(true);
    StaticTextCount->setFont(big);
    LabelBestScore = label(GroupBox1Joueur, "LabelBestScore", QRect(10, 94, 186, 56));
    GroupBox2Joueurs = named(new QGroupBox(GroupBoxScoreboard), "GroupBox2Joueurs");
    GroupBox2Joueurs->setGeometry(8, 266, 206, 292);
    Label3 = label(GroupBox2Joueurs, "Label3", QRect(10, 24, 186, 20));
    const auto side = [&](const char *panel, const char *count, const char *text, const char *picture,
                          const char *greyPicture, const char *art, const char *greyArt, int top, QWidget *&panelOut,
                          QLabel *&countOut, QLabel *&textOut, QLabel *&pictureOut, QLabel *&greyOut) {
        panelOut = named(new QWidget(GroupBox2Joueurs), panel);
        panelOut->setGeometry(8, top, 190, 112);
        countOut = label(panelOut, count, QRect(8, 6, 60, 40));
        countOut->setFont(big);
        textOut = label(panelOut, text, QRect(8, 52, 118, 52));
        textOut->setWordWrap(true);
        pictureOut = PictureLabel(panelOut, picture, art, QRect(128, 8, 54, 54));
        greyOut = PictureLabel(panelOut, greyPicture, greyArt, QRect(128, 8, 54, 54));
    };
    side("PanelMoi", "StaticTextPairsMoi", "LabelMoi", "ImageMoi", "ImageMoiGris", PicturePairsYou, PicturePairsYouGrey,
         50, PanelMoi, StaticTextPairsMoi, LabelMoi, ImageMoi, ImageMoiGris);
    side("PanelPC", "StaticTextpairsPC", "LabelPC", "ImagePC", "ImagePCgris", PicturePairsProgram,
         PicturePairsProgramGrey, 170, PanelPC, StaticTextpairsPC, LabelPC, ImagePC, ImagePCgris);
    StaticTextCount->setText(QStringLiteral("0"));
    StaticTextPairsMoi->setText(QStringLiteral("0"));
    StaticTextpairsPC->setText(QStringLiteral("0"));
    setTurnPictures(true, false);
    ImageMoiGris->hide();
    ImagePCgris->hide();
    enableGroups(true);

    resize(DesignWidth, DesignHeight + menuHeight);
    setMaximumSize(5000, 5000);
    ApplyColour(GamesState().PairsColor);
    QColorDialog::setCustomColor(0, ColourOfSetting(GamesState().PairsColor));
    updateCursors();

    connect(Menunewgame, &QAction::triggered, this, [this] { MenunewgameClick(); });
    connect(MenuJoueurs1, &QAction::triggered, this, [this] { MenuJoueurs1Click(); });
    connect(MenuJoueurs2, &QAction::triggered, this, [this] { MenuJoueurs2Click(); });
    connect(MenuCouleurFond, &QAction::triggered, this, [this] { MenuCouleurFondClick(); });
    connect(MenuFermer, &QAction::triggered, this, [this] { MenuFermerClick(); });
    connect(MenuHelp, &QAction::triggered, this, [this] { MenuHelpClick(); });
    connect(TimerPC, &QTimer::timeout, this, [this] { TimerPCTimer(); });
}

// ---- Window -----------------------------------------------------------------------------------

void TFormMemoryPairs::retranslate()
{
    using namespace gametexts;
    setWindowTitle(Pick(PairsCaption));
    Menunewgame->setText(Pick(NewGame));
    MenuNiveau->setTitle(Pick(Level));
    for (int k = 0; k < pairs::Levels; ++k)
        LevelItems[k]->setText(levelItemText(k));
    menuJoueurs->setTitle(Pick(Players));
    MenuJoueurs1->setText(Pick(PlayAlone));
    MenuJoueurs2->setText(Pick(PlayAgainst));
    MenuFermer->setText(Pick(PairsClose));
    MenuCouleurFond->setText(Pick(BackgroundColour));
    GroupBoxScoreboard->setTitle(Pick(Scoreboard));
    GroupBox1Joueur->setTitle(Pick(PlayingAlone));
    Label1->setText(Pick(PairsTested));
    GroupBox2Joueurs->setTitle(Pick(AgainstProgram));
    Label3->setText(Pick(PairsFound));
    writeScoreboard();
    writeLevelText();
    writeBestScore();
}

void TFormMemoryPairs::showEvent(QShowEvent *event)
{
    TSideForm::showEvent(event);
    PairsFirstShow = false;

    // The first activation lays a game with the level and players of the settings.
    if (!PairsGameStarted) {
        const GamesSettings &s = GamesState();
        ClickMenuItem(LevelItems[std::clamp(s.PairsLevel, 0, pairs::Levels - 1)]);
        PairsRestoring = true;
        ClickMenuItem(s.PairsPlayers == 2 ? MenuJoueurs2 : MenuJoueurs1);
        writeLevelText();
    } else if (Game.turn == 2 && !Game.Over() && !m_steps->running() && !TimerPC->isActive()) {
        // The program's turn was due when the window closed.
        TimerPC->start(GameWaitLength()(TimerPC->interval()));
    }
}

void TFormMemoryPairs::closeEvent(QCloseEvent *event)
{
    if (m_steps->running() || TimerPC->isActive()) {
        stopSteps();
        showGameAsItIs();
    }
    TSideForm::closeEvent(event);
}

void TFormMemoryPairs::ApplyColour(int setting)
{
    QPalette palette = PanelTile->palette();
    palette.setColor(QPalette::Window, ColourOfSetting(setting));
    PanelTile->setPalette(palette);
}

// ---- Scoreboard -------------------------------------------------------------------------------

void TFormMemoryPairs::writeLevelText()
{
    using namespace gametexts;
    const int k = Game.level;
    StaticTextNiveau->setText(MenuNiveau->title() + QLatin1Char(' ') + QString::number(k) + QLatin1Char('\n')
                              + QString::number(pairs::PairsOf(k)) + QLatin1Char(' ') + Pick(PairsWord)
                              + QLatin1Char('\n') + QString::number(pairs::TileCountOf(k)) + QLatin1Char(' ')
                              + Pick(TilesWord));
}

void TFormMemoryPairs::writeBestScore()
{
    const int best = GamesState().PairsBest[Game.level];
    LabelBestScore->setText(Pick(gametexts::BestScore) + QStringLiteral(":\n")
                            + (best == pairs::NoBest ? QStringLiteral("...") : QString::number(best)));
}

void TFormMemoryPairs::writeScoreboard()
{
    using namespace gametexts;
    if (PairsFirstShow) {
        setText(LabelMoi, YouPlay, Green);
        setText(LabelPC, ProgramWaits, Red);
        return;
    }
    switch (PairsResult) {
    case 1:
        setText(LabelMoi, YouWin, Green);
        setText(LabelPC, ProgramLoses, Red);
        break;
    case 2:
        setText(LabelMoi, YouLose, Red);
        setText(LabelPC, ProgramWins, Green);
        break;
    case 3:
        setText(LabelMoi, Draw, Black);
        setText(LabelPC, Draw, Black);
        break;
    case 5:
        setText(LabelMoi, YouWait, Red);
        setText(LabelPC, ProgramPlays, Green);
        break;
    default:
        setText(LabelMoi, YouPlay, Green);
        setText(LabelPC, ProgramWaits, Red);
        break;
    }
}

void TFormMemoryPairs::setTurnPictures(bool you, bool program)
{
    ImageMoi->setVisible(you);
    ImagePC->setVisible(program);
}

void TFormMemoryPairs::showTurn(int turn)
{
    if (Game.players == 2) {
        PairsResult = turn == 2 ? 5 : 4;
        setTurnPictures(turn != 2, turn == 2);
        writeScoreboard();
    }
    updateCursors();
}

void TFormMemoryPairs::showEndTexts()
{
    PairsResult = Game.Result();
    writeScoreboard();
}

void TFormMemoryPairs::enableGroups(bool alone)
{
    GroupBox1Joueur->setEnabled(alone);
    GroupBox2Joueurs->setEnabled(!alone);
    // Only the titles take the colour; the labels inside keep their own.
    const auto title = [](QGroupBox *group, const QColor &colour) {
        group->setStyleSheet(QStringLiteral("QGroupBox::title { color: %1; }").arg(colour.name()));
    };
    title(GroupBox1Joueur, alone ? Blue : Grey);
    title(GroupBox2Joueurs, alone ? Grey : Blue);
    setTextColour(Label3, alone ? Grey : Black);
}

void TFormMemoryPairs::updateCursors()
{
    const bool programsTurn = Game.players == 2 && PairsResult == 5;
    const Qt::CursorShape shape = TileClickBusy || programsTurn ? Qt::WaitCursor : Qt::PointingHandCursor;
    for (int n = 1; n <= pairs::MaxTiles; ++n)
        Tiles[n]->setCursor(shape);
}

// ---- Timed steps ------------------------------------------------------------------------------

void TFormMemoryPairs::turnUp(int n, const QString &picture)
{
    for (int angle : TurningFrames) {
        m_steps->act([this, n, angle] { Tiles[n]->setPicture(frameName("vide", angle)); });
        m_steps->pause(FrameDelay);
    }
    m_steps->act([this, n, picture] { Tiles[n]->setPicture(picture); });
}

void TFormMemoryPairs::turnDown(int n)
{
    if (!QuickTurnDown) {
        for (int angle : TurningFrames) {
            m_steps->act([this, n, angle] { Tiles[n]->setPicture(frameName("vide", angle)); });
            m_steps->pause(FrameDelay);
        }
    }
    m_steps->act([this, n] { Tiles[n]->setPicture(QString::fromLatin1(PairsFaceDown)); });
}

void TFormMemoryPairs::clearTile(int n)
{
    for (int percent : ClearingFrames) {
        m_steps->act([this, n, percent] { Tiles[n]->setPicture(frameName("clear", percent)); });
        m_steps->pause(FrameDelay);
    }
    m_steps->act([this, n] {
        Tiles[n]->hide();
        Tiles[n]->setPicture(QString());
    });
}

// A tile is turned, drawn, sent, and the game goes on once its character has been heard.
void TFormMemoryPairs::showAndSend(int n, const QString &picture)
{
    turnUp(n, picture);
    auto queued = std::make_shared<bool>(false);
    m_steps->act([this, n, picture, queued] {
        Tiles[n]->repaint();
        *queued = HandCharacterOver(&EngineState::PairsPlaying, pairs::CharacterOf(picture.toStdString()));
    });
    m_steps->waitUntil([queued] { return !*queued || EngineIdle(); }, CharacterWaitPollMs, CharacterWaitTimeoutMs);
}

void TFormMemoryPairs::removeSlowly(int a, int b, int pairsAfter)
{
    m_steps->pause(300);
    clearTile(a);
    m_steps->pause(200);
    clearTile(b);
    m_steps->pause(400);
    m_steps->act([this, pairsAfter] { StaticTextpairsPC->setText(QString::number(pairsAfter)); });
}

void TFormMemoryPairs::stopSteps()
{
    m_steps->cancel();
    TimerPC->stop();
    QuickTurnDown = false;
}

void TFormMemoryPairs::showGameAsItIs()
{
    for (int n = 1; n <= pairs::MaxTiles; ++n) {
        const bool there = n <= Game.tileCount && Game.present[n] != pairs::Removed;
        Tiles[n]->setVisible(there);
        Tiles[n]->setPicture(!there ? QString()
                                    : Game.present[n] == pairs::FaceUp ? QString::fromStdString(Game.names[n])
                                                                       : QString::fromLatin1(PairsFaceDown));
    }
    StaticTextCount->setText(QString::number(Game.tested));
    StaticTextPairsMoi->setText(QString::number(Game.userPairs));
    StaticTextpairsPC->setText(QString::number(Game.programPairs));
    TileClickBusy = false;
    if (Game.players == 2 && Game.Over())
        showEndTexts();
    else
        showTurn(Game.turn);
    writeBestScore();
}

// ---- Handlers ---------------------------------------------------------------------------------

void TFormMemoryPairs::MenuNiveauClick(int level)
{
    LevelItems[level]->setChecked(true);
    Game.level = level;
    Game.tileCount = pairs::TileCountOf(level);
    GamesState().PairsLevel = level;
    writeLevelText();
    MenunewgameClick();
}

void TFormMemoryPairs::MenunewgameClick()
{
    using namespace gametexts;
    stopSteps();
    QuickTurnDown = true;
    Game.players = GamesState().PairsPlayers;
    Game.NewGame(Game.level);

    // The tiles are laid one after the other; no click is taken meanwhile.
    TileClickBusy = true;
    for (int n = 1; n <= pairs::MaxTiles; ++n) {
        Tiles[n]->hide();
        Tiles[n]->setPicture(QString());
    }
    for (int n = 1; n <= Game.tileCount; ++n) {
        m_steps->act([this, n] { Tiles[n]->show(); });
        turnDown(n);
        m_steps->pause(LayDelay);
    }
    m_steps->act([this] {
        QuickTurnDown = false;
        TileClickBusy = false;
        updateCursors();
    });

    Label1->setText(Pick(PairsTested));
    writeBestScore();
    if (Game.players == 1) {
        StaticTextCount->setText(QStringLiteral("0"));
    } else {
        StaticTextPairsMoi->setText(QStringLiteral("0"));
        StaticTextpairsPC->setText(QStringLiteral("0"));
        setTurnPictures(true, false);
        PairsResult = 4;
        writeScoreboard();
    }
    PairsGameStarted = true;
    updateCursors();
    m_steps->start();
}

void TFormMemoryPairs::MenuJoueurs1Click()
{
    MenuJoueurs1->setChecked(true);
    GamesState().PairsPlayers = 1;
    Game.players = 1;
    Game.turn = 1;
    enableGroups(true);
    // The picture of whoever had the turn turns grey.
    const bool youHadIt = !ImageMoi->isHidden();
    const bool programHadIt = !ImagePC->isHidden();
    setTurnPictures(false, false);
    ImageMoiGris->setVisible(youHadIt);
    ImagePCgris->setVisible(programHadIt && !youHadIt);
    Label1->setText(Pick(gametexts::PairsTested));
    writeBestScore();
    if (PairsRestoring)
        PairsRestoring = false;
    else
        MenunewgameClick();
}

void TFormMemoryPairs::MenuJoueurs2Click()
{
    MenuJoueurs2->setChecked(true);
    GamesState().PairsPlayers = 2;
    Game.players = 2;
    Game.turn = 1;
    enableGroups(false);
    Game.userPairs = Game.programPairs = 0;
    StaticTextPairsMoi->setText(QStringLiteral("0"));
    StaticTextpairsPC->setText(QStringLiteral("0"));
    setTurnPictures(true, false);
    ImageMoiGris->hide();
    ImagePCgris->hide();
    PairsResult = 4;
    writeScoreboard();
    if (PairsRestoring)
        PairsRestoring = false;
    else
        MenunewgameClick();
}

void TFormMemoryPairs::ImageTile1Click(GameTile *tile)
{
    if (TileClickBusy || !tile)
        return;
    const int n = TileNumberOfName(tile->objectName());
    const QString picture = QString::fromStdString(n >= 1 && n <= pairs::MaxTiles ? Game.names[n] : std::string());
    const Game::UserMove move = Game.UserClick(n, GamesState().PairsBest);
    if (move.outcome == Game::Outcome::Ignored)
        return;

    TileClickBusy = true;
    showTurn(1);
    showAndSend(n, picture);
    if (move.outcome == Game::Outcome::First) {
        m_steps->act([this] {
            TileClickBusy = false;
            updateCursors();
        });
        m_steps->start();
        return;
    }

    const int tested = Game.tested;
    m_steps->act([this, tested] {
        if (Game.players == 1)
            StaticTextCount->setText(QString::number(tested));
    });
    if (move.outcome == Game::Outcome::Miss) {
        m_steps->pause(1000);
        turnDown(move.first);
        turnDown(move.second);
        if (Game.players == 2) {
            // The program plays next, 200 ms later; the tiles stay closed to the user.
            m_steps->act([this] {
                showTurn(2);
                TimerPC->start(GameWaitLength()(TimerPC->interval()));
            });
        } else {
            m_steps->act([this] {
                TileClickBusy = false;
                updateCursors();
            });
        }
        m_steps->start();
        return;
    }

    // A pair.
    clearTile(move.first);
    clearTile(move.second);
    const int userPairs = Game.userPairs;
    const bool over = Game.Over();
    m_steps->act([this, userPairs, over, move] {
        if (Game.players == 2)
            StaticTextPairsMoi->setText(QString::number(userPairs));
        if (over) {
            if (Game.players == 2)
                showEndTexts();
            else if (move.newBest)
                writeBestScore();
        }
        TileClickBusy = false;
        updateCursors();
    });
    m_steps->start();
}

void TFormMemoryPairs::TimerPCTimer()
{
    TimerPC->stop();
    ProgramMove();
}

void TFormMemoryPairs::ProgramMove()
{
    if (Game.turn != 2)
        return;
    const auto names = Game.names; // the program's moves take tiles away at once
    const auto picture = [&names](int n) { return QString::fromStdString(names[n]); };
    TileClickBusy = true;
    showTurn(2);
    for (const Game::ProgramStep &step : Game.PlayProgramTurn()) {
        showAndSend(step.a, picture(step.a));
        if (step.step != Game::Step::KnownPair)
            m_steps->pause(200);
        showAndSend(step.b, picture(step.b));
        switch (step.step) {
        case Game::Step::KnownPair:
        case Game::Step::SeenPartner:
            removeSlowly(step.a, step.b, step.pairsAfter);
            break;
        case Game::Step::NewPair:
            m_steps->pause(1000);
            clearTile(step.a);
            clearTile(step.b);
            m_steps->act([this, after = step.pairsAfter] { StaticTextpairsPC->setText(QString::number(after)); });
            break;
        case Game::Step::Miss:
            m_steps->pause(1000);
            turnDown(step.a);
            turnDown(step.b);
            break;
        }
    }
    m_steps->pause(500);
    m_steps->act([this] {
        TileClickBusy = false;
        if (Game.Over())
            showEndTexts();
        else
            showTurn(1);
        updateCursors();
    });
    m_steps->start();
}

void TFormMemoryPairs::MenuCouleurFondClick()
{
    const QColor chosen = QColorDialog::getColor(ColourOfSetting(GamesState().PairsColor), this);
    if (!chosen.isValid())
        return;
    GamesState().PairsColor = SettingOfColour(chosen);
    ApplyColour(GamesState().PairsColor);
    QColorDialog::setCustomColor(0, chosen);
}

void TFormMemoryPairs::MenuHelpClick()
{
    ShowHelpContext(35);
}

void TFormMemoryPairs::MenuFermerClick()
{
    close();
}
