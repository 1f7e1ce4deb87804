#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "TestSupport.h"
#include "platform/fake/FakeRegistryStore.h"
#include "storage/StoredLayout.h"
#include "storage/uiProfile.h"

namespace q9 {
namespace {

using test::Bytes;
using test::TempFolder;

const std::string kSeparator(1, static_cast<char>(std::filesystem::path::preferred_separator));

class TuiProfileTest : public ::testing::Test {
 protected:
  TuiProfileTest() : profile(store) {
    profile.SetRootKey(kHKeyCurrentUser);
    profile.SetKeyPath(kSettingsKeyPath);
    profile.SetFileName("MyProfile0.GPX");
  }
  Bytes Stream() const { return profile.Stream(); }

  FakeRegistryStore store;
  TuiProfile profile;
};

TEST_F(TuiProfileTest, WriteOverwritesTheStartAndNeverShrinks) {
  const Bytes big(300, 0xAA);
  profile.Write(big.data(), 300);
  const Bytes small(100, 0x55);
  EXPECT_EQ(profile.Write(small.data(), 100), 100);
  ASSERT_EQ(Stream().size(), 300u);
  EXPECT_EQ(Stream()[99], 0x55);
  EXPECT_EQ(Stream()[100], 0xAA);
  EXPECT_EQ(profile.Size(), 300);
  EXPECT_EQ(profile.Write(small.data(), -5), 0);
}

TEST_F(TuiProfileTest, ReadOfAShortStreamLeavesTheBufferTail) {
  const Bytes data{1, 2, 3};
  profile.Write(data.data(), 3);
  Bytes buffer(6, 9);
  EXPECT_EQ(profile.Read(buffer.data(), 6), 3);
  EXPECT_EQ(buffer, (Bytes{1, 2, 3, 9, 9, 9}));
}

TEST_F(TuiProfileTest, SizeSetsTheStreamLength) {
  profile.SetSize(10);
  EXPECT_EQ(Stream(), Bytes(10, 0));
  profile.SetSize(4);
  EXPECT_EQ(Stream().size(), 4u);
  EXPECT_EQ(profile.Size(), 4);
}

TEST_F(TuiProfileTest, StoredValueDecidesTheStreamSize) {
  profile.SetSize(kGameProfileSize);
  store.Put(kSettingsKeyPath, "MyProfile0.GPX", Bytes(1000, 7));
  ASSERT_TRUE(profile.LoadStreamFromRegistry());
  EXPECT_EQ(Stream(), Bytes(1000, 7));
  EXPECT_EQ(profile.Size(), kGameProfileSize) << "loads do not update Size";

  // A longer value keeps its tail through a record-sized Write and the next save.
  Bytes longer(kGameProfileSize + 40, 1);
  std::fill(longer.end() - 40, longer.end(), 0xEE);
  store.Put(kSettingsKeyPath, "MyProfile0.GPX", longer);
  ASSERT_TRUE(profile.LoadStreamFromRegistry());
  const Bytes record(kGameProfileSize, 2);
  profile.Write(record.data(), kGameProfileSize);
  ASSERT_TRUE(profile.SaveStreamToRegistry());
  const Bytes saved = *store.Get(kSettingsKeyPath, "MyProfile0.GPX");
  ASSERT_EQ(saved.size(), longer.size());
  EXPECT_EQ(saved[0], 2);
  EXPECT_EQ(saved.back(), 0xEE);
}

TEST_F(TuiProfileTest, LoadFailuresLeaveTheStreamUnchanged) {
  const Bytes before{4, 5, 6};
  profile.Write(before.data(), 3);

  EXPECT_FALSE(profile.LoadStreamFromRegistry()) << "no value yet";
  EXPECT_TRUE(store.HasKey(kSettingsKeyPath)) << "the key is created by the attempt";

  store.Put(kSettingsKeyPath, "MyProfile0.GPX", Bytes{1}, /*binary=*/false);
  EXPECT_FALSE(profile.LoadStreamFromRegistry()) << "a value that is not binary";
  EXPECT_FALSE(profile.LastError().empty());

  store.Put(kSettingsKeyPath, "MyProfile0.GPX", Bytes{});
  EXPECT_FALSE(profile.LoadStreamFromRegistry()) << "an empty value would wipe the record";

  store.Put(kSettingsKeyPath, "MyProfile0.GPX", Bytes{1, 1});
  store.MakeKeyUnavailable(kSettingsKeyPath);
  EXPECT_FALSE(profile.LoadStreamFromRegistry()) << "a key that cannot be opened";
  EXPECT_EQ(Stream(), before);
}

// Only an absent value may be replaced by defaults; one that is there but unreadable must not be.
TEST_F(TuiProfileTest, LoadResultTellsAbsentFromUnreadable) {
  EXPECT_FALSE(profile.LoadStreamFromRegistry());
  EXPECT_EQ(profile.LastLoadResult(), TuiLoadResult::Absent);
  EXPECT_TRUE(profile.UnreadableReason().empty());

  store.Put(kSettingsKeyPath, "MyProfile0.GPX", Bytes{});
  EXPECT_FALSE(profile.LoadStreamFromRegistry());
  EXPECT_EQ(profile.LastLoadResult(), TuiLoadResult::Absent) << "an empty value holds nothing to keep";

  store.Put(kSettingsKeyPath, "MyProfile0.GPX", Bytes{1, 2}, /*binary=*/false);
  EXPECT_FALSE(profile.LoadStreamFromRegistry());
  EXPECT_EQ(profile.LastLoadResult(), TuiLoadResult::Unreadable);
  EXPECT_NE(profile.UnreadableReason().find("not binary"), std::string::npos) << profile.UnreadableReason();
  EXPECT_NE(profile.LastError().find("MyProfile0.GPX"), std::string::npos) << profile.LastError();

  store.Put(kSettingsKeyPath, "MyProfile0.GPX", Bytes{1, 2});
  ASSERT_TRUE(profile.LoadStreamFromRegistry());
  EXPECT_EQ(profile.LastLoadResult(), TuiLoadResult::Loaded);
  EXPECT_TRUE(profile.UnreadableReason().empty()) << "a later load forgets the earlier reason";

  store.MakeKeyUnavailable(kSettingsKeyPath);
  EXPECT_FALSE(profile.LoadStreamFromRegistry());
  EXPECT_EQ(profile.LastLoadResult(), TuiLoadResult::Unreadable) << "values may be behind a key that cannot be opened";

  profile.OnBeforeLoadFromRegistry = [](TMemoryStream&, bool& bContinue) { bContinue = false; };
  EXPECT_FALSE(profile.LoadStreamFromRegistry());
  EXPECT_EQ(profile.LastLoadResult(), TuiLoadResult::NotAttempted);
}

TEST_F(TuiProfileTest, FileLoadResultTellsAbsentFromUnreadable) {
  TempFolder folder;
  std::filesystem::create_directory(folder.path() / "folder.GPX");
  test::WriteFile(folder.path() / "empty.GPX", {});
  test::WriteFile(folder.path() / "good.GPX", Bytes{1});
  const std::pair<std::string, TuiLoadResult> cases[] = {
      {folder.str("missing.GPX"), TuiLoadResult::Absent},
      {folder.str("nofolder/p.GPX"), TuiLoadResult::Absent},
      {folder.str("empty.GPX"), TuiLoadResult::Absent},
      {folder.str("folder.GPX"), TuiLoadResult::Unreadable},
      {folder.str("good.GPX"), TuiLoadResult::Loaded},
  };
  for (const auto& [path, result] : cases) {
    profile.LoadStreamFromFile(path);
    EXPECT_EQ(profile.LastLoadResult(), result) << path;
  }
  profile.LoadStreamFromFile(folder.str("folder.GPX"));
  EXPECT_NE(profile.UnreadableReason().find("folder"), std::string::npos) << profile.UnreadableReason();
}

TEST_F(TuiProfileTest, RefuseRecordsTheOwnersReason) {
  EXPECT_FALSE(profile.Refuse("kept as it is"));
  EXPECT_EQ(profile.LastError(), "kept as it is");
}

TEST_F(TuiProfileTest, RegistryOperationsNeedRootKeyAndName) {
  store.Put(kSettingsKeyPath, "MyProfile0.GPX", Bytes{1});
  for (std::uint32_t root : {0u, 0x80000003u}) {
    profile.SetRootKey(root);
    EXPECT_FALSE(profile.LoadStreamFromRegistry());
    EXPECT_FALSE(profile.SaveStreamToRegistry());
  }
  profile.SetRootKey(kHKeyCurrentUser);
  profile.SetFileName("");
  EXPECT_FALSE(profile.SaveStreamToRegistry());
  profile.SetFileName("MyProfile0.GPX");
  profile.SetKeyPath("");
  EXPECT_FALSE(profile.LoadStreamFromRegistry());
  EXPECT_EQ(store.writes, 0);
}

TEST_F(TuiProfileTest, FailedRegistrySaveReportsFalse) {
  store.FailWritesAfter(0);
  profile.SetSize(8);
  EXPECT_FALSE(profile.SaveStreamToRegistry());
  EXPECT_FALSE(store.Get(kSettingsKeyPath, "MyProfile0.GPX").has_value());
}

TEST_F(TuiProfileTest, BeforeEventsVetoAndAfterEventsAreTold) {
  TempFolder folder;
  const std::string file = folder.str("p.GPX");
  profile.SetSize(4);
  int after = 0;
  auto count = [&](const TMemoryStream&) { ++after; };
  profile.OnAfterSaveToRegistry = profile.OnAfterLoadFromRegistry = count;
  profile.OnAfterSaveToFile = profile.OnAfterLoadFromFile = count;
  ASSERT_TRUE(profile.SaveStreamToRegistry());
  ASSERT_TRUE(profile.LoadStreamFromRegistry());
  ASSERT_TRUE(profile.SaveStreamToFile(file));
  ASSERT_TRUE(profile.LoadStreamFromFile(file));
  EXPECT_EQ(after, 4);

  auto veto = [](TMemoryStream&, bool& bContinue) {
    EXPECT_TRUE(bContinue) << "starts true";
    bContinue = false;
  };
  profile.OnBeforeSaveToRegistry = profile.OnBeforeLoadFromRegistry = veto;
  profile.OnBeforeSaveToFile = profile.OnBeforeLoadFromFile = veto;
  const int writesBefore = store.writes;
  EXPECT_FALSE(profile.SaveStreamToRegistry());
  EXPECT_FALSE(profile.LoadStreamFromRegistry());
  EXPECT_FALSE(profile.SaveStreamToFile(folder.str("other.GPX")));
  EXPECT_FALSE(profile.LoadStreamFromFile(file));
  profile.SetFilePath(folder.str());
  EXPECT_FALSE(profile.SaveStreamToFile());
  EXPECT_FALSE(profile.LoadStreamFromFile());
  EXPECT_EQ(after, 4);
  EXPECT_EQ(store.writes, writesBefore);
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "other.GPX"));
}

TEST_F(TuiProfileTest, FilePathTakesOnlyExistingFoldersWithASeparator) {
  TempFolder folder;
  profile.SetFilePath(folder.str());
  EXPECT_EQ(profile.FilePath(), folder.str() + kSeparator);
  profile.SetFilePath(folder.str("missing"));
  EXPECT_EQ(profile.FilePath(), folder.str() + kSeparator);
}

TEST_F(TuiProfileTest, FileRoundTripThroughPropertiesAndPaths) {
  TempFolder folder;
  const Bytes image{1, 2, 3, 4, 5};
  profile.Write(image.data(), 5);
  EXPECT_FALSE(profile.SaveStreamToFile()) << "no folder set";
  profile.SetFilePath(folder.str());
  ASSERT_TRUE(profile.SaveStreamToFile());
  EXPECT_EQ(test::ReadFile(folder.path() / "MyProfile0.GPX"), image);

  ASSERT_TRUE(profile.PreSaveStreamToFile((folder.path() / "new" / "x.GPX").string()));
  EXPECT_EQ(profile.FilePath(), folder.str("new") + kSeparator);
  EXPECT_EQ(profile.FileName(), "x.GPX");
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "new" / "x.GPX")) << "PreSave writes nothing";
  ASSERT_TRUE(profile.SaveStreamToFile());
  EXPECT_EQ(test::ReadFile(folder.path() / "new" / "x.GPX"), image);

  TuiProfile other(store);
  other.SetFilePath(folder.str("new"));
  other.SetFileName("x.GPX");
  ASSERT_TRUE(other.LoadStreamFromFile());
  EXPECT_EQ(other.Stream(), image);
}

TEST_F(TuiProfileTest, SaveToAPathCreatesOneFolderLevelOnly) {
  TempFolder folder;
  profile.SetSize(3);
  EXPECT_TRUE(profile.SaveStreamToFile(folder.str("one/p.GPX")));
  EXPECT_FALSE(profile.SaveStreamToFile(folder.str("two/levels/p.GPX")));
  EXPECT_FALSE(profile.SaveStreamToFile("bare.GPX")) << "a path without a folder";
  EXPECT_FALSE(std::filesystem::exists("bare.GPX"));
  EXPECT_FALSE(profile.PreSaveStreamToFile(folder.str("a/b/c.GPX")));
}

TEST_F(TuiProfileTest, SaveOntoAFolderFailsAndLeavesIt) {
  TempFolder folder;
  std::filesystem::create_directory(folder.path() / "taken.GPX");
  profile.SetSize(3);
  EXPECT_FALSE(profile.SaveStreamToFile(folder.str("taken.GPX")));
  EXPECT_FALSE(profile.LastError().empty());
  EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "taken.GPX"));
}

TEST_F(TuiProfileTest, InterruptedFileSaveKeepsTheOldFileWhole) {
  TempFolder folder;
  const Bytes oldImage(kGameProfileSize, 1);
  test::WriteFile(folder.path() / "p.GPX", oldImage);
  profile.SetSize(kGameProfileSize);
  profile.SetWriteHook([](DurableWriteStep step) { return step != DurableWriteStep::TemporaryWritten; });
  EXPECT_FALSE(profile.SaveStreamToFile(folder.str("p.GPX")));
  EXPECT_EQ(test::ReadFile(folder.path() / "p.GPX"), oldImage);
}

TEST_F(TuiProfileTest, BadImportFilesAreRefusedAndChangeNothing) {
  TempFolder folder;
  const Bytes before{8, 8};
  profile.Write(before.data(), 2);
  std::filesystem::create_directory(folder.path() / "folder.GPX");
  test::WriteFile(folder.path() / "empty.GPX", {});
  for (const std::string& path : {folder.str("missing.GPX"), folder.str("folder.GPX"), folder.str("empty.GPX"),
                                  std::string(), folder.str()}) {
    EXPECT_FALSE(profile.LoadStreamFromFile(path)) << path;
    EXPECT_FALSE(profile.LastError().empty());
  }
  std::filesystem::resize_file(folder.path() / "empty.GPX", kLargestStoredImage + 1);
  EXPECT_FALSE(profile.LoadStreamFromFile(folder.str("empty.GPX"))) << "far larger than any record";
  EXPECT_EQ(Stream(), before);
}

#ifndef _WIN32
TEST_F(TuiProfileTest, UnreadableImportFileIsRefused) {
  TempFolder folder;
  test::WriteFile(folder.path() / "locked.GPX", Bytes(10, 1));
  test::GiveToUnprivileged(folder.path());
  std::filesystem::permissions(folder.path() / "locked.GPX", std::filesystem::perms::none);
  const Bytes before{3};
  profile.Write(before.data(), 1);
  EXPECT_TRUE(test::RunUnprivileged([&] {
    return !profile.LoadStreamFromFile(folder.str("locked.GPX")) && Stream() == before && !profile.LastError().empty() &&
           profile.LastLoadResult() == TuiLoadResult::Unreadable;
  }));
}

TEST_F(TuiProfileTest, FifoInPlaceOfAnImportFileIsUnreadableAndDoesNotBlock) {
  TempFolder folder;
  const auto fifo = folder.path() / "pipe.GPX";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_TRUE(test::FinishesWithin(5, [&] {
    return !profile.LoadStreamFromFile(fifo.string()) && profile.LastLoadResult() == TuiLoadResult::Unreadable;
  }));
}

#endif

TEST_F(TuiProfileTest, RestoreToDefaultCallsTheHandlerWithTheStream) {
  profile.RestoreToDefault();  // no handler: nothing happens
  EXPECT_TRUE(Stream().empty());
  profile.OnRestoreToDefault = [](TMemoryStream& s) { s.assign(3, 0x42); };
  profile.RestoreToDefault();
  EXPECT_EQ(Stream(), Bytes(3, 0x42));
}

}  // namespace
}  // namespace q9
