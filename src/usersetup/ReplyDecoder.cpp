#include "usersetup/ReplyDecoder.h"

#include <cstdio>
#include <optional>
#include <string_view>

namespace korva::usersetup {
namespace {

/// A whole text of decimal digits (at most 10, so any value fits); nullopt
/// for an empty text or any other character.
std::optional<uint64_t> Decimal(std::string_view text) {
    if (text.empty() || text.size() > 10) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return value;
}

/// The leading decimal digits; the first other character ends the number.
std::optional<uint64_t> LeadingDecimal(std::string_view text) {
    size_t n = 0;
    while (n < text.size() && text[n] >= '0' && text[n] <= '9') ++n;
    return Decimal(text.substr(0, n));
}

char First(const std::string& data) { return data.empty() ? '\0' : data[0]; }

DecodeStatus OnOffWithNumber(const std::string& data, int& onOff, int& number, int lo, int hi) {
    switch (First(data)) {
        case '1': {
            const auto value = Decimal(std::string_view(data).substr(1));
            if (!value || *value < static_cast<uint64_t>(lo) || *value > static_cast<uint64_t>(hi))
                return DecodeStatus::OutOfRange;
            onOff = kOn;
            number = static_cast<int>(*value);
            return DecodeStatus::Applied;
        }
        case '0':
            onOff = kOff;
            return DecodeStatus::Applied;
        default:
            return DecodeStatus::UnlistedValue;
    }
}

/// '1' gives `one`, '0' gives `zero`, anything else leaves the value.
DecodeStatus Switch(const std::string& data, int& value, int one, int zero) {
    switch (First(data)) {
        case '1':
            value = one;
            return DecodeStatus::Applied;
        case '0':
            value = zero;
            return DecodeStatus::Applied;
        default:
            return DecodeStatus::UnlistedValue;
    }
}

}  // namespace

const char* DecodeStatusText(DecodeStatus status) {
    switch (status) {
        case DecodeStatus::Applied:
            return "applied";
        case DecodeStatus::UnknownSetting:
            return "unknown setting";
        case DecodeStatus::UnlistedValue:
            return "unlisted value";
        case DecodeStatus::OutOfRange:
            return "value out of range";
    }
    return "";
}

DecodeStatus DecodeReply(const SettingReply& reply, UserSettings& s, const SetupLists& lists) {
    const std::string& data = reply.data;
    const char first = First(data);
    switch (reply.number) {
        case kNvUserMemory:
            s.nvUser = (first >= '2' && first <= '5') ? first - '1' : 0;
            return DecodeStatus::Applied;
        case kNvGraphicMemory:
            s.nvGraphic = (first >= '1' && first <= '6') ? first - '1' : 6;
            return DecodeStatus::Applied;
        case kPaperWidth:
            if (first == '6') {
                s.paperWidth = kWidth80mm;
                s.column = kEmpty;
            } else if (first == '2' || first == '3') {
                s.paperWidth = kWidth58mm;
                s.column = first == '2' ? kColumn30 : kColumn32;
            } else {
                return DecodeStatus::UnlistedValue;
            }
            return DecodeStatus::Applied;
        case kPaperType:
            if (data == "1")
                s.paperType = kBlack;
            else if (data == "257")
                s.paperType = kTwoColor;
            else
                return DecodeStatus::UnlistedValue;
            return DecodeStatus::Applied;
        case kDensity: {
            const auto value = Decimal(data);
            s.density = value == 70u ? kLight : (value == 100u ? kDark : kMedium);
            return DecodeStatus::Applied;
        }
        case kWaterMark:
            return OnOffWithNumber(data, s.waterMark, s.imageNumber, kMinImageNumber,
                                   kMaxImageNumber);
        case kCutAdjust:
            return OnOffWithNumber(data, s.cutAdjust, s.cutLines, kMinCutLines, kMaxCutLines);
        case kDrawerWithCut:
            return Switch(data, s.drawerWithCut, kOn, kOff);
        case kBell: {
            // Times outside 1..5 have no list entry; the reply is refused whole.
            const char times = data.size() >= 2 ? data[1] : '\0';
            if (times < '1' || times > '5') return DecodeStatus::OutOfRange;
            s.bellType = (first >= '1' && first <= '4') ? first - '1' : kOtherBell;
            s.bellTimes = times - '1';
            return DecodeStatus::Applied;
        }
        case kCodePage: {
            const auto value = Decimal(data);
            s.codePage = FindCodePage(lists.codePages,
                                      value && *value <= 255 ? static_cast<int>(*value) : -1);
            return DecodeStatus::Applied;
        }
        case kCutMode:
            return Switch(data, s.cutMode, kFullCut, kPartial);
        case kReserved:
            return Switch(data, s.reserved, kReservedOff, kReservedOn);
        case kSpeed: {
            const auto value = Decimal(data);
            s.speed = value == 200u ? 1 : value == 180u ? 2 : value == 150u ? 3 : 0;
            return DecodeStatus::Applied;
        }
        case kLeftMargin: {
            const auto value = Decimal(data);
            if (!value || *value > static_cast<uint64_t>(kMaxMargin))
                return DecodeStatus::OutOfRange;
            s.leftMargin = static_cast<int>(*value);
            return DecodeStatus::Applied;
        }
        case kSelfTestDrawer:
            s.selfTestDrawer = first == '1' ? kSelfTestDisable : kSelfTestEnable;
            return DecodeStatus::Applied;
        case kReceiveBuffer: {
            int index = kEmpty;
            if (data == "64")
                index = 0;
            else if (data == "32")
                index = 1;
            else if (data == "20")
                index = 2;
            else if (data == "04" || (first == '4' && data.size() <= 2))
                index = 3;
            if (index == kEmpty) return DecodeStatus::UnlistedValue;
            if (static_cast<size_t>(index) >= lists.receiveBuffers.size())
                return DecodeStatus::OutOfRange;
            s.receiveBuffer = index;
            return DecodeStatus::Applied;
        }
        case kStopBits:
            s.stopBits = first == '0' ? kStopOne : kStopTwo;
            return DecodeStatus::Applied;
        case kSetupCode: {
            const auto value = LeadingDecimal(data);
            if (!value || *value > 0xFFFFFFFFu) return DecodeStatus::OutOfRange;
            char text[16];
            std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(*value));
            s.setupCode = text;
            return DecodeStatus::Applied;
        }
        default:
            return DecodeStatus::UnknownSetting;
    }
}

}  // namespace korva::usersetup
