#pragma once

// Steps of start-up and shut-down that belong to parts of the program not built yet. Each
// is called at its place in the order; each does nothing until its part fills it in (the
// owner adds the call to its own code in the body and removes the "empty" comment).


// ---- Main window creation ----
void StartupBindEngineSettingsKeys(); // binds the engine's settings keys to Form1's model
void StartupCreateTextLists();        // empty until the lesson import and text files land
void StartupLoadCursors();            // empty until the cursor pictures are in the resources
void StartupFillControlTables();      // empty until the port, message and speed controls land
void StartupListSerialPorts();        // the port panel and the serial ports
void StartupCaptureJoystick();        // empty until the joystick lands
void StartupTimingDefaults();         // nothing to do: the timing model starts at word gap 1, extra 0
void StartupRecordListMetrics();      // empty until the lists and enlargement land
void StartupDefaultLessons();         // empty until the lessons land
void StartupLessonChoiceTexts();      // empty until the lessons and release check land
void StartupKidViewSize();            // empty until kid mode lands
void StartupQuizOccurrenceLabel();    // empty until the quiz lands
void StartupApplyParallelPort();      // empty until parallel-port keying lands
void StartupEnableKeyerLines();       // empty until manual keying lands
void StartupResetModes();             // empty until typing, lists and quiz land
void StartupRealSpeedLabel();         // empty until the real-speed label lands
void StartupSummaries();              // summaries; the set items wait for the random-group sets
void StartupFilterHint();             // empty until the audio decoder lands
void StartupEngineState();            // the sending engine (shell/soundengine.h)
void StartupKeyerSupply();            // keyer supply lines raised when the port is open
void StartupDecoderState();           // empty until the key-timing decoder lands
void StartupCheckWavFormat();         // empty until WAV recording lands
void StartupRecordBaseSize();         // empty until window enlargement lands
void StartupToneState();              // nothing to do: the engine and tone models start in this state
bool StartupAllocateWaveMemory();     // true: the engine allocates its buffers as it renders
void StartupOpenSoundOutput();        // the sound output (shell/soundengine.h)
void StartupApplySavedZoom();         // empty until window enlargement lands

// ---- Main block ----
void StartupPushParkedSettings();     // empty until the entry sheet, filter, zoom view, tile game, exam and file options land

// ---- First idle moment ----
void StartupReleaseCheck();           // empty until the release check lands

// ---- Quit roads ----
void QuitStopRabbitAnimation();       // empty until kid mode lands
void QuitLeaveKidMode();              // empty until kid mode lands (leaves it when it is on)
void QuitStopKeyingClocks();          // element clock; key decoder's timer when it lands
void QuitReleaseSound();              // the sound output (no-op without card)
void QuitReleaseSerialLines();        // keying lines down, keying port closed
void QuitReleaseParallelPin();        // empty until parallel-port keying lands
void QuitReleaseParallelAccess();     // empty until parallel-port keying lands
void QuitFreeWaveBuffers();           // nothing to do: the engine's buffers go with the engine
void QuitRestoreBeep();               // empty until the program's beep switch lands

// Enlargement of the windows in percent (100 until window enlargement lands).
int CurrentZoomPercent();
