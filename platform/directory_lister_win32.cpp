#include "platform/directory_lister_win32.h"

#include <windows.h>

#include <cwchar>

namespace platform {

namespace {

// Owns a find handle, so it is closed on every way out of the listing.
class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  ~FindHandle() {
    if (IsValid()) FindClose(handle_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;

  bool IsValid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

std::wstring FullPath(const std::wstring& path) {
  const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::wstring full(needed, L'\0');
  const DWORD written = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
  if (written == 0 || written >= needed) return path;
  full.resize(written);
  return full;
}

bool HasLongPathPrefix(const std::wstring& path) {
  return path.rfind(L"\\\\?\\", 0) == 0 || path.rfind(L"\\\\.\\", 0) == 0;
}

// Only symbolic links, junctions and mount points lead elsewhere. Other reparse points,
// such as cloud-file placeholders, are ordinary folders with pictures inside.
bool IsLink(const WIN32_FIND_DATAW& data) {
  return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
         IsReparseTagNameSurrogate(data.dwReserved0);
}

DirectoryEntry EntryFrom(const WIN32_FIND_DATAW& data) {
  DirectoryEntry entry;
  entry.name.assign(data.cFileName, wcsnlen(data.cFileName, MAX_PATH));
  entry.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  entry.isReparsePoint = IsLink(data);
  return entry;
}

}  // namespace

// The "\\?\" form takes the path literally, so it is made from the full, normalised
// path: what the plain form would have opened, without the MAX_PATH limit.
std::wstring SearchPattern(const std::wstring& folder) {
  std::wstring pattern = folder + L"*.*";
  if (pattern.size() < MAX_PATH || HasLongPathPrefix(pattern)) return pattern;
  std::wstring full = FullPath(pattern);
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

std::vector<DirectoryEntry> Win32DirectoryLister::List(const std::wstring& folder) {
  std::vector<DirectoryEntry> entries;
  WIN32_FIND_DATAW data{};
  FindHandle find(FindFirstFileW(SearchPattern(folder).c_str(), &data));
  if (!find.IsValid()) return entries;
  do {
    entries.push_back(EntryFrom(data));
  } while (FindNextFileW(find.Get(), &data));
  return entries;
}

}  // namespace platform
