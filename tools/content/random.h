// A small deterministic random generator (SplitMix64). The standard
// library's distributions differ between implementations, so the generator
// draws every random number from here to give the same bytes everywhere.
#pragma once

#include <cstdint>

namespace tessaly::content {

class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}

  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [0, 1).
  double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
  // Uniform in [low, high).
  double range(double low, double high) { return low + (high - low) * uniform(); }
  // Uniform integer in [0, count).
  int below(int count) { return static_cast<int>(uniform() * count); }
  // Roughly normal (sum of four uniforms), mean 0, deviation 1.
  double gaussian() {
    return (uniform() + uniform() + uniform() + uniform() - 2.0) * 1.7320508075688772;
  }

 private:
  std::uint64_t state_;
};

}  // namespace tessaly::content
