#include "settings/folder_browser_model.h"

#include <algorithm>

namespace settings {
namespace {

wchar_t FoldAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c; }

bool IsAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

bool FoldedLess(wchar_t x, wchar_t y) { return FoldAscii(x) < FoldAscii(y); }

// The file system ignores case, so the lists do too; names equal but for case fall back to
// their exact text so that the order never depends on the order the lister gave.
bool LessIgnoringCase(const std::wstring& a, const std::wstring& b) {
  if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), FoldedLess)) return true;
  if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), FoldedLess)) return false;
  return a < b;
}

void SortIgnoringCase(std::vector<std::wstring>& names) {
  std::sort(names.begin(), names.end(), LessIgnoringCase);
}

bool EndsWithIgnoringCase(const std::wstring& text, const std::wstring& end) {
  if (end.size() > text.size()) return false;
  return std::equal(end.begin(), end.end(), text.end() - static_cast<std::ptrdiff_t>(end.size()),
                    [](wchar_t x, wchar_t y) { return FoldAscii(x) == FoldAscii(y); });
}

// The segments of text between backslashes; empty ones (doubled backslashes) dropped.
std::vector<std::wstring> Segments(const std::wstring& text) {
  std::vector<std::wstring> segments;
  for (size_t start = 0; start <= text.size();) {
    size_t end = text.find(L'\\', start);
    if (end == std::wstring::npos) end = text.size();
    if (end > start) segments.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return segments;
}

// A directory as its root ("C:\", "\\server\share\", "\" or, for a relative path, nothing)
// followed by the folder names down to it.
struct Trail {
  std::wstring root;
  std::vector<std::wstring> names;
};

// Splits off the root; "." and ".." are resolved here so that every row names a real folder
// and ".." can never climb above the root.
Trail SplitPath(std::wstring path) {
  std::replace(path.begin(), path.end(), L'/', L'\\');
  Trail trail;
  std::wstring rest;
  if (path.size() >= 2 && path[1] == L':') {
    trail.root = path.substr(0, 2) + L"\\";
    rest = path.substr(2);
  } else if (path.compare(0, 2, L"\\\\") == 0) {
    std::vector<std::wstring> segments = Segments(path.substr(2));
    trail.root = L"\\\\";
    size_t used = 0;
    for (; used < 2 && used < segments.size(); ++used) trail.root += segments[used] + L"\\";
    segments.erase(segments.begin(), segments.begin() + static_cast<std::ptrdiff_t>(used));
    trail.names = std::move(segments);
  } else if (!path.empty() && path[0] == L'\\') {
    trail.root = L"\\";
    rest = path.substr(1);
  } else {
    rest = path;
  }
  for (std::wstring& name : Segments(rest)) trail.names.push_back(std::move(name));
  std::vector<std::wstring> resolved;
  for (std::wstring& name : trail.names) {
    if (name == L".") continue;
    if (name == L"..") {
      if (!resolved.empty()) resolved.pop_back();
      continue;
    }
    resolved.push_back(std::move(name));
  }
  trail.names = std::move(resolved);
  return trail;
}

// Only a drive's root keeps its backslash ("C:\"); a share's root is "\\server\share".
std::wstring JoinTrail(const Trail& trail, size_t nameCount) {
  std::wstring path = trail.root;
  for (size_t i = 0; i < nameCount && i < trail.names.size(); ++i) {
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    path += trail.names[i];
  }
  const bool shareRoot = path == trail.root && path.size() > 2 && path.compare(0, 2, L"\\\\") == 0;
  if (shareRoot && path.back() == L'\\') path.pop_back();
  return path;
}

// The lister wants the folder with its trailing backslash; a root already has one.
std::wstring FolderToList(const std::wstring& path) {
  if (path.empty() || path.back() == L'\\') return path;
  return path + L'\\';
}

bool IsDotEntry(const std::wstring& name) { return name == L"." || name == L".."; }

// The "*.ext" patterns of kBrowserFilePattern as the endings they ask for (".ext").
std::vector<std::wstring> PatternEndings() {
  std::vector<std::wstring> endings;
  const std::wstring patterns = kBrowserFilePattern;
  for (size_t start = 0; start <= patterns.size();) {
    size_t end = patterns.find(L';', start);
    if (end == std::wstring::npos) end = patterns.size();
    if (end > start && patterns[start] == L'*') endings.push_back(patterns.substr(start + 1, end - start - 1));
    start = end + 1;
  }
  return endings;
}

}  // namespace

std::wstring DriveDisplayText(const DriveInfo& drive) {
  std::wstring text(1, FoldAscii(drive.letter));
  text += L':';
  if (!drive.label.empty()) text += L" [" + drive.label + L"]";
  return text;
}

bool MatchesBrowserPattern(const std::wstring& name) {
  static const std::vector<std::wstring> endings = PatternEndings();
  return std::any_of(endings.begin(), endings.end(),
                     [&name](const std::wstring& ending) { return EndsWithIgnoringCase(name, ending); });
}

FolderBrowserModel::FolderBrowserModel(platform::DirectoryLister& lister, DriveProbe& drives)
    : lister_(lister), drives_(drives) {}

void FolderBrowserModel::Start(const std::wstring& directory) { Open(directory); }

bool FolderBrowserModel::PickDrive(wchar_t letter) {
  // Drive() is 0 on a network path; the system has no drive to ask about then.
  if (!IsAsciiLetter(letter)) return false;
  std::optional<std::wstring> directory = drives_.CurrentDirectoryOn(letter);
  if (!directory || directory->empty()) return false;
  Open(*directory);
  return true;
}

void FolderBrowserModel::OpenRow(size_t row) {
  if (row >= rows_.size()) return;
  if (row > openRow_) {
    Open(FolderToList(path_) + rows_[row].name);
    return;
  }
  Trail trail = SplitPath(path_);
  const size_t rootRows = trail.root.empty() ? 0 : 1;
  // Without a root row (a relative path) row 0 is already the first folder name.
  Open(JoinTrail(trail, row + 1 - rootRows));
}

wchar_t FolderBrowserModel::Drive() const {
  if (path_.size() >= 2 && path_[1] == L':') return path_[0];
  return 0;
}

void FolderBrowserModel::Open(const std::wstring& path) {
  const Trail trail = SplitPath(path);
  path_ = JoinTrail(trail, trail.names.size());
  rows_.clear();
  if (!trail.root.empty()) rows_.push_back({trail.root, 0, true});
  for (const std::wstring& name : trail.names)
    rows_.push_back({name, static_cast<int>(rows_.size()), true});
  openRow_ = rows_.empty() ? 0 : rows_.size() - 1;

  std::vector<std::wstring> folders;
  files_.clear();
  if (!path_.empty()) {
    for (const platform::DirectoryEntry& entry : lister_.List(FolderToList(path_))) {
      if (IsDotEntry(entry.name) || entry.name.empty()) continue;
      if (entry.isDirectory) {
        folders.push_back(entry.name);
      } else if (MatchesBrowserPattern(entry.name)) {
        files_.push_back(entry.name);
      }
    }
  }
  SortIgnoringCase(folders);
  SortIgnoringCase(files_);
  const int subLevel = static_cast<int>(rows_.size());
  for (std::wstring& name : folders) rows_.push_back({std::move(name), subLevel, false});
}

}  // namespace settings
