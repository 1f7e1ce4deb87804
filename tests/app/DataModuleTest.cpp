#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/DataModule.h"
#include "model/FactoryDefaults.h"
#include "model/WideText.h"
#include "platform/fake/FakeRegistryStore.h"
#include "platform/fake/FakeSystemLocale.h"
#include "storage/StoredLayout.h"

namespace q9 {
namespace {

using test::Bytes;
using test::BytesOf;
using test::Fixture;

class DataModuleTest : public ::testing::Test {
 protected:
  std::unique_ptr<TDM> Create() { return CreateDataModule(store, locale); }
  std::optional<Bytes> Stored(const std::string& name) const { return store.Get(kSettingsKeyPath, name); }
  void StoreSettings(const TALLPROFILESETTINGINFO& record) {
    store.Put(kSettingsKeyPath, kSettingsValueName, BytesOf(record));
  }
  static std::unique_ptr<TALLPROFILESETTINGINFO> FactorySettings() {
    auto record = std::make_unique<TALLPROFILESETTINGINFO>();
    MakeFactorySettings(*record, "0409");
    return record;
  }
  static std::unique_ptr<TMouseProfileInfoEasyShiftEx> MarkedProfile(Byte mark) {
    auto profile = std::make_unique<TMouseProfileInfoEasyShiftEx>();
    MakeFactoryProfile(*profile, 81);
    profile->MouseSettingInfo.LEDConfig.G = mark;
    return profile;
  }

  FakeRegistryStore store;
  FakeSystemLocale locale{"0804"};
};

TEST_F(DataModuleTest, FirstRunStoresOnlyTheFactorySettingsRecord) {
  const auto dm = Create();
  EXPECT_EQ(store.ValueNames(kSettingsKeyPath), std::vector<std::string>{kSettingsValueName});
  EXPECT_EQ(*Stored(kSettingsValueName), Fixture("factory_settings_0804.bin"));
  EXPECT_EQ(dm->FProfileIndex, 0);
  EXPECT_EQ(dm->FButtonConfigIndex, 0);
  EXPECT_EQ(dm->FSensorType, 81);
  const Bytes factory = Fixture("factory_profile.GPX");
  EXPECT_EQ(BytesOf(dm->FCurrentProfileInfo), factory);
  EXPECT_EQ(BytesOf(dm->FCurrentMouseSettingInfo), BytesOf(dm->FCurrentProfileInfo.MouseSettingInfo));
  EXPECT_EQ(BytesOf(dm->FCurrentButtonConfigInfo), BytesOf(dm->FCurrentProfileInfo.MouseButtonConfigInfo));
  for (int i = 0; i < kGameProfileCount; ++i) EXPECT_EQ(dm->ProfileComponent(i).Stream(), factory) << i;
  EXPECT_EQ(dm->FProfileGroup[5], nullptr);
}

TEST_F(DataModuleTest, SavingAllProfilesStoresFiveFullImages) {
  const auto dm = Create();
  EXPECT_TRUE(dm->SaveBackAllProfileInfo());
  EXPECT_EQ(store.ValueNames(kSettingsKeyPath).size(), 6u);
  for (int i = 0; i < kGameProfileCount; ++i) EXPECT_EQ(Stored(GameProfileValueName(i))->size(), 332884u);
}

TEST_F(DataModuleTest, StoredStateIsLoadedAndOutOfRangeProfileIndexFallsBack) {
  auto settings = FactorySettings();
  settings->CurrentProfileIndex = 3;
  StoreSettings(*settings);
  store.Put(kSettingsKeyPath, GameProfileValueName(3), BytesOf(*MarkedProfile(33)));
  auto dm = Create();
  EXPECT_EQ(dm->FProfileIndex, 3);
  EXPECT_EQ(dm->FCurrentMouseSettingInfo.LEDConfig.G, 33);

  settings->CurrentProfileIndex = 7;
  StoreSettings(*settings);
  dm = Create();
  EXPECT_EQ(dm->FProfileIndex, 0);
}

TEST_F(DataModuleTest, ShortStoredSettingsFillOnlyTheirBytes) {
  auto settings = FactorySettings();
  Bytes shortImage = BytesOf(*settings);
  shortImage.resize(100);
  store.Put(kSettingsKeyPath, kSettingsValueName, shortImage);
  const auto dm = Create();
  EXPECT_EQ(dm->FAllProfileSettingInfo.Allgameset[0].nFlag, 1);
  EXPECT_EQ(dm->FAllProfileSettingInfo.ReservedData.IntegerData[0], 0) << "beyond the stored bytes stays zero";
  EXPECT_EQ(Stored(kSettingsValueName)->size(), 100u) << "a readable value is not rewritten at start";
}

TEST_F(DataModuleTest, UnreadableSettingsValueGivesDefaultsInMemoryAndIsKept) {
  const Bytes unreadable{1, 2, 3};
  store.Put(kSettingsKeyPath, kSettingsValueName, unreadable, /*binary=*/false);
  auto dm = Create();
  EXPECT_EQ(dm->FAllProfileSettingInfo.CurrentLanguage, 1) << "the program works on the defaults";
  EXPECT_EQ(*Stored(kSettingsValueName), unreadable) << "the start does not store them over it";
  ASSERT_EQ(dm->UnreadableValues().size(), 1u);
  EXPECT_EQ(dm->UnreadableValues()[0].profileIndex, -1);
  EXPECT_EQ(dm->UnreadableValues()[0].valueName, kSettingsValueName);
  EXPECT_FALSE(dm->UnreadableValues()[0].reason.empty());

  EXPECT_FALSE(dm->SaveBackToAllProfileSettingInfo());
  EXPECT_TRUE(dm->LastSaveRefusedUnreadable());
  EXPECT_NE(dm->uiProfileInfo.LastError().find(kSettingsValueName), std::string::npos) << dm->uiProfileInfo.LastError();
  EXPECT_EQ(dm->LastSaveError(), dm->uiProfileInfo.LastError());
  EXPECT_EQ(*Stored(kSettingsValueName), unreadable);

  dm->SetOverwriteUnreadable(true);
  ASSERT_TRUE(dm->SaveBackToAllProfileSettingInfo());
  EXPECT_FALSE(dm->LastSaveRefusedUnreadable());
  EXPECT_EQ(*Stored(kSettingsValueName), Fixture("factory_settings_0804.bin"));
  EXPECT_TRUE(dm->UnreadableValues().empty()) << "a saved value is readable again";

  FakeRegistryStore lockedOut;
  lockedOut.MakeKeyUnavailable(kSettingsKeyPath);
  dm = CreateDataModule(lockedOut, locale);
  EXPECT_EQ(dm->FAllProfileSettingInfo.ReservedData.IntegerData[kSlotStartWithWindows], 1)
      << "a key that cannot be opened means defaults, not a zero record";
  EXPECT_EQ(BytesOf(dm->FCurrentProfileInfo), Fixture("factory_profile.GPX"));
  EXPECT_EQ(dm->UnreadableValues().size(), 6u) << "nothing behind that key could be read";
}

TEST_F(DataModuleTest, UnreadableProfileIsKeptWhileTheOthersAreSaved) {
  const Bytes unreadable{9, 9};
  store.Put(kSettingsKeyPath, GameProfileValueName(0), unreadable, /*binary=*/false);
  store.Put(kSettingsKeyPath, GameProfileValueName(2), BytesOf(*MarkedProfile(22)));
  const auto dm = Create();
  EXPECT_EQ(BytesOf(dm->FCurrentProfileInfo), Fixture("factory_profile.GPX")) << "defaults in memory";
  ASSERT_NE(dm->FindUnreadable(0), nullptr);
  EXPECT_EQ(dm->FindUnreadable(0)->valueName, GameProfileValueName(0));
  EXPECT_EQ(dm->FindUnreadable(2), nullptr);

  dm->FCurrentMouseSettingInfo.LEDConfig.B = 200;
  dm->SaveBackToCurrentProfileInfo();
  for (int i = 1; i < kGameProfileCount; ++i) dm->SaveBackToProfileInfo(*MarkedProfile(static_cast<Byte>(40 + i)), i);
  EXPECT_FALSE(dm->SaveBackAllProfileInfo());
  EXPECT_TRUE(dm->LastSaveRefusedUnreadable());
  EXPECT_NE(dm->LastSaveError().find(GameProfileValueName(0)), std::string::npos) << dm->LastSaveError();
  EXPECT_EQ(*Stored(GameProfileValueName(0)), unreadable);
  for (int i = 1; i < kGameProfileCount; ++i)
    EXPECT_EQ(Stored(GameProfileValueName(i))->at(2692 + 10387), 40 + i) << "profile " << i << " is still saved";

  EXPECT_FALSE(dm->SaveProfileInfoToRegistry(0));
  EXPECT_FALSE(dm->SaveCurrentProfileInfoToRegistry());
  EXPECT_NE(dm->ProfileComponent(0).LastError().find("could not be read"), std::string::npos);
  EXPECT_TRUE(dm->SaveProfileInfoToRegistry(1)) << "only the unreadable value is refused";
  EXPECT_EQ(*Stored(GameProfileValueName(0)), unreadable);

  dm->SetOverwriteUnreadable(true);
  ASSERT_TRUE(dm->SaveCurrentProfileInfoToRegistry());
  EXPECT_EQ(Stored(GameProfileValueName(0))->at(2692 + 10388), 200);
  EXPECT_TRUE(dm->UnreadableValues().empty());
}

TEST_F(DataModuleTest, ReloadTellsWhetherAProfileCanBeReadNow) {
  store.Put(kSettingsKeyPath, GameProfileValueName(1), Bytes{1}, /*binary=*/false);
  const auto dm = Create();
  ASSERT_NE(dm->FindUnreadable(1), nullptr);
  store.Put(kSettingsKeyPath, GameProfileValueName(1), BytesOf(*MarkedProfile(5)));
  dm->LoadProfileInfoFromRegistry(1);
  EXPECT_EQ(dm->FindUnreadable(1), nullptr) << "readable again after another program stored it";
  store.Put(kSettingsKeyPath, GameProfileValueName(1), Bytes{1}, /*binary=*/false);
  dm->LoadProfileInfoFromRegistry(1);
  ASSERT_NE(dm->FindUnreadable(1), nullptr);
  EXPECT_EQ(dm->ProfileComponent(1).Stream()[2692 + 10387], 5) << "the stream keeps what it had";
  EXPECT_FALSE(dm->SaveProfileInfoToRegistry(1));
}

// One record is read after another into the same buffer (show, the report-rate copy, the apply):
// a short stream must not leave the previous profile's bytes in the tail.
TEST_F(DataModuleTest, ShortProfileNeverTakesItsTailFromAnotherProfile) {
  Bytes shortImage = BytesOf(*MarkedProfile(3));
  shortImage.resize(1000);
  store.Put(kSettingsKeyPath, GameProfileValueName(3), shortImage);
  store.Put(kSettingsKeyPath, GameProfileValueName(2), BytesOf(*MarkedProfile(2)));
  const auto dm = Create();
  auto buffer = std::make_unique<TMouseProfileInfoEasyShiftEx>();
  ASSERT_TRUE(dm->ReadProfileInfo(*buffer, 2));
  ASSERT_TRUE(dm->ReadProfileInfo(*buffer, 3));
  Bytes expected = shortImage;
  expected.resize(332884, 0);
  EXPECT_EQ(BytesOf(*buffer), expected);

  ASSERT_TRUE(dm->SwitchToProfile(2, 0));
  ASSERT_TRUE(dm->SwitchToProfile(3, 0));
  EXPECT_EQ(BytesOf(dm->FCurrentProfileInfo), expected);
  EXPECT_EQ(dm->FCurrentButtonConfigInfo.ButtonFuncInfo[0].nDeviceCode, 0);
}

TEST_F(DataModuleTest, ProfileStorageTypes) {
  test::TempFolder folder;
  test::WriteFile(folder.path() / "p1.GPX", BytesOf(*MarkedProfile(11)));
  auto settings = FactorySettings();
  const auto setPath = [&](int i, const std::string& path) {
    ASSERT_TRUE(SetWideField(settings->Allgameset[i].szFilePath, kGameSetPathLength, Utf16FromUtf8(path)));
  };
  settings->Allgameset[1].StorageType = kStoredInFile;
  setPath(1, folder.str("p1.GPX"));
  settings->Allgameset[2].StorageType = kStoredInFile;
  setPath(2, folder.str("missing.GPX"));
  settings->Allgameset[3].StorageType = 2;
  StoreSettings(*settings);
  store.Put(kSettingsKeyPath, GameProfileValueName(3), BytesOf(*MarkedProfile(99)));
  const auto dm = Create();
  auto profile = std::make_unique<TMouseProfileInfoEasyShiftEx>();
  ASSERT_TRUE(dm->ReadProfileInfo(*profile, 1));
  EXPECT_EQ(profile->MouseSettingInfo.LEDConfig.G, 11) << "read from its file";
  EXPECT_EQ(dm->ProfileComponent(2).Stream(), Fixture("factory_profile.GPX")) << "missing file: defaults";
  EXPECT_EQ(dm->ProfileComponent(3).Stream(), Bytes(332884, 0)) << "unknown storage type: nothing loaded";
  EXPECT_EQ(store.ValueNames(kSettingsKeyPath).size(), 2u) << "defaults are not stored at start";
}

class FileProfileTest : public DataModuleTest {
 protected:
  void KeepProfileInFile(int i, const std::string& path) {
    auto settings = FactorySettings();
    settings->Allgameset[i].StorageType = kStoredInFile;
    ASSERT_TRUE(SetWideField(settings->Allgameset[i].szFilePath, kGameSetPathLength, Utf16FromUtf8(path)));
    StoreSettings(*settings);
  }
  test::TempFolder folder;
};

TEST_F(FileProfileTest, EditsOfAProfileKeptInAFileSurviveARestart) {
  const std::string file = folder.str("p1.GPX");
  test::WriteFile(file, BytesOf(*MarkedProfile(11)));
  KeepProfileInFile(1, file);
  auto dm = Create();
  ASSERT_TRUE(dm->SwitchToProfile(1, 0));
  dm->FCurrentMouseSettingInfo.LEDConfig.B = 77;
  dm->SaveBackToCurrentProfileInfo();
  ASSERT_TRUE(dm->SaveBackAllProfileInfo()) << dm->LastSaveError();
  EXPECT_FALSE(Stored(GameProfileValueName(1)).has_value()) << "not saved to the store";
  EXPECT_EQ(test::ReadFile(file).at(2692 + 10388), 77);

  dm = Create();
  auto profile = std::make_unique<TMouseProfileInfoEasyShiftEx>();
  ASSERT_TRUE(dm->ReadProfileInfo(*profile, 1));
  EXPECT_EQ(profile->MouseSettingInfo.LEDConfig.B, 77);
  EXPECT_EQ(profile->MouseSettingInfo.LEDConfig.G, 11);

  ASSERT_TRUE(dm->SwitchToProfile(1, 0));
  dm->FCurrentMouseSettingInfo.LEDConfig.B = 78;
  dm->SaveBackToCurrentProfileInfo();
  ASSERT_TRUE(dm->SaveCurrentProfileInfoToRegistry());
  ASSERT_TRUE(dm->SaveProfileInfoToRegistry(1));
  EXPECT_EQ(test::ReadFile(file).at(2692 + 10388), 78);
  EXPECT_FALSE(Stored(GameProfileValueName(1)).has_value());

  Bytes changed = test::ReadFile(file);
  changed[2692 + 10388] = 79;
  test::WriteFile(file, changed);
  dm->LoadCurrentProfileInfoFromRegistry();
  EXPECT_EQ(dm->FCurrentMouseSettingInfo.LEDConfig.B, 79) << "reloaded from where it lives";
}

TEST_F(FileProfileTest, AMissingFileIsCreatedByTheFirstSave) {
  const std::string file = folder.str("new.GPX");
  KeepProfileInFile(4, file);
  const auto dm = Create();
  EXPECT_TRUE(dm->UnreadableValues().empty());
  ASSERT_TRUE(dm->SaveBackAllProfileInfo()) << dm->LastSaveError();
  EXPECT_EQ(test::ReadFile(file), Fixture("factory_profile.GPX"));
}

TEST_F(FileProfileTest, AnUnreadableProfileFileIsKept) {
  const std::string file = folder.str("taken.GPX");
  std::filesystem::create_directory(file);
  KeepProfileInFile(2, file);
  const auto dm = Create();
  ASSERT_NE(dm->FindUnreadable(2), nullptr);
  EXPECT_EQ(dm->FindUnreadable(2)->valueName, file);
  EXPECT_EQ(dm->FindUnreadable(2)->location, file);
  EXPECT_EQ(dm->ProfileComponent(2).Stream(), Fixture("factory_profile.GPX"));
  EXPECT_FALSE(dm->SaveBackAllProfileInfo());
  EXPECT_NE(dm->LastSaveError().find(file), std::string::npos) << dm->LastSaveError();
  EXPECT_TRUE(std::filesystem::is_directory(file));
  EXPECT_FALSE(Stored(GameProfileValueName(2)).has_value()) << "not saved to the store instead";
}

TEST_F(DataModuleTest, OutOfRangeIndexesChangeNothing) {
  const auto dm = Create();
  dm->SwitchToButtonConfigset(2);
  dm->FCurrentButtonConfigInfo.ButtonFuncInfo[0].nDeviceCode = 55;
  const Bytes working = BytesOf(dm->FCurrentButtonConfigInfo);
  for (auto [p, b] : {std::pair{5, 0}, {0, 5}, {-1, 0}, {0, -1}}) EXPECT_FALSE(dm->SwitchToProfile(p, b));
  EXPECT_FALSE(dm->SwitchToButtonConfigset(5));
  EXPECT_EQ(dm->FProfileIndex, 0);
  EXPECT_EQ(dm->FButtonConfigIndex, 2);
  EXPECT_EQ(BytesOf(dm->FCurrentButtonConfigInfo), working);

  auto record = std::make_unique<TMouseProfileInfoEasyShiftEx>();
  EXPECT_FALSE(dm->ReadProfileInfo(*record, 5));
  EXPECT_FALSE(dm->SaveBackToProfileInfo(*record, -1));
  EXPECT_FALSE(dm->SaveProfileInfoToRegistry(5));
  EXPECT_FALSE(dm->RestoreProfileInfoToDefault(5));
  dm->LoadProfileInfoFromRegistry(7);
  EXPECT_EQ(store.ValueNames(kSettingsKeyPath).size(), 1u);
}

TEST_F(DataModuleTest, GroupEditsWithoutSaveBackAreDropped) {
  const auto dm = Create();
  ASSERT_TRUE(dm->SwitchToButtonConfigset(1));
  dm->FCurrentButtonConfigInfo.ButtonFuncInfo[0].nDeviceCode = 99;
  dm->FCurrentButtonMacroSetInfo.nMacroInfoCount = 1;
  ASSERT_TRUE(dm->SwitchToButtonConfigset(2));
  ASSERT_TRUE(dm->SwitchToButtonConfigset(1));
  EXPECT_EQ(dm->FCurrentButtonConfigInfo.ButtonFuncInfo[0].nDeviceCode, 1);
  EXPECT_EQ(dm->FCurrentButtonMacroSetInfo.nMacroInfoCount, 0);
}

TEST_F(DataModuleTest, SavedBackEditsSurviveSwitchingButReachTheStoreOnlyWhenSaved) {
  const auto dm = Create();
  dm->SwitchToButtonConfigset(3);
  dm->FCurrentButtonConfigInfo.ButtonFuncInfo[7].nDeviceCode = 19;
  dm->FCurrentButtonMacroSetInfo.nMacroInfoCount = 2;
  dm->FCurrentMouseSettingInfo.ReportRate = 1000;
  dm->SaveBackToCurrentProfileInfo();
  ASSERT_TRUE(dm->SwitchToProfile(4, 0));
  ASSERT_TRUE(dm->SwitchToProfile(0, 3));
  EXPECT_EQ(dm->FCurrentButtonConfigInfo.ButtonFuncInfo[7].nDeviceCode, 19);
  EXPECT_EQ(dm->FCurrentButtonMacroSetInfo.nMacroInfoCount, 2);
  EXPECT_EQ(dm->FCurrentMouseSettingInfo.ReportRate, 1000);
  EXPECT_FALSE(Stored(GameProfileValueName(0)).has_value());
  ASSERT_TRUE(dm->SaveBackAllProfileInfo());
  const Bytes stored = *Stored(GameProfileValueName(0));
  EXPECT_EQ(test::U32At(stored, 15144 + 53632 * 3 + 3352 * 7 + 3340), 19u);
  EXPECT_EQ(test::U16At(stored, 2708), 1000);
}

TEST_F(DataModuleTest, SaveBackOverwritesARecordWrittenIntoTheCurrentStream) {
  const auto dm = Create();
  dm->SaveBackToProfileInfo(*MarkedProfile(77), 0);
  EXPECT_EQ(dm->FCurrentProfileInfo.MouseSettingInfo.LEDConfig.G, 0) << "the working set is not touched";
  dm->SaveBackToCurrentProfileInfo();
  EXPECT_EQ(dm->ProfileComponent(0).Stream(), BytesOf(dm->FCurrentProfileInfo));
}

TEST_F(DataModuleTest, ReadCurrentProfileInfoKeepsTheGroup) {
  const auto dm = Create();
  dm->SwitchToButtonConfigset(2);
  auto marked = MarkedProfile(5);
  marked->MouseButtonConfigInfoCtrl.ButtonFuncInfo[1].nDeviceCode = 42;
  dm->SaveBackToProfileInfo(*marked, 0);
  EXPECT_TRUE(dm->ReadCurrentProfileInfo());
  EXPECT_EQ(dm->FButtonConfigIndex, 2);
  EXPECT_EQ(dm->FCurrentButtonConfigInfo.ButtonFuncInfo[1].nDeviceCode, 42);
  EXPECT_EQ(dm->FCurrentMouseSettingInfo.LEDConfig.G, 5);
}

TEST_F(DataModuleTest, ExportWritesTheStreamAsOfTheLastSaveBack) {
  test::TempFolder folder;
  const auto dm = Create();
  dm->FCurrentMouseSettingInfo.PointerSpeed = 17;
  dm->SaveBackToCurrentProfileInfo();
  dm->FCurrentMouseSettingInfo.PointerSpeed = 3;  // not saved back
  ASSERT_TRUE(dm->SaveCurrentProfileInfoToFile(folder.str("out.GPX")));
  const Bytes file = test::ReadFile(folder.path() / "out.GPX");
  ASSERT_EQ(file.size(), 332884u);
  EXPECT_EQ(test::U16At(file, 2692 + 10), 17);
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 56), Bytes(56, 0)) << "the header is not filled";
}

TEST_F(DataModuleTest, ImportKeepsTheProfileAndSelectsGroup0) {
  const auto dm = Create();
  dm->SwitchToProfile(2, 3);
  ASSERT_TRUE(dm->LoadCurrentProfileInfoFromFile(test::FixturePath("factory_profile_sensor16.GPX").string()));
  EXPECT_EQ(dm->FProfileIndex, 2);
  EXPECT_EQ(dm->FButtonConfigIndex, 0);
  EXPECT_EQ(dm->FCurrentMouseSettingInfo.CPIState[3].nCPIX, 5000);
  EXPECT_EQ(dm->ProfileComponent(2).Stream(), Fixture("factory_profile_sensor16.GPX"));
}

TEST_F(DataModuleTest, ShortImportLeavesTheRestOfTheWorkingProfileZero) {
  const auto dm = Create();
  dm->FCurrentMouseSettingInfo.LEDConfig.G = 123;
  dm->SaveBackToCurrentProfileInfo();
  test::TempFolder folder;
  Bytes thousand(1000, 0x5A);
  test::WriteFile(folder.path() / "short.GPX", thousand);
  ASSERT_TRUE(dm->LoadCurrentProfileInfoFromFile(folder.str("short.GPX")));
  const Bytes after = BytesOf(dm->FCurrentProfileInfo);
  EXPECT_EQ(Bytes(after.begin(), after.begin() + 1000), thousand);
  EXPECT_EQ(Bytes(after.begin() + 1000, after.end()), Bytes(332884 - 1000, 0)) << "nothing of the old profile stays";
  EXPECT_EQ(dm->FCurrentMouseSettingInfo.LEDConfig.G, 0);
}

TEST_F(DataModuleTest, LongImportKeepsItsTailThroughTheNextSave) {
  const auto dm = Create();
  ASSERT_TRUE(dm->LoadCurrentProfileInfoFromFile(test::FixturePath("oversized_tail.GPX").string()));
  dm->SaveBackToCurrentProfileInfo();
  ASSERT_TRUE(dm->SaveBackAllProfileInfo());
  EXPECT_EQ(*Stored(GameProfileValueName(0)), Fixture("oversized_tail.GPX"));
}

TEST_F(DataModuleTest, FailedImportRefreshesFromTheUnchangedStream) {
  const auto dm = Create();
  dm->SwitchToButtonConfigset(2);
  dm->FCurrentMouseSettingInfo.PointerSpeed = 19;  // not saved back
  EXPECT_FALSE(dm->LoadCurrentProfileInfoFromFile(test::FixturePath("empty.GPX").string()));
  EXPECT_FALSE(dm->LoadCurrentProfileInfoFromFile("/nonexistent/p.GPX"));
  EXPECT_EQ(dm->FButtonConfigIndex, 0);
  EXPECT_EQ(dm->FCurrentMouseSettingInfo.PointerSpeed, 10);
  EXPECT_EQ(dm->ProfileComponent(0).Stream(), Fixture("factory_profile.GPX"));
}

TEST_F(DataModuleTest, ResetOfTheCurrentProfileTouchesNothingElse) {
  const auto dm = Create();
  for (int i = 0; i < kGameProfileCount; ++i) dm->SaveBackToProfileInfo(*MarkedProfile(static_cast<Byte>(i + 1)), i);
  dm->SwitchToProfile(2, 3);
  const int writes = store.writes;
  const Bytes settings = BytesOf(dm->FAllProfileSettingInfo);
  dm->RestoreCurrentProfileInfoToDefault();
  EXPECT_EQ(dm->FButtonConfigIndex, 0);
  EXPECT_EQ(BytesOf(dm->FCurrentProfileInfo), Fixture("factory_profile.GPX"));
  EXPECT_EQ(dm->FCurrentMouseSettingInfo.LEDConfig.G, 0);
  for (int i : {0, 1, 3, 4}) EXPECT_EQ(dm->ProfileComponent(i).Stream()[2692 + 10387], i + 1) << i;
  EXPECT_EQ(BytesOf(dm->FAllProfileSettingInfo), settings);
  EXPECT_EQ(store.writes, writes);
}

TEST_F(DataModuleTest, RestoreProfileInfoToDefaultChangesOnlyThatStream) {
  const auto dm = Create();
  dm->SaveBackToProfileInfo(*MarkedProfile(8), 1);
  dm->SwitchToProfile(1, 0);
  ASSERT_TRUE(dm->RestoreProfileInfoToDefault(1));
  EXPECT_EQ(dm->ProfileComponent(1).Stream(), Fixture("factory_profile.GPX"));
  EXPECT_EQ(dm->FCurrentMouseSettingInfo.LEDConfig.G, 8) << "the working copies stay";
}

TEST_F(DataModuleTest, DefaultsWithSensorType16) {
  const auto dm = Create();
  dm->FSensorType = 16;
  dm->RestoreProfileInfoToDefault(4);
  EXPECT_EQ(dm->ProfileComponent(4).Stream(), Fixture("factory_profile_sensor16.GPX"));
}

TEST_F(DataModuleTest, DefaultsIntoALongerStreamKeepItsTail) {
  const auto dm = Create();
  ASSERT_TRUE(dm->LoadCurrentProfileInfoFromFile(test::FixturePath("oversized_tail.GPX").string()));
  dm->FCurrentProfileInfo.MouseSettingInfo.ReportRate = 125;
  dm->SaveBackToProfileInfo(dm->FCurrentProfileInfo, 0);
  dm->RestoreCurrentProfileInfoToDefault();
  EXPECT_EQ(dm->ProfileComponent(0).Stream(), Fixture("oversized_tail.GPX"));
}

TEST_F(DataModuleTest, SettingsRecordSaveAndReload) {
  const auto dm = Create();
  dm->FAllProfileSettingInfo.ReservedData.IntegerData[kSlotMode2Profile] = 4;
  ASSERT_TRUE(dm->SaveBackToAllProfileSettingInfo());
  EXPECT_EQ(test::U32At(*Stored(kSettingsValueName), 30964), 4u);
  dm->FAllProfileSettingInfo.ReservedData.IntegerData[kSlotMode2Profile] = 0;
  dm->LoadProfileSettingInfoFromRegistry();
  EXPECT_EQ(dm->FAllProfileSettingInfo.ReservedData.IntegerData[kSlotMode2Profile], 4);
}

TEST_F(DataModuleTest, AnotherProgramsChangeIsReloaded) {
  const auto dm = Create();
  dm->SaveBackAllProfileInfo();
  store.Put(kSettingsKeyPath, GameProfileValueName(0), BytesOf(*MarkedProfile(66)));
  dm->LoadProfileInfoFromRegistry(0);
  EXPECT_EQ(dm->FCurrentMouseSettingInfo.LEDConfig.G, 0) << "the working set waits for ReadCurrentProfileInfo";
  dm->ReadCurrentProfileInfo();
  EXPECT_EQ(dm->FCurrentMouseSettingInfo.LEDConfig.G, 66);
  store.Put(kSettingsKeyPath, GameProfileValueName(0), BytesOf(*MarkedProfile(67)));
  dm->SwitchToButtonConfigset(1);
  dm->LoadCurrentProfileInfoFromRegistry();
  EXPECT_EQ(dm->FCurrentMouseSettingInfo.LEDConfig.G, 67);
  EXPECT_EQ(dm->FButtonConfigIndex, 0);
}

TEST_F(DataModuleTest, FailingStoreIsReportedAndKeepsEarlierValues) {
  const auto dm = Create();
  ASSERT_TRUE(dm->SaveBackAllProfileInfo());
  const Bytes third = *Stored(GameProfileValueName(3));
  for (int i = 0; i < kGameProfileCount; ++i) dm->SaveBackToProfileInfo(*MarkedProfile(9), i);
  store.FailWritesAfter(2);
  EXPECT_FALSE(dm->SaveBackAllProfileInfo());
  EXPECT_EQ(Stored(GameProfileValueName(1))->at(2692 + 10387), 9) << "the writes before the failure landed";
  EXPECT_EQ(*Stored(GameProfileValueName(3)), third) << "a failed write keeps the old image";
  EXPECT_FALSE(dm->SaveProfileInfoToRegistry(0));
  EXPECT_FALSE(dm->SaveBackToAllProfileSettingInfo());
}

}  // namespace
}  // namespace q9
