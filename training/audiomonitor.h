#pragma once

// The audio monitor: inside the key monitor, the learner picks the left or right channel of
// the sound input instead of a key, and the Morse heard there (a receiver's audio) is
// decoded into the monitor's memo. The group GroupBoxAudioMonitor holds the two channel
// buttons with their decoder thresholds and level bars and the filter button; the filter
// window FormFilter sets the band-pass filter, which Ctrl+arrow keys tune from the main
// window. The input is open only while audio decoding is on; sending anything closes it and
// the end of the text opens it again. A failing input shows PanelErrAudioMonitor and turns
// decoding off; the sound output and the rest of the program go on.

#include "engine/audiodecoder.h"
#include "platform/audioinput.h"

#include <QString>

#include <functional>
#include <memory>

class TForm1;

// The module's build (the program's module list).
void BuildAudioMonitorModule(TForm1 &form);

// ---- Settings held until the filter window exists -------------------------------------------

extern int FilterCenter;    // AFCENTER=, Hz
extern int FilterBandwidth; // AFBW=, Hz

// ---- What the monitor's entry runs --------------------------------------------------------

// The filter window's up-downs, the filter text and the coefficients (entering the monitor).
void AudioFilterOnMonitorEntry();
// Audio mode: the decoder reset, the input (re)opened on WaveInDevice; a failure is said and
// the error panel shown.
void StartAudioDecoding();

// ---- Handlers ------------------------------------------------------------------------------

void RadioButtonLCClick();
void RadioButtonRCClick();
void SpeedButtonMonitorFilterClick();
void MenuAudioFilterClick();
void UpDownFCenterClick();
void UpDownBWClick();
void CheckBoxFilterClick();

// ---- State and seams -------------------------------------------------------------------------

// The input is open for decoding (WaveInOpen).
bool WaveInputIsOpen();
void CloseWaveInput();
AudioDecoder &AudioMonitorDecoder();

// Makes the sound input when decoding first starts: PortAudio's. Tests put a fake in its
// place before they enter the monitor.
std::function<std::unique_ptr<AudioInput>()> &AudioInputFactory();
