#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/PointerSettings.h"
#include "platform/fake/FakeSystemMouseSettings.h"

namespace q9 {
namespace {

using Call = FakeSystemMouseSettings::Call;

AccelerationParameters SentAcceleration(const FakeSystemMouseSettings& system) {
  const std::vector<Call> calls = system.CallsOf(Call::Acceleration);
  EXPECT_EQ(calls.size(), 1u);
  return calls.empty() ? AccelerationParameters{-1, -1, -1} : calls.front().parameters;
}

TEST(ApplyPointerSettings, SendsTheLevelsParametersThenSpeedThenLinesInThatOrder) {
  FakeSystemMouseSettings system;
  ApplyPointerSettings({14, 7, 2}, system);
  const std::vector<Call> calls = system.Calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].kind, Call::Acceleration);
  EXPECT_EQ(calls[0].parameters, (AccelerationParameters{4, 6, 2})) << "Middle";
  EXPECT_EQ(calls[1].kind, Call::PointerSpeed);
  EXPECT_EQ(calls[1].value, 14);
  EXPECT_EQ(calls[2].kind, Call::WheelScrollLines);
  EXPECT_EQ(calls[2].value, 7);
  EXPECT_TRUE(system.CallsOf(Call::DoubleClickTime).empty()) << "the double-click time is not part of an apply";
}

TEST(ApplyPointerSettings, EachLevelHasItsOwnParameters) {
  const AccelerationParameters expected[] = {{0, 0, 0}, {7, 0, 1}, {4, 6, 2}, {4, 0, 1}};
  for (int level = 0; level < 4; ++level) {
    FakeSystemMouseSettings system;
    ApplyPointerSettings({10, 3, level}, system);
    EXPECT_EQ(SentAcceleration(system), expected[level]) << "level " << level;
  }
}

TEST(ApplyPointerSettings, ALevelOutsideTheTableChangesNothingAtAll) {
  for (const int level : {-1, 4, 0x7fffffff}) {
    FakeSystemMouseSettings system;
    ApplyPointerSettings({10, 3, level}, system);
    EXPECT_TRUE(system.Calls().empty()) << "level " << level;
  }
}

TEST(ApplyPointerSettings, NegativeLinesLeaveTheWheelAloneButNotTheRest) {
  FakeSystemMouseSettings system;
  ApplyPointerSettings({5, -1, 3}, system);
  EXPECT_TRUE(system.CallsOf(Call::WheelScrollLines).empty());
  EXPECT_EQ(SentAcceleration(system), (AccelerationParameters{4, 0, 1})) << "High";
  ASSERT_EQ(system.CallsOf(Call::PointerSpeed).size(), 1u);
  EXPECT_EQ(system.CallsOf(Call::PointerSpeed)[0].value, 5);

  FakeSystemMouseSettings none;
  ApplyPointerSettings({5, 0, 0}, none);
  ASSERT_EQ(none.CallsOf(Call::WheelScrollLines).size(), 1u) << "zero lines are not negative";
  EXPECT_EQ(none.CallsOf(Call::WheelScrollLines)[0].value, 0);
}

TEST(ApplyPointerSettingsBuffer, ReadsTheBlockFromAWorkersCopyOfExactlyItsSize) {
  const PointerSettingsBlock block{12, 9, 1};
  std::uint8_t bytes[sizeof block + 1] = {};
  std::memcpy(bytes, &block, sizeof block);

  FakeSystemMouseSettings system;
  ApplyPointerSettingsBuffer(bytes, sizeof block, system);
  ASSERT_EQ(system.Calls().size(), 3u);
  EXPECT_EQ(system.Calls()[1].value, 12);
  EXPECT_EQ(system.Calls()[2].value, 9);

  FakeSystemMouseSettings wrongSize;
  ApplyPointerSettingsBuffer(bytes, sizeof block - 1, wrongSize);
  ApplyPointerSettingsBuffer(bytes, sizeof block + 1, wrongSize);
  ApplyPointerSettingsBuffer(nullptr, sizeof block, wrongSize);
  EXPECT_TRUE(wrongSize.Calls().empty());
}

}  // namespace
}  // namespace q9
