#include "usersetup/ReplyParser.h"

namespace korva::usersetup {

void ReplyParser::Reset() {
    m_State = State::Header;
    m_Number = 0;
    m_Digits = 0;
    m_Overrun = false;
    m_Data.clear();
}

std::optional<SettingReply> ReplyParser::Feed(uint8_t byte) {
    switch (m_State) {
        case State::Header:
            if (byte == kHeader) m_State = State::Identifier;
            return std::nullopt;
        case State::Identifier:
            if (byte == kIdentifier) m_State = State::Number;
            return std::nullopt;
        case State::Number:
            if (byte == kSeparator) {
                m_State = State::Data;
                return std::nullopt;
            }
            // The printer sends at most three digits; the number is one byte
            // and further digits do not count.
            if (m_Digits < 3) m_Number = static_cast<uint8_t>(m_Number * 10 + (byte - 0x30));
            if (m_Digits < 4) ++m_Digits;
            return std::nullopt;
        case State::Data:
            break;
    }
    if (byte != kTerminator) {
        if (m_Data.size() < kMaxData)
            m_Data.push_back(static_cast<char>(byte));
        else
            m_Overrun = true;
        return std::nullopt;
    }
    std::optional<SettingReply> reply;
    if (m_Overrun)
        ++m_Overlong;
    else
        reply = SettingReply{m_Number, m_Data};
    Reset();
    return reply;
}

ParsedReplies ParseReplies(std::span<const uint8_t> bytes) {
    ReplyParser parser;
    ParsedReplies out;
    for (uint8_t b : bytes)
        if (auto reply = parser.Feed(b)) out.replies.push_back(std::move(*reply));
    out.overlong = parser.Overlong();
    return out;
}

}  // namespace korva::usersetup

namespace korva::usersetup {

port::AnswerFit FitSettingReply(std::span<const uint8_t> gathered, uint8_t number) {
    using port::AnswerFit;
    const std::string digits = std::to_string(number);
    const size_t dataStart = 2 + digits.size() + 1;
    for (size_t i = 0; i < gathered.size(); ++i) {
        const uint8_t b = gathered[i];
        if (i == 0 && b != ReplyParser::kHeader) return AnswerFit::NoFit;
        if (i == 1 && b != ReplyParser::kIdentifier) return AnswerFit::NoFit;
        if (i >= 2 && i < 2 + digits.size() && b != static_cast<uint8_t>(digits[i - 2]))
            return AnswerFit::NoFit;
        if (i == dataStart - 1 && b != ReplyParser::kSeparator) return AnswerFit::NoFit;
        if (i >= dataStart && b == ReplyParser::kTerminator) return AnswerFit::Whole;
        if (i >= dataStart + ReplyParser::kMaxData) return AnswerFit::NoFit;
    }
    return AnswerFit::Partial;
}

}  // namespace korva::usersetup
