#pragma once
// Storage for decoded pictures. The system hands out fresh pages zero-filled, one fault a
// page, which for a 4000 x 3000 picture costs about as much as a pass over its pixels; so
// the blocks of the pictures last let go are kept and given to the next pictures they
// suit. Two are kept: a photo turned upright by its Exif orientation is decoded into one
// block and turned into another, and the next photo then finds both.
#include <cstddef>
#include <new>
#include <utility>

namespace pictures {

class PixelStore {
 public:
  // Blocks from this size on are kept when let go.
  static constexpr size_t kKeptFrom = size_t{1} << 20;
  // How many blocks are kept at most.
  static constexpr size_t kKeptBlocks = 2;

  // A block of at least `bytes`, aligned for any pixel type: the newest kept one that is
  // large enough and at most twice as large, else a new one, for which every kept block is
  // released first (so that one forged picture does not hold gigabytes). Throws
  // std::bad_alloc.
  static void* Take(size_t bytes);
  // Lets a block from Take go; it is kept, and the oldest kept block beyond kKeptBlocks is
  // released.
  static void Give(void* block) noexcept;
  // The size of the blocks kept now, 0 when none.
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
