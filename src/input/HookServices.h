#pragma once
// What a recording dialog needs to build its TuiHook: the process's hook library, the key state
// source that goes with it, and where the hook's errors are shown. The program makes one at start
// and hands it to every dialog it opens.

#include "input/uiHook.h"

namespace q9 {

struct HookServices {
  HookLibrary& library;
  const KeyStateSource& keyState;
  HookErrorReporter showError;
};

}  // namespace q9
