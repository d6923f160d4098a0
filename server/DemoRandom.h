#pragma once

namespace busdesk::sim {

// Small deterministic generator (splitmix64), enough for demo figures.
struct Rng {
    unsigned long long s;
    explicit Rng(unsigned v) : s(v * 0x9E3779B97F4A7C15ull + 1) {}
    unsigned long long next() {
        unsigned long long z = (s += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return n <= 0 ? 0 : static_cast<int>(next() % static_cast<unsigned long long>(n)); }
    double between(double lo, double hi) {
        return lo + (hi - lo) * static_cast<double>(next() % 10000) / 10000.0;
    }
};

}  // namespace busdesk::sim
