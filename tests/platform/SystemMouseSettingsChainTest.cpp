// The chain of pointer-settings backends, with recording fakes behind it.

#include <gtest/gtest.h>


#include "platform/SystemMouseSettingsChain.h"
#include "platform/fake/FakeSystemMouseSettings.h"

namespace q9 {
namespace {

using Call = FakeSystemMouseSettings::Call;

struct ChainOfTwo {
  ChainOfTwo() {
    auto firstOwned = std::make_unique<FakeSystemMouseSettings>();
    auto secondOwned = std::make_unique<FakeSystemMouseSettings>();
    first = firstOwned.get();
    second = secondOwned.get();
    chain.Add(std::move(firstOwned));
    chain.Add(nullptr);  // a backend this build lacks
    chain.Add(std::move(secondOwned));
  }
  SystemMouseSettingsChain chain;
  FakeSystemMouseSettings* first = nullptr;
  FakeSystemMouseSettings* second = nullptr;
};

void ExpectEveryCallInOrder(const FakeSystemMouseSettings& backend) {
  const std::vector<Call> calls = backend.Calls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].kind, Call::Acceleration);
  EXPECT_EQ(calls[0].parameters, (AccelerationParameters{4, 6, 2}));
  EXPECT_EQ(calls[1].kind, Call::PointerSpeed);
  EXPECT_EQ(calls[1].value, 17);
  EXPECT_EQ(calls[2].kind, Call::WheelScrollLines);
  EXPECT_EQ(calls[2].value, 7);
  EXPECT_EQ(calls[3].kind, Call::DoubleClickTime);
  EXPECT_EQ(calls[3].value, 350);
}

TEST(SystemMouseSettingsChainTest, EveryBackendGetsEveryCallWithItsValues) {
  ChainOfTwo two;
  EXPECT_EQ(two.chain.Size(), 2u) << "a null backend is left out";
  two.chain.SetAcceleration({4, 6, 2});
  two.chain.SetPointerSpeed(17);
  two.chain.SetWheelScrollLines(7);
  two.chain.SetDoubleClickTime(350);
  ExpectEveryCallInOrder(*two.first);
  ExpectEveryCallInOrder(*two.second);
}

}  // namespace
}  // namespace q9
