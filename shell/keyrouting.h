#pragma once

// Enter and Esc drive the mode that is visible. The main window sees every key of its
// controls first (one event filter) and looks it up in one table, whose rows the modes add
// when they build their panels; the shell itself knows no mode.
//
// How a key is decided
//   A row names the keys it answers (Enter, Esc or both), where the key must be seen (on the
//   whole window, or only while a named control has the focus) and a condition ("my panel is
//   visible", "my series runs"). Rows are tested in stages, as the keys reach the window:
//     1. FocusKeyDown: rows of the focused control that act as soon as the key goes down;
//     2. Window:       rows of the whole window;
//     3. FocusKeyPress: rows of the focused control once the window passed the key on.
//   Within a stage, rows are tested by their `order`, then in the order added (the modes'
//   rows interleave: the character-choice panel 10, the random series 20, the file text 30
//   and 40). The first row that applies decides:
//   its action runs (it returns whether something acted) and no other row is tested, so one
//   key never acts twice. The key is then consumed (no control sees it) when the row says so:
//   Always, or WhenActs and something acted; otherwise the focused control gets the key as usual.
//   No row applies: the focused control gets the key.
//   Enter is Return or the keypad's Enter, without Ctrl, Alt or Meta (Shift is allowed).
//
// Adding the rows of a mode (in its build, after its controls exist)
//   AddKeyRoute({"random: Enter plays", KeyStage::Window, 20, nullptr, KeyEnter,
//                [](int) { return randomBoxVisible() && !countdown(); },
//                [](int) { return playOrStop(); }, KeyConsume::Always});
//   A row added again under the same name replaces the earlier one, so building twice adds
//   nothing. Conditions and actions run on the user-interface thread, with the main window
//   existing; "clicking" a button in an action runs its handler (shell/utilities.h).
//
// The rows of the program today: random groups (training/randomkeys.cpp), the file text
// (training/filetextkeys.cpp), the quiz (training/quizpanel.cpp) and the typing box
// (training/typing.cpp: Enter there plays the selected list item or opens a new monitor line).
// Esc in the random memo and in the file text are those boxes' own keys.

#include <functional>
#include <string>
#include <vector>

class QObject;
class QWidget;
class TForm1;

enum class KeyStage { FocusKeyDown, Window, FocusKeyPress };
enum class KeyConsume { Never, WhenActs, Always };

enum KeyMask : int { KeyEnter = 1, KeyEscape = 2 };

struct KeyRoute
{
    const char *name;
    KeyStage stage;
    int order;
    // The focused control's object names, separated by blanks (stages FocusKeyDown and
    // FocusKeyPress); ignored for Window rows.
    const char *focus;
    int keys; // KeyEnter, KeyEscape or both
    // Whether the row applies to this key (KeyEnter or KeyEscape).
    std::function<bool(int key)> applies;
    // Runs the row; true when something acted.
    std::function<bool(int key)> act;
    KeyConsume consume;
};

void AddKeyRoute(KeyRoute route);
void RemoveKeyRoute(const char *name);
// Every row, in the order they are tested.
std::vector<const KeyRoute *> KeyRoutes();

// What the table did with a key: the row that decided (empty when none applied) and whether
// the key was consumed.
struct KeyDecision
{
    std::string row;
    bool acted = false;
    bool consumed = false;
};

// Decides and acts on a key (KeyEnter or KeyEscape) seen with `focus` the focused control
// (null: the window itself).
KeyDecision RouteKey(int key, const QWidget *focus);

// The event filter on the main window's keys (TForm1's constructor).
void BuildKeyboardControl(TForm1 &form);
