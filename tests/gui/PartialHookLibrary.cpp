// A hook library that exports the keyboard entry points only, as an old or half-built copy would:
// the loader must release it and use none of it.
extern "C" {
__attribute__((visibility("default"))) void EnableKeyboardHook(void (*)(), void*, int) {}
__attribute__((visibility("default"))) void DisableKeyboardHook() {}
}
