#pragma once

// How a training mode, a game or an engine part with controls joins the program without the
// shell knowing it. No include runs from shell/ up to training/ or games/: the shell calls
// what the modules register here.
//
//  1. The module list. modules.cpp (at the top of the tree) holds the program's module list,
//     RegisterProgramModules(): one RegisterModule line per module. main() runs it once,
//     before the main window is built; TForm1's constructor then calls every module's
//     `build` in the order registered. A module builds its panels, menu items and timers
//     there, binds its settings keys (Settings().bind ..., before the file is read),
//     registers its texts (RegisterMainWindowTexts) and fills its hooks below.
//  2. Hooks. ModeHooks holds one function per thing the engine's hand-back, Stop and other
//     modes need from a mode; the owner assigns it in its build. An empty hook does nothing
//     and answers its plain default (false, 0, nothing), as the program without that mode.
//  3. Steps. Start-up and the two quit roads run, at fixed places, the steps modules add for
//     that place (ModuleStep), in the order added.
//  4. Keys. What Enter and Esc do while a mode's panel is visible: rows of the main window's
//     key table (shell/keyrouting.h), added in the module's build.
//  5. Enlargement. Nothing to do: the shell scales every window built in design pixels
//     (shell/zoom.h says where code works in the pixels on screen).
//  6. Side windows. A module whose mode has a window of its own registers, in its build, how
//     it is made at its place in the start-up order (RegisterSideWindow); the module's global
//     instance holds it. The shell makes its own windows between them and reaches a module's
//     only through its place (SideWindowAt).

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <utility>

class TForm1;
class TSideForm;

// ---- Modules ----------------------------------------------------------------------------------

struct ProgramModule
{
    const char *name;
    std::function<void(TForm1 &)> build;
};

// Adds a module; a module registered again under the same name replaces the earlier one.
void RegisterModule(ProgramModule module);
// Every module's build, in registration order (TForm1's constructor).
void BuildRegisteredModules(TForm1 &form);

// ---- Side windows -------------------------------------------------------------------------------

// The places in the start-up order where a module's window is made. The shell's own windows
// come between them: the pitch window before the first, the filter, noise and fading windows
// before the instructor, the about box before the exam pause, the drift windows, the monitor
// help card, the zoom view and the message box after the entry sheet.
enum class SideWindowPlace {
    GamesLauncher,  // FormGames
    TileGame,       // FormMorseJong
    PairsGame,      // FormMemoryPairs
    ChoiceHelpCard, // FormhelpChoixRandom
    Beacon,         // FormBalise
    Instructor,     // FormInstructor
    DemoView,       // FormDemo
    QuizReport,     // FormReport
    ExamPause,      // FormPause
    EntrySheet,     // FormSaisie
    Count
};

// The window at `place` is made by `make` when start-up comes to it; `forget` clears the
// module's instance once the shell has destroyed the window. Registered again: replaced.
void RegisterSideWindow(SideWindowPlace place, std::function<TSideForm *()> make, std::function<void()> forget);
// The same for a window class and the module's global instance of it.
template <typename Form>
void RegisterSideWindow(SideWindowPlace place, Form *&instance)
{
    RegisterSideWindow(
        place, [&instance] { return instance = new Form; }, [&instance] { instance = nullptr; });
}
// Makes the window of a place (start-up); null when no module has one there.
TSideForm *MakeSideWindow(SideWindowPlace place);
// The window made at a place and still alive, or null.
TSideForm *SideWindowAt(SideWindowPlace place);
// That window exists and is visible (the demo view most often: while it is visible the main
// window leaves the keyboard focus alone).
bool SideWindowVisible(SideWindowPlace place);
// Hides that window when it exists.
void HideSideWindow(SideWindowPlace place);
// Clears every module's instance (the windows have been destroyed).
void ForgetSideWindows();

// ---- Hooks --------------------------------------------------------------------------------------

struct ModeHooks
{
    // -- The typing box (typing practice) --
    // The box selects its first TypedTextIndex characters.
    std::function<void()> typedTextShowSent;
    // The text of a shortcut character, or nothing when it is not one.
    std::function<std::optional<std::string>(unsigned char)> shortcutText;
    // A character handed over by another window (the pitch window's test, the games) goes
    // through the typing box's key handler, without entering the box.
    std::function<void(unsigned char)> typeCharacter;
    // A pass of the continuous replay has ended.
    std::function<void()> typedTextLoopPassEnded;
    // End of a text: the box writable again, the replay button's state and caption.
    std::function<void()> updateReplayButton;
    // The focus goes back to the typing box at the end of a text.
    std::function<void()> focusTypingBoxAtEnd;
    // A typed-text replay was stopped with characters left.
    std::function<void()> typedTextStopped;

    // -- File text and demo view --
    std::function<void()> fileTextShowSent;
    std::function<std::optional<unsigned char>()> fileSelectionLastChar;
    // End of the file text or Stop; true when a repeat loop started and the hand-back ends.
    std::function<bool()> fileTextFinished;
    std::function<void()> fileTextShowAgain;
    std::function<void()> updateDemoCaret;

    // -- Zoom view --
    std::function<void(unsigned char, const std::string &)> zoomShowCharacter;
    std::function<void()> zoomClear;

    // -- Keyer, monitor and audio decoder --
    std::function<double()> keyCalibration; // default 0.2
    std::function<void(const std::string &)> appendMonitorElements;
    std::function<void(int letterGapMs)> keyerTextEnded;
    std::function<void()> sidetoneOff;
    // The straight key goes down by the CTRL key in the typing box.
    std::function<void()> straightKeyDownByCtrl;
    // A key input line of the keying port changed (line 0 DSR, 1 CTS, 2 CD; `on` its new
    // level); `seen` is when the change was seen on the port.
    std::function<void(int line, bool on, std::chrono::steady_clock::time_point seen)> keyerLineChanged;
    // Joystick button 1 or 2 went down (pressed) or up; `at` is when it was read.
    std::function<void(int button, bool pressed, std::chrono::steady_clock::time_point at)> joystickButtonChanged;
    std::function<bool()> waveInputOpen;
    std::function<void()> closeWaveInput;
    std::function<void()> audioMonitorResume;
    // Kid mode: the rabbit animation stops.
    std::function<void()> stopRabbitAnimation;
    // Kid mode is left when it is on (an enlargement does this first).
    std::function<void()> leaveKidMode;
    // The monitor has written a decoded character into its memo (kid mode compares).
    std::function<void()> monitorCharacterWritten;
    // While the kid view is shown: the window's size before it (width, height), which WINDIM=
    // keeps in place of the kid view's own.
    std::function<std::optional<std::pair<int, int>>()> kidSavedWindowSize;

    // -- Lists --
    // Plays the selected item of ListAlphabet, ListCodeQ or ListAbreviations.
    std::function<void(const char *listName)> listPlaySelected;

    // -- Random series and exam --
    std::function<int()> randomCharCount;
    std::function<void()> randomSeriesEnded;
    std::function<void()> examChainNextPhase;
    std::function<void()> randomUnitSent;
    std::function<void()> randomNextUnit;
    std::function<void()> randomSeriesStopped;
    std::function<void()> updatePlayRandomHint;
    // The start countdown of a random series runs.
    std::function<bool()> randomCountdownRunning;

    // -- Beacon --
    // Only the beacon's own text may key the transmitter (its "Key TX only when beacon is
    // played" option).
    std::function<bool()> beaconKeysAlone;

    // -- Quiz --
    std::function<void()> quizSeriesSent;
    // A quiz series was stopped; true when no question had been answered yet.
    std::function<bool()> quizSeriesStopped;

    // -- Stop --
    std::function<void()> showHiddenTexts;
};

// The program's hooks.
ModeHooks &Hooks();

// Calls a hook when it is set; otherwise does nothing and returns the default value.
template <typename R, typename... Args, typename... Given>
R CallHook(const std::function<R(Args...)> &hook, R fallback, Given &&...args)
{
    return hook ? hook(std::forward<Given>(args)...) : fallback;
}
template <typename... Args, typename... Given>
void CallHook(const std::function<void(Args...)> &hook, Given &&...args)
{
    if (hook)
        hook(std::forward<Given>(args)...);
}

// ---- Steps ------------------------------------------------------------------------------------

// The places of start-up and of the quit roads where modules add steps, in start-up's order.
enum class ModuleStep {
    CreateTextLists,     // creation: the lesson-import and text-file lists
    LoadCursors,
    FillControlTables,
    CaptureJoystick,
    RecordListMetrics,
    DefaultLessons,
    LessonChoiceTexts,
    KidViewSize,
    QuizOccurrenceLabel,
    ApplyParallelPort,   // after the settings file and the command line
    EnableKeyerLines,
    ResetModes,
    FilterHint,
    DecoderState,
    CheckWavFormat,
    RecordBaseSize,
    ApplySavedZoom,
    PushParkedSettings,  // main block: side-window settings once every window exists
    FirstIdle,           // the first idle moment (release check)
    QuitStopRabbitAnimation,
    QuitLeaveKidMode,
    QuitStopKeyingClocks,
    QuitReleaseParallelPin,
    QuitReleaseParallelAccess,
    QuitRestoreBeep,
    Count
};

// Adds a step at a place; a step added again under the same name replaces the earlier one
// (so building the windows twice adds nothing).
void AddModuleStep(ModuleStep place, const char *name, std::function<void()> step);
// Runs the steps of a place in the order added.
void RunModuleSteps(ModuleStep place);
