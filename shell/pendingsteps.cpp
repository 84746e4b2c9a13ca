#include "shell/pendingsteps.h"

#include "engine/morsecode.h"
#include "shell/enginesettingskeys.h"
#include "shell/mainwindow.h"
#include "shell/panelport.h"
#include "shell/settingskeys.h"
#include "shell/soundengine.h"
#include "shell/speedcontrol.h"
#include "shell/summaries.h"

// Each body stays empty (or returns the plain default) until its part of the program fills
// it in; see the header for who fills which.

// The engine's keys, bound to the main window's model before the file is read.
void StartupBindEngineSettingsKeys()
{
    if (!Form1)
        return;
    BindEngineSettingsKeys(Settings(), {&Form1->EngineTiming, &Form1->EngineTone, &MorseCodes,
                                        &Form1->EngineSets, &Form1->Engine});
}

// Empty until the lesson import and text files land.
void StartupCreateTextLists()
{
}

// Empty until the cursor pictures are in the resources.
void StartupLoadCursors()
{
}

// Empty until the port, message and speed controls land.
void StartupFillControlTables()
{
}

// The port panel and its list of serial ports.
void StartupListSerialPorts()
{
    if (Form1)
        CreatePortPanel(*Form1);
}

// Empty until the joystick lands.
void StartupCaptureJoystick()
{
}

// Nothing to do: the timing model derives the speed unit from the speed and starts at word
// gap 1 and extra 0, before the settings are read.
void StartupTimingDefaults()
{
}

// Empty until the lists and enlargement land.
void StartupRecordListMetrics()
{
}

// Empty until the lessons land.
void StartupDefaultLessons()
{
}

// Empty until the lessons and release check land.
void StartupLessonChoiceTexts()
{
}

// Empty until kid mode lands.
void StartupKidViewSize()
{
}

// Empty until the quiz lands.
void StartupQuizOccurrenceLabel()
{
}

// Empty until parallel-port keying lands.
void StartupApplyParallelPort()
{
}

// Empty until manual keying lands.
void StartupEnableKeyerLines()
{
}

// Empty until typing, lists and quiz land.
void StartupResetModes()
{
}

// Empty until the real-speed label lands.
void StartupRealSpeedLabel()
{
}

// The summaries; enabling the character-set items waits for the random-group sets.
void StartupSummaries()
{
    UpdateRandomSummary();
    UpdateSpacingSummary();
}

// Empty until the audio decoder lands.
void StartupFilterHint()
{
}

// The sending engine around the main window's model, with the keying port's element clock;
// the speed control shows the speed the settings file and the command line chose.
void StartupEngineState()
{
    if (!Form1)
        return;
    CreateSoundEngine(*Form1);
    ShowSpeedOfTimingModel();
}

// The keyer supply as the settings left it, in agreement with the open port.
void StartupKeyerSupply()
{
    if (TPanelPort *panel = PanelPort())
        panel->StartupKeyerSupply();
}

// Empty until the key-timing decoder lands.
void StartupDecoderState()
{
}

// Empty until WAV recording lands.
void StartupCheckWavFormat()
{
}

// Empty until window enlargement lands.
void StartupRecordBaseSize()
{
}

// Nothing to do: playback done, tone and noise tables not built, the table sizes and the
// pitch's samples per cycle are how the engine and tone models start.
void StartupToneState()
{
}

// True: the sending engine allocates each character's buffer as it renders it and reuses
// it once played, so there is no block to allocate here.
bool StartupAllocateWaveMemory()
{
    return true;
}

// The output device opens on WaveOutDevice; without it Timer1 paces the engine.
void StartupOpenSoundOutput()
{
    if (TSoundEngine *engine = SoundEnginePtr())
        engine->OpenAtStart();
}

// Empty until window enlargement lands.
void StartupApplySavedZoom()
{
}

// Empty until the entry sheet, filter, zoom view, tile game, exam and file options land.
void StartupPushParkedSettings()
{
}

// Empty until the release check lands.
void StartupReleaseCheck()
{
}

// Empty until kid mode lands.
void QuitStopRabbitAnimation()
{
}

// Empty until kid mode lands (leaves it when it is on).
void QuitLeaveKidMode()
{
}

// The element clock; the key decoder's letter-gap timer joins when the decoder lands.
void QuitStopKeyingClocks()
{
    if (TSoundEngine *engine = SoundEnginePtr())
        engine->StopKeyingForQuit();
}

// Output reset and closed (nothing without a card); the input joins with the audio decoder.
void QuitReleaseSound()
{
    if (TSoundEngine *engine = SoundEnginePtr())
        engine->ReleaseSoundForQuit();
}

// The keying lines down and the keying port closed.
void QuitReleaseSerialLines()
{
    if (TPanelPort *panel = PanelPort())
        panel->ReleaseForQuit();
}

// Empty until parallel-port keying lands.
void QuitReleaseParallelPin()
{
}

// Empty until parallel-port keying lands.
void QuitReleaseParallelAccess()
{
}

// Nothing to do: the engine's buffers are freed with the engine, after the event loop,
// once nothing can reach them any more.
void QuitFreeWaveBuffers()
{
}

// Empty until the program's beep switch lands.
void QuitRestoreBeep()
{
}

// 100 until window enlargement lands.
int CurrentZoomPercent()
{
    return 100;
}
