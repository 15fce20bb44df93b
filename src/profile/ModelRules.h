#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "base/Profile.h"

namespace korva::profile {

/// How the connection dialog reaches a model, told by the end of its name.
enum ConnectPortKind : int {
    kConnectNone = 0,       ///< no port kind: OK stays disabled
    kConnectSerial = 1,     ///< name ends "S"
    kConnectParallel = 2,   ///< name ends "P"
    kConnectSerialUI = 3,   ///< name ends "-I": the "U-I" models, serial too
    kConnectUsb = 4,        ///< name ends "II" (class 1 or 3): the USB printer
    kConnectEthernet = 6,   ///< name ends "E-II"
};

// The model class (while choosing) and the device type (at OK) come from
// port/DeviceType.h: ModelClassForModel and DeviceTypeForModel.

/// Port kind by the end of the model name, in the order "E-II", "II" (only
/// for class 1 or 3), "P", "S", "-I".
ConnectPortKind PortKindForModel(std::string_view model, int modelClass);

/// Hardware-id prefix the USB printer of a class carries: PID 0101 for the
/// first generation (class 1), 0102 for class 3; "" for a class without USB.
std::string_view UsbHardwareIdPrefix(int modelClass);

/// The twelve models offered when the profile names none.
const std::vector<std::string>& BuiltInModels();

/// The models of the profile section "DEVICELIST": keys "1", "2", ... read in
/// order up to the first empty or missing value; the built-in list when the
/// section yields none.
std::vector<std::string> ModelList(const base::Profile& profile);

/// Profiles are edited by hand; a runaway model list is cut after this many.
inline constexpr int kMaxProfileModels = 256;

/// Baud rates offered: before any model, and after choosing a serial model
/// of a class (class 2 runs at most 38400).
std::vector<int> InitialBaudRates();
std::vector<int> BaudRatesForClass(int modelClass);

/// The decimal digits a list entry begins with ("8 Bits" -> 8); -1 without any.
int LeadingNumber(std::string_view text);

/// Stop-bit code of the list text: "1.5" -> 1, "2" -> 2, anything else 0.
int StopBitsFromText(std::string_view text);

}  // namespace korva::profile
