#pragma once

// Typing practice: what is typed in the box Editcaractere is queued and sent at once (or, with
// Delayed Play, only when the user asks for the whole text); shortcut characters expand into
// their texts; the box can be replayed, resumed after Stop, looped with a pause and cleared.
// The same key handler takes single characters from the games, the zoom view and the pitch
// window. BeginTransmission is the one start road of every mode.

#include <QLineEdit>

#include <functional>
#include <string>

class QAction;
class QToolButton;
class TForm1;

// ---- State owned by typing practice -------------------------------------------------------

// The box's text without blanks, A-Z in lower case (kid mode compares keying with it).
extern std::string KidTargetText;
// ButtonReplayText shows the replay caption (true) or the resume caption (false).
extern bool TypingReplay;
// The user clicked into the box: it gets the focus back at the end of a text even while
// another window handed text over.
extern bool EditClicked;
// The repeat loop's next pass plays the file text (true) or the typed text (false).
extern bool LoopButton;

// ---- The box --------------------------------------------------------------------------------

// The typing box: its own key events go through the typing handlers first; only they apply
// a shortcut expansion to the box.
class TypingEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TypingEdit(QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    // One character from the keyboard: the handler, then the box takes it unless refused.
    void typeCharacter(QChar character, QKeyEvent *event);
};

struct TypingControls {
    TypingEdit *Editcaractere = nullptr;
    QToolButton *ButtonReplayText = nullptr;
    QToolButton *SpeedButtonRAZtext = nullptr;
    QAction *MenuDelayedPlay = nullptr;
    QAction *MenuContinuous = nullptr;
    QAction *MenuDiversEnter = nullptr;
};

// Builds the typing box, its buttons and menu items on the main window and fills the typing
// hooks of the engine's hand-back.
TypingControls BuildTypingPanel(TForm1 &form);
// The module's build (the program's module list).
void BuildTypingModule(TForm1 &form);

// ---- Handlers -------------------------------------------------------------------------------

// The box's key press, also called directly by other windows (games, zoom view, pitch
// window) with a Windows-1252 character. Setting Key to 0 keeps the character out of the box.
// A shortcut handed in this way is queued but never put into the box.
void EditCaractereKeyPress(QObject *sender, unsigned char &Key);
// Virtual key codes of the key-down handler.
enum VirtualKey : int {
    VK_BACK = 8,
    VK_RETURN = 13,
    VK_CONTROL = 17,
    VK_PRIOR = 33,
    VK_NEXT = 34,
    VK_LEFT = 37,
    VK_UP = 38,
    VK_RIGHT = 39,
    VK_DOWN = 40,
};
// List navigation and the CTRL straight key. Setting Key to 0 swallows the key.
void EditcaractereKeyDown(QObject *sender, int &Key, Qt::KeyboardModifiers shift);
void EditcaractereChange(QObject *sender);
void EditcaractereClick(QObject *sender);
void ButtonReplayTextClick(QObject *sender = nullptr);
void MenuDelayedPlayClick(QObject *sender = nullptr);
void SpeedButtonRAZtextClick(QObject *sender = nullptr);
// "Nil" among the repeat pauses: the loop is off. The four waits check MenuContinuous and
// set TimerBoucle's interval; MenuContinuous's own shortcut takes the last wait (1 s at first).
void MenuNoBoucleClick(QObject *sender = nullptr);
// TimerBoucle: the repeat pause has run out: the file text or the typed text plays again.
void TimerBoucleTimer();

// The start road of every mode once it has put its text into PlayQueue: PTT up, the caller's
// own interface step, a new transmission marked (only when it really starts: engine idle and
// the queue was empty before the caller's text), and Button1 clicked now or by TimerTXDelay
// when the transmit delay runs.
void BeginTransmission(bool queueWasEmpty, const std::function<void()> &ownStep = {});

// ---- Called by the sending engine -----------------------------------------------------------

// The box selects its first TypedTextIndex characters (the part of a replay sent so far).
void TypingShowSent();
// A pass of the continuous replay has ended: TimerBoucle starts the next one.
void TypingLoopPassEnded();
// The end of a text: the box writable again, the replay button enabled when the box holds
// text, with the resume caption when a stopped replay left a rest.
void TypingTextEnded();
// A replay was stopped with characters left: the next click resumes.
void TypingReplayStopped();
// The focus goes back to the box at the end of a text, unless a window that handed text
// over or the demo view keeps it.
void TypingFocusAtEnd();
