#include "device/IniFile.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <limits>
#include <optional>
#include <system_error>

#include "model/AsciiText.h"
#include "model/WideText.h"

namespace q9 {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
constexpr std::string_view kBlanks = " \t\v\f";
constexpr std::string_view kLineEnds = "\r\n";

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

// UTF-16 bytes (without their byte order mark) as UTF-8; an odd last byte is dropped.
std::string Utf8FromUtf16Bytes(std::string_view bytes, bool bigEndian) {
  std::u16string units(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    const auto first = static_cast<unsigned char>(bytes[2 * i]);
    const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
    units[i] = static_cast<char16_t>(bigEndian ? (first << 8 | second) : (second << 8 | first));
  }
  return Utf8FromUtf16(units);
}

// The text to read as UTF-8: the byte order mark removed, UTF-16 converted.
std::string DecodedText(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Bom)) return std::string(bytes.substr(kUtf8Bom.size()));
  if (bytes.starts_with(kUtf16LeBom)) return Utf8FromUtf16Bytes(bytes.substr(kUtf16LeBom.size()), false);
  if (bytes.starts_with(kUtf16BeBom)) return Utf8FromUtf16Bytes(bytes.substr(kUtf16BeBom.size()), true);
  return std::string(bytes);
}

// The text up to its last line end: what is left of a line cut by the size limit.
std::string_view WholeLines(std::string_view text) {
  const auto lastEnd = text.find_last_of(kLineEnds);
  return lastEnd == std::string_view::npos ? std::string_view{} : text.substr(0, lastEnd + 1);
}

bool IsDigitOf(char c, int base) {
  if (c >= '0' && c <= '9') return true;
  return base == 16 && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'));
}

std::optional<int> LeadingInteger(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') && IsDigitOf(text[2], 16)) {
    base = 16;
    text.remove_prefix(2);
  }
  // Checked here because from_chars would take a second sign.
  if (text.empty() || !IsDigitOf(text.front(), base)) return std::nullopt;
  std::int64_t magnitude = 0;
  if (std::from_chars(text.data(), text.data() + text.size(), magnitude, base).ec != std::errc{}) return std::nullopt;
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) return std::nullopt;
  return static_cast<int>(value);
}

}  // namespace

bool IniFile::LessIgnoringAsciiCase::operator()(std::string_view a, std::string_view b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(LowerAscii(x)) < static_cast<unsigned char>(LowerAscii(y));
  });
}

IniFile IniFile::Load(const fs::path& file) {
  std::error_code ec;
  // Not a FIFO or device: opening one could block or never end.
  if (!fs::is_regular_file(file, ec)) return {};
  const auto size = fs::file_size(file, ec);
  if (ec) return {};
  // One byte past the limit tells Parse that the text was cut.
  std::string bytes(static_cast<std::size_t>(std::min<std::uintmax_t>(size, kLargestIniText + 1)), '\0');
  std::ifstream in(file, std::ios::binary);
  if (!in) return {};
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return Parse(bytes);
}

IniFile IniFile::Parse(std::string_view bytes) {
  const bool cut = bytes.size() > kLargestIniText;
  const std::string decoded = DecodedText(bytes.substr(0, kLargestIniText));
  const std::string_view text = cut ? WholeLines(decoded) : std::string_view(decoded);

  IniFile ini;
  Entries* section = nullptr;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find_first_of(kLineEnds, start), text.size());
    ini.ReadLine(text.substr(start, end - start), section);
    // The LF of a CRLF ends an empty line, which is skipped like any other.
    start = end + 1;
  }
  return ini;
}

void IniFile::ReadLine(std::string_view line, Entries*& section) {
  line = Trim(line.substr(0, line.find('\0')));
  if (line.empty() || line.front() == ';' || line.front() == '#') return;
  if (line.front() == '[') {
    const std::string_view name = Trim(line.substr(1, line.find(']') - 1));
    const auto [it, added] = sections_.try_emplace(std::string(name));
    section = added ? &it->second : nullptr;
    return;
  }
  const auto equals = line.find('=');
  if (!section || equals == std::string_view::npos) return;
  const std::string_view key = Trim(line.substr(0, equals));
  if (key.empty()) return;
  section->try_emplace(std::string(key), Unquote(Trim(line.substr(equals + 1))));
}

const std::string* IniFile::Find(std::string_view section, std::string_view key) const {
  const auto s = sections_.find(section);
  if (s == sections_.end()) return nullptr;
  const auto k = s->second.find(key);
  return k == s->second.end() ? nullptr : &k->second;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const {
  const std::string* value = Find(section, key);
  return value ? *value : std::string(defaultValue);
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int defaultValue) const {
  const std::string* value = Find(section, key);
  if (!value) return defaultValue;
  return LeadingInteger(*value).value_or(defaultValue);
}

}  // namespace q9
