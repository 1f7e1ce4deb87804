#pragma once
// ShellExecuteW with the verb "open"; FindWindowW and SetForegroundWindow.

#include "platform/Shell.h"

namespace q9 {

class WinShell : public Shell {
 public:
  bool OpenDocument(const std::string& target) override;
  bool StartProgram(const std::filesystem::path& program, const std::filesystem::path& workingFolder) override;
  bool BringWindowToFront(const std::string& className) override;
};

}  // namespace q9
