#pragma once
// Handing things to the desktop: opening a web address, starting a program, raising a window.
//
// Contract: nothing here waits for what it starts or throws; each call says only whether the
// request could be handed over. A program that does not exist is not started (false).

#include <filesystem>
#include <string>

namespace q9 {

class Shell {
 public:
  virtual ~Shell() = default;
  /// Opens a web address or document with the desktop's handler ("open").
  virtual bool OpenDocument(const std::string& target) = 0;
  /// Starts a program, shown normally, with `workingFolder` as its current folder.
  virtual bool StartProgram(const std::filesystem::path& program, const std::filesystem::path& workingFolder) = 0;
  /// Brings the window of that class to the foreground; false when there is none or it cannot be raised.
  virtual bool BringWindowToFront(const std::string& className) = 0;
};

}  // namespace q9
