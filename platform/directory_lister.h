#pragma once
// Lists the entries of one folder, for the picture catalogue scan.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// A file's ID on its volume, laid out as a 128-bit ID: a 64-bit one in its low bytes.
using FileId = std::array<uint8_t, 16>;

// Which folder a path leads to, whatever links it passes through: its volume and its
// file ID on that volume. Two paths with the same identity are the same folder.
struct FolderIdentity {
  uint64_t volume = 0;
  FileId fileId{};

  friend bool operator==(const FolderIdentity& a, const FolderIdentity& b) {
    return a.volume == b.volume && a.fileId == b.fileId;
  }
  friend bool operator!=(const FolderIdentity& a, const FolderIdentity& b) { return !(a == b); }
};

struct DirectoryEntry {
  std::wstring name;
  bool isDirectory = false;
  // A link to another place (symbolic link, junction, mounted folder). A listing knows
  // only the link's own identity, not that of the folder it leads to.
  bool isReparsePoint = false;
  // The entry's file ID on the volume of the folder listed, as the listing reports it;
  // nothing when the listing does not tell. A link's is the link's own.
  std::optional<FileId> fileId;
};

// What opening a folder tells of it: its identity and its final path, the path the system
// resolves it to with every link followed, upper-cased so that two names the file system
// takes for one compare equal. Serial numbers and file IDs repeat across volumes (mounts
// under Wine, cloned disks), so only the two together tell a folder met before.
struct IdentifiedFolder {
  FolderIdentity identity;
  std::wstring finalPath;  // empty when the system cannot tell it
};

class DirectoryLister {
 public:
  virtual ~DirectoryLister() = default;
  // Every entry of folder (which ends in "\"), "." and ".." included, in the file
  // system's own order; empty when the folder is missing, unreadable or not a folder.
  virtual std::vector<DirectoryEntry> List(const std::wstring& folder) = 0;
  // Opens the folder a path (ending in "\") leads to, links followed, for its identity and
  // final path; nothing when its identity cannot be read, which is all a lister that cannot
  // tell folders apart ever says.
  virtual std::optional<IdentifiedFolder> Identify(const std::wstring&) { return std::nullopt; }

  std::optional<FolderIdentity> Identity(const std::wstring& folder) {
    auto identified = Identify(folder);
    if (!identified) return std::nullopt;
    return identified->identity;
  }
};

}  // namespace platform
