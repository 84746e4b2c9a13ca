#pragma once

// The settings keys of the application shell's own parts: the language (LANGUAGE=).

class SettingsRegistry;

void BindShellSettingsKeys(SettingsRegistry &registry);
