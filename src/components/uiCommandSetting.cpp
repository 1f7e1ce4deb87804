#include "components/uiCommandSetting.h"

#include "model/AsciiText.h"

#include <algorithm>

namespace q9 {

namespace {

// ASCII folding is exact here: the default names are ASCII, and no other character folds to one
// of their letters.

}  // namespace

TuiCommand& TuiCommands::Add() { return Add(DefaultName()); }

TuiCommand& TuiCommands::Add(std::string_view name) {
  if (name.empty()) return Add();
  items_.push_back(std::unique_ptr<TuiCommand>(new TuiCommand(*this)));
  items_.back()->SetName(std::string(name));
  return *items_.back();
}

void TuiCommands::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  items_.erase(items_.begin() + index);
}

void TuiCommands::Assign(const TuiCommands& source) {
  if (&source == this) return;
  Clear();
  for (const auto& from : source.items_) {
    auto item = std::unique_ptr<TuiCommand>(new TuiCommand(*this));
    item->FName = from->FName;
    item->FDescription = from->FDescription;
    item->OnExecute = from->OnExecute;
    items_.push_back(std::move(item));
  }
}

std::string TuiCommands::DefaultName() const {
  for (int n = 1;; ++n) {
    const std::string candidate = "Command" + std::to_string(n);
    const bool taken = std::ranges::any_of(items_, [&](const auto& item) { return EqualsIgnoringAsciiCase(item->Name(), candidate); });
    if (!taken) return candidate;
  }
}

bool TuiCommandSetting::RunAll(TuiGetSet AType, void* Buffer, std::uint32_t Size) {
  // Copies, because a handler that deletes a command would otherwise destroy the function that
  // is running or shift the list under the loop.
  std::vector<TOnGetAndSetSetting> handlers;
  for (int i = 0; i < FCommands.Count(); ++i)
    if (FCommands[i].OnExecute) handlers.push_back(FCommands[i].OnExecute);
  for (const auto& handler : handlers) handler(AType, Buffer, Size);
  return true;
}

}  // namespace q9
