#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

#include "TestSupport.h"

namespace q9::test {

namespace {
constexpr uid_t kNobody = 65534;
}

bool RunUnprivileged(const std::function<bool()>& check) {
  const pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) ::_exit(2);
    ::_exit(check() ? 0 : 1);
  }
  int status = 0;
  return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool FinishesWithin(int seconds, const std::function<bool()>& check) {
  const pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    ::alarm(static_cast<unsigned>(seconds));
    ::_exit(check() ? 0 : 1);
  }
  int status = 0;
  return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void GiveToUnprivileged(const std::filesystem::path& tree) {
  if (::geteuid() != 0) return;
  if (::chown(tree.c_str(), kNobody, kNobody) != 0) throw std::runtime_error("chown " + tree.string());
  if (std::filesystem::is_directory(tree))
    for (const auto& entry : std::filesystem::recursive_directory_iterator(tree))
      if (::chown(entry.path().c_str(), kNobody, kNobody) != 0) throw std::runtime_error("chown " + entry.path().string());
}

}  // namespace q9::test
