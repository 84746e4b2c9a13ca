#include "engine/morsecode.h"

// Constant-initialised from the built-in table, so it is complete before any code runs.
MorseCodeTable MorseCodes = DefaultMorseCodes;
