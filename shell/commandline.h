#pragma once

#include <QStringList>

// Applies the command-line arguments (language and speed), after the settings file.
void ApplyCommandLine(const QStringList &arguments);
