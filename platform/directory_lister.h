#pragma once
// Lists the entries of one folder, for the picture catalogue scan.
#include <string>
#include <vector>

namespace platform {

struct DirectoryEntry {
  std::wstring name;
  bool isDirectory = false;
  // A link to another place (symbolic link, junction, mounted folder). The scan never
  // descends through one: a link back into the tree would make it walk forever.
  bool isReparsePoint = false;
};

class DirectoryLister {
 public:
  virtual ~DirectoryLister() = default;
  // Every entry of folder (which ends in "\"), "." and ".." included, in the file
  // system's own order; empty when the folder is missing, unreadable or not a folder.
  virtual std::vector<DirectoryEntry> List(const std::wstring& folder) = 0;
};

}  // namespace platform
