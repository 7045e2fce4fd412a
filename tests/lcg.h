#pragma once
// A small deterministic generator for the fuzz tests, so that a failing
// variant can be found again.

#include <cstddef>
#include <cstdint>

class Lcg {
public:
    explicit Lcg(uint64_t seed) : state(seed) {}
    size_t below(size_t n) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return n == 0 ? 0 : static_cast<size_t>(state >> 33) % n;
    }

private:
    uint64_t state;
};
