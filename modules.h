#pragma once

// The program's module list: registers every training mode and game with the shell's module
// registry (shell/modes.h). The program's main calls it once, before any window is made; so do
// the tests and benchmarks that make the program's windows.
void RegisterProgramModules();
