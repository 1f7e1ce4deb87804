#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "Q9Ctl.h"
#include "TestSupport.h"

namespace q9::test {

// q9ctl run in this process against a store folder of its own, with what it printed kept.
class Q9CtlRunner : public ::testing::Test {
 protected:
  int Run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"q9ctl", "--store", store.str()});
    std::vector<const char*> argv;
    for (const std::string& a : arguments) argv.push_back(a.c_str());
    out.str("");
    err.str("");
    return RunQ9Ctl(static_cast<int>(argv.size()), argv.data(), out, err);
  }
  std::filesystem::path Key() const { return store.path() / "software" / "zoQVGMMouse"; }
  std::vector<std::string> StoredNames() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Key())) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  TempFolder store;
  TempFolder files;
  std::ostringstream out;
  std::ostringstream err;
};

}  // namespace q9::test
