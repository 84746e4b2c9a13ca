#pragma once

// Everything the sending engine and the playback cycle need from the rest of the program:
// the main window's controls, the keying outputs, the timers and the training modes. The
// main window implements it; tests implement it with a recorder. Every call happens on the
// user-interface thread.
//
// The end-of-text functions (marked "mode") are the hand-back to the running mode; the
// playback cycle calls them in a fixed order and the modes fill them in.

#include "engine/cwelementtable.h"

#include <optional>
#include <string>
#include <string_view>

// A sound-device error as the program reports it: "Err " + number + " : " + place.
inline std::string WaveErrorText(int error, std::string_view place)
{
    return "Err " + std::to_string(error) + " : " + std::string(place);
}

class EngineHost {
public:
    virtual ~EngineHost() = default;

    // ---- Controls shared by the start routine and the playback cycle --------------------
    // Show ButtonStop and hide ButtonQuitter.
    virtual void showStopButton() = 0;
    // Show ButtonQuitter and hide ButtonStop.
    virtual void showQuitButton() = 0;
    // Freeze the redrawing of FileEdit while the start routine moves its selection.
    virtual void freezeFileEdit() = 0;
    // Release the redrawing of FileEdit and repaint it.
    virtual void releaseFileEdit() = 0;
    // The demo view's caret follows the text (only while FormDemo is visible).
    virtual void updateDemoCaret() = 0;

    // ---- File text box and typing box bookkeeping ----------------------------------------
    // FileEdit: caret back to FileSelStart if it moved, then select the first FileTextIndex
    // characters (the text sent so far) when the box has the window colour, else clear the
    // selection.
    virtual void fileTextShowSent() = 0;
    // The last character of FileEdit's selection, or nothing when the selection is empty.
    virtual std::optional<unsigned char> fileSelectionLastChar() = 0;
    // menuspacefile: a line end of the file text is sent as a word space.
    virtual bool lineEndAsWordSpace() = 0;
    // Editcaractere selects its first TypedTextIndex characters.
    virtual void typedTextShowSent() = 0;

    // ---- Characters ----------------------------------------------------------------------
    // The text of a shortcut character, or nothing when the character is not a shortcut.
    virtual std::optional<std::string> shortcutText(unsigned char c) = 0;
    // Zoom window: show the character and its code (only while it is visible; emptied while
    // the quiz is selected). zoomClear empties both labels (only while visible).
    virtual void zoomShowCharacter(unsigned char c, const std::string &code) = 0;
    virtual void zoomClear() = 0;
    // RadioButtonRandom is checked (random groups selected).
    virtual bool randomModeChecked() = 0;

    // ---- Keyer and monitor ---------------------------------------------------------------
    // GroupBoxMonitor is visible and a paddle keyer type (RadioButtonElKeyN/R) is chosen.
    virtual bool paddleKeyerWithMonitor() = 0;
    // The keyer's speed calibration factor (DoubleKeyCalibration).
    virtual double keyCalibration() = 0;
    // Append element signs to MonitorElements and to the element line.
    virtual void appendMonitorElements(const std::string &signs) = 0;
    // End of a keyed text with the monitor shown: stop MMTimerEspace, LetterGapState := 0,
    // and when letterGapMs is not 0 arm MMTimerEspace with it.
    virtual void keyerTextEnded(int letterGapMs) = 0;

    // ---- Keying outputs ------------------------------------------------------------------
    // A serial port with a CW line, or a parallel port, is chosen.
    virtual bool keyingOutputConfigured() = 0;
    // ManualKeyDown := 0, then KeyFirstElement() with this character's element table.
    virtual void keyFirstElement(const CWElementTable &table) = 0;
    // RaisePTT: the PTT lines up, PTTOn := 1, the lamp on and TimerTXDelay started unless PTT
    // was already up. True while TimerTXDelay runs: its tick then starts the engine.
    virtual bool raisePTT() = 0;
    // Disable the element clock (MMTimerCW).
    virtual void stopElementClock() = 0;
    // ReleaseKeyingLines: PTT and CW lines down (keyer power kept), lamps off, the parallel
    // pin to its idle level.
    virtual void releaseKeyingLines() = 0;

    // ---- Timer1: stands in for the output's done reports -----------------------------------
    // Start Timer1 to fire once after ms milliseconds (restarting it if it runs).
    virtual void startTimer1(int ms) = 0;
    virtual void stopTimer1() = 0;

    // ---- Messages and the rest of the program --------------------------------------------
    // ShowProgramMessage with a Windows-1252 text.
    virtual void showProgramMessage(const std::string &text) = 0;
    // MsgCannotOpenSoundCard in the current language (English "Can't open the sound card !").
    virtual std::string msgCannotOpenSoundCard() = 0;
    // Process pending window messages once.
    virtual void processEvents() = 0;
    // End the application after a fatal sound-device error.
    virtual void endApplication() = 0;
    // The sidetone voice stops (SidetoneOn := 0).
    virtual void sidetoneOff() = 0;
    // MenuDeleteClick is checked ("Tune enhancement"): StopWaveOut flushes without muting.
    virtual bool tuneEnhancementChecked() = 0;

    // ---- Audio input (audio decoder) ------------------------------------------------------
    // The wave input is open for the audio monitor.
    virtual bool waveInputOpen() = 0;
    // Stop, reset and close the wave input (WaveInOpen := 0).
    virtual void closeWaveInput() = 0;

    // ---- End of text: hand-back to the running mode (called in this order) ----------------
    // Typed-text repeat loop: MenuContinuous is checked.
    virtual bool continuousReplayChecked() = 0;
    // mode: a typed-text loop pass ended (LoopButton := 0, TimerBoucle started).
    virtual void typedTextLoopPassEnded() = 0;
    // mode: a quiz series has been sent (faces, TimerQuiz, the abort-delay path).
    virtual void quizSeriesSent() = 0;
    // mode: ButtonReplayText, ButtonPlayFile and ButtonContinueFile pop up.
    virtual void releaseModeButtons() = 0;
    // mode: the file text has been sent to its end or stopped (play/continue buttons,
    // selection, read-only). Returns true when a repeat loop started and the handler must end.
    virtual bool fileTextFinished() = 0;
    // mode: ButtonReplayText enabled when the typing box holds text, its caption chosen by
    // TypedText.
    virtual void updateReplayButton() = 0;
    // mode: the file text is shown again when menuMontrerText is checked.
    virtual void fileTextShowAgain() = 0;
    // The mode controls of the main window and the six memory-message buttons are enabled.
    virtual void enableModeControls() = 0;
    // Focus the typing box at the end of a text: not when a key typed in the zoom view asked
    // to keep it (ZoomTyping, cleared here) while no typed text waits; never while a game or
    // the pitch window handed text over or the demo view is visible.
    virtual void focusTypingBoxAtEnd() = 0;
    // mode: RandomCharCount, the units left in the random series.
    virtual int randomCharCount() = 0;
    // mode: the series has ended: exam phase bookkeeping, BitBtnStopRandom clicked, FormPause
    // focused when visible.
    virtual void randomSeriesEnded() = 0;
    // mode: the next exam phase starts at once when one is due (ExamPauseDue, ExamPhaseDone).
    virtual void examChainNextPhase() = 0;
    // mode: one unit of the random series has been sent: the count drops.
    virtual void randomUnitSent() = 0;
    // MenuRandomWords is checked (group lengths drawn from 2 to 8).
    virtual bool randomWordsChecked() = 0;
    // mode: RadioButtonRandomClick, which queues the next unit of the series.
    virtual void randomNextUnit() = 0;
    // When the audio monitor is selected, RadioButtonMonitorClick reopens the wave input.
    virtual void audioMonitorResume() = 0;
    enum class HandOffWindow { Jong, Pairs, Note, Beacon };
    // The window that handed text over gets the keyboard focus (when it is visible).
    virtual void focusHandOffWindow(HandOffWindow window) = 0;

    // ---- Stop ------------------------------------------------------------------------------
    // Close the first open panel (PanelLocalCharacters, PanelLocalShortcut, PanelLocalLesson,
    // PanelEspace, PanelChoixRandom, PanelMaskedText) by its own button; false when none was
    // open.
    virtual bool closeOpenPanel() = 0;
    // mode: the idle controls of the random and quiz panels come back and TimerQuiz and
    // TimerBoucle stop.
    virtual void stopRestoreModeControls() = 0;
    // mode: a quiz series was stopped: its counters and timing are closed. Returns true when
    // no question had been answered yet (QuizLeft equals the quiz count).
    virtual bool quizSeriesStopped() = 0;
    // mode: RandomStopped := 1 when a replayed series still had units left, else 0 (called
    // before ReplayRandom is cleared).
    virtual void randomSeriesStopped() = 0;
    // mode: UpdatePlayRandomHint.
    virtual void updatePlayRandomHint() = 0;
    // mode: a typed-text replay was stopped (ButtonReplayText shows TxtResumeText,
    // TypingReplay := 0).
    virtual void typedTextStopped() = 0;
    // mode: hidden random or file texts are shown again (menuShow, menuMontrerText).
    virtual void showHiddenTexts() = 0;
    // The closing sound, when MenuSonFermeture is checked and no random-choice panel is active.
    virtual void playClosingSound() = 0;
};
