#pragma once
// IniFile: a read-only Windows-style initialisation file ("[section]" lines, then "key=value" lines).
//
// Reading follows the Windows profile functions where a user would notice a difference:
// - section and key names match ignoring ASCII letter case; whitespace around names and values is dropped;
// - the first section of a name and the first key of a name in it win, later repeats are ignored;
// - one pair of matching single or double quotes around a value is removed;
// - there are no comments after a value ("a=1 ; x" gives "1 ; x"); lines starting with ';' or '#' are comments.
// Line ends may be CRLF, LF or CR; a UTF-8 byte order mark is skipped, and a UTF-16 file (with its byte order
// mark) is read as UTF-8. Anything else that is not a section or key line is ignored, as are keys before the
// first section. A NUL byte ends its line's text.
//
// Hostile files are read safely: only the first kLargestIniText bytes count (a line cut by that limit is
// dropped, never read half), so memory stays a small multiple of that limit. Nothing here throws
// except for a failed allocation.

#include <cstddef>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

#include "model/AsciiText.h"

namespace q9 {

/// The bytes of a file that are read; the rest is ignored.
inline constexpr std::size_t kLargestIniText = 1024 * 1024;

class IniFile {
 public:
  /// Reads a file; a missing, unreadable or non-regular file gives an empty IniFile.
  static IniFile Load(const std::filesystem::path& file);
  /// Reads the text of a file.
  static IniFile Parse(std::string_view text);

  /// The value of a key, or `defaultValue` when the section or key is missing. A key written
  /// without a value ("key=") gives an empty text, not the default.
  std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
  /// The number at the start of a key's value: an optional sign, then decimal digits, or hex digits
  /// after "0x"; anything after the number is ignored ("12 dpi" gives 12). A missing key, an empty
  /// value, a value that does not start with a number, and a number outside int give `defaultValue`.
  int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;

  /// The number of distinct sections read.
  std::size_t SectionCount() const { return sections_.size(); }

 private:
  struct LessIgnoringAsciiCase {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
  };
  using Entries = std::map<std::string, std::string, LessIgnoringAsciiCase>;

  void ReadLine(std::string_view line, Entries*& section);
  const std::string* Find(std::string_view section, std::string_view key) const;

  std::map<std::string, Entries, LessIgnoringAsciiCase> sections_;
};

}  // namespace q9
