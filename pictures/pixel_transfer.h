#pragma once
// Moving decoded pixels into the program's 32-bit layout.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace pictures {

// One 32-bit pixel read from or written to bytes of any alignment.
inline uint32_t Load32(const uint8_t* at) {
  uint32_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

inline void Store32(uint8_t* at, uint32_t value) { std::memcpy(at, &value, sizeof value); }

// The unused fourth byte as the system's format converter writes it.
inline constexpr uint8_t kUnusedByte = 0xFF;

// Widens count pixels of 3 bytes (blue, green, red) to 4 bytes (blue, green, red,
// kUnusedByte). The two ranges must not overlap.
void ExpandBgrToBgrx(const uint8_t* from, uint8_t* to, size_t count);

// True when byte 3, the opacity, of each of the count pixels is 255.
bool EveryPixelOpaque(const uint32_t* pixels, size_t count);

// Sets byte 3 of each of the count pixels to 255: pixels whose fourth byte meant nothing
// become opaque, for a picture that has opacity elsewhere.
void MakeOpaque(uint32_t* pixels, size_t count);

}  // namespace pictures
