#include "pictures/catalogue.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <utility>

namespace pictures {

namespace {

bool IsBlank(const std::wstring& text) {
  return text.find_first_not_of(L' ') == std::wstring::npos;
}

// ASCII only: the extensions are ASCII, and a locale's upper-casing could turn other
// letters (such as a dotless i) into ASCII ones.
wchar_t AsciiUpper(wchar_t c) { return (c >= L'a' && c <= L'z') ? c - L'a' + L'A' : c; }

bool ShouldDescend(const platform::DirectoryEntry& entry) {
  return entry.isDirectory && !entry.name.empty() && entry.name != L"." && entry.name != L"..";
}

// A folder that is no link lies on the volume of the folder that lists it, so the file ID
// from the listing tells which it is without opening it once more (which, reading the
// volume's serial number, costs more than listing it). A link's must come from opening
// it, which leads to the folder it points to.
std::optional<platform::FolderIdentity> IdentityOf(const platform::DirectoryEntry& entry,
                                                   const std::optional<platform::FolderIdentity>& lister,
                                                   const std::wstring& path, const ScanPorts& ports) {
  if (!entry.isReparsePoint && entry.fileId && lister) return platform::FolderIdentity{lister->volume, *entry.fileId};
  return ports.lister.Identity(path);
}

// One folder being walked. All open folders share one path buffer, each remembering
// how long its own path is, so a deep tree costs memory in proportion to its depth.
struct OpenFolder {
  size_t pathLength;
  std::optional<platform::FolderIdentity> identity;
  std::vector<platform::DirectoryEntry> entries;
  size_t next = 0;
};

// One pump pass per folder keeps the saver answering input during a long scan.
OpenFolder Open(const std::wstring& path, std::optional<platform::FolderIdentity> identity,
                const ScanPorts& ports) {
  ports.pump.PumpPending();
  return {path.size(), identity, ports.lister.List(path)};
}

// Some links carry no mark (Wine shows a Unix link as a reparse point without a tag, and
// some network shares show none at all), so the folder itself is recognised instead.
bool IsOnPath(const std::optional<platform::FolderIdentity>& identity, const std::vector<OpenFolder>& open) {
  if (!identity) return false;
  return std::any_of(open.begin(), open.end(), [&](const OpenFolder& folder) { return folder.identity == identity; });
}

}  // namespace

bool IsPictureName(const std::wstring& name) {
  if (name.size() < 4) return false;
  std::wstring tail = name.substr(name.size() - 4);
  for (wchar_t& c : tail) c = AsciiUpper(c);
  return tail == L".BMP" || tail == L".JPG" || tail == L".GIF";
}

// Walks with an explicit stack instead of recursion, so no tree is deep enough to
// exhaust the thread's stack.
void GetPictureFolder(int mode, const std::wstring& folderPath, bool subFolder,
                      const ScanPorts& ports, std::vector<std::wstring>& list1) {
  if (IsBlank(folderPath)) return;
  std::wstring path = folderPath;
  if (path.back() != L'\\') path += L'\\';
  std::vector<OpenFolder> open;
  open.push_back(Open(path, subFolder ? ports.lister.Identity(path) : std::nullopt, ports));
  while (!open.empty()) {
    OpenFolder& folder = open.back();
    if (folder.next == folder.entries.size()) {
      open.pop_back();
      if (!open.empty()) path.resize(open.back().pathLength);
      continue;
    }
    const platform::DirectoryEntry& entry = folder.entries[folder.next++];
    if (mode == kAddPictures && IsPictureName(entry.name)) list1.push_back(path + entry.name);
    if (subFolder && ShouldDescend(entry)) {
      const size_t parentLength = path.size();
      path += entry.name;
      path += L'\\';
      auto identity = IdentityOf(entry, folder.identity, path, ports);
      // A link whose target cannot be told apart might lead back: it is not followed.
      if ((entry.isReparsePoint && !identity) || IsOnPath(identity, open)) {
        path.resize(parentLength);
        continue;
      }
      open.push_back(Open(path, identity, ports));
    }
  }
}

}  // namespace pictures
