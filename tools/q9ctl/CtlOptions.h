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
  bool force = false;  ///< write even while q9config is open on the store
  bool json = false;
  int profile = -1;    ///< --profile of show and set (-1: all, or the current profile)
  int profileArg = 0;  ///< the profile argument of export, import, reset
  std::string file;
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
};

/// A command that cannot do what was asked; its message becomes the one-line error.
class CommandFailed : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

using Command = int (*)(TDM&, const Options&, std::ostream&);

}  // namespace q9
