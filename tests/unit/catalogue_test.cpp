#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "pictures/catalogue.h"

using platform::DirectoryEntry;
using Paths = std::vector<std::wstring>;

namespace {

DirectoryEntry File(const wchar_t* name) { return {name, false, false, std::nullopt}; }
DirectoryEntry Dir(const wchar_t* name) { return {name, true, false, std::nullopt}; }
DirectoryEntry Link(const wchar_t* name) { return {name, true, true, std::nullopt}; }

// Folders by their path with the trailing "\"; records every listing and pump pass
// in one log so their order can be checked.
struct FakeTree : platform::DirectoryLister, platform::MessagePump {
  std::vector<DirectoryEntry> List(const std::wstring& folder) override {
    log.push_back(L"list " + folder);
    // A runaway walk fails the test instead of hanging it.
    if (++listings > 1000) return {};
    auto found = folders.find(folder);
    if (found == folders.end()) return {};
    return found->second;
  }
  void PumpPending() override { log.push_back(L"pump"); }
  std::optional<platform::IdentifiedFolder> Identify(const std::wstring& folder) override {
    identified.push_back(folder);
    auto found = ids.find(folder);
    if (found == ids.end()) return std::nullopt;
    auto final = finalPaths.find(folder);
    return platform::IdentifiedFolder{found->second, final == finalPaths.end() ? L"" : final->second};
  }

  Paths Scan(int mode, const std::wstring& path, bool sub) {
    Paths list;
    pictures::GetPictureFolder(mode, path, sub, {*this, *this}, list);
    return list;
  }

  // Which folder a path leads to; a path not here has an identity that cannot be read.
  std::map<std::wstring, platform::FolderIdentity> ids;
  // The final path of each opened folder; one not here cannot be told.
  std::map<std::wstring, std::wstring> finalPaths;
  std::map<std::wstring, std::vector<DirectoryEntry>> folders;
  std::vector<std::wstring> log;
  std::vector<std::wstring> identified;
  int listings = 0;
};

platform::FolderIdentity Id(uint8_t n) {
  platform::FolderIdentity id;
  id.volume = 7;
  id.fileId[0] = n;
  return id;
}

// C:\P with pictures, non-pictures, a sub-folder and a folder named like a picture.
FakeTree SampleTree() {
  FakeTree tree;
  tree.folders[L"C:\\P\\"] = {Dir(L"."),        Dir(L".."),      File(L"a.BMP"),
                              Dir(L"sub"),      File(L"b.jpg"),  File(L"c.Gif"),
                              File(L"d.jpeg"),  File(L"e.png"),  File(L"f.GIF.txt"),
                              Dir(L"pics.jpg"), File(L".gif"),   File(L"g.JPG")};
  tree.folders[L"C:\\P\\sub\\"] = {Dir(L"."), Dir(L".."), File(L"x.jpg"), Dir(L"deeper"),
                                   File(L"y.bmp")};
  tree.folders[L"C:\\P\\sub\\deeper\\"] = {Dir(L"."), Dir(L".."), File(L"z.gif")};
  tree.folders[L"C:\\P\\pics.jpg\\"] = {Dir(L"."), Dir(L".."), File(L"in.jpg")};
  return tree;
}

}  // namespace

TEST(PicturesName, PictureTestTable) {
  struct Case { const wchar_t* name; bool picture; };
  const Case cases[] = {
      {L"a.BMP", true},      {L"b.jpg", true},      {L"c.Gif", true},     {L"x.Jpg", true},
      {L".gif", true},       {L"old.gif", true},    {L"写真.JPG", true},  {L"d.jpeg", false},
      {L"e.png", false},     {L"f.GIF.txt", false}, {L"gif", false},      {L"", false},
      {L"a.tif", false},     {L"abcjpg", false},    {L"a.jp", false},     {L"a.gıf", false},
      {L"a.ＪＰＧ", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(pictures::IsPictureName(c.name), c.picture);
  }
}

TEST(PicturesCatalogue, OneFolderWithOrWithoutTrailingBackslash) {
  const Paths wanted = {L"C:\\P\\a.BMP", L"C:\\P\\b.jpg", L"C:\\P\\c.Gif",
                        L"C:\\P\\pics.jpg", L"C:\\P\\.gif", L"C:\\P\\g.JPG"};
  for (const wchar_t* path : {L"C:\\P", L"C:\\P\\"}) {
    SCOPED_TRACE(path);
    FakeTree tree = SampleTree();
    EXPECT_EQ(tree.Scan(1, path, false), wanted);
    EXPECT_EQ(tree.log, (std::vector<std::wstring>{L"pump", L"list C:\\P\\"}));
  }
}

TEST(PicturesCatalogue, SubFoldersDepthFirstWhereTheirEntryWasMet) {
  FakeTree tree = SampleTree();
  const Paths wanted = {L"C:\\P\\a.BMP",          L"C:\\P\\sub\\x.jpg",
                        L"C:\\P\\sub\\deeper\\z.gif", L"C:\\P\\sub\\y.bmp",
                        L"C:\\P\\b.jpg",          L"C:\\P\\c.Gif",
                        L"C:\\P\\pics.jpg",       L"C:\\P\\pics.jpg\\in.jpg",
                        L"C:\\P\\.gif",           L"C:\\P\\g.JPG"};
  EXPECT_EQ(tree.Scan(1, L"C:\\P", true), wanted);
  // One pump pass before each folder is listed; "." and ".." are never entered.
  const std::vector<std::wstring> log = {
      L"pump", L"list C:\\P\\",          L"pump", L"list C:\\P\\sub\\",
      L"pump", L"list C:\\P\\sub\\deeper\\", L"pump", L"list C:\\P\\pics.jpg\\"};
  EXPECT_EQ(tree.log, log);
}

TEST(PicturesCatalogue, OtherModesWalkTheSameFoldersButAddNothing) {
  for (int mode : {0, 2, -1}) {
    SCOPED_TRACE(mode);
    FakeTree added = SampleTree();
    FakeTree walked = SampleTree();
    added.Scan(1, L"C:\\P", true);
    EXPECT_TRUE(walked.Scan(mode, L"C:\\P", true).empty());
    EXPECT_EQ(walked.log, added.log);
  }
}

TEST(PicturesCatalogue, BlankPathsOpenNothing) {
  for (const wchar_t* path : {L"", L" ", L"    "}) {
    SCOPED_TRACE(path);
    FakeTree tree = SampleTree();
    EXPECT_TRUE(tree.Scan(1, path, true).empty());
    EXPECT_TRUE(tree.log.empty());
  }
}

TEST(PicturesCatalogue, PathTextIsKeptAsGiven) {
  FakeTree tree;
  tree.folders[L" c:\\cgdata \\"] = {File(L"a.jpg")};
  tree.folders[L"C:\\"] = {File(L"root.gif")};
  EXPECT_EQ(tree.Scan(1, L" c:\\cgdata ", false), (Paths{L" c:\\cgdata \\a.jpg"}));
  EXPECT_EQ(tree.Scan(1, L"C:", false), (Paths{L"C:\\root.gif"}));
  EXPECT_EQ(tree.Scan(1, L"C:\\", false), (Paths{L"C:\\root.gif"}));
}

TEST(PicturesCatalogue, MissingFolderOrAFileGivesNothing) {
  FakeTree tree = SampleTree();
  EXPECT_TRUE(tree.Scan(1, L"C:\\Nowhere", true).empty());
  EXPECT_TRUE(tree.Scan(1, L"C:\\P\\a.BMP", true).empty());
  EXPECT_EQ(tree.log.size(), 4u);  // pumped and asked once each, nothing more
}

TEST(PicturesCatalogue, SecondScanWithoutEmptyingListsEverythingTwice) {
  FakeTree tree = SampleTree();
  Paths list;
  pictures::GetPictureFolder(1, L"C:\\P", false, {tree, tree}, list);
  pictures::GetPictureFolder(1, L"C:\\P", false, {tree, tree}, list);
  ASSERT_EQ(list.size(), 12u);
  EXPECT_EQ(Paths(list.begin(), list.begin() + 6), Paths(list.begin() + 6, list.end()));
}

// Marked links (symbolic links, junctions, mount points) lead where they point: a library
// that reaches another drive through a junction shows its pictures there. Those that lead
// back up the path, and those whose target cannot be told, are not entered.
TEST(PicturesCatalogue, MarkedLinksAreFollowedUnlessTheyLeadBack) {
  FakeTree tree;
  tree.folders[L"C:\\P\\"] = {Dir(L"."), Dir(L".."), File(L"a.jpg"), Link(L"back"), Link(L"album.jpg"),
                              Link(L"other drive"), Link(L"dangling"), Dir(L"real")};
  tree.folders[L"C:\\P\\back\\"] = tree.folders[L"C:\\P\\"];
  tree.folders[L"C:\\P\\album.jpg\\"] = tree.folders[L"C:\\P\\"];
  tree.folders[L"C:\\P\\other drive\\"] = {Dir(L"."), Dir(L".."), File(L"d.jpg"), Link(L"home")};
  tree.folders[L"C:\\P\\other drive\\home\\"] = tree.folders[L"C:\\P\\"];
  tree.folders[L"C:\\P\\dangling\\"] = {File(L"never.jpg")};
  tree.folders[L"C:\\P\\real\\"] = {File(L"b.jpg")};
  tree.ids = {{L"C:\\P\\", Id(1)},
              {L"C:\\P\\back\\", Id(1)},
              {L"C:\\P\\album.jpg\\", Id(1)},
              {L"C:\\P\\other drive\\", Id(9)},
              {L"C:\\P\\other drive\\home\\", Id(1)},
              {L"C:\\P\\real\\", Id(2)}};
  EXPECT_EQ(tree.Scan(1, L"C:\\P", true), (Paths{L"C:\\P\\a.jpg", L"C:\\P\\album.jpg",
                                                L"C:\\P\\other drive\\d.jpg", L"C:\\P\\real\\b.jpg"}));
  EXPECT_EQ(tree.log, (std::vector<std::wstring>{L"pump", L"list C:\\P\\", L"pump", L"list C:\\P\\other drive\\",
                                                 L"pump", L"list C:\\P\\real\\"}));
}

// The listing names each plain sub-folder's file ID, which with the volume of the folder
// listed tells the folder, so no folder is opened once more to read it; a marked link's
// ID in a listing is the link's own, so a link is opened.
TEST(PicturesCatalogue, IdentitiesFromTheListingSpareTheOpens) {
  FakeTree tree;
  tree.folders[L"C:\\P\\"] = {Dir(L"."), Dir(L".."), Dir(L"sub"), Dir(L"up"), Link(L"elsewhere"),
                              Dir(L"unknown")};
  tree.folders[L"C:\\P\\sub\\"] = {File(L"s.jpg"), Dir(L"self")};
  tree.folders[L"C:\\P\\up\\"] = {File(L"never.jpg")};
  tree.folders[L"C:\\P\\elsewhere\\"] = {File(L"e.jpg")};
  tree.folders[L"C:\\P\\unknown\\"] = {File(L"u.jpg")};
  tree.folders[L"C:\\P\\sub\\self\\"] = {File(L"never.jpg")};
  auto& root = tree.folders[L"C:\\P\\"];
  root[2].fileId = Id(2).fileId;
  root[3].fileId = Id(1).fileId;  // an unmarked link back to the picture folder
  root[4].fileId = Id(1).fileId;  // the link's own ID, which says nothing of its target
  tree.folders[L"C:\\P\\sub\\"][1].fileId = Id(2).fileId;
  tree.ids = {{L"C:\\P\\", Id(1)}, {L"C:\\P\\elsewhere\\", Id(7)}};
  EXPECT_EQ(tree.Scan(1, L"C:\\P", true),
            (Paths{L"C:\\P\\sub\\s.jpg", L"C:\\P\\elsewhere\\e.jpg", L"C:\\P\\unknown\\u.jpg"}));
  // Opened: the picture folder, the link, the folder the listing could not tell, and the two
  // whose listed identity is one already entered, for their final paths.
  EXPECT_EQ(tree.identified, (std::vector<std::wstring>{L"C:\\P\\", L"C:\\P\\sub\\self\\", L"C:\\P\\up\\",
                                                        L"C:\\P\\elsewhere\\", L"C:\\P\\unknown\\"}));
  // Below a folder whose own identity is unknown, the IDs tell nothing: each is opened.
  FakeTree unknownRoot = tree;
  unknownRoot.ids.erase(L"C:\\P\\");
  unknownRoot.identified.clear();
  unknownRoot.Scan(1, L"C:\\P", true);
  EXPECT_EQ(unknownRoot.identified.size(), 6u);
}

TEST(PicturesCatalogue, JapaneseNamesAreListed) {
  FakeTree tree;
  tree.folders[L"D:\\写真\\"] = {Dir(L"."), Dir(L".."), File(L"夏祭り.JPG"), Dir(L"旅行"),
                                File(L"メモ.txt")};
  tree.folders[L"D:\\写真\\旅行\\"] = {File(L"富士山.gif")};
  EXPECT_EQ(tree.Scan(1, L"D:\\写真", true),
            (Paths{L"D:\\写真\\夏祭り.JPG", L"D:\\写真\\旅行\\富士山.gif"}));
}

TEST(PicturesCatalogue, ThousandsOfPicturesKeepTheirOrder) {
  FakeTree tree;
  auto& entries = tree.folders[L"C:\\Many\\"];
  Paths wanted;
  for (int i = 0; i < 5000; ++i) {
    const std::wstring name = L"p" + std::to_wstring(i) + (i % 3 == 0 ? L".txt" : L".jpg");
    entries.push_back(File(name.c_str()));
    if (i % 3 != 0) wanted.push_back(L"C:\\Many\\" + name);
  }
  EXPECT_EQ(tree.Scan(1, L"C:\\Many", false), wanted);
}

// Long paths and deep trees: the walk holds one path, however deep it goes.
struct DeepTree : platform::DirectoryLister, platform::MessagePump {
  std::vector<DirectoryEntry> List(const std::wstring& folder) override {
    const size_t depth = (folder.size() - kRoot.size()) / 2;  // each level adds "d\"
    deepest = std::max(deepest, depth);
    if (depth == kDepth) return {File(L"p.jpg")};
    return {Dir(L"."), Dir(L".."), Dir(L"d")};
  }
  void PumpPending() override { ++pumps; }
  static inline const std::wstring kRoot = L"C:\\T\\";
  static constexpr size_t kDepth = 40000;
  size_t deepest = 0;
  size_t pumps = 0;
};

TEST(PicturesCatalogue, VeryDeepTreeIsWalkedToTheBottom) {
  DeepTree tree;
  Paths list;
  pictures::GetPictureFolder(1, L"C:\\T", true, {tree, tree}, list);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].size(), DeepTree::kRoot.size() + 2 * DeepTree::kDepth + 5);
  EXPECT_EQ(list[0].substr(list[0].size() - 7), L"d\\p.jpg");
  EXPECT_EQ(tree.deepest, DeepTree::kDepth);
  EXPECT_EQ(tree.pumps, DeepTree::kDepth + 1);
}

// Wine shows a Unix link to a folder as a reparse point without a tag, and some shares
// show no mark at all: such links look like plain folders, and only the folder's identity
// tells that it is already on the path.
TEST(PicturesCatalogue, UnmarkedLinksBackUpThePathAreNotEntered) {
  FakeTree tree;
  tree.folders[L"C:\\P\\"] = {Dir(L"."), Dir(L".."), File(L"a.jpg"), Dir(L"back1"), Dir(L"back2"), Dir(L"sub")};
  tree.folders[L"C:\\P\\back1\\"] = tree.folders[L"C:\\P\\"];
  tree.folders[L"C:\\P\\back2\\"] = tree.folders[L"C:\\P\\"];
  tree.folders[L"C:\\P\\sub\\"] = {Dir(L"."), Dir(L".."), File(L"s.jpg"), Dir(L"self"), Dir(L"up")};
  tree.folders[L"C:\\P\\sub\\self\\"] = tree.folders[L"C:\\P\\sub\\"];
  tree.folders[L"C:\\P\\sub\\up\\"] = tree.folders[L"C:\\P\\"];
  tree.ids = {{L"C:\\P\\", Id(1)},          {L"C:\\P\\back1\\", Id(1)},      {L"C:\\P\\back2\\", Id(1)},
              {L"C:\\P\\sub\\", Id(2)},     {L"C:\\P\\sub\\self\\", Id(2)},  {L"C:\\P\\sub\\up\\", Id(1)}};
  EXPECT_EQ(tree.Scan(1, L"C:\\P", true), (Paths{L"C:\\P\\a.jpg", L"C:\\P\\sub\\s.jpg"}));
  EXPECT_EQ(tree.log, (std::vector<std::wstring>{L"pump", L"list C:\\P\\", L"pump", L"list C:\\P\\sub\\"}));
  // The picture folder is identified too, before anything below it.
  EXPECT_EQ(tree.identified.front(), L"C:\\P\\");
}

// A folder reached through a link and by its own name is one folder: its pictures are
// listed once, under the path by which the walk first met it.
TEST(PicturesCatalogue, FolderMetTwiceIsListedWhereFirstMet) {
  for (const bool shortcutFirst : {false, true}) {
    SCOPED_TRACE(shortcutFirst);
    FakeTree tree;
    tree.folders[L"C:\\P\\"] = {Dir(L"album"), Dir(L"shortcut")};
    if (shortcutFirst) std::swap(tree.folders[L"C:\\P\\"][0], tree.folders[L"C:\\P\\"][1]);
    for (const std::wstring way : {L"C:\\P\\album\\", L"C:\\P\\shortcut\\"})
      tree.folders[way] = {File(L"p.jpg"), Dir(L"inner")}, tree.folders[way + L"inner\\"] = {File(L"q.gif")};
    tree.ids = {{L"C:\\P\\", Id(1)}, {L"C:\\P\\album\\", Id(2)}, {L"C:\\P\\shortcut\\", Id(2)}};
    tree.finalPaths = {{L"C:\\P\\album\\", L"C:\\P\\ALBUM"}, {L"C:\\P\\shortcut\\", L"C:\\P\\ALBUM"}};
    const std::wstring first = shortcutFirst ? L"C:\\P\\shortcut\\" : L"C:\\P\\album\\";
    EXPECT_EQ(tree.Scan(1, L"C:\\P", true), (Paths{first + L"p.jpg", first + L"inner\\q.gif"}));
  }
}

// Links that merge (a\ and b\ of each level both lead to the next level's one folder, as
// some photo libraries' "by date" and "by album" views do) are walked once: without the
// rule the walk doubles with every level. Opening a folder costs a volume read, so a
// folder the listing told apart is opened only when its listed identity was met before.
TEST(PicturesCatalogue, MergingLinksAreWalkedOnceEach) {
  constexpr int kLevels = 18;
  FakeTree tree;
  // Each level's folder as the walk meets it first, through a\ every time, and through b\ last.
  std::wstring path = L"Z:\\", other;
  for (int level = 0; level <= kLevels; other = path + L"b\\", path += L"a\\", ++level) {
    for (const std::wstring& way : {path, other})
      tree.ids[way] = Id(uint8_t(level)), tree.finalPaths[way] = L"Z:\\LEVEL" + std::to_wstring(level);
    auto& entries = tree.folders[path] = {File((L"p" + std::to_wstring(level) + L".jpg").c_str())};
    for (const wchar_t* link : {L"a", L"b"})  // listed with the identity they lead to, as Wine lists links
      if (level < kLevels) entries.push_back(Dir(link)), entries.back().fileId = Id(uint8_t(level + 1)).fileId;
  }
  const Paths list = tree.Scan(1, L"Z:\\", true);
  EXPECT_EQ(tree.listings, kLevels + 1);
  EXPECT_LE(tree.identified.size() - 1, 2u * kLevels);  // at most one open a link, besides the picture folder
  ASSERT_EQ(list.size(), size_t{kLevels + 1});
  EXPECT_EQ(list[2], L"Z:\\a\\a\\p2.jpg");  // each level where the walk first met it
}

// Under Wine /dev and /dev/shm are both volume 0, file 1; cloned disks repeat serial numbers.
TEST(PicturesCatalogue, FoldersWhoseIdentitiesCollideAreBothWalked) {
  FakeTree tree;
  tree.folders[L"Z:\\dev\\"] = {File(L"d.jpg"), Dir(L"shm")};
  tree.folders[L"Z:\\dev\\shm\\"] = {File(L"s.jpg")};
  tree.folders[L"Z:\\dev\\"][1].fileId = Id(1).fileId;
  tree.ids = {{L"Z:\\dev\\", Id(1)}, {L"Z:\\dev\\shm\\", Id(1)}};
  tree.finalPaths = {{L"Z:\\dev\\", L"\\\\?\\Z:\\DEV"}, {L"Z:\\dev\\shm\\", L"\\\\?\\Z:\\DEV\\SHM"}};
  EXPECT_EQ(tree.Scan(1, L"Z:\\dev", true), (Paths{L"Z:\\dev\\d.jpg", L"Z:\\dev\\shm\\s.jpg"}));
  // Where the sub-folder's final path cannot be told, equal identities are one folder.
  tree.finalPaths.erase(L"Z:\\dev\\shm\\");
  EXPECT_EQ(tree.Scan(1, L"Z:\\dev", true), (Paths{L"Z:\\dev\\d.jpg"}));
}

TEST(PicturesCatalogue, TreesWithoutLoopsKeepTheirCatalogueWhateverTheIdentities) {
  const Paths wanted = SampleTree().Scan(1, L"C:\\P", true);
  ASSERT_EQ(wanted.size(), 10u);
  // Every folder told apart; no identity readable (a share that numbers every folder 0,
  // which the lister reports as unreadable); only the picture folder's readable.
  FakeTree distinct = SampleTree();
  uint8_t n = 1;
  for (const auto& [path, entries] : distinct.folders) distinct.ids[path] = Id(n++);
  FakeTree unreadable = SampleTree();
  FakeTree onlyRoot = SampleTree();
  onlyRoot.ids[L"C:\\P\\"] = Id(1);
  for (FakeTree* tree : {&distinct, &unreadable, &onlyRoot}) {
    EXPECT_EQ(tree->Scan(1, L"C:\\P", true), wanted);
    EXPECT_EQ(tree->identified.size(), 4u);  // the picture folder and its three sub-folders
  }
}

TEST(PicturesCatalogue, WithoutSubFoldersNoIdentityIsRead) {
  FakeTree tree = SampleTree();
  tree.Scan(1, L"C:\\P", false);
  EXPECT_TRUE(tree.identified.empty());
}
