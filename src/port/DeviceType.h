#pragma once
#include <string_view>

namespace korva::port {

/// Printer series a connection talks to: decides commands and dialogs.
enum DeviceType : int {
    kDeviceTypeNone = 0,     ///< before the first connection is confirmed
    kDeviceTypeKorva20 = 1,  ///< KORVA20 first generation and other known names
    kDeviceTypeKorva10 = 2,  ///< KORVA10: the older series
    kDeviceTypeKorva20II = 3 ///< KORVA20II and the related models
};

/// Device type of a model name, first match of its beginning wins:
/// "KORVA10" -> 2; "KORVA20II", "VQM-5146", "LUN 07II", "HX-6040" -> 3; else 1.
int DeviceTypeForModel(std::string_view model);

/// Model class the connection dialog derives while a model is being chosen
/// (compares only "VQM-51"); 0 means the name is not a known printer.
int ModelClassForModel(std::string_view model);

}  // namespace korva::port
