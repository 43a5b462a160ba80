#pragma once
// Vectors of pixels whose new elements are left uninitialised.
#include <memory>
#include <new>
#include <utility>

namespace drawing {

// Leaves new elements uninitialised: the scaler and the loader write every pixel, so
// zeroing megabytes first would only cost time.
template <typename T>
struct UninitialisedAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = UninitialisedAllocator<U>;
  };
  UninitialisedAllocator() = default;
  template <typename U>
  UninitialisedAllocator(const UninitialisedAllocator<U>&) {}
  template <typename U>
  void construct(U* at) {
    ::new (static_cast<void*>(at)) U;
  }
  template <typename U, typename... Args>
  void construct(U* at, Args&&... args) {
    ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
  }
};

}  // namespace drawing
