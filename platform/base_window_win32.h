#pragma once
// One window pattern: `this` travels in lpCreateParams, lives in GWLP_USERDATA, and a
// member HandleMessage answers. No exception may cross DispatchMessage.
#include <windows.h>

namespace platform {

template <typename T>
class BaseWindow {
 public:
  HWND Window() const { return window_; }

 protected:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    T* self = nullptr;
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      self = static_cast<T*>(create->lpCreateParams);
      self->window_ = hwnd;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
      self = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    try {
      return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
      return DefWindowProcW(hwnd, message, wParam, lParam);
    }
  }

  static void Register(const wchar_t* className, HBRUSH background, HICON icon) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    wc.hbrBackground = background;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = icon;
    RegisterClassExW(&wc);
  }

  // Called at WM_NCDESTROY: the window is gone, whoever destroyed it (an owner's end
  // takes its owned windows along).
  LRESULT ForgetWindow(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND gone = window_;
    window_ = nullptr;
    return DefWindowProcW(gone, message, wParam, lParam);
  }

  // WM_DPICHANGED: the window is laid out afresh for the new DPI by the caller, then moved
  // to the place Windows suggests.
  void MoveToSuggested(LPARAM lParam) {
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    SetWindowPos(window_, nullptr, suggested->left, suggested->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  }

  HWND window_ = nullptr;
};

}  // namespace platform
