#pragma once
// A shell that records what it was asked to open or start.

#include <vector>

#include "platform/Shell.h"

namespace q9 {

class FakeShell : public Shell {
 public:
  bool OpenDocument(const std::string& target) override {
    opened.push_back(target);
    return openSucceeds;
  }
  bool StartProgram(const std::filesystem::path& program, const std::filesystem::path& workingFolder) override {
    started.push_back({program, workingFolder});
    return startSucceeds;
  }
  bool BringWindowToFront(const std::string& className) override {
    raised.push_back(className);
    return true;
  }

  struct Start {
    std::filesystem::path program;
    std::filesystem::path folder;
  };
  std::vector<std::string> opened;
  std::vector<Start> started;
  std::vector<std::string> raised;
  bool openSucceeds = true;
  bool startSucceeds = true;
};

}  // namespace q9
