#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <map>

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

// Counts the steps of the durable writes and fails the chosen ones: the k-th only, or the k-th
// and every later one. A failing Writing step is a full disk.
class FaultPlan {
 public:
  enum class Mode { Once, FromThenOn };

  void Arm(int k, Mode mode) {
    armed_ = true;
    k_ = k;
    mode_ = mode;
    count_ = 0;
  }
  void Disarm() {
    armed_ = false;
    count_ = 0;
    steps_.clear();
  }
  bool Step(DurableWriteStep step) {
    ++count_;
    steps_.push_back(step);
    const bool fail = armed_ && (mode_ == Mode::Once ? count_ == k_ : count_ >= k_);
    if (fail && step == DurableWriteStep::Writing) errno = ENOSPC;
    return !fail;
  }
  const std::vector<DurableWriteStep>& Steps() const { return steps_; }

 private:
  bool armed_ = false;
  int k_ = 0;
  Mode mode_ = Mode::Once;
  int count_ = 0;
  std::vector<DurableWriteStep> steps_;
};

constexpr int kStepsPerValue = 3;  // Writing, TemporaryWritten, Renamed

struct Scenario {
  const char* what;
  std::vector<std::string> values;  // in the order the save writes them
  std::function<bool(TDM&, std::string&)> save;
};

class StoreFaultInjectionTest : public ::testing::Test {
 protected:
  std::filesystem::path KeyFolder() const { return folder.path() / "software" / "zoQVGMMouse"; }
  std::map<std::string, Bytes> ReadValues(const std::vector<std::string>& names) const {
    std::map<std::string, Bytes> values;
    for (const std::string& name : names) values[name] = test::ReadFile(KeyFolder() / name);
    return values;
  }
  void WriteValues(const std::map<std::string, Bytes>& values) const {
    for (const auto& [name, bytes] : values) test::WriteFile(KeyFolder() / name, bytes);
  }
  std::vector<std::string> Temporaries() const {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(KeyFolder()))
      if (IsDurableWriteTemporary(entry.path())) found.push_back(entry.path().filename().string());
    return found;
  }
  // Every value stored, then the module edits every profile and the settings record in memory.
  std::unique_ptr<TDM> StoredAndEdited() {
    {
      const auto first = CreateDataModule(plain, locale);
      EXPECT_TRUE(first->SaveBackAllProfileInfo());
    }
    auto dm = CreateDataModule(hooked, locale);
    for (int i = 0; i < kGameProfileCount; ++i) {
      auto profile = std::make_unique<TMouseProfileInfoEasyShiftEx>();
      MakeFactoryProfile(*profile, 81);
      profile->MouseSettingInfo.LEDConfig.G = static_cast<Byte>(40 + i);
      dm->SaveBackToProfileInfo(*profile, i);
    }
    dm->FAllProfileSettingInfo.ReservedData.IntegerData[kSlotMode2Profile] = 3;
    return dm;
  }
  void RunEveryFault(const Scenario& scenario);

  test::TempFolder folder;
  FaultPlan plan;
  FileRegistryStore plain{folder.path()};
  FileRegistryStore hooked{folder.path(), [this](DurableWriteStep step) { return plan.Step(step); }};
  FakeSystemLocale locale{"0804"};
};

const char* StepText(int step) {
  switch (step) {
    case 0:
      return "No space left on device";
    case 1:
      return "interrupted before replacing";
    default:
      return "interrupted after replacing";
  }
}

// For each k over the steps of the save, failing once and from then on: the save reports the failure
// naming the value and its cause; a value keeps its old image when its write failed before the
// rename, else holds the new one whole; nothing temporary stays; a retry stores every new image.
void StoreFaultInjectionTest::RunEveryFault(const Scenario& scenario) {
  const auto dm = StoredAndEdited();
  const std::map<std::string, Bytes> original = ReadValues(scenario.values);
  std::string error;
  plan.Disarm();
  ASSERT_TRUE(scenario.save(*dm, error)) << error;
  const std::map<std::string, Bytes> saved = ReadValues(scenario.values);
  const int steps = static_cast<int>(scenario.values.size()) * kStepsPerValue;
  ASSERT_EQ(plan.Steps().size(), static_cast<std::size_t>(steps)) << scenario.what;
  for (const auto& [name, bytes] : saved) ASSERT_NE(bytes, original.at(name)) << name << " has edits to save";

  for (const FaultPlan::Mode mode : {FaultPlan::Mode::Once, FaultPlan::Mode::FromThenOn}) {
    for (int k = 1; k <= steps; ++k) {
      const bool once = mode == FaultPlan::Mode::Once;
      SCOPED_TRACE(std::string(scenario.what) + ", step " + std::to_string(k) + (once ? " fails once" : " and later fail"));
      WriteValues(original);
      plan.Arm(k, mode);
      error.clear();
      EXPECT_FALSE(scenario.save(*dm, error));
      const std::size_t failing = static_cast<std::size_t>((k - 1) / kStepsPerValue);
      const int failingStep = (k - 1) % kStepsPerValue;
      EXPECT_NE(error.find(scenario.values[failing]), std::string::npos) << error;
      EXPECT_NE(error.find(StepText(failingStep)), std::string::npos) << error;
      const std::map<std::string, Bytes> now = ReadValues(scenario.values);
      for (std::size_t v = 0; v < scenario.values.size(); ++v) {
        const std::string& name = scenario.values[v];
        const bool replaced = v < failing || (v == failing && failingStep == 2) || (v > failing && once);
        EXPECT_EQ(now.at(name), replaced ? saved.at(name) : original.at(name)) << name;
      }
      EXPECT_EQ(Temporaries(), std::vector<std::string>{});
      plan.Disarm();
      error.clear();
      ASSERT_TRUE(scenario.save(*dm, error)) << "the retry: " << error;
      EXPECT_EQ(ReadValues(scenario.values), saved);
    }
  }
  const auto reloaded = CreateDataModule(plain, locale);
  for (int i = 0; i < kGameProfileCount; ++i) {
    if (saved.count(GameProfileValueName(i))) {
      EXPECT_EQ(reloaded->ProfileComponent(i).Stream(), saved.at(GameProfileValueName(i))) << "a new start reads it";
    }
  }
  if (saved.count(kSettingsValueName)) {
    EXPECT_EQ(reloaded->FAllProfileSettingInfo.ReservedData.IntegerData[kSlotMode2Profile], 3) << "a new start reads it";
  }
}

TEST_F(StoreFaultInjectionTest, EveryFaultOfASettingsSave) {
  RunEveryFault({"settings record", {kSettingsValueName}, [](TDM& dm, std::string& error) {
                   const bool ok = dm.SaveBackToAllProfileSettingInfo();
                   error = dm.LastSaveError();
                   return ok;
                 }});
}

TEST_F(StoreFaultInjectionTest, EveryFaultOfAGameProfileSave) {
  RunEveryFault({"game profile 2", {GameProfileValueName(2)}, [](TDM& dm, std::string& error) {
                   const bool ok = dm.SaveProfileInfoToRegistry(2);
                   error = dm.LastSaveError();
                   return ok;
                 }});
}

// What an apply saves: every profile, also after one that failed, then the settings record.
TEST_F(StoreFaultInjectionTest, EveryFaultOfSavingEverything) {
  std::vector<std::string> values;
  for (int i = 0; i < kGameProfileCount; ++i) values.push_back(GameProfileValueName(i));
  values.push_back(kSettingsValueName);
  RunEveryFault({"every profile and the settings", values, [](TDM& dm, std::string& error) {
                   const bool profiles = dm.SaveBackAllProfileInfo();
                   error = dm.LastSaveError();
                   const bool settings = dm.SaveBackToAllProfileSettingInfo();
                   error += "; " + dm.LastSaveError();
                   return profiles && settings;
                 }});
}

}  // namespace
}  // namespace q9
