#pragma once
// The folder listing of the picture scan and the folder browser, and the folder
// identities that keep the scan out of link loops.
#include <string>
#include <vector>

#include "platform/directory_lister.h"

namespace platform {

class Win32DirectoryLister : public DirectoryLister {
 public:
  // Through the open folder's handle, with every sub-folder's file ID; where that cannot
  // be done, through FindFirstFileW and FindNextFileW, without them.
  std::vector<DirectoryEntry> List(const std::wstring& folder) override;
  // The 128-bit file ID where the file system gives one, else the volume serial number and
  // the 64-bit file index; a file index of 0 says nothing and counts as unreadable. The
  // final path comes from the same open, GetFinalPathNameByHandleW.
  std::optional<IdentifiedFolder> Identify(const std::wstring& folder) override;
};

// path as it may be handed to the system: unchanged while its full form is short enough
// for the plain form (MAX_PATH), else the full form in the "\\?\" form ("\\?\UNC\" for a
// share); a path already in the "\\?\" or "\\.\" form is kept as it is.
std::wstring LongPathForm(const std::wstring& path);

// The search pattern for folder: folder + "*.*", given the "\\?\" form when it is too
// long for the plain one (MAX_PATH).
std::wstring SearchPattern(const std::wstring& folder);

}  // namespace platform
