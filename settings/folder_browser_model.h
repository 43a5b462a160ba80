#pragma once
// The folder browser's state: the drive list, the directory list (the open directory
// with its ancestors above and its sub-directories below) and the picture files of the
// open directory. The chosen folder is always the open directory, never a highlighted one.
#include <optional>
#include <string>
#include <vector>

#include "platform/directory_lister.h"

namespace settings {

inline constexpr wchar_t kBrowserFilePattern[] = L"*.bmp;*.jpg;*.gif";

struct DriveInfo {
  wchar_t letter = L'C';  // as the system lists it
  std::wstring label;     // the volume label; empty when there is none or the drive is not ready
};

// How the drive list shows a drive: "c: [label]", or "c:" without a label.
std::wstring DriveDisplayText(const DriveInfo& drive);

// Asks the system about drives.
class DriveProbe {
 public:
  virtual ~DriveProbe() = default;
  // The drive's current directory ("D:\\photos", or "D:\\"), or nothing when the drive
  // is not ready (no medium, unreadable).
  virtual std::optional<std::wstring> CurrentDirectoryOn(wchar_t letter) = 0;
};

struct DirectoryRow {
  std::wstring name;  // "C:\\" for the root, else the folder's own name
  int level = 0;      // 0 for the root; each ancestor one deeper
  bool open = false;  // an ancestor or the open directory itself (drawn as an open folder)
};

class FolderBrowserModel {
 public:
  FolderBrowserModel(platform::DirectoryLister& lister, DriveProbe& drives);

  // Opens the directory the lists start on (the program's current directory).
  void Start(const std::wstring& directory);
  // The user picked a drive. A drive that is not ready leaves the directory list where it
  // was and returns false; the caller puts the drive list back on Drive() and calls
  // PickDrive(Drive()) once more, as the list's change would.
  bool PickDrive(wchar_t letter);
  // Opens the row (a double-click or Enter): it becomes the open directory.
  void OpenRow(size_t row);

  // The open directory: a drive's root keeps its backslash ("C:\\"), others have none,
  // a network share's root included ("\\\\server\\share").
  const std::wstring& Path() const { return path_; }
  wchar_t Drive() const;
  const std::vector<DirectoryRow>& Rows() const { return rows_; }
  size_t OpenRowIndex() const { return openRow_; }
  // The picture files of the open directory, by name, case-insensitively sorted.
  const std::vector<std::wstring>& Files() const { return files_; }

 private:
  void Open(const std::wstring& path);

  platform::DirectoryLister& lister_;
  DriveProbe& drives_;
  std::wstring path_;
  std::vector<DirectoryRow> rows_;
  size_t openRow_ = 0;
  std::vector<std::wstring> files_;
};

// Whether a file name matches one of the patterns of kBrowserFilePattern, ignoring case.
bool MatchesBrowserPattern(const std::wstring& name);

}  // namespace settings
