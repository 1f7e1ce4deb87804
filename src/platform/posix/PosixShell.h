#pragma once
// xdg-open for documents, posix_spawn for programs. Children are reaped by a detached waiter, so
// no zombie stays behind. A POSIX desktop offers no raising of another program's window.

#include "platform/Shell.h"

namespace q9 {

class PosixShell : public Shell {
 public:
  bool OpenDocument(const std::string& target) override;
  bool StartProgram(const std::filesystem::path& program, const std::filesystem::path& workingFolder) override;
  bool BringWindowToFront(const std::string&) override { return false; }
};

}  // namespace q9
