#include "shell/settingsfile.h"

// Empty until the settings file reader lands.
void ReadSettingsFile() {}

// Empty until the settings file writer lands.
void WriteSettingsFile() {}
