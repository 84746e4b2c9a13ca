#pragma once

// The sending engine's view of the main window: every control, timer and mode step the start
// routine, the playback cycle and Stop reach. Controls of modes are looked up by their names
// and skipped while they do not exist; the mode steps call the hooks the modes fill in
// (shell/modes.h).

#include "engine/enginehost.h"

class TForm1;
class TSoundEngine;

class MainWindowEngineHost : public EngineHost {
public:
    MainWindowEngineHost(TForm1 &form, TSoundEngine &engine);

    void showStopButton() override;
    void showQuitButton() override;
    void freezeFileEdit() override;
    void releaseFileEdit() override;
    void updateDemoCaret() override;

    void fileTextShowSent() override;
    std::optional<unsigned char> fileSelectionLastChar() override;
    bool lineEndAsWordSpace() override;
    void typedTextShowSent() override;

    std::optional<std::string> shortcutText(unsigned char c) override;
    void zoomShowCharacter(unsigned char c, const std::string &code) override;
    void zoomClear() override;
    bool randomModeChecked() override;

    bool paddleKeyerWithMonitor() override;
    double keyCalibration() override;
    void appendMonitorElements(const std::string &signs) override;
    void keyerTextEnded(int letterGapMs) override;

    bool keyingOutputConfigured() override;
    void keyFirstElement(const CWElementTable &table) override;
    bool raisePTT() override;
    void stopElementClock() override;
    void releaseKeyingLines() override;

    void startTimer1(int ms) override;
    void stopTimer1() override;

    void showProgramMessage(const std::string &text) override;
    std::string msgCannotOpenSoundCard() override;
    void processEvents() override;
    void endApplication() override;
    void sidetoneOff() override;
    bool tuneEnhancementChecked() override;

    bool waveInputOpen() override;
    void closeWaveInput() override;

    bool continuousReplayChecked() override;
    void typedTextLoopPassEnded() override;
    void quizSeriesSent() override;
    void releaseModeButtons() override;
    bool fileTextFinished() override;
    void updateReplayButton() override;
    void fileTextShowAgain() override;
    void enableModeControls() override;
    void focusTypingBoxAtEnd() override;
    int randomCharCount() override;
    void randomSeriesEnded() override;
    void examChainNextPhase() override;
    void randomUnitSent() override;
    bool randomWordsChecked() override;
    void randomNextUnit() override;
    void audioMonitorResume() override;
    void focusHandOffWindow(HandOffWindow window) override;

    bool closeOpenPanel() override;
    void stopRestoreModeControls() override;
    bool quizSeriesStopped() override;
    void randomSeriesStopped() override;
    void updatePlayRandomHint() override;
    void typedTextStopped() override;
    void showHiddenTexts() override;
    void playClosingSound() override;

private:
    TForm1 &m_form;
    TSoundEngine &m_engine;
};

// The controls a running text disables and the end of the text (or Stop) enables again: the
// three lists, the quiz and monitor groups, the mode buttons, the character-set menu items
// and the six memory-message buttons, by name. A typed-text replay disables the same set
// but for the character-set items and with the file buttons added (see the typing mode).
void SetModeControlsEnabled(TForm1 &form, bool enabled);

// The checkable control or menu item of that name is checked (false when it does not exist).
bool NamedChecked(TForm1 &form, const char *name);
// The control of that name exists and is shown.
bool NamedVisible(TForm1 &form, const char *name);
