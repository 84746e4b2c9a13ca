#pragma once

// Opening and closing the main window's settings panels. Opening one first closes any other
// open panel through its own way out (one list for every panel, so no panel can stay open
// behind another and change what the other one shows); closing one gives the focus back to
// where the user types.

#include "shell/utilities.h"

class QWidget;
class TForm1;

// Every settings panel of the main window and the button that closes it.
inline constexpr PanelExit MainWindowPanels[] = {
    {"PanelChoixRandom", "ButtonCancelChoix"},
    {"PanelLocalLesson", "ButtonLocalLessonExit"},
    {"PanelLocalShortcut", "ButtonShortcutExit"},
    {"PanelMaskedText", "ButtonMaskedTextCancel"},
    {"PanelEspace", "BitBtnOKEspace"},
    {"PanelPort", "ButtonClosePanelPort"},
    {"PanelMsg", "ButtonCloseMsg"},
    {"PanelCarteSon", "BitBtnOKCarteSon"},
    {"PanelImportLessons", "BitBtnCancelImport"},
    {"PanelLocalCharacters", "ButtonLocalCaractereExit"},
    {"PanelTextRecord", "BitBtnNoRecord"},
};

// A playing quiz series is stopped (as Stop's mouse-down does), every other shown panel is
// closed by its own button, ButtonQuizOK is disabled and `panel` is shown on top.
void OpenSettingsPanel(TForm1 &form, QWidget *panel);

// `panel` is hidden, ButtonQuizOK enabled again and the focus handed back
// (FocusAfterSettingsPanel).
void CloseSettingsPanel(TForm1 &form, QWidget *panel);

// The typing box gets the focus (while a typed text is replayed, or when neither a random
// series nor a file text plays), or the file text while one plays; never while the demo view
// is visible.
void FocusAfterSettingsPanel(TForm1 &form);
