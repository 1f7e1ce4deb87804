#pragma once
// The readable JSON form of one game profile image. It names everything a user sets (the button
// functions of the four groups, the macros, CPI levels, report rate, light, pointer settings) and
// carries the whole image besides, so that reading back an unedited file gives the same bytes,
// whatever the image holds. Reading starts from the carried image and applies each readable field
// that differs from what the image says: a hand edit changes exactly the bytes of its field.
//
// The unit needs only the core (key tables, function table, assignments) and nlohmann-json, which
// the core libraries do not use; it is its own library so that q9ctl and the window can both link it.

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace q9 {

inline constexpr int kProfileJsonSchemaVersion = 1;

/// A file the reader refuses; what() names the field as a path ("buttonGroups.plain[2].function: ...").
class ProfileJsonError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// The JSON text of a profile image of any length (a stored or imported image may be shorter or
/// longer than the record).
std::string ProfileImageToJson(std::span<const std::uint8_t> image);

/// The image a JSON text describes; throws ProfileJsonError naming the field on any bad input.
std::vector<std::uint8_t> ProfileImageFromJson(std::string_view text);

/// What changes from `before` to `after`, one line per readable field ("CPI level 2 X: 1600 -> 2500"),
/// and a last line "other bytes: N bytes differ" when bytes outside those fields differ too.
std::vector<std::string> DescribeProfileChanges(std::span<const std::uint8_t> before, std::span<const std::uint8_t> after);

}  // namespace q9
