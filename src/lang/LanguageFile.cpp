#include "lang/LanguageFile.h"

#include <fstream>

#include "model/LittleEndian.h"
#include "model/WideText.h"

namespace q9 {

namespace {

constexpr std::string_view kLineBreak = "\r\n";

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool Int32(std::int32_t& value) {
    if (Left() < 4) return false;
    value = static_cast<std::int32_t>(LoadLE32(bytes_.data() + at_));
    at_ += 4;
    return true;
  }

  // A length is checked against what is left before anything is allocated for it.
  bool String(std::string& text) {
    std::int32_t units = 0;
    if (!Int32(units) || units < 0 || static_cast<std::size_t>(units) > Left() / 2) return false;
    std::u16string wide(static_cast<std::size_t>(units), u'\0');
    for (std::size_t i = 0; i < wide.size(); ++i)
      wide[i] = static_cast<char16_t>(bytes_[at_ + 2 * i] | (bytes_[at_ + 2 * i + 1] << 8));
    at_ += 2 * wide.size();
    text = Utf8FromUtf16(wide);
    return true;
  }

  std::size_t Left() const { return bytes_.size() - at_; }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
};

void WriteInt32(std::vector<std::uint8_t>& out, std::int32_t value) { AppendLE32(out, static_cast<std::uint32_t>(value)); }

void WriteString(std::vector<std::uint8_t>& out, const std::string& text) {
  const std::u16string wide = Utf16FromUtf8(text);
  WriteInt32(out, static_cast<std::int32_t>(wide.size()));
  for (char16_t unit : wide) {
    out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    out.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const auto end = text.find(kLineBreak);
    lines.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + kLineBreak.size());
  }
  return lines;
}

template <typename Range, typename Line>
std::string JoinLines(const Range& range, Line line) {
  std::string text;
  for (const auto& item : range) {
    if (!text.empty()) text += kLineBreak;
    text += line(item);
  }
  return text;
}

// "original=translation": the first '=' separates them; a line without one, or with an empty
// original, carries no translation. The first line of an original wins.
std::map<std::string, std::string> Translations(std::string_view text) {
  std::map<std::string, std::string> translations;
  for (std::string_view line : Lines(text)) {
    const auto equals = line.find('=');
    if (equals == std::string_view::npos || equals == 0) continue;
    translations.emplace(std::string(line.substr(0, equals)), std::string(line.substr(equals + 1)));
  }
  return translations;
}

}  // namespace

bool ParseLanguageFile(std::span<const std::uint8_t> bytes, LanguageResources& out, std::string& error) {
  Reader reader(bytes);
  LanguageResources resources;
  std::string originals;
  std::int32_t count = 0;
  if (!reader.String(originals) || !reader.Int32(count)) {
    error = "the language file is damaged (its original texts are cut off)";
    return false;
  }
  // Every language takes at least its two string lengths.
  if (count < 0 || static_cast<std::size_t>(count) > reader.Left() / 8) {
    error = "the language file is damaged (it claims " + std::to_string(count) + " languages)";
    return false;
  }
  for (std::string_view line : Lines(originals))
    if (!line.empty()) resources.originals.emplace(line);
  for (std::int32_t i = 0; i < count; ++i) {
    TLanguageResource language;
    std::string translations;
    if (!reader.String(language.name) || !reader.String(translations)) {
      error = "the language file is damaged (language " + std::to_string(i + 1) + " is cut off)";
      return false;
    }
    language.translations = Translations(translations);
    resources.languages.push_back(std::move(language));
  }
  out = std::move(resources);
  return true;
}

std::vector<std::uint8_t> SerializeLanguageFile(const LanguageResources& resources) {
  std::vector<std::uint8_t> out;
  WriteString(out, JoinLines(resources.originals, [](const std::string& s) { return s; }));
  WriteInt32(out, static_cast<std::int32_t>(resources.languages.size()));
  for (const TLanguageResource& language : resources.languages) {
    WriteString(out, language.name);
    WriteString(out, JoinLines(language.translations, [](const auto& line) { return line.first + "=" + line.second; }));
  }
  return out;
}

bool LoadLanguageFile(const std::filesystem::path& file, LanguageResources& out, std::string& error) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) {
    error = file.string() + " does not exist";
    return false;
  }
  const auto size = std::filesystem::file_size(file, ec);
  if (ec || size > kLargestLanguageFile) {
    error = file.string() + (ec ? " cannot be read" : " is too large to be a language file");
    return false;
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  std::ifstream in(file, std::ios::binary);
  if (!in || !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
    error = file.string() + " cannot be read";
    return false;
  }
  return ParseLanguageFile(bytes, out, error);
}

bool LanguageResourcesFromTable(std::string_view table, LanguageResources& out, std::string& error) {
  LanguageResources resources;
  for (const char* name : kShippedLanguages) resources.languages.push_back({name, {}});
  std::size_t lineNumber = 0;
  while (!table.empty()) {
    const auto end = table.find('\n');
    std::string_view line = table.substr(0, end);
    table.remove_prefix(end == std::string_view::npos ? table.size() : end + 1);
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (lineNumber == 1 || line.empty()) continue;  // the header
    const auto first = line.find('\t');
    const auto second = first == std::string_view::npos ? first : line.find('\t', first + 1);
    if (second == std::string_view::npos || line.find('\t', second + 1) != std::string_view::npos || first == 0) {
      error = "line " + std::to_string(lineNumber) + " does not have three columns";
      return false;
    }
    const std::string english(line.substr(0, first));
    resources.originals.insert(english);
    resources.languages[1].translations.emplace(english, std::string(line.substr(first + 1, second - first - 1)));
    resources.languages[2].translations.emplace(english, std::string(line.substr(second + 1)));
  }
  out = std::move(resources);
  return true;
}

std::string TranslateText(const TLanguageResource* dictionary, const std::string& text) {
  if (text.empty() || !dictionary) return text;
  const auto it = dictionary->translations.find(text);
  if (it != dictionary->translations.end() && !it->second.empty()) return it->second;
  // A text kept with blanks around it (a key table's "Backward(Mouse) ") is translated as the text
  // without them, and keeps its blanks.
  const std::size_t first = text.find_first_not_of(' ');
  const std::size_t last = text.find_last_not_of(' ');
  if (first == std::string::npos || (first == 0 && last == text.size() - 1)) return text;
  const auto trimmed = dictionary->translations.find(text.substr(first, last - first + 1));
  if (trimmed == dictionary->translations.end() || trimmed->second.empty()) return text;
  return text.substr(0, first) + trimmed->second + text.substr(last + 1);
}

std::string OriginalOfText(const TLanguageResource* dictionary, const std::string& text) {
  if (text.empty() || !dictionary) return text;
  for (const auto& [original, translation] : dictionary->translations)
    if (!translation.empty() && translation == text) return original;
  return text;
}

int GetLanguageIndexByShortID(const LanguageResources& resources, std::string_view shortID) {
  for (std::size_t i = 0; i < resources.languages.size(); ++i)
    if (resources.languages[i].name == shortID) return static_cast<int>(i);
  return -1;
}

std::string GetLanguageShortIDByIndex(const LanguageResources& resources, int index) {
  if (index < 0 || index >= static_cast<int>(resources.languages.size())) return {};
  return resources.languages[static_cast<std::size_t>(index)].name;
}

}  // namespace q9
