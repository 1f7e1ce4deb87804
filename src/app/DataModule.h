#pragma once
// TDM: the data module that owns every setting. It holds the program-wide settings record, one
// storage component per game profile, and the working copies the main window edits. Storage and
// switching operations report failure by their result only and never show anything.
//
// A stored value that is there but cannot be read (no permission, an I/O error, another registry
// type, a folder or FIFO in its place) is not treated as missing: the data module works on the
// factory values for it in memory, lists it in UnreadableValues(), and refuses every save that
// would replace it until SetOverwriteUnreadable(true). Only an absent value gets defaults stored.
//
// A game profile whose storage entry has StorageType 1 and a path lives in that file: it is loaded
// from it, saved to it (durably) and reloaded from it; StorageType 1 with an empty path counts as 0.

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/ProfileRecords.h"
#include "platform/RegistryStore.h"
#include "platform/SystemLocale.h"
#include "storage/uiProfile.h"

namespace q9 {

/// A stored value that is there but could not be read.
struct UnreadableValue {
  int profileIndex;       ///< game profile 0..4, or -1 for the settings record
  std::string valueName;  ///< the store value's name, or the file's path for a profile kept in a file
  std::string reason;     ///< why it could not be read, in a few words
  std::string location;   ///< where it is, as a user would look for it (the file, or the registry path)
};

class TDM {
 public:
  /// Creates the six storage components and runs DataModuleCreate (loading every setting).
  TDM(RegistryStore& store, const SystemLocale& locale);
  TDM(const TDM&) = delete;
  TDM& operator=(const TDM&) = delete;

  void DataModuleCreate();
  /// Saves nothing: every save happens when the window asks for it.
  void DataModuleDestroy() {}

  // Factory defaults, hooked to the components' OnRestoreToDefault.
  void uiProfileInfoRestoreToDefault(TMemoryStream& AStream) const;
  void uiProfileGame1RestoreToDefault(TMemoryStream& AStream) const;
  bool RestoreProfileInfoToDefault(int AProfileIndex);
  void RestoreCurrentProfileInfoToDefault();

  static bool IsInRange(int AProfileIndex, int AButtonConfigIndex);
  bool SwitchToProfile(int AProfileIndex, int AButtonConfigIndex);
  bool SwitchToButtonConfigset(int AButtonConfigIndex);
  void SaveBackToCurrentProfileInfo();
  bool ReadCurrentProfileInfo();
  bool ReadProfileInfo(TMouseProfileInfoEasyShiftEx& AProfileInfo, int AProfileIndex) const;
  bool SaveBackToProfileInfo(const TMouseProfileInfoEasyShiftEx& AProfileInfo, int AProfileIndex);

  /// The save results are true only when every value was stored; LastSaveError() then says what was
  /// not stored and why. A profile kept in a file is saved to its file.
  bool SaveProfileInfoToRegistry(int AProfileIndex);
  bool SaveCurrentProfileInfoToRegistry();
  bool SaveBackAllProfileInfo();
  bool SaveBackToAllProfileSettingInfo();
  void LoadProfileSettingInfoFromRegistry();
  void LoadProfileInfoFromRegistry(int AProfileIndex);
  void LoadCurrentProfileInfoFromRegistry();
  /// Imports a .GPX file into the current profile and refills the working set with group 0
  /// (from the unchanged stream when the file cannot be loaded); true when the file was loaded.
  bool LoadCurrentProfileInfoFromFile(const std::string& AFile);
  bool SaveCurrentProfileInfoToFile(const std::string& AFile);

  const std::vector<UnreadableValue>& UnreadableValues() const { return unreadable_; }
  /// The entry of a game profile (or -1: the settings record) that could not be read, if any.
  const UnreadableValue* FindUnreadable(int AProfileIndex) const;
  /// Allows the saves to replace the values that could not be read.
  void SetOverwriteUnreadable(bool allow) { overwriteUnreadable_ = allow; }
  bool OverwriteUnreadable() const { return overwriteUnreadable_; }
  /// What the last failed save did not store, and why.
  const std::string& LastSaveError() const { return lastSaveError_; }
  /// True when the last save left a value alone because it could not be read.
  bool LastSaveRefusedUnreadable() const { return lastSaveRefused_; }

  /// The storage component of game profile 0..4.
  TuiProfile& ProfileComponent(int AProfileIndex) { return *FProfileGroup[static_cast<std::size_t>(AProfileIndex)]; }
  const TuiProfile& ProfileComponent(int AProfileIndex) const {
    return *FProfileGroup[static_cast<std::size_t>(AProfileIndex)];
  }

  TuiProfile uiProfileInfo;
  TuiProfile uiProfileGame1;
  TuiProfile uiProfileGame2;
  TuiProfile uiProfileGame3;
  TuiProfile uiProfileGame4;
  TuiProfile uiProfileGame5;

  std::array<TuiProfile*, 6> FProfileGroup{};
  Byte FProductModel = 0;
  Integer FSensorType = 81;
  TALLPROFILESETTINGINFO FAllProfileSettingInfo{};
  Integer FProfileIndex = 0;
  TMouseProfileInfoEasyShiftEx FCurrentProfileInfo{};
  TMouseSettingInfoEasyShiftEx FCurrentMouseSettingInfo{};
  Integer FButtonConfigIndex = 0;
  TMouseButtonConfigInfoEasyShiftEx FCurrentButtonConfigInfo{};
  Integer FButtonMacroSetIndex = 0;
  TMACROKEYINFOLIST FCurrentButtonMacroSetInfo{};

 private:
  void LoadSettingsRecord();
  void LoadGameProfile(int AProfileIndex);
  /// The file a game profile lives in, or empty when it lives in the store.
  std::string ProfileFile(int AProfileIndex) const;
  bool LoadProfileStream(int AProfileIndex);
  bool SaveProfileStream(int AProfileIndex);
  bool SaveUnlessUnreadable(int AProfileIndex, TuiProfile& component, const std::function<bool()>& save);
  void NoteLoad(int AProfileIndex, const TuiProfile& component, const std::string& valueName,
                const std::string& location);
  void Forget(int AProfileIndex);
  void StartSave();
  void ReadCurrentProfileWithGroup0();
  TuiProfile& CurrentComponent() { return ProfileComponent(FProfileIndex); }

  const SystemLocale& locale_;
  std::vector<UnreadableValue> unreadable_;
  bool overwriteUnreadable_ = false;
  std::string lastSaveError_;
  bool lastSaveRefused_ = false;
};

/// The data module lives on the heap: its records are several hundred kilobytes.
/// Removes the temporary files interrupted saves left in the settings' key; call it only while
/// nobody else can be writing the store (its lock held, no window on it). "" or why one stays.
std::string RemoveStoreLeftovers(RegistryStore& store);

std::unique_ptr<TDM> CreateDataModule(RegistryStore& store, const SystemLocale& locale);

}  // namespace q9
