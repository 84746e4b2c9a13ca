#include "shell/commandline.h"

// Empty until the command-line handling lands.
void ApplyCommandLine(const QStringList &) {}
