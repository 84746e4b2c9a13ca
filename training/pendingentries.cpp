#include "training/pendingentries.h"

// Empty until kid mode lands.
void StopRabbitAnimation()
{
}

// Empty until the character, Q-code and abbreviation lists land.
void ListMouseUpPlaySelected(const char *)
{
}

// False until the random groups land.
bool RandomCountdownRunning()
{
    return false;
}

// Empty until manual keying lands.
void StraightKeyDownByCtrl()
{
}
