#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/fake/FakeDriverTransport.h"
#include "platform/fake/ManualScheduler.h"
#include "protocol/CommandFrame.h"

namespace q9 {
namespace {

using test::Bytes;

class CommandFrameTest : public ::testing::Test {
 protected:
  Bytes Frame(std::size_t i) const { return driver.Calls().at(i).bytes; }
  std::vector<int> pauses;
  PauseFunction pause = [this](int ms) { pauses.push_back(ms); };
  FakeDriverTransport driver;
  ManualScheduler scheduler;
  TuiSTDCommand channel{driver, scheduler, "/nonexistent/config.ini"};
};

TEST_F(CommandFrameTest, ControlCommandsCarryHeaderCodeAndArguments) {
  SendRateChangeCommand(channel, 0x11, 0x22);
  SendLightCommand(channel, {1, 2, 3, 4, 5});
  SendWriteStateCommand(channel, 1);
  SendCommand7(channel, 0);
  SelectMemoryLocation(channel, 1);
  const std::pair<int, Bytes> expected[] = {
      {1, {0x11, 0x22, 0, 0, 0, 0, 0}}, {4, {1, 2, 3, 4, 5, 0, 0}}, {6, {1, 0, 0, 0, 0, 0, 0}},
      {7, {0, 0, 0, 0, 0, 0, 0}},       {8, {1, 0, 0, 0, 0, 0, 0}}};
  ASSERT_EQ(driver.Calls().size(), 5u);
  for (std::size_t i = 0; i < 5; ++i) {
    const Bytes frame = Frame(i);
    ASSERT_EQ(frame.size(), 2059u);
    EXPECT_EQ(driver.Calls()[i].code, 0x80004000u);
    EXPECT_EQ(Bytes(frame.begin(), frame.begin() + 4), (Bytes{0x16, 0x10, 0x00, std::uint8_t(expected[i].first)}));
    EXPECT_EQ(Bytes(frame.begin() + 4, frame.begin() + 11), expected[i].second);
    EXPECT_EQ(Bytes(frame.begin() + 11, frame.end()), Bytes(2048, 0));
  }
  EXPECT_EQ(driver.OpenConnections(), 0) << "the device is closed after every frame";
}

TEST_F(CommandFrameTest, MemoryWriteLayout) {
  const Bytes table(65, 0x5A);
  WriteDeviceMemory(channel, table.data(), table.size(), 1221);
  const Bytes frame = Frame(0);
  EXPECT_EQ(Bytes(frame.begin() + 3, frame.begin() + 11), (Bytes{2, 0xC5, 0x04, 0x41, 0x00, 0xFA, 0xFA, 0xFA}));
  EXPECT_EQ(Bytes(frame.begin() + 11, frame.begin() + 76), table);
  EXPECT_EQ(frame[76], 0);
}

TEST_F(CommandFrameTest, MemoryWritesOfNothingOrTooMuchSendNothing) {
  const Bytes big(2049, 1);
  EXPECT_EQ(WriteDeviceMemory(channel, big.data(), 0, 100), kErrorSuccess);
  EXPECT_EQ(WriteDeviceMemory(channel, big.data(), 2049, 100), kErrorInvalidParameter);
  EXPECT_TRUE(driver.Calls().empty());
  EXPECT_EQ(WriteDeviceMemory(channel, big.data(), 2048, 0), kErrorSuccess);
  EXPECT_EQ(Frame(0).back(), 1) << "a full payload fills the frame";
}

TEST_F(CommandFrameTest, ButtonBlocksGoToTheirAddressesWithPauses) {
  ButtonTables tables{};
  for (int g = 0; g < 4; ++g) tables[g].fill(std::uint8_t(g + 1));
  WriteButtonBlocks(channel, tables, 1, 256, pause);
  ASSERT_EQ(driver.Calls().size(), 4u);
  const int addresses[] = {4116, 5081, 6046, 7011};
  for (int g = 0; g < 4; ++g) {
    EXPECT_EQ(Frame(g)[4] | (Frame(g)[5] << 8), addresses[g]);
    EXPECT_EQ(Frame(g)[11], g + 1);
  }
  EXPECT_EQ(pauses, std::vector<int>(4, 10));
}

TEST_F(CommandFrameTest, MacroBlocksSkipEmptySlotsButStillPause) {
  MacroImage image{};
  image[180 * 6] = 0x84;        // slot 6 = group 1, slot 1
  image[3600 + 4 * 6] = 3;      // its length
  image[180 * 19] = 0x86;       // slot 19 = group 3, slot 4
  image[3600 + 4 * 19] = 0xFF;  // a damaged length: never more than the slot
  WriteMacroBlocks(channel, image, 0, 321, pause);
  ASSERT_EQ(driver.Calls().size(), 2u);
  EXPECT_EQ(Frame(0)[4] | (Frame(0)[5] << 8), 321 + 965 + 180);
  EXPECT_EQ(Frame(0)[6], 3);
  EXPECT_EQ(Frame(1)[4] | (Frame(1)[5] << 8), 321 + 965 * 3 + 180 * 4);
  EXPECT_EQ(Frame(1)[6], 180);
  EXPECT_EQ(pauses, std::vector<int>(20, 5));
  EXPECT_EQ(WriteMacroBlocks(channel, image, 2, 321, pause), kErrorInvalidParameter);
  EXPECT_EQ(driver.Calls().size(), 2u);
}

TEST_F(CommandFrameTest, WithoutAMouseEveryFrameFailsFastAndPausesStillRun) {
  driver.SetPresent(false);
  ButtonTables tables{};
  EXPECT_EQ(WriteButtonBlocks(channel, tables, 0, 256, pause), kErrorNotReady);
  EXPECT_EQ(pauses.size(), 4u);
  EXPECT_EQ(channel.Counts().failures, 4);
}

}  // namespace
}  // namespace q9
