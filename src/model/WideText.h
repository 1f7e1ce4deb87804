#pragma once
// The records' text fields: fixed arrays of UTF-16 code units holding a NUL-terminated string.

#include <cstddef>
#include <string>
#include <string_view>

#include "model/ProfileRecords.h"

namespace q9 {

/// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf8FromUtf16(std::u16string_view text);
/// UTF-8 to UTF-16; a malformed byte sequence becomes U+FFFD.
std::u16string Utf16FromUtf8(std::string_view text);

/// The text of a field: its units up to the first NUL, or up to `limit` units when there is none.
std::u16string WideFieldText(const WideChar* field, std::size_t limit);

/// Stores `text` in a field of `capacity` units; false (field unchanged) when the text and its
/// terminator do not fit. The units after the terminator are zeroed.
bool SetWideField(WideChar* field, std::size_t capacity, std::u16string_view text);

}  // namespace q9
