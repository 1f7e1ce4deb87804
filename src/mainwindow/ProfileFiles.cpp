#include "mainwindow/ProfileFiles.h"

#include <algorithm>
#include <cctype>
#include <span>
#include <string_view>
#include <vector>

#include "ProfileJson.h"
#include "platform/DurableFile.h"
#include "platform/Utf8Path.h"

namespace q9 {

namespace {

bool ReadJsonImage(const std::string& path, std::vector<std::uint8_t>& image, std::string& error) {
  std::vector<std::uint8_t> bytes;
  std::string reason;
  switch (ReadRegularFile(PathFromUtf8(path), kLargestStoredImage, bytes, reason)) {
    case FileReadResult::Ok:
      break;
    case FileReadResult::Missing:
      error = path + ": it does not exist";
      return false;
    default:
      error = path + ": " + reason;
      return false;
  }
  try {
    image = ProfileImageFromJson(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  } catch (const ProfileJsonError& e) {
    error = path + ": " + e.what();
    return false;
  }
  return true;
}

bool ImportJson(TDM& dm, const std::string& path, std::string& error) {
  std::vector<std::uint8_t> image;
  if (!ReadJsonImage(path, image, error)) return false;
  // The stream never shrinks on a write: its size is set first, as a .GPX import of this length gives.
  TuiProfile& component = dm.ProfileComponent(dm.FProfileIndex);
  component.SetSize(static_cast<std::int64_t>(image.size()));
  component.Write(image.data(), static_cast<int>(image.size()));
  dm.FButtonConfigIndex = 0;
  dm.ReadCurrentProfileInfo();
  return true;
}

bool ImportGpx(TDM& dm, const std::string& path, std::string& error) {
  TuiProfile& component = dm.ProfileComponent(dm.FProfileIndex);
  if (dm.LoadCurrentProfileInfoFromFile(path)) return true;
  error = component.LastError().empty() ? path + ": it cannot be read" : component.LastError();
  return false;
}

}  // namespace

ProfileFileFormat ProfileFileFormatOf(const std::string& path) {
  std::string extension = Utf8FromPath(PathFromUtf8(path).extension());
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".json" ? ProfileFileFormat::Json : ProfileFileFormat::Gpx;
}

bool ImportCurrentProfile(TDM& dm, const std::string& path, std::string& error) {
  error.clear();
  return ProfileFileFormatOf(path) == ProfileFileFormat::Json ? ImportJson(dm, path, error)
                                                              : ImportGpx(dm, path, error);
}

bool ExportCurrentProfile(TDM& dm, const std::string& path, std::string& error) {
  error.clear();
  TuiProfile& component = dm.ProfileComponent(dm.FProfileIndex);
  if (ProfileFileFormatOf(path) == ProfileFileFormat::Gpx) {
    if (dm.SaveCurrentProfileInfoToFile(path)) return true;
    error = component.LastError();
    return false;
  }
  const std::string text = ProfileImageToJson(component.Stream());
  std::string reason;
  if (WriteFileDurably(PathFromUtf8(path), std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
                       reason))
    return true;
  error = path + ": " + reason;
  return false;
}

}  // namespace q9
