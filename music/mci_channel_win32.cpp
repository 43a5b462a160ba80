#include "music/mci_channel_win32.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>

namespace music {
namespace {

constexpr DWORD kBufferChars = 255;

using MciSendStringProc = MCIERROR(WINAPI*)(LPCWSTR, LPWSTR, UINT, HWND);

// winmm.dll is none of the system's known libraries: imported, the loader would look for
// it beside the program first, before the program could say where libraries come from,
// and a winmm.dll lying in a downloads folder would run inside the saver. So it is loaded
// from the system folder, once, and kept for the program's life.
MciSendStringProc SystemMciSendString() {
  static const MciSendStringProc send = [] {
    HMODULE winmm = LoadLibraryExW(L"winmm.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!winmm) return MciSendStringProc{};
    return reinterpret_cast<MciSendStringProc>(reinterpret_cast<void*>(GetProcAddress(winmm, "mciSendStringW")));
  }();
  return send;
}

std::wstring TextBeforeNul(const wchar_t* buffer, size_t capacity) {
  return std::wstring(buffer, std::find(buffer, buffer + capacity, L'\0'));
}

}  // namespace

platform::MciReply MciChannelWin32::Send(const std::wstring& command,
                                         platform::MciCallback callback) {
  wchar_t reply[kBufferChars] = {};
  HWND window = callback == platform::MciCallback::SaverWindow
                    ? static_cast<HWND>(callbackWindow)
                    : nullptr;
  // Without the media library every command fails, as on a system without a media device.
  const MciSendStringProc send = SystemMciSendString();
  const MCIERROR code = send ? send(command.c_str(), reply, kBufferChars, window) : MCIERR_DEVICE_NOT_INSTALLED;
  return {static_cast<uint32_t>(code), TextBeforeNul(reply, kBufferChars)};
}

std::wstring MciChannelWin32::ShortPathName(const std::wstring& longPath) {
  wchar_t shortPath[kBufferChars] = {};
  DWORD length = GetShortPathNameW(longPath.c_str(), shortPath, kBufferChars);
  // A result that does not fit leaves the buffer unfilled; a cut path would name
  // another file, so it counts as a failed conversion.
  if (length == 0 || length >= kBufferChars) return std::wstring();
  return TextBeforeNul(shortPath, kBufferChars);
}

bool IsNormalFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  constexpr DWORD kNotNormal =
      FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  return (attributes & kNotNormal) == 0;
}

}  // namespace music
