#pragma once
// The game profiles held by the mouse's two memory locations ("Mode1", "Mode2").

#include "model/ProfileRecords.h"

namespace q9 {

inline constexpr int kMemoryLocationCount = 2;

/// The profile of memory location 0 or 1 as stored; an out-of-range slot reads as the location's
/// factory profile (0 for "Mode1", 1 for "Mode2").
inline int MemoryLocationProfile(const TALLPROFILESETTINGINFO& settings, int location) {
  const Integer stored = settings.ReservedData.IntegerData[location == 0 ? kSlotMode1Profile : kSlotMode2Profile];
  return stored >= 0 && stored < kGameProfileCount ? stored : location;
}

}  // namespace q9
