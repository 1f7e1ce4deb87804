#include <gtest/gtest.h>

#include <sys/resource.h>

#include "TestSupport.h"
#include "app/DataModule.h"
#include "model/FactoryDefaults.h"
#include "platform/FileRegistryStore.h"
#include "platform/fake/FakeSystemLocale.h"
#include "storage/StoredLayout.h"

namespace q9 {
namespace {

using test::Bytes;
using test::BytesOf;
namespace fs = std::filesystem;

constexpr std::uintmax_t kSparseSize = 8ull * 1024 * 1024 * 1024;

// The settings folder of a real store, with something other than a plain value put in a value's place.
class StoreHostileEntriesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto first = CreateDataModule(store, locale);
    ASSERT_TRUE(first->SaveBackAllProfileInfo());
    fs::create_directory(folder.path() / "elsewhere");
  }
  fs::path Value(const std::string& name) const { return folder.path() / "software" / "zoQVGMMouse" / name; }
  fs::path Elsewhere(const std::string& name) const { return folder.path() / "elsewhere" / name; }
  void Replace(const std::string& name) const { fs::remove(Value(name)); }
  // Sparse: it takes no room on the disk, and reading it whole would take 8 GiB of memory.
  bool MakeSparse(const fs::path& file) const {
    test::WriteFile(file, {});
    std::error_code error;
    fs::resize_file(file, kSparseSize, error);
    return !error;
  }
  static Bytes FactoryProfile() {
    auto profile = std::make_unique<TMouseProfileInfoEasyShiftEx>();
    MakeFactoryProfile(*profile, 81);
    return BytesOf(*profile);
  }
  static Bytes MarkedProfile(Byte mark) {
    auto profile = std::make_unique<TMouseProfileInfoEasyShiftEx>();
    MakeFactoryProfile(*profile, 81);
    profile->MouseSettingInfo.LEDConfig.G = mark;
    return BytesOf(*profile);
  }

  // What an entry that cannot be read gets: defaults in memory, listed, kept out of every save,
  // while the other profiles are saved.
  void ExpectUnreadableAndKept(const std::string& what, const std::function<bool()>& unchanged) {
    SCOPED_TRACE(what);
    const auto dm = CreateDataModule(store, locale);
    const UnreadableValue* unreadable = dm->FindUnreadable(2);
    ASSERT_NE(unreadable, nullptr);
    EXPECT_FALSE(unreadable->reason.empty());
    EXPECT_EQ(dm->ProfileComponent(2).Stream(), FactoryProfile());
    EXPECT_FALSE(dm->SaveProfileInfoToRegistry(2));
    EXPECT_TRUE(dm->LastSaveRefusedUnreadable());
    auto edited = std::make_unique<TMouseProfileInfoEasyShiftEx>();
    MakeFactoryProfile(*edited, 81);
    edited->MouseSettingInfo.LEDConfig.G = 74;
    dm->SaveBackToProfileInfo(*edited, 3);
    EXPECT_FALSE(dm->SaveBackAllProfileInfo());
    EXPECT_EQ(test::ReadFile(Value(GameProfileValueName(3))), MarkedProfile(74)) << "the others are saved";
    EXPECT_TRUE(unchanged());
  }

  test::TempFolder folder;
  FileRegistryStore store{folder.path()};
  FakeSystemLocale locale{"0804"};
};

TEST_F(StoreHostileEntriesTest, FoldersInAValuesPlaceAreKept) {
  const std::string name = GameProfileValueName(2);
  Replace(name);
  fs::create_directory(Value(name));
  ExpectUnreadableAndKept("a folder", [&] { return fs::is_directory(Value(name)) && fs::is_empty(Value(name)); });

  Replace(name);
  fs::create_directory(Elsewhere("folder"));
  fs::create_symlink(Elsewhere("folder"), Value(name));
  ExpectUnreadableAndKept("a link to a folder", [&] {
    return fs::is_symlink(Value(name)) && fs::is_directory(Elsewhere("folder")) && fs::is_empty(Elsewhere("folder"));
  });
}

TEST_F(StoreHostileEntriesTest, LinksToFilesAreReadAndWrittenThrough) {
  const std::string name = GameProfileValueName(2);
  Replace(name);
  test::WriteFile(Elsewhere("good.GPX"), MarkedProfile(71));
  fs::create_symlink(Elsewhere("good.GPX"), Value(name));
  auto dm = CreateDataModule(store, locale);
  EXPECT_EQ(dm->FindUnreadable(2), nullptr);
  EXPECT_EQ(dm->ProfileComponent(2).Stream(), MarkedProfile(71));

  // A link to nothing is no value: defaults, and the first save creates the link's target.
  fs::remove(Value(name));
  fs::create_symlink(Elsewhere("new.GPX"), Value(name));
  dm = CreateDataModule(store, locale);
  EXPECT_EQ(dm->FindUnreadable(2), nullptr);
  EXPECT_EQ(dm->ProfileComponent(2).Stream(), FactoryProfile());
  ASSERT_TRUE(dm->SaveProfileInfoToRegistry(2)) << dm->LastSaveError();
  EXPECT_TRUE(fs::is_symlink(Value(name)));
  EXPECT_EQ(test::ReadFile(Elsewhere("new.GPX")), FactoryProfile());
}

TEST_F(StoreHostileEntriesTest, EmptyAndWrongLengthValues) {
  const std::string name = GameProfileValueName(2);
  test::WriteFile(Value(name), {});
  test::WriteFile(Value(kSettingsValueName), {});
  auto dm = CreateDataModule(store, locale);
  EXPECT_TRUE(dm->UnreadableValues().empty()) << "an empty value counts as none";
  EXPECT_EQ(dm->ProfileComponent(2).Stream(), FactoryProfile());
  EXPECT_EQ(test::ReadFile(Value(kSettingsValueName)).size(), sizeof(TALLPROFILESETTINGINFO))
      << "an empty settings record gets the defaults stored at start";

  // A short image fills the record from its start, the rest stays zero; a long one keeps its tail.
  const Bytes marked = MarkedProfile(72);
  const Bytes shortImage(marked.begin(), marked.begin() + 1000);
  test::WriteFile(Value(name), shortImage);
  dm = CreateDataModule(store, locale);
  auto record = std::make_unique<TMouseProfileInfoEasyShiftEx>();
  ASSERT_TRUE(dm->ReadProfileInfo(*record, 2));
  Bytes expected(sizeof(TMouseProfileInfoEasyShiftEx), 0);
  std::copy(shortImage.begin(), shortImage.end(), expected.begin());
  EXPECT_EQ(BytesOf(*record), expected);

  Bytes longImage = marked;
  longImage.resize(marked.size() + 5000, 0xA5);
  test::WriteFile(Value(name), longImage);
  dm = CreateDataModule(store, locale);
  ASSERT_TRUE(dm->SaveProfileInfoToRegistry(2)) << dm->LastSaveError();
  EXPECT_EQ(test::ReadFile(Value(name)), longImage);
}

// The reader refuses a value far larger than any record before it allocates anything for it.
TEST_F(StoreHostileEntriesTest, AHugeSparseValueIsNeverReadWhole) {
  const std::string name = GameProfileValueName(2);
  if (!MakeSparse(Value(name))) GTEST_SKIP() << "no sparse file of 8 GiB on this file system";
  EXPECT_TRUE(test::FinishesWithin(20, [&] {
    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
    Bytes data{1};
    const RegistryStatus status = store.ReadValue(kHKeyCurrentUser, kSettingsKeyPath, name, data);
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);
    const long grownKiB = after.ru_maxrss - before.ru_maxrss;
    return status.result == RegistryResult::Failed && status.message.find("too large") != std::string::npos &&
           data == Bytes{1} && grownKiB < 64 * 1024;
  }));
  ExpectUnreadableAndKept("a sparse file of 8 GiB", [&] { return fs::file_size(Value(name)) == kSparseSize; });

  // The settings record: defaults in memory, and the start does not store them over it.
  ASSERT_TRUE(MakeSparse(Value(kSettingsValueName)));
  const auto dm = CreateDataModule(store, locale);
  ASSERT_NE(dm->FindUnreadable(-1), nullptr);
  EXPECT_EQ(dm->FAllProfileSettingInfo.CurrentLanguage, 1) << "the factory settings";
  EXPECT_FALSE(dm->SaveBackToAllProfileSettingInfo());
  EXPECT_EQ(fs::file_size(Value(kSettingsValueName)), kSparseSize);
}

TEST_F(StoreHostileEntriesTest, AValueWithoutReadPermissionIsKept) {
  const std::string name = GameProfileValueName(2);
  test::WriteFile(Value(name), MarkedProfile(73));
  test::GiveToUnprivileged(folder.path());
  fs::permissions(Value(name), fs::perms::owner_write);
  EXPECT_TRUE(test::RunUnprivileged([&] {
    const auto dm = CreateDataModule(store, locale);
    const UnreadableValue* unreadable = dm->FindUnreadable(2);
    return unreadable && unreadable->reason.find("denied") != std::string::npos &&
           dm->ProfileComponent(2).Stream() == FactoryProfile() && !dm->SaveProfileInfoToRegistry(2) &&
           dm->LastSaveRefusedUnreadable();
  }));
  fs::permissions(Value(name), fs::perms::owner_all);
  EXPECT_EQ(test::ReadFile(Value(name)), MarkedProfile(73)) << "left as it was";
}

}  // namespace
}  // namespace q9
