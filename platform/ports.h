#pragma once
// The small interfaces through which the portable logic reaches the world.
// The shell implements them over Win32; unit tests implement them with fakes.
#include <cstdint>
#include <string>

namespace platform {

// Get or put one string of the settings file.
class Profile {
 public:
  virtual ~Profile() = default;
  // The text the file holds for section/key, or fallback when the key is missing.
  virtual std::wstring Get(const std::wstring& section, const std::wstring& key,
                           const std::wstring& fallback) = 0;
  virtual void Put(const std::wstring& section, const std::wstring& key,
                   const std::wstring& value) = 0;
  // Takes the key out of the section; a missing key is no error.
  virtual void Remove(const std::wstring& section, const std::wstring& key) = 0;
};

// Milliseconds since some start, wrapping at 2^32 like GetTickCount.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual uint32_t Ticks() = 0;
};

// Dispatches every window message that is waiting; returns at once.
class MessagePump {
 public:
  virtual ~MessagePump() = default;
  virtual void PumpPending() = 0;
};

// Sleeps until a message arrives or timeoutMs passes, whichever is first.
class Waiter {
 public:
  virtual ~Waiter() = default;
  virtual void WaitForMessageOrTimeout(uint32_t timeoutMs) = 0;
};

// Uniform values in [0, 1), 32-bit float precision.
class Random {
 public:
  virtual ~Random() = default;
  virtual float Next() = 0;
  // Mixes the clock into the generator's state.
  virtual void SeedFromClock() = 0;
};

// ShowCursor: raises or lowers the display count and returns the new count.
class CursorDisplay {
 public:
  virtual ~CursorDisplay() = default;
  virtual int Show(bool show) = 0;
};

}  // namespace platform
