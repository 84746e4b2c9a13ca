#include "shell/pendingsteps.h"

#include "engine/morsecode.h"
#include "shell/enginesettingskeys.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/panellpt.h"
#include "shell/panelport.h"
#include "shell/settingskeys.h"
#include "shell/soundengine.h"
#include "shell/speedcontrol.h"
#include "shell/systembeep.h"
#include "shell/summaries.h"
#include "shell/zoom.h"

// A step the shell owns does its work here; every other step runs what the modules added at
// its place (shell/modes.h).

// The engine's keys, bound to the main window's model before the file is read.
void StartupBindEngineSettingsKeys()
{
    if (!Form1)
        return;
    BindEngineSettingsKeys(Settings(), {&Form1->EngineTiming, &Form1->EngineTone, &MorseCodes,
                                        &Form1->EngineSets, &Form1->Engine});
}

void StartupCreateTextLists()
{
    RunModuleSteps(ModuleStep::CreateTextLists);
}

void StartupLoadCursors()
{
    RunModuleSteps(ModuleStep::LoadCursors);
}

void StartupFillControlTables()
{
    RunModuleSteps(ModuleStep::FillControlTables);
}

// The port panel with its list of serial ports and its parallel-port part.
void StartupListSerialPorts()
{
    if (Form1) {
        CreatePortPanel(*Form1);
        CreateParallelPortControls(*Form1);
    }
}

void StartupCaptureJoystick()
{
    RunModuleSteps(ModuleStep::CaptureJoystick);
}

// Nothing to do: the timing model derives the speed unit from the speed and starts at word
// gap 1 and extra 0, before the settings are read.
void StartupTimingDefaults()
{
}

void StartupRecordListMetrics()
{
    RunModuleSteps(ModuleStep::RecordListMetrics);
}

void StartupDefaultLessons()
{
    RunModuleSteps(ModuleStep::DefaultLessons);
}

void StartupLessonChoiceTexts()
{
    RunModuleSteps(ModuleStep::LessonChoiceTexts);
}

void StartupKidViewSize()
{
    RunModuleSteps(ModuleStep::KidViewSize);
}

void StartupQuizOccurrenceLabel()
{
    RunModuleSteps(ModuleStep::QuizOccurrenceLabel);
}

void StartupApplyParallelPort()
{
    RunModuleSteps(ModuleStep::ApplyParallelPort);
}

void StartupEnableKeyerLines()
{
    RunModuleSteps(ModuleStep::EnableKeyerLines);
}

void StartupResetModes()
{
    RunModuleSteps(ModuleStep::ResetModes);
}

// Empty: the speed control writes the real-speed label whenever speed or spacing is set.
void StartupRealSpeedLabel()
{
}

// The summaries; enabling the character-set items waits for the random-group sets.
void StartupSummaries()
{
    UpdateRandomSummary();
    UpdateSpacingSummary();
}

void StartupFilterHint()
{
    RunModuleSteps(ModuleStep::FilterHint);
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

void StartupDecoderState()
{
    RunModuleSteps(ModuleStep::DecoderState);
}

void StartupCheckWavFormat()
{
    RunModuleSteps(ModuleStep::CheckWavFormat);
}

void StartupRecordBaseSize()
{
    RunModuleSteps(ModuleStep::RecordBaseSize);
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

void StartupApplySavedZoom()
{
    RunModuleSteps(ModuleStep::ApplySavedZoom);
}

void StartupPushParkedSettings()
{
    RunModuleSteps(ModuleStep::PushParkedSettings);
}

void StartupReleaseCheck()
{
    RunModuleSteps(ModuleStep::FirstIdle);
}

void QuitStopRabbitAnimation()
{
    RunModuleSteps(ModuleStep::QuitStopRabbitAnimation);
}

void QuitLeaveKidMode()
{
    RunModuleSteps(ModuleStep::QuitLeaveKidMode);
}

// The element clock; the key decoder's letter-gap timer joins when the decoder lands.
void QuitStopKeyingClocks()
{
    if (TSoundEngine *engine = SoundEnginePtr())
        engine->StopKeyingForQuit();
    RunModuleSteps(ModuleStep::QuitStopKeyingClocks);
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

void QuitReleaseParallelPin()
{
    RunModuleSteps(ModuleStep::QuitReleaseParallelPin);
}

void QuitReleaseParallelAccess()
{
    RunModuleSteps(ModuleStep::QuitReleaseParallelAccess);
}

// Nothing to do: the engine's buffers are freed with the engine, after the event loop,
// once nothing can reach them any more.
void QuitFreeWaveBuffers()
{
}

// The program's beep back on (the quiz turns it off), then the modules' steps.
void QuitRestoreBeep()
{
    SetProgramBeep(true);
    RunModuleSteps(ModuleStep::QuitRestoreBeep);
}

int CurrentZoomPercent()
{
    return ZoomPercent;
}
