#include "components/uiFunctionManager.h"

#include "model/AsciiText.h"

#include <algorithm>
#include <cstring>

namespace q9 {

namespace {

// ASCII folding is exact here: the default names are ASCII, and no other character folds to one
// of their letters.

std::string DefaultItemName(std::uint32_t n) { return "Item" + std::to_string(n); }

}  // namespace

std::uint32_t TuiFunctionItem::GetBuffer(void* ABuffer, std::uint32_t ABufferSize) const {
  const std::uint32_t count = std::min(ABufferSize, GetBufferSize());
  if (count > 0) std::memcpy(ABuffer, FBuffer.data(), count);
  return count;
}

void TuiFunctionItem::SetBuffer(const void* ABuffer, std::uint32_t ABufferSize) {
  if (ABuffer == nullptr || ABufferSize == 0) return;
  const auto* bytes = static_cast<const std::uint8_t*>(ABuffer);
  FBuffer.assign(bytes, bytes + ABufferSize);
}

void TuiFunctionItem::RunIt() {
  if (!OnExecute) return;
  // A copy, because the handler may delete this item and with it OnExecute.
  const TuiFunctionItemEvent handler = OnExecute;
  handler(static_cast<std::int32_t>(FItemID), FBuffer.empty() ? nullptr : FBuffer.data(), GetBufferSize());
}

std::string TuiFunctionItem::DisplayName() const { return FName.empty() ? "TuiFunctionItem" : FName; }

void TuiFunctionItem::CopyFrom(const TuiFunctionItem& source) {
  FName = source.FName;
  FCaption = source.FCaption;
  FHint = source.FHint;
  FData = source.FData;
  FBuffer = source.FBuffer;
  FDescription = source.FDescription;
  FShortDescription = source.FShortDescription;
  FItemID = source.FItemID;
  OnExecute = source.OnExecute;
}

TuiFunctionItem& TuiFunctions::Add() {
  std::uint32_t n = 1;
  while (NumberTaken(n)) ++n;
  TuiFunctionItem& item = Append();
  item.FName = DefaultItemName(n);
  item.FItemID = n;
  return item;
}

TuiFunctionItem& TuiFunctions::Add(std::string_view name) {
  if (name.empty()) return Add();
  TuiFunctionItem& item = Append();
  item.FName = std::string(name);
  return item;
}

void TuiFunctions::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  items_.erase(items_.begin() + index);
}

void TuiFunctions::Assign(const TuiFunctions& source) {
  if (&source == this) return;
  Clear();
  for (const auto& from : source.items_) Append().CopyFrom(*from);
}

TuiFunctionItem& TuiFunctions::Append() {
  items_.push_back(std::unique_ptr<TuiFunctionItem>(new TuiFunctionItem(*this)));
  return *items_.back();
}

bool TuiFunctions::NumberTaken(std::uint32_t n) const {
  const std::string name = DefaultItemName(n);
  return std::ranges::any_of(items_, [&](const auto& item) { return item->FItemID == n || EqualsIgnoringAsciiCase(item->FName, name); });
}

}  // namespace q9
