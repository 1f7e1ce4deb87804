#pragma once
// Profile files of the window's Load/Save buttons: the .GPX image of one game profile as it is,
// or its readable JSON form (chosen by the file's extension, ".json" in any case). Both work on
// the data module's current profile. A file that cannot be read or written changes nothing and
// says why; a JSON file is checked whole before anything is replaced.

#include <string>

#include "app/DataModule.h"

namespace q9 {

enum class ProfileFileFormat { Gpx, Json };

/// JSON for a name ending in ".json" (any case), the .GPX image otherwise.
ProfileFileFormat ProfileFileFormatOf(const std::string& path);

/// Replaces the current profile with the file and refills the working set with button group 0.
/// False with `error` saying why when the file cannot be taken; the profile is then left as it was.
bool ImportCurrentProfile(TDM& dm, const std::string& path, std::string& error);

/// Writes the current profile as last saved back. False with `error` saying why.
bool ExportCurrentProfile(TDM& dm, const std::string& path, std::string& error);

}  // namespace q9
