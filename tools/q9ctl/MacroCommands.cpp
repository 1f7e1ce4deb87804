// q9ctl macro: the macro lists of the button groups, as the macro editor edits them. Steps are
// read and shown in the text form of MacroSteps.h, so `show` prints what `add` takes.

#include <algorithm>
#include <cstring>
#include <memory>

#include "DeviceCommands.h"
#include "MacroSteps.h"
#include "macro/uiMacroClassUnit.h"
#include "model/WideText.h"
#include "protocol/FunctionAssignment.h"

namespace q9 {

namespace {

// The editor lets a user create at most this many macros in a group (the record holds one more).
constexpr int kMostMacrosPerGroup = 20;
const char* const kGroupNames[] = {"plain", "Alt", "Ctrl", "Shift"};

std::string Where(const TDM& dm, const Options& o) {
  return "profile " + std::to_string(ProfileOf(dm, o)) + ", group " + kGroupNames[o.group];
}

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

TMACROKEYINFOLIST StoredMacros(const TDM& dm, const Options& o) {
  const auto profile = std::make_unique<TMouseProfileInfoEasyShiftEx>();
  dm.ReadProfileInfo(*profile, ProfileOf(dm, o));
  return profile->MacroKeyInfoListSet[o.group];
}

const TMACROKEYINFO& FindMacro(const TMACROKEYINFOLIST& list, const TDM& dm, const Options& o) {
  const int index = TuiMacroClass::CtlCreate(list).IndexOfMacroName(Utf16FromUtf8(o.macroName));
  if (index < 0) throw CommandFailed(Where(dm, o) + " has no macro " + Quoted(o.macroName) + " (q9ctl macro list shows them)");
  return list.MacroInfos[index];
}

// A name the list can take: not empty, fitting szMacroName, not used in the group yet.
void ExpectNewName(const TuiMacroClass& library, const std::string& name, const std::string& where) {
  if (name.empty()) throw CommandFailed("a macro name is not empty");
  const std::u16string wide = Utf16FromUtf8(name);
  if (wide.find(u'\0') != std::u16string::npos) throw CommandFailed("a macro name holds no zero character");
  if (wide.size() > static_cast<std::size_t>(kMacroNameMaxUnits))
    throw CommandFailed("the macro name " + Quoted(name) + " is longer than " + std::to_string(kMacroNameMaxUnits) + " characters");
  if (library.MacroExists(wide)) throw CommandFailed(where + " already has a macro " + Quoted(name));
}

// The list written back whole: the macros numbered by position, the slots past them cleared.
void StoreLibrary(TMACROKEYINFOLIST& list, const TuiMacroClass& library) {
  std::memset(list.MacroInfos, 0, sizeof list.MacroInfos);
  library.GetMacroKeyInfoList(list);
}

int ListMacros(TDM& dm, const Options& o, std::ostream& out) {
  const TMACROKEYINFOLIST list = StoredMacros(dm, o);
  const TuiMacroClass library = TuiMacroClass::CtlCreate(list);
  const int count = library.GetMacroListCount();
  out << Where(dm, o) << ": " << (count ? std::to_string(count) : "no") << (count == 1 ? " macro" : " macros") << "\n";
  for (int i = 0; i < count; ++i) {
    const TMACROKEYINFO& macro = library.Macros()[static_cast<std::size_t>(i)];
    out << "  " << i + 1 << ". " << Quoted(Utf8FromUtf16(MacroName(macro))) << ": "
        << std::clamp<int>(macro.MacroListCount, 0, kMacroStepCount) << " entries, loop " << macro.nLoopCount << "\n";
  }
  return 0;
}

int ShowMacro(TDM& dm, const Options& o, std::ostream& out) {
  out << MacroStepsText(FindMacro(StoredMacros(dm, o), dm, o)) << "\n";
  return 0;
}

ParsedMacroSteps StepsToAdd(const Options& o) {
  ParsedMacroSteps steps;
  try {
    steps = ParseMacroSteps(o.steps);
  } catch (const MacroStepError& e) {
    throw CommandFailed("cannot add macro " + Quoted(o.macroName) + ": " + e.what() + "; nothing was stored");
  }
  if (o.loop >= 0 && steps.loopCount && *steps.loopCount != o.loop)
    throw CommandFailed("cannot add macro " + Quoted(o.macroName) + ": --loop " + std::to_string(o.loop) +
                        " and the steps' loop " + std::to_string(*steps.loopCount) + " differ");
  if (o.loop >= 0) steps.loopCount = static_cast<Word>(o.loop);
  return steps;
}

int AddMacro(TDM& dm, const Options& o, std::ostream& out) {
  const ParsedMacroSteps steps = StepsToAdd(o);
  EditProfile(dm, o, o.group, [&] {
    TMACROKEYINFOLIST& list = dm.FCurrentButtonMacroSetInfo;
    TuiMacroClass library = TuiMacroClass::CtlCreate(list);
    ExpectNewName(library, o.macroName, Where(dm, o));
    if (library.GetMacroListCount() >= kMostMacrosPerGroup)
      throw CommandFailed(Where(dm, o) + " already holds " + std::to_string(library.GetMacroListCount()) +
                          " macros; a group holds at most " + std::to_string(kMostMacrosPerGroup));
    library.CreateNewMacro(Utf16FromUtf8(o.macroName));
    StoreLibrary(list, library);
    TMACROKEYINFO& macro = list.MacroInfos[library.GetMacroListCount() - 1];
    std::copy(steps.entries.begin(), steps.entries.end(), macro.MacroList);
    macro.MacroListCount = static_cast<Integer>(steps.entries.size());
    // Delays are shown in the editor only with this flag; without it rows and entries part.
    macro.nAutoAddDelay = 1;
    macro.nLoopCount = steps.loopCount.value_or(0);
  });
  out << Where(dm, o) << ": added macro " << Quoted(o.macroName) << " (" << steps.entries.size() << " entries)\n";
  return 0;
}

int RemoveMacro(TDM& dm, const Options& o, std::ostream& out) {
  EditProfile(dm, o, o.group, [&] {
    TMACROKEYINFOLIST& list = dm.FCurrentButtonMacroSetInfo;
    const std::u16string name = Utf16FromUtf8(o.macroName);
    FindMacro(list, dm, o);
    for (int slot = 0; slot < kButtonsPerGroup; ++slot) {
      const TBUTTONFUNCINFO& button = dm.FCurrentButtonConfigInfo.ButtonFuncInfo[slot];
      if (button.nFunctionType == kFunctionMacro && MacroName(button.MacroKeyInfo) == name)
        throw CommandFailed("button " + std::to_string(slot + 1) + " of " + Where(dm, o) + " plays macro " + Quoted(o.macroName) +
                            "; give it another function first (q9ctl set button); nothing was changed");
    }
    TuiMacroClass library = TuiMacroClass::CtlCreate(list);
    library.DeleteMacro(name);
    StoreLibrary(list, library);
    RelinkMacroSlots(dm.FCurrentButtonConfigInfo, kButtonsPerGroup, list);
  });
  out << Where(dm, o) << ": removed macro " << Quoted(o.macroName) << "\n";
  return 0;
}

int RenameMacro(TDM& dm, const Options& o, std::ostream& out) {
  EditProfile(dm, o, o.group, [&] {
    TMACROKEYINFOLIST& list = dm.FCurrentButtonMacroSetInfo;
    const TuiMacroClass library = TuiMacroClass::CtlCreate(list);
    const int index = library.IndexOfMacroName(Utf16FromUtf8(o.macroName));
    FindMacro(list, dm, o);
    ExpectNewName(library, o.newMacroName, Where(dm, o));
    const std::u16string oldName = Utf16FromUtf8(o.macroName);
    SetWideField(list.MacroInfos[index].szMacroName, kMacroNameLength, Utf16FromUtf8(o.newMacroName));
    // The buttons that play it keep playing it under the new name.
    for (int slot = 0; slot < kButtonsPerGroup; ++slot) {
      TBUTTONFUNCINFO& button = dm.FCurrentButtonConfigInfo.ButtonFuncInfo[slot];
      if (button.nFunctionType == kFunctionMacro && MacroName(button.MacroKeyInfo) == oldName)
        SetWideField(button.MacroKeyInfo.szMacroName, kMacroNameLength, Utf16FromUtf8(o.newMacroName));
    }
    RelinkMacroSlots(dm.FCurrentButtonConfigInfo, kButtonsPerGroup, list);
  });
  out << Where(dm, o) << ": renamed macro " << Quoted(o.macroName) << " to " << Quoted(o.newMacroName) << "\n";
  return 0;
}

void AddPlace(CLI::App* command, Options& o) {
  command->add_option("--profile", o.profile, "Game profile (0-4; default the current one)")->check(CLI::Range(0, 4));
  command->add_option("--group", o.group, "Button group: 0 plain, 1 Alt, 2 Ctrl, 3 Shift")->check(CLI::Range(0, 3));
}

}  // namespace

void AddMacroCommands(CLI::App& app, Options& o, Command& command) {
  CLI::App* macro = app.add_subcommand("macro", "List, show, add, remove or rename the macros of a button group");
  macro->require_subcommand(1);

  CLI::App* list = macro->add_subcommand("list", "List the group's macros");
  AddPlace(list, o);
  list->callback([&] { command = ListMacros; });

  CLI::App* show = macro->add_subcommand("show", "Print a macro's steps as `macro add` takes them");
  show->add_option("name", o.macroName, "Macro name")->required();
  AddPlace(show, o);
  show->callback([&] { command = ShowMacro; });

  CLI::App* add = macro->add_subcommand("add", "Add a macro to the group and save it");
  add->add_option("name", o.macroName, "Macro name (at most 49 characters)")->required();
  add->add_option("steps", o.steps,
                  "Steps separated by commas: KEY down, KEY up, 150ms, Left Button down, Left Button up, Left Click, "
                  "Right Button ..., Middle Button ..., raw T S LO HI, and a last loop N; at most 60 entries")
      ->required();
  add->add_option("--loop", o.loop, "Loop count (0-65535)")->check(CLI::Range(0, 0xFFFF));
  AddPlace(add, o);
  add->callback([&] { command = AddMacro; });

  CLI::App* remove = macro->add_subcommand("remove", "Remove a macro no button plays and save");
  remove->add_option("name", o.macroName, "Macro name")->required();
  AddPlace(remove, o);
  remove->callback([&] { command = RemoveMacro; });

  CLI::App* rename = macro->add_subcommand("rename", "Rename a macro (the buttons that play it keep it) and save");
  rename->add_option("name", o.macroName, "Macro name")->required();
  rename->add_option("new-name", o.newMacroName, "New name (at most 49 characters)")->required();
  AddPlace(rename, o);
  rename->callback([&] { command = RenameMacro; });
}

}  // namespace q9
