#pragma once
// The settings records. Every record is a fixed-size little-endian byte image; the offsets are the
// stored format of the registry values and the .GPX files, so each one is pinned by a static_assert.
// Records are copied whole (or by whole sub-record), never field by field.

#include <cstddef>
#include <cstdint>
#include <type_traits>

// Anonymous structs inside a union give the button groups and macro lists two names for the same
// bytes (by group name and by group number). GCC and Clang accept them as an extension.
#if defined(__GNUC__) || defined(__clang__)
#define Q9_ANONYMOUS_STRUCT __extension__ struct
#define Q9_VIEW_UNION __extension__ union
#else
#define Q9_ANONYMOUS_STRUCT struct
#define Q9_VIEW_UNION union
#endif

namespace q9 {

using Byte = std::uint8_t;
using Boolean = std::uint8_t;
using Word = std::uint16_t;
using Integer = std::int32_t;
using Cardinal = std::uint32_t;
using Single = float;
using WideChar = char16_t;

static_assert(sizeof(Single) == 4 && sizeof(WideChar) == 2);

/// Button groups: 0 plain, 1 Alt, 2 Ctrl, 3 Shift, 4 Win.
inline constexpr int kButtonGroupCount = 5;
/// Button groups the pages and the mouse use (plain, Alt, Ctrl, Shift).
inline constexpr int kDeviceButtonGroupCount = 4;
inline constexpr int kButtonsPerGroup = 16;
inline constexpr int kMacroStepCount = 60;
inline constexpr int kMacrosPerList = 21;
inline constexpr int kMacroNameLength = 50;
inline constexpr int kGameProfileCount = 5;
inline constexpr int kCpiLevelSlots = 11;
inline constexpr int kGameSetPathLength = 3093;
/// Characters of TGAMESET::szFilePath that are taken as the path.
inline constexpr int kGameSetPathUsed = 1024;

struct TSINGLEKEYINFO {
  Word nKeyValue1;
  Word nKey1Extended;
};

struct TCOMBOKEYINFO {
  Word nKeyValue1;
  Word nKey1Extended;
  Word nKeyValue2;
  Word nKey2Extended;
  Word nModifier;
};

struct THID_CODE_INFO {
  Word nKeyValue1;
  Word nKeyValue2;
  Word nModifier;
};

struct TFIREKEYINFO {
  Word nLoopCount;
  Word DelyValue;
};

/// Macro step kinds of TMACROENTRY::nEntryType.
enum MacroEntryType : Word { kMacroEntryMouse = 1, kMacroEntryKey = 4, kMacroEntryDelay = 6 };

struct TMACROENTRY {
  Word nEntryType;
  Word nEntryState;
  Byte nValueLo;
  Byte nValueHi;
};

struct TMACROKEYINFO {
  TMACROENTRY MacroList[kMacroStepCount];
  Integer MacroListCount;
  Word nAutoAddDelay;
  Word nLoopCount;
  Word nMacroIndex;
  Byte MacroUse;
  Byte gap371;
  WideChar szMacroName[kMacroNameLength];
};

struct TMACROKEYINFOLIST {
  TMACROKEYINFO MacroInfos[kMacrosPerList];
  Word nMacroInfoCount;
  Byte gap9914[2];
};

/// Categories of TBUTTONFUNCINFO::nFunctionType.
enum FunctionType : Byte {
  kFunctionSensitivityOrMode = 0,
  kFunctionMouseButton = 1,
  kFunctionCombo = 3,
  kFunctionMacro = 4,
  kFunctionFireKey = 5,
  kFunctionSingleKey = 8,
  kFunctionMedia = 10,
};

struct TBUTTONFUNCINFO {
  Word reserved0;
  TSINGLEKEYINFO SingleKeyInfo;
  TCOMBOKEYINFO ComboKeyInfo;
  THID_CODE_INFO MediaKeyInfo;
  Byte gap22[2];
  TMACROKEYINFO MacroKeyInfo;
  TFIREKEYINFO FireKeyInfo;
  Byte reserved500[4];
  Integer nFunctionParam;
  Byte reserved508[2824];
  Word nButtonIndex;
  Word nFunctionIndex;
  Byte nFunctionType;
  Byte gap3337[3];
  Integer nDeviceCode;
  Integer nMenuID;
  Byte reserved3348[4];
};

struct TMouseButtonConfigInfoEasyShiftEx {
  TBUTTONFUNCINFO ButtonFuncInfo[kButtonsPerGroup];
};

struct TCPILEVELINFO {
  Word nCPIX;
  Word nCPIY;
  Word nEnabled;
};

struct TLEDCONFIG {
  Byte R;
  Byte G;
  Byte B;
  Byte BRIGHT_LEVEL;
  Byte BREATH_SPEED;
  Byte BREATH_SECOND;
};

struct TSENSORLIFT {
  Byte SensorLift;
};

struct TPROFILE_MACRO_PATH {
  Byte FilePath[1026];
};

struct TMouseSettingInfoEasyShiftEx {
  Word VWheelType;
  Word HWheelType;
  Word VWheelSpeed;
  Word HWheelSpeed;
  Word DoubleClickSpeed;
  Word PointerSpeed;
  Word PointerAcceleration;
  Word UseSystemPointerSpeedSetting;
  Word ReportRate;
  Byte gap18[2];
  Integer CurrentCPIIndex;
  Word CurrentCPIX;
  Word CurrentCPIY;
  Word MinCPI;
  Word MaxCPI;
  Word UseDiffentXY[kCpiLevelSlots];
  Word UseCPIOnScreenFlyShow;
  TCPILEVELINFO CPIState[kCpiLevelSlots];
  Word CPILevel;
  Word AutoSwitchProfileWhenAppRun;
  Byte ApplicationList[10260];
  TLEDCONFIG LEDConfig;
  TSENSORLIFT Sensorlift;
  Byte gap10393[3];
  Integer ButtonCount;
  TPROFILE_MACRO_PATH ProfilePath;
  TPROFILE_MACRO_PATH MacroPath;
};

struct TProfileHeader {
  Byte FFileType[8];
  Byte FFileName[44];
  Cardinal FProfileSize;
};

struct TFUNCTIONLIST {
  Byte FunctionInfo[800];
};

struct TOtherConfig {
  Integer ShowNumLock;
  Integer ShowCapsLock;
  Integer ShowScrollLock;
  Integer ShowLockStatePop;
};

struct TReservedData {
  Integer IntegerData[10];
  Single SingleData[10];
  Boolean BooleanData[10];
  Byte CharData[130];
};

/// Slots of TALLPROFILESETTINGINFO::ReservedData.IntegerData.
inline constexpr int kSlotStartWithWindows = 0;
inline constexpr int kSlotMode1Profile = 1;
inline constexpr int kSlotMode2Profile = 2;

struct TEasyShiftOptions {
  Integer ShortCutsType;
  Integer EnableFeature;
  Integer EnableGroup1;
  Integer EnableGroup2;
  Integer EnableGroup3;
  Integer EnableGroup4;
};

/// TGAMESET::StorageType values.
inline constexpr Byte kStoredInRegistry = 0;
inline constexpr Byte kStoredInFile = 1;

struct TGAMESET {
  Word nFlag;
  WideChar szFilePath[kGameSetPathLength];
  Byte StorageType;
  Byte gap6189;
};

struct TALLPROFILESETTINGINFO {
  TGAMESET Allgameset[kGameProfileCount];
  Word CurrentProfileIndex;
  Byte CurrentLanguage;
  Byte gap30953[3];
  TReservedData ReservedData;
  TEasyShiftOptions EasyShiftOptions;
};

struct TMouseProfileInfoEasyShiftEx {
  TProfileHeader ProfileHeader;
  TFUNCTIONLIST FunctionList;
  TFUNCTIONLIST HWheelFunctionList;
  TFUNCTIONLIST VWheelFunctionList;
  TOtherConfig OtherConfig;
  TReservedData ReservedData;
  TMouseSettingInfoEasyShiftEx MouseSettingInfo;
  Q9_VIEW_UNION {
    Q9_ANONYMOUS_STRUCT {
      TMouseButtonConfigInfoEasyShiftEx MouseButtonConfigInfo;
      TMouseButtonConfigInfoEasyShiftEx MouseButtonConfigInfoAlt;
      TMouseButtonConfigInfoEasyShiftEx MouseButtonConfigInfoCtrl;
      TMouseButtonConfigInfoEasyShiftEx MouseButtonConfigInfoShift;
      TMouseButtonConfigInfoEasyShiftEx MouseButtonConfigInfoWin;
    };
    TMouseButtonConfigInfoEasyShiftEx MouseButtonConfigInfoSet[kButtonGroupCount];
  };
  Q9_VIEW_UNION {
    Q9_ANONYMOUS_STRUCT {
      TMACROKEYINFOLIST MacroKeyInfoList;
      TMACROKEYINFOLIST MacroKeyInfoListAlt;
      TMACROKEYINFOLIST MacroKeyInfoListCtrl;
      TMACROKEYINFOLIST MacroKeyInfoListShift;
      TMACROKEYINFOLIST MacroKeyInfoListWin;
    };
    TMACROKEYINFOLIST MacroKeyInfoListSet[kButtonGroupCount];
  };
};

// ---- sizes ----
static_assert(sizeof(TSINGLEKEYINFO) == 4);
static_assert(sizeof(TCOMBOKEYINFO) == 10);
static_assert(sizeof(THID_CODE_INFO) == 6);
static_assert(sizeof(TFIREKEYINFO) == 4);
static_assert(sizeof(TMACROENTRY) == 6);
static_assert(sizeof(TMACROKEYINFO) == 472);
static_assert(sizeof(TMACROKEYINFOLIST) == 9916);
static_assert(sizeof(TBUTTONFUNCINFO) == 3352);
static_assert(sizeof(TMouseButtonConfigInfoEasyShiftEx) == 53632);
static_assert(sizeof(TCPILEVELINFO) == 6);
static_assert(sizeof(TLEDCONFIG) == 6);
static_assert(sizeof(TSENSORLIFT) == 1);
static_assert(sizeof(TPROFILE_MACRO_PATH) == 1026);
static_assert(sizeof(TMouseSettingInfoEasyShiftEx) == 12452);
static_assert(sizeof(TProfileHeader) == 56);
static_assert(sizeof(TFUNCTIONLIST) == 800);
static_assert(sizeof(TOtherConfig) == 16);
static_assert(sizeof(TReservedData) == 220);
static_assert(sizeof(TEasyShiftOptions) == 24);
static_assert(sizeof(TGAMESET) == 6190);
static_assert(sizeof(TALLPROFILESETTINGINFO) == 31200);
static_assert(sizeof(TMouseProfileInfoEasyShiftEx) == 332884);

// ---- offsets ----
static_assert(offsetof(TSINGLEKEYINFO, nKeyValue1) == 0 && offsetof(TSINGLEKEYINFO, nKey1Extended) == 2);

static_assert(offsetof(TCOMBOKEYINFO, nKeyValue1) == 0 && offsetof(TCOMBOKEYINFO, nKey1Extended) == 2 &&
              offsetof(TCOMBOKEYINFO, nKeyValue2) == 4 && offsetof(TCOMBOKEYINFO, nKey2Extended) == 6 &&
              offsetof(TCOMBOKEYINFO, nModifier) == 8);

static_assert(offsetof(THID_CODE_INFO, nKeyValue1) == 0 && offsetof(THID_CODE_INFO, nKeyValue2) == 2 &&
              offsetof(THID_CODE_INFO, nModifier) == 4);

static_assert(offsetof(TFIREKEYINFO, nLoopCount) == 0 && offsetof(TFIREKEYINFO, DelyValue) == 2);

static_assert(offsetof(TMACROENTRY, nEntryType) == 0 && offsetof(TMACROENTRY, nEntryState) == 2 &&
              offsetof(TMACROENTRY, nValueLo) == 4 && offsetof(TMACROENTRY, nValueHi) == 5);

static_assert(offsetof(TMACROKEYINFO, MacroList) == 0 && offsetof(TMACROKEYINFO, MacroListCount) == 360 &&
              offsetof(TMACROKEYINFO, nAutoAddDelay) == 364 && offsetof(TMACROKEYINFO, nLoopCount) == 366 &&
              offsetof(TMACROKEYINFO, nMacroIndex) == 368 && offsetof(TMACROKEYINFO, MacroUse) == 370 &&
              offsetof(TMACROKEYINFO, gap371) == 371 && offsetof(TMACROKEYINFO, szMacroName) == 372);

static_assert(offsetof(TMACROKEYINFOLIST, MacroInfos) == 0 &&
              offsetof(TMACROKEYINFOLIST, nMacroInfoCount) == 9912 && offsetof(TMACROKEYINFOLIST, gap9914) == 9914);

static_assert(offsetof(TBUTTONFUNCINFO, reserved0) == 0 && offsetof(TBUTTONFUNCINFO, SingleKeyInfo) == 2 &&
              offsetof(TBUTTONFUNCINFO, ComboKeyInfo) == 6 && offsetof(TBUTTONFUNCINFO, MediaKeyInfo) == 16 &&
              offsetof(TBUTTONFUNCINFO, gap22) == 22 && offsetof(TBUTTONFUNCINFO, MacroKeyInfo) == 24 &&
              offsetof(TBUTTONFUNCINFO, FireKeyInfo) == 496 && offsetof(TBUTTONFUNCINFO, reserved500) == 500 &&
              offsetof(TBUTTONFUNCINFO, nFunctionParam) == 504 && offsetof(TBUTTONFUNCINFO, reserved508) == 508 &&
              offsetof(TBUTTONFUNCINFO, nButtonIndex) == 3332 && offsetof(TBUTTONFUNCINFO, nFunctionIndex) == 3334 &&
              offsetof(TBUTTONFUNCINFO, nFunctionType) == 3336 && offsetof(TBUTTONFUNCINFO, gap3337) == 3337 &&
              offsetof(TBUTTONFUNCINFO, nDeviceCode) == 3340 && offsetof(TBUTTONFUNCINFO, nMenuID) == 3344 &&
              offsetof(TBUTTONFUNCINFO, reserved3348) == 3348);

static_assert(offsetof(TMouseButtonConfigInfoEasyShiftEx, ButtonFuncInfo) == 0);

static_assert(offsetof(TCPILEVELINFO, nCPIX) == 0 && offsetof(TCPILEVELINFO, nCPIY) == 2 &&
              offsetof(TCPILEVELINFO, nEnabled) == 4);

static_assert(offsetof(TLEDCONFIG, R) == 0 && offsetof(TLEDCONFIG, G) == 1 && offsetof(TLEDCONFIG, B) == 2 &&
              offsetof(TLEDCONFIG, BRIGHT_LEVEL) == 3 && offsetof(TLEDCONFIG, BREATH_SPEED) == 4 &&
              offsetof(TLEDCONFIG, BREATH_SECOND) == 5);

static_assert(offsetof(TSENSORLIFT, SensorLift) == 0 && offsetof(TPROFILE_MACRO_PATH, FilePath) == 0);

static_assert(offsetof(TMouseSettingInfoEasyShiftEx, VWheelType) == 0 &&
              offsetof(TMouseSettingInfoEasyShiftEx, HWheelType) == 2 &&
              offsetof(TMouseSettingInfoEasyShiftEx, VWheelSpeed) == 4 &&
              offsetof(TMouseSettingInfoEasyShiftEx, HWheelSpeed) == 6 &&
              offsetof(TMouseSettingInfoEasyShiftEx, DoubleClickSpeed) == 8 &&
              offsetof(TMouseSettingInfoEasyShiftEx, PointerSpeed) == 10 &&
              offsetof(TMouseSettingInfoEasyShiftEx, PointerAcceleration) == 12 &&
              offsetof(TMouseSettingInfoEasyShiftEx, UseSystemPointerSpeedSetting) == 14 &&
              offsetof(TMouseSettingInfoEasyShiftEx, ReportRate) == 16 &&
              offsetof(TMouseSettingInfoEasyShiftEx, gap18) == 18 &&
              offsetof(TMouseSettingInfoEasyShiftEx, CurrentCPIIndex) == 20 &&
              offsetof(TMouseSettingInfoEasyShiftEx, CurrentCPIX) == 24 &&
              offsetof(TMouseSettingInfoEasyShiftEx, CurrentCPIY) == 26 &&
              offsetof(TMouseSettingInfoEasyShiftEx, MinCPI) == 28 &&
              offsetof(TMouseSettingInfoEasyShiftEx, MaxCPI) == 30 &&
              offsetof(TMouseSettingInfoEasyShiftEx, UseDiffentXY) == 32 &&
              offsetof(TMouseSettingInfoEasyShiftEx, UseCPIOnScreenFlyShow) == 54 &&
              offsetof(TMouseSettingInfoEasyShiftEx, CPIState) == 56 &&
              offsetof(TMouseSettingInfoEasyShiftEx, CPILevel) == 122 &&
              offsetof(TMouseSettingInfoEasyShiftEx, AutoSwitchProfileWhenAppRun) == 124 &&
              offsetof(TMouseSettingInfoEasyShiftEx, ApplicationList) == 126 &&
              offsetof(TMouseSettingInfoEasyShiftEx, LEDConfig) == 10386 &&
              offsetof(TMouseSettingInfoEasyShiftEx, Sensorlift) == 10392 &&
              offsetof(TMouseSettingInfoEasyShiftEx, gap10393) == 10393 &&
              offsetof(TMouseSettingInfoEasyShiftEx, ButtonCount) == 10396 &&
              offsetof(TMouseSettingInfoEasyShiftEx, ProfilePath) == 10400 &&
              offsetof(TMouseSettingInfoEasyShiftEx, MacroPath) == 11426);

static_assert(offsetof(TProfileHeader, FFileType) == 0 && offsetof(TProfileHeader, FFileName) == 8 &&
              offsetof(TProfileHeader, FProfileSize) == 52);

static_assert(offsetof(TFUNCTIONLIST, FunctionInfo) == 0);

static_assert(offsetof(TOtherConfig, ShowNumLock) == 0 && offsetof(TOtherConfig, ShowCapsLock) == 4 &&
              offsetof(TOtherConfig, ShowScrollLock) == 8 && offsetof(TOtherConfig, ShowLockStatePop) == 12);

static_assert(offsetof(TReservedData, IntegerData) == 0 && offsetof(TReservedData, SingleData) == 40 &&
              offsetof(TReservedData, BooleanData) == 80 && offsetof(TReservedData, CharData) == 90);

static_assert(offsetof(TEasyShiftOptions, ShortCutsType) == 0 && offsetof(TEasyShiftOptions, EnableFeature) == 4 &&
              offsetof(TEasyShiftOptions, EnableGroup1) == 8 && offsetof(TEasyShiftOptions, EnableGroup2) == 12 &&
              offsetof(TEasyShiftOptions, EnableGroup3) == 16 && offsetof(TEasyShiftOptions, EnableGroup4) == 20);

static_assert(offsetof(TGAMESET, nFlag) == 0 && offsetof(TGAMESET, szFilePath) == 2 &&
              offsetof(TGAMESET, StorageType) == 6188 && offsetof(TGAMESET, gap6189) == 6189);

static_assert(offsetof(TALLPROFILESETTINGINFO, Allgameset) == 0 &&
              offsetof(TALLPROFILESETTINGINFO, CurrentProfileIndex) == 30950 &&
              offsetof(TALLPROFILESETTINGINFO, CurrentLanguage) == 30952 &&
              offsetof(TALLPROFILESETTINGINFO, gap30953) == 30953 &&
              offsetof(TALLPROFILESETTINGINFO, ReservedData) == 30956 &&
              offsetof(TALLPROFILESETTINGINFO, EasyShiftOptions) == 31176);

static_assert(offsetof(TMouseProfileInfoEasyShiftEx, ProfileHeader) == 0 &&
              offsetof(TMouseProfileInfoEasyShiftEx, FunctionList) == 56 &&
              offsetof(TMouseProfileInfoEasyShiftEx, HWheelFunctionList) == 856 &&
              offsetof(TMouseProfileInfoEasyShiftEx, VWheelFunctionList) == 1656 &&
              offsetof(TMouseProfileInfoEasyShiftEx, OtherConfig) == 2456 &&
              offsetof(TMouseProfileInfoEasyShiftEx, ReservedData) == 2472 &&
              offsetof(TMouseProfileInfoEasyShiftEx, MouseSettingInfo) == 2692 &&
              offsetof(TMouseProfileInfoEasyShiftEx, MouseButtonConfigInfo) == 15144 &&
              offsetof(TMouseProfileInfoEasyShiftEx, MouseButtonConfigInfoAlt) == 68776 &&
              offsetof(TMouseProfileInfoEasyShiftEx, MouseButtonConfigInfoCtrl) == 122408 &&
              offsetof(TMouseProfileInfoEasyShiftEx, MouseButtonConfigInfoShift) == 176040 &&
              offsetof(TMouseProfileInfoEasyShiftEx, MouseButtonConfigInfoWin) == 229672 &&
              offsetof(TMouseProfileInfoEasyShiftEx, MouseButtonConfigInfoSet) == 15144 &&
              offsetof(TMouseProfileInfoEasyShiftEx, MacroKeyInfoList) == 283304 &&
              offsetof(TMouseProfileInfoEasyShiftEx, MacroKeyInfoListAlt) == 293220 &&
              offsetof(TMouseProfileInfoEasyShiftEx, MacroKeyInfoListCtrl) == 303136 &&
              offsetof(TMouseProfileInfoEasyShiftEx, MacroKeyInfoListShift) == 313052 &&
              offsetof(TMouseProfileInfoEasyShiftEx, MacroKeyInfoListWin) == 322968 &&
              offsetof(TMouseProfileInfoEasyShiftEx, MacroKeyInfoListSet) == 283304);

// Whole-image copies (memcpy) are only sound for trivially copyable records.
static_assert(std::is_trivially_copyable_v<TALLPROFILESETTINGINFO> &&
              std::is_trivially_copyable_v<TMouseProfileInfoEasyShiftEx>);

}  // namespace q9
