#pragma once
// The built-in table that ties POSIX locale names to Windows language ids and native names.

#include <string>
#include <string_view>
#include <vector>

#include "platform/SystemLocale.h"

namespace q9 {

struct LocaleRow {
  std::string_view posixName;  ///< "zh_CN"
  std::string_view langId;     ///< "0804"
  std::string_view nativeName;
};

const std::vector<LocaleRow>& BuiltInLocales();

/// Maps a POSIX locale value ("zh_TW.UTF-8", "de_DE@euro", "zh") to a language id; "" when unknown.
std::string LangIdOfPosixLocale(std::string_view value);

/// The table as LocaleEntry rows.
std::vector<LocaleEntry> BuiltInLocaleEntries();

}  // namespace q9
