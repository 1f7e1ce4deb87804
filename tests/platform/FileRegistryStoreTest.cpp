#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TestSupport.h"
#include "platform/FileRegistryStore.h"

namespace q9 {
namespace {

using test::Bytes;
using test::TempFolder;

constexpr const char* kKey = "software\\zoQVGMMouse";

TEST(FileRegistryStore, ValuesAreFilesHoldingExactlyTheirBytes) {
  TempFolder folder;
  FileRegistryStore store(folder.path());
  const Bytes data{0, 1, 2, 0xFF, 0};
  ASSERT_TRUE(store.WriteValue(kHKeyCurrentUser, kKey, "MyProfile3.GPX", data).ok());
  EXPECT_EQ(test::ReadFile(folder.path() / "software" / "zoQVGMMouse" / "MyProfile3.GPX"), data);
  Bytes read{9};
  ASSERT_TRUE(store.ReadValue(kHKeyCurrentUser, kKey, "MyProfile3.GPX", read).ok());
  EXPECT_EQ(read, data);
  ASSERT_TRUE(store.WriteValue(kHKeyCurrentUser, kKey, "MyProfile3.GPX", Bytes{7}).ok());
  ASSERT_TRUE(store.ReadValue(kHKeyCurrentUser, kKey, "MyProfile3.GPX", read).ok());
  EXPECT_EQ(read, Bytes{7}) << "a write replaces the whole value";
}

TEST(FileRegistryStore, ReadingAMissingValueCreatesTheKeyAndReportsNoValue) {
  TempFolder folder;
  FileRegistryStore store(folder.path());
  Bytes data{1, 2};
  EXPECT_EQ(store.ReadValue(kHKeyCurrentUser, kKey, "qvGMPROFILE.GPX", data).result, RegistryResult::NoValue);
  EXPECT_EQ(data, (Bytes{1, 2}));
  EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "software" / "zoQVGMMouse"));
}

TEST(FileRegistryStore, RefusesHostileKeysNamesAndRoots) {
  TempFolder folder;
  FileRegistryStore store(folder.path() / "store");
  Bytes data;
  for (const char* key : {"software\\..\\..\\etc", "", "software\\\\x", ".", "a\\."})
    EXPECT_EQ(store.WriteValue(kHKeyCurrentUser, key, "v", Bytes{1}).result, RegistryResult::KeyUnavailable) << key;
  for (const char* name : {"../escape", "a/b", "..", ""})
    EXPECT_FALSE(store.WriteValue(kHKeyCurrentUser, kKey, name, Bytes{1}).ok()) << name;
  EXPECT_EQ(store.ReadValue(kHKeyLocalMachine, kKey, "v", data).result, RegistryResult::KeyUnavailable);
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "escape"));
}

TEST(FileRegistryStore, AFolderInPlaceOfAValueIsNotBinaryData) {
  TempFolder folder;
  FileRegistryStore store(folder.path());
  std::filesystem::create_directories(folder.path() / "software" / "zoQVGMMouse" / "qvGMPROFILE.GPX");
  Bytes data;
  EXPECT_EQ(store.ReadValue(kHKeyCurrentUser, kKey, "qvGMPROFILE.GPX", data).result, RegistryResult::WrongType);
}

TEST(FileRegistryStore, UnusableStoreFolderFailsCleanly) {
  TempFolder folder;
  test::WriteFile(folder.path() / "file", Bytes{1});
  FileRegistryStore store(folder.path() / "file");  // a file where the store folder should be
  Bytes data;
  EXPECT_EQ(store.ReadValue(kHKeyCurrentUser, kKey, "v", data).result, RegistryResult::KeyUnavailable);
  const RegistryStatus status = store.WriteValue(kHKeyCurrentUser, kKey, "v", Bytes{1});
  EXPECT_EQ(status.result, RegistryResult::KeyUnavailable);
  EXPECT_FALSE(status.message.empty());
}

TEST(FileRegistryStore, ReadOnlyKeyFolderKeepsTheOldValue) {
  TempFolder folder;
  FileRegistryStore store(folder.path());
  ASSERT_TRUE(store.WriteValue(kHKeyCurrentUser, kKey, "v", Bytes{1, 2, 3}).ok());
  const auto keyFolder = folder.path() / "software" / "zoQVGMMouse";
  test::GiveToUnprivileged(folder.path());
  std::filesystem::permissions(keyFolder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  EXPECT_TRUE(test::RunUnprivileged([&] {
    const RegistryStatus status = store.WriteValue(kHKeyCurrentUser, kKey, "v", Bytes{9});
    Bytes read;
    return status.result == RegistryResult::Failed && !status.message.empty() &&
           store.ReadValue(kHKeyCurrentUser, kKey, "v", read).ok() && read == Bytes{1, 2, 3};
  }));
  std::filesystem::permissions(keyFolder, std::filesystem::perms::owner_all);
  EXPECT_EQ(test::ReadFile(keyFolder / "v"), (Bytes{1, 2, 3}));
}

// The promise: a save that dies half way leaves the old image or the new one, whole.
TEST(FileRegistryStore, FailureBetweenTemporaryWriteAndRenameKeepsTheOldImage) {
  TempFolder folder;
  const Bytes oldImage(31200, 0x11);
  const Bytes newImage(31200, 0x22);
  FileRegistryStore setup(folder.path());
  ASSERT_TRUE(setup.WriteValue(kHKeyCurrentUser, kKey, "qvGMPROFILE.GPX", oldImage).ok());

  FileRegistryStore failing(folder.path(), [](DurableWriteStep step) { return step != DurableWriteStep::TemporaryWritten; });
  const RegistryStatus status = failing.WriteValue(kHKeyCurrentUser, kKey, "qvGMPROFILE.GPX", newImage);
  EXPECT_EQ(status.result, RegistryResult::Failed);
  Bytes read;
  ASSERT_TRUE(setup.ReadValue(kHKeyCurrentUser, kKey, "qvGMPROFILE.GPX", read).ok());
  EXPECT_EQ(read, oldImage);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path() / "software" / "zoQVGMMouse"), {}), 1)
      << "the temporary file is removed";
}

TEST(FileRegistryStore, ProcessDyingBeforeTheRenameKeepsTheOldImage) {
  TempFolder folder;
  const Bytes oldImage(332884, 0x33);
  const Bytes newImage(332884, 0x44);
  FileRegistryStore setup(folder.path());
  ASSERT_TRUE(setup.WriteValue(kHKeyCurrentUser, kKey, "MyProfile0.GPX", oldImage).ok());

  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    FileRegistryStore dying(folder.path(), [](DurableWriteStep step) {
      if (step == DurableWriteStep::TemporaryWritten) ::_exit(0);
      return true;
    });
    dying.WriteValue(kHKeyCurrentUser, kKey, "MyProfile0.GPX", newImage);
    ::_exit(1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child died where it should";

  Bytes read;
  ASSERT_TRUE(setup.ReadValue(kHKeyCurrentUser, kKey, "MyProfile0.GPX", read).ok());
  EXPECT_EQ(read, oldImage);
  ASSERT_TRUE(setup.WriteValue(kHKeyCurrentUser, kKey, "MyProfile0.GPX", newImage).ok()) << "a later save still works";
  ASSERT_TRUE(setup.ReadValue(kHKeyCurrentUser, kKey, "MyProfile0.GPX", read).ok());
  EXPECT_EQ(read, newImage);
}

TEST(FileRegistryStore, DefaultFolderFollowsTheEnvironment) {
  {
    test::ScopedEnv q9("Q9_CONFIG_HOME", "/q9/home");
    test::ScopedEnv xdg("XDG_CONFIG_HOME", "/xdg");
    EXPECT_EQ(FileRegistryStore::DefaultStoreFolder(), "/q9/home");
  }
  {
    test::ScopedEnv q9("Q9_CONFIG_HOME", nullptr);
    test::ScopedEnv xdg("XDG_CONFIG_HOME", "/xdg");
    EXPECT_EQ(FileRegistryStore::DefaultStoreFolder(), "/xdg");
  }
  test::ScopedEnv q9("Q9_CONFIG_HOME", nullptr);
  test::ScopedEnv xdg("XDG_CONFIG_HOME", "");
  test::ScopedEnv home("HOME", "/home/user");
  EXPECT_EQ(FileRegistryStore::DefaultStoreFolder(), "/home/user/.config");
}

}  // namespace
}  // namespace q9
