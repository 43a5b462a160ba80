#pragma once
// The saver's one pseudo-random generator: random order, random place and shuffle
// all draw from it.
#include <cstdint>

#include "platform/ports.h"

namespace platform {

// The top 24 bits as a float in [0, 1). A float holds 24 significant bits, so the
// largest result is 1 - 2^-24 and no rounding can reach 1.
float UnitFloatFromBits(uint64_t bits);

class RandomGenerator : public Random {
 public:
  static constexpr uint64_t kDefaultState = 0x5DEECE66D2545F49ull;

  explicit RandomGenerator(Clock& clock, uint64_t state = kDefaultState)
      : clock_(clock), state_(state) {}

  float Next() override;
  // Mixes the clock reading into the state rather than replacing it, so seeding
  // twice within one millisecond does not repeat the last value.
  void SeedFromClock() override;
  void Seed(uint32_t ticks);

 private:
  Clock& clock_;
  uint64_t state_;
};

}  // namespace platform
