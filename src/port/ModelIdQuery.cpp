#include "port/ModelIdQuery.h"

#include "base/Clock.h"
#include "base/StepEngine.h"
#include "port/ByteStream.h"

namespace korva::port {

bool ModelIdQuery::Begin(int64_t waitMs) {
    m_Readable = true;
    m_Ticket = m_Stream.Dialogue().AskModelId();
    m_Deadline = m_Clock.NowMs() + waitMs;
    return m_Ticket.has_value();
}

int ModelIdQuery::Step() {
    PrinterDialogue& dialogue = m_Stream.Dialogue();
    if (!m_Ticket || !m_Readable || dialogue.Answered(*m_Ticket) || m_Clock.NowMs() >= m_Deadline)
        return base::kStepDone;
    m_Readable = dialogue.Pump(kPollMs, m_Clock);
    return 0;
}

std::optional<uint8_t> ModelIdQuery::Answer() const {
    if (!m_Ticket) return std::nullopt;
    const auto answer = m_Stream.Dialogue().AnswerTo(*m_Ticket);
    if (!answer || answer->empty()) return std::nullopt;
    return answer->front();
}

}  // namespace korva::port
