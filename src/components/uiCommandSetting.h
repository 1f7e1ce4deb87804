#pragma once
// TuiCommandSetting: an ordered list of named commands whose handlers all run on one "get" or
// "set" request. Commands are reached by position only; names are for people reading the form.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace q9 {

enum TuiGetSet { uiGet = 0, uiSet = 1 };

/// A command's handler; it may ignore the buffer.
using TOnGetAndSetSetting = std::function<void(TuiGetSet AType, void* Buffer, std::uint32_t BufferSize)>;

class TuiCommands;
class TuiCommandSetting;

/// One command of a TuiCommands list; created and owned by the list.
class TuiCommand {
 public:
  TuiCommand(const TuiCommand&) = delete;
  TuiCommand& operator=(const TuiCommand&) = delete;

  const std::string& Name() const { return FName; }
  /// Any name, also an empty one: the list names only commands it adds.
  void SetName(std::string value) { FName = std::move(value); }
  const std::string& Description() const { return FDescription; }
  void SetDescription(std::string value) { FDescription = std::move(value); }
  /// The list that holds the command.
  TuiCommands& Collection() const { return collection_; }

  TOnGetAndSetSetting OnExecute;

 private:
  friend class TuiCommands;
  explicit TuiCommand(TuiCommands& collection) : collection_(collection) {}

  TuiCommands& collection_;
  std::string FName;
  std::string FDescription;
};

/// The commands in order. References to commands stay valid until they are deleted.
class TuiCommands {
 public:
  explicit TuiCommands(TuiCommandSetting* owner = nullptr) : FOwner(owner) {}
  TuiCommands(const TuiCommands&) = delete;
  TuiCommands& operator=(const TuiCommands&) = delete;

  /// Appends a command named "Command<N>", N the smallest number from 1 that no command's name
  /// takes (letter case ignored).
  TuiCommand& Add();
  /// Appends a command with that name; an empty name gets the default one as with Add().
  TuiCommand& Add(std::string_view name);
  /// Removes the command at `index`; nothing when there is none.
  void Delete(int index);
  void Clear() { items_.clear(); }
  /// Replaces the commands with copies of `source`'s (names, descriptions and handlers).
  void Assign(const TuiCommands& source);

  int Count() const { return static_cast<int>(items_.size()); }
  /// The command at `index`; throws std::out_of_range when there is none.
  TuiCommand& operator[](int index) { return *items_.at(static_cast<std::size_t>(index)); }
  const TuiCommand& operator[](int index) const { return *items_.at(static_cast<std::size_t>(index)); }
  /// The component that owns the list; null for a free-standing list.
  TuiCommandSetting* Owner() const { return FOwner; }

 private:
  std::string DefaultName() const;

  TuiCommandSetting* FOwner;
  std::vector<std::unique_ptr<TuiCommand>> items_;
};

class TuiCommandSetting {
 public:
  TuiCommandSetting() = default;
  TuiCommandSetting(const TuiCommandSetting&) = delete;
  TuiCommandSetting& operator=(const TuiCommandSetting&) = delete;

  TuiCommands& Commands() { return FCommands; }
  const TuiCommands& Commands() const { return FCommands; }
  /// Copies `value`'s commands into this component's own list.
  void SetCommands(const TuiCommands& value) { FCommands.Assign(value); }

  /// Calls every assigned handler in list order with uiGet; always true. The handlers run are
  /// those the list held when the call began, so a handler may change the list.
  bool GetData(void* Buffer, std::uint32_t Size) { return RunAll(uiGet, Buffer, Size); }
  /// The same with uiSet.
  bool SetData(void* Buffer, std::uint32_t Size) { return RunAll(uiSet, Buffer, Size); }

 private:
  bool RunAll(TuiGetSet AType, void* Buffer, std::uint32_t Size);

  TuiCommands FCommands{this};
};

}  // namespace q9
