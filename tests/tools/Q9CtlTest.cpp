#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <sstream>
#include <thread>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "MemoryDecode.h"
#include "Q9CtlRunner.h"
#include "SimulatedMouse.h"
#include "TestSupport.h"
#include "storage/StoredLayout.h"
#include "model/ProfileRecords.h"
#include "platform/posix/PosixStoreLock.h"

namespace q9 {
namespace {

using test::Bytes;
using test::Fixture;

class Q9CtlTest : public test::Q9CtlRunner {
 protected:
  test::ScopedEnv lang{"LANG", "zh_TW.UTF-8"};
  test::ScopedEnv lcAll{"LC_ALL", nullptr};
  test::ScopedEnv lcMessages{"LC_MESSAGES", nullptr};
};

TEST_F(Q9CtlTest, FirstShowLeavesExactlyTheSettingsValue) {
  ASSERT_EQ(Run({"show"}), 0) << err.str();
  EXPECT_EQ(StoredNames(), std::vector<std::string>{"qvGMPROFILE.GPX"});
  EXPECT_EQ(test::ReadFile(Key() / "qvGMPROFILE.GPX"), Fixture("factory_settings_0404.bin"));
  EXPECT_NE(out.str().find("4: Forward"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("Traditional Chinese"), std::string::npos);
}

TEST_F(Q9CtlTest, ShowJsonNamesFunctionsAndLevels) {
  ASSERT_EQ(Run({"show", "--json", "--profile", "1"}), 0) << err.str();
  const auto doc = nlohmann::json::parse(out.str());
  ASSERT_EQ(doc["profiles"].size(), 1u);
  const auto& profile = doc["profiles"][0];
  EXPECT_EQ(profile["profile"], 1);
  const auto& buttons = profile["buttonGroups"]["plain"];
  ASSERT_EQ(buttons.size(), 8u);
  EXPECT_EQ(buttons[5]["function"], "DPI Switch");
  EXPECT_EQ(buttons[7]["fireKey"]["clicks"], 3);
  EXPECT_EQ(buttons[7]["fireKey"]["delayMs"], 60);
  EXPECT_EQ(profile["cpiLevels"][3]["cpiX"], 3500);
  EXPECT_EQ(profile["reportRateHz"], 500);
  EXPECT_EQ(profile["light"]["color"], "#FF0000");
  EXPECT_EQ(doc["settings"]["mode2Profile"], 1);
  EXPECT_EQ(doc["settings"]["storage"][4]["storedIn"], "registry");
}

TEST_F(Q9CtlTest, ExportOfAFreshProfileIsTheFactoryImage) {
  ASSERT_EQ(Run({"export", "3", files.str("p3.GPX")}), 0) << err.str();
  EXPECT_EQ(test::ReadFile(files.path() / "p3.GPX"), Fixture("factory_profile.GPX"));
  EXPECT_EQ(StoredNames(), std::vector<std::string>{"qvGMPROFILE.GPX"}) << "export stores nothing";
}

TEST_F(Q9CtlTest, ImportThenExportReproducesTheFileByteForByte) {
  for (const char* fixture : {"factory_profile_sensor16.GPX", "oversized_tail.GPX"}) {
    ASSERT_EQ(Run({"import", "2", test::FixturePath(fixture).string()}), 0) << err.str();
    EXPECT_EQ(test::ReadFile(Key() / "MyProfile2.GPX"), Fixture(fixture)) << "saved to the store";
    ASSERT_EQ(Run({"export", "2", files.str("again.GPX")}), 0) << err.str();
    EXPECT_EQ(test::ReadFile(files.path() / "again.GPX"), Fixture(fixture)) << fixture;
  }
}

TEST_F(Q9CtlTest, ShortImportIsStoredAsAWholeRecordWithAZeroTail) {
  ASSERT_EQ(Run({"import", "0", test::FixturePath("truncated_1000.GPX").string()}), 0) << err.str();
  Bytes expected = Fixture("truncated_1000.GPX");
  expected.resize(332884, 0);
  EXPECT_EQ(test::ReadFile(Key() / "MyProfile0.GPX"), expected)
      << "the first 1000 bytes came from the file, the rest is a fresh record's (zero), not the old profile's";
}

TEST_F(Q9CtlTest, BadImportsFailAndDamageNothing) {
  ASSERT_EQ(Run({"import", "1", test::FixturePath("factory_profile_sensor16.GPX").string()}), 0);
  const Bytes stored = test::ReadFile(Key() / "MyProfile1.GPX");
  std::filesystem::create_directory(files.path() / "dir.GPX");
  for (const std::string& bad : {files.str("dir.GPX"), test::FixturePath("empty.GPX").string(), files.str("missing.GPX")}) {
    EXPECT_EQ(Run({"import", "1", bad}), 1) << bad;
    const std::string message = err.str();
    EXPECT_EQ(message.rfind("q9ctl: cannot import", 0), 0u) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << "one line";
  }
  EXPECT_EQ(test::ReadFile(Key() / "MyProfile1.GPX"), stored);
}

TEST_F(Q9CtlTest, JsonExportThenImportStoresTheSameImage) {
  for (const char* fixture : {"rich_profile.GPX", "oversized_tail.GPX"}) {
    ASSERT_EQ(Run({"import", "2", test::FixturePath(fixture).string()}), 0) << err.str();
    const Bytes stored = test::ReadFile(Key() / "MyProfile2.GPX");
    ASSERT_EQ(Run({"export", "2", files.str("p2.JSON")}), 0) << err.str();
    EXPECT_EQ(nlohmann::json::parse(test::ReadFile(files.path() / "p2.JSON"))["schemaVersion"], 1) << "chosen by the extension";
    ASSERT_EQ(Run({"reset", "2"}), 0);
    ASSERT_EQ(Run({"import", "2", files.str("p2.JSON")}), 0) << err.str();
    EXPECT_EQ(test::ReadFile(Key() / "MyProfile2.GPX"), stored) << fixture;
  }
  ASSERT_EQ(Run({"export", "2", "--format", "json", files.str("p2.GPX")}), 0) << err.str();
  EXPECT_NO_THROW(nlohmann::json::parse(test::ReadFile(files.path() / "p2.GPX"))) << "--format wins over the extension";
  ASSERT_EQ(Run({"export", "2", "--format", "gpx", files.str("raw.json")}), 0) << err.str();
  EXPECT_EQ(test::ReadFile(files.path() / "raw.json"), test::ReadFile(Key() / "MyProfile2.GPX"));
}

TEST_F(Q9CtlTest, DryRunListsTheChangesAndStoresNothing) {
  ASSERT_EQ(Run({"export", "1", files.str("p1.json")}), 0) << err.str();
  auto doc = nlohmann::json::parse(test::ReadFile(files.path() / "p1.json"));
  doc["buttonGroups"]["plain"][2] = {{"function", "Copy"}};
  doc["cpiLevels"][1]["x"] = 2500;
  const std::string text = doc.dump();
  test::WriteFile(files.path() / "edited.json", Bytes(text.begin(), text.end()));
  ASSERT_EQ(Run({"import", "--dry-run", "1", files.str("edited.json")}), 0) << err.str();
  EXPECT_EQ(out.str(), "importing " + files.str("edited.json") + " into profile 1 would change 2 fields:\n"
                       "  button group plain, button 3: Middle Button -> Copy\n  CPI level 2 X: 1600 -> 2500\n");
  EXPECT_EQ(StoredNames(), std::vector<std::string>{"qvGMPROFILE.GPX"}) << "the dry run stores nothing";

  ASSERT_EQ(Run({"import", "--dry-run", "1", test::FixturePath("rich_profile.GPX").string()}), 0) << err.str();
  EXPECT_NE(out.str().find("report rate: 500 Hz -> 1000 Hz"), std::string::npos) << out.str();
  EXPECT_EQ(StoredNames(), std::vector<std::string>{"qvGMPROFILE.GPX"});

  ASSERT_EQ(Run({"import", "1", files.str("edited.json")}), 0) << err.str();
  Bytes expected = Fixture("factory_profile.GPX");
  const Bytes stored = test::ReadFile(Key() / "MyProfile1.GPX");
  std::size_t differ = 0;
  for (std::size_t i = 0; i < stored.size(); ++i) differ += stored[i] != expected[i];
  EXPECT_GT(differ, 0u);
  ASSERT_EQ(Run({"import", "--dry-run", "1", files.str("edited.json")}), 0) << err.str();
  EXPECT_NE(out.str().find("would change nothing"), std::string::npos) << out.str();
}

TEST_F(Q9CtlTest, BadJsonImportsNameTheFieldAndDamageNothing) {
  ASSERT_EQ(Run({"import", "1", test::FixturePath("rich_profile.GPX").string()}), 0);
  const Bytes stored = test::ReadFile(Key() / "MyProfile1.GPX");
  ASSERT_EQ(Run({"export", "1", files.str("good.json")}), 0);
  auto doc = nlohmann::json::parse(test::ReadFile(files.path() / "good.json"));
  doc["buttonGroups"]["plain"][2]["function"] = "Clik";
  const std::string bad = doc.dump();
  test::WriteFile(files.path() / "bad.json", Bytes(bad.begin(), bad.end()));
  test::WriteFile(files.path() / "not.json", Bytes{'{', 'x'});
  for (const std::string& file : {files.str("bad.json"), files.str("not.json")})
    for (bool dryRun : {false, true}) {
      EXPECT_EQ(Run(dryRun ? std::vector<std::string>{"import", "--dry-run", "1", file} : std::vector<std::string>{"import", "1", file}), 1);
      const std::string message = err.str();
      EXPECT_EQ(message.rfind("q9ctl: cannot import " + file + ": ", 0), 0u) << message;
      EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << "one line: " << message;
    }
  EXPECT_NE(err.str().find("not JSON"), std::string::npos) << err.str();
  Run({"import", "1", files.str("bad.json")});
  EXPECT_NE(err.str().find("buttonGroups.plain[2].function: unknown function \"Clik\""), std::string::npos) << err.str();
  EXPECT_EQ(test::ReadFile(Key() / "MyProfile1.GPX"), stored);
}

TEST_F(Q9CtlTest, ResetStoresTheFactoryProfile) {
  ASSERT_EQ(Run({"import", "4", test::FixturePath("factory_profile_sensor16.GPX").string()}), 0);
  ASSERT_EQ(Run({"reset", "4"}), 0) << err.str();
  EXPECT_EQ(test::ReadFile(Key() / "MyProfile4.GPX"), Fixture("factory_profile.GPX"));
}

TEST_F(Q9CtlTest, UsageErrors) {
  EXPECT_EQ(Run({"export", "5", files.str("x.GPX")}), 2);
  EXPECT_NE(err.str().find("5"), std::string::npos);
  EXPECT_EQ(Run({"reset"}), 2);
  EXPECT_EQ(Run({"frobnicate"}), 2);
  EXPECT_EQ(Run({}), 2);
  EXPECT_EQ(Run({"--help"}), 0);
  EXPECT_NE(out.str().find("export"), std::string::npos);
}

TEST_F(Q9CtlTest, SetCommandsEditAndSaveTheProfile) {
  ASSERT_EQ(Run({"set", "button", "4", "Single Key...", "F5", "--profile", "3"}), 0) << err.str();
  ASSERT_EQ(Run({"set", "button", "5", "Combo Key...", "Ctrl+Shift", "A", "--profile", "3"}), 0) << err.str();
  ASSERT_EQ(Run({"set", "button", "6", "Mute", "--profile", "3", "--group", "1"}), 0) << err.str();
  ASSERT_EQ(Run({"set", "button", "7", "Fire Key(Multi-Click)", "4", "120", "--profile", "3"}), 0) << err.str();
  ASSERT_EQ(Run({"set", "cpi", "2", "4000", "--profile", "3"}), 0) << err.str();
  ASSERT_EQ(Run({"set", "cpi-level", "1", "off", "--profile", "3"}), 0) << err.str();
  ASSERT_EQ(Run({"set", "light", "--color", "00FF80", "--brightness", "high", "--profile", "3"}), 0) << err.str();
  ASSERT_EQ(Run({"set", "report-rate", "1000"}), 0) << err.str();
  ASSERT_EQ(Run({"set", "mode2", "3"}), 0) << err.str();
  ASSERT_EQ(Run({"show", "--json", "--profile", "3"}), 0) << err.str();
  const auto doc = nlohmann::json::parse(out.str());
  const auto& p = doc["profiles"][0];
  EXPECT_EQ(p["buttonGroups"]["plain"][3]["key"]["name"], "F5");
  EXPECT_EQ(p["buttonGroups"]["plain"][4]["combo"]["text"], "Ctrl+Shift+A");
  EXPECT_EQ(p["buttonGroups"]["alt"][5]["function"], "Mute");
  EXPECT_EQ(p["buttonGroups"]["plain"][5]["function"], "DPI Switch") << "the Alt edit stays in the Alt group";
  EXPECT_EQ(p["buttonGroups"]["plain"][6]["fireKey"]["clicks"], 4);
  EXPECT_EQ(p["cpiLevels"][1]["cpiX"], 4000);
  EXPECT_EQ(p["cpiLevels"][0]["enabled"], false);
  EXPECT_EQ(p["currentCpiLevel"], 2);
  EXPECT_EQ(p["light"]["color"], "#00FF80");
  EXPECT_EQ(p["light"]["brightness"], "high");
  EXPECT_EQ(p["reportRateHz"], 1000);
  EXPECT_EQ(doc["settings"]["mode2Profile"], 3);
  ASSERT_EQ(Run({"show", "--json", "--profile", "0"}), 0);
  EXPECT_EQ(nlohmann::json::parse(out.str())["profiles"][0]["reportRateHz"], 1000) << "the rate is in every profile";
}

TEST_F(Q9CtlTest, BadSetArgumentsChangeNothing) {
  ASSERT_EQ(Run({"show"}), 0);
  const auto storedNames = StoredNames();
  const std::vector<std::vector<std::string>> bad = {
      {"set", "button", "9", "Click"},
      {"set", "button", "1", "Klick"},
      {"set", "button", "1", "Single Key...", "NOSUCHKEY"},
      {"set", "button", "1", "Single Key..."},
      {"set", "button", "1", "Fire Key(Multi-Click)", "31", "60"},
      {"set", "button", "1", "Fire Key(Multi-Click)", "3", "9"},
      {"set", "button", "1", "Macro Keys...", "none"},
      {"set", "button", "1", "Click", "extra"},
      {"set", "cpi", "1", "1000"},
      {"set", "report-rate", "400"},
      {"set", "light", "--color", "red"},
      {"set", "light"},
  };
  for (const auto& command : bad) {
    EXPECT_EQ(Run(command), 1) << command[1] << " " << command.back();
    EXPECT_FALSE(err.str().empty());
  }
  EXPECT_EQ(StoredNames(), storedNames) << "no profile was saved";
  for (int level : {2, 3, 4}) ASSERT_EQ(Run({"set", "cpi-level", std::to_string(level), "off"}), 0);
  EXPECT_EQ(Run({"set", "cpi-level", "1", "off"}), 1) << "the last level stays on";
}

TEST_F(Q9CtlTest, KeysTheMouseCannotSendAreRefused) {
  ASSERT_EQ(Run({"set", "button", "3", "Single Key...", "F5"}), 0) << err.str();
  ASSERT_EQ(Run({"export", "0", files.str("before.GPX")}), 0);
  const std::vector<std::vector<std::string>> refused = {
      {"set", "button", "3", "Single Key...", "Mouse Left Click"},
      {"set", "button", "3", "Single Key...", "CTRL"},
      {"set", "button", "3", "Single Key...", "VK_NULL"},
      {"set", "button", "3", "Single Key...", "SHIFT"},
      {"set", "button", "3", "Combo Key...", "Ctrl", "ALT"},
      {"set", "button", "3", "Combo Key...", "Ctrl", "A", "Mouse Right Click"},
  };
  for (const auto& command : refused) {
    EXPECT_EQ(Run(command), 1) << command.back();
    EXPECT_NE(err.str().find("cannot send the key \"" + command.back() + "\""), std::string::npos) << err.str();
  }
  ASSERT_EQ(Run({"export", "0", files.str("after.GPX")}), 0);
  EXPECT_EQ(test::ReadFile(files.path() / "after.GPX"), test::ReadFile(files.path() / "before.GPX")) << "nothing saved";
  for (const char* key : {"A", "L CTRL", "R CTRL", "EXT:ENTER"})
    EXPECT_EQ(Run({"set", "button", "3", "Single Key...", key}), 0) << key << ": " << err.str();
  EXPECT_EQ(Run({"set", "button", "3", "Combo Key...", "Alt", "EXT:ENTER"}), 0) << "no second key: " << err.str();
}

TEST_F(Q9CtlTest, ShowGivesTheValuesTheProgramUsesAndNamesReplacedOnes) {
  ASSERT_EQ(Run({"show"}), 0);
  auto settings = std::make_unique<TALLPROFILESETTINGINFO>();
  Bytes stored = test::ReadFile(Key() / "qvGMPROFILE.GPX");
  std::memcpy(settings.get(), stored.data(), sizeof *settings);
  settings->CurrentProfileIndex = 7;
  settings->ReservedData.IntegerData[kSlotMode1Profile] = 9;
  settings->ReservedData.IntegerData[kSlotMode2Profile] = -3;
  test::WriteFile(Key() / "qvGMPROFILE.GPX", test::BytesOf(*settings));
  auto profile = std::make_unique<TMouseProfileInfoEasyShiftEx>();
  Bytes factory = Fixture("factory_profile.GPX");
  std::memcpy(profile.get(), factory.data(), sizeof *profile);
  profile->MouseSettingInfo.CurrentCPIIndex = std::numeric_limits<Integer>::max();
  test::WriteFile(Key() / "MyProfile0.GPX", test::BytesOf(*profile));

  ASSERT_EQ(Run({"show", "--json", "--profile", "0"}), 0) << err.str();
  const auto doc = nlohmann::json::parse(out.str());
  EXPECT_EQ(doc["settings"]["currentProfile"], 0);
  EXPECT_EQ(doc["settings"]["storedCurrentProfile"], 7);
  EXPECT_EQ(doc["settings"]["mode1Profile"], 0);
  EXPECT_EQ(doc["settings"]["storedMode1Profile"], 9);
  EXPECT_EQ(doc["settings"]["mode2Profile"], 1);
  EXPECT_EQ(doc["settings"]["storedMode2Profile"], -3);
  EXPECT_TRUE(doc["profiles"][0]["currentCpiLevel"].is_null()) << doc["profiles"][0]["currentCpiLevel"];
  EXPECT_EQ(doc["profiles"][0]["storedCurrentCpiIndex"], std::numeric_limits<Integer>::max());
  ASSERT_EQ(Run({"show", "--profile", "0"}), 0) << err.str();
  EXPECT_NE(out.str().find("current profile:    0 (stored 7, out of range)"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("Mode2 holds:        profile 1 (stored -3, out of range)"), std::string::npos);
  EXPECT_NE(out.str().find("no active level (stored index 2147483647)"), std::string::npos);

  ASSERT_EQ(Run({"set", "mode2", "4"}), 0) << err.str();
  EXPECT_EQ(out.str(), "memory locations hold profiles 0 (Mode1) and 4 (Mode2)\n");
}

TEST_F(Q9CtlTest, FailuresSayWhatWhereAndWhy) {
  EXPECT_EQ(Run({"apply", "--sim-memory", files.str("mouse.bin")}), 2) << "--sim-memory needs --simulate";
  EXPECT_NE(err.str().find("--simulate"), std::string::npos) << err.str();
  EXPECT_FALSE(std::filesystem::exists(files.path() / "mouse.bin"));

  EXPECT_EQ(Run({"export", "0", ""}), 1);
  EXPECT_EQ(err.str(), "q9ctl: cannot export profile 0: the file name is empty\n");
  EXPECT_EQ(Run({"import", "2", ""}), 1);
  EXPECT_EQ(err.str(), "q9ctl: cannot import into profile 2: the file name is empty\n");

  const std::string socket = (files.path() / "usbglcs00001").string();
  EXPECT_EQ(Run({"--device-dir", files.str(), "device"}), 1);
  EXPECT_EQ(out.str(), "device " + socket + ": not present\n") << "the socket it tried, not a Windows path";
  EXPECT_EQ(err.str(), "q9ctl: no mouse: no driver answers at " + socket + "\n");
  EXPECT_EQ(Run({"--device-dir", files.str(), "apply"}), 1);
  EXPECT_NE(err.str().find("(no driver answers at " + socket + ")"), std::string::npos) << err.str();
}

TEST_F(Q9CtlTest, ASaveRefusedByTheStoreNamesTheProfileTheFolderAndTheReason) {
  ASSERT_EQ(Run({"show"}), 0);
  test::GiveToUnprivileged(store.path());
  std::filesystem::permissions(Key(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  EXPECT_TRUE(test::RunUnprivileged([&] {
    if (Run({"set", "report-rate", "1000"}) != 1) return false;
    const std::string message = err.str();
    return message.rfind("q9ctl: cannot save profile 0: ", 0) == 0 && message.find(Key().string()) != std::string::npos &&
           message.find("Permission denied") != std::string::npos;
  }));
}

// Runs each command in its own process, all released at the same moment; returns their exit codes.
std::vector<int> RunTogether(const std::vector<std::function<int()>>& commands) {
  int start[2];
  if (::pipe(start) != 0) return {};
  std::vector<pid_t> children;
  for (const auto& command : commands) {
    const pid_t child = ::fork();
    if (child == 0) {
      ::close(start[1]);
      char byte;
      [[maybe_unused]] const ssize_t n = ::read(start[0], &byte, 1);  // returns when the parent closes its end
      ::_exit(command());
    }
    children.push_back(child);
  }
  ::close(start[0]);
  ::close(start[1]);
  std::vector<int> codes;
  for (const pid_t child : children) {
    int status = 0;
    ::waitpid(child, &status, 0);
    codes.push_back(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  }
  return codes;
}

TEST_F(Q9CtlTest, CommandsRunTogetherKeepEveryChange) {
  ASSERT_EQ(Run({"show"}), 0);
  std::vector<std::function<int()>> commands;
  for (int button = 1; button <= 8; ++button)
    commands.push_back([this, button] {
      return Run({"set", "button", std::to_string(button), "Single Key...", "F" + std::to_string(button)});
    });
  EXPECT_EQ(RunTogether(commands), std::vector<int>(8, 0));
  EXPECT_EQ(RunTogether({[this] { return Run({"set", "mode1", "4"}); }, [this] { return Run({"set", "mode2", "3"}); }}),
            std::vector<int>(2, 0));
  ASSERT_EQ(Run({"show", "--json", "--profile", "0"}), 0);
  const auto doc = nlohmann::json::parse(out.str());
  for (int button = 1; button <= 8; ++button) {
    const auto& shown = doc["profiles"][0]["buttonGroups"]["plain"][button - 1];
    EXPECT_EQ(shown.value("key", nlohmann::json::object()).value("name", ""), "F" + std::to_string(button))
        << "button " << button << ": " << shown.dump();
  }
  EXPECT_EQ(doc["settings"]["mode1Profile"], 4);
  EXPECT_EQ(doc["settings"]["mode2Profile"], 3);
}

TEST_F(Q9CtlTest, AStoreHeldByAnotherWriterIsWaitedForThenBusy) {
  ASSERT_EQ(Run({"show"}), 0);
  PosixStoreLock other(store.path());
  std::string error;
  ASSERT_EQ(other.Lock(StoreLockMode::Exclusive, 0, error), StoreLockResult::Acquired) << error;
  std::thread release([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    other.Unlock();
  });
  EXPECT_EQ(Run({"set", "mode1", "2"}), 0) << "a short turn of another writer is waited for: " << err.str();
  release.join();

  ASSERT_EQ(other.Lock(StoreLockMode::Exclusive, 0, error), StoreLockResult::Acquired);
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(Run({"set", "mode1", "3"}), 1);
  EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(kStoreLockWaitMs - 100));
  EXPECT_EQ(err.str(), "q9ctl: the settings store " + store.str() + " is busy (another q9ctl is writing)\n");
  other.Unlock();
  ASSERT_EQ(Run({"show", "--json"}), 0);
  EXPECT_EQ(nlohmann::json::parse(out.str())["settings"]["mode1Profile"], 2);
}

TEST_F(Q9CtlTest, WritersKeepOffAStoreTheWindowWorksOnUnlessForced) {
  ASSERT_EQ(Run({"set", "mode1", "2"}), 0);
  PosixStoreLock window(store.path());
  std::string error;
  ASSERT_EQ(window.HoldWindowMark(error), StoreLockResult::Acquired) << error;
  for (const std::vector<std::string>& command :
       {std::vector<std::string>{"set", "mode1", "4"}, {"reset", "0"}, {"apply", "--simulate"},
        {"import", "1", test::FixturePath("factory_profile_sensor16.GPX").string()}}) {
    EXPECT_EQ(Run(command), 1) << command[0];
    EXPECT_EQ(err.str(), "q9ctl: q9config is open on this settings store (" + store.str() + "); close it or use --force\n")
        << command[0];
  }
  EXPECT_EQ(Run({"show", "--json"}), 0) << "reading is fine";
  EXPECT_EQ(nlohmann::json::parse(out.str())["settings"]["mode1Profile"], 2) << "nothing was written";
  EXPECT_EQ(Run({"export", "0", files.str("p.GPX")}), 0);
  EXPECT_EQ(Run({"--force", "set", "mode1", "4"}), 0) << err.str();
  test::TempFolder otherStore;
  std::vector<std::string> elsewhere = {"q9ctl", "--store", otherStore.str(), "set", "mode1", "3"};
  std::vector<const char*> argv;
  for (const std::string& a : elsewhere) argv.push_back(a.c_str());
  EXPECT_EQ(RunQ9Ctl(static_cast<int>(argv.size()), argv.data(), out, err), 0) << "another store is not affected";
  window.ReleaseWindowMark();
  EXPECT_EQ(Run({"set", "mode1", "1"}), 0) << "the window has closed: " << err.str();
}

TEST_F(Q9CtlTest, LeftoversOfKilledSavesGoUnlessAWindowMaySaveRightNow) {
  ASSERT_EQ(Run({"set", "mode1", "2"}), 0);
  const Bytes settings = test::ReadFile(Key() / "qvGMPROFILE.GPX");
  test::WriteFile(Key() / ".q9tmp.qvGMPROFILE.GPX.k1ll3d", Bytes(31200, 0xEE));
  {
    PosixStoreLock window(store.path());
    std::string error;
    ASSERT_EQ(window.HoldWindowMark(error), StoreLockResult::Acquired) << error;
    ASSERT_EQ(Run({"show"}), 0);
    EXPECT_TRUE(std::filesystem::exists(Key() / ".q9tmp.qvGMPROFILE.GPX.k1ll3d")) << "the window's save may be on its way";
  }
  ASSERT_EQ(Run({"show"}), 0) << err.str();
  EXPECT_EQ(StoredNames(), std::vector<std::string>{"qvGMPROFILE.GPX"});
  EXPECT_EQ(test::ReadFile(Key() / "qvGMPROFILE.GPX"), settings);
}

TEST_F(Q9CtlTest, AStoreFolderThatCannotBeEnteredIsNamedWithTheReason) {
  ASSERT_EQ(Run({"show"}), 0);
  test::GiveToUnprivileged(store.path());
  std::filesystem::permissions(store.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  EXPECT_TRUE(test::RunUnprivileged([&] {
    return Run({"set", "mode1", "2"}) == 1 &&
           err.str() == "q9ctl: cannot lock the settings store " + store.str() + ": cannot open " +
                            store.str(".q9config-store.lock") + ": Permission denied\n";
  }));
}

TEST_F(Q9CtlTest, ApplyToTheSimulatedMouse) {
  const std::string memory = files.str("mouse.bin");
  ASSERT_EQ(Run({"set", "button", "1", "Right Click"}), 0);
  ASSERT_EQ(Run({"apply", "--simulate", "--sim-memory", memory, "--mode", "2"}), 0) << err.str();
  EXPECT_NE(out.str().find("applied"), std::string::npos);
  SimulatedMouse mouse;
  ASSERT_TRUE(mouse.LoadImage(test::ReadFile(memory)));
  const auto decoded = DecodeMemory(mouse.Memory(), mouse.CurrentState());
  EXPECT_EQ(decoded["locations"][0]["buttonGroups"]["plain"][0]["function"], "Right Click");
  EXPECT_EQ(decoded["activeLocation"], 1);
  EXPECT_EQ(StoredNames().size(), 6u) << "apply saves everything";
}

TEST_F(Q9CtlTest, SimulatedMemoryThatIsNotAnImageIsRefusedUnread) {
  EXPECT_EQ(Run({"apply", "--simulate", "--sim-memory", "/dev/zero"}), 1);
  EXPECT_NE(err.str().find("/dev/zero is not a regular file"), std::string::npos) << err.str();
  EXPECT_EQ(Run({"apply", "--simulate", "--sim-memory", files.str()}), 1);
  EXPECT_NE(err.str().find("is a folder, not a memory image"), std::string::npos) << err.str();
}

TEST_F(Q9CtlTest, ApplyAndDeviceWithoutAMouseFail) {
  const std::string deviceDir = files.str();
  EXPECT_EQ(Run({"--device-dir", deviceDir, "apply"}), 1);
  EXPECT_NE(err.str().find("Please connect your mouse"), std::string::npos) << err.str();
  EXPECT_EQ(Run({"--device-dir", deviceDir, "device"}), 1);
  EXPECT_NE(out.str().find("not present"), std::string::npos);
}

// Profiles count from 0 in every message of q9ctl, the apply's too.
TEST_F(Q9CtlTest, ApplyNamesAProfileItCannotConvertCountedFromZero) {
  ASSERT_EQ(Run({"reset", "3"}), 0) << err.str();
  ASSERT_EQ(Run({"set", "mode2", "3"}), 0) << err.str();
  const std::filesystem::path value = Key() / GameProfileValueName(3);
  Bytes bytes = test::ReadFile(value);
  auto profile = std::make_unique<TMouseProfileInfoEasyShiftEx>();
  ASSERT_EQ(bytes.size(), sizeof *profile);
  std::memcpy(profile.get(), bytes.data(), bytes.size());
  profile->MouseSettingInfo.CPIState[0].nCPIX = 12;
  std::memcpy(bytes.data(), profile.get(), bytes.size());
  test::WriteFile(value, bytes);
  EXPECT_EQ(Run({"apply", "--simulate"}), 1);
  EXPECT_NE(err.str().find("profile 3: CPI level 1 has step 12 (0..8)"), std::string::npos) << err.str();
}

TEST_F(Q9CtlTest, KeysListsBothTables) {
  ASSERT_EQ(Run({"keys", "--json"}), 0);
  const auto doc = nlohmann::json::parse(out.str());
  ASSERT_EQ(doc["keys"].size(), 255u);
  ASSERT_EQ(doc["extendedKeys"].size(), 255u);
  EXPECT_EQ(doc["keys"][65]["name"], "A");
  EXPECT_EQ(doc["keys"][65]["hid"], 4);
  EXPECT_EQ(doc["extendedKeys"][13]["hid"], 88);
}

TEST_F(Q9CtlTest, ExportIntoAMissingDeepFolderFails) {
  EXPECT_EQ(Run({"export", "0", files.str("a/b/p.GPX")}), 1);
  EXPECT_NE(err.str().find("cannot export profile 0"), std::string::npos) << err.str();
}

std::size_t Lines(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST_F(Q9CtlTest, AFolderInPlaceOfAProfileIsKeptAndNotSavedOver) {
  ASSERT_EQ(Run({"show"}), 0);
  const auto taken = Key() / "MyProfile0.GPX";
  std::filesystem::create_directory(taken);
  ASSERT_EQ(Run({"show", "--profile", "1"}), 0) << err.str();
  EXPECT_EQ(err.str(), "q9ctl: warning: " + taken.string() +
                           " could not be read (a folder is in its place); working on factory settings for it\n");

  EXPECT_EQ(Run({"set", "light", "--color", "00FF00"}), 1) << "profile 0 is the current one";
  EXPECT_NE(err.str().find(taken.string() + " could not be read"), std::string::npos) << err.str();
  EXPECT_NE(err.str().find("--force"), std::string::npos) << err.str();
  EXPECT_EQ(Run({"reset", "0"}), 1);
  EXPECT_EQ(Run({"import", "0", test::FixturePath("rich_profile.GPX").string()}), 1);
  EXPECT_EQ(Run({"set", "report-rate", "250"}), 1) << "it saves every profile";
  EXPECT_EQ(Run({"export", "0", files.str("p0.GPX")}), 1) << "the file would hold factory settings";
  EXPECT_NE(err.str().find("--force"), std::string::npos) << err.str();
  EXPECT_FALSE(std::filesystem::exists(files.path() / "p0.GPX"));
  EXPECT_EQ(Run({"apply", "--simulate"}), 1);
  EXPECT_NE(err.str().find("--force"), std::string::npos) << err.str();
  EXPECT_TRUE(std::filesystem::is_directory(taken));
  EXPECT_EQ(StoredNames(), (std::vector<std::string>{"MyProfile0.GPX", "qvGMPROFILE.GPX"})) << "nothing was saved";

  EXPECT_EQ(Run({"set", "light", "--color", "00FF00", "--profile", "1"}), 0) << err.str();
  EXPECT_EQ(Run({"export", "1", files.str("p1.GPX")}), 0) << err.str();
  EXPECT_EQ(Run({"keys"}), 0);

  // --force lets the saves try; a folder is still not replaced by a file.
  EXPECT_EQ(Run({"--force", "apply", "--simulate"}), 1);
  EXPECT_NE(err.str().find("q9ctl: the settings were not saved: "), std::string::npos) << err.str();
  EXPECT_NE(err.str().find("the mouse got them"), std::string::npos) << err.str();
  EXPECT_TRUE(std::filesystem::is_directory(taken));
  EXPECT_EQ(StoredNames().size(), 6u) << "the other profiles were saved";
}

TEST_F(Q9CtlTest, AFifoInPlaceOfTheSettingsNeitherHangsNorIsReplaced) {
  std::filesystem::create_directories(Key());
  ASSERT_EQ(::mkfifo((Key() / "qvGMPROFILE.GPX").c_str(), 0600), 0);
  EXPECT_TRUE(test::FinishesWithin(10, [&] {
    return Run({"show"}) == 0 && Lines(err.str(), "could not be read") == 1 &&
           Run({"set", "mode1", "2"}) == 1 && err.str().find("--force") != std::string::npos &&
           Run({"set", "light", "--color", "112233"}) == 0;
  }));
  EXPECT_TRUE(std::filesystem::is_fifo(Key() / "qvGMPROFILE.GPX")) << "the start did not store defaults over it";
}

TEST_F(Q9CtlTest, AProfileWithoutReadPermissionIsKeptUntilForced) {
  ASSERT_EQ(Run({"set", "light", "--color", "ABCDEF", "--profile", "2"}), 0);
  const auto locked = Key() / "MyProfile2.GPX";
  const Bytes before = test::ReadFile(locked);
  test::GiveToUnprivileged(store.path());
  std::filesystem::permissions(locked, std::filesystem::perms::owner_write);
  EXPECT_TRUE(test::RunUnprivileged([&] {
    return Run({"show", "--profile", "2"}) == 0 && err.str().find("Permission denied") != std::string::npos &&
           out.str().find("#FF0000") != std::string::npos &&  // the factory light, in memory
           Run({"set", "light", "--color", "00FF00", "--profile", "2"}) == 1 &&
           err.str().find("--force") != std::string::npos;
  }));
  EXPECT_EQ(test::ReadFile(locked), before);
  EXPECT_TRUE(test::RunUnprivileged([&] {
    return Run({"--force", "set", "light", "--color", "00FF00", "--profile", "2"}) == 0;
  }));
  EXPECT_NE(test::ReadFile(locked), before) << "--force replaces it";
}

// Profile 3 cut short sits next to a full profile 2 that is read before it into the same buffer.
TEST_F(Q9CtlTest, AShortProfileIsNotMixedWithTheProfileReadBeforeIt) {
  ASSERT_EQ(Run({"set", "light", "--color", "123456", "--profile", "2"}), 0);
  ASSERT_EQ(Run({"set", "button", "1", "Right Click", "--profile", "2"}), 0);
  ASSERT_EQ(Run({"set", "light", "--color", "654321", "--profile", "3"}), 0);
  Bytes shortImage = test::ReadFile(Key() / "MyProfile3.GPX");
  shortImage.resize(15144 + 100);  // the mouse settings whole, the buttons cut off
  test::WriteFile(Key() / "MyProfile3.GPX", shortImage);

  ASSERT_EQ(Run({"show", "--json"}), 0) << err.str();
  const auto doc = nlohmann::json::parse(out.str());
  EXPECT_EQ(doc["profiles"][3]["light"]["color"], "#654321");
  EXPECT_EQ(doc["profiles"][3]["buttonGroups"]["plain"][0]["deviceCode"], 0) << "not profile 2's Right Click";

  ASSERT_EQ(Run({"set", "report-rate", "250"}), 0) << err.str();
  const Bytes stored = test::ReadFile(Key() / "MyProfile3.GPX");
  ASSERT_EQ(stored.size(), 332884u);
  EXPECT_EQ(Bytes(stored.begin() + 15144, stored.end()), Bytes(332884 - 15144, 0)) << "no bytes of profile 2";
}

TEST_F(Q9CtlTest, ApplyWritesAShortProfileWithoutTheOtherProfilesFunctions) {
  ASSERT_EQ(Run({"set", "button", "1", "Right Click", "--profile", "0"}), 0);
  ASSERT_EQ(Run({"show"}), 0);
  Bytes shortImage = test::ReadFile(Key() / "MyProfile0.GPX");
  shortImage.resize(15144 + 100);
  test::WriteFile(Key() / "MyProfile1.GPX", shortImage);
  const std::string memory = files.str("mouse.bin");
  ASSERT_EQ(Run({"apply", "--simulate", "--sim-memory", memory}), 0) << err.str();
  SimulatedMouse mouse;
  ASSERT_TRUE(mouse.LoadImage(test::ReadFile(memory)));
  const auto decoded = DecodeMemory(mouse.Memory(), mouse.CurrentState());
  EXPECT_EQ(decoded["locations"][0]["buttonGroups"]["plain"][0]["function"], "Right Click");
  EXPECT_NE(decoded["locations"][1]["buttonGroups"]["plain"][0]["function"], "Right Click") << "not profile 0's";
}

class Q9CtlFileProfileTest : public Q9CtlTest {
 protected:
  void KeepProfileInFile(int profile, const std::string& path) {
    ASSERT_EQ(Run({"show"}), 0);
    Bytes settings = test::ReadFile(Key() / "qvGMPROFILE.GPX");
    const std::size_t entry = 6190u * static_cast<std::size_t>(profile);
    settings[entry + 6188] = 1;
    for (std::size_t i = 0; i < path.size(); ++i) settings[entry + 2 + 2 * i] = static_cast<std::uint8_t>(path[i]);
    test::WriteFile(Key() / "qvGMPROFILE.GPX", settings);
  }
};

TEST_F(Q9CtlFileProfileTest, EditsOfAProfileKeptInAFileSurviveTheNextStart) {
  const std::string file = files.str("p1.GPX");
  KeepProfileInFile(1, file);
  ASSERT_EQ(Run({"set", "light", "--color", "00FF80", "--profile", "1"}), 0) << err.str();
  ASSERT_EQ(Run({"show", "--json", "--profile", "1"}), 0) << err.str();
  EXPECT_EQ(nlohmann::json::parse(out.str())["profiles"][0]["light"]["color"], "#00FF80");
  EXPECT_EQ(test::ReadFile(file).size(), 332884u);
  EXPECT_EQ(test::ReadFile(file)[2692 + 10387], 0xFF);
  EXPECT_FALSE(std::filesystem::exists(Key() / "MyProfile1.GPX")) << "saved where it is read from";
}

class Q9CtlExportTest : public Q9CtlTest {};

TEST_F(Q9CtlExportTest, ExportWritesThroughALinkAndKeepsTheMode) {
  test::WriteFile(files.path() / "real.GPX", Bytes{1});
  ASSERT_EQ(::chmod((files.path() / "real.GPX").c_str(), 0600), 0);
  std::filesystem::create_symlink("real.GPX", files.path() / "link.GPX");
  ASSERT_EQ(Run({"export", "0", files.str("link.GPX")}), 0) << err.str();
  EXPECT_TRUE(std::filesystem::is_symlink(files.path() / "link.GPX"));
  EXPECT_EQ(test::ReadFile(files.path() / "real.GPX"), Fixture("factory_profile.GPX"));
  struct stat st {};
  ASSERT_EQ(::stat((files.path() / "real.GPX").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
}

TEST_F(Q9CtlExportTest, ExportToAFifoOrADeviceIsRefusedAndLeavesIt) {
  const auto fifo = files.path() / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_TRUE(test::FinishesWithin(10, [&] {
    return Run({"export", "0", fifo.string()}) == 1 && err.str().find("a FIFO") != std::string::npos;
  }));
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
  const auto node = files.path() / "null";
  if (::mknod(node.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) != 0) GTEST_SKIP() << "cannot make a device node here";
  EXPECT_EQ(Run({"export", "0", node.string()}), 1);
  EXPECT_NE(err.str().find("character device"), std::string::npos) << err.str();
  EXPECT_TRUE(std::filesystem::is_character_file(node)) << "the device node is still there";
}

TEST_F(Q9CtlTest, ApplyOnAReadOnlyStoreFails) {
  ASSERT_EQ(Run({"show"}), 0);
  test::GiveToUnprivileged(store.path());
  test::GiveToUnprivileged(files.path());
  std::filesystem::permissions(Key(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  const std::string memory = files.str("mouse.bin");
  EXPECT_TRUE(test::RunUnprivileged([&] {
    const bool reported = Run({"apply", "--simulate", "--sim-memory", memory}) == 1 &&
                          err.str().rfind("q9ctl: the settings were not saved: ", 0) == 0 &&
                          err.str().find("MyProfile0.GPX") != std::string::npos &&
                          err.str().find("the mouse got them") != std::string::npos &&
                          out.str().find("applied") == std::string::npos;
    if (!reported) std::cerr << err.str() << out.str();
    return reported;
  })) << "apply must not report success";
  std::filesystem::permissions(Key(), std::filesystem::perms::owner_all);
  EXPECT_EQ(StoredNames(), std::vector<std::string>{"qvGMPROFILE.GPX"});
  EXPECT_TRUE(std::filesystem::exists(memory)) << "the mouse got the frames";
}


// ---- q9ctl macro ----

const char* const kGroups[] = {"plain", "alt", "ctrl", "shift"};

class Q9CtlMacroTest : public Q9CtlTest {
 protected:
  std::map<std::string, Bytes> StoredValues() const {
    std::map<std::string, Bytes> values;
    for (const auto& entry : std::filesystem::directory_iterator(Key()))
      values[entry.path().filename().string()] = test::ReadFile(entry.path());
    return values;
  }
  nlohmann::json Buttons(int profile, int group) {
    EXPECT_EQ(Run({"show", "--json", "--profile", std::to_string(profile)}), 0) << err.str();
    return nlohmann::json::parse(out.str())["profiles"][0]["buttonGroups"][kGroups[group]];
  }
  std::string Shown(std::vector<std::string> command) {
    command.insert(command.begin(), {"macro", "show"});
    EXPECT_EQ(Run(command), 0) << err.str();
    return out.str();
  }
};

TEST_F(Q9CtlMacroTest, ShowPrintsWhatAddTakesSoAMacroCopiesBetweenProfiles) {
  const std::string steps = "A down, 150ms, A up, Left Button down, 10ms, Left Button up, EXT:ENTER down, EXT:ENTER up, loop 2";
  ASSERT_EQ(Run({"macro", "add", "Fire", "a DOWN,150 ms, a up, Left Click, EXT:ENTER down, EXT:ENTER up", "--loop", "2"}), 0)
      << err.str();
  EXPECT_EQ(out.str(), "profile 0, group plain: added macro \"Fire\" (8 entries)\n");
  EXPECT_EQ(Shown({"Fire"}), steps + "\n");
  ASSERT_EQ(Run({"macro", "add", "Fire", Shown({"Fire"}), "--profile", "3", "--group", "2"}), 0) << err.str();
  EXPECT_EQ(Shown({"Fire", "--profile", "3", "--group", "2"}), steps + "\n");
  ASSERT_EQ(Run({"macro", "list", "--profile", "3", "--group", "2"}), 0);
  EXPECT_EQ(out.str(), "profile 3, group Ctrl: 1 macro\n  1. \"Fire\": 8 entries, loop 2\n");
  ASSERT_EQ(Run({"macro", "list", "--profile", "3"}), 0);
  EXPECT_EQ(out.str(), "profile 3, group plain: no macros\n") << "the other groups are left alone";
  EXPECT_EQ(Run({"macro", "show", "fire"}), 1) << "names compare with their letter case";
  EXPECT_NE(err.str().find("has no macro \"fire\""), std::string::npos);

  // What the profile stores is what the steps say.
  ASSERT_EQ(Run({"show", "--json", "--profile", "0"}), 0);
  const auto macro = nlohmann::json::parse(out.str())["profiles"][0]["macros"]["plain"][0];
  EXPECT_EQ(macro["stepCount"], 8);
  EXPECT_EQ(macro["loopCount"], 2);
  EXPECT_EQ(macro["steps"][1]["ms"], 150);
  EXPECT_EQ(macro["steps"][6]["vk"], 13);
  EXPECT_EQ(macro["steps"][6]["extended"], true);
}

TEST_F(Q9CtlMacroTest, BadMacrosAreRefusedWithOneMessageAndNothingIsStored) {
  ASSERT_EQ(Run({"macro", "add", "Kept", "A down, A up"}), 0) << err.str();
  const auto before = StoredValues();
  std::string sixtyOne;
  for (int i = 0; i < 61; ++i) sixtyOne += std::string(i ? ", " : "") + "10ms";
  const std::vector<std::pair<std::vector<std::string>, std::string>> bad = {
      {{"macro", "add", "X", "A down, NOSUCHKEY up"}, "step 2 \"NOSUCHKEY up\": unknown key \"NOSUCHKEY\""},
      {{"macro", "add", "X", "65536ms"}, "a delay is at most 65535 ms"},
      {{"macro", "add", "X", sixtyOne}, "step 61 \"10ms\": a macro holds at most 60 entries"},
      {{"macro", "add", "Kept", "A down"}, "already has a macro \"Kept\""},
      {{"macro", "add", "", "A down"}, "a macro name is not empty"},
      {{"macro", "add", std::string(50, 'n'), "A down"}, "longer than 49 characters"},
      {{"macro", "add", "X", "A down, loop 3", "--loop", "4"}, "differ"},
      {{"macro", "remove", "Missing"}, "has no macro \"Missing\""},
      {{"macro", "rename", "Missing", "Y"}, "has no macro \"Missing\""},
      {{"macro", "rename", "Kept", "Kept"}, "already has a macro \"Kept\""},
  };
  for (const auto& [command, message] : bad) {
    EXPECT_EQ(Run(command), 1) << command[2];
    const std::string error = err.str();
    EXPECT_NE(error.find(message), std::string::npos) << error;
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
  }
  EXPECT_EQ(Run({"macro", "add", "X", "A down", "--loop", "65536"}), 2) << "out of range for the option itself";
  EXPECT_EQ(StoredValues(), before) << "no value was saved";
  ASSERT_EQ(Run({"macro", "add", std::string(49, 'n'), "A down"}), 0) << err.str();
}

TEST_F(Q9CtlMacroTest, AGroupTakesTwentyMacrosAndRefusesTheTwentyFirst) {
  for (int i = 1; i <= 20; ++i) ASSERT_EQ(Run({"macro", "add", "m" + std::to_string(i), "A down, A up"}), 0) << i << err.str();
  const auto before = StoredValues();
  EXPECT_EQ(Run({"macro", "add", "m21", "A down"}), 1);
  EXPECT_NE(err.str().find("already holds 20 macros; a group holds at most 20"), std::string::npos) << err.str();
  EXPECT_EQ(StoredValues(), before);
  EXPECT_EQ(Run({"macro", "add", "m21", "A down", "--group", "1"}), 0) << "each group has its own list";
}

TEST_F(Q9CtlMacroTest, RemoveAndRenameKeepTheButtonsOnTheirMacro) {
  for (const char* name : {"One", "Two", "Three"}) ASSERT_EQ(Run({"macro", "add", name, "B down, B up"}), 0) << err.str();
  ASSERT_EQ(Run({"macro", "add", "Two", "C down", "--profile", "1"}), 0);
  ASSERT_EQ(Run({"set", "button", "4", "Macro Keys...", "Three"}), 0) << err.str();
  ASSERT_EQ(Buttons(0, 0)[3]["macro"]["index"], 2);

  const auto before = StoredValues();
  EXPECT_EQ(Run({"macro", "remove", "Three"}), 1);
  EXPECT_NE(err.str().find("button 4 of profile 0, group plain plays macro \"Three\""), std::string::npos) << err.str();
  EXPECT_EQ(StoredValues(), before);

  ASSERT_EQ(Run({"macro", "remove", "One"}), 0) << err.str();
  EXPECT_EQ(out.str(), "profile 0, group plain: removed macro \"One\"\n");
  nlohmann::json button = Buttons(0, 0)[3];
  EXPECT_EQ(button["macro"]["name"], "Three");
  EXPECT_EQ(button["macro"]["index"], 1) << "the button follows its macro to its new position";
  ASSERT_EQ(Run({"macro", "list"}), 0);
  EXPECT_EQ(out.str(), "profile 0, group plain: 2 macros\n  1. \"Two\": 2 entries, loop 0\n  2. \"Three\": 2 entries, loop 0\n");

  ASSERT_EQ(Run({"macro", "rename", "Three", "Drei"}), 0) << err.str();
  button = Buttons(0, 0)[3];
  EXPECT_EQ(button["macro"]["name"], "Drei");
  EXPECT_EQ(button["function"], "Macro Keys...");
  EXPECT_EQ(Shown({"Drei"}), "B down, B up\n");
  EXPECT_EQ(Run({"macro", "remove", "Drei"}), 1) << "the renamed macro is still the button's";
  EXPECT_EQ(Shown({"Two", "--profile", "1"}), "C down\n") << "another profile's macro of the same name is untouched";
}

TEST_F(Q9CtlMacroTest, OnlyTheChangingMacroCommandsWrite) {
  ASSERT_EQ(Run({"macro", "add", "Kept", "A down"}), 0);
  const auto before = StoredValues();
  ASSERT_EQ(Run({"macro", "list", "--profile", "4", "--group", "3"}), 0);
  ASSERT_EQ(Run({"macro", "show", "Kept"}), 0);
  EXPECT_EQ(StoredValues(), before);
}

TEST_F(Q9CtlMacroTest, AnAddedMacroReachesTheMouseWithItsSteps) {
  const std::string memory = files.str("mouse.bin");
  ASSERT_EQ(Run({"macro", "add", "Burst", "A down, 150ms, A up, Left Click, EXT:ENTER down, 2000ms, EXT:ENTER up",
                 "--loop", "3", "--group", "3"}),
            0)
      << err.str();
  ASSERT_EQ(Run({"set", "button", "5", "Macro Keys...", "Burst", "--group", "3"}), 0) << err.str();
  ASSERT_EQ(Run({"apply", "--simulate", "--sim-memory", memory}), 0) << err.str();

  SimulatedMouse mouse;
  ASSERT_TRUE(mouse.LoadImage(test::ReadFile(memory)));
  const auto decoded = DecodeMemory(mouse.Memory(), mouse.CurrentState());
  const auto& button = decoded["locations"][0]["buttonGroups"]["shift"][4];
  ASSERT_EQ(button["function"], "Macro") << button.dump();
  std::vector<std::string> steps;
  for (const auto& step : button["steps"]) {
    const std::string type = step["type"];
    if (type == "key") steps.push_back(step["key"].get<std::string>() + " " + step["action"].get<std::string>());
    else if (type == "mouse") steps.push_back(step["button"].get<std::string>() + " " + step["action"].get<std::string>());
    else if (type == "delay") steps.push_back(std::to_string(step["ms"].get<int>()) + "ms");
    else if (type == "loop") steps.push_back("loop " + std::to_string(step["count"].get<int>()));
    else steps.push_back(step.dump());
  }
  const std::vector<std::string> expected = {"A press",     "150ms",      "A release",     "left press", "10ms",
                                             "left release", "NUMPAD ENTER press", "2000ms", "NUMPAD ENTER release",
                                             "loop 3"};
  EXPECT_EQ(steps, expected);
  EXPECT_EQ(decoded["warnings"], nlohmann::json::array());
}

}  // namespace
}  // namespace q9
