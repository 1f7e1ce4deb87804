#include <gtest/gtest.h>

#include "components/uiCommandSetting.h"

namespace q9 {
namespace {

std::vector<std::string> Names(const TuiCommands& commands) {
  std::vector<std::string> names;
  for (int i = 0; i < commands.Count(); ++i) names.push_back(commands[i].Name());
  return names;
}

TEST(TuiCommandSetting, RunsEveryAssignedHandlerInOrder) {
  TuiCommandSetting setting;
  std::vector<std::string> calls;
  int data = 0;
  setting.Commands().Add("SetButton").OnExecute = [&](TuiGetSet type, void* buffer, std::uint32_t size) {
    calls.push_back("first " + std::to_string(type) + " " + std::to_string(size));
    EXPECT_EQ(buffer, &data);
  };
  setting.Commands().Add("SetCPI");
  setting.Commands().Add("SetMouseParam").OnExecute = [&](TuiGetSet type, void*, std::uint32_t) {
    calls.push_back("third " + std::to_string(type));
  };

  EXPECT_TRUE(setting.SetData(&data, 4));
  EXPECT_TRUE(setting.GetData(&data, 0));
  EXPECT_EQ(calls, (std::vector<std::string>{"first 1 4", "third 1", "first 0 0", "third 0"}));
}

TEST(TuiCommandSetting, AHandlerMayChangeTheListWhileTheCallRuns) {
  TuiCommandSetting setting;
  int later = 0;
  setting.Commands().Add().OnExecute = [&](TuiGetSet, void*, std::uint32_t) { setting.Commands().Clear(); };
  setting.Commands().Add().OnExecute = [&](TuiGetSet, void*, std::uint32_t) { ++later; };
  EXPECT_TRUE(setting.SetData(nullptr, 0));
  EXPECT_EQ(later, 1) << "the call runs the handlers it started with";
  EXPECT_EQ(setting.Commands().Count(), 0);
}

TEST(TuiCommands, UnnamedCommandsTakeTheFirstFreeNumber) {
  TuiCommandSetting setting;
  TuiCommands& commands = setting.Commands();
  TuiCommand& first = commands.Add();
  commands.Add("");
  commands.Add();
  EXPECT_EQ(Names(commands), (std::vector<std::string>{"Command1", "Command2", "Command3"}));
  EXPECT_EQ(&first, &commands[0]) << "adding keeps references valid";
  EXPECT_EQ(&first.Collection(), &commands);

  commands.Delete(1);
  commands.Delete(7);
  EXPECT_EQ(commands.Add().Name(), "Command2");

  commands.Clear();
  commands.Add("COMMAND1");
  EXPECT_EQ(commands.Add().Name(), "Command2") << "letter case is ignored when names are compared";
  EXPECT_EQ(&commands.Owner()->Commands(), &commands);
}

TEST(TuiCommands, AssignCopiesTheCommandsIntoTheOwnList) {
  TuiCommands source;
  int runs = 0;
  TuiCommand& command = source.Add("SetLED");
  command.SetDescription("light");
  command.OnExecute = [&](TuiGetSet, void*, std::uint32_t) { ++runs; };
  source.Add();

  TuiCommandSetting setting;
  setting.Commands().Add("Stale");
  setting.SetCommands(source);
  source[0].SetName("Changed");
  source.Clear();

  const TuiCommands& copy = setting.Commands();
  EXPECT_EQ(Names(copy), (std::vector<std::string>{"SetLED", "Command1"}));
  EXPECT_EQ(copy[0].Description(), "light");
  EXPECT_EQ(&copy[0].Collection(), &copy);
  EXPECT_EQ(copy.Owner(), &setting);
  setting.SetData(nullptr, 0);
  EXPECT_EQ(runs, 1);

  setting.SetCommands(setting.Commands());
  EXPECT_EQ(copy.Count(), 2) << "assigning a list to itself keeps it";
  EXPECT_THROW(copy[2], std::out_of_range);
}

}  // namespace
}  // namespace q9
