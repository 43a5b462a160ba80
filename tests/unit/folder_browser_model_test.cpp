#include "settings/folder_browser_model.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

using platform::DirectoryEntry;
using settings::FolderBrowserModel;
using Names = std::vector<std::wstring>;

namespace {

DirectoryEntry File(const std::wstring& name) { return {name, false, false, std::nullopt}; }
DirectoryEntry Dir(const std::wstring& name) { return {name, true, false, std::nullopt}; }
DirectoryEntry Link(const std::wstring& name) { return {name, true, true, std::nullopt}; }

// Folders by their path with the trailing "\"; a folder not in the map lists as empty,
// as a missing or unreadable one does.
struct FakeTree : platform::DirectoryLister {
  std::vector<DirectoryEntry> List(const std::wstring& folder) override {
    listed.push_back(folder);
    auto found = folders.find(folder);
    if (found == folders.end()) return {};
    return found->second;
  }
  // A folder as the system lists it: "." and ".." first, then the given entries.
  void Add(const std::wstring& folder, std::vector<DirectoryEntry> entries) {
    entries.insert(entries.begin(), {Dir(L"."), Dir(L"..")});
    folders[folder] = std::move(entries);
  }

  std::map<std::wstring, std::vector<DirectoryEntry>> folders;
  Names listed;
};

struct FakeDrives : settings::DriveProbe {
  std::optional<std::wstring> CurrentDirectoryOn(wchar_t letter) override {
    asked.push_back(letter);
    auto found = current.find(letter);
    if (found == current.end()) return std::nullopt;
    return found->second;
  }

  std::map<wchar_t, std::wstring> current;  // a drive not here is not ready
  std::vector<wchar_t> asked;
};

// One row as "<level><+ open|- closed><name>", so a whole list reads at a glance.
Names Describe(const std::vector<settings::DirectoryRow>& rows) {
  Names described;
  for (const auto& row : rows)
    described.push_back(std::to_wstring(row.level) + (row.open ? L"+" : L"-") + row.name);
  return described;
}

// C:\ with a small tree: C:\a\b\c three deep, pictures in C:\a and C:\a\b.
FakeTree SampleTree() {
  FakeTree tree;
  tree.Add(L"C:\\", {Dir(L"Windows"), Dir(L"a"), File(L"boot.ini"), Dir(L"Users"), File(L"top.jpg")});
  tree.Add(L"C:\\a\\", {Dir(L"b"), File(L"one.gif"), Dir(L"z"), File(L"notes.txt")});
  tree.Add(L"C:\\a\\b\\", {Dir(L"c"), File(L"two.bmp"), Dir(L"Aside")});
  tree.Add(L"C:\\a\\b\\c\\", {Dir(L"leaf"), File(L"three.jpg")});
  return tree;
}

struct Browser {
  FakeTree tree = SampleTree();
  FakeDrives drives;
  FolderBrowserModel model{tree, drives};
};

}  // namespace

TEST(SettingsFolderBrowserRows, RootShowsOnlyItsSubDirectories) {
  Browser b;
  b.model.Start(L"C:\\");
  EXPECT_EQ(b.model.Path(), L"C:\\");
  EXPECT_EQ(Describe(b.model.Rows()), (Names{L"0+C:\\", L"1-a", L"1-Users", L"1-Windows"}));
  EXPECT_EQ(b.model.OpenRowIndex(), 0u);
  EXPECT_EQ(b.model.Files(), (Names{L"top.jpg"}));
  EXPECT_EQ(b.tree.listed, (Names{L"C:\\"}));
}

TEST(SettingsFolderBrowserRows, OneLevelDown) {
  Browser b;
  b.model.Start(L"C:\\a");
  EXPECT_EQ(Describe(b.model.Rows()), (Names{L"0+C:\\", L"1+a", L"2-b", L"2-z"}));
  EXPECT_EQ(b.model.OpenRowIndex(), 1u);
  EXPECT_EQ(b.model.Files(), (Names{L"one.gif"}));
  EXPECT_EQ(b.tree.listed, (Names{L"C:\\a\\"}));
}

TEST(SettingsFolderBrowserRows, DeepPathShowsEveryAncestorOpen) {
  Browser b;
  b.model.Start(L"C:\\a\\b\\c");
  EXPECT_EQ(Describe(b.model.Rows()), (Names{L"0+C:\\", L"1+a", L"2+b", L"3+c", L"4-leaf"}));
  EXPECT_EQ(b.model.OpenRowIndex(), 3u);
  EXPECT_EQ(b.model.Files(), (Names{L"three.jpg"}));
}

TEST(SettingsFolderBrowserRows, SubDirectoriesAndFilesSortIgnoringCase) {
  Browser b;
  // '_' lies between the upper- and lower-case letters, so a case-sensitive sort puts
  // "_x" between "ALPHA" and "alpha".
  b.tree.Add(L"C:\\s\\", {Dir(L"beta"), Dir(L"alpha"), Dir(L"_x"), Dir(L"Gamma"), Dir(L"ALPHA"),
                          Dir(L"alpha2"), Dir(L"10"), Dir(L"9"), File(L"b.JPG"), File(L"_x.gif"),
                          File(L"A.bmp"), File(L"c.gif")});
  b.model.Start(L"C:\\s");
  EXPECT_EQ(Describe(b.model.Rows()),
            (Names{L"0+C:\\", L"1+s", L"2-10", L"2-9", L"2-_x", L"2-ALPHA", L"2-alpha", L"2-alpha2",
                   L"2-beta", L"2-Gamma"}));
  EXPECT_EQ(b.model.Files(), (Names{L"_x.gif", L"A.bmp", L"b.JPG", L"c.gif"}));
}

TEST(SettingsFolderBrowserRows, DotEntriesSkippedLinksListedFilesApart) {
  Browser b;
  b.tree.folders[L"C:\\m\\"] = {File(L"x.jpg"), Dir(L".."), Link(L"junction"), Dir(L"."),
                                Dir(L"pics.jpg"), File(L"y.jpeg"), File(L"shortcut.gif")};
  b.model.Start(L"C:\\m");
  EXPECT_EQ(Describe(b.model.Rows()), (Names{L"0+C:\\", L"1+m", L"2-junction", L"2-pics.jpg"}));
  EXPECT_EQ(b.model.Files(), (Names{L"shortcut.gif", L"x.jpg"}));
}

TEST(SettingsFolderBrowserRows, UnlistableDirectoryShowsOnlyItsAncestors) {
  Browser b;
  b.model.Start(L"C:\\gone\\deeper");
  EXPECT_EQ(b.model.Path(), L"C:\\gone\\deeper");
  EXPECT_EQ(Describe(b.model.Rows()), (Names{L"0+C:\\", L"1+gone", L"2+deeper"}));
  EXPECT_EQ(b.model.OpenRowIndex(), 2u);
  EXPECT_TRUE(b.model.Files().empty());
  EXPECT_EQ(b.tree.listed, (Names{L"C:\\gone\\deeper\\"}));
}

TEST(SettingsFolderBrowserStart, PathIsNormalised) {
  struct Case { const wchar_t* given; const wchar_t* path; const wchar_t* listed; wchar_t drive; };
  const Case cases[] = {
      {L"C:\\a\\", L"C:\\a", L"C:\\a\\", L'C'},
      {L"c:/x/", L"c:\\x", L"c:\\x\\", L'c'},
      {L"C:/a/b", L"C:\\a\\b", L"C:\\a\\b\\", L'C'},
      {L"C:/", L"C:\\", L"C:\\", L'C'},
      {L"d:", L"d:\\", L"d:\\", L'd'},
      {L"C:\\\\a\\\\b\\\\", L"C:\\a\\b", L"C:\\a\\b\\", L'C'},
      {L"C:\\a\\.\\b\\..", L"C:\\a", L"C:\\a\\", L'C'},
      {L"C:\\..\\..\\a", L"C:\\a", L"C:\\a\\", L'C'},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.given);
    Browser b;
    b.model.Start(c.given);
    EXPECT_EQ(b.model.Path(), c.path);
    EXPECT_EQ(b.model.Drive(), c.drive);
    EXPECT_EQ(b.tree.listed, (Names{c.listed}));
    ASSERT_FALSE(b.model.Rows().empty());
    EXPECT_EQ(b.model.Rows()[0].name, std::wstring(c.listed).substr(0, 3));
  }
}

TEST(SettingsFolderBrowserStart, TrailingBackslashGivesTheSameRows) {
  Browser plain, slashed, forward;
  plain.model.Start(L"C:\\a\\b");
  slashed.model.Start(L"C:\\a\\b\\");
  forward.model.Start(L"C:/a/b/");
  EXPECT_EQ(Describe(slashed.model.Rows()), Describe(plain.model.Rows()));
  EXPECT_EQ(Describe(forward.model.Rows()), Describe(plain.model.Rows()));
  EXPECT_EQ(slashed.model.Files(), (Names{L"two.bmp"}));
  EXPECT_EQ(forward.model.Files(), (Names{L"two.bmp"}));
}

TEST(SettingsFolderBrowserStart, NetworkPathHasItsShareAsRoot) {
  Browser b;
  b.tree.Add(L"\\\\server\\share\\", {Dir(L"dir")});
  b.tree.Add(L"\\\\server\\share\\dir\\", {Dir(L"inner"), File(L"p.jpg")});
  b.model.Start(L"\\\\server\\share\\dir");
  EXPECT_EQ(b.model.Path(), L"\\\\server\\share\\dir");
  EXPECT_EQ(Describe(b.model.Rows()), (Names{L"0+\\\\server\\share\\", L"1+dir", L"2-inner"}));
  EXPECT_EQ(b.model.Files(), (Names{L"p.jpg"}));
  EXPECT_EQ(b.model.Drive(), 0);

  // Only a drive's root keeps its backslash: the share's root is chosen without one.
  b.model.OpenRow(0);
  EXPECT_EQ(b.model.Path(), L"\\\\server\\share");
  EXPECT_EQ(Describe(b.model.Rows()), (Names{L"0+\\\\server\\share\\", L"1-dir"}));
  EXPECT_EQ(b.tree.listed.back(), L"\\\\server\\share\\");
  for (const wchar_t* given : {L"\\\\server\\share", L"\\\\server\\share\\", L"//server/share/"}) {
    SCOPED_TRACE(given);
    b.model.Start(given);
    EXPECT_EQ(b.model.Path(), L"\\\\server\\share");
    EXPECT_EQ(Describe(b.model.Rows()), (Names{L"0+\\\\server\\share\\", L"1-dir"}));
  }
  b.model.OpenRow(1);
  EXPECT_EQ(b.model.Path(), L"\\\\server\\share\\dir");
}

TEST(SettingsFolderBrowserStart, OddPathsNeverCrash) {
  for (const wchar_t* given : {L"", L"\\", L"\\\\", L"\\\\server", L"//server/share/x", L"relative\\dir",
                               L"C", L":", L"\\\\?\\C:\\a"}) {
    SCOPED_TRACE(given);
    Browser b;
    b.model.Start(given);
    EXPECT_LE(b.model.OpenRowIndex(), b.model.Rows().empty() ? 0u : b.model.Rows().size() - 1);
    for (size_t row = 0; row <= b.model.Rows().size(); ++row) {
      b.model.OpenRow(row);
      b.model.Start(given);
    }
  }
  Browser forward;
  forward.model.Start(L"//server/share/x");
  EXPECT_EQ(forward.model.Path(), L"\\\\server\\share\\x");
}

TEST(SettingsFolderBrowserOpen, AncestorCutsThePath) {
  Browser b;
  b.model.Start(L"C:\\a\\b\\c");
  b.model.OpenRow(1);
  EXPECT_EQ(b.model.Path(), L"C:\\a");
  EXPECT_EQ(Describe(b.model.Rows()), (Names{L"0+C:\\", L"1+a", L"2-b", L"2-z"}));
  EXPECT_EQ(b.model.OpenRowIndex(), 1u);
  EXPECT_EQ(b.model.Files(), (Names{L"one.gif"}));
  EXPECT_EQ(b.tree.listed.back(), L"C:\\a\\");
}

TEST(SettingsFolderBrowserOpen, SubDirectoryGoesDown) {
  Browser b;
  b.model.Start(L"C:\\a\\b");
  ASSERT_EQ(Describe(b.model.Rows()), (Names{L"0+C:\\", L"1+a", L"2+b", L"3-Aside", L"3-c"}));
  b.model.OpenRow(4);
  EXPECT_EQ(b.model.Path(), L"C:\\a\\b\\c");
  EXPECT_EQ(Describe(b.model.Rows()), (Names{L"0+C:\\", L"1+a", L"2+b", L"3+c", L"4-leaf"}));
  EXPECT_EQ(b.model.OpenRowIndex(), 3u);
  EXPECT_EQ(b.model.Files(), (Names{L"three.jpg"}));
}

TEST(SettingsFolderBrowserOpen, SubDirectoryOfTheRoot) {
  Browser b;
  b.model.Start(L"C:\\");
  b.model.OpenRow(1);
  EXPECT_EQ(b.model.Path(), L"C:\\a");
  EXPECT_EQ(b.tree.listed.back(), L"C:\\a\\");
}

TEST(SettingsFolderBrowserOpen, RootRowOpensTheDriveRoot) {
  Browser b;
  b.model.Start(L"C:\\a\\b\\c");
  b.model.OpenRow(0);
  EXPECT_EQ(b.model.Path(), L"C:\\");
  EXPECT_EQ(Describe(b.model.Rows()), (Names{L"0+C:\\", L"1-a", L"1-Users", L"1-Windows"}));
  EXPECT_EQ(b.model.OpenRowIndex(), 0u);
  EXPECT_EQ(b.model.Files(), (Names{L"top.jpg"}));
  EXPECT_EQ(b.tree.listed.back(), L"C:\\");
}

TEST(SettingsFolderBrowserOpen, OutOfRangeChangesNothing) {
  for (size_t row : {size_t{5}, size_t{6}, SIZE_MAX}) {
    SCOPED_TRACE(row);
    Browser b;
    b.model.Start(L"C:\\a\\b\\c");
    const Names rows = Describe(b.model.Rows());
    b.model.OpenRow(row);
    EXPECT_EQ(b.model.Path(), L"C:\\a\\b\\c");
    EXPECT_EQ(Describe(b.model.Rows()), rows);
    EXPECT_EQ(b.model.OpenRowIndex(), 3u);
    EXPECT_EQ(b.model.Files(), (Names{L"three.jpg"}));
    EXPECT_EQ(b.tree.listed.size(), 1u);
  }
}

TEST(SettingsFolderBrowserOpen, PathChangesOnlyWhenARowIsOpened) {
  Browser b;
  b.model.Start(L"C:\\a");
  // Reading the lists (as moving the highlight over them does) opens nothing.
  for (int i = 0; i < 3; ++i) {
    (void)b.model.Rows();
    (void)b.model.Files();
    (void)b.model.OpenRowIndex();
    (void)b.model.Drive();
  }
  EXPECT_EQ(b.model.Path(), L"C:\\a");
  EXPECT_EQ(b.tree.listed.size(), 1u);
  b.model.OpenRow(3);
  EXPECT_EQ(b.model.Path(), L"C:\\a\\z");
}

TEST(SettingsFolderBrowserOpen, OpeningTheOpenRowListsItAgain) {
  Browser b;
  b.model.Start(L"C:\\a");
  b.tree.Add(L"C:\\a\\", {Dir(L"b"), Dir(L"new"), File(L"one.gif"), File(L"added.jpg")});
  b.model.OpenRow(b.model.OpenRowIndex());
  EXPECT_EQ(b.model.Path(), L"C:\\a");
  EXPECT_EQ(Describe(b.model.Rows()), (Names{L"0+C:\\", L"1+a", L"2-b", L"2-new"}));
  EXPECT_EQ(b.model.Files(), (Names{L"added.jpg", L"one.gif"}));
}

TEST(SettingsFolderBrowserDrive, ReadyDriveOpensItsCurrentDirectory) {
  Browser b;
  b.tree.Add(L"D:\\photos\\", {Dir(L"2020"), File(L"cat.jpg")});
  b.drives.current[L'D'] = L"D:\\photos";
  b.model.Start(L"C:\\a");
  EXPECT_TRUE(b.model.PickDrive(L'D'));
  EXPECT_EQ(b.drives.asked, (std::vector<wchar_t>{L'D'}));
  EXPECT_EQ(b.model.Path(), L"D:\\photos");
  EXPECT_EQ(b.model.Drive(), L'D');
  EXPECT_EQ(Describe(b.model.Rows()), (Names{L"0+D:\\", L"1+photos", L"2-2020"}));
  EXPECT_EQ(b.model.Files(), (Names{L"cat.jpg"}));
}

TEST(SettingsFolderBrowserDrive, DriveRootAsCurrentDirectory) {
  Browser b;
  b.drives.current[L'E'] = L"E:\\";
  b.tree.Add(L"E:\\", {Dir(L"x")});
  b.model.Start(L"C:\\a");
  EXPECT_TRUE(b.model.PickDrive(L'E'));
  EXPECT_EQ(b.model.Path(), L"E:\\");
  EXPECT_EQ(Describe(b.model.Rows()), (Names{L"0+E:\\", L"1-x"}));
}

TEST(SettingsFolderBrowserDrive, NotReadyDriveChangesNothingAndTheCallerRecovers) {
  Browser b;
  b.drives.current[L'C'] = L"C:\\a\\b";
  b.model.Start(L"C:\\a\\b");
  const Names rows = Describe(b.model.Rows());
  const size_t listings = b.tree.listed.size();

  EXPECT_FALSE(b.model.PickDrive(L'A'));
  EXPECT_EQ(b.model.Path(), L"C:\\a\\b");
  EXPECT_EQ(Describe(b.model.Rows()), rows);
  EXPECT_EQ(b.model.OpenRowIndex(), 2u);
  EXPECT_EQ(b.model.Files(), (Names{L"two.bmp"}));
  EXPECT_EQ(b.tree.listed.size(), listings);

  // The caller puts the drive list back on Drive() and picks it again.
  EXPECT_EQ(b.model.Drive(), L'C');
  EXPECT_TRUE(b.model.PickDrive(b.model.Drive()));
  EXPECT_EQ(b.drives.asked, (std::vector<wchar_t>{L'A', L'C'}));
  EXPECT_EQ(b.model.Path(), L"C:\\a\\b");
  EXPECT_EQ(Describe(b.model.Rows()), rows);
  EXPECT_EQ(b.model.Files(), (Names{L"two.bmp"}));
}

TEST(SettingsFolderBrowserDrive, EmptyAnswerCountsAsNotReady) {
  Browser b;
  b.drives.current[L'F'] = L"";
  b.model.Start(L"C:\\a");
  EXPECT_FALSE(b.model.PickDrive(L'F'));
  EXPECT_EQ(b.model.Path(), L"C:\\a");
  EXPECT_EQ(b.model.Files(), (Names{L"one.gif"}));
}

TEST(SettingsFolderBrowserDrive, NoLetterIsNeverAsked) {
  // On a network path Drive() is 0; picking it again must not ask the system about drive 0.
  Browser b;
  b.model.Start(L"\\\\server\\share\\dir");
  EXPECT_FALSE(b.model.PickDrive(b.model.Drive()));
  EXPECT_FALSE(b.model.PickDrive(L'1'));
  EXPECT_TRUE(b.drives.asked.empty());
  EXPECT_EQ(b.model.Path(), L"\\\\server\\share\\dir");
}

TEST(SettingsFolderBrowserPattern, MatchTable) {
  struct Case { const wchar_t* name; bool matches; };
  const Case cases[] = {
      {L"a.bmp", true},   {L"a.BMP", true},    {L"b.jpg", true},      {L"b.JpG", true},
      {L"c.gif", true},   {L".gif", true},     {L"写真.JPG", true},   {L"x.y.gif", true},
      {L"x.jpeg", false}, {L"bmp", false},     {L"gif", false},       {L"", false},
      {L"a.png", false},  {L"a.gif.txt", false}, {L"abcjpg", false},  {L"a.jp", false},
      {L"a.ＪＰＧ", false}, {L"a.bmp ", false}, {L"a;b.gif", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(settings::MatchesBrowserPattern(c.name), c.matches);
  }
}

TEST(SettingsFolderBrowserDrive, DisplayTextTable) {
  struct Case { settings::DriveInfo drive; const wchar_t* text; };
  const Case cases[] = {
      {{L'C', L"System"}, L"c: [System]"}, {{L'D', L""}, L"d:"},
      {{L'a', L""}, L"a:"},                {{L'Z', L"データ"}, L"z: [データ]"},
      {{L'E', L" "}, L"e: [ ]"},           {{L'F', L"[x]"}, L"f: [[x]]"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(settings::DriveDisplayText(c.drive), c.text);
  }
}

TEST(SettingsFolderBrowserNames, JapaneseFolders) {
  Browser b;
  b.tree.Add(L"C:\\写真\\", {Dir(L"旅行"), Dir(L"家族")});
  b.tree.Add(L"C:\\写真\\旅行\\", {Dir(L"京都"), File(L"夏.JPG"), File(L"メモ.txt")});
  b.model.Start(L"C:\\写真\\旅行");
  EXPECT_EQ(Describe(b.model.Rows()), (Names{L"0+C:\\", L"1+写真", L"2+旅行", L"3-京都"}));
  EXPECT_EQ(b.model.Files(), (Names{L"夏.JPG"}));
  b.model.OpenRow(3);
  EXPECT_EQ(b.model.Path(), L"C:\\写真\\旅行\\京都");
  b.model.OpenRow(1);
  EXPECT_EQ(b.model.Path(), L"C:\\写真");
  EXPECT_EQ(Describe(b.model.Rows()), (Names{L"0+C:\\", L"1+写真", L"2-家族", L"2-旅行"}));
}

TEST(SettingsFolderBrowserNames, PathsLongerThan300Characters) {
  Browser b;
  std::wstring path = L"C:";
  Names wantedRows = {L"0+C:\\"};
  for (int level = 1; level <= 30; ++level) {
    std::wstring name = L"folder" + std::to_wstring(100 + level) + L"長";  // 10 characters
    path += L"\\" + name;
    wantedRows.push_back(std::to_wstring(level) + L"+" + name);
  }
  const std::wstring longName(260, L'x');
  b.tree.Add(path + L"\\", {Dir(longName), File(longName + L".jpg")});
  ASSERT_GT(path.size(), 300u);
  b.model.Start(path);
  EXPECT_EQ(b.model.Path(), path);
  wantedRows.push_back(L"31-" + longName);
  EXPECT_EQ(Describe(b.model.Rows()), wantedRows);
  EXPECT_EQ(b.model.OpenRowIndex(), 30u);
  EXPECT_EQ(b.model.Files(), (Names{longName + L".jpg"}));

  b.model.OpenRow(31);
  EXPECT_EQ(b.model.Path(), path + L"\\" + longName);
  EXPECT_EQ(b.tree.listed.back(), path + L"\\" + longName + L"\\");
  b.model.OpenRow(15);
  EXPECT_EQ(b.model.Path(), path.substr(0, 2 + 15 * 11));
  EXPECT_EQ(b.model.OpenRowIndex(), 15u);
}
