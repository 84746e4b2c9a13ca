#pragma once

// The element table of the character being sent: signed millisecond durations for the
// keying outputs. Entry 0 is the key decoder's letter-gap time-out (else 0); entry 2n-1 is
// the n-th element's key-down time (positive), entry 2n the following key-up time
// (negative), and a 0 ends the character. Written by the sending engine on the
// user-interface thread before the element clock is armed, read by the clock's thread.

#include <array>
#include <cstdint>

constexpr int CWElementTableSize = 31;
constexpr int MaxCodeSigns = 15; // the longest code the table can hold

using CWElementTable = std::array<std::int32_t, CWElementTableSize>;
