#pragma once
// The small interfaces through which the portable logic reaches the world.
// The shell implements them over Win32; unit tests implement them with fakes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
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

// A thread kept for the program's life that runs one job at a time, so that decoding and
// smoothing do not hold up the window's messages. It touches no window.
class Worker {
 public:
  virtual ~Worker() = default;
  // Starts job on the worker's thread; the job before it has finished.
  virtual void Begin(std::function<void()> job) = 0;
  // Sleeps until the job has finished or a window message is waiting, whichever comes
  // first; true once the job has finished (each finished job answers true once).
  virtual bool WaitForJobOrMessage() = 0;
  // False when no thread could be started and Begin runs each job at once on the caller's
  // thread: such a worker cannot share a picture's rows, and a job given to it to share
  // them would do them all before the caller could handle a message.
  virtual bool HasThread() const { return true; }
};

// Handles every message that arrives, as the show's waits do, until the worker's job has
// finished.
inline void FinishWhilePumping(Worker& worker, MessagePump& pump) {
  while (!worker.WaitForJobOrMessage()) pump.PumpPending();
}

// The physical memory free at this moment; nothing when the system cannot say.
class MemoryStatus {
 public:
  virtual ~MemoryStatus() = default;
  virtual std::optional<uint64_t> AvailablePhysicalBytes() = 0;
};

// Reads one file's bytes at any offset, so that a reader can seek past what it does not
// need instead of reading everything before it.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to count bytes from offset on into `to`; how many were read, fewer at the end of
  // the file and 0 when nothing could be read.
  virtual size_t ReadAt(uint64_t offset, uint8_t* to, size_t count) = 0;
};

// Bytes already in memory, read as a file.
class MemoryBytes : public ByteSource {
 public:
  MemoryBytes(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}
  size_t ReadAt(uint64_t offset, uint8_t* to, size_t count) override {
    if (offset >= size_) return 0;
    const size_t available = std::min<uint64_t>(count, size_ - offset);
    std::copy(bytes_ + offset, bytes_ + offset + available, to);
    return available;
  }

 private:
  const uint8_t* bytes_;
  size_t size_;
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
