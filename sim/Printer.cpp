#include "Printer.h"

#include <algorithm>

namespace korva::sim {
namespace {
constexpr size_t kMaxEvents = 1000;  // a runaway sender must not grow the state forever
}

Printer::Printer(int series, NetworkSettings network, Faults faults, size_t recordLimit)
    : m_Series(series), m_Faults(faults), m_RecordLimit(recordLimit), m_Network(network) {
    ApplyNvCapacity();
}

ConnectionLog& Printer::OpenConnection(const std::string& transport) {
    ConnectionLog& log = m_Connections.emplace_back();
    log.id = static_cast<int>(m_Connections.size());
    log.transport = transport;
    return log;
}

void Printer::RecordReceived(ConnectionLog& log, uint8_t b) {
    ++m_BytesReceived;
    ++log.receivedCount;
    if (log.received.size() < m_RecordLimit) log.received.push_back(b);
}

size_t Printer::ReadAllowance() const {
    size_t allowance = std::numeric_limits<size_t>::max();
    const long pause = m_PauseTaken ? -1 : m_Faults.pauseAfterBytes;
    for (long limit : {m_Faults.disconnectAfterBytes, m_Faults.stallAfterBytes, pause}) {
        if (limit < 0) continue;
        size_t left = static_cast<size_t>(limit) > m_BytesReceived
                          ? static_cast<size_t>(limit) - m_BytesReceived
                          : 0;
        allowance = std::min(allowance, left);
    }
    return allowance;
}

bool Printer::DisconnectDue() const {
    return m_Faults.disconnectAfterBytes >= 0 &&
           m_BytesReceived >= static_cast<size_t>(m_Faults.disconnectAfterBytes);
}

bool Printer::StallDue() const {
    return m_Faults.stallAfterBytes >= 0 &&
           m_BytesReceived >= static_cast<size_t>(m_Faults.stallAfterBytes);
}

bool Printer::PauseDue() const {
    return !m_PauseTaken && m_Faults.pauseAfterBytes >= 0 &&
           m_BytesReceived >= static_cast<size_t>(m_Faults.pauseAfterBytes);
}

int Printer::TakePause() {
    m_PauseTaken = true;
    Event("paused reading for " + std::to_string(m_Faults.pauseMs) + " ms (fault injection)");
    return static_cast<int>(m_Faults.pauseMs);
}

bool Printer::TakeAnswerSlot() {
    if (m_Faults.dropAnswerAfter >= 0 && m_AnswersSent >= m_Faults.dropAnswerAfter) return false;
    ++m_AnswersSent;
    return true;
}

void Printer::Initialize() {
    // ESC @ drops the unprinted line and returns to the first colour.
    m_Line = PaperItem{};
    m_Colour = 1;
    ++m_Initializations;
}

void Printer::Text(uint8_t b) {
    if (m_Line.spans.empty() || m_Line.spans.back().colour != m_Colour)
        m_Line.spans.push_back({m_Colour, {}});
    m_Line.spans.back().text.push_back(static_cast<char>(b));
}

void Printer::LineFeed() {
    m_Line.kind = PaperItem::Kind::Text;
    m_Line.leftMargin = std::stoi(*m_Settings.Answer(250));
    m_Paper.push_back(std::move(m_Line));
    m_Line = PaperItem{};
}

void Printer::FlushLine() {
    if (!m_Line.spans.empty()) LineFeed();
}

void Printer::SelectColour(int colour) { m_Colour = colour; }

void Printer::Cut() {
    FlushLine();
    PaperItem cut;
    cut.kind = PaperItem::Kind::Cut;
    m_Paper.push_back(std::move(cut));
}

void Printer::PrintLogo(int number, int size) {
    const NvImage* image = m_Nv.Find(number);
    m_Printed.push_back({number, size, image != nullptr});
    if (!image) {
        Event("FS p: no NV image " + std::to_string(number) + "; nothing printed");
        return;
    }
    FlushLine();
    PaperItem item;
    item.kind = PaperItem::Kind::Logo;
    item.logo = *image;
    item.size = size;
    item.leftMargin = std::stoi(*m_Settings.Answer(250));
    m_Paper.push_back(std::move(item));
}

void Printer::SetLine(const LineSettings& line) {
    if (line == m_LineSettings) return;
    m_LineSettings = line;
    Changed();
}

void Printer::Event(std::string text) {
    if (m_Events.size() < kMaxEvents) m_Events.push_back(std::move(text));
}

void Printer::PowerOff() {
    m_PoweredOff = true;
    Event("power off after firmware download");
    if (onPowerOff) onPowerOff();
}

void Printer::PowerOn() {
    if (!m_PoweredOff) return;
    m_PoweredOff = false;
    m_SetupMode = false;
    Event("power on");
    Changed();
}

void Printer::Changed() {
    if (onChange) onChange();
}

}  // namespace korva::sim
