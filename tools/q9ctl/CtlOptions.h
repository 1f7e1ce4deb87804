#pragma once
// What a q9ctl command line asked for, shared by the commands.

#include <stdexcept>
#include <string>
#include <vector>

#include "app/DataModule.h"

namespace q9 {

struct Options {
  std::string storeFolder;
  std::string deviceFolder;
  std::string configFile;
  std::string programPath;
  bool force = false;  ///< --force: replace values that could not be read; write while q9config is open
  bool json = false;
  int profile = -1;    ///< --profile of show and set (-1: all, or the current profile)
  int profileArg = 0;  ///< the profile argument of export, import, reset
  std::string file;
  std::string format;  ///< --format of export and import: "json", "gpx" or empty (by the file's extension)
  bool dryRun = false;  ///< import --dry-run: print the changes, store nothing
  // apply
  bool simulate = false;
  std::string simulatorMemory;
  int mode = 1;
  bool rateChanged = false;
  // set
  int group = 0;
  int button = 0;
  std::string function;
  std::vector<std::string> functionArguments;
  int level = 0;
  int cpi = 0;
  std::string onOff;
  int rate = 0;
  std::string color;
  std::string brightness;
  std::string breathing;
  int modeProfile = 0;
  // macro
  std::string macroName;
  std::string newMacroName;  ///< rename's new name
  std::string steps;
  int loop = -1;  ///< add --loop (-1: not given)
  // driver
  bool driverInstall = true;  ///< install (true) or remove
};

/// A command that cannot do what was asked; its message becomes the one-line error.
class CommandFailed : public std::runtime_error {
 public:
  explicit CommandFailed(const std::string& message, int exitStatus = 1)
      : std::runtime_error(message), exitStatus_(exitStatus) {}
  /// What q9ctl exits with: 1, or a command's own documented status.
  int ExitStatus() const { return exitStatus_; }

 private:
  int exitStatus_;
};

using Command = int (*)(TDM&, const Options&, std::ostream&);

/// Game profiles 0..4 and the settings record (-1): the values `apply` and `set report-rate` save.
inline const std::vector<int> kEveryProfile = {0, 1, 2, 3, 4};
inline const std::vector<int> kEveryValue = {0, 1, 2, 3, 4, -1};

/// Without --force, a command that would save over a value that could not be read fails before it
/// changes anything. `values`: the game profiles it saves, -1 for the settings record.
void RefuseToReplaceUnreadable(const TDM& dm, const Options& o, const std::vector<int>& values);

}  // namespace q9
