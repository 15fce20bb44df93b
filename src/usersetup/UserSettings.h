#pragma once
// The printer's user settings as the user setup tool holds them: one value
// per setting, -1 while the setting is empty (not read, not chosen). Radio
// choices are held as the index of the button, list choices as the index of
// the list entry, in the order of the fixed lists below.
#include <array>
#include <cstdint>
#include <map>
#include <string>

namespace korva::usersetup {

inline constexpr int kEmpty = -1;

/// The printer's setting numbers (the byte after the function in a request).
enum SettingNumber : uint8_t {
    kNvUserMemory = 0x01,
    kNvGraphicMemory = 0x02,
    kPaperWidth = 0x03,
    kPaperType = 0x74,
    kDensity = 0x76,
    kWaterMark = 0xF2,
    kCutAdjust = 0xF3,
    kDrawerWithCut = 0xF4,
    kBell = 0xF5,
    kCodePage = 0xF6,
    kCutMode = 0xF7,
    kReserved = 0xF8,
    kSpeed = 0xF9,
    kLeftMargin = 0xFA,
    kSelfTestDrawer = 0xFB,
    kReceiveBuffer = 0xFC,
    kStopBits = 0xFD,
    kSetupCode = 0xFF,
};

// Radio indexes (first button = 0).
enum PaperWidth { kWidth80mm = 0, kWidth58mm = 1 };
enum Column { kColumn30 = 0, kColumn32 = 1 };
enum PaperType { kBlack = 0, kTwoColor = 1 };
enum Density { kLight = 0, kMedium = 1, kDark = 2 };
enum OnOff { kOff = 0, kOn = 1 };  ///< water mark, cut adjust, drawer with cutting
enum CutMode { kPartial = 0, kFullCut = 1 };
enum ReservedSwitch { kReservedOff = 0, kReservedOn = 1 };
enum SelfTestDrawer { kSelfTestEnable = 0, kSelfTestDisable = 1 };
enum StopBits { kStopOne = 0, kStopTwo = 1 };
enum BellType { kQuelmBell = 0, kMelody1 = 1, kMelody2 = 2, kMelody3 = 3, kOtherBell = 4 };

inline constexpr int kMinImageNumber = 1, kMaxImageNumber = 255;
inline constexpr int kMinCutLines = 0, kMaxCutLines = 255;
inline constexpr int kMinMargin = 0, kMaxMargin = 512;
inline constexpr size_t kMaxSetupCodeLength = 8;
/// NV user + NV graphic memory may not exceed this many KByte.
inline constexpr int kMaxNvTotalKb = 448;

struct UserSettings {
    int paperWidth = kEmpty;
    int column = kEmpty;
    int paperType = kEmpty;
    int density = kEmpty;
    int waterMark = kEmpty;
    int imageNumber = 1;
    int cutAdjust = kEmpty;
    int cutLines = 0;
    int drawerWithCut = kEmpty;
    int bellType = kEmpty;
    int bellTimes = kEmpty;  ///< index in the times list: times - 1
    int codePage = kEmpty;   ///< index in the code-page list
    int nvGraphic = kEmpty;  ///< index in the NV graphic list
    int nvUser = kEmpty;     ///< index in the NV user list
    int cutMode = kEmpty;
    int speed = kEmpty;  ///< index in the speed list
    int reserved = kEmpty;
    int selfTestDrawer = kEmpty;
    int stopBits = kEmpty;
    int receiveBuffer = kEmpty;  ///< index in the receive-buffer list
    int leftMargin = 0;           ///< -1 while unknown (an answer outside 0..512)
    std::string setupCode = "0";  ///< upper-case hexadecimal text
    /// Answers outside the tool's lists that the printer takes back as they
    /// are, by setting number (a density or speed, a code page the profile
    /// does not list): the setting itself stays empty, and the value goes back
    /// unchanged in the next write unless a value is chosen.
    std::map<uint8_t, int> verbatim;
    /// Answers that are no value the printer takes, by setting number, with
    /// the answer's text: the setting is unknown. It is left out of a write,
    /// and a write that must carry it (the margin, the setup code) is refused
    /// until a value is chosen.
    std::map<uint8_t, std::string> unknown;

    bool operator==(const UserSettings&) const = default;
};

// The fixed lists, in the order the controls hold them.
inline constexpr std::array<const char*, 2> kColumnTexts{"30 Column", "32 Column"};
inline constexpr std::array<const char*, 3> kDensityTexts{"LIGHT", "MEDIUM", "DARK"};
inline constexpr std::array<const char*, 5> kBellTexts{
    "QUELM Bell", "QUELM Melody 1", "QUELM Melody 2", "QUELM Melody 3", "Other Bell"};
inline constexpr std::array<const char*, 5> kBellTimesTexts{"1", "2", "3", "4", "5"};
inline constexpr std::array<int, 7> kNvGraphicKb{0, 64, 128, 192, 256, 320, 384};
inline constexpr std::array<int, 5> kNvUserKb{64, 128, 192, 256, 320};
inline constexpr std::array<int, 4> kSpeeds{220, 200, 180, 150};
inline constexpr std::array<uint8_t, 3> kDensityPercent{70, 85, 100};

/// Which dependent controls can be used with these settings: a list or edit
/// that belongs to a choice is usable unless the choice turns it off.
struct DependentControls {
    bool columnList = true;
    bool densityList = true;
    bool imageEdit = true;
    bool lineEdit = true;
    /// The caption after the times list: " / 5" for the three melodies, else "Times".
    const char* timesCaption = "Times";
};
DependentControls DependentControlsFor(const UserSettings& settings);

}  // namespace korva::usersetup
