#pragma once

// The random module's controls and state, shared by its files (random.cpp: the series panel;
// randommenus.cpp: the sets, options and choice panel; randomsettings.cpp: the settings keys;
// randomtexts.cpp: the texts).

#include "training/random.h"

#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

#include <array>
#include <memory>
#include <span>
#include <string>
#include <vector>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QSpinBox;
class QToolButton;
struct TextRow;
struct Tr;

// MemoRandom: its keys and mouse go through the module's handlers first.
class RandomMemoEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;

    // The text starts this many pixels lower, below a caption laid over the memo's top.
    void SetTopInset(int pixels) { setViewportMargins(0, pixels, 0, 0); }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// BitBtnPlayRandom: acts on the press (left: play, right: replay or new series, Ctrl+left: the
// start-delay menu), as the press hides it.
class PlayRandomButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void mousePressEvent(QMouseEvent *event) override;
};

struct RandomModule {
    // The window the module was built on; null once it is gone (the language switch and the
    // summary ask the module for their texts whatever window they serve).
    QPointer<TForm1> form;
    std::unique_ptr<RandomSeries> series;

    // The random group box
    QGroupBox *GroupBoxRandom = nullptr;
    RandomMemoEdit *MemoRandom = nullptr;
    PlayRandomButton *BitBtnPlayRandom = nullptr;
    QPushButton *BitBtnStopRandom = nullptr;
    QPushButton *ButtonHide = nullptr;
    QToolButton *SpeedButtonRandomCase = nullptr;
    QToolButton *SpeedButtonRAZrandom = nullptr;
    QLabel *LabelRandomNumber = nullptr;
    QSpinBox *SpinEditRandomNumber = nullptr;
    QLabel *PanelRandomLesson = nullptr;
    QLabel *LabelWords = nullptr;
    std::array<QLabel *, 5> ImageChrono{};
    QPushButton *ButtonChoixRandom = nullptr; // hidden: mode entry by code

    // The character-choice panel
    QGroupBox *PanelChoixRandom = nullptr;
    QComboBox *BoxCaracteresChoix = nullptr;
    QLabel *LabelChoixCaracteres = nullptr;
    QPushButton *ButtonChoixCaractereOK = nullptr;
    QPushButton *ButtonCancelChoix = nullptr;

    // The random options menu
    QMenu *MenuRandomOptions = nullptr;
    std::array<QAction *, 6> SetItems{}; // MenuLetters .. MenuAll, in RandomSet order
    QAction *MenuChoixCaracteres = nullptr;
    QAction *MenuListWords = nullptr;
    QAction *MenuAddV = nullptr;
    QMenu *WordOptionsMenu = nullptr;
    QAction *MenuWordslength = nullptr;
    std::array<QAction *, 7> MenuFixedWords{}; // lengths 2..8
    QAction *MenuRandomWords = nullptr;
    QAction *MenuWordContent = nullptr;
    QAction *menuCallsigns = nullptr;
    QAction *MenuHide = nullptr;
    QAction *menuShow = nullptr;
    QAction *MenuCacherText = nullptr;
    QAction *menuMontrerText = nullptr;
    QAction *menulowercase = nullptr;
    QAction *MenuDelaiRandom = nullptr;
    std::array<QAction *, 6> MenuDelaiRandomItems{}; // 0..5 s
    QAction *MenuReplayRandom = nullptr;
    QAction *MenuQuickRandom = nullptr;
    QAction *ClearMemoRandom = nullptr;
    QAction *SaveMemoRandom1 = nullptr;
    // Pop-up menus: the start delay (Ctrl + left click on Play), hide/show on ButtonHide, and
    // the file text's pair for its own hide button.
    QMenu *PopRandom = nullptr;
    std::array<QAction *, 6> Poprandom{};
    QMenu *PopHideRandom = nullptr;
    QAction *PopHideRandomA = nullptr;
    QAction *PopShowRandomA = nullptr;
    QMenu *PopHideFile = nullptr;
    QAction *PopHideFileA = nullptr;
    QAction *PopShowFileA = nullptr;

    // Word list
    QString WordListFile;
    QString WordListFolder;
    bool WordListMode = false; // the next opening of the choice opens the word-file dialog

    // The choice box when the panel opened (for Cancel and for recognising a lesson)
    std::string LessonText = " ";
    int LessonTextIndex = -1;
    int SavedLessonPage = 1;
    int LessonBoxIndex = -1;
    int LessonPageShown = 1;

    // The countdown before a series; a new generation cancels the one running.
    bool CountdownRunning = false;
    unsigned CountdownGeneration = 0;

    // Controls of other modes that a series step touches, looked up when a series starts
    // (a step must stay cheap: a quick series takes a thousand of them at once).
    std::vector<QPointer<QWidget>> HiddenDuringSeries;
    std::vector<QPointer<QWidget>> DisabledDuringSeries;
    QPointer<QAction> ExamItem;
    QPointer<QWidget> DebugLabel;

    // RANDOM= read from the settings, applied after the last line.
    int PendingRandomChoice = 0;
    // Memo text of a quick series, written into the memo once the series is complete.
    std::string PendingMemo;
};

RandomModule &RandomModuleState();
TForm1 &RandomForm();

// Building (randommenus.cpp, random.cpp, randomsettings.cpp)
void BuildRandomMenus(RandomModule &m);
void BuildRandomPanel(RandomModule &m);
void BuildChoicePanel(RandomModule &m);
void BindRandomSettings(RandomModule &m);
// Enter and Esc in the main window's key table (randomkeys.cpp).
void AddRandomKeyRoutes();

// Shared helpers
// The menu's check marks and the count, as the next step reads them.
void SyncSeriesOptions();
// The memo holds nothing (its first line is empty and it has fewer than two lines).
bool MemoRandomEmpty();
// The memo's text hidden (painted in its text colour) or shown.
void SetMemoHidden(bool hidden);
bool MemoHidden();
// Writes the mode title into the labels that show the active set.
void ShowSetTitle(const QString &title);
// A language switch: the hide button, the mode title of the chosen set or lesson and the
// pop-up twins of the hide and show items in the new language.
void ShowRandomCaptions();
// The series' group or count starts again after a set change while it plays.
void RestartSeriesAfterSetChange();
// Loads the word list file into the list; false when it cannot be read (said unless the caller
// says it its own way).
bool LoadWordList(bool sayFailure = true);
// The word-file dialog: the chosen file becomes the word list and is loaded (a file that
// cannot be read is said and forgotten).
enum class WordFileChoice { Cancelled, Loaded, Failed };
WordFileChoice ChooseWordFile();
// The label of the word list: the path, with a blank after each folder separator.
QString WordListLabel(const QString &path);
// An edit's text replaced by `text` (Windows-1252) without its change handler, the caret kept
// where it was.
void ReplaceEditText(QLineEdit *edit, const std::string &text);
// The seven set items (six fixed sets and the own choice), enabled or not.
void SetSetItemsEnabled(bool enabled);
// The typing box, the other modes' buttons and the memory-message buttons, enabled or not.
void SetOtherModesEnabled(bool enabled);
// Cancels a countdown that is running.
void CancelRandomCountdown();

// Texts (randomtexts.cpp)
std::span<const TextRow> RandomTextRows();
// The Play button's hint for the state of the memo and the series.
const Tr &PlayRandomHintRow(bool memoEmpty, bool replayOn, bool stoppedMid);
// "Ne peut ouvrir le fichier": the same in every language.
inline constexpr char CannotOpenFileText[] = "Ne peut ouvrir le fichier";
