#include "settings/settings_dialog_model.h"

#include <gtest/gtest.h>

#include "tests/unit/fake_profile.h"

using settings::SaverSettings;
using settings::SettingsDialogModel;

namespace {

struct Shown {
  std::wstring folder;
  int16_t speed, mouseM, checkM, bgmPlay;
  bool text2Enabled;
};

void ExpectShown(const SettingsDialogModel& model, const Shown& want) {
  EXPECT_EQ(model.Controls().Folder, want.folder);
  EXPECT_EQ(model.Controls().Speed, want.speed);
  EXPECT_EQ(model.Controls().MouseM, want.mouseM);
  EXPECT_EQ(model.Controls().CheckM, want.checkM);
  EXPECT_EQ(model.Controls().BgmPlay, want.bgmPlay);
  EXPECT_EQ(model.Enabled().text2, want.text2Enabled);
  EXPECT_EQ(model.Enabled().command5, want.text2Enabled);
}

}  // namespace

TEST(SettingsDialogModel, LoadingFollowsTheFile) {
  struct Case { const char* name; std::vector<std::pair<std::wstring, std::wstring>> file; Shown want; };
  const Case cases[] = {
      {"no file: one blank, bars in the middle, music box off", {}, {L" ", 10000, 15, 1, 0, false}},
      {"valid file", {{L"Folder", L"C:\\CG"}, {L"Speed", L"300"}, {L"MouseM", L"5"}, {L"CheckM", L"0"},
                      {L"BgmPlay", L"1"}},
       {L"C:\\CG", 300, 5, 0, 1, true}},
      // Loading stops at the bad value: nothing after it arrives, and the music rule never runs.
      {"CheckM abc", {{L"Folder", L"C:\\CG"}, {L"Speed", L"300"}, {L"CheckM", L"abc"}, {L"BgmPlay", L"1"}},
       {L"", 10000, 15, 1, 0, true}},
      {"speed out of range", {{L"Folder", L"C:\\CG"}, {L"Speed", L"20001"}, {L"MouseM", L"5"}},
       {L"C:\\CG", 10000, 15, 1, 0, false}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeProfile file;
    for (const auto& [k, v] : c.file) file.Set(k, v);
    SettingsDialogModel model;
    model.Load(file);
    ExpectShown(model, c.want);
  }
}

TEST(SettingsDialogModel, BilinearForcesAndGreysFourBoxesAndReleasesThem) {
  SettingsDialogModel model;
  model.SetCheckBox(&SaverSettings::Refresh, 1);
  model.SetCheckBox(&SaverSettings::Kakudai, 0);
  model.SetCheckBox(&SaverSettings::Biliner, 1);
  const auto& c = model.Controls();
  EXPECT_EQ(c.Refresh, 0);
  EXPECT_EQ(c.Kakudai, 1);
  EXPECT_EQ(c.CheckM, 1);
  EXPECT_EQ(c.Cyuuou, 1);
  EXPECT_FALSE(model.Enabled().refresh || model.Enabled().kakudai || model.Enabled().check1 || model.Enabled().cyuuou);
  model.SetCheckBox(&SaverSettings::Biliner, 0);
  EXPECT_EQ(c.Refresh, 0);
  EXPECT_EQ(c.Kakudai, 1);
  EXPECT_TRUE(model.Enabled().refresh && model.Enabled().kakudai && model.Enabled().check1 && model.Enabled().cyuuou);
}

TEST(SettingsDialogModel, OrderAndShuffleExcludeEachOtherBothWays) {
  SettingsDialogModel model;
  model.SetCheckBox(&SaverSettings::OderFileName, 1);
  model.SetCheckBox(&SaverSettings::Shaffle, 1);
  EXPECT_EQ(model.Controls().OderFileName, 0);
  model.SetCheckBox(&SaverSettings::OderFileName, 1);
  EXPECT_EQ(model.Controls().Shaffle, 0);
  model.SetCheckBox(&SaverSettings::OderFileName, 0);
  EXPECT_EQ(model.Controls().Shaffle, 0);  // unchecking changes nothing else
}

TEST(SettingsDialogModel, SaveKeepsTheFolderAsTypedAndSaveAndRunTrimsIt) {
  SettingsDialogModel model;
  model.SetFolderText(L"  C:\\CG  ");
  model.SetMusicText(L"  C:\\m.wav ");
  EXPECT_EQ(model.RecordForSave().Folder, L"  C:\\CG  ");
  EXPECT_EQ(model.RecordForSave().BgmPlayName, L"C:\\m.wav");
  EXPECT_EQ(model.RecordForSaveAndRun().Folder, L"C:\\CG");
  EXPECT_EQ(model.RecordForSaveAndRun().BgmPlayName, L"C:\\m.wav");
}

TEST(SettingsDialogModel, SavingAfterAFreshOpenWritesTheExampleFile) {
  FakeProfile empty;
  SettingsDialogModel model;
  model.Load(empty);
  model.SetFolderText(L"C:\\CGDATA");
  FakeProfile written;
  settings::WriteSettings(written, model.RecordForSave());
  EXPECT_EQ(written.Text(),
            L"[Orvella_Glimmerdeck]\r\nFolder=C:\\CGDATA\r\nSpeed=10000\r\nMouseM=15\r\nCheckM=1\r\nCyuuou=0\r\n"
            L"OderFileName=0\r\nBgmPlay=0\r\nBgmPlayName=\r\nKakudai=0\r\nRefresh=0\r\nBiliner=0\r\nSubFolder=0\r\n"
            L"Shaffle=0\r\nMulti=0\r\n");
}

TEST(SettingsDialogModel, MusicPickerOnlyAChosenFileChangesTheBox) {
  struct Step { const wchar_t* typed; const wchar_t* picked; const wchar_t* want; };
  // One opening: a cancel first, then a pick, then a typed edit and a cancel again.
  const Step steps[] = {{nullptr, L"", L""},
                        {nullptr, L"C:\\曲\\a.mid", L"C:\\曲\\a.mid"},
                        {L"D:\\typed.wav", L"", L"D:\\typed.wav"},
                        {nullptr, L"E:\\b.mp3", L"E:\\b.mp3"}};
  SettingsDialogModel model;
  for (const auto& step : steps) {
    if (step.typed) model.SetMusicText(step.typed);
    model.MusicPicked(step.picked);
    EXPECT_EQ(model.Controls().BgmPlayName, step.want) << step.picked;
  }
}

TEST(SettingsDialogModel, EmptyFolderBoxSavesNoFolderAndSaveAndRunSeesNone) {
  SettingsDialogModel model;
  FakeProfile file;
  model.Load(file);
  model.SetFolderText(L"   ");
  FakeProfile kept;
  settings::WriteSettings(kept, model.RecordForSave());
  EXPECT_EQ(settings::ReadFolderValue(kept, settings::kNoFolder), L"   ");  // blanks as typed are a value
  FakeProfile trimmed;
  settings::WriteSettings(trimmed, model.RecordForSaveAndRun());
  EXPECT_EQ(settings::ReadFolderValue(trimmed, settings::kNoFolder), L"none");
}

TEST(SettingsDialogModel, MusicFilterBecomesNulSeparatedPairs) {
  const std::wstring got = settings::OpenDialogFilter(settings::kMusicFilter);
  const std::wstring want(L"画像ファイル(*.wav;*.mid;*.mp3)\0*.wav;*.mid;*.mp3\0\0", 45);
  EXPECT_EQ(got, want);
  EXPECT_EQ(settings::OpenDialogFilter(L""), std::wstring(L"\0\0", 2));
}
