#pragma once

// The program's life: the main block, the main window's creation handler, the first showing
// and idle moment, and the two roads out (the Quit button, which asks first, and the quit
// command, which the window's close button, logout and SIGTERM/SIGINT/SIGHUP run too).

#include <functional>

// Start-up flags, raised by the main block between window creations.
extern bool NoteWindowCreated;  // after the pitch window
extern bool ReportCreated;      // after the demo view, before the report window
extern bool FormsCreatedReport; // after the report window
extern bool AllFormsCreated;    // after the message box, the last window
extern bool SheetWasOpen;       // after the parked settings went into the side windows
extern bool MainFormCreated;    // once the main window's creation handler has finished

// Raised at the end of the creation handler; the first showing restores the last mode and
// lowers it.
extern bool FirstShowPending;

// The mode used last (LASTCHOICE=): 1 characters, 2 Q codes, 3 abbreviations, 4 random,
// 5 file, 6 quiz, 7 monitor.
extern int LastChoice;

// Logical pixels per inch of the screen, noted at creation.
extern int ScreenPixelsPerInch;

// A quit road has started (Form1->Engine.Quitting): each runs at most once per process.
bool QuitStarted();

// Ends the application (the event loop returns). Tests replace it.
extern std::function<void()> TerminateApplication;

// Main block: data folder, application, the 21 windows, parked settings, message loop.
int RunMainBlock(int argc, char **argv);

// Creates the main window (running its creation handler) and the 20 side windows in their
// order, raising the start-up flags between them. `observer` (for tests) hears the name of
// each window and flag as it comes. Returns false when the creation handler gave up.
bool CreateAllWindows(const std::function<void(const char *)> &observer = {});
// Pushes the settings parked while the file was read into the side windows.
void PushSettingsIntoSideWindows();
// Destroys every window, side windows last-created first, the main window last.
void DestroyAllWindows();

// Binds the settings keys of start-up (LASTCHOICE=, WARNANSI=) in the settings registry.
void BindStartupSettings();
// The checked mode button, 1 (characters) to 7 (monitor); 0 when none is.
int CheckedModeNumber();

// The main window's handlers.
bool MainFormCreate();
void MainFormShown();
void FirstIdleMoment();
void QuitButton();
void QuitCommand();

// Leaving kid mode unchecks its option (MONTEXT=); the quit command runs `leaveKidMode`
// through this, so the option is saved as the user had it.
void LeaveKidModeKeepingItsOption(const std::function<void()> &leaveKidMode);

// A quit from outside (signal, logout): the quit command, with nobody asked anything.
void RequestQuitFromOutside();

// The main block's start-up, from before the first window to the end of the parked settings.
// A quit asked for meanwhile (any road) ends the waits in flight, lets start-up run to its end
// without asking anybody anything, and runs when StartupFinished() is called.
void StartupBegins();
void StartupFinished();
