#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/ProgramEntry.h"
#include "model/FactoryDefaults.h"
#include "platform/fake/FakeRegistryStore.h"
#include "platform/fake/FakeSingleInstanceLock.h"
#include "platform/fake/FakeSystemLocale.h"
#include "storage/StoredLayout.h"

namespace q9 {
namespace {

class ProgramEntryTest : public ::testing::Test {
 protected:
  ProgramResult Run(std::vector<std::string> arguments) {
    return RunProgram(arguments, {lock, store, locale}, [this](TDM& dm) {
      ++windows;
      EXPECT_EQ(lockTable->held.count(kSingleInstanceName), lockTable->unavailable ? 0u : 1u)
          << "the lock is held while the window runs";
      EXPECT_EQ(dm.FButtonConfigIndex, 0);
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
  FakeRegistryStore store;
  FakeSystemLocale locale;
  int windows = 0;
};

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
