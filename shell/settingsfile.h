#pragma once

// The settings file kestrelon.ini: read once at start, written once at exit. Its keys are
// bound in the registry of shell/settingskeys.h.

#include <QString>

#include <functional>

// Reads the settings file into the program's settings (start-up), then runs the fix-ups.
// A missing file leaves the defaults; a file that exists but cannot be read leaves the
// defaults too and keeps the file from being overwritten at exit.
void ReadSettingsFile();

// Writes the program's settings to the settings file (quit). Returns false when nothing was
// written (the user has been told); the old file is then unchanged.
bool WriteSettingsFile();

// Binds the rows of every module that needs nothing passed in (the reader does this first).
// Modules whose rows need the main window's objects bind them when they create those
// objects, before the read: BindEngineSettingsKeys(Settings(), {...}).
void BindProgramSettingsKeys();

// $XDG_CONFIG_HOME/kestrelon/kestrelon.ini (by default ~/.config/kestrelon/kestrelon.ini).
QString SettingsFilePath();

// Tells the user that the settings file could not be written: by default the program
// message box with MsgCannotCreateSettings (the reason also goes to the standard error).
// Tests put a reporter of their own in its place.
void SetSettingsFailureReporter(std::function<void()> report);
