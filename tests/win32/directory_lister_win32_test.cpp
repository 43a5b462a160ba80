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

Paths Scan(const std::wstring& folder) {
  platform::Win32DirectoryLister lister;
  CountingPump pump;
  Paths list;
  pictures::GetPictureFolder(pictures::kAddPictures, folder, true, {lister, pump}, list);
  std::sort(list.begin(), list.end());
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

TEST_F(DirectoryListerWin32, LinksBackUpThePathAreNotEnteredAndALinkToASiblingIs) {
  Touch(kRoot + L"\\a.jpg");
  Touch(kRoot + L"\\sub\\s.jpg");
  Touch(kRoot + L"\\旅行\\富士山.JPG");
  // The links are there, and look like folders.
  for (const wchar_t* link : {L"back1", L"back2", L"近道"}) EXPECT_TRUE(Listed(kRoot, link)) << link;
  EXPECT_TRUE(Listed(kRoot + L"\\sub", L"self"));

  EXPECT_EQ(Scan(kRoot), (Paths{kRoot + L"\\a.jpg", kRoot + L"\\sub\\s.jpg", kRoot + L"\\旅行\\富士山.JPG",
                                kRoot + L"\\近道\\富士山.JPG"}));
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
