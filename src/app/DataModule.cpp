#include "app/DataModule.h"

#include <cstring>

#include "model/FactoryDefaults.h"
#include "model/WideText.h"
#include "platform/Utf8Path.h"
#include "storage/StoredLayout.h"

namespace q9 {

namespace {

template <typename Record>
void ReadRecord(const TuiProfile& component, Record& record) {
  component.Read(&record, static_cast<int>(sizeof(Record)));
}

template <typename Record>
void WriteRecord(TuiProfile& component, const Record& record) {
  component.Write(&record, static_cast<int>(sizeof(Record)));
}

// Defaults go into the first bytes of the stream, which grows to the record's size when shorter;
// a longer stream keeps its tail.
template <typename Record, typename Make>
void WriteDefaultsAtStart(TMemoryStream& stream, Make make) {
  auto record = std::make_unique<Record>();
  make(*record);
  if (stream.size() < sizeof(Record)) stream.resize(sizeof(Record), 0);
  std::memcpy(stream.data(), record.get(), sizeof(Record));
}

void ZeroStream(TuiProfile& component, std::size_t size) {
  const TMemoryStream zeros(size, 0);
  component.Write(zeros.data(), static_cast<int>(size));
}

void PlaceInStore(TuiProfile& component, const std::string& valueName) {
  component.SetRootKey(kSettingsRoot);
  component.SetFileName(valueName);
  component.SetKeyPath(kSettingsKeyPath);
}

}  // namespace

TDM::TDM(RegistryStore& store, const SystemLocale& locale)
    : uiProfileInfo(store),
      uiProfileGame1(store),
      uiProfileGame2(store),
      uiProfileGame3(store),
      uiProfileGame4(store),
      uiProfileGame5(store),
      locale_(locale) {
  uiProfileInfo.OnRestoreToDefault = [this](TMemoryStream& s) { uiProfileInfoRestoreToDefault(s); };
  for (TuiProfile* game : {&uiProfileGame1, &uiProfileGame2, &uiProfileGame3, &uiProfileGame4, &uiProfileGame5})
    game->OnRestoreToDefault = [this](TMemoryStream& s) { uiProfileGame1RestoreToDefault(s); };
  DataModuleCreate();
}

std::unique_ptr<TDM> CreateDataModule(RegistryStore& store, const SystemLocale& locale) {
  return std::make_unique<TDM>(store, locale);
}

void TDM::DataModuleCreate() {
  FSensorType = 81;
  FButtonConfigIndex = 0;
  FProfileIndex = 0;
  LoadSettingsRecord();
  const Word stored = FAllProfileSettingInfo.CurrentProfileIndex;
  FProfileIndex = stored <= 4 ? stored : 0;
  FProfileGroup = {&uiProfileGame1, &uiProfileGame2, &uiProfileGame3, &uiProfileGame4, &uiProfileGame5, nullptr};
  for (int i = 0; i < kGameProfileCount; ++i) PlaceInStore(ProfileComponent(i), GameProfileValueName(i));
  for (int i = 0; i < kGameProfileCount; ++i) LoadGameProfile(i);
  SwitchToProfile(FProfileIndex, 0);
  FProductModel = 0;
}

void TDM::LoadSettingsRecord() {
  PlaceInStore(uiProfileInfo, kSettingsValueName);
  ZeroStream(uiProfileInfo, sizeof(TALLPROFILESETTINGINFO));
  LoadProfileSettingInfoFromRegistry();
}

void TDM::LoadGameProfile(int AProfileIndex) {
  TuiProfile& component = ProfileComponent(AProfileIndex);
  const TGAMESET& entry = FAllProfileSettingInfo.Allgameset[AProfileIndex];
  ZeroStream(component, sizeof(TMouseProfileInfoEasyShiftEx));
  if (entry.StorageType == kStoredInRegistry) {
    if (!component.LoadStreamFromRegistry()) component.RestoreToDefault();
  } else if (entry.StorageType == kStoredInFile) {
    const std::string path = Utf8FromUtf16(WideFieldText(entry.szFilePath, kGameSetPathUsed));
    if (path.empty() || !component.LoadStreamFromFile(path)) component.RestoreToDefault();
  }
}

void TDM::uiProfileInfoRestoreToDefault(TMemoryStream& AStream) const {
  WriteDefaultsAtStart<TALLPROFILESETTINGINFO>(
      AStream, [&](TALLPROFILESETTINGINFO& r) { MakeFactorySettings(r, locale_.SystemDefaultLangId()); });
}

void TDM::uiProfileGame1RestoreToDefault(TMemoryStream& AStream) const {
  WriteDefaultsAtStart<TMouseProfileInfoEasyShiftEx>(
      AStream, [&](TMouseProfileInfoEasyShiftEx& r) { MakeFactoryProfile(r, FSensorType); });
}

bool TDM::RestoreProfileInfoToDefault(int AProfileIndex) {
  if (!IsInRange(AProfileIndex, 0)) return false;
  ProfileComponent(AProfileIndex).RestoreToDefault();
  return true;
}

void TDM::RestoreCurrentProfileInfoToDefault() {
  CurrentComponent().RestoreToDefault();
  ReadCurrentProfileWithGroup0();
}

bool TDM::IsInRange(int AProfileIndex, int AButtonConfigIndex) {
  return AProfileIndex >= 0 && AProfileIndex <= 4 && AButtonConfigIndex >= 0 && AButtonConfigIndex <= 4;
}

bool TDM::SwitchToProfile(int AProfileIndex, int AButtonConfigIndex) {
  if (!IsInRange(AProfileIndex, AButtonConfigIndex)) return false;
  FProfileIndex = AProfileIndex;
  ReadRecord(CurrentComponent(), FCurrentProfileInfo);
  FCurrentMouseSettingInfo = FCurrentProfileInfo.MouseSettingInfo;
  SwitchToButtonConfigset(AButtonConfigIndex);
  return true;
}

bool TDM::SwitchToButtonConfigset(int AButtonConfigIndex) {
  if (!IsInRange(FProfileIndex, AButtonConfigIndex)) return false;
  FButtonConfigIndex = AButtonConfigIndex;
  FCurrentButtonConfigInfo = FCurrentProfileInfo.MouseButtonConfigInfoSet[AButtonConfigIndex];
  FCurrentButtonMacroSetInfo = FCurrentProfileInfo.MacroKeyInfoListSet[AButtonConfigIndex];
  return true;
}

void TDM::SaveBackToCurrentProfileInfo() {
  FCurrentProfileInfo.MouseButtonConfigInfoSet[FButtonConfigIndex] = FCurrentButtonConfigInfo;
  FCurrentProfileInfo.MacroKeyInfoListSet[FButtonConfigIndex] = FCurrentButtonMacroSetInfo;
  FCurrentProfileInfo.MouseSettingInfo = FCurrentMouseSettingInfo;
  WriteRecord(CurrentComponent(), FCurrentProfileInfo);
}

bool TDM::ReadCurrentProfileInfo() {
  ReadRecord(CurrentComponent(), FCurrentProfileInfo);
  FCurrentMouseSettingInfo = FCurrentProfileInfo.MouseSettingInfo;
  SwitchToButtonConfigset(FButtonConfigIndex);
  return true;
}

bool TDM::ReadProfileInfo(TMouseProfileInfoEasyShiftEx& AProfileInfo, int AProfileIndex) const {
  if (!IsInRange(AProfileIndex, 0)) return false;
  ReadRecord(ProfileComponent(AProfileIndex), AProfileInfo);
  return true;
}

bool TDM::SaveBackToProfileInfo(const TMouseProfileInfoEasyShiftEx& AProfileInfo, int AProfileIndex) {
  if (!IsInRange(AProfileIndex, 0)) return false;
  WriteRecord(ProfileComponent(AProfileIndex), AProfileInfo);
  return true;
}

bool TDM::SaveProfileInfoToRegistry(int AProfileIndex) {
  return IsInRange(AProfileIndex, 0) && ProfileComponent(AProfileIndex).SaveStreamToRegistry();
}

bool TDM::SaveCurrentProfileInfoToRegistry() { return CurrentComponent().SaveStreamToRegistry(); }

bool TDM::SaveBackAllProfileInfo() {
  bool all = true;
  for (int i = 0; i < kGameProfileCount; ++i) all = ProfileComponent(i).SaveStreamToRegistry() && all;
  return all;
}

bool TDM::SaveBackToAllProfileSettingInfo() {
  WriteRecord(uiProfileInfo, FAllProfileSettingInfo);
  return uiProfileInfo.SaveStreamToRegistry();
}

void TDM::LoadProfileSettingInfoFromRegistry() {
  if (!uiProfileInfo.LoadStreamFromRegistry()) {
    uiProfileInfo.RestoreToDefault();
    uiProfileInfo.SaveStreamToRegistry();
  }
  ReadRecord(uiProfileInfo, FAllProfileSettingInfo);
}

void TDM::LoadProfileInfoFromRegistry(int AProfileIndex) {
  if (IsInRange(AProfileIndex, 0)) ProfileComponent(AProfileIndex).LoadStreamFromRegistry();
}

void TDM::ReadCurrentProfileWithGroup0() {
  FButtonConfigIndex = 0;
  ReadCurrentProfileInfo();
}

void TDM::LoadCurrentProfileInfoFromRegistry() {
  CurrentComponent().LoadStreamFromRegistry();
  ReadCurrentProfileWithGroup0();
}

bool TDM::LoadCurrentProfileInfoFromFile(const std::string& AFile) {
  const bool loaded = CurrentComponent().LoadStreamFromFile(AFile);
  ReadCurrentProfileWithGroup0();
  return loaded;
}

bool TDM::SaveCurrentProfileInfoToFile(const std::string& AFile) { return CurrentComponent().SaveStreamToFile(AFile); }

}  // namespace q9
