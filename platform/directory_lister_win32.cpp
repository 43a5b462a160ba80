#include "platform/directory_lister_win32.h"

#include <windows.h>

#include <cstring>
#include <cwchar>

#include "platform/win32_handles.h"

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
std::wstring LongPathForm(const std::wstring& path) {
  if (path.size() < MAX_PATH || HasLongPathPrefix(path)) return path;
  std::wstring full = FullPath(path);
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

std::wstring SearchPattern(const std::wstring& folder) { return LongPathForm(folder + L"*.*"); }

// A folder opens only with backup semantics; no access right beyond its attributes is
// needed, and sharing everything keeps the open from disturbing anyone.
std::optional<FolderIdentity> Win32DirectoryLister::Identity(const std::wstring& folder) {
  UniqueHandle handle(CreateFileW(LongPathForm(folder).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle || handle.get() == INVALID_HANDLE_VALUE) return std::nullopt;
  FolderIdentity identity;
  FILE_ID_INFO id{};
  if (GetFileInformationByHandleEx(handle.get(), FileIdInfo, &id, sizeof(id))) {
    identity.volume = id.VolumeSerialNumber;
    static_assert(sizeof(id.FileId.Identifier) == sizeof(identity.fileId));
    memcpy(identity.fileId.data(), id.FileId.Identifier, identity.fileId.size());
    if (identity.fileId != std::array<uint8_t, 16>{}) return identity;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle.get(), &info)) return std::nullopt;
  const uint64_t index = (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  if (index == 0) return std::nullopt;
  // Laid out as the 128-bit ID of the same folder would be: the index in its low bytes.
  identity.volume = info.dwVolumeSerialNumber;
  identity.fileId = {};
  memcpy(identity.fileId.data(), &index, sizeof(index));
  return identity;
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
