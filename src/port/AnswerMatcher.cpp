#include "port/AnswerMatcher.h"

#include "printer/PrinterFacts.h"

namespace korva::port {

AnswerMatcher::Ticket AnswerMatcher::Expect(std::string name, AnswerRule rule) {
    const Ticket ticket = m_Next++;
    m_Waiting.push_back({ticket, std::move(name), std::move(rule), false, {}});
    return ticket;
}

AnswerMatcher::Ticket AnswerMatcher::ExpectModelId() {
    const Ticket ticket = m_Next++;
    m_Waiting.push_back({ticket, "model ID", nullptr, true, {}});
    return ticket;
}

AnswerFit AnswerMatcher::Judge(const Request& request) const {
    if (!request.modelId) return request.rule(request.gathered);
    const uint8_t id = request.gathered.front();
    if (!printer::FindModelId(id) || (m_ModelId && *m_ModelId != id)) return AnswerFit::NoFit;
    return AnswerFit::Whole;
}

void AnswerMatcher::Feed(std::span<const uint8_t> bytes) {
    for (uint8_t byte : bytes) Offer(byte);
}

// A byte that cannot go on the oldest request's answer ends the beginning
// gathered so far: its first byte was no answer, and the rest is offered again.
void AnswerMatcher::Offer(uint8_t byte) {
    if (m_Waiting.empty()) return Stray(byte);
    Request& oldest = m_Waiting.front();
    oldest.gathered.push_back(byte);
    switch (Judge(oldest)) {
        case AnswerFit::Partial:
            return;
        case AnswerFit::Whole:
            if (oldest.modelId) m_ModelId = oldest.gathered.front();
            m_Answers[oldest.ticket] = std::move(oldest.gathered);
            m_AnyAnswered = true;
            m_Waiting.pop_front();
            return;
        case AnswerFit::NoFit: {
            std::vector<uint8_t> again = std::move(oldest.gathered);
            oldest.gathered.clear();
            Stray(again.front());
            for (size_t i = 1; i < again.size(); ++i) Offer(again[i]);
            return;
        }
    }
}

void AnswerMatcher::Stray(uint8_t byte) {
    if (m_Strays.size() >= kStrayLimit) m_Strays.erase(m_Strays.begin());
    m_Strays.push_back(byte);
}

std::optional<std::vector<uint8_t>> AnswerMatcher::AnswerTo(Ticket ticket) const {
    const auto it = m_Answers.find(ticket);
    if (it == m_Answers.end()) return std::nullopt;
    return it->second;
}

std::vector<uint8_t> AnswerMatcher::TakeStrays() {
    std::vector<uint8_t> strays = std::move(m_Strays);
    m_Strays.clear();
    return strays;
}

void AnswerMatcher::Reset() {
    m_Waiting.clear();
    m_Answers.clear();
    m_Strays.clear();
    m_ModelId.reset();
    m_AnyAnswered = false;
}

}  // namespace korva::port
