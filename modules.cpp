#include "shell/modes.h"

#include "training/filetext.h"
#include "training/monitor.h"
#include "training/random.h"
#include "training/typing.h"

// The program's modules, in the order their panels are built on the main window.
void RegisterProgramModules()
{
    RegisterModule({"typing", BuildTypingModule});
    RegisterModule({"monitor", BuildMonitorModule});
    RegisterModule({"file text", BuildFileTextModule});
    RegisterModule({"random", BuildRandomModule});
}
