#include <gtest/gtest.h>

#include "components/uiFunctionManager.h"

namespace q9 {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(TuiFunctions, UnnamedItemsTakeAFreeNameAndNumber) {
  TuiFunctionManager manager;
  TuiFunctions& items = manager.Items();
  const TuiFunctionItem& named = items.Add("item1");
  EXPECT_EQ(named.ItemID(), 0u);
  TuiFunctionItem& second = items.Add();
  EXPECT_EQ(second.Name(), "Item2") << "letter case is ignored when names are compared";
  EXPECT_EQ(second.ItemID(), 2u);

  second.SetName("");
  EXPECT_EQ(second.DisplayName(), "TuiFunctionItem");
  EXPECT_EQ(second.ItemID(), 2u) << "renaming keeps the number";
  const TuiFunctionItem& third = items.Add();
  EXPECT_EQ(third.Name(), "Item3") << "number 2 is still held by the renamed item";
  EXPECT_EQ(third.ItemID(), 3u);

  items.Delete(1);
  EXPECT_EQ(items.Add().ItemID(), 2u);
  EXPECT_EQ(items.Owner(), &manager);
  EXPECT_EQ(&third.Collection(), &items);
}

TEST(TuiFunctionItem, BufferIsAnOwnedCopy) {
  TuiFunctions items;
  TuiFunctionItem& item = items.Add();
  Bytes out(4, 0xEE);
  EXPECT_EQ(item.GetBuffer(out.data(), 4), 0u);

  Bytes data{1, 2, 3};
  item.SetBuffer(data.data(), 3);
  data[0] = 9;
  item.SetBuffer(data.data(), 0);
  item.SetBuffer(nullptr, 5);
  ASSERT_EQ(item.GetBufferSize(), 3u) << "size 0 and a null source change nothing";
  EXPECT_EQ(item.GetBuffer(out.data(), 4), 3u);
  EXPECT_EQ(out, (Bytes{1, 2, 3, 0xEE}));
  EXPECT_EQ(item.GetBuffer(out.data(), 1), 1u) << "never more than the caller's room";
}

TEST(TuiFunctionItem, RunItPassesNumberAndBlock) {
  TuiFunctions items;
  items.Add();
  TuiFunctionItem& item = items.Add();
  item.RunIt();  // no handler: nothing happens

  std::vector<std::tuple<std::int32_t, void*, std::uint32_t>> calls;
  item.OnExecute = [&](std::int32_t id, void* buffer, std::uint32_t size) { calls.emplace_back(id, buffer, size); };
  item.RunIt();
  const Bytes data{7, 8};
  item.SetBuffer(data.data(), 2);
  item.RunIt();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0], std::make_tuple(2, nullptr, 0u));
  EXPECT_EQ(std::get<0>(calls[1]), 2);
  EXPECT_EQ(*static_cast<std::uint8_t*>(std::get<1>(calls[1])), 7);
  EXPECT_EQ(std::get<2>(calls[1]), 2u);
}

TEST(TuiFunctionManager, SetItemsCopiesEverything) {
  TuiFunctions source;
  TuiFunctionItem& from = source.Add();
  from.SetCaption("Caption");
  const Bytes data{5};
  from.SetBuffer(data.data(), 1);
  int runs = 0;
  from.OnExecute = [&](std::int32_t, void*, std::uint32_t) { ++runs; };

  TuiFunctionManager manager;
  manager.SetItems(source);
  source.Clear();
  ASSERT_EQ(manager.Items().Count(), 1);
  TuiFunctionItem& copy = manager.Items()[0];
  EXPECT_EQ(copy.Name(), "Item1");
  EXPECT_EQ(copy.ItemID(), 1u);
  EXPECT_EQ(copy.Caption(), "Caption");
  EXPECT_EQ(copy.GetBufferSize(), 1u);
  EXPECT_EQ(&copy.Collection(), &manager.Items());
  copy.RunIt();
  EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace q9
