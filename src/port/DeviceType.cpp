#include "port/DeviceType.h"

#include <initializer_list>


namespace korva::port {

namespace {
bool BeginsWithAny(std::string_view name, std::initializer_list<std::string_view> prefixes) {
    for (std::string_view prefix : prefixes) {
        if (name.starts_with(prefix)) return true;
    }
    return false;
}
}  // namespace

int DeviceTypeForModel(std::string_view model) {
    if (model.starts_with("KORVA10")) return kDeviceTypeKorva10;
    if (BeginsWithAny(model, {"KORVA20II", "VQM-5146", "LUN 07II", "HX-6040"})) {
        return kDeviceTypeKorva20II;
    }
    return kDeviceTypeKorva20;
}

int ModelClassForModel(std::string_view model) {
    if (model.starts_with("KORVA10")) return kDeviceTypeKorva10;
    // Six characters only: a "VQM-51xx" that is not a 5146 is class 3 here but type 1 at OK.
    if (BeginsWithAny(model, {"KORVA20II", "VQM-51", "LUN 07II", "HX-6040"})) {
        return kDeviceTypeKorva20II;
    }
    if (BeginsWithAny(model, {"KORVA20", "ZOB480"})) return kDeviceTypeKorva20;
    return kDeviceTypeNone;
}

}  // namespace korva::port
