#pragma once

// The instructor's locks: four options of the main window that an instructor can fix behind a
// password (the instructor window, training/instructor.h, turns them on and off; the settings
// file keeps them as INSTMF=, INSTMR=, INSTFN=, INSTFS=).
//
// A lock is kept where the value enters, not only by a disabled control: every way to the
// option asks OptionLocked and changes nothing while it answers true, so no shortcut, menu
// item, code path of another mode, settings line read later or command line gets round it.
//
// How a mode joins
//  - The place where the option's value enters (a setter, a handler that toggles it, a
//    settings row) starts with
//        if (OptionLocked(InstructorLock::FixedSpeed)) return;   // or puts its control back
//    A mode that changes such an option on its own (a quiz that adapts the speed) goes through
//    that setter (SetSpeed, UpSpeedClick, DownSpeedClick) and so needs nothing more.
//  - The owner of a control that shows the lock (the speed up-down, the pitch menu item, the
//    hide buttons) registers, when it builds the control, what the control does when the lock
//    goes on or off:
//        FollowOptionLock(InstructorLock::FixedSpeed, speedBox, [speedBox](bool locked) {
//            speedBox->setEnabled(!locked); });
//    The follower runs at once with the current state and again at every SetOptionLocked of
//    that lock; it is dropped when `owner` is destroyed.
//  Today: the speed (shell/speedcontrol.cpp, the SPEED= row), the pitch (shell/effectbuttons.cpp,
//  shell/effectwindows.cpp, the NOTE= row), the masked file text (training/filetext.cpp) and
//  the masked random groups (training/random.cpp, training/randommenus.cpp).
//
// Reading the settings file turns every lock off first, then the file's INST lines set them;
// a line read after a lock came on (the command line's speed, a hand-edited file whose SPEED=
// follows INSTFS=1) is refused like any other change.

#include <array>
#include <functional>

class QObject;
class QWidget;

enum class InstructorLock { MaskedFile, MaskedRandom, FixedNote, FixedSpeed };
inline constexpr int InstructorLockCount = 4;

// True while the instructor keeps the option fixed.
bool OptionLocked(InstructorLock lock);

// Turns a lock on or off and runs its followers (also when the state stays: an accepted OK of
// the instructor window applies every box again).
void SetOptionLocked(InstructorLock lock, bool locked);

// What `owner`'s controls do when the lock changes; runs once now. A follower registered again
// for the same owner and lock replaces the earlier one.
void FollowOptionLock(InstructorLock lock, QObject *owner, std::function<void(bool locked)> follow);

// A masked text box's selection hidden too (the highlight in the box's text colour), so that
// selecting the text with the mouse does not show it, and dropped at once, so that nothing of
// the text can be copied out of it; unmasked, the usual highlight and selection again.
void MaskSelection(QWidget *box, bool masked);

// The four flags themselves, by lock (start-up and the tests put them back).
std::array<bool, InstructorLockCount> &LockedOptions();
