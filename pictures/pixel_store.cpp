#include "pictures/pixel_store.h"

#include <atomic>
#include <mutex>

namespace pictures {
namespace {

// Each block starts with its size, so that Give knows it whatever size its user asked.
constexpr size_t kHeader = 64;

// The blocks let go last, the newest first; a slot without one holds nullptr.
struct Kept {
  std::mutex mutex;
  void* blocks[PixelStore::kKeptBlocks] = {};  // the start of each allocation, header included
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

size_t SizeOf(void* block) { return block ? *static_cast<size_t*>(block) : 0; }
void* UserPart(void* block) { return static_cast<char*>(block) + kHeader; }
void* BlockOf(void* user) { return static_cast<char*>(user) - kHeader; }

bool Suits(size_t kept, size_t wanted) { return kept >= wanted && kept / 2 <= wanted; }

}  // namespace

void* PixelStore::Take(size_t bytes) {
  Kept& kept = TheKept();
  void* released[kKeptBlocks] = {};
  {
    std::lock_guard<std::mutex> lock(kept.mutex);
    for (void*& block : kept.blocks) {
      if (block && Suits(SizeOf(block), bytes)) {
        void* taken = block;
        block = nullptr;
        return UserPart(taken);
      }
    }
    // None suits: all go before the new one is made, so that no more is held than needed.
    for (size_t i = 0; i < kKeptBlocks; ++i) std::swap(released[i], kept.blocks[i]);
  }
  for (void* block : released) ::operator delete(block);
  return UserPart(NewBlock(bytes));
}

void PixelStore::Give(void* user) noexcept {
  if (!user) return;
  void* block = BlockOf(user);
  if (SizeOf(block) < kKeptFrom) {
    ::operator delete(block);
    return;
  }
  Kept& kept = TheKept();
  void* oldest = nullptr;
  {
    std::lock_guard<std::mutex> lock(kept.mutex);
    // The blocks before the first empty slot move back over it; only when no slot is empty
    // does the oldest go.
    size_t last = kKeptBlocks - 1;
    for (size_t i = 0; i < kKeptBlocks; ++i) {
      if (!kept.blocks[i]) {
        last = i;
        break;
      }
    }
    oldest = kept.blocks[last];
    for (size_t i = last; i > 0; --i) kept.blocks[i] = kept.blocks[i - 1];
    kept.blocks[0] = block;
  }
  ::operator delete(oldest);
}

size_t PixelStore::KeptBytes() {
  Kept& kept = TheKept();
  std::lock_guard<std::mutex> lock(kept.mutex);
  size_t bytes = 0;
  for (void* block : kept.blocks) bytes += SizeOf(block);
  return bytes;
}

size_t PixelStore::BlocksMade() { return blocksMade; }

}  // namespace pictures
