#include "platform/posix/PosixShell.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>
#include <vector>

extern char** environ;

namespace q9 {

namespace {

void ReapLater(pid_t child) {
  std::thread([child] { waitpid(child, nullptr, 0); }).detach();
}

bool Spawn(const std::string& program, const std::vector<std::string>& arguments, const std::filesystem::path& folder,
           bool searchPath) {
  std::vector<char*> argv;
  std::vector<std::string> strings{program};
  strings.insert(strings.end(), arguments.begin(), arguments.end());
  for (auto& text : strings) argv.push_back(text.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  pid_t child = 0;
  const int failed = searchPath ? posix_spawnp(&child, program.c_str(), &actions, nullptr, argv.data(), environ)
                                : posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed) return false;
  ReapLater(child);
  return true;
}

}  // namespace

bool PosixShell::OpenDocument(const std::string& target) {
  if (target.empty()) return false;
  return Spawn("xdg-open", {target}, {}, true);
}

bool PosixShell::StartProgram(const std::filesystem::path& program, const std::filesystem::path& workingFolder) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(program, error) || access(program.c_str(), X_OK) != 0) return false;
  return Spawn(program.string(), {}, workingFolder, false);
}

}  // namespace q9
