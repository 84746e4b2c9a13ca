// Enter while a file text plays or waits to be continued: the rows of the main window's key
// table.

#include "training/filetext.h"

#include "shell/keyrouting.h"
#include "shell/mainwindow.h"
#include "shell/soundengine.h"

#include <QPushButton>

void AddFileTextKeyRoutes()
{
    AddKeyRoute({"file text: stop", KeyStage::Window, 30, nullptr, KeyEnter,
                 [](int) { return Form1 && Form1->Engine.TextPlaying; },
                 [](int) {
                     SoundEngine().ButtonStopClick();
                     return true;
                 },
                 KeyConsume::Always});
    AddKeyRoute({"file text: continue", KeyStage::Window, 40, nullptr, KeyEnter,
                 [](int) {
                     // The module's controls exist only while the main window does.
                     return Form1 && !FileText().ButtonContinueFile->isHidden();
                 },
                 [](int) {
                     ButtonContinueFileClick();
                     return true;
                 },
                 KeyConsume::Always});
}
