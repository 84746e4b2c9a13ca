#include "shell/systembeep.h"

#include <QApplication>

namespace {
bool beepOn = true;
} // namespace

void ProgramBeep()
{
    if (beepOn)
        QApplication::beep();
}

void SetProgramBeep(bool on)
{
    beepOn = on;
}

bool ProgramBeepOn()
{
    return beepOn;
}
