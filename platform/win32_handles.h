#pragma once
// Owners for Win32 handles: each is released on every path out of its scope.
#include <windows.h>

#include <memory>
#include <type_traits>

namespace platform {

struct HandleCloser {
  void operator()(HANDLE h) const {
    if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

struct FindCloser {
  void operator()(HANDLE h) const {
    if (h && h != INVALID_HANDLE_VALUE) FindClose(h);
  }
};
using UniqueFind = std::unique_ptr<void, FindCloser>;

struct GdiObjectDeleter {
  void operator()(void* object) const {
    if (object) DeleteObject(static_cast<HGDIOBJ>(object));
  }
};
template <typename T>
using UniqueGdi = std::unique_ptr<std::remove_pointer_t<T>, GdiObjectDeleter>;

struct LibraryFreer {
  void operator()(HMODULE module) const {
    if (module) FreeLibrary(module);
  }
};
using UniqueLibrary = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryFreer>;

struct KeyCloser {
  void operator()(HKEY key) const {
    if (key) RegCloseKey(key);
  }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

struct DcReleaser {
  HWND window = nullptr;
  void operator()(HDC dc) const {
    if (dc) ReleaseDC(window, dc);
  }
};
using UniqueWindowDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcReleaser>;

struct MemoryDcDeleter {
  void operator()(HDC dc) const {
    if (dc) DeleteDC(dc);
  }
};
using UniqueMemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, MemoryDcDeleter>;

// Owns one reference to a COM object; &ptr hands the slot to a call that creates one.
template <typename T>
struct ComPtr {
  T* p = nullptr;
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() {
    if (p) p->Release();
  }
  T** operator&() { return &p; }
  T* operator->() const { return p; }
};

}  // namespace platform
