#pragma once
// The language file (ui.local): the original texts and, per language, its translations.
//
// Layout, little-endian, no header. A string is a 32-bit signed length n and n UTF-16LE code units:
//   string      all original texts, one per line, lines separated by CR LF
//   i32         number of languages
//   per language: string (its name), string (lines "original=translation", separated by CR LF)
// A damaged or hostile file (lengths past its end, absurd counts) is refused as a whole.

#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace q9 {

inline constexpr const char* kLanguageFileName = "ui.local";
/// Language files larger than this are refused without being read.
inline constexpr std::uintmax_t kLargestLanguageFile = 64u * 1024u * 1024u;

/// One language: its name ("0409", "US", ...) and its translations by original text.
struct TLanguageResource {
  std::string name;
  std::map<std::string, std::string> translations;
};

/// The whole file: original texts (sorted, case-sensitive, no duplicates) and the languages in order.
struct LanguageResources {
  std::set<std::string> originals;
  std::vector<TLanguageResource> languages;
};

/// Reads a file's bytes; false (with `error` set and `out` unchanged) for a damaged file.
bool ParseLanguageFile(std::span<const std::uint8_t> bytes, LanguageResources& out, std::string& error);
/// The bytes of a file with these resources.
std::vector<std::uint8_t> SerializeLanguageFile(const LanguageResources& resources);
/// Reads a file; false for a missing, unreadable, oversized or damaged one.
bool LoadLanguageFile(const std::filesystem::path& file, LanguageResources& out, std::string& error);

/// The shipped languages, in the order of the language chooser (and of the factory indexes).
inline constexpr const char* kShippedLanguages[] = {"0409", "0804", "0404"};

/// Resources from a translation table: a header line, then lines "English<TAB>0804<TAB>0404"
/// (UTF-8). The English texts become the originals; "0409" gets no translations. False, with a
/// message naming the line, for a line without its three columns.
bool LanguageResourcesFromTable(std::string_view table, LanguageResources& out, std::string& error);

/// A text translated with a dictionary: an empty text stays empty; a text without a line, or whose
/// translation is empty, stays as it is; no dictionary leaves every text as it is.
std::string TranslateText(const TLanguageResource* dictionary, const std::string& text);
/// The original of a translated text (the inverse of TranslateText); the text itself when none.
std::string OriginalOfText(const TLanguageResource* dictionary, const std::string& text);

/// The position of the language of that name, -1 when there is none.
int GetLanguageIndexByShortID(const LanguageResources& resources, std::string_view shortID);
/// The name of the language at `index`, "" when the index is outside the list.
std::string GetLanguageShortIDByIndex(const LanguageResources& resources, int index);

}  // namespace q9
