#pragma once
#include <string_view>

#include "printer/Series.h"

namespace korva::port {

/// Printer series a connection talks to: decides commands and dialogs.
enum DeviceType : int {
    /// before the first connection is confirmed
    kDeviceTypeNone = static_cast<int>(printer::Series::None),
    /// KORVA20 first generation and other known names
    kDeviceTypeKorva20 = static_cast<int>(printer::Series::Korva20),
    /// KORVA10: the older series
    kDeviceTypeKorva10 = static_cast<int>(printer::Series::Korva10),
    /// KORVA20II and the related models
    kDeviceTypeKorva20II = static_cast<int>(printer::Series::Korva20II),
};

/// Device type of a model name, first match of its beginning wins:
/// "KORVA10" -> 2; "KORVA20II", "VQM-5146", "LUN 07II", "HX-6040" -> 3; else 1.
int DeviceTypeForModel(std::string_view model);

/// Model class the connection dialog derives while a model is being chosen
/// (compares only "VQM-51"); 0 means the name is not a known printer.
int ModelClassForModel(std::string_view model);

}  // namespace korva::port
