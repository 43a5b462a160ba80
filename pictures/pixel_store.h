#pragma once
// Storage for decoded pictures. The system hands out fresh pages zero-filled, one fault a
// page, which for a 4000 x 3000 picture costs about as much as a pass over its pixels; so
// the block of the picture last let go is kept and given to the next picture it suits.
#include <cstddef>
#include <new>
#include <utility>

namespace pictures {

class PixelStore {
 public:
  // Blocks from this size on are kept when let go.
  static constexpr size_t kKeptFrom = size_t{1} << 20;

  // A block of at least `bytes`, aligned for any pixel type: the kept one when it is large
  // enough and at most twice as large (a larger one is released first, so that one forged
  // picture does not hold gigabytes), else a new one. Throws std::bad_alloc.
  static void* Take(size_t bytes);
  // Lets a block from Take go; the block kept before it, if any, is released.
  static void Give(void* block) noexcept;
  // The size of the block kept now, 0 when none.
  static size_t KeptBytes();
  // How many blocks were asked of the system so far: the blocks not served by the kept one.
  static size_t BlocksMade();
};

// Leaves new elements uninitialised (the decoder writes every pixel) and takes its blocks
// from the PixelStore.
template <typename T>
struct PixelAllocator {
  using value_type = T;
  PixelAllocator() = default;
  template <typename U>
  PixelAllocator(const PixelAllocator<U>&) {}
  T* allocate(size_t n) {
    if (n > static_cast<size_t>(-1) / 2 / sizeof(T)) throw std::bad_alloc();
    return static_cast<T*>(PixelStore::Take(n * sizeof(T)));
  }
  void deallocate(T* at, size_t) noexcept { PixelStore::Give(at); }
  template <typename U>
  void construct(U* at) {
    ::new (static_cast<void*>(at)) U;
  }
  template <typename U, typename... Args>
  void construct(U* at, Args&&... args) {
    ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
  }
  template <typename U>
  bool operator==(const PixelAllocator<U>&) const {
    return true;
  }
  template <typename U>
  bool operator!=(const PixelAllocator<U>&) const {
    return false;
  }
};

}  // namespace pictures
