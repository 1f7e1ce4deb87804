#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "TestSupport.h"
#include "platform/DriverSocketProtocol.h"

namespace q9 {
namespace {

test::Bytes Reply(std::uint32_t status, std::uint32_t length, const test::Bytes& payload) {
  const auto header = EncodeHeader({status, length});
  test::Bytes bytes(header.size() + payload.size());
  std::copy(header.begin(), header.end(), bytes.begin());
  std::copy(payload.begin(), payload.end(), bytes.begin() + static_cast<std::ptrdiff_t>(header.size()));
  return bytes;
}

// The reader fed one byte per receive, as a peer that trickles its reply delivers it.
std::uint32_t ReadByteByByte(const test::Bytes& bytes, std::uint8_t* out, std::uint32_t outLength,
                             std::uint32_t& received) {
  DriverReplyReader reader;
  for (std::size_t i = 0; i < bytes.size() && !reader.Space().empty(); ++i) {
    reader.Space()[0] = bytes[i];
    reader.Received(1);
  }
  return reader.Finish(out, outLength, received);
}

TEST(DriverReplyReader, AWholeReplyGivesItsStatusAndAtMostTheCallersBytes) {
  const test::Bytes reply = Reply(31, 5, {1, 2, 3, 4, 5});
  test::Bytes out(3, 0xEE);
  std::uint32_t received = 99;
  EXPECT_EQ(ParseDriverReply(reply, out.data(), 3, received), 31u);
  EXPECT_EQ(received, 3u);
  EXPECT_EQ(out, (test::Bytes{1, 2, 3}));

  test::Bytes roomy(8, 0xEE);
  EXPECT_EQ(ParseDriverReply(reply, roomy.data(), 8, received), 31u);
  EXPECT_EQ(received, 5u);
  EXPECT_EQ(roomy, (test::Bytes{1, 2, 3, 4, 5, 0xEE, 0xEE, 0xEE})) << "the rest of the buffer is left alone";

  test::Bytes trailing = reply;
  trailing.resize(reply.size() + 3, 9);
  EXPECT_EQ(ParseDriverReply(trailing, roomy.data(), 8, received), 31u);
  EXPECT_EQ(received, 5u) << "bytes after the reply are not part of it";

  DriverReplyReader empty;
  const auto header = EncodeHeader({kErrorSuccess, 0});
  std::copy(header.begin(), header.end(), empty.Space().begin());
  empty.Received(header.size());
  EXPECT_TRUE(empty.Whole()) << "a reply without bytes is whole after its header";
  EXPECT_TRUE(empty.Space().empty());
}

TEST(DriverReplyReader, RefusedOrCutShortRepliesAreNoDeviceAndCopyNothing) {
  test::Bytes out(8, 0xEE);
  std::uint32_t received = 99;
  const test::Bytes tooLong = Reply(kErrorSuccess, kDriverMessageLimit + 1, {1, 2, 3});
  EXPECT_EQ(ParseDriverReply(tooLong, out.data(), 8, received), kErrorDeviceNotConnected);
  EXPECT_EQ(received, 0u);

  DriverReplyReader reader;
  std::copy_n(tooLong.begin(), 8, reader.Space().begin());
  reader.Received(8);
  EXPECT_TRUE(reader.Refused());
  EXPECT_TRUE(reader.Space().empty()) << "nothing more is received for a reply over the limit";

  DriverReplyReader atLimit;
  const test::Bytes limit = Reply(kErrorSuccess, kDriverMessageLimit, {});
  std::copy_n(limit.begin(), 8, atLimit.Space().begin());
  atLimit.Received(8);
  EXPECT_FALSE(atLimit.Refused());
  EXPECT_EQ(atLimit.Space().size(), kDriverMessageLimit);

  for (const test::Bytes& cut : {test::Bytes{}, test::Bytes{0, 0, 0, 0, 2}, Reply(kErrorSuccess, 4, {1, 2, 3})}) {
    received = 99;
    EXPECT_EQ(ParseDriverReply(cut, out.data(), 8, received), kErrorDeviceNotConnected) << cut.size() << " bytes";
    EXPECT_EQ(received, 0u);
  }
  EXPECT_EQ(out, test::Bytes(8, 0xEE));
}

TEST(DriverReplyReader, AReplySplitAcrossReceivesReadsTheSame) {
  for (const test::Bytes& reply :
       {Reply(7, 6, {1, 2, 3, 4, 5, 6}), Reply(kErrorSuccess, 0, {}), Reply(kErrorSuccess, 9, {1, 2})}) {
    test::Bytes whole(6, 0), split(6, 0);
    std::uint32_t wholeReceived = 0, splitReceived = 0;
    EXPECT_EQ(ParseDriverReply(reply, whole.data(), 6, wholeReceived),
              ReadByteByByte(reply, split.data(), 6, splitReceived));
    EXPECT_EQ(wholeReceived, splitReceived);
    EXPECT_EQ(whole, split);
  }
}

}  // namespace
}  // namespace q9
