#include "platform/random_generator.h"

namespace platform {

namespace {

constexpr uint64_t kGoldenGamma = 0x9E3779B97F4A7C15ull;

// The SplitMix64 finaliser: a bijection that spreads every input bit over the output.
uint64_t Mix(uint64_t z) {
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

}  // namespace

float UnitFloatFromBits(uint64_t bits) {
  constexpr float kStep = 1.0f / 16777216.0f;  // 2^-24
  return static_cast<float>(bits >> 40) * kStep;
}

float RandomGenerator::Next() {
  state_ += kGoldenGamma;
  return UnitFloatFromBits(Mix(state_));
}

void RandomGenerator::SeedFromClock() { Seed(clock_.Ticks()); }

void RandomGenerator::Seed(uint32_t ticks) {
  state_ = Mix(state_ ^ (static_cast<uint64_t>(ticks) * kGoldenGamma));
}

}  // namespace platform
