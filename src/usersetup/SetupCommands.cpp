#include "usersetup/SetupCommands.h"

#include <string>

#include "printer/PrinterFacts.h"
#include "usersetup/ReplyDecoder.h"

namespace korva::usersetup {
namespace {

constexpr uint8_t kGS = 0x1D, kParen = 0x28, kE = 0x45;
constexpr uint8_t kFnSetValues = 0x05, kFnRequest = 0x06;
constexpr int kDefaultBellTimes = 2;  // index of "3"

// Receive-buffer entries go out as two ASCII digits, by list position.
constexpr std::array<std::array<uint8_t, 2>, 4> kReceiveBufferCodes{
    {{'6', '4'}, {'3', '2'}, {'2', '0'}, {'0', '4'}}};
// Bell types on the wire: the three melodies and the QUELM bell are 1..4, any other bell 0.
constexpr std::array<uint8_t, 5> kBellCodes{0x01, 0x02, 0x03, 0x04, 0x00};

bool InRange(int value, size_t size) { return value >= 0 && static_cast<size_t>(value) < size; }

void Entry(std::vector<uint8_t>& out, uint8_t key, uint8_t a, uint8_t b) {
    out.insert(out.end(), {key, a, b});
}

}  // namespace

std::array<uint8_t, 7> BuildRequest(uint8_t setting) {
    return {kGS, kParen, kE, 0x02, 0x00, kFnRequest, setting};
}

std::optional<uint32_t> ParseSetupCode(std::string_view text) {
    if (text.size() > kMaxSetupCodeLength) return std::nullopt;
    uint32_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return std::nullopt;
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    return value;
}

void PrepareForWrite(UserSettings& s) {
    // A density the printer answered (in or outside the list, or unknown)
    // stays as it is; only a paper type chosen without any density gets MEDIUM.
    const bool densityAnswered = s.verbatim.count(kDensity) != 0 || s.unknown.count(kDensity) != 0;
    if (s.paperType != kEmpty && !InRange(s.density, kDensityPercent.size()) && !densityAnswered)
        s.density = kMedium;
    if (s.bellType != kEmpty && !InRange(s.bellTimes, kBellTimesTexts.size()))
        s.bellTimes = kDefaultBellTimes;
    if (!ParseSetupCode(s.setupCode)) s.setupCode = "0";
    for (char& c : s.setupCode)
        if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
}

std::vector<uint8_t> BuildSetValues(const UserSettings& s, const SetupLists& lists) {
    std::vector<uint8_t> out{kGS, kParen, kE, 0x00, 0x00, kFnSetValues};
    if (s.paperWidth != kEmpty) {
        // 58 mm needs a column choice; without one the printer keeps 80 mm.
        uint8_t n = 0x06;
        if (s.paperWidth == kWidth58mm && s.column == kColumn30) n = 0x02;
        if (s.paperWidth == kWidth58mm && s.column == kColumn32) n = 0x03;
        Entry(out, kPaperWidth, n, 0x00);
    }
    if (s.paperType != kEmpty) {
        Entry(out, kPaperType, 0x01, s.paperType == kTwoColor ? 0x01 : 0x00);
        const auto verbatim = s.verbatim.find(kDensity);
        if (InRange(s.density, kDensityPercent.size()))
            Entry(out, kDensity, kDensityPercent[static_cast<size_t>(s.density)], 0x00);
        else if (verbatim != s.verbatim.end())
            Entry(out, kDensity, static_cast<uint8_t>(verbatim->second), 0x00);
        else if (s.unknown.count(kDensity) == 0)
            Entry(out, kDensity, kDensityPercent[kMedium], 0x00);
    }
    if (s.waterMark != kEmpty)
        Entry(out, kWaterMark, 0x00,
              s.waterMark == kOn ? static_cast<uint8_t>(s.imageNumber) : 0x00);
    if (s.cutAdjust != kEmpty) {
        if (s.cutAdjust == kOn)
            Entry(out, kCutAdjust, 0x01, static_cast<uint8_t>(s.cutLines));
        else
            Entry(out, kCutAdjust, 0x00, 0x00);
    }
    if (s.drawerWithCut != kEmpty)
        Entry(out, kDrawerWithCut, 0x00, s.drawerWithCut == kOn ? 0x01 : 0x00);
    if (InRange(s.bellType, kBellCodes.size())) {
        const int times =
            InRange(s.bellTimes, kBellTimesTexts.size()) ? s.bellTimes : kDefaultBellTimes;
        Entry(out, kBell, kBellCodes[static_cast<size_t>(s.bellType)],
              static_cast<uint8_t>(times + 1));
    }
    if (InRange(s.codePage, lists.codePages.size())) {
        // An entry without a usable number cannot be sent; the printer keeps its page.
        const int number = CodePageNumber(lists.codePages[static_cast<size_t>(s.codePage)]);
        if (number >= 0) Entry(out, kCodePage, static_cast<uint8_t>(number), 0x00);
    } else if (const auto page = s.verbatim.find(kCodePage); page != s.verbatim.end()) {
        Entry(out, kCodePage, static_cast<uint8_t>(page->second), 0x00);
    }
    if (InRange(s.nvUser, kNvUserKb.size()))
        Entry(out, kNvUserMemory, static_cast<uint8_t>(s.nvUser + 1), 0x00);
    if (InRange(s.nvGraphic, kNvGraphicKb.size()))
        Entry(out, kNvGraphicMemory, static_cast<uint8_t>(s.nvGraphic + 1), 0x00);
    if (s.cutMode != kEmpty) Entry(out, kCutMode, s.cutMode == kFullCut ? 0x01 : 0x00, 0x01);
    const auto verbatimSpeed = s.verbatim.find(kSpeed);
    if (InRange(s.speed, kSpeeds.size()) || verbatimSpeed != s.verbatim.end()) {
        const int speed = InRange(s.speed, kSpeeds.size()) ? kSpeeds[static_cast<size_t>(s.speed)]
                                                           : verbatimSpeed->second;
        Entry(out, kSpeed, static_cast<uint8_t>(speed & 0xFF), static_cast<uint8_t>(speed >> 8));
    }
    if (s.reserved != kEmpty) Entry(out, kReserved, s.reserved == kReservedOff ? 0x01 : 0x00, 0x01);
    if (s.selfTestDrawer != kEmpty)
        Entry(out, kSelfTestDrawer, s.selfTestDrawer == kSelfTestDisable ? 0x01 : 0x00, 0x01);
    if (s.stopBits != kEmpty) Entry(out, kStopBits, s.stopBits == kStopTwo ? 0x01 : 0x00, 0x01);
    // Only the first four positions have a code; a longer profile list's
    // further entries leave the printer's buffer size as it is.
    if (InRange(s.receiveBuffer,
                std::min(lists.receiveBuffers.size(), kReceiveBufferCodes.size()))) {
        const auto& code = kReceiveBufferCodes[static_cast<size_t>(s.receiveBuffer)];
        Entry(out, kReceiveBuffer, code[0], code[1]);
    }
    const int margin = s.leftMargin < kMinMargin
                           ? kMinMargin
                           : (s.leftMargin > kMaxMargin ? kMaxMargin : s.leftMargin);
    Entry(out, kLeftMargin, static_cast<uint8_t>(margin & 0xFF), static_cast<uint8_t>(margin >> 8));
    const uint32_t code = ParseSetupCode(s.setupCode).value_or(0);
    out.insert(out.end(),
               {kSetupCode, static_cast<uint8_t>(code), static_cast<uint8_t>(code >> 8),
                static_cast<uint8_t>(code >> 16), static_cast<uint8_t>(code >> 24), 0x04});
    const size_t length = out.size() - 5;  // bytes after pL pH
    out[3] = static_cast<uint8_t>(length & 0xFF);
    out[4] = static_cast<uint8_t>(length >> 8);
    return out;
}

std::vector<std::vector<uint8_t>> BuildTestPage() {
    using Block = std::vector<uint8_t>;
    const Block init(printer::kInitialize.begin(), printer::kInitialize.end());
    const Block feed{0x0A, 0x00};  // LF, then a 00 the printer ignores
    const Block colour2{0x1D, 0x28, 0x4E, 0x02, 0x00, 0x30, 0x32};  // GS ( N: select colour 2
    const Block colour1{0x1D, 0x28, 0x4E, 0x02, 0x00, 0x30, 0x31};  // GS ( N: select colour 1
    Block digits{'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 0x00};

    std::vector<Block> page{init};
    const std::string title = "USER SETUP UTILITY TEST PRINT!";
    Block heading(title.begin(), title.end());
    heading.insert(heading.end(), {0x0A, 0x00});
    page.push_back(heading);
    for (int i = 0; i < 5; ++i) {
        page.push_back(colour2);
        page.push_back(digits);
        page.push_back(colour1);
        page.push_back(digits);
    }
    page.push_back(feed);
    Block high;
    for (int b = 0x80; b <= 0xFF; ++b) high.push_back(static_cast<uint8_t>(b));
    page.push_back(high);
    page.push_back(feed);
    page.push_back(init);
    for (int i = 0; i < 4; ++i) page.push_back(feed);
    page.push_back({0x1B, 0x69});  // ESC i: cut
    return page;
}

void ApplyDefaults(UserSettings& s, const SetupLists& lists) {
    s.verbatim.clear();
    s.unknown.clear();
    s.paperWidth = kWidth80mm;
    s.column = kColumn30;
    s.paperType = kBlack;
    s.density = kMedium;
    s.waterMark = kOff;
    s.imageNumber = 1;
    s.cutAdjust = kOff;
    s.cutLines = 0;
    s.drawerWithCut = kOff;
    s.bellType = kQuelmBell;
    s.bellTimes = kDefaultBellTimes;
    s.codePage = lists.codePages.empty() ? kEmpty : 0;
    s.nvGraphic = 6;  // 384 KByte
    s.nvUser = 0;     // 64 KByte
    s.cutMode = kPartial;
    s.speed = 0;  // 220 mm/sec
    s.reserved = kReservedOff;
    s.leftMargin = 0;
    s.selfTestDrawer = kSelfTestDisable;
    s.stopBits = kStopOne;
    s.receiveBuffer = lists.receiveBuffers.empty()
                          ? kEmpty
                          : static_cast<int>(std::min<size_t>(3, lists.receiveBuffers.size() - 1));
    s.setupCode = "0";
}

std::string UnwritableSetting(const UserSettings& s) {
    const std::pair<uint8_t, const char*> always[] = {{kLeftMargin, "margin"},
                                                      {kSetupCode, "setup code"}};
    for (const auto& [number, name] : always)
        if (const auto it = s.unknown.find(number); it != s.unknown.end())
            return std::string("the printer's ") + name + " (setting " + std::to_string(number) +
                   ") could not be read from its answer \"" + PrintableAnswer(it->second) + "\"";
    if (s.leftMargin < kMinMargin || s.leftMargin > kMaxMargin)
        return "the margin " + std::to_string(s.leftMargin) + " is outside 0..512";
    return "";
}

int NvMemoryTotalKb(const UserSettings& s) {
    int total = 0;
    if (InRange(s.nvGraphic, kNvGraphicKb.size()))
        total += kNvGraphicKb[static_cast<size_t>(s.nvGraphic)];
    if (InRange(s.nvUser, kNvUserKb.size())) total += kNvUserKb[static_cast<size_t>(s.nvUser)];
    return total;
}

bool NvMemoryTotalFits(const UserSettings& s) { return NvMemoryTotalKb(s) <= kMaxNvTotalKb; }

DependentControls DependentControlsFor(const UserSettings& s) {
    DependentControls c;
    c.columnList = s.paperWidth != kWidth80mm;
    c.densityList = s.paperType != kBlack;
    c.imageEdit = s.waterMark != kOff;
    c.lineEdit = s.cutAdjust != kOff;
    const bool melody = s.bellType == kMelody1 || s.bellType == kMelody2 || s.bellType == kMelody3;
    c.timesCaption = melody ? " / 5" : "Times";
    return c;
}

}  // namespace korva::usersetup
