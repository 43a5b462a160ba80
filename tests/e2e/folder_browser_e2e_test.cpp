// The folder browser the settings dialog's first 参照 opens, on the real o_glmk.scr.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "settings/settings_dialog_layout.h"
#include "tests/e2e/e2e_support.h"

using e2e::SaverProcess;

namespace {

constexpr wchar_t kLauncher[] = L"Glimmerdeck Information";
constexpr wchar_t kDialog[] = L"フォルダ・速度設定";
constexpr DWORD kStartTimeout = 15000;
constexpr DWORD kCloseTimeout = 5000;

}  // namespace

namespace {

// A folder tree for the browser: two sub-folders, pictures of each kind and one other file.
std::wstring BrowseTree() {
  std::wstring root = e2e::FreshFolder(L"browse");
  CreateDirectoryW((root + L"\\写真").c_str(), nullptr);
  CreateDirectoryW((root + L"\\zzz").c_str(), nullptr);
  e2e::WriteSolidBmp(root + L"\\a.bmp", 8, 8, RGB(1, 2, 3));
  e2e::WriteBytes(root + L"\\b.txt", "text");
  e2e::WriteBytes(root + L"\\C.JPG", "not decoded by a list");
  e2e::WriteBytes(root + L"\\d.gif", "GIF89a");
  e2e::WriteBytes(root + L"\\写真\\p.gif", "GIF89a");
  return root;
}

class Browser {
 public:
  explicit Browser(HWND window) : window_(window) {}
  HWND Window() const { return window_; }
  HWND Item(int id) const { return GetDlgItem(window_, id); }
  std::vector<std::wstring> Rows() const { return e2e::ListBoxItems(Item(settings::kDir1)); }
  std::vector<std::wstring> Files() const { return e2e::ListBoxItems(Item(settings::kFile1)); }
  int RowOf(const std::wstring& name) const {
    std::vector<std::wstring> rows = Rows();
    for (size_t i = 0; i < rows.size(); ++i)
      if (rows[i] == name) return static_cast<int>(i);
    ADD_FAILURE() << "no row " << e2e::Narrow(name);
    return -1;
  }
  void Highlight(int row) const { e2e::SendTo(Item(settings::kDir1), LB_SETCURSEL, static_cast<WPARAM>(row)); }
  // As a double-click on the row does.
  void Open(int row) const {
    Highlight(row);
    HWND list = Item(settings::kDir1);
    e2e::SendTo(window_, WM_COMMAND, MAKEWPARAM(settings::kDir1, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
  }
  bool PressAndWaitUntilClosed(int buttonId) const {
    e2e::ClickButton(Item(buttonId));
    return e2e::WaitUntilGone(window_, kCloseTimeout);
  }

 private:
  HWND window_;
};

// The lists start on the program's current directory: the saver starts in the tree.
class FolderBrowserTest : public testing::Test {
 protected:
  void SetUp() override {
    e2e::RemoveSettings();
    root_ = BrowseTree();
    saver_ = std::make_unique<SaverProcess>(L"/C", root_);
    dialog_ = e2e::SettingsDialog(e2e::OpenSettingsFromLauncher(*saver_, kStartTimeout));
  }
  void TearDown() override { e2e::RemoveSettings(); }
  Browser OpenBrowser() {
    e2e::ClickButton(dialog_.Item(settings::kCommand3));
    HWND window = saver_->WaitForWindow(settings::kFolderBrowserCaption, kCloseTimeout);
    EXPECT_NE(window, nullptr) << "no folder browser";
    return Browser(window);
  }

  std::wstring root_;
  std::unique_ptr<SaverProcess> saver_;
  e2e::SettingsDialog dialog_{nullptr};
};

}  // namespace

TEST_F(FolderBrowserTest, ListsStartOnTheCurrentDirectory) {
  ASSERT_NE(dialog_.Window(), nullptr);
  Browser browser = OpenBrowser();
  ASSERT_NE(browser.Window(), nullptr);
  EXPECT_FALSE(IsWindowEnabled(dialog_.Window()));  // modal to the dialog
  std::vector<std::wstring> rows = browser.Rows();
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(std::vector<std::wstring>(rows.begin(), rows.begin() + 3),
            (std::vector<std::wstring>{L"C:\\", L"glimmer_e2e", L"browse"}));
  std::vector<std::wstring> subs(rows.begin() + 3, rows.end());
  std::sort(subs.begin(), subs.end());
  EXPECT_EQ(subs, (std::vector<std::wstring>{L"zzz", L"写真"}));
  EXPECT_EQ(browser.Files(), (std::vector<std::wstring>{L"a.bmp", L"C.JPG", L"d.gif"}));
  HWND drives = browser.Item(settings::kDrive1);
  LRESULT selected = e2e::SendTo(drives, CB_GETCURSEL);
  std::vector<std::wstring> items = e2e::ComboBoxItems(drives);
  ASSERT_GE(selected, 0);
  ASSERT_LT(static_cast<size_t>(selected), items.size());
  const std::wstring drive = items[static_cast<size_t>(selected)];
  EXPECT_TRUE(drive == L"c:" || drive.rfind(L"c: [", 0) == 0) << e2e::Narrow(drive);
}

TEST_F(FolderBrowserTest, OpeningASubFolderAndConfirmingFillsTheFolderBox) {
  ASSERT_NE(dialog_.Window(), nullptr);
  Browser browser = OpenBrowser();
  ASSERT_NE(browser.Window(), nullptr);
  browser.Open(browser.RowOf(L"写真"));
  EXPECT_EQ(browser.Rows(), (std::vector<std::wstring>{L"C:\\", L"glimmer_e2e", L"browse", L"写真"}));
  EXPECT_EQ(browser.Files(), std::vector<std::wstring>{L"p.gif"});
  ASSERT_TRUE(browser.PressAndWaitUntilClosed(settings::kBrowserCommand1));
  EXPECT_EQ(dialog_.FolderText(), root_ + L"\\写真");
  EXPECT_TRUE(IsWindowEnabled(dialog_.Window()));
}

TEST_F(FolderBrowserTest, AHighlightedRowIsNotTheChoice) {
  ASSERT_NE(dialog_.Window(), nullptr);
  Browser browser = OpenBrowser();
  ASSERT_NE(browser.Window(), nullptr);
  browser.Highlight(browser.RowOf(L"zzz"));
  e2e::Sleep(200);
  EXPECT_EQ(browser.Rows().size(), 5u);
  ASSERT_TRUE(browser.PressAndWaitUntilClosed(settings::kBrowserCommand1));
  EXPECT_EQ(dialog_.FolderText(), root_);
}

TEST_F(FolderBrowserTest, TheRootKeepsItsBackslash) {
  ASSERT_NE(dialog_.Window(), nullptr);
  Browser browser = OpenBrowser();
  ASSERT_NE(browser.Window(), nullptr);
  browser.Open(0);
  std::vector<std::wstring> rows = browser.Rows();
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows[0], L"C:\\");
  EXPECT_NE(std::find(rows.begin(), rows.end(), L"glimmer_e2e"), rows.end());
  ASSERT_TRUE(browser.PressAndWaitUntilClosed(settings::kBrowserCommand1));
  EXPECT_EQ(dialog_.FolderText(), L"C:\\");
}

TEST_F(FolderBrowserTest, CancelKeepsTheTypedFolder) {
  ASSERT_NE(dialog_.Window(), nullptr);
  dialog_.SetFolderText(L"D:\\typed");
  Browser browser = OpenBrowser();
  ASSERT_NE(browser.Window(), nullptr);
  browser.Open(browser.RowOf(L"写真"));
  ASSERT_TRUE(browser.PressAndWaitUntilClosed(settings::kBrowserCommand2));
  EXPECT_EQ(dialog_.FolderText(), L"D:\\typed");
  EXPECT_TRUE(IsWindowEnabled(dialog_.Window()));
}

namespace {
// Q: as tools/missing-medium-drive maps it: listed by the system, but not readable.
bool MissingMediumDriveIsThere() {
  return (GetLogicalDrives() & (1u << ('Q' - 'A'))) && GetFileAttributesW(L"Q:\\") == INVALID_FILE_ATTRIBUTES;
}
}  // namespace

TEST_F(FolderBrowserTest, ADriveWithoutMediumLeavesTheListsWhereTheyWere) {
  if (!MissingMediumDriveIsThere()) GTEST_SKIP() << "no unreadable drive Q: (made by tools/missing-medium-drive)";
  ASSERT_NE(dialog_.Window(), nullptr);
  Browser browser = OpenBrowser();
  ASSERT_NE(browser.Window(), nullptr);
  HWND drives = browser.Item(settings::kDrive1);
  std::vector<std::wstring> items = e2e::ComboBoxItems(drives);
  const LRESULT before = e2e::SendTo(drives, CB_GETCURSEL);
  auto q = std::find_if(items.begin(), items.end(), [](const std::wstring& item) { return item.rfind(L"q:", 0) == 0; });
  ASSERT_NE(q, items.end());
  const std::vector<std::wstring> rows = browser.Rows();
  e2e::SendTo(drives, CB_SETCURSEL, static_cast<WPARAM>(q - items.begin()));
  e2e::SendTo(browser.Window(), WM_COMMAND, MAKEWPARAM(settings::kDrive1, CBN_SELCHANGE),
              reinterpret_cast<LPARAM>(drives));
  e2e::Sleep(500);
  EXPECT_EQ(e2e::SendTo(drives, CB_GETCURSEL), before);
  EXPECT_EQ(browser.Rows(), rows);
  EXPECT_TRUE(IsWindowVisible(browser.Window()));
  // No message box: only the launcher, the dialog and the browser are showing.
  std::vector<std::wstring> want = {kLauncher, kDialog, settings::kFolderBrowserCaption};
  std::sort(want.begin(), want.end());
  EXPECT_EQ(saver_->VisibleCaptions(), want);
  ASSERT_TRUE(browser.PressAndWaitUntilClosed(settings::kBrowserCommand1));
  EXPECT_EQ(dialog_.FolderText(), root_);
}
