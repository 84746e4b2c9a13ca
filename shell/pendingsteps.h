#pragma once

// The steps of start-up and shut-down, each called at its place in the order. A step the
// shell owns does its work in its body; the others run the steps that modules added at that
// place (AddModuleStep, shell/modes.h), so a module joins in without editing this file.


// ---- Main window creation ----
void StartupBindEngineSettingsKeys(); // binds the engine's settings keys to Form1's model
void StartupCreateTextLists();        // modules' steps
void StartupLoadCursors();            // modules' steps
void StartupFillControlTables();      // modules' steps
void StartupListSerialPorts();        // the port panel and the serial ports
void StartupCaptureJoystick();        // modules' steps
void StartupTimingDefaults();         // nothing to do: the timing model starts at word gap 1, extra 0
void StartupRecordListMetrics();      // modules' steps
void StartupDefaultLessons();         // modules' steps
void StartupLessonChoiceTexts();      // modules' steps
void StartupKidViewSize();            // modules' steps
void StartupQuizOccurrenceLabel();    // modules' steps
void StartupApplyParallelPort();      // modules' steps
void StartupEnableKeyerLines();       // modules' steps
void StartupResetModes();             // modules' steps
void StartupRealSpeedLabel();         // empty: the speed control shows the real speed as it is set
void StartupSummaries();              // summaries; the set items wait for the random-group sets
void StartupFilterHint();             // modules' steps
void StartupEngineState();            // the sending engine (shell/soundengine.h)
void StartupKeyerSupply();            // keyer supply lines raised when the port is open
void StartupDecoderState();           // modules' steps
void StartupCheckWavFormat();         // modules' steps
void StartupRecordBaseSize();         // modules' steps
void StartupToneState();              // nothing to do: the engine and tone models start in this state
bool StartupAllocateWaveMemory();     // true: the engine allocates its buffers as it renders
void StartupOpenSoundOutput();        // the sound output (shell/soundengine.h)
void StartupApplySavedZoom();         // modules' steps

// ---- Main block ----
void StartupPushParkedSettings();     // modules' steps

// ---- First idle moment ----
void StartupReleaseCheck();           // modules' steps

// ---- Quit roads ----
void QuitStopRabbitAnimation();       // modules' steps
void QuitLeaveKidMode();              // modules' steps
void QuitStopKeyingClocks();          // element clock, then the modules' steps (key decoder timer)
void QuitReleaseSound();              // the sound output (no-op without card)
void QuitReleaseSerialLines();        // keying lines down, keying port closed
void QuitReleaseParallelPin();        // modules' steps
void QuitReleaseParallelAccess();     // modules' steps
void QuitFreeWaveBuffers();           // nothing to do: the engine's buffers go with the engine
void QuitRestoreBeep();               // modules' steps

// Enlargement of the windows in percent (ZoomPercent, shell/zoom.h).
int CurrentZoomPercent();
