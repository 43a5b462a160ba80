// The picture scan over the real file system, through folders with Unix symbolic links that
// the link-tree fixture made (a Windows program under Wine cannot make them itself).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "pictures/catalogue.h"
#include "platform/directory_lister_win32.h"

namespace {

const std::wstring kLinks = L"C:\\glimmer_links";
const std::wstring kRoot = kLinks + L"\\lister";
using Paths = std::vector<std::wstring>;

bool FixtureReady() { return GetFileAttributesW((kLinks + L"\\ready").c_str()) != INVALID_FILE_ATTRIBUTES; }

void Touch(const std::wstring& path) {
  HANDLE file = CreateFileW(platform::LongPathForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << GetLastError();
  CloseHandle(file);
}

// A runaway walk fails the test instead of hanging it: a loop through a link doubles the
// folders at every level.
struct CountingPump : platform::MessagePump {
  void PumpPending() override {
    if (++folders > 10000) throw std::runtime_error("the scan does not end");
  }
  int folders = 0;
};

Paths Scan(const std::wstring& folder, int* folders = nullptr) {
  platform::Win32DirectoryLister lister;
  CountingPump pump;
  Paths list;
  pictures::GetPictureFolder(pictures::kAddPictures, folder, true, {lister, pump}, list);
  std::sort(list.begin(), list.end());
  if (folders) *folders = pump.folders;
  return list;
}

bool Listed(const std::wstring& folder, const std::wstring& name) {
  platform::Win32DirectoryLister lister;
  for (const auto& entry : lister.List(folder + L"\\"))
    if (entry.name == name) return entry.isDirectory;
  return false;
}

class DirectoryListerWin32 : public testing::Test {
 protected:
  void SetUp() override {
    if (!FixtureReady()) GTEST_SKIP() << "needs the link-tree fixture (ctest runs it)";
  }
};

}  // namespace

TEST_F(DirectoryListerWin32, LinksBackUpThePathAreNotEnteredAndASiblingReachedTwiceIsListedOnce) {
  Touch(kRoot + L"\\a.jpg");
  Touch(kRoot + L"\\sub\\s.jpg");
  Touch(kRoot + L"\\旅行\\富士山.JPG");
  // The links are there, and look like folders.
  for (const wchar_t* link : {L"back1", L"back2", L"近道"}) EXPECT_TRUE(Listed(kRoot, link)) << link;
  EXPECT_TRUE(Listed(kRoot + L"\\sub", L"self"));

  // The sibling and the link to it are one folder, listed under the name met first.
  const auto entries = platform::Win32DirectoryLister().List(kRoot + L"\\");
  const auto first = std::find_if(entries.begin(), entries.end(),
                                  [](const auto& e) { return e.name == L"旅行" || e.name == L"近道"; });
  ASSERT_NE(first, entries.end());
  EXPECT_EQ(Scan(kRoot), (Paths{kRoot + L"\\a.jpg", kRoot + L"\\sub\\s.jpg", kRoot + L"\\" + first->name + L"\\富士山.JPG"}));
}

// 16 levels of links that merge (each level's a and b lead to the next level's folder): one
// listing a level, where following each link on its own would make 131071.
TEST_F(DirectoryListerWin32, LinksThatMergeAreWalkedOnce) {
  const std::wstring top = kLinks + L"\\merge\\l0";
  Touch(kLinks + L"\\merge\\l16\\p.jpg");
  int folders = 0;
  const Paths list = Scan(top, &folders);
  EXPECT_EQ(folders, 17);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].size(), top.size() + 16 * 2 + 6);  // "\a" or "\b" a level, then "\p.jpg"
}

// /dev and /dev/shm are different mounts with the same identity under Wine: a scan of
// Z:\dev with its sub-folders reaches a picture in /dev/shm.
TEST(DirectoryListerDevShm, AScanOfDevReachesAPictureUnderDevShm) {
  const std::wstring folder = L"Z:\\dev\\shm\\glimmer_scan_" + std::to_wstring(GetCurrentProcessId());
  if (GetFileAttributesW(L"Z:\\dev\\shm") == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no /dev/shm here";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)) << GetLastError();
  Touch(folder + L"\\p.jpg");
  const Paths list = Scan(L"Z:\\dev");
  DeleteFileW((folder + L"\\p.jpg").c_str());
  RemoveDirectoryW(folder.c_str());
  EXPECT_NE(std::find(list.begin(), list.end(), folder + L"\\p.jpg"), list.end());
}

TEST_F(DirectoryListerWin32, IdentityFollowsLinksToTheFolderTheyLeadTo) {
  platform::Win32DirectoryLister lister;
  const auto root = lister.Identity(kRoot + L"\\");
  const auto sub = lister.Identity(kRoot + L"\\sub\\");
  const auto sibling = lister.Identity(kRoot + L"\\旅行\\");
  ASSERT_TRUE(root && sub && sibling);
  EXPECT_NE(*root, *sub);
  EXPECT_NE(*root, *sibling);
  EXPECT_NE(*sub, *sibling);
  EXPECT_EQ(lister.Identity(kRoot + L"\\back1\\"), root);
  EXPECT_EQ(lister.Identity(kRoot + L"\\back2\\back1\\"), root);
  EXPECT_EQ(lister.Identity(kRoot + L"\\sub\\self\\"), sub);
  EXPECT_EQ(lister.Identity(kRoot + L"\\近道\\"), sibling);
  EXPECT_EQ(lister.Identity(kRoot + L"\\nowhere\\"), std::nullopt);
  EXPECT_EQ(lister.Identity(kRoot + L"\\..\\lister\\"), root);
}

TEST_F(DirectoryListerWin32, PathsPastMaxPathAreWalkedAndIdentified) {
  std::wstring folder = kLinks + L"\\long";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  const std::wstring name(60, L'長');
  for (int level = 0; level < 6; ++level) {
    folder += L"\\" + name;
    ASSERT_TRUE(CreateDirectoryW(platform::LongPathForm(folder).c_str(), nullptr) ||
                GetLastError() == ERROR_ALREADY_EXISTS);
  }
  ASSERT_GT(folder.size(), 300u);
  Touch(folder + L"\\深い.gif");
  EXPECT_EQ(Scan(kLinks + L"\\long"), (Paths{folder + L"\\深い.gif"}));
  platform::Win32DirectoryLister lister;
  EXPECT_TRUE(lister.Identity(folder + L"\\").has_value());
  EXPECT_NE(lister.Identity(folder + L"\\"), lister.Identity(kLinks + L"\\long\\"));
}

namespace {

struct NamedEntry {
  std::wstring name;
  bool isDirectory;
  friend bool operator==(const NamedEntry& a, const NamedEntry& b) { return a.name == b.name && a.isDirectory == b.isDirectory; }
};

// The folder's entries as FindFirstFileW and FindNextFileW give them.
std::vector<NamedEntry> FoundEntries(const std::wstring& folder) {
  std::vector<NamedEntry> found;
  WIN32_FIND_DATAW data{};
  HANDLE find = FindFirstFileW(platform::SearchPattern(folder).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return found;
  do {
    found.push_back({data.cFileName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return found;
}

std::string Describe(const std::vector<NamedEntry>& entries) {
  std::string text;
  for (const auto& e : entries) {
    char name[MAX_PATH * 3] = {};
    WideCharToMultiByte(CP_UTF8, 0, e.name.c_str(), -1, name, sizeof(name), nullptr, nullptr);
    text += std::string(name) + (e.isDirectory ? "\\ " : " ");
  }
  return text;
}

std::vector<NamedEntry> ListedEntries(const std::wstring& folder) {
  platform::Win32DirectoryLister lister;
  std::vector<NamedEntry> listed;
  for (const auto& entry : lister.List(folder)) listed.push_back({entry.name, entry.isDirectory});
  return listed;
}

}  // namespace

// The listing through the folder's handle has the same entries in the same order as the
// find functions, so the catalogue and the browser's lists stay as they were.
TEST_F(DirectoryListerWin32, ListingMatchesTheFindFunctions) {
  Touch(kRoot + L"\\a.jpg");
  Touch(kRoot + L"\\sub\\s.jpg");
  const std::wstring plain = kLinks + L"\\plain";
  for (const wchar_t* folder : {L"", L"\\写真 2026", L"\\z", L"\\a"})
    ASSERT_TRUE(CreateDirectoryW((plain + folder).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  for (const wchar_t* file : {L"\\名前 with spaces.gif", L"\\b.JPG", L"\\noextension", L"\\写真 2026\\p.bmp"})
    Touch(plain + file);
  for (const std::wstring& folder : {kRoot + L"\\", kRoot + L"\\sub\\", kRoot + L"\\近道\\", plain + L"\\",
                                    plain + L"\\写真 2026\\", std::wstring(L"C:\\"), std::wstring(L"C:\\windows\\")}) {
    SCOPED_TRACE(folder);
    const auto found = FoundEntries(folder);
    EXPECT_FALSE(found.empty());
    const auto listed = ListedEntries(folder);
    EXPECT_TRUE(listed == found) << Describe(listed) << "\nfound: " << Describe(found);
  }
  EXPECT_TRUE(ListedEntries(kRoot + L"\\nowhere\\").empty());
  EXPECT_TRUE(ListedEntries(kRoot + L"\\a.jpg\\").empty());
}

// Each sub-folder's file ID in the listing, on the listed folder's volume, is the identity
// its own open gives, for Unix links too (Wine shows them as folders without a link's
// mark, and reports their target's ID).
TEST_F(DirectoryListerWin32, ListingFileIdsGiveTheFoldersOwnIdentity) {
  platform::Win32DirectoryLister lister;
  size_t identified = 0;
  for (const std::wstring& folder : {kRoot + L"\\", kRoot + L"\\sub\\"}) {
    const auto own = lister.Identity(folder);
    ASSERT_TRUE(own.has_value());
    for (const auto& entry : lister.List(folder)) {
      if (!entry.isDirectory || entry.name == L"." || entry.name == L".." || entry.isReparsePoint) continue;
      SCOPED_TRACE(folder + entry.name);
      ASSERT_TRUE(entry.fileId.has_value());
      EXPECT_EQ((platform::FolderIdentity{own->volume, *entry.fileId}), lister.Identity(folder + entry.name + L"\\"));
      ++identified;
    }
  }
  EXPECT_EQ(identified, 6u);  // back1, back2, sub, 旅行 and 近道; then sub\self
}
