#include "usersetup/SettingNames.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <functional>

#include "base/ShortText.h"
#include "usersetup/SetupCommands.h"
#include "usersetup/ReplyDecoder.h"

namespace korva::usersetup {
namespace {

constexpr std::array<const char*, 5> kBellNames{"quelm", "melody1", "melody2", "melody3", "other"};

std::optional<int> Number(std::string_view text, int lo, int hi) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < lo || value > hi)
        return std::nullopt;
    return value;
}

/// Index of `text` among `names`, or nullopt.
template <class Names>
std::optional<int> Choice(std::string_view text, const Names& names) {
    for (size_t i = 0; i < names.size(); ++i)
        if (text == std::string_view(names[i])) return static_cast<int>(i);
    return std::nullopt;
}

template <size_t N>
std::optional<int> KbIndex(std::string_view text, const std::array<int, N>& sizes) {
    const auto kb = Number(text, 0, 100000);
    for (size_t i = 0; kb && i < N; ++i)
        if (sizes[i] == *kb) return static_cast<int>(i);
    return std::nullopt;
}

template <class Names>
std::string Join(const Names& names) {
    std::string out;
    for (const auto& n : names) out += (out.empty() ? "" : "|") + std::string(n);
    return out;
}

}  // namespace

const char* SettingNamesHelp() {
    return "  paper-width=80|58        columns=30|32 (58 mm paper)\n"
           "  paper-type=black|2color  density=light|medium|dark (two-colour paper)\n"
           "  water-mark=disable|N     N = image number 1..255 enables it\n"
           "  cut-adjust=off|N         N = line count 0..255 turns it on\n"
           "  drawer-with-cut=disable|enable\n"
           "  bell=quelm|melody1|melody2|melody3|other   bell-times=1..5\n"
           "  code-page=N              printer code page number (0 PC437, 16 WPC1252, ...)\n"
           "  nv-graphic=0|64|128|192|256|320|384   nv-user=64|128|192|256|320 (KByte, 448 in "
           "all)\n"
           "  cut-mode=partial|full    speed=220|200|180|150 (mm/sec)\n"
           "  self-test-drawer=enable|disable   stop-bits=1|2\n"
           "  receive-buffer=64|32|20|4 (KByte)  margin=0..512 (dots)\n"
           "  setup-code=HEX           up to 8 hexadecimal digits\n";
}

uint8_t SettingNumberOf(std::string_view name) {
    static constexpr std::pair<const char*, uint8_t> kNumbers[] = {
        {"paper-width", kPaperWidth},   {"columns", kPaperWidth},
        {"paper-type", kPaperType},     {"density", kDensity},
        {"water-mark", kWaterMark},     {"cut-adjust", kCutAdjust},
        {"drawer-with-cut", kDrawerWithCut}, {"bell", kBell},
        {"bell-times", kBell},          {"code-page", kCodePage},
        {"nv-graphic", kNvGraphicMemory}, {"nv-user", kNvUserMemory},
        {"cut-mode", kCutMode},         {"speed", kSpeed},
        {"reserved", kReserved},        {"self-test-drawer", kSelfTestDrawer},
        {"stop-bits", kStopBits},       {"receive-buffer", kReceiveBuffer},
        {"margin", kLeftMargin},        {"setup-code", kSetupCode},
    };
    for (const auto& [n, number] : kNumbers)
        if (name == n) return number;
    return 0;
}

std::vector<std::pair<std::string, std::string>> DescribeSettings(const UserSettings& s,
                                                                  const SetupLists& lists) {
    std::vector<std::pair<std::string, std::string>> out;
    // A value outside the tool's lists shows as the printer's number, an
    // answer that is no value as "unknown"; a setting never answered is left out.
    auto add = [&](const char* name, bool has, const std::function<std::string()>& value) {
        const uint8_t number = SettingNumberOf(name);
        if (has)
            out.emplace_back(name, value());
        else if (const auto v = s.verbatim.find(number); v != s.verbatim.end())
            out.emplace_back(name, std::to_string(v->second));
        else if (s.unknown.count(number))
            out.emplace_back(name, kUnknownText);
    };
    auto in = [](int v, size_t n) { return v >= 0 && static_cast<size_t>(v) < n; };
    add("paper-width", s.paperWidth != kEmpty,
        [&] { return s.paperWidth == kWidth58mm ? "58" : "80"; });
    if (s.paperWidth == kWidth58mm && in(s.column, 2))
        out.emplace_back("columns", s.column == kColumn30 ? "30" : "32");
    add("paper-type", s.paperType != kEmpty,
        [&] { return s.paperType == kTwoColor ? "2color" : "black"; });
    add("density", in(s.density, 3), [&] {
        return s.density == kLight ? "light" : s.density == kDark ? "dark" : "medium";
    });
    add("water-mark", s.waterMark != kEmpty,
        [&] { return s.waterMark == kOn ? std::to_string(s.imageNumber) : "disable"; });
    add("cut-adjust", s.cutAdjust != kEmpty,
        [&] { return s.cutAdjust == kOn ? std::to_string(s.cutLines) : "off"; });
    add("drawer-with-cut", s.drawerWithCut != kEmpty,
        [&] { return s.drawerWithCut == kOn ? "enable" : "disable"; });
    add("bell", in(s.bellType, kBellNames.size()),
        [&] { return kBellNames[static_cast<size_t>(s.bellType)]; });
    if (in(s.bellTimes, 5)) out.emplace_back("bell-times", std::to_string(s.bellTimes + 1));
    add("code-page", in(s.codePage, lists.codePages.size()), [&] {
        return std::to_string(CodePageNumber(lists.codePages[static_cast<size_t>(s.codePage)]));
    });
    add("nv-graphic", in(s.nvGraphic, kNvGraphicKb.size()),
        [&] { return std::to_string(kNvGraphicKb[static_cast<size_t>(s.nvGraphic)]); });
    add("nv-user", in(s.nvUser, kNvUserKb.size()),
        [&] { return std::to_string(kNvUserKb[static_cast<size_t>(s.nvUser)]); });
    add("cut-mode", s.cutMode != kEmpty, [&] { return s.cutMode == kFullCut ? "full" : "partial"; });
    add("speed", in(s.speed, kSpeeds.size()),
        [&] { return std::to_string(kSpeeds[static_cast<size_t>(s.speed)]); });
    add("reserved", s.reserved != kEmpty, [&] { return s.reserved == kReservedOn ? "on" : "off"; });
    add("self-test-drawer", s.selfTestDrawer != kEmpty,
        [&] { return s.selfTestDrawer == kSelfTestDisable ? "disable" : "enable"; });
    add("stop-bits", s.stopBits != kEmpty, [&] { return s.stopBits == kStopTwo ? "2" : "1"; });
    add("receive-buffer", in(s.receiveBuffer, lists.receiveBuffers.size()),
        [&] { return lists.receiveBuffers[static_cast<size_t>(s.receiveBuffer)]; });
    add("margin", s.leftMargin >= 0 && !s.unknown.count(kLeftMargin),
        [&] { return std::to_string(s.leftMargin); });
    add("setup-code", !s.unknown.count(kSetupCode), [&] { return s.setupCode; });
    return out;
}

std::vector<std::string> WriteOnlySettings(std::span<const uint8_t> asked) {
    // Every read asks for all the others; only the serial line's own stop bits
    // are left out where there is no serial line.
    std::vector<std::string> out;
    for (const char* name : {"stop-bits"}) {
        const uint8_t number = SettingNumberOf(name);
        if (std::find(asked.begin(), asked.end(), number) == asked.end()) out.emplace_back(name);
    }
    return out;
}

void ForgetWriteOnlySetting(UserSettings& s, std::string_view name) {
    if (name == "stop-bits") s.stopBits = kEmpty;
}

std::vector<std::string> UnknownSettings(const UserSettings& s, const SetupLists& lists) {
    std::vector<std::string> out;
    for (const auto& [name, value] : DescribeSettings(s, lists)) {
        const uint8_t number = SettingNumberOf(name);
        const auto answer = s.unknown.find(number);
        if (value != kUnknownText || answer == s.unknown.end()) continue;
        out.push_back(name + " (setting " + std::to_string(number) + ") answered \"" +
                      PrintableAnswer(answer->second) + "\", which is no value it takes: shown as unknown");
    }
    return out;
}

namespace {
std::string ApplyValue(UserSettings& s, const SetupLists& lists, std::string_view name,
                       std::string_view value);
}

std::string ApplySettingText(UserSettings& s, const SetupLists& lists, std::string_view name,
                             std::string_view value) {
    std::string why = ApplyValue(s, lists, name, value);
    if (!why.empty()) return why;
    // A chosen value replaces whatever the printer answered for the setting;
    // bell-times alone leaves an unknown bell type unknown.
    const uint8_t number = SettingNumberOf(name);
    s.verbatim.erase(number);
    if (name != "bell-times") s.unknown.erase(number);
    return "";
}

namespace {
std::string ApplyValue(UserSettings& s, const SetupLists& lists, std::string_view name,
                       std::string_view value) {
    auto bad = [&](const std::string& allowed) {
        return std::string(name) + " takes " + allowed + ", not \"" + base::ShortQuote(value) + "\"";
    };
    auto set = [](int& field, std::optional<int> v) {
        if (v) field = *v;
        return v.has_value();
    };
    if (name == "paper-width")
        return set(s.paperWidth, Choice(value, std::array{"80", "58"})) ? "" : bad("80|58");
    if (name == "columns") {
        if (!set(s.column, Choice(value, std::array{"30", "32"}))) return bad("30|32");
        if (s.paperWidth == kEmpty) s.paperWidth = kWidth58mm;
        return "";
    }
    if (name == "paper-type")
        return set(s.paperType, Choice(value, std::array{"black", "2color"})) ? ""
                                                                              : bad("black|2color");
    if (name == "density")
        return set(s.density, Choice(value, std::array{"light", "medium", "dark"}))
                   ? ""
                   : bad("light|medium|dark");
    if (name == "water-mark") {
        if (value == "disable") return s.waterMark = kOff, "";
        const auto n = Number(value, kMinImageNumber, kMaxImageNumber);
        if (!n) return bad("disable or an image number 1..255");
        s.waterMark = kOn;
        s.imageNumber = *n;
        return "";
    }
    if (name == "cut-adjust") {
        if (value == "off") return s.cutAdjust = kOff, "";
        const auto n = Number(value, kMinCutLines, kMaxCutLines);
        if (!n) return bad("off or a line count 0..255");
        s.cutAdjust = kOn;
        s.cutLines = *n;
        return "";
    }
    if (name == "drawer-with-cut")
        return set(s.drawerWithCut, Choice(value, std::array{"disable", "enable"}))
                   ? ""
                   : bad("disable|enable");
    if (name == "bell")
        return set(s.bellType, Choice(value, kBellNames)) ? "" : bad(Join(kBellNames));
    if (name == "bell-times") {
        const auto n = Number(value, 1, 5);
        return n ? (s.bellTimes = *n - 1, "") : bad("1..5");
    }
    if (name == "code-page") {
        const auto n = Number(value, 0, 255);
        const int index = n ? FindCodePage(lists.codePages, *n) : -1;
        return index >= 0 ? (s.codePage = index, "") : bad("a code page number of the list");
    }
    if (name == "nv-graphic")
        return set(s.nvGraphic, KbIndex(value, kNvGraphicKb)) ? ""
                                                              : bad("0|64|128|192|256|320|384");
    if (name == "nv-user")
        return set(s.nvUser, KbIndex(value, kNvUserKb)) ? "" : bad("64|128|192|256|320");
    if (name == "cut-mode")
        return set(s.cutMode, Choice(value, std::array{"partial", "full"})) ? ""
                                                                            : bad("partial|full");
    if (name == "speed") return set(s.speed, KbIndex(value, kSpeeds)) ? "" : bad("220|200|180|150");
    if (name == "self-test-drawer")
        return set(s.selfTestDrawer, Choice(value, std::array{"enable", "disable"}))
                   ? ""
                   : bad("enable|disable");
    if (name == "stop-bits")
        return set(s.stopBits, Choice(value, std::array{"1", "2"})) ? "" : bad("1|2");
    if (name == "receive-buffer") {
        // Only the first four entries have a code on the wire.
        for (size_t i = 0; i < lists.receiveBuffers.size() && i < 4; ++i)
            if (value == lists.receiveBuffers[i]) return s.receiveBuffer = static_cast<int>(i), "";
        std::vector<std::string> four(
            lists.receiveBuffers.begin(),
            lists.receiveBuffers.begin() +
                static_cast<long>(std::min<size_t>(4, lists.receiveBuffers.size())));
        return bad(Join(four));
    }
    if (name == "margin") {
        const auto n = Number(value, kMinMargin, kMaxMargin);
        return n ? (s.leftMargin = *n, "") : bad("0..512");
    }
    if (name == "setup-code") {
        if (value.empty() || !ParseSetupCode(value)) return bad("up to 8 hexadecimal digits");
        s.setupCode.clear();
        for (char c : value)
            s.setupCode += (c >= 'a' && c <= 'f') ? static_cast<char>(c - 'a' + 'A') : c;
        return "";
    }
    if (name == "reserved") return "reserved cannot be changed";
    return "unknown setting \"" + base::ShortQuote(name) + "\"";
}
}  // namespace

}  // namespace korva::usersetup
