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

template <class OnUnknown>
DecodeStatus OnOffWithNumber(const std::string& data, int& onOff, int& number, int lo, int hi,
                             OnUnknown unknown) {
    switch (First(data)) {
        case '1': {
            const auto value = Decimal(std::string_view(data).substr(1));
            if (!value || *value < static_cast<uint64_t>(lo) || *value > static_cast<uint64_t>(hi))
                return unknown(DecodeStatus::OutOfRange);
            onOff = kOn;
            number = static_cast<int>(*value);
            return DecodeStatus::Applied;
        }
        case '0':
            onOff = kOff;
            return DecodeStatus::Applied;
        default:
            return unknown(DecodeStatus::UnlistedValue);
    }
}

/// '1' gives `one`, '0' gives `zero`; false for anything else.
bool Switch(const std::string& data, int& value, int one, int zero) {
    const char c = First(data);
    if (c != '0' && c != '1') return false;
    value = c == '1' ? one : zero;
    return true;
}

}  // namespace

std::string PrintableAnswer(std::string_view data) {
    std::string out;
    for (char c : data) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && c != '\\') {
            out += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        }
    }
    return out;
}

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

namespace {

/// The answer is no value the printer takes: `field` becomes empty and the
/// answer is kept for messages, so no stand-in is ever shown or written back.
DecodeStatus Unknown(UserSettings& s, const SettingReply& reply, int& field, DecodeStatus why) {
    field = kEmpty;
    s.unknown[reply.number] = reply.data;
    return why;
}

/// A number the printer takes back as it is, outside the tool's list.
DecodeStatus Verbatim(UserSettings& s, const SettingReply& reply, int& field, uint64_t value) {
    field = kEmpty;
    s.verbatim[reply.number] = static_cast<int>(value);
    return DecodeStatus::Applied;
}

/// A one-character answer from `lo` to `hi` (the wire code of a list entry)
/// as the entry's index.
DecodeStatus Code(UserSettings& s, const SettingReply& reply, int& field, char lo, char hi) {
    const char c = First(reply.data);
    if (c < lo || c > hi) return Unknown(s, reply, field, DecodeStatus::UnlistedValue);
    field = c - lo;
    return DecodeStatus::Applied;
}

}  // namespace

DecodeStatus DecodeReply(const SettingReply& reply, UserSettings& s, const SetupLists& lists) {
    const std::string& data = reply.data;
    const char first = First(data);
    const auto unlisted = [&](int& field) {
        return Unknown(s, reply, field, DecodeStatus::UnlistedValue);
    };
    const auto outOfRange = [&](int& field) {
        return Unknown(s, reply, field, DecodeStatus::OutOfRange);
    };
    // A new answer replaces whatever the last one left.
    s.verbatim.erase(reply.number);
    s.unknown.erase(reply.number);
    switch (reply.number) {
        case kNvUserMemory:  // '1'..'5': 64..320 KByte
            return Code(s, reply, s.nvUser, '1', '5');
        case kNvGraphicMemory:  // '1'..'7': 0..384 KByte
            return Code(s, reply, s.nvGraphic, '1', '7');
        case kPaperWidth:
            if (first == '6') {
                s.paperWidth = kWidth80mm;
                s.column = kEmpty;
            } else if (first == '2' || first == '3') {
                s.paperWidth = kWidth58mm;
                s.column = first == '2' ? kColumn30 : kColumn32;
            } else {
                s.column = kEmpty;
                return unlisted(s.paperWidth);
            }
            return DecodeStatus::Applied;
        case kPaperType:
            if (data == "1")
                s.paperType = kBlack;
            else if (data == "257")
                s.paperType = kTwoColor;
            else
                return unlisted(s.paperType);
            return DecodeStatus::Applied;
        case kDensity: {
            // Any percentage goes back as it is; the list holds three of them.
            const auto value = Decimal(data);
            if (!value || *value > 255) return unlisted(s.density);
            if (*value == 70u || *value == 85u || *value == 100u) {
                s.density = *value == 70u ? kLight : (*value == 100u ? kDark : kMedium);
                return DecodeStatus::Applied;
            }
            return Verbatim(s, reply, s.density, *value);
        }
        case kWaterMark:
            return OnOffWithNumber(data, s.waterMark, s.imageNumber, kMinImageNumber,
                                   kMaxImageNumber, [&](DecodeStatus why) {
                                       return Unknown(s, reply, s.waterMark, why);
                                   });
        case kCutAdjust:
            return OnOffWithNumber(data, s.cutAdjust, s.cutLines, kMinCutLines, kMaxCutLines,
                                   [&](DecodeStatus why) {
                                       return Unknown(s, reply, s.cutAdjust, why);
                                   });
        case kDrawerWithCut:
            return Switch(data, s.drawerWithCut, kOn, kOff) ? DecodeStatus::Applied
                                                            : unlisted(s.drawerWithCut);
        case kBell: {
            // Type '0' is the other bell; times outside 1..5 have no list entry.
            const char times = data.size() >= 2 ? data[1] : '\0';
            if (times < '1' || times > '5' || first < '0' || first > '4') {
                s.bellTimes = kEmpty;
                return outOfRange(s.bellType);
            }
            s.bellType = first == '0' ? kOtherBell : first - '1';
            s.bellTimes = times - '1';
            return DecodeStatus::Applied;
        }
        case kCodePage: {
            const auto value = Decimal(data);
            if (!value || *value > 255) return unlisted(s.codePage);
            s.codePage = FindCodePage(lists.codePages, static_cast<int>(*value));
            if (s.codePage == kEmpty) return Verbatim(s, reply, s.codePage, *value);
            return DecodeStatus::Applied;
        }
        case kCutMode:
            return Switch(data, s.cutMode, kFullCut, kPartial) ? DecodeStatus::Applied
                                                               : unlisted(s.cutMode);
        case kReserved:
            return Switch(data, s.reserved, kReservedOff, kReservedOn) ? DecodeStatus::Applied
                                                                       : unlisted(s.reserved);
        case kSpeed: {
            // Any speed in mm/sec goes back as it is; the list holds four of them.
            const auto value = Decimal(data);
            if (!value || *value > 0xFFFF) return unlisted(s.speed);
            for (size_t i = 0; i < kSpeeds.size(); ++i)
                if (*value == static_cast<uint64_t>(kSpeeds[i])) {
                    s.speed = static_cast<int>(i);
                    return DecodeStatus::Applied;
                }
            return Verbatim(s, reply, s.speed, *value);
        }
        case kLeftMargin: {
            const auto value = Decimal(data);
            if (!value || *value > static_cast<uint64_t>(kMaxMargin)) return outOfRange(s.leftMargin);
            s.leftMargin = static_cast<int>(*value);
            return DecodeStatus::Applied;
        }
        case kSelfTestDrawer:
            return Switch(data, s.selfTestDrawer, kSelfTestDisable, kSelfTestEnable)
                       ? DecodeStatus::Applied
                       : unlisted(s.selfTestDrawer);
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
            if (index == kEmpty) return unlisted(s.receiveBuffer);
            if (static_cast<size_t>(index) >= lists.receiveBuffers.size())
                return outOfRange(s.receiveBuffer);
            s.receiveBuffer = index;
            return DecodeStatus::Applied;
        }
        case kStopBits:
            return Switch(data, s.stopBits, kStopTwo, kStopOne) ? DecodeStatus::Applied
                                                                : unlisted(s.stopBits);
        case kSetupCode: {
            const auto value = LeadingDecimal(data);
            if (!value || *value > 0xFFFFFFFFu) {
                s.setupCode.clear();
                s.unknown[reply.number] = data;
                return DecodeStatus::OutOfRange;
            }
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
