#include "shell/enginehost_mainwindow.h"

#include "engine/cp1252.h"
#include "shell/formdialog.h"
#include "shell/languages/messages.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/panelport.h"
#include "shell/effectwindows.h"
#include "shell/sidewindows.h"
#include "shell/soundengine.h"
#include "shell/startup.h"
#include "shell/utilities.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QWidget>

namespace {

QObject *named(TForm1 &form, const char *name)
{
    return form.findChild<QObject *>(QString::fromLatin1(name));
}

void setNamedEnabled(TForm1 &form, const char *name, bool enabled)
{
    QObject *object = named(form, name);
    if (auto *widget = qobject_cast<QWidget *>(object))
        widget->setEnabled(enabled);
    else if (auto *action = qobject_cast<QAction *>(object))
        action->setEnabled(enabled);
}

void setNamedShown(TForm1 &form, const char *name, bool shown)
{
    if (auto *widget = qobject_cast<QWidget *>(named(form, name)))
        widget->setVisible(shown);
}

// A checkable button pops up (a pressed speed button is released).
void popUp(TForm1 &form, const char *name)
{
    if (auto *button = qobject_cast<QAbstractButton *>(named(form, name)))
        button->setChecked(false);
}

} // namespace

bool NamedChecked(TForm1 &form, const char *name)
{
    QObject *object = named(form, name);
    if (auto *button = qobject_cast<QAbstractButton *>(object))
        return button->isChecked();
    if (auto *action = qobject_cast<QAction *>(object))
        return action->isChecked();
    return false;
}

bool NamedVisible(TForm1 &form, const char *name)
{
    auto *widget = qobject_cast<QWidget *>(named(form, name));
    return widget && !widget->isHidden();
}

void SetModeControlsEnabled(TForm1 &form, bool enabled)
{
    static const char *const names[] = {
        "ListAlphabet", "ListCodeQ", "ListAbreviations", "QuizGroupBox", "GroupBoxMonitor",
        "RadioButtonAlphabet", "RadioButtonCodeQ", "RadioButtonAbrev", "RadioButtonFile",
        "RadioButtonRandom", "RadioButtonQuiz", "RadioButtonMonitor",
        "MenuLetters", "MenuFigures", "MenuStops", "MenuLocal", "MenuLettersFigures", "MenuAll",
        "MenuChoixCaracteres",
        "ButtonMsg1", "ButtonMsg2", "ButtonMsg3", "ButtonMsg4", "ButtonMsg5", "ButtonMsg6",
    };
    for (const char *name : names)
        setNamedEnabled(form, name, enabled);
}

MainWindowEngineHost::MainWindowEngineHost(TForm1 &form, TSoundEngine &engine)
    : m_form(form), m_engine(engine)
{
}

// ---- Controls shared by the start routine and the playback cycle ----------------------------

void MainWindowEngineHost::showStopButton()
{
    m_form.ButtonStop->show();
    m_form.ButtonQuitter->hide();
}

void MainWindowEngineHost::showQuitButton()
{
    m_form.ButtonQuitter->show();
    m_form.ButtonStop->hide();
}

void MainWindowEngineHost::freezeFileEdit()
{
    if (auto *fileEdit = qobject_cast<QWidget *>(named(m_form, "FileEdit")))
        fileEdit->setUpdatesEnabled(false);
}

void MainWindowEngineHost::releaseFileEdit()
{
    if (auto *fileEdit = qobject_cast<QWidget *>(named(m_form, "FileEdit"))) {
        fileEdit->setUpdatesEnabled(true);
        fileEdit->update();
    }
}

void MainWindowEngineHost::updateDemoCaret()
{
    CallHook(Hooks().updateDemoCaret);
}

// ---- File text box and typing box ------------------------------------------------------------

void MainWindowEngineHost::fileTextShowSent()
{
    CallHook(Hooks().fileTextShowSent);
}

std::optional<unsigned char> MainWindowEngineHost::fileSelectionLastChar()
{
    return CallHook(Hooks().fileSelectionLastChar, std::optional<unsigned char>());
}

bool MainWindowEngineHost::lineEndAsWordSpace()
{
    return NamedChecked(m_form, "menuspacefile");
}

void MainWindowEngineHost::typedTextShowSent()
{
    CallHook(Hooks().typedTextShowSent);
}

// ---- Characters ------------------------------------------------------------------------------

std::optional<std::string> MainWindowEngineHost::shortcutText(unsigned char c)
{
    return CallHook(Hooks().shortcutText, std::optional<std::string>(), c);
}

void MainWindowEngineHost::zoomShowCharacter(unsigned char c, const std::string &code)
{
    CallHook(Hooks().zoomShowCharacter, c, code);
}

void MainWindowEngineHost::zoomClear()
{
    CallHook(Hooks().zoomClear);
}

bool MainWindowEngineHost::randomModeChecked()
{
    return m_form.RadioButtonRandom->isChecked();
}

// ---- Keyer and monitor -----------------------------------------------------------------------

bool MainWindowEngineHost::paddleKeyerWithMonitor()
{
    return NamedVisible(m_form, "GroupBoxMonitor")
        && (NamedChecked(m_form, "RadioButtonElKeyN") || NamedChecked(m_form, "RadioButtonElKeyR"));
}

double MainWindowEngineHost::keyCalibration()
{
    // 0.2 until the key-timing decoder's calibration menu sets a factor.
    return CallHook(Hooks().keyCalibration, 0.2);
}

void MainWindowEngineHost::appendMonitorElements(const std::string &signs)
{
    CallHook(Hooks().appendMonitorElements, signs);
}

void MainWindowEngineHost::keyerTextEnded(int letterGapMs)
{
    CallHook(Hooks().keyerTextEnded, letterGapMs);
}

// ---- Keying outputs --------------------------------------------------------------------------

bool MainWindowEngineHost::keyingOutputConfigured()
{
    const KeyingConfig config = m_engine.Clock->Config();
    return (config.SerialPortInUse && config.CWLines != 0) || config.ParallelPortInUse;
}

void MainWindowEngineHost::keyFirstElement(const CWElementTable &table)
{
    m_engine.KeyFirstElement(table);
}

bool MainWindowEngineHost::raisePTT()
{
    // The delay runs only after PTT has just gone up; a PTT already up starts no new one.
    if (TPanelPort *port = PanelPort(); port && port->RaisePTT())
        m_form.TimerTXDelay->start();
    return m_form.TimerTXDelay->isActive();
}

void MainWindowEngineHost::stopElementClock()
{
    m_engine.StopElementClock();
}

// The serial lines; the parallel-port pin joins when parallel-port keying lands.
void MainWindowEngineHost::releaseKeyingLines()
{
    if (TPanelPort *port = PanelPort())
        port->ReleaseKeyingLines();
}

// ---- Timer1 ----------------------------------------------------------------------------------

void MainWindowEngineHost::startTimer1(int ms)
{
    m_form.Timer1->start(ms);
}

void MainWindowEngineHost::stopTimer1()
{
    m_form.Timer1->stop();
}

// ---- Messages and the rest of the program ----------------------------------------------------

void MainWindowEngineHost::showProgramMessage(const std::string &text)
{
    ShowProgramMessage(text);
}

std::string MainWindowEngineHost::msgCannotOpenSoundCard()
{
    return cp1252::fromQString(MsgCannotOpenSoundCard());
}

void MainWindowEngineHost::processEvents()
{
    QCoreApplication::processEvents();
}

void MainWindowEngineHost::endApplication()
{
    TerminateApplication();
}

void MainWindowEngineHost::sidetoneOff()
{
    CallHook(Hooks().sidetoneOff);
}

bool MainWindowEngineHost::tuneEnhancementChecked()
{
    return NamedChecked(m_form, "MenuDeleteClick");
}

// ---- Audio input -----------------------------------------------------------------------------

bool MainWindowEngineHost::waveInputOpen()
{
    return CallHook(Hooks().waveInputOpen, false);
}

void MainWindowEngineHost::closeWaveInput()
{
    CallHook(Hooks().closeWaveInput);
}

// ---- End of text -----------------------------------------------------------------------------

bool MainWindowEngineHost::continuousReplayChecked()
{
    return NamedChecked(m_form, "MenuContinuous");
}

void MainWindowEngineHost::typedTextLoopPassEnded()
{
    CallHook(Hooks().typedTextLoopPassEnded);
}

void MainWindowEngineHost::quizSeriesSent()
{
    CallHook(Hooks().quizSeriesSent);
}

void MainWindowEngineHost::releaseModeButtons()
{
    popUp(m_form, "ButtonReplayText");
    popUp(m_form, "ButtonPlayFile");
    popUp(m_form, "ButtonContinueFile");
}

bool MainWindowEngineHost::fileTextFinished()
{
    return CallHook(Hooks().fileTextFinished, false);
}

void MainWindowEngineHost::updateReplayButton()
{
    CallHook(Hooks().updateReplayButton);
}

void MainWindowEngineHost::fileTextShowAgain()
{
    CallHook(Hooks().fileTextShowAgain);
}

void MainWindowEngineHost::enableModeControls()
{
    SetModeControlsEnabled(m_form, true);
}

void MainWindowEngineHost::focusTypingBoxAtEnd()
{
    CallHook(Hooks().focusTypingBoxAtEnd);
}

int MainWindowEngineHost::randomCharCount()
{
    return CallHook(Hooks().randomCharCount, 0);
}

void MainWindowEngineHost::randomSeriesEnded()
{
    CallHook(Hooks().randomSeriesEnded);
}

void MainWindowEngineHost::examChainNextPhase()
{
    CallHook(Hooks().examChainNextPhase);
}

void MainWindowEngineHost::randomUnitSent()
{
    CallHook(Hooks().randomUnitSent);
}

bool MainWindowEngineHost::randomWordsChecked()
{
    return NamedChecked(m_form, "MenuRandomWords");
}

void MainWindowEngineHost::randomNextUnit()
{
    CallHook(Hooks().randomNextUnit);
}

void MainWindowEngineHost::audioMonitorResume()
{
    CallHook(Hooks().audioMonitorResume);
}

void MainWindowEngineHost::focusHandOffWindow(HandOffWindow window)
{
    QWidget *target = nullptr;
    switch (window) {
    case HandOffWindow::Jong:
        target = SideWindowAt(SideWindowPlace::TileGame);
        break;
    case HandOffWindow::Pairs:
        target = SideWindowAt(SideWindowPlace::PairsGame);
        break;
    case HandOffWindow::Note:
        target = FormNote;
        break;
    case HandOffWindow::Beacon:
        target = SideWindowAt(SideWindowPlace::Beacon);
        break;
    }
    if (target && target->isVisible()) {
        target->activateWindow();
        target->setFocus();
    }
}

// ---- Stop ------------------------------------------------------------------------------------

bool MainWindowEngineHost::closeOpenPanel()
{
    return CloseFirstShownPanel(&m_form, SettingsPanelExits);
}

void MainWindowEngineHost::stopRestoreModeControls()
{
    setNamedShown(m_form, "BitBtnPlayRandom", true);
    setNamedShown(m_form, "BitBtnStopRandom", false);
    setNamedShown(m_form, "ButtonQuizOK", true);
    setNamedShown(m_form, "ButtonQuizStop", false);
    setNamedShown(m_form, "GroupBoxQuiz", true);
    setNamedShown(m_form, "Visage0", true);
    setNamedShown(m_form, "VisageHa", false);
    setNamedShown(m_form, "VisageHo", false);
    m_form.TimerQuiz->stop();
    m_form.TimerBoucle->stop();
}

bool MainWindowEngineHost::quizSeriesStopped()
{
    return CallHook(Hooks().quizSeriesStopped, false);
}

void MainWindowEngineHost::randomSeriesStopped()
{
    CallHook(Hooks().randomSeriesStopped);
}

void MainWindowEngineHost::updatePlayRandomHint()
{
    CallHook(Hooks().updatePlayRandomHint);
}

void MainWindowEngineHost::typedTextStopped()
{
    CallHook(Hooks().typedTextStopped);
}

void MainWindowEngineHost::showHiddenTexts()
{
    CallHook(Hooks().showHiddenTexts);
}

void MainWindowEngineHost::playClosingSound()
{
    m_engine.PlayClosingSound();
}
