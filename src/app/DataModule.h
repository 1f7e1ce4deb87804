#pragma once
// TDM: the data module that owns every setting. It holds the program-wide settings record, one
// storage component per game profile, and the working copies the main window edits. Storage and
// switching operations report failure by their result only and never show anything.

#include <array>
#include <memory>
#include <string>

#include "model/ProfileRecords.h"
#include "platform/RegistryStore.h"
#include "platform/SystemLocale.h"
#include "storage/uiProfile.h"

namespace q9 {

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

  /// The save results are true only when every value was stored.
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
  void ReadCurrentProfileWithGroup0();
  TuiProfile& CurrentComponent() { return ProfileComponent(FProfileIndex); }

  const SystemLocale& locale_;
};

/// The data module lives on the heap: its records are several hundred kilobytes.
std::unique_ptr<TDM> CreateDataModule(RegistryStore& store, const SystemLocale& locale);

}  // namespace q9
