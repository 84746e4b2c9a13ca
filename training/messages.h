#pragma once

// Memory messages and shortcuts: six stored texts, sent by the main panel's buttons "1".."6"
// as a replay of the typing box, or appended to what is being sent by the labels
// "MSG#1".."MSG#6" of the message editor PanelMsg (which can be dragged out of the window);
// and the shortcut editor PanelLocalShortcut, where the user creates, modifies and deletes
// the characters that stand for a text when typed.

#include <QString>

#include <array>
#include <string>

class TForm1;

// Messages[1..6] (Windows-1252); entry 0 is unused.
constexpr int MemoryMessages = 6;
extern std::array<std::string, MemoryMessages + 1> Messages;
// The message ButtonMsgXClick sends: 1..6, or the beacon's message.
extern int MessageIndex;
constexpr int BeaconMessageIndex = 10;
// The beacon's last composed message.
extern std::string BeaconMessage;

// The module's build (the program's module list): the message buttons, the message editor,
// the shortcut editor, their menu items and the MSG= key.
void BuildMessagesModule(TForm1 &form);

// ---- Handlers: messages -----------------------------------------------------------------------

// ButtonMsg1Click .. ButtonMsg6Click: MessageIndex := n, then ButtonMsgXClick.
void ButtonMsgClick(int n);
// Sends message MessageIndex (or the beacon's) alone, as a replay of the typing box.
void ButtonMsgXClick();
// StaticTextMsg1Click .. StaticTextMsg6Click: MessageIndex := n, then StaticTextMsgXClick.
void StaticTextMsgClick(int n);
// Appends message MessageIndex behind whatever is queued.
void StaticTextMsgXClick();
void MenuLocalMessagesClick();
void ButtonCloseMsgClick();
// The editor is dragged out of the window: its own title and close button go.
void PanelMsgStartDock();

// ---- Handlers: shortcuts (shortcutpanel.cpp) ----------------------------------------------------

void MenuLocalShortcutsClick();
void EditShortcutChange();
void EditShortcutTextChange();
void ButtonShortcutEnterClick();
void ButtonShortcutExitClick();
// A right click on a shortcut row of the character list: the editor opens with that row's
// character (or none).
void OpenShortcutEditorFor(const QString &character);
// Builds the shortcut editor (hidden) and its menu item.
void BuildShortcutPanel(TForm1 &form);
