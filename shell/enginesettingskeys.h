#pragma once

// The settings keys of the Morse engine: speed and spacing, level, pitch, noise, fading,
// drift and the local characters. They are bound to the engine's model objects, which the
// main window owns and passes in.

class SettingsRegistry;
class Timing;
class MorseCodeTable;
struct ToneGenerator;
struct CharacterSets;
struct EngineState;

struct EngineSettings {
    Timing *timing = nullptr;
    ToneGenerator *tone = nullptr;
    MorseCodeTable *codes = nullptr; // the working table, MorseCodes
    CharacterSets *sets = nullptr;
    // The sound devices (ISOUND=, OSOUND=); without it those keys stay as the file had them.
    EngineState *state = nullptr;
};

// Values read for the effect windows, kept until those windows exist and take them: the
// noise and fading windows' track-bar positions (0..20) and the pitch window's position
// (0..140, pitch = 1500 - 10 x position; -1 for the exam tone).
extern int IniNoisePosition;
extern int IniQsbPosition;
extern int IniNotePosition;

// The highest sound device number ISOUND= and OSOUND= take.
constexpr int MaxSoundDeviceNumber = 4095;

// Binds SPEED=, SPACE=, SPACEW=, SPACEWF=, SPACEL=, SPACEB=, LEVEL=, NOISE_LEVEL=,
// QSB_LEVEL=, QSB_SPEED=, NOISE_BW=, NOTE=, DRIFT=, LOCAL_CHAR= (and ISOUND=, OSOUND= with
// the engine state), and a fix-up that
// rebuilds the tone tables once when the file changed what they are built from.
void BindEngineSettingsKeys(SettingsRegistry &registry, const EngineSettings &engine);

// The pitch window's position for a NOTE= value: the pitch held to 100..1500 Hz and
// round((1500 - pitch) / 10), halves to even.
int NotePositionForPitch(int hz);
