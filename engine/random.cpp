#include "engine/random.h"

#include <chrono>
#include <random>

namespace {
std::mt19937_64 &generator()
{
    static std::mt19937_64 engine(0x4B455354u);
    return engine;
}
} // namespace

int Random(int range)
{
    if (range < 1)
        return 0;
    std::uniform_int_distribution<int> draw(0, range - 1);
    return draw(generator());
}

double RandomReal()
{
    std::uniform_real_distribution<double> draw(0.0, 1.0);
    return draw(generator());
}

void RandomSeed(std::uint64_t seed)
{
    generator().seed(seed);
}

void RandomSeedFromClock()
{
    RandomSeed(static_cast<std::uint64_t>(
        std::chrono::steady_clock::now().time_since_epoch().count()));
}
