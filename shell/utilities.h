#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <span>

class QAbstractButton;
class QAction;
class QWidget;

// Gives a control the object name by which texts, settings, key routes and tests find it.
template <typename T>
T *Named(T *object, const char *name)
{
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

// Waits more than `ms` milliseconds of monotonic time while the user interface keeps
// running (a nested event loop, never a busy loop). Handlers that call it must be safe
// against re-entry through the events it processes. Returns early when a quit starts or the
// application is terminating.
void WaitMilliseconds(int ms);

// A nested wait (a message, a question, WaitMilliseconds, a download) that a quit ends: while
// it lives, EndWaitsForQuit() runs `end`, which makes the wait return. A quit must not run
// below a wait that nobody will finish any more; the code after a wait checks QuitStarted().
class EndedByQuit {
public:
    explicit EndedByQuit(std::function<void()> end);
    ~EndedByQuit();
    EndedByQuit(const EndedByQuit &) = delete;
    EndedByQuit &operator=(const EndedByQuit &) = delete;

private:
    friend void EndWaitsForQuit();
    std::function<void()> m_end;
};

// Ends every wait in flight, the innermost first. Waits begun afterwards (the quit's own
// message) wait as usual.
void EndWaitsForQuit();

// "Clicking a control in code": runs the control's handler the way a user's click would,
// even when the control is hidden or disabled. A radio button becomes checked, a check
// box or checkable button toggles; a menu item is triggered as by the menu (a checkable
// item toggles first, except the checked item of an exclusive group, which stays checked).
// Returns false when there is nothing to click.
bool ClickButton(QAbstractButton *button);
bool ClickMenuItem(QAction *item);

// Unchecks a radio button that its group or its siblings would keep checked (a mode left with
// none chosen). Runs no handler.
void UncheckExclusive(QAbstractButton *button);

// Clicks the named button or menu item under `root` (object names are the program's own
// names). Returns false when no such control exists yet.
bool ClickNamed(QObject *root, const char *name);

// The named widget under `root`, or nullptr (also when there is no root).
QWidget *WidgetNamed(const QObject *root, const char *name);
// Enables or disables the named widget or menu item under `root`; nothing when there is none.
void SetEnabledNamed(QObject *root, const char *name, bool enabled);
// Shows or hides the named widget under `root`; nothing when there is none.
void SetShownNamed(const QObject *root, const char *name, bool shown);

// A settings panel of the main window and the button that closes it.
struct PanelExit {
    const char *panel;
    const char *exit;
};

// The settings panels that Stop (and the Quit button) close instead of acting, in the order
// they are tested.
inline constexpr PanelExit SettingsPanelExits[] = {
    {"PanelLocalCharacters", "ButtonLocalCaractereExit"},
    {"PanelLocalShortcut", "ButtonShortcutExit"},
    {"PanelLocalLesson", "ButtonLocalLessonExit"},
    {"PanelEspace", "BitBtnOKEspace"},
    {"PanelChoixRandom", "ButtonCancelChoix"},
    {"PanelMaskedText", "ButtonMaskedTextCancel"},
};

// Clicks the closing button of the first of `panels` that is shown (by its own visibility,
// whether or not the window is on screen); false when none is.
bool CloseFirstShownPanel(QObject *root, std::span<const PanelExit> panels);
