#include "profile/ModelRules.h"

#include "printer/Series.h"

namespace korva::profile {
ConnectPortKind PortKindForModel(std::string_view model, int modelClass) {
    using printer::Series;
    const Series series = printer::SeriesOf(modelClass);
    if (model.ends_with("E-II")) return kConnectEthernet;
    if (model.ends_with("II") && (series == Series::Korva20 || series == Series::Korva20II))
        return kConnectUsb;
    if (model.ends_with("P")) return kConnectParallel;
    if (model.ends_with("S")) return kConnectSerial;
    if (model.ends_with("-I")) return kConnectSerialUI;
    return kConnectNone;
}

std::string_view UsbHardwareIdPrefix(int modelClass) {
    return printer::UsbIdPrefix(printer::SeriesOf(modelClass));
}

const std::vector<std::string>& BuiltInModels() {
    static const std::vector<std::string> models = {
        "KORVA20S",     "KORVA20P",      "KORVA20U-I",    "KORVA20U-II",
        "KORVA20IIS",   "KORVA20IIP",    "KORVA20IIU-I",  "KORVA20IIU-II",
        "KORVA20IIE-II", "KORVA10P",     "KORVA10S",      "KORVA10U",
    };
    return models;
}

std::vector<std::string> ModelList(const base::Profile& profile) {
    std::vector<std::string> models;
    for (int n = 1; n <= kMaxProfileModels; ++n) {
        std::string model = profile.GetString("DEVICELIST", std::to_string(n));
        if (model.empty()) break;
        models.push_back(std::move(model));
    }
    if (models.empty()) models = BuiltInModels();
    return models;
}

std::vector<int> InitialBaudRates() { return {115200, 38400, 19200, 9600}; }

std::vector<int> BaudRatesForClass(int modelClass) {
    if (printer::SeriesOf(modelClass) == printer::Series::Korva10) return {38400, 19200, 9600};
    return {115200, 57600, 38400, 19200, 9600};
}

int LeadingNumber(std::string_view text) {
    int value = 0;
    size_t digits = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        if (value > 100'000'000) return -1;  // no list entry is this long
        value = value * 10 + (c - '0');
        ++digits;
    }
    return digits == 0 ? -1 : value;
}

int StopBitsFromText(std::string_view text) {
    if (text == "1.5") return 1;
    if (text == "2") return 2;
    return 0;
}

}  // namespace korva::profile
