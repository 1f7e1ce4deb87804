// q9ctl set: the edits of the window's pages from the command line. Each edit goes to the working
// copies of the chosen profile and group, is folded back, and is saved to the store at once.

#include <algorithm>
#include <cctype>
#include <functional>

#include "DeviceCommands.h"
#include "app/SettingsEditing.h"
#include "input/uiKeyCode.h"
#include "macro/uiMacroClassUnit.h"
#include "model/ButtonFunctionTable.h"
#include "model/CpiStepTable.h"
#include "model/WideText.h"
#include "protocol/FunctionAssignment.h"

namespace q9 {

int ProfileOf(const TDM& dm, const Options& o) { return o.profile >= 0 ? o.profile : dm.FProfileIndex; }

namespace {

void Save(TDM& dm, int profile) {
  dm.SaveBackToCurrentProfileInfo();
  if (!dm.SaveProfileInfoToRegistry(profile))
    throw CommandFailed("cannot save profile " + std::to_string(profile) + ": " + dm.ProfileComponent(profile).LastError());
}

}  // namespace

void EditProfile(TDM& dm, const Options& o, int group, const std::function<void()>& edit) {
  const int profile = ProfileOf(dm, o);
  RefuseToReplaceUnreadable(dm, o, {profile});
  dm.SwitchToProfile(profile, group);
  edit();
  Save(dm, profile);
}

namespace {

void ExpectArguments(const Options& o, std::size_t count, const std::string& usage) {
  if (o.functionArguments.size() != count) throw CommandFailed("\"" + o.function + "\" takes " + usage);
}

// A key the mouse can send: a key without a HID usage would give an entry that does nothing.
TSINGLEKEYINFO KeyArgument(const std::string& name) {
  std::int32_t vk = 0, extended = 0;
  if (!FindKeyByName(name, vk, extended)) throw CommandFailed("unknown key \"" + name + "\" (see q9ctl keys)");
  if (!IsSendableKey(vk, extended))
    throw CommandFailed("the mouse cannot send the key \"" + name +
                        "\": it has no HID code (q9ctl keys lists the codes; use e.g. L CTRL instead of CTRL)");
  return {static_cast<Word>(vk), static_cast<Word>(extended)};
}

int NumberArgument(const std::string& text, int low, int high, const std::string& what) {
  std::size_t used = 0;
  int value = 0;
  try {
    value = std::stoi(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != text.size() || value < low || value > high)
    throw CommandFailed(what + " must be a number from " + std::to_string(low) + " to " + std::to_string(high));
  return value;
}

TCOMBOKEYINFO ComboArguments(const Options& o) {
  std::vector<std::string> keys = o.functionArguments;
  std::uint8_t modifier = 0;
  if (keys.size() >= 2 && ParseModifiers(keys.front(), modifier)) keys.erase(keys.begin());
  if (keys.empty() || keys.size() > 2) throw CommandFailed("\"Combo Key...\" takes [MODIFIERS] KEY [KEY2], e.g. Ctrl+Shift A");
  const TSINGLEKEYINFO first = KeyArgument(keys[0]);
  const TSINGLEKEYINFO second = keys.size() == 2 ? KeyArgument(keys[1]) : TSINGLEKEYINFO{0, 0};
  return {first.nKeyValue1, first.nKey1Extended, second.nKeyValue1, second.nKey1Extended, modifier};
}

void AssignMacroByName(TDM& dm, int slot, const Options& o) {
  ExpectArguments(o, 1, "the name of a macro of the group");
  const TuiMacroClass library = TuiMacroClass::CtlCreate(dm.FCurrentButtonMacroSetInfo);
  const int index = library.IndexOfMacroName(Utf16FromUtf8(o.functionArguments[0]));
  if (index < 0) throw CommandFailed("the group has no macro \"" + o.functionArguments[0] + "\"");
  if (!AssignMacro(dm.FCurrentButtonConfigInfo, slot, dm.FCurrentButtonMacroSetInfo, index))
    throw CommandFailed("You can assign macro function to buttons shall not exceed 5!");
}

void AssignFunction(TDM& dm, int slot, const Options& o) {
  TBUTTONFUNCINFO& record = dm.FCurrentButtonConfigInfo.ButtonFuncInfo[slot];
  const int index = FunctionIndexOfCaption(o.function);
  if (index < 0) throw CommandFailed("unknown function \"" + o.function + "\"");
  const int menuID = MenuIDOfFunctionIndex(index);
  switch (menuID) {
    case kMenuSingleKey:
      ExpectArguments(o, 1, "a key");
      return AssignSingleKey(record, KeyArgument(o.functionArguments[0]));
    case kMenuComboKey:
      return AssignComboKey(record, ComboArguments(o));
    case kMenuFireKey:
      ExpectArguments(o, 2, "the number of clicks (1-30) and the delay in ms (10-5000)");
      return AssignFireKey(record, {static_cast<Word>(NumberArgument(o.functionArguments[0], 1, 30, "the number of clicks")),
                                    static_cast<Word>(NumberArgument(o.functionArguments[1], 10, 5000, "the delay"))});
    case kMenuMacroKeys:
      return AssignMacroByName(dm, slot, o);
    default:
      ExpectArguments(o, 0, "no arguments");
      AssignMenuFunction(record, menuID);
  }
}

int SetButton(TDM& dm, const Options& o, std::ostream& out) {
  EditProfile(dm, o, o.group, [&] {
    const int count = std::clamp<int>(dm.FCurrentMouseSettingInfo.ButtonCount, 0, kButtonsPerGroup);
    if (o.button < 1 || o.button > count)
      throw CommandFailed("the profile has buttons 1 to " + std::to_string(count));
    AssignFunction(dm, o.button - 1, o);
  });
  out << "profile " << ProfileOf(dm, o) << ", button " << o.button << ": " << o.function << "\n";
  return 0;
}

int StepOfCpi(int cpi) {
  for (const CpiStep& step : CpiStepTable)
    if (step.cpi == cpi) return step.step;
  throw CommandFailed("the CPI steps are 400, 800, 1200, 1600, 2000, 2500, 3000, 3500 and 4000");
}

int SetCpi(TDM& dm, const Options& o, std::ostream& out) {
  const int step = StepOfCpi(o.cpi);
  EditProfile(dm, o, 0, [&] { SetCpiLevelStep(dm.FCurrentMouseSettingInfo, o.level - 1, step); });
  out << "profile " << ProfileOf(dm, o) << ", CPI level " << o.level << ": " << o.cpi << " CPI\n";
  return 0;
}

int SetCpiLevel(TDM& dm, const Options& o, std::ostream& out) {
  const bool on = o.onOff == "on";
  EditProfile(dm, o, 0, [&] {
    if (!SetCpiLevelEnabled(dm.FCurrentMouseSettingInfo, o.level - 1, on))
      throw CommandFailed("level " + std::to_string(o.level) + " is the only level on: one level always stays on");
  });
  out << "profile " << ProfileOf(dm, o) << ", CPI level " << o.level << ": " << o.onOff << "\n";
  return 0;
}

int SetRate(TDM& dm, const Options& o, std::ostream& out) {
  RefuseToReplaceUnreadable(dm, o, kEveryProfile);
  if (!SetReportRate(dm, o.rate)) throw CommandFailed("the report rates are 125, 250, 333, 500 and 1000 Hz");
  // Every profile is saved, as the window saves them all; the first failure says where and why.
  std::string failure;
  for (int i = 0; i < kGameProfileCount; ++i)
    if (!dm.SaveProfileInfoToRegistry(i) && failure.empty())
      failure = "cannot save profile " + std::to_string(i) + ": " + dm.ProfileComponent(i).LastError();
  if (!failure.empty()) throw CommandFailed(failure);
  out << "report rate " << o.rate << " Hz in every profile (apply with --rate-changed to send it)\n";
  return 0;
}

Byte LevelArgument(const std::string& text, const std::string& what) {
  static const char* const kNames[] = {"off", "low", "middle", "high"};
  for (Byte i = 0; i < 4; ++i)
    if (text == kNames[i] || text == std::to_string(i)) return i;
  throw CommandFailed(what + " is off, low, middle or high (0-3)");
}

void ParseColor(const std::string& text, TLEDCONFIG& light) {
  const std::string hex = text.rfind('#', 0) == 0 ? text.substr(1) : text;
  if (hex.size() != 6 || !std::all_of(hex.begin(), hex.end(), [](unsigned char c) { return std::isxdigit(c); }))
    throw CommandFailed("the colour is six hexadecimal digits, e.g. FF0000");
  const unsigned long rgb = std::stoul(hex, nullptr, 16);
  light.R = static_cast<Byte>(rgb >> 16);
  light.G = static_cast<Byte>(rgb >> 8);
  light.B = static_cast<Byte>(rgb);
}

int SetLight(TDM& dm, const Options& o, std::ostream& out) {
  if (o.color.empty() && o.brightness.empty() && o.breathing.empty())
    throw CommandFailed("set light takes --color, --brightness and/or --breathing");
  EditProfile(dm, o, 0, [&] {
    TLEDCONFIG& light = dm.FCurrentMouseSettingInfo.LEDConfig;
    if (!o.color.empty()) ParseColor(o.color, light);
    if (!o.brightness.empty()) light.BRIGHT_LEVEL = LevelArgument(o.brightness, "the brightness");
    if (!o.breathing.empty()) light.BREATH_SPEED = LevelArgument(o.breathing, "the breathing speed");
  });
  out << "profile " << ProfileOf(dm, o) << ": light set\n";
  return 0;
}

int SetModeProfile(TDM& dm, int slot, const Options& o, std::ostream& out) {
  RefuseToReplaceUnreadable(dm, o, {-1});
  dm.FAllProfileSettingInfo.ReservedData.IntegerData[slot] = o.modeProfile;
  if (!dm.SaveBackToAllProfileSettingInfo()) throw CommandFailed("cannot save the settings: " + dm.uiProfileInfo.LastError());
  out << "memory locations hold profiles " << MemoryLocationProfileText(dm) << "\n";
  return 0;
}

int SetMode1(TDM& dm, const Options& o, std::ostream& out) { return SetModeProfile(dm, kSlotMode1Profile, o, out); }
int SetMode2(TDM& dm, const Options& o, std::ostream& out) { return SetModeProfile(dm, kSlotMode2Profile, o, out); }

void AddProfileOption(CLI::App* command, Options& o) {
  command->add_option("--profile", o.profile, "Game profile (0-4; default the current one)")->check(CLI::Range(0, 4));
}

}  // namespace

void AddSetCommands(CLI::App& app, Options& o, Command& command) {
  CLI::App* set = app.add_subcommand("set", "Change a setting and save it");
  set->require_subcommand(1);

  CLI::App* button = set->add_subcommand("button", "Give button N (1-8) a function of the assignment menu");
  button->add_option("button", o.button, "Button (1-8)")->required();
  button->add_option("function", o.function,
                     "\"Click\", \"Right Click\", ..., \"Single Key...\" KEY, \"Combo Key...\" [MODS] KEY [KEY2], "
                     "\"Copy\", \"Mute\", ..., \"Fire Key(Multi-Click)\" CLICKS DELAY, \"Macro Keys...\" NAME, "
                     "\"DPI Switch\", \"DPI+\", \"DPI-\", \"Mode Switch\", \"Disable\"")
      ->required();
  button->add_option("arguments", o.functionArguments, "The function's arguments");
  button->add_option("--group", o.group, "Button group: 0 plain, 1 Alt, 2 Ctrl, 3 Shift")->check(CLI::Range(0, 3));
  AddProfileOption(button, o);
  button->callback([&] { command = SetButton; });

  CLI::App* cpi = set->add_subcommand("cpi", "Set CPI level L (1-4) to a CPI step");
  cpi->add_option("level", o.level, "Level (1-4)")->required()->check(CLI::Range(1, 4));
  cpi->add_option("cpi", o.cpi, "400, 800, 1200, 1600, 2000, 2500, 3000, 3500 or 4000")->required();
  AddProfileOption(cpi, o);
  cpi->callback([&] { command = SetCpi; });

  CLI::App* level = set->add_subcommand("cpi-level", "Switch CPI level L (1-4) on or off");
  level->add_option("level", o.level, "Level (1-4)")->required()->check(CLI::Range(1, 4));
  level->add_option("state", o.onOff, "on or off")->required()->check(CLI::IsMember({"on", "off"}));
  AddProfileOption(level, o);
  level->callback([&] { command = SetCpiLevel; });

  CLI::App* rate = set->add_subcommand("report-rate", "Set the report rate of every profile");
  rate->add_option("hz", o.rate, "125, 250, 333, 500 or 1000")->required();
  rate->callback([&] { command = SetRate; });

  CLI::App* light = set->add_subcommand("light", "Set the light");
  light->add_option("--color", o.color, "RRGGBB");
  light->add_option("--brightness", o.brightness, "off, low, middle or high");
  light->add_option("--breathing", o.breathing, "off, low, middle or high");
  AddProfileOption(light, o);
  light->callback([&] { command = SetLight; });

  for (int location : {1, 2}) {
    CLI::App* mode = set->add_subcommand("mode" + std::to_string(location),
                                         "The game profile memory location Mode" + std::to_string(location) + " holds");
    mode->add_option("profile", o.modeProfile, "Game profile (0-4)")->required()->check(CLI::Range(0, 4));
    mode->callback([&command, location] { command = location == 1 ? SetMode1 : SetMode2; });
  }
}

}  // namespace q9
