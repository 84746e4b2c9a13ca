#pragma once

// An EngineHost that records every call by name, answers queries from plain fields and lets a
// test hook its own action onto any call (a mode queuing its next unit, for instance).

#include "engine/enginehost.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

class FakeEngineHost : public EngineHost {
public:
    // Answers
    std::optional<unsigned char> selectionLastChar;
    bool lineEndSpace = false;
    std::map<unsigned char, std::string> shortcuts;
    bool randomChecked = false;
    bool paddleKeyer = false;
    double calibration = 0.0;
    bool keying = false;
    bool txDelay = false;
    bool tuneEnhancement = false;
    bool waveInOpen = false;
    bool continuousReplay = false;
    bool fileTextLoop = false;
    int charCount = 10;
    bool randomWords = false;
    bool openPanel = false;
    bool quizUnanswered = false;

    // Records
    std::vector<std::string> calls;
    std::vector<CWElementTable> keyedTables;
    std::vector<std::string> messages;
    std::vector<int> timer1Starts;
    bool timer1Running = false;
    std::string monitorElements;
    std::vector<HandOffWindow> focused;
    std::vector<std::uintptr_t> stackMarks; // a stack address at every zoomClear

    std::map<std::string, std::function<void()>> hooks;

    int count(const std::string &name) const
    {
        return static_cast<int>(std::count(calls.begin(), calls.end(), name));
    }
    // The calls after the last one named `name` (all calls when there was none).
    std::vector<std::string> callsAfterLast(const std::string &name) const
    {
        auto it = std::find(calls.rbegin(), calls.rend(), name);
        return std::vector<std::string>(it.base(), calls.end());
    }

    void showStopButton() override { record("showStopButton"); }
    void showQuitButton() override { record("showQuitButton"); }
    void freezeFileEdit() override { record("freezeFileEdit"); }
    void releaseFileEdit() override { record("releaseFileEdit"); }
    void updateDemoCaret() override { record("updateDemoCaret"); }
    void fileTextShowSent() override { record("fileTextShowSent"); }
    std::optional<unsigned char> fileSelectionLastChar() override { return selectionLastChar; }
    bool lineEndAsWordSpace() override { return lineEndSpace; }
    void typedTextShowSent() override { record("typedTextShowSent"); }
    std::optional<std::string> shortcutText(unsigned char c) override
    {
        auto it = shortcuts.find(c);
        if (it == shortcuts.end())
            return std::nullopt;
        return it->second;
    }
    void zoomShowCharacter(unsigned char, const std::string &) override { record("zoomShow"); }
    void zoomClear() override
    {
        int mark = 0;
        stackMarks.push_back(reinterpret_cast<std::uintptr_t>(&mark));
        record("zoomClear");
    }
    bool randomModeChecked() override { return randomChecked; }
    bool paddleKeyerWithMonitor() override { return paddleKeyer; }
    double keyCalibration() override { return calibration; }
    void appendMonitorElements(const std::string &signs) override
    {
        monitorElements += signs;
        if (elementsAppended)
            elementsAppended(signs);
    }
    void keyerTextEnded(int letterGapMs) override
    {
        record("keyerTextEnded");
        keyerLetterGapMs = letterGapMs;
        if (letterEnded)
            letterEnded(letterGapMs);
    }
    int keyerLetterGapMs = -1;
    // The monitor's side of the keyer, where a test wires a key decoder to it.
    std::function<void(const std::string &)> elementsAppended;
    std::function<void(int)> letterEnded;
    bool keyingOutputConfigured() override { return keying; }
    void keyFirstElement(const CWElementTable &table) override
    {
        keyedTables.push_back(table);
        record("keyFirstElement");
    }
    bool raisePTT() override
    {
        record("raisePTT");
        return txDelay;
    }
    void stopElementClock() override { record("stopElementClock"); }
    void releaseKeyingLines() override { record("releaseKeyingLines"); }
    void startTimer1(int ms) override
    {
        timer1Starts.push_back(ms);
        timer1Running = true;
    }
    void stopTimer1() override
    {
        timer1Running = false;
        record("stopTimer1");
    }
    void showProgramMessage(const std::string &text) override
    {
        messages.push_back(text);
        record("showProgramMessage");
    }
    std::string msgCannotOpenSoundCard() override { return "Can't open the sound card !"; }
    void processEvents() override { record("processEvents"); }
    void endApplication() override { record("endApplication"); }
    void sidetoneOff() override { record("sidetoneOff"); }
    bool tuneEnhancementChecked() override { return tuneEnhancement; }
    bool waveInputOpen() override { return waveInOpen; }
    void closeWaveInput() override
    {
        waveInOpen = false;
        record("closeWaveInput");
    }
    bool continuousReplayChecked() override { return continuousReplay; }
    void typedTextLoopPassEnded() override { record("typedTextLoopPassEnded"); }
    void quizSeriesSent() override { record("quizSeriesSent"); }
    void releaseModeButtons() override { record("releaseModeButtons"); }
    bool fileTextFinished() override
    {
        record("fileTextFinished");
        return fileTextLoop;
    }
    void updateReplayButton() override { record("updateReplayButton"); }
    void fileTextShowAgain() override { record("fileTextShowAgain"); }
    void enableModeControls() override { record("enableModeControls"); }
    void focusTypingBoxAtEnd() override { record("focusTypingBoxAtEnd"); }
    int randomCharCount() override { return charCount; }
    void randomSeriesEnded() override { record("randomSeriesEnded"); }
    void examChainNextPhase() override { record("examChainNextPhase"); }
    void randomUnitSent() override
    {
        --charCount;
        record("randomUnitSent");
    }
    bool randomWordsChecked() override { return randomWords; }
    void randomNextUnit() override { record("randomNextUnit"); }
    void audioMonitorResume() override { record("audioMonitorResume"); }
    void focusHandOffWindow(HandOffWindow window) override
    {
        focused.push_back(window);
        record("focusHandOffWindow");
    }
    bool closeOpenPanel() override
    {
        record("closeOpenPanel");
        return openPanel;
    }
    void stopRestoreModeControls() override { record("stopRestoreModeControls"); }
    bool quizSeriesStopped() override
    {
        record("quizSeriesStopped");
        return quizUnanswered;
    }
    void randomSeriesStopped() override { record("randomSeriesStopped"); }
    void updatePlayRandomHint() override { record("updatePlayRandomHint"); }
    void typedTextStopped() override { record("typedTextStopped"); }
    void showHiddenTexts() override { record("showHiddenTexts"); }
    void playClosingSound() override { record("playClosingSound"); }

private:
    void record(const std::string &name)
    {
        calls.push_back(name);
        if (auto it = hooks.find(name); it != hooks.end())
            it->second();
    }
};
