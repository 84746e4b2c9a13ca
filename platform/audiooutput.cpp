#include "platform/audiooutput.h"
