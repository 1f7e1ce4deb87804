#include "model/WideText.h"

#include <algorithm>

namespace q9 {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void AppendUtf16(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  }
}

bool IsHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Decodes one UTF-8 sequence at text[i]; advances i. Overlong forms and surrogates are rejected.
char32_t DecodeUtf8(std::string_view text, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(text[i++]);
  if (lead < 0x80) return lead;
  int extra;
  char32_t c;
  char32_t minimum;
  if ((lead & 0xE0) == 0xC0) { extra = 1; c = lead & 0x1F; minimum = 0x80; }
  else if ((lead & 0xF0) == 0xE0) { extra = 2; c = lead & 0x0F; minimum = 0x800; }
  else if ((lead & 0xF8) == 0xF0) { extra = 3; c = lead & 0x07; minimum = 0x10000; }
  else return kReplacement;
  for (int k = 0; k < extra; ++k) {
    if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return kReplacement;
    c = (c << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
  }
  if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return kReplacement;
  return c;
}

}  // namespace

std::string Utf8FromUtf16(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t u = text[i];
    if (IsHighSurrogate(u) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      u = 0x10000 + ((u - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (IsHighSurrogate(u) || IsLowSurrogate(u)) {
      u = kReplacement;
    }
    AppendUtf8(out, u);
  }
  return out;
}

std::u16string Utf16FromUtf8(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) AppendUtf16(out, DecodeUtf8(text, i));
  return out;
}

std::u16string WideFieldText(const WideChar* field, std::size_t limit) {
  const WideChar* end = std::find(field, field + limit, u'\0');
  return std::u16string(field, end);
}

bool SetWideField(WideChar* field, std::size_t capacity, std::u16string_view text) {
  if (text.size() + 1 > capacity || text.find(u'\0') != std::u16string_view::npos) return false;
  std::fill(field, field + capacity, u'\0');
  std::copy(text.begin(), text.end(), field);
  return true;
}

}  // namespace q9
