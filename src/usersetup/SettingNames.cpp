#include "usersetup/SettingNames.h"

#include <array>
#include <charconv>

#include "usersetup/SetupCommands.h"

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

std::vector<std::pair<std::string, std::string>> DescribeSettings(const UserSettings& s,
                                                                  const SetupLists& lists) {
    std::vector<std::pair<std::string, std::string>> out;
    auto add = [&](const char* name, std::string value) {
        out.emplace_back(name, std::move(value));
    };
    auto in = [](int v, size_t n) { return v >= 0 && static_cast<size_t>(v) < n; };
    if (s.paperWidth != kEmpty) add("paper-width", s.paperWidth == kWidth58mm ? "58" : "80");
    if (s.paperWidth == kWidth58mm && in(s.column, 2))
        add("columns", s.column == kColumn30 ? "30" : "32");
    if (s.paperType != kEmpty) add("paper-type", s.paperType == kTwoColor ? "2color" : "black");
    if (in(s.density, 3))
        add("density", s.density == kLight ? "light" : s.density == kDark ? "dark" : "medium");
    if (s.waterMark != kEmpty)
        add("water-mark", s.waterMark == kOn ? std::to_string(s.imageNumber) : "disable");
    if (s.cutAdjust != kEmpty)
        add("cut-adjust", s.cutAdjust == kOn ? std::to_string(s.cutLines) : "off");
    if (s.drawerWithCut != kEmpty)
        add("drawer-with-cut", s.drawerWithCut == kOn ? "enable" : "disable");
    if (in(s.bellType, kBellNames.size())) add("bell", kBellNames[static_cast<size_t>(s.bellType)]);
    if (in(s.bellTimes, 5)) add("bell-times", std::to_string(s.bellTimes + 1));
    if (in(s.codePage, lists.codePages.size()))
        add("code-page",
            std::to_string(CodePageNumber(lists.codePages[static_cast<size_t>(s.codePage)])));
    if (in(s.nvGraphic, kNvGraphicKb.size()))
        add("nv-graphic", std::to_string(kNvGraphicKb[static_cast<size_t>(s.nvGraphic)]));
    if (in(s.nvUser, kNvUserKb.size()))
        add("nv-user", std::to_string(kNvUserKb[static_cast<size_t>(s.nvUser)]));
    if (s.cutMode != kEmpty) add("cut-mode", s.cutMode == kFullCut ? "full" : "partial");
    if (in(s.speed, kSpeeds.size()))
        add("speed", std::to_string(kSpeeds[static_cast<size_t>(s.speed)]));
    if (s.reserved != kEmpty) add("reserved", s.reserved == kReservedOn ? "on" : "off");
    if (s.selfTestDrawer != kEmpty)
        add("self-test-drawer", s.selfTestDrawer == kSelfTestDisable ? "disable" : "enable");
    if (s.stopBits != kEmpty) add("stop-bits", s.stopBits == kStopTwo ? "2" : "1");
    if (in(s.receiveBuffer, lists.receiveBuffers.size()))
        add("receive-buffer", lists.receiveBuffers[static_cast<size_t>(s.receiveBuffer)]);
    add("margin", std::to_string(s.leftMargin));
    add("setup-code", s.setupCode);
    return out;
}

std::string ApplySettingText(UserSettings& s, const SetupLists& lists, std::string_view name,
                             std::string_view value) {
    auto bad = [&](const std::string& allowed) {
        return std::string(name) + " takes " + allowed + ", not \"" + std::string(value) + "\"";
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
    return "unknown setting \"" + std::string(name) + "\"";
}

}  // namespace korva::usersetup
