#include <gtest/gtest.h>

#include <set>
#include <sys/stat.h>
#include <sys/sysmacros.h>
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

// What stands in a value's place but cannot be read is never "no value": the caller would store
// defaults over it.
TEST(FileRegistryStore, UnreadableValuesAreNotReportedAsMissing) {
  TempFolder folder;
  FileRegistryStore store(folder.path());
  ASSERT_TRUE(store.WriteValue(kHKeyCurrentUser, kKey, "locked", Bytes{1, 2}).ok());
  const auto keyFolder = folder.path() / "software" / "zoQVGMMouse";
  ASSERT_EQ(::mkfifo((keyFolder / "pipe").c_str(), 0600), 0);
  Bytes data{7};
  EXPECT_TRUE(test::FinishesWithin(5, [&] {
    const RegistryStatus status = store.ReadValue(kHKeyCurrentUser, kKey, "pipe", data);
    return status.result == RegistryResult::WrongType && status.message.find("FIFO") != std::string::npos;
  })) << "a FIFO is reported at once, not opened and waited on";

  test::GiveToUnprivileged(folder.path());
  std::filesystem::permissions(keyFolder / "locked", std::filesystem::perms::none);
  EXPECT_TRUE(test::RunUnprivileged([&] {
    const RegistryStatus status = store.ReadValue(kHKeyCurrentUser, kKey, "locked", data);
    return status.result == RegistryResult::Failed && status.message.find("denied") != std::string::npos &&
           data == Bytes{7};
  }));
}

TEST(FileRegistryStore, AValueThatIsALinkStaysALinkAndItsTargetIsReplaced) {
  TempFolder folder;
  FileRegistryStore store(folder.path());
  ASSERT_TRUE(store.CreateKey(kHKeyCurrentUser, kKey).ok());
  const auto keyFolder = folder.path() / "software" / "zoQVGMMouse";
  std::filesystem::create_directory(folder.path() / "elsewhere");
  test::WriteFile(folder.path() / "elsewhere" / "real.GPX", Bytes{1});
  std::filesystem::create_symlink("../../elsewhere/real.GPX", keyFolder / "MyProfile0.GPX");
  ASSERT_TRUE(store.WriteValue(kHKeyCurrentUser, kKey, "MyProfile0.GPX", Bytes{5, 6}).ok());
  EXPECT_TRUE(std::filesystem::is_symlink(keyFolder / "MyProfile0.GPX"));
  EXPECT_EQ(test::ReadFile(folder.path() / "elsewhere" / "real.GPX"), (Bytes{5, 6}));
  Bytes read;
  ASSERT_TRUE(store.ReadValue(kHKeyCurrentUser, kKey, "MyProfile0.GPX", read).ok());
  EXPECT_EQ(read, (Bytes{5, 6}));
  for (const auto& entry : std::filesystem::directory_iterator(folder.path() / "elsewhere"))
    EXPECT_FALSE(IsDurableWriteTemporary(entry.path())) << entry.path();
}

TEST(FileRegistryStore, OnlyTheKeysOwnLeftoverTemporaryFilesAreRemoved) {
  TempFolder folder;
  FileRegistryStore store(folder.path());
  ASSERT_TRUE(store.WriteValue(kHKeyCurrentUser, kKey, "qvGMPROFILE.GPX", Bytes{1, 2}).ok());
  const auto keyFolder = folder.path() / "software" / "zoQVGMMouse";
  // What two interrupted saves left, beside things that only look alike or are not ours.
  test::WriteFile(keyFolder / ".q9tmp.qvGMPROFILE.GPX.a1b2c3", Bytes{9});
  test::WriteFile(keyFolder / ".q9tmp.MyProfile0.GPX.zzzzzz", Bytes{});
  test::WriteFile(keyFolder / "notes.q9tmp.txt", Bytes{3});
  test::WriteFile(folder.path() / ".q9tmp.elsewhere.abcdef", Bytes{4});
  std::filesystem::create_directory(keyFolder / ".q9tmp.folder");
  test::WriteFile(keyFolder / ".q9tmp.folder" / "inside", Bytes{5});
  test::WriteFile(folder.path() / "target", Bytes{6});
  std::filesystem::create_symlink(folder.path() / "target", keyFolder / ".q9tmp.link.qqqqqq");

  std::string error;
  EXPECT_EQ(store.RemoveLeftoverTemporaries(kHKeyCurrentUser, kKey, error), 2u);
  EXPECT_EQ(error, "");
  std::set<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(keyFolder)) left.insert(entry.path().filename().string());
  EXPECT_EQ(left, (std::set<std::string>{"qvGMPROFILE.GPX", "notes.q9tmp.txt", ".q9tmp.folder", ".q9tmp.link.qqqqqq"}));
  EXPECT_EQ(test::ReadFile(folder.path() / "target"), Bytes{6});
  EXPECT_TRUE(std::filesystem::exists(folder.path() / ".q9tmp.elsewhere.abcdef")) << "outside the key";
  EXPECT_EQ(store.RemoveLeftoverTemporaries(kHKeyCurrentUser, kKey, error), 0u);
}

mode_t ModeOf(const std::filesystem::path& file) {
  struct stat st {};
  return ::stat(file.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

class ScopedUmask {
 public:
  explicit ScopedUmask(mode_t mask) : old_(::umask(mask)) {}
  ~ScopedUmask() { ::umask(old_); }

 private:
  mode_t old_;
};

TEST(FileRegistryStore, WritesKeepTheModeAndNewValuesHonourTheUmask) {
  TempFolder folder;
  FileRegistryStore store(folder.path());
  const auto keyFolder = folder.path() / "software" / "zoQVGMMouse";
  {
    ScopedUmask mask(027);
    ASSERT_TRUE(store.WriteValue(kHKeyCurrentUser, kKey, "new", Bytes{1}).ok());
    EXPECT_EQ(ModeOf(keyFolder / "new"), 0640u);
  }
  ScopedUmask mask(022);
  ASSERT_EQ(::chmod((keyFolder / "new").c_str(), 0600), 0);
  ASSERT_TRUE(store.WriteValue(kHKeyCurrentUser, kKey, "new", Bytes{2}).ok());
  EXPECT_EQ(ModeOf(keyFolder / "new"), 0600u) << "a private value stays private";
  ASSERT_EQ(::chmod((keyFolder / "new").c_str(), 0664), 0);
  ASSERT_TRUE(store.WriteValue(kHKeyCurrentUser, kKey, "new", Bytes{3}).ok());
  EXPECT_EQ(ModeOf(keyFolder / "new"), 0664u) << "a shared one stays shared";
}

TEST(DurableFile, WritesThroughLinksToTheirTargets) {
  TempFolder folder;
  std::filesystem::create_directory(folder.path() / "real");
  test::WriteFile(folder.path() / "real" / "p.GPX", Bytes{1});
  std::filesystem::create_symlink(folder.path() / "real" / "p.GPX", folder.path() / "first");
  std::filesystem::create_symlink("first", folder.path() / "second");
  std::string error;
  ASSERT_TRUE(WriteFileDurably(folder.path() / "second", Bytes{4, 5}, error)) << error;
  EXPECT_TRUE(std::filesystem::is_symlink(folder.path() / "second"));
  EXPECT_TRUE(std::filesystem::is_symlink(folder.path() / "first"));
  EXPECT_EQ(test::ReadFile(folder.path() / "real" / "p.GPX"), (Bytes{4, 5}));

  std::filesystem::create_symlink("real/new.GPX", folder.path() / "dangling");
  ASSERT_TRUE(WriteFileDurably(folder.path() / "dangling", Bytes{6}, error)) << error;
  EXPECT_TRUE(std::filesystem::is_symlink(folder.path() / "dangling"));
  EXPECT_EQ(test::ReadFile(folder.path() / "real" / "new.GPX"), Bytes{6}) << "a dangling link's target is created";

  std::filesystem::create_symlink("loop", folder.path() / "loop");
  EXPECT_FALSE(WriteFileDurably(folder.path() / "loop", Bytes{1}, error));
  EXPECT_NE(error.find("symbolic links"), std::string::npos) << error;
}

TEST(DurableFile, TargetsThatAreNotRegularFilesAreRefusedAndLeftAlone) {
  TempFolder folder;
  const auto fifo = folder.path() / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::filesystem::create_directory(folder.path() / "dir");
  std::filesystem::create_symlink(fifo, folder.path() / "link-to-pipe");
  for (const auto& target : {fifo, folder.path() / "dir", folder.path() / "link-to-pipe"}) {
    EXPECT_TRUE(test::FinishesWithin(5, [&] {
      std::string error;
      return !WriteFileDurably(target, Bytes{1}, error) && error.find("not a regular file") != std::string::npos;
    })) << target;
  }
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
  EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "dir"));
  EXPECT_TRUE(std::filesystem::is_empty(folder.path() / "dir"));

  // As root a rename over a device node succeeds: it must not be attempted. A node of our own
  // shows it; /dev/null is only tried as well because the refusal comes before any change.
  std::string error;
  const auto node = folder.path() / "null";
  if (::mknod(node.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0) {
    EXPECT_FALSE(WriteFileDurably(node, Bytes{1}, error));
    EXPECT_TRUE(std::filesystem::is_character_file(node));
  }
  EXPECT_FALSE(WriteFileDurably("/dev/null", Bytes{1}, error));
  EXPECT_NE(error.find("character device"), std::string::npos) << error;
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
  for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
    EXPECT_FALSE(IsDurableWriteTemporary(entry.path())) << entry.path();
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
