#include "pictures/pixel_store.h"

#include <atomic>
#include <mutex>

namespace pictures {
namespace {

// Each block starts with its size, so that Give knows it whatever size its user asked.
constexpr size_t kHeader = 64;

struct Kept {
  std::mutex mutex;
  void* block = nullptr;  // the start of the allocation, header included
  size_t bytes = 0;       // the size its users may use
};

std::atomic<size_t> blocksMade{0};

Kept& TheKept() {
  static Kept kept;
  return kept;
}

void* NewBlock(size_t bytes) {
  if (bytes > static_cast<size_t>(-1) - kHeader) throw std::bad_alloc();
  void* block = ::operator new(bytes + kHeader);
  ++blocksMade;
  *static_cast<size_t*>(block) = bytes;
  return block;
}

void* UserPart(void* block) { return static_cast<char*>(block) + kHeader; }
void* BlockOf(void* user) { return static_cast<char*>(user) - kHeader; }

}  // namespace

void* PixelStore::Take(size_t bytes) {
  Kept& kept = TheKept();
  void* old = nullptr;
  {
    std::lock_guard<std::mutex> lock(kept.mutex);
    if (kept.block && kept.bytes >= bytes && kept.bytes / 2 <= bytes) {
      void* block = kept.block;
      kept.block = nullptr;
      kept.bytes = 0;
      return UserPart(block);
    }
    old = kept.block;
    kept.block = nullptr;
    kept.bytes = 0;
  }
  ::operator delete(old);
  return UserPart(NewBlock(bytes));
}

void PixelStore::Give(void* user) noexcept {
  if (!user) return;
  void* block = BlockOf(user);
  const size_t bytes = *static_cast<size_t*>(block);
  if (bytes < kKeptFrom) {
    ::operator delete(block);
    return;
  }
  Kept& kept = TheKept();
  void* old = nullptr;
  {
    std::lock_guard<std::mutex> lock(kept.mutex);
    old = kept.block;
    kept.block = block;
    kept.bytes = bytes;
  }
  ::operator delete(old);
}

size_t PixelStore::KeptBytes() {
  Kept& kept = TheKept();
  std::lock_guard<std::mutex> lock(kept.mutex);
  return kept.bytes;
}

size_t PixelStore::BlocksMade() { return blocksMade; }

}  // namespace pictures
