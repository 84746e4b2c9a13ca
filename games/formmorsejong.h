#pragma once

// The tile-matching game "Zidid-Uvar": 144 tiles on four layers; two free tiles with the same
// character are taken away. Every tile the player selects is sent in Morse through the typing
// box's key handler. A match is taken off the board at once and shown half a second longer;
// hints, solving and that half second are timed steps that a new deal, a replay or closing
// the window cancel.

#include "games/gamesteps.h"
#include "games/jongmodel.h"
#include "shell/languages/languages.h"
#include "shell/sidewindows.h"

#include <array>

class GameTile;
class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;

class TFormMorseJong : public TSideForm, public LanguageAware {
    Q_OBJECT
public:
    explicit TFormMorseJong(QWidget *parent = nullptr);

    static constexpr int DesignWidth = 1000;
    static constexpr int DesignHeight = 550;
    static constexpr int MatchShowMs = 500;
    static constexpr int SolveClickMs = 400;
    static constexpr int HintBlinkMs = 500;

    jong::Game Game;

    // Flags of the game.
    bool TileClickBusy = false; // a click, with its half second, is being handled
    bool SolvingJong = false;
    bool MuteJong = false;
    bool JongFirstShow = true;

    QMenuBar *MainMenu;
    QAction *MenuDeal;
    QAction *MenuRejouerPartie;
    QAction *MenuResoudrePartie;
    QAction *MenuConseil;
    QMenu *MenuStats;
    QAction *MenuPartiesjouees;
    QAction *MenuPartiesgagnees;
    QAction *Menutauxdereussite;
    QAction *MenuRemettreazero;
    QAction *MenuCouleurFond;
    QAction *menuQuit;
    QAction *menuhelp;
    QAction *MenuShowResolve; // Ctrl+Alt+R, in no menu
    QAction *MenuMute;        // Ctrl+Alt+M, in no menu

    std::array<GameTile *, jong::TileCount + 1> Tiles{}; // ImageTile1 .. ImageTile144
    QLabel *Label2;      // the deal's error text
    QLabel *StaticText1; // the placement order, hidden
    QGroupBox *GroupBoxFin;
    QLabel *ImageFinHa;
    QLabel *ImageFinHo;
    QLabel *LabelFin;
    QPushButton *ButtonFin;

    // Handlers.
    void ImageTile1Click(GameTile *tile);
    void MenuDealClick();
    void MenuRejouerPartieClick();
    void MenuResoudrePartieClick();
    void MenuConseilClick();
    void MenuShowResolveClick();
    void MenuMuteClick();
    void MenuCouleurFondClick();
    void MenuRemettreazeroClick();
    void menuhelpClick();
    void ButtonFinClick();
    void menuQuitClick();

    void PlayTile(int n);
    void UpdateJongStatistics();
    // The window's background colour as the settings keep it (JONGCOLOR=).
    void ApplyColour(int setting);
    // Steps (a match shown, a hint, solving) are still to come.
    bool StepsPending() const { return m_steps->running(); }

    void retranslate() override;

protected:
    void showEvent(QShowEvent *event) override;     // FormShow
    void closeEvent(QCloseEvent *event) override;   // FormClose
    void keyPressEvent(QKeyEvent *event) override;  // FormKeyPress

private:
    enum class Activity { None, Match, Hint, Solve };

    void showBoard();
    void updateCursors();
    void send(char character);
    void showMatchEnd(const jong::Game::Click &click);
    void showEnd(bool win);
    void dealShown();
    void solveFrom(int k);
    void stopSolving();
    // Ends what the steps were doing: a match still shown goes at once, a hint stops.
    void settleSteps();
    void dropSteps();

    QWidget *m_content;
    QWidget *m_board;
    GameSteps *m_steps;
    Activity m_activity = Activity::None;
    std::array<int, 2> m_lingering{}; // the tiles of a match still shown
    jong::Game::Click m_pendingMatch;
};

// The tile game, made by start-up at its place through the games module.
extern TFormMorseJong *FormMorseJong;
