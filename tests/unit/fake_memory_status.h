#pragma once
// A memory-status port whose free memory the test sets, counting how often it is asked.
#include <cstdint>
#include <optional>

#include "platform/ports.h"

struct FakeMemory : platform::MemoryStatus {
  std::optional<uint64_t> AvailablePhysicalBytes() override {
    ++asked;
    return available;
  }
  std::optional<uint64_t> available;
  int asked = 0;
};
