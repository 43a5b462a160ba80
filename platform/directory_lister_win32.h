#pragma once
// The folder listing of the picture scan, over FindFirstFileW and FindNextFileW.
#include <string>
#include <vector>

#include "platform/directory_lister.h"

namespace platform {

class Win32DirectoryLister : public DirectoryLister {
 public:
  std::vector<DirectoryEntry> List(const std::wstring& folder) override;
};

// The search pattern for folder: folder + "*.*", given the "\\?\" form when it is too
// long for the plain one (MAX_PATH).
std::wstring SearchPattern(const std::wstring& folder);

}  // namespace platform
