#include "platform/toolkit/random_source.h"

// SplitMix64: small, well mixed, and defined by integer arithmetic alone, so
// every compiler and standard library draws the same reals from it.
namespace {

constexpr uint64_t kInitialState = 0x5EED'1234'ABCD'0042ull;
uint64_t state = kInitialState;

uint64_t Next()
{
    uint64_t z = (state += 0x9E37'79B9'7F4A'7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58'476D'1CE4'E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D0'49BB'1331'11EBull;
    return z ^ (z >> 31);
}

} // namespace

double Rnd()
{
    // The top 53 bits, scaled: every value is exact and below 1.
    return double(Next() >> 11) * (1.0 / 9007199254740992.0);
}

void ResetRandomSource() { state = kInitialState; }
