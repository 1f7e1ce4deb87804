#include <iostream>
#include <string>
#include <vector>

#include "Q9Ctl.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include "platform/windows/WinText.h"

// Windows hands main() its arguments in the ANSI code page; take them from the wide command line
// instead, so that any file name reaches the tool as UTF-8.
int main() {
  SetConsoleOutputCP(CP_UTF8);
  int argc = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) arguments.push_back(q9::NarrowToUtf8(wide[i]));
  LocalFree(wide);
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  return q9::RunQ9Ctl(argc, argv.data(), std::cout, std::cerr);
}
#else
int main(int argc, char** argv) { return q9::RunQ9Ctl(argc, argv, std::cout, std::cerr); }
#endif
