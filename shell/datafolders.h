#pragma once

#include <QString>

// Where the program keeps its files on Linux. The data folder takes every file the program
// writes under a plain name (reports, saved texts, version file, news) and is the current
// folder for the whole run; the settings folder holds kestrelon.ini.

// $XDG_DATA_HOME/kestrelon (default ~/.local/share/kestrelon).
QString DataFolder();

// $XDG_CONFIG_HOME/kestrelon (default ~/.config/kestrelon).
QString SettingsFolder();

// Runs once before any window: creates both folders (with missing parents) and makes the
// data folder the current folder. Returns false when the data folder cannot be created or
// entered; start-up goes on in the folder it was started from.
bool InitDataFolder();
