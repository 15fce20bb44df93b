#include "CommandDecoder.h"

#include <initializer_list>
#include <string_view>

#include "Printer.h"
#include "UserSettingCommand.h"

namespace korva::sim {
namespace {

constexpr uint8_t kNul = 0x00;
constexpr uint8_t kAreaCodeFirst = 0x01;  // newer loader: first byte of every area code
constexpr uint8_t kHt = 0x09;
constexpr uint8_t kLf = 0x0A;
constexpr uint8_t kCr = 0x0D;
constexpr uint8_t kEsc = 0x1B;
constexpr uint8_t kFs = 0x1C;
constexpr uint8_t kGs = 0x1D;
constexpr uint8_t kOldPacketMark = 0x40;  // older loader: first byte of every packet

// ESC and GS commands this printer accepts without effect on what the simulation
// records, grouped by the number of parameter bytes each takes.
int ParamCount(uint8_t c, std::initializer_list<std::string_view> byCount) {
    int count = 0;
    for (std::string_view letters : byCount) {
        if (letters.find(static_cast<char>(c)) != std::string_view::npos) return count;
        ++count;
    }
    return -1;
}

int EscParamCount(uint8_t c) { return ParamCount(c, {"2<", " !%-3EGJMRUVadrt{", "$\\c", "p"}); }
int GsParamCount(uint8_t c) { return ParamCount(c, {"", "!/BHbfhrw", "$LW"}); }

}  // namespace

CommandDecoder::CommandDecoder(Printer& printer, ReplyFn reply, UnknownFn unknown)
    : m_Printer(printer),
      m_Reply(std::move(reply)),
      m_Unknown(std::move(unknown)),
      m_NvDefinition(printer),
      m_NewLoader(printer),
      m_OldLoader(
          printer, [this](std::vector<uint8_t> bytes) { Reply(std::move(bytes)); },
          [this](uint8_t b) { Unknown(std::span(&b, 1)); }) {}

void CommandDecoder::Feed(uint8_t b) {
    switch (m_State) {
        case State::Idle:
            Idle(b);
            break;
        case State::Esc:
            AfterEsc(b);
            break;
        case State::Fs:
            AfterFs(b);
            break;
        case State::Gs:
            AfterGs(b);
            break;
        case State::Collect:
            m_Command.push_back(b);
            if (--m_Need == 0) Collected();
            break;
        case State::NvDefine:
            if (m_NvDefinition.Feed(b)) m_State = State::Idle;
            break;
        case State::FwNew:
            switch (m_NewLoader.Feed(b)) {
                case FirmwareNewLoader::Step::More:
                    break;
                case FirmwareNewLoader::Step::Done:
                    m_State = State::Idle;
                    break;
                case FirmwareNewLoader::Step::Reject:
                    Unknown(m_NewLoader.Held());
                    m_State = State::Idle;
                    Idle(b);
                    break;
            }
            break;
        case State::OldLoaderMark:
            m_State = State::Idle;
            if (b == 0xF0 || b == 0xF1 || b == 0xF2) {
                m_State = State::FwOld;
                m_OldLoader.Feed(kOldPacketMark);
                m_OldLoader.Feed(b);
            } else {
                m_Printer.Text(kOldPacketMark);  // it was an '@' after all
                Idle(b);
            }
            break;
        case State::FwOld:
            if (!m_OldLoader.Feed(b)) m_State = State::Idle;
            break;
    }
}

void CommandDecoder::Idle(uint8_t b) {
    m_Command.assign(1, b);
    switch (b) {
        case kEsc:
            m_State = State::Esc;
            return;
        case kFs:
            m_State = State::Fs;
            return;
        case kGs:
            m_State = State::Gs;
            return;
        case kLf:
            m_Printer.LineFeed();
            m_Printer.Changed();
            return;
        case kNul:
        case kCr:
            return;  // no effect on a line printer
        default:
            break;
    }
    if (b == kAreaCodeFirst && m_Printer.Series() != 2) {
        m_NewLoader.Begin();
        m_NewLoader.Feed(b);
        m_State = State::FwNew;
    } else if (b == kOldPacketMark && m_Printer.Series() == 2) {
        m_State = State::OldLoaderMark;
    } else if (b >= 0x20 || b == kHt) {
        m_Printer.Text(b == kHt ? ' ' : b);
    } else {
        Unknown(m_Command);
    }
}

void CommandDecoder::AfterEsc(uint8_t b) {
    m_Command.push_back(b);
    m_State = State::Idle;
    switch (b) {
        case '@':  // ESC @: initialise
            m_Printer.Initialize();
            m_Printer.Changed();
            return;
        case 'i':  // ESC i: full cut
        case 'm':  // ESC m: partial cut
            m_Printer.Cut();
            m_Printer.Changed();
            return;
        case kFs:  // ESC FS: the emulation prefix before FS q / FS p
            m_State = State::Fs;
            return;
        default:
            break;
    }
    int params = EscParamCount(b);
    if (params < 0) return Unknown(m_Command);
    if (params > 0) Collect(static_cast<size_t>(params), Then::Ignore);
}

void CommandDecoder::AfterFs(uint8_t b) {
    m_Command.push_back(b);
    m_State = State::Idle;
    switch (b) {
        case 'q':  // FS q: define NV bit images
            StartNvDefinition();
            return;
        case 'p':  // FS p n m: print NV bit image n at size m
            Collect(2, Then::FsPrint);
            return;
        case '&':  // FS &, FS .: double-byte character mode on/off
        case '.':
            return;
        default:
            Unknown(m_Command);
    }
}

void CommandDecoder::AfterGs(uint8_t b) {
    m_Command.push_back(b);
    m_State = State::Idle;
    switch (b) {
        case 'I':  // GS I n: transmit printer ID
            return Collect(1, Then::GsId);
        case 'a':  // GS a n: automatic status back
            return Collect(1, Then::GsAsb);
        case 'V':  // GS V m [n]: cut
            return Collect(1, Then::GsCut);
        case '(':  // GS ( f pL pH ...: a function family
            return Collect(3, Then::GsParenHead);
        default:
            break;
    }
    int params = GsParamCount(b);
    if (params < 0) return Unknown(m_Command);
    Collect(static_cast<size_t>(params), Then::Ignore);
}

void CommandDecoder::Collect(size_t count, Then then) {
    m_ParamStart = m_Command.size();
    m_Need = count;
    m_Then = then;
    m_State = count ? State::Collect : State::Idle;
    if (count == 0) Collected();
}

void CommandDecoder::Collected() {
    m_State = State::Idle;
    std::span<const uint8_t> params = std::span(m_Command).subspan(m_ParamStart);
    switch (m_Then) {
        case Then::Ignore:
            return;
        case Then::FsPrint:
            return PrintNvImage(params[0], params[1]);
        case Then::GsId:
            return TransmitId(params[0]);
        case Then::GsAsb:
            m_Printer.Event("GS a: automatic status " + std::to_string(params[0]));
            m_Printer.Changed();
            return;
        case Then::GsCut:
            if (params[0] == 65 || params[0] == 66)
                return Collect(1, Then::GsCutFeed);  // m, n: feed, cut
            if (params[0] > 1 && params[0] != '0' && params[0] != '1') return Unknown(m_Command);
            [[fallthrough]];
        case Then::GsCutFeed:
            m_Printer.Cut();
            m_Printer.Changed();
            return;
        case Then::GsParenHead: {
            const size_t length = params[1] | (params[2] << 8);  // pL pH
            if (length == 0) return Unknown(m_Command);
            return Collect(length, Then::GsParenBody);
        }
        case Then::GsParenBody:
            return FunctionFamily(m_Command[2], params);
    }
}

void CommandDecoder::PrintNvImage(uint8_t number, uint8_t size) {
    int m = size;
    if (m >= '0' && m <= '3') m -= '0';  // the ASCII digit form means the same size
    if (m > 3) {
        m_Printer.Event("FS p: size " + std::to_string(size) + " unknown; nothing printed");
    } else {
        m_Printer.PrintLogo(number, m);
    }
    m_Printer.Changed();
}

void CommandDecoder::TransmitId(uint8_t n) {
    const int series = m_Printer.Series();
    const uint8_t model = series == 1 ? 0x20 : series == 2 ? 0x10 : 0x22;
    switch (n) {
        case 1:
        case '1':
            return Reply({model});  // printer model ID
        case 2:
        case '2':
            return Reply({0x02});  // type ID: no multi-byte fonts, no cutter sensor
        case 3:
        case '3':
            return Reply({0x10});  // ROM version ID
        default:
            return Unknown(m_Command);
    }
}

void CommandDecoder::FunctionFamily(uint8_t family, std::span<const uint8_t> params) {
    if (family == 'E') {
        HandleUserSettingCommand(m_Printer, params,
                                 [this](std::vector<uint8_t> r) { Reply(std::move(r)); });
    } else if (family == 'N' && params.size() == 2 && params[0] == 0x30 &&
               (params[1] == '1' || params[1] == '2')) {
        m_Printer.SelectColour(params[1] - '0');  // GS ( N fn 30: character colour 1 or 2
    } else {
        Unknown(m_Command);
    }
}

void CommandDecoder::StartNvDefinition() {
    m_NvDefinition.Begin();
    m_State = State::NvDefine;
}

void CommandDecoder::Unknown(std::span<const uint8_t> bytes) {
    if (!bytes.empty()) m_Unknown(bytes);
}

void CommandDecoder::Reply(std::vector<uint8_t> bytes) { m_Reply(std::move(bytes)); }

}  // namespace korva::sim
