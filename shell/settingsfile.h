#pragma once

// The settings file kestrelon.ini: read once at start, written once at exit.

// Reads the settings file into the program's settings (start-up).
void ReadSettingsFile();

// Writes the program's settings to the settings file (quit).
void WriteSettingsFile();
