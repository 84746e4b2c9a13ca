#pragma once

// The settings keys of the application shell that need nothing passed in: the language
// (LANGUAGE=) and the main window's place and size (WINPOS=, WINDIM=). Start-up binds
// LASTCHOICE= and WARNANSI= itself (BindStartupSettings); a key bound before is left alone.

class SettingsRegistry;

void BindShellSettingsKeys(SettingsRegistry &registry);
