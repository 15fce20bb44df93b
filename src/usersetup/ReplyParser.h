#pragma once
// The framing of the printer's setting replies:
//   37 (header) 27 (identifier) <number, decimal ASCII> 1F <value text> 00
// The parser takes the bytes one at a time, as they trickle in from the
// reader, and yields each complete reply.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "port/AnswerFit.h"

namespace korva::usersetup {

struct SettingReply {
    uint8_t number = 0;  ///< setting number (the printer's byte)
    std::string data;    ///< value text, at most kMaxData bytes
    bool operator==(const SettingReply&) const = default;
};

class ReplyParser {
  public:
    static constexpr uint8_t kHeader = 0x37;
    static constexpr uint8_t kIdentifier = 0x27;
    static constexpr uint8_t kSeparator = 0x1F;
    static constexpr uint8_t kTerminator = 0x00;
    /// Longest value text the printer sends; a longer one is a garbled reply.
    static constexpr size_t kMaxData = 99;

    /// Takes one byte; returns the reply it completes, if any. A reply whose
    /// value overran kMaxData is dropped whole (counted in Overlong()).
    std::optional<SettingReply> Feed(uint8_t byte);
    /// Back to waiting for a header, forgetting a reply begun.
    void Reset();
    int Overlong() const { return m_Overlong; }
    /// Waiting for the header of a reply: no reply is begun.
    bool Idle() const { return m_State == State::Header; }

  private:
    enum class State { Header, Identifier, Number, Data };
    State m_State = State::Header;
    uint8_t m_Number = 0;
    int m_Digits = 0;
    bool m_Overrun = false;
    std::string m_Data;
    int m_Overlong = 0;
};

/// Every complete reply in `bytes`, and how many overlong ones were dropped.
struct ParsedReplies {
    std::vector<SettingReply> replies;
    int overlong = 0;
};
ParsedReplies ParseReplies(std::span<const uint8_t> bytes);

}  // namespace korva::usersetup

namespace korva::usersetup {

/// How `gathered` stands as the printer's reply for setting `number`: the
/// shape the connection's dialogue matches a setting request's answer with.
port::AnswerFit FitSettingReply(std::span<const uint8_t> gathered, uint8_t number);

}  // namespace korva::usersetup
