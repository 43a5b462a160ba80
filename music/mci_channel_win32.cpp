#include "music/mci_channel_win32.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>

namespace music {
namespace {

constexpr DWORD kBufferChars = 255;

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
  MCIERROR code = mciSendStringW(command.c_str(), reply, kBufferChars, window);
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
