#pragma once
// What the shipped data/ui.local says for a text in a language ("0804", "0404", ...); empty when the
// file or the language is missing.

#include <filesystem>
#include <string>

#include "lang/LanguageFile.h"

namespace q9::test {

inline std::string Translated(const std::string& languageShortID, const std::string& text) {
  LanguageResources resources;
  std::string error;
  if (!LoadLanguageFile(std::filesystem::path(Q9_SOURCE_DATA) / "ui.local", resources, error)) return {};
  const int index = GetLanguageIndexByShortID(resources, languageShortID);
  return index < 0 ? std::string() : TranslateText(&resources.languages[static_cast<std::size_t>(index)], text);
}

}  // namespace q9::test
