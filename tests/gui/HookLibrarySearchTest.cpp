// libuiHook.so is found by name through the program's run path, from any working folder. This test
// program is built into q9config's folder with the same run path as q9config, and checks that
// q9config carries that run path itself.
#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/posix/PosixHookLibrary.h"

namespace q9 {
namespace {

std::filesystem::path ProgramFolder() { return std::filesystem::canonical("/proc/self/exe").parent_path(); }

std::string CommandOutput(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::string output;
  std::array<char, 512> buffer{};
  while (pipe && fgets(buffer.data(), buffer.size(), pipe.get()) != nullptr) output += buffer.data();
  return output;
}

TEST(HookLibrarySearch, TheLibraryBesideTheProgramIsLoadedByNameFromAnotherFolder) {
  ASSERT_EQ(::chdir("/"), 0);
  ASSERT_EQ(std::getenv("LD_LIBRARY_PATH"), nullptr) << "the search path must not be what finds the library";
  PosixHookLibrary library;
  ASSERT_EQ(library.Load(), HookLibrary::LoadResult::kLoaded);
  void* handle = dlopen("libuiHook.so", RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(handle, nullptr);
  link_map* map = nullptr;
  ASSERT_EQ(dlinfo(handle, RTLD_DI_LINKMAP, &map), 0);
  EXPECT_EQ(std::filesystem::canonical(map->l_name).parent_path(), ProgramFolder());
  dlclose(handle);
}

TEST(HookLibrarySearch, TheProgramLooksInItsOwnFolder) {
  const std::filesystem::path program = Q9_CONFIG_PROGRAM;
  EXPECT_EQ(program.parent_path(), ProgramFolder()) << "the library is looked for beside q9config";
  const std::string dynamic = CommandOutput("readelf -d '" + program.string() + "'");
  ASSERT_NE(dynamic.find("NEEDED"), std::string::npos) << "readelf could not read " << program;
  EXPECT_NE(dynamic.find("path: [$ORIGIN]"), std::string::npos) << dynamic;
  EXPECT_TRUE(std::filesystem::exists(ProgramFolder() / "libuiHook.so"));
}

}  // namespace
}  // namespace q9
