#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/ProgramEntry.h"
#include "model/FactoryDefaults.h"
#include "platform/fake/FakeRegistryStore.h"
#include "platform/fake/FakeSingleInstanceLock.h"
#include "platform/fake/FakeStoreLock.h"
#include "platform/fake/FakeSystemLocale.h"
#include "storage/StoredLayout.h"

namespace q9 {
namespace {

// A store that notes whether the store lock was held at each read.
class WatchedStore : public FakeRegistryStore {
 public:
  explicit WatchedStore(std::shared_ptr<FakeStoreLockTable> table) : table_(std::move(table)) {}
  RegistryStatus ReadValue(std::uint32_t root, const std::string& keyPath, const std::string& name,
                           std::vector<std::uint8_t>& data) override {
    if (table_->exclusive == 0) ++unguardedReads;
    return FakeRegistryStore::ReadValue(root, keyPath, name, data);
  }
  std::size_t RemoveLeftoverTemporaries(std::uint32_t, const std::string& keyPath, std::string& error) override {
    sweeps.push_back({keyPath, table_->exclusive > 0, reads});
    error = sweepError;
    return 0;
  }
  int unguardedReads = 0;
  struct Sweep {
    std::string keyPath;
    bool underExclusiveLock;
    int readsBefore;
  };
  std::vector<Sweep> sweeps;
  std::string sweepError;

 private:
  std::shared_ptr<FakeStoreLockTable> table_;
};

class ProgramEntryTest : public ::testing::Test {
 protected:
  ProgramResult Run(std::vector<std::string> arguments) {
    return RunProgram(arguments, {lock, store, locale, &storeLock, [this](const std::string& text) { warnings.push_back(text); }},
                      [this](TDM& dm) {
      ++windows;
      EXPECT_EQ(lockTable->held.count(kSingleInstanceName), lockTable->unavailable ? 0u : 1u)
          << "the lock is held while the window runs";
      EXPECT_EQ(dm.FButtonConfigIndex, 0);
      EXPECT_TRUE(FakeStoreLock(storeTable).WindowMarkHeldElsewhere()) << "the store is marked open in a window";
      EXPECT_FALSE(storeLock.HoldsStore()) << "commands may read the store while the window runs";
      return 7;
    });
  }
  void StoreStartFlag(Integer flag) {
    auto settings = std::make_unique<TALLPROFILESETTINGINFO>();
    MakeFactorySettings(*settings, "0409");
    settings->ReservedData.IntegerData[kSlotStartWithWindows] = flag;
    store.Put(kSettingsKeyPath, kSettingsValueName, test::BytesOf(*settings));
  }

  std::shared_ptr<FakeLockTable> lockTable = std::make_shared<FakeLockTable>();
  FakeSingleInstanceLock lock{lockTable};
  std::shared_ptr<FakeStoreLockTable> storeTable = std::make_shared<FakeStoreLockTable>();
  FakeStoreLock storeLock{storeTable};
  WatchedStore store{storeTable};
  FakeSystemLocale locale;
  int windows = 0;
  std::vector<std::string> warnings;
};

TEST_F(ProgramEntryTest, SettingsAreReadUnderTheStoreLockAndTheWindowMarkLastsAsLongAsTheWindow) {
  EXPECT_EQ(Run({}).outcome, ProgramOutcome::WindowClosed);
  EXPECT_GT(store.reads, 0);
  EXPECT_EQ(store.unguardedReads, 0);
  EXPECT_EQ(storeLock.lastWaitMs, kStoreLockWaitMs) << "a writer's turn is waited for";
  EXPECT_EQ(storeTable->exclusive + storeTable->shared + storeTable->windowMarks, 0) << "all released";
  StoreStartFlag(0);
  EXPECT_EQ(Run({"-runauto"}).outcome, ProgramOutcome::AutoStartHidden);
  EXPECT_EQ(storeTable->windowMarks, 0) << "no window, no mark";
}

TEST_F(ProgramEntryTest, LeftoversOfInterruptedSavesGoUnderTheLockBeforeAnythingIsRead) {
  store.sweepError = "cannot remove x: permission denied";
  EXPECT_EQ(Run({}).outcome, ProgramOutcome::WindowClosed);
  ASSERT_EQ(store.sweeps.size(), 1u);
  EXPECT_EQ(store.sweeps[0].keyPath, kSettingsKeyPath);
  EXPECT_TRUE(store.sweeps[0].underExclusiveLock);
  EXPECT_EQ(store.sweeps[0].readsBefore, 0);
  EXPECT_EQ(warnings, std::vector<std::string>{"leftover temporary files stay: cannot remove x: permission denied"});

  // Another window on the store may be in the middle of a save: its files stay.
  FakeStoreLock otherWindow(storeTable);
  std::string error;
  ASSERT_EQ(otherWindow.HoldWindowMark(error), StoreLockResult::Acquired);
  Run({});
  EXPECT_EQ(store.sweeps.size(), 1u);
}

TEST_F(ProgramEntryTest, ABusyStoreEndsTheStartWithAMessageReadingNothing) {
  FakeStoreLock writer(storeTable);
  std::string error;
  ASSERT_EQ(writer.Lock(StoreLockMode::Exclusive, 0, error), StoreLockResult::Acquired);
  const ProgramResult result = Run({});
  EXPECT_EQ(result.outcome, ProgramOutcome::StoreBusy);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.message, "the settings store the fake store is busy (another program is writing to it)");
  EXPECT_EQ(windows, 0);
  EXPECT_EQ(store.reads + store.writes, 0);
  EXPECT_TRUE(lockTable->held.empty()) << "the single-instance lock is given back";
}

TEST_F(ProgramEntryTest, AnUnsafeLockPlaceEndsTheStartWithTheReason) {
  lockTable->unsafe = "/tmp/q9config-1000 belongs to user 1001, not to this user";
  const ProgramResult result = Run({});
  EXPECT_EQ(result.outcome, ProgramOutcome::LockUnsafe);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.message, "cannot check for another copy: /tmp/q9config-1000 belongs to user 1001, not to this user");
  EXPECT_EQ(windows, 0);
  EXPECT_EQ(store.reads + store.writes, 0);
}

TEST_F(ProgramEntryTest, AStoreWithoutLocksIsUsedUnguarded) {
  storeTable->unavailable = true;
  EXPECT_EQ(RunProgram({}, {lock, store, locale, &storeLock, {}}, [](TDM&) { return 3; }).exitCode, 3);
  EXPECT_TRUE(store.sweeps.empty()) << "without a lock someone may be writing";
}

TEST_F(ProgramEntryTest, NormalStartShowsTheWindowAndReleasesTheLock) {
  const ProgramResult result = Run({});
  EXPECT_EQ(result.outcome, ProgramOutcome::WindowClosed);
  EXPECT_EQ(result.exitCode, 7);
  EXPECT_EQ(windows, 1);
  EXPECT_TRUE(lockTable->held.empty());
  EXPECT_EQ(lock.releases, 1);
}

TEST_F(ProgramEntryTest, SecondCopyEndsSilentlyTouchingNothing) {
  FakeSingleInstanceLock firstCopy(lockTable);
  ASSERT_EQ(firstCopy.TryAcquire(kSingleInstanceName), LockResult::Acquired);
  const ProgramResult result = Run({});
  EXPECT_EQ(result.outcome, ProgramOutcome::AlreadyRunning);
  EXPECT_EQ(windows, 0);
  EXPECT_EQ(store.reads + store.writes, 0) << "the registry is neither read nor written";
  EXPECT_TRUE(lockTable->held.count(kSingleInstanceName)) << "the first copy keeps its lock";
}

TEST_F(ProgramEntryTest, AutoStartFollowsTheStartWithSystemFlag) {
  StoreStartFlag(1);
  EXPECT_EQ(Run({"-runauto"}).outcome, ProgramOutcome::WindowClosed);
  EXPECT_EQ(windows, 1);

  StoreStartFlag(0);
  const auto before = store.Get(kSettingsKeyPath, kSettingsValueName);
  const int writes = store.writes;
  EXPECT_EQ(Run({"-runauto"}).outcome, ProgramOutcome::AutoStartHidden);
  EXPECT_EQ(windows, 1);
  EXPECT_EQ(store.writes, writes) << "nothing is written";
  EXPECT_EQ(store.Get(kSettingsKeyPath, kSettingsValueName), before);
  EXPECT_TRUE(lockTable->held.empty());
}

TEST_F(ProgramEntryTest, OnlyTheExactFirstArgumentIsAnAutoStart) {
  StoreStartFlag(0);
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"-RUNAUTO"}, {"x", "-runauto"}, {"-runauto "}, {"runauto"}, {""}})
    EXPECT_EQ(Run(arguments).outcome, ProgramOutcome::WindowClosed) << arguments.front();
  EXPECT_EQ(windows, 5);
}

TEST_F(ProgramEntryTest, AutoStartWithNothingStoredShowsTheWindowAndStoresDefaults) {
  EXPECT_EQ(Run({"-runauto"}).outcome, ProgramOutcome::WindowClosed);
  EXPECT_EQ(windows, 1);
  EXPECT_EQ(store.Get(kSettingsKeyPath, kSettingsValueName)->size(), 31200u);
}

TEST_F(ProgramEntryTest, RunsUnguardedWhenNoLockCanBeMade) {
  lockTable->unavailable = true;
  EXPECT_EQ(Run({}).outcome, ProgramOutcome::WindowClosed);
  EXPECT_EQ(windows, 1);
}

}  // namespace
}  // namespace q9
