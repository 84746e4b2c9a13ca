#pragma once

// The program's one random generator. Seeded from the clock at start; tests seed it to make
// draws repeatable.

#include <cstdint>

// An integer from 0 to range - 1; Random(0) (and any range below 1) is 0.
int Random(int range);

// A real number in [0, 1).
double RandomReal();

void RandomSeed(std::uint64_t seed);
void RandomSeedFromClock();
