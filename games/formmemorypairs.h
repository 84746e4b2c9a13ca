#pragma once

// The memory-pairs game: face-down tiles hide characters and their Morse pictures; each tile
// turned is sent in Morse and the game goes on only once it has been heard. Alone, the turns
// are counted and the best of each level kept; against the program, the program plays with a
// perfect memory of every tile shown. Each move is applied to the game at once; its frames,
// pauses and sounds are timed steps that a new game, a level, the players or closing the
// window cancel.

#include "games/gamesteps.h"
#include "games/pairsmodel.h"
#include "shell/languages/languages.h"
#include "shell/sidewindows.h"

#include <array>

class GameTile;
class QAction;
class QActionGroup;
class QGroupBox;
class QLabel;
class QMenu;
class QMenuBar;
class QTimer;

class TFormMemoryPairs : public TSideForm, public LanguageAware {
    Q_OBJECT
public:
    explicit TFormMemoryPairs(QWidget *parent = nullptr);

    static constexpr int DesignWidth = 920;
    static constexpr int DesignHeight = 580;
    static constexpr int FrameDelay = 50;
    static constexpr int LayDelay = 25;

    pairs::Game Game;

    bool TileClickBusy = false;
    bool QuickTurnDown = false;
    bool PairsGameStarted = false;
    bool PairsRestoring = false;
    bool PairsFirstShow = true;
    // The scoreboard as shown: 1 user won, 2 program won, 3 draw, 4 user's turn, 5 program's.
    int PairsResult = 4;

    QMenuBar *MainMenu;
    QAction *Menunewgame;
    QMenu *MenuNiveau;
    std::array<QAction *, pairs::Levels> LevelItems{}; // MenuNiveau0 .. menuNiveau8
    QMenu *menuJoueurs;
    QAction *MenuJoueurs1;
    QAction *MenuJoueurs2;
    QAction *MenuCouleurFond;
    QAction *MenuFermer;
    QAction *MenuHelp;

    QWidget *PanelTile;
    std::array<GameTile *, pairs::MaxTiles + 1> Tiles{}; // ImageTile1 .. ImageTile72

    QGroupBox *GroupBoxScoreboard;
    QLabel *StaticTextNiveau;
    QGroupBox *GroupBox1Joueur;
    QLabel *Label1;
    QLabel *StaticTextCount;
    QLabel *LabelBestScore;
    QGroupBox *GroupBox2Joueurs;
    QLabel *Label3;
    QWidget *PanelMoi;
    QLabel *StaticTextPairsMoi;
    QLabel *LabelMoi;
    QLabel *ImageMoi;
    QLabel *ImageMoiGris;
    QWidget *PanelPC;
    QLabel *StaticTextpairsPC;
    QLabel *LabelPC;
    QLabel *ImagePC;
    QLabel *ImagePCgris;
    QTimer *TimerPC;

    // Handlers.
    void MenunewgameClick();
    void MenuNiveauClick(int level);
    void MenuJoueurs1Click();
    void MenuJoueurs2Click();
    void ImageTile1Click(GameTile *tile);
    void TimerPCTimer();
    void ProgramMove();
    void MenuCouleurFondClick();
    void MenuHelpClick();
    void MenuFermerClick();

    // The tile panel's colour as the settings keep it (PAIRSCOLOR=).
    void ApplyColour(int setting);
    bool StepsPending() const { return m_steps->running(); }

    void retranslate() override;

protected:
    void showEvent(QShowEvent *event) override;   // FormShow, then FormActivate
    void closeEvent(QCloseEvent *event) override;

private:
    void writeLevelText();
    void writeBestScore();
    void writeScoreboard();
    void showTurn(int turn);
    void showEndTexts();
    void setTurnPictures(bool you, bool program);
    void enableGroups(bool alone);
    void updateCursors();

    // Timed steps of the display.
    void turnUp(int n, const QString &picture);
    void turnDown(int n);
    void clearTile(int n);
    void showAndSend(int n, const QString &picture);
    void removeSlowly(int a, int b, int pairsAfter);

    void stopSteps();
    // Shows the game as it stands, without frames (after its steps were cancelled).
    void showGameAsItIs();

    QWidget *m_content;
    GameSteps *m_steps;
};

// The memory-pairs game, made by start-up at its place through the games module.
extern TFormMemoryPairs *FormMemoryPairs;
