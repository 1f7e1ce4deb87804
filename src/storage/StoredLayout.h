#pragma once
// Where the settings live: six binary values under one key of the current user, each holding one
// record image and nothing else; a .GPX profile file is the raw image of one game profile.

#include <string>

#include "model/ProfileRecords.h"
#include "platform/RegistryStore.h"

namespace q9 {

inline constexpr std::uint32_t kSettingsRoot = kHKeyCurrentUser;
inline constexpr const char* kSettingsKeyPath = "software\\zoQVGMMouse";
inline constexpr const char* kSettingsValueName = "qvGMPROFILE.GPX";
inline constexpr int kSettingsRecordSize = sizeof(TALLPROFILESETTINGINFO);
inline constexpr int kGameProfileSize = sizeof(TMouseProfileInfoEasyShiftEx);

/// "MyProfile0.GPX" .. "MyProfile4.GPX".
inline std::string GameProfileValueName(int profileIndex) {
  return "MyProfile" + std::to_string(profileIndex) + ".GPX";
}

/// File dialogs for profile files.
inline constexpr const char* kProfileFileFilter = "GPX(Gaming Profile Information Files)|*.GPX";
inline constexpr const char* kProfileFileExtension = ".GPX";

}  // namespace q9
