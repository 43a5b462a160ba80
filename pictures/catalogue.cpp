#include "pictures/catalogue.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>
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

constexpr size_t kNoFolder = SIZE_MAX;

// What the scan knows of a folder before it enters it. The final path is there only where
// the folder was opened, empty when the system could not tell it.
struct FolderFacts {
  std::optional<platform::FolderIdentity> identity;
  std::optional<std::wstring> finalPath;
};

struct IdentityHash {
  size_t operator()(const platform::FolderIdentity& id) const {
    uint64_t hash = id.volume * 0x9E3779B97F4A7C15u;
    for (uint8_t byte : id.fileId) hash = (hash ^ byte) * 0x100000001B3u;
    return static_cast<size_t>(hash);
  }
};

// A folder the scan has entered. Its final path is read when a folder with its identity
// is met again, from its path, rebuilt from the names on the way down to it: a folder the
// listing told apart is never opened unless that happens.
struct EnteredFolder {
  size_t parent;                         // kNoFolder for the picture folder
  std::wstring name;                     // with its "\"; the picture folder's whole path
  std::optional<std::wstring> finalPath;  // not read yet; empty when it cannot be read
};

// Every folder entered in this scan, and which of them have which identity.
class EnteredFolders {
 public:
  explicit EnteredFolders(platform::DirectoryLister& lister) : lister_(lister) {}

  size_t Enter(size_t parent, std::wstring name, const FolderFacts& facts) {
    folders_.push_back({parent, std::move(name), facts.finalPath});
    if (facts.identity) byIdentity_.emplace(*facts.identity, folders_.size() - 1);
    return folders_.size() - 1;
  }

  // A folder with this identity was entered, and where both final paths can be read they
  // are the same: the same folder, reached again through a link. Links that merge are so
  // walked once and a link back up the tree not at all; two folders whose identities only
  // collide have different final paths.
  bool MetBefore(const FolderFacts& facts, const std::wstring& path) {
    if (!facts.identity) return false;
    const auto [first, last] = byIdentity_.equal_range(*facts.identity);
    if (first == last) return false;
    const std::wstring own = facts.finalPath ? *facts.finalPath : ReadFinalPath(path);
    if (own.empty()) return true;
    return std::any_of(first, last, [&](const auto& met) {
      const std::wstring& theirs = FinalPathOf(met.second);
      return theirs.empty() || theirs == own;
    });
  }

 private:
  std::wstring ReadFinalPath(const std::wstring& path) {
    auto identified = lister_.Identify(path);
    return identified ? identified->finalPath : std::wstring();
  }

  const std::wstring& FinalPathOf(size_t index) {
    if (!folders_[index].finalPath) folders_[index].finalPath = ReadFinalPath(PathOf(index));
    return *folders_[index].finalPath;
  }

  std::wstring PathOf(size_t index) const {
    std::vector<const std::wstring*> names;
    for (size_t at = index; at != kNoFolder; at = folders_[at].parent) names.push_back(&folders_[at].name);
    std::wstring path;
    for (auto name = names.rbegin(); name != names.rend(); ++name) path += **name;
    return path;
  }

  platform::DirectoryLister& lister_;
  std::vector<EnteredFolder> folders_;
  std::unordered_multimap<platform::FolderIdentity, size_t, IdentityHash> byIdentity_;
};

// One folder being walked. All open folders share one path buffer, each remembering
// how long its own path is, so a deep tree costs memory in proportion to its depth.
struct OpenFolder {
  size_t pathLength;
  size_t entered;
  std::optional<platform::FolderIdentity> identity;
  std::vector<platform::DirectoryEntry> entries;
  size_t next = 0;
};

// One pump pass per folder keeps the saver answering input during a long scan.
OpenFolder Open(const std::wstring& path, size_t entered, std::optional<platform::FolderIdentity> identity,
                const ScanPorts& ports) {
  ports.pump.PumpPending();
  return {path.size(), entered, identity, ports.lister.List(path)};
}

FolderFacts Opened(const std::wstring& path, const ScanPorts& ports) {
  auto identified = ports.lister.Identify(path);
  if (!identified) return {std::nullopt, std::wstring()};
  return {identified->identity, identified->finalPath};
}

// A folder that is no link lies on the volume of the folder that lists it, so the file ID
// from the listing tells which it is without opening it once more (which, reading the
// volume's serial number, costs more than listing it). A link's must come from opening
// it, which leads to the folder it points to.
FolderFacts FactsOf(const platform::DirectoryEntry& entry, const OpenFolder& lister, const std::wstring& path,
                    const ScanPorts& ports) {
  if (!entry.isReparsePoint && entry.fileId && lister.identity)
    return {platform::FolderIdentity{lister.identity->volume, *entry.fileId}, std::nullopt};
  return Opened(path, ports);
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
  EnteredFolders entered(ports.lister);
  std::vector<OpenFolder> open;
  const FolderFacts root = subFolder ? Opened(path, ports) : FolderFacts{};
  open.push_back(Open(path, entered.Enter(kNoFolder, path, root), root.identity, ports));
  while (!open.empty()) {
    OpenFolder& folder = open.back();
    if (folder.next == folder.entries.size()) {
      open.pop_back();
      if (!open.empty()) path.resize(open.back().pathLength);
      continue;
    }
    const platform::DirectoryEntry& entry = folder.entries[folder.next++];
    if (mode == kAddPictures && IsPictureName(entry.name)) list1.push_back(path + entry.name);
    if (!subFolder || !ShouldDescend(entry)) continue;
    const size_t parentLength = path.size();
    path += entry.name;
    path += L'\\';
    const FolderFacts facts = FactsOf(entry, folder, path, ports);
    // A link whose target cannot be told apart might lead back: it is not followed.
    if ((entry.isReparsePoint && !facts.identity) || entered.MetBefore(facts, path)) {
      path.resize(parentLength);
      continue;
    }
    const size_t index = entered.Enter(folder.entered, entry.name + L'\\', facts);
    open.push_back(Open(path, index, facts.identity, ports));
  }
}

}  // namespace pictures
