#include "platform/directory_lister_win32.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
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
bool IsLink(DWORD attributes, DWORD reparseTag) {
  return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && IsReparseTagNameSurrogate(reparseTag);
}

DirectoryEntry EntryFrom(const WIN32_FIND_DATAW& data) {
  DirectoryEntry entry;
  entry.name.assign(data.cFileName, wcsnlen(data.cFileName, MAX_PATH));
  entry.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  entry.isReparsePoint = IsLink(data.dwFileAttributes, data.dwReserved0);
  return entry;
}

// A folder opens only with backup semantics; sharing everything keeps the open from
// disturbing anyone.
UniqueHandle OpenFolder(const std::wstring& folder, DWORD access) {
  HANDLE handle = CreateFileW(LongPathForm(folder).c_str(), access,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  return UniqueHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

// An ID of 0 says nothing.
std::optional<FileId> FileIdFrom(const void* id, size_t idBytes) {
  FileId fileId{};
  memcpy(fileId.data(), id, idBytes);
  if (fileId == FileId{}) return std::nullopt;
  return fileId;
}

std::optional<FolderIdentity> IdentityFrom(uint64_t volume, const void* id, size_t idBytes) {
  const auto fileId = FileIdFrom(id, idBytes);
  if (!fileId) return std::nullopt;
  return FolderIdentity{volume, *fileId};
}

// The 128-bit file ID where the file system gives one, else the volume serial number and
// the 64-bit file index.
std::optional<FolderIdentity> IdentityOfOpenFolder(HANDLE folder) {
  FILE_ID_INFO id{};
  if (GetFileInformationByHandleEx(folder, FileIdInfo, &id, sizeof(id))) {
    static_assert(sizeof(id.FileId.Identifier) == sizeof(FileId));
    if (auto identity = IdentityFrom(id.VolumeSerialNumber, id.FileId.Identifier, sizeof(id.FileId.Identifier)))
      return identity;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(folder, &info)) return std::nullopt;
  const uint64_t index = (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  return IdentityFrom(info.dwVolumeSerialNumber, &index, sizeof(index));
}

// The path the system resolves an open folder to, links followed: with its drive letter
// where it has one, else with the system's own device name. Upper-cased as the file
// system compares names, without regard to the user's language.
std::wstring FinalPathOfOpenFolder(HANDLE folder) {
  for (DWORD volumeName : {VOLUME_NAME_DOS, VOLUME_NAME_NT}) {
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(folder, path.data(), static_cast<DWORD>(path.size()), volumeName);
    if (length >= path.size()) {
      path.resize(length);
      length = GetFinalPathNameByHandleW(folder, path.data(), static_cast<DWORD>(path.size()), volumeName);
    }
    if (length == 0 || length >= path.size()) continue;
    std::wstring upper(length, L'\0');
    if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, path.data(), static_cast<int>(length), upper.data(),
                      static_cast<int>(length), nullptr, nullptr, 0) == static_cast<int>(length))
      return upper;
  }
  return {};
}

// The two listing forms that carry every entry's file ID: the extended one (128-bit IDs
// and the reparse tag) and the older one (64-bit IDs, the tag where the EA size goes).
struct ExtendedListing {
  using Record = FILE_ID_EXTD_DIR_INFO;
  static constexpr FILE_INFO_BY_HANDLE_CLASS kClass = FileIdExtdDirectoryInfo;
  static DWORD Tag(const Record& r) { return r.ReparsePointTag; }
  static const void* Id(const Record& r) { return r.FileId.Identifier; }
  static constexpr size_t kIdBytes = sizeof(Record::FileId.Identifier);
};
struct BothNamesListing {
  using Record = FILE_ID_BOTH_DIR_INFO;
  static constexpr FILE_INFO_BY_HANDLE_CLASS kClass = FileIdBothDirectoryInfo;
  static DWORD Tag(const Record& r) { return r.EaSize; }
  static const void* Id(const Record& r) { return &r.FileId; }
  static constexpr size_t kIdBytes = sizeof(Record::FileId);
};

constexpr size_t kListingBufferBytes = 64 * 1024;

// Lists an open folder in one of the forms, with each folder entry's file ID. False when
// the form is not supported.
template <typename Form>
bool ListOpenFolder(HANDLE folder, std::vector<DirectoryEntry>& entries) {
  std::vector<uint64_t> buffer(kListingBufferBytes / sizeof(uint64_t));
  while (GetFileInformationByHandleEx(folder, Form::kClass, buffer.data(), kListingBufferBytes)) {
    const auto* at = reinterpret_cast<const uint8_t*>(buffer.data());
    for (;;) {
      const auto& record = *reinterpret_cast<const typename Form::Record*>(at);
      DirectoryEntry entry;
      entry.name.assign(record.FileName, record.FileNameLength / sizeof(wchar_t));
      entry.isDirectory = (record.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      entry.isReparsePoint = IsLink(record.FileAttributes, Form::Tag(record));
      if (entry.isDirectory) entry.fileId = FileIdFrom(Form::Id(record), Form::kIdBytes);
      entries.push_back(std::move(entry));
      if (record.NextEntryOffset == 0) break;
      at += record.NextEntryOffset;
    }
  }
  // The end of the listing; any other failure before the first entry is a form this file
  // system or system does not know.
  return GetLastError() == ERROR_NO_MORE_FILES || !entries.empty();
}

bool IsDriveRoot(const std::wstring& folder) {
  return folder.size() == 3 && iswalpha(folder[0]) && folder[1] == L':' && folder[2] == L'\\';
}

bool IsDotEntry(const DirectoryEntry& entry) { return entry.name == L"." || entry.name == L".."; }

std::vector<DirectoryEntry> ListByFind(const std::wstring& folder) {
  std::vector<DirectoryEntry> entries;
  WIN32_FIND_DATAW data{};
  FindHandle find(FindFirstFileW(SearchPattern(folder).c_str(), &data));
  if (!find.IsValid()) return entries;
  do {
    entries.push_back(EntryFrom(data));
  } while (FindNextFileW(find.Get(), &data));
  return entries;
}

}  // namespace

// The "\\?\" form takes the path literally, so it is made from the full, normalised
// path: what the plain form would have opened, without the MAX_PATH limit. The limit holds
// for the full path, so a short relative text in a deep working folder needs it too.
std::wstring LongPathForm(const std::wstring& path) {
  if (HasLongPathPrefix(path)) return path;
  std::wstring full = FullPath(path);
  if (full.size() < MAX_PATH || HasLongPathPrefix(full)) return path;
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

std::wstring SearchPattern(const std::wstring& folder) { return LongPathForm(folder + L"*.*"); }

std::optional<IdentifiedFolder> Win32DirectoryLister::Identify(const std::wstring& folder) {
  UniqueHandle handle = OpenFolder(folder, FILE_READ_ATTRIBUTES);
  if (!handle) return std::nullopt;
  auto identity = IdentityOfOpenFolder(handle.get());
  if (!identity) return std::nullopt;
  return IdentifiedFolder{*identity, FinalPathOfOpenFolder(handle.get())};
}

// The listing of the open folder gives every sub-folder's file ID with its name, so the
// scan need not open each sub-folder once more to tell whether it was met before. Where
// the folder cannot be listed that way, the plain listing, without file IDs, serves.
std::vector<DirectoryEntry> Win32DirectoryLister::List(const std::wstring& folder) {
  UniqueHandle handle = OpenFolder(folder, FILE_LIST_DIRECTORY | SYNCHRONIZE);
  if (handle) {
    std::vector<DirectoryEntry> entries;
    if (ListOpenFolder<ExtendedListing>(handle.get(), entries) ||
        ListOpenFolder<BothNamesListing>(handle.get(), entries)) {
      // The find functions leave out a drive root's "." and "..", which some systems list.
      if (IsDriveRoot(folder)) entries.erase(std::remove_if(entries.begin(), entries.end(), IsDotEntry), entries.end());
      return entries;
    }
  }
  return ListByFind(folder);
}

}  // namespace platform
