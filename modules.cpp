#include "modules.h"

#include "shell/modes.h"

#include "games/gamesmodule.h"
#include "training/audiomonitor.h"
#include "training/exam.h"
#include "training/beacon.h"
#include "training/demoview.h"
#include "training/entrysheet.h"
#include "training/filetext.h"
#include "training/instructor.h"
#include "training/kidmode.h"
#include "training/lessons.h"
#include "training/lists.h"
#include "training/messages.h"
#include "training/monitor.h"
#include "training/quiz.h"
#include "training/random.h"
#include "training/typing.h"

// The program's modules, in the order their panels are built on the main window.
void RegisterProgramModules()
{
    RegisterModule({"typing", BuildTypingModule});
    RegisterModule({"monitor", BuildMonitorModule});
    RegisterModule({"audio monitor", BuildAudioMonitorModule});
    RegisterModule({"kid mode", BuildKidModeModule});
    RegisterModule({"file text", BuildFileTextModule});
    RegisterModule({"random", BuildRandomModule});
    RegisterModule({"lessons", BuildLessonsModule});
    RegisterModule({"exam", BuildExamModule});
    RegisterModule({"lists", BuildListsModule});
    RegisterModule({"messages", BuildMessagesModule});
    RegisterModule({"beacon", BuildBeaconModule});
    RegisterModule({"quiz", BuildQuizModule});
    RegisterModule({"games", BuildGamesModule});
    // After the file text and random groups: their panels get these modules' buttons.
    RegisterModule({"instructor", BuildInstructorModule});
    RegisterModule({"demo view", BuildDemoViewModule});
    RegisterModule({"entry sheet", BuildEntrySheetModule});
}
