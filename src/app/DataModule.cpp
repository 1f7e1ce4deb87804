#include "app/DataModule.h"

#include <algorithm>

#include <cstring>

#include "model/FactoryDefaults.h"
#include "model/WideText.h"
#include "platform/Utf8Path.h"
#include "storage/StoredLayout.h"

namespace q9 {

namespace {

// A stream shorter than the record fills it from its start; the rest is the record's fresh state
// (zero), never what the record held before.
template <typename Record>
void ReadRecord(const TuiProfile& component, Record& record) {
  std::memset(static_cast<void*>(&record), 0, sizeof(Record));
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

// Zeros to copy from, in the never-written zero block of the program: reading them costs neither
// an allocation nor memory of its own, as a buffer of zeros for each of the five profiles did.
std::uint8_t ZeroImage[std::max(sizeof(TMouseProfileInfoEasyShiftEx), sizeof(TALLPROFILESETTINGINFO))];

void ZeroStream(TuiProfile& component, std::size_t size) {
  component.Write(ZeroImage, static_cast<int>(std::min(size, sizeof ZeroImage)));
}

constexpr int kSettingsRecordIndex = -1;

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

std::string RemoveStoreLeftovers(RegistryStore& store) {
  std::string error;
  store.RemoveLeftoverTemporaries(kSettingsRoot, kSettingsKeyPath, error);
  return error;
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

std::string TDM::ProfileFile(int AProfileIndex) const {
  const TGAMESET& entry = FAllProfileSettingInfo.Allgameset[AProfileIndex];
  if (entry.StorageType != kStoredInFile) return {};
  return Utf8FromUtf16(WideFieldText(entry.szFilePath, kGameSetPathUsed));
}

// A profile kept in a file is loaded from it; every other one from the store.
bool TDM::LoadProfileStream(int AProfileIndex) {
  TuiProfile& component = ProfileComponent(AProfileIndex);
  const std::string file = ProfileFile(AProfileIndex);
  const bool loaded = file.empty() ? component.LoadStreamFromRegistry() : component.LoadStreamFromFile(file);
  if (file.empty())
    NoteLoad(AProfileIndex, component, component.FileName(), component.StoredValueLocation());
  else
    NoteLoad(AProfileIndex, component, file, file);
  return loaded;
}

// At start a storage type this program does not know loads nothing (the profile stays zero).
void TDM::LoadGameProfile(int AProfileIndex) {
  TuiProfile& component = ProfileComponent(AProfileIndex);
  const Byte storageType = FAllProfileSettingInfo.Allgameset[AProfileIndex].StorageType;
  ZeroStream(component, sizeof(TMouseProfileInfoEasyShiftEx));
  if (storageType != kStoredInRegistry && storageType != kStoredInFile) return;
  if (!LoadProfileStream(AProfileIndex)) component.RestoreToDefault();
}

void TDM::NoteLoad(int AProfileIndex, const TuiProfile& component, const std::string& valueName,
                   const std::string& location) {
  switch (component.LastLoadResult()) {
    case TuiLoadResult::Loaded:
    case TuiLoadResult::Absent:
      Forget(AProfileIndex);
      return;
    case TuiLoadResult::Unreadable:
      Forget(AProfileIndex);
      unreadable_.push_back({AProfileIndex, valueName, component.UnreadableReason(), location});
      return;
    case TuiLoadResult::NotAttempted:
      return;
  }
}

void TDM::Forget(int AProfileIndex) {
  std::erase_if(unreadable_, [&](const UnreadableValue& v) { return v.profileIndex == AProfileIndex; });
}

const UnreadableValue* TDM::FindUnreadable(int AProfileIndex) const {
  for (const UnreadableValue& value : unreadable_)
    if (value.profileIndex == AProfileIndex) return &value;
  return nullptr;
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

void TDM::StartSave() {
  lastSaveError_.clear();
  lastSaveRefused_ = false;
}

bool TDM::SaveUnlessUnreadable(int AProfileIndex, TuiProfile& component, const std::function<bool()>& save) {
  const UnreadableValue* unreadable = FindUnreadable(AProfileIndex);
  bool saved = false;
  if (unreadable && !overwriteUnreadable_) {
    lastSaveRefused_ = true;
    component.Refuse(unreadable->valueName + " could not be read (" + unreadable->reason +
                     "); it is left as it is, not saved over");
  } else {
    saved = save();
  }
  if (saved) {
    Forget(AProfileIndex);
    return true;
  }
  if (!lastSaveError_.empty()) lastSaveError_ += "; ";
  lastSaveError_ += component.LastError();
  return false;
}

bool TDM::SaveProfileStream(int AProfileIndex) {
  TuiProfile& component = ProfileComponent(AProfileIndex);
  const std::string file = ProfileFile(AProfileIndex);
  return SaveUnlessUnreadable(AProfileIndex, component, [&] {
    return file.empty() ? component.SaveStreamToRegistry() : component.SaveStreamToFile(file);
  });
}

bool TDM::SaveProfileInfoToRegistry(int AProfileIndex) {
  StartSave();
  if (!IsInRange(AProfileIndex, 0)) {
    lastSaveError_ = "there is no game profile " + std::to_string(AProfileIndex);
    return false;
  }
  return SaveProfileStream(AProfileIndex);
}

bool TDM::SaveCurrentProfileInfoToRegistry() { return SaveProfileInfoToRegistry(FProfileIndex); }

// Every profile is saved, also after one that could not be.
bool TDM::SaveBackAllProfileInfo() {
  StartSave();
  bool all = true;
  for (int i = 0; i < kGameProfileCount; ++i) all = SaveProfileStream(i) && all;
  return all;
}

bool TDM::SaveBackToAllProfileSettingInfo() {
  StartSave();
  WriteRecord(uiProfileInfo, FAllProfileSettingInfo);
  return SaveUnlessUnreadable(kSettingsRecordIndex, uiProfileInfo, [&] { return uiProfileInfo.SaveStreamToRegistry(); });
}

// An absent settings record gets the defaults stored at once; one that cannot be read keeps its
// place in the store and the defaults stay in memory.
void TDM::LoadProfileSettingInfoFromRegistry() {
  const bool loaded = uiProfileInfo.LoadStreamFromRegistry();
  NoteLoad(kSettingsRecordIndex, uiProfileInfo, uiProfileInfo.FileName(), uiProfileInfo.StoredValueLocation());
  if (!loaded) {
    uiProfileInfo.RestoreToDefault();
    if (uiProfileInfo.LastLoadResult() != TuiLoadResult::Unreadable) uiProfileInfo.SaveStreamToRegistry();
  }
  ReadRecord(uiProfileInfo, FAllProfileSettingInfo);
}

void TDM::LoadProfileInfoFromRegistry(int AProfileIndex) {
  if (IsInRange(AProfileIndex, 0)) LoadProfileStream(AProfileIndex);
}

void TDM::ReadCurrentProfileWithGroup0() {
  FButtonConfigIndex = 0;
  ReadCurrentProfileInfo();
}

void TDM::LoadCurrentProfileInfoFromRegistry() {
  LoadProfileStream(FProfileIndex);
  ReadCurrentProfileWithGroup0();
}

bool TDM::LoadCurrentProfileInfoFromFile(const std::string& AFile) {
  const bool loaded = CurrentComponent().LoadStreamFromFile(AFile);
  ReadCurrentProfileWithGroup0();
  return loaded;
}

bool TDM::SaveCurrentProfileInfoToFile(const std::string& AFile) { return CurrentComponent().SaveStreamToFile(AFile); }

}  // namespace q9
