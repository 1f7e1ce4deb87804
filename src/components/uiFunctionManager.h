#pragma once
// TuiFunctionManager: an ordered list of function items, each with a number, texts, an owned data
// block and a handler that receives the number and the block. A popup menu linked to an item hands
// the item's block to its click handlers.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace q9 {

/// An item's handler: the item's number and its data block (null and 0 when it has none).
using TuiFunctionItemEvent = std::function<void(std::int32_t AFunctionID, void* BufferPointer, std::uint32_t Size)>;

class TuiFunctions;
class TuiFunctionManager;

/// One item of a TuiFunctions list; created and owned by the list.
class TuiFunctionItem {
 public:
  TuiFunctionItem(const TuiFunctionItem&) = delete;
  TuiFunctionItem& operator=(const TuiFunctionItem&) = delete;

  const std::string& Name() const { return FName; }
  /// Any name, also an empty one; the item keeps its ItemID.
  void SetName(std::string value) { FName = std::move(value); }
  const std::string& Caption() const { return FCaption; }
  void SetCaption(std::string value) { FCaption = std::move(value); }
  const std::string& Hint() const { return FHint; }
  void SetHint(std::string value) { FHint = std::move(value); }
  const std::string& Data() const { return FData; }
  void SetData(std::string value) { FData = std::move(value); }
  const std::string& Description() const { return FDescription; }
  void SetDescription(std::string value) { FDescription = std::move(value); }
  const std::string& ShortDescription() const { return FShortDescription; }
  void SetShortDescription(std::string value) { FShortDescription = std::move(value); }
  /// The number given with the default name; 0 for an item added with a name of its own.
  std::uint32_t ItemID() const { return FItemID; }
  /// The list that holds the item.
  TuiFunctions& Collection() const { return FOwner; }

  /// Copies the data block to `ABuffer`, at most `ABufferSize` bytes; returns the bytes copied
  /// (0 when the item has no block).
  std::uint32_t GetBuffer(void* ABuffer, std::uint32_t ABufferSize) const;
  std::uint32_t GetBufferSize() const { return static_cast<std::uint32_t>(FBuffer.size()); }
  /// Replaces the block with a copy of `ABufferSize` bytes of `ABuffer`. A size of 0 or a null
  /// buffer changes nothing.
  void SetBuffer(const void* ABuffer, std::uint32_t ABufferSize);
  /// Calls OnExecute(ItemID, block, size) when it is assigned.
  void RunIt();
  /// Name, or "TuiFunctionItem" when the name is empty.
  std::string DisplayName() const;

  TuiFunctionItemEvent OnExecute;

 private:
  friend class TuiFunctions;
  explicit TuiFunctionItem(TuiFunctions& owner) : FOwner(owner) {}
  void CopyFrom(const TuiFunctionItem& source);

  std::string FName;
  std::string FCaption;
  std::string FHint;
  std::string FData;
  std::vector<std::uint8_t> FBuffer;
  std::string FDescription;
  std::string FShortDescription;
  TuiFunctions& FOwner;
  std::uint32_t FItemID = 0;
};

/// The items in order. References to items stay valid until they are deleted.
class TuiFunctions {
 public:
  explicit TuiFunctions(TuiFunctionManager* owner = nullptr) : FOwner(owner) {}
  TuiFunctions(const TuiFunctions&) = delete;
  TuiFunctions& operator=(const TuiFunctions&) = delete;

  /// Appends an item named "Item<N>" with ItemID N. N is the smallest number from 1 that no item's
  /// name takes (letter case ignored) and no item has as ItemID, so a renamed item's number is
  /// never given twice.
  TuiFunctionItem& Add();
  /// Appends an item with that name and ItemID 0; an empty name is treated as with Add().
  TuiFunctionItem& Add(std::string_view name);
  /// Removes the item at `index`; nothing when there is none.
  void Delete(int index);
  void Clear() { items_.clear(); }
  /// Replaces the items with copies of `source`'s: texts, ItemIDs, data blocks and handlers.
  void Assign(const TuiFunctions& source);

  int Count() const { return static_cast<int>(items_.size()); }
  /// The item at `index`; throws std::out_of_range when there is none.
  TuiFunctionItem& operator[](int index) { return *items_.at(static_cast<std::size_t>(index)); }
  const TuiFunctionItem& operator[](int index) const { return *items_.at(static_cast<std::size_t>(index)); }
  /// The component that owns the list; null for a free-standing list.
  TuiFunctionManager* Owner() const { return FOwner; }

 private:
  TuiFunctionItem& Append();
  bool NumberTaken(std::uint32_t n) const;

  TuiFunctionManager* FOwner;
  std::vector<std::unique_ptr<TuiFunctionItem>> items_;
};

class TuiFunctionManager {
 public:
  TuiFunctionManager() = default;
  TuiFunctionManager(const TuiFunctionManager&) = delete;
  TuiFunctionManager& operator=(const TuiFunctionManager&) = delete;

  TuiFunctions& Items() { return FFunctionItems; }
  const TuiFunctions& Items() const { return FFunctionItems; }
  /// Copies `value`'s items into this component's own list.
  void SetItems(const TuiFunctions& value) { FFunctionItems.Assign(value); }

 private:
  TuiFunctions FFunctionItems{this};
};

}  // namespace q9
