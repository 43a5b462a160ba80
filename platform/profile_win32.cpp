#include "platform/profile_win32.h"

#include <windows.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32_handles.h"

namespace platform {
namespace {

// The file's bytes; empty when it does not exist, nothing when it cannot be read whole.
std::optional<std::vector<char>> ReadWholeFile(const std::wstring& path) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE)
    return GetLastError() == ERROR_FILE_NOT_FOUND ? std::optional(std::vector<char>{}) : std::nullopt;
  LARGE_INTEGER size{};
  constexpr LONGLONG kLargestSettingsFile = 16 * 1024 * 1024;
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > kLargestSettingsFile) return std::nullopt;
  std::vector<char> bytes(static_cast<size_t>(size.QuadPart));
  DWORD got = 0;
  if (!bytes.empty() &&
      (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
       got != bytes.size()))
    return std::nullopt;
  return bytes;
}

bool IsUtf16File(const std::vector<char>& bytes) {
  return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
         static_cast<unsigned char>(bytes[1]) == 0xFE;
}

}  // namespace

std::wstring IniProfile::Get(const std::wstring& section, const std::wstring& key,
                             const std::wstring& fallback) {
  // The profile functions cut a value to the buffer without saying so, apart from
  // filling it to one short of its end: a buffer that comes back full is made larger.
  constexpr DWORD kLargest = 1 << 16;
  for (DWORD size = 256;; size *= 2) {
    std::wstring buffer(size, L'\0');
    DWORD copied = GetPrivateProfileStringW(section.c_str(), key.c_str(), fallback.c_str(), buffer.data(), size,
                                            path_.c_str());
    if (copied + 1 < size || size >= kLargest) {
      buffer.resize(copied < size ? copied : size);
      return buffer;
    }
  }
}

// A value outside the ANSI code page would be written as "?" and lost, so such a value
// turns the file into UTF-16 first; files whose values all fit keep their ANSI bytes.
void IniProfile::Put(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
  if (!FitsAnsiCodePage(value)) ConvertFileToUtf16(path_);
  WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), path_.c_str());
}

void IniProfile::Remove(const std::wstring& section, const std::wstring& key) {
  WritePrivateProfileStringW(section.c_str(), key.c_str(), nullptr, path_.c_str());
}

bool FitsAnsiCodePage(const std::wstring& text) {
  if (text.empty()) return true;
  UINT codePage = GetACP();
  if (codePage == CP_UTF8) return true;
  BOOL usedDefault = FALSE;
  int size = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                                 nullptr, 0, nullptr, &usedDefault);
  return size > 0 && !usedDefault;
}

std::optional<std::wstring> ReadTextFile(const std::wstring& path) {
  auto read = ReadWholeFile(path);
  if (!read) return std::nullopt;
  const std::vector<char>& bytes = *read;
  if (IsUtf16File(bytes)) {
    std::wstring text((bytes.size() - 2) / 2, L'\0');
    memcpy(text.data(), bytes.data() + 2, text.size() * sizeof(wchar_t));
    return text;
  }
  std::wstring text;
  if (!bytes.empty()) {
    int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    text.resize(length);
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
  }
  return text;
}

bool ConvertFileToUtf16(const std::wstring& path) {
  auto read = ReadWholeFile(path);
  if (!read) return false;
  if (IsUtf16File(*read)) return true;
  auto decoded = ReadTextFile(path);
  if (!decoded) return false;
  std::wstring text = L"\xFEFF" + *decoded;
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  return WriteFile(file.get(), text.data(), size, &written, nullptr) && written == size;
}

std::wstring WindowsFolderFilePath(const std::wstring& fileName) {
  wchar_t folder[MAX_PATH] = {};
  UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
  std::wstring path(folder, length < MAX_PATH ? length : 0);
  if (!path.empty() && path.back() != L'\\') path += L'\\';
  return path + fileName;
}

}  // namespace platform
