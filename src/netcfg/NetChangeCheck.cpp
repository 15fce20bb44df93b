#include "netcfg/NetChangeCheck.h"

#include "netcfg/NetText.h"

namespace korva::netcfg {

NetChangeCheck::NetChangeCheck(base::Clock& clock, NetEndpoints endpoints, NetSettings wanted, int limitMs)
    : m_Clock(clock), m_Endpoints(std::move(endpoints)), m_Wanted(wanted), m_LimitMs(limitMs) {}

bool NetChangeCheck::Matches(const NetSettings& answer, const NetSettings& wanted) {
    if (answer.mac != wanted.mac || answer.dhcp != wanted.dhcp || answer.tcpPort != wanted.tcpPort) return false;
    return wanted.dhcp || (answer.ip == wanted.ip && answer.mask == wanted.mask && answer.gateway == wanted.gateway);
}

int NetChangeCheck::Step() {
    if (m_Outcome != Outcome::None) return base::kStepDone;
    const int64_t now = m_Clock.NowMs();
    if (!m_Started) {
        m_Started = true;
        if (m_Channel.Open(m_Endpoints) != UdpChannel::SetupError::None) return Finish(Outcome::SystemError);
        m_Start = now;
        m_NextSearch = now;
    }
    while (std::optional<UdpChannel::Datagram> d = m_Channel.TryReceive()) {
        if (d->own) continue;
        const std::optional<NetSettings> settings = DecodeReply(d->bytes).settings;
        if (!settings || settings->mac != m_Wanted.mac) continue;
        m_LastAnswer = settings;
        if (Matches(*settings, m_Wanted)) return Finish(Outcome::Confirmed);
        if (!m_FirstOldAnswer) m_FirstOldAnswer = now;
        if (now - *m_FirstOldAnswer >= kOldValuesProofMs) return Finish(Outcome::OldValues);
    }
    if (now - m_Start >= m_LimitMs) return Finish(m_LastAnswer ? Outcome::OldValues : Outcome::NoAnswer);
    if (now >= m_NextSearch) {
        m_Channel.Send(EncodeSearchRequest());
        m_NextSearch = now + kSearchEveryMs;
    }
    return kPollMs;
}

int NetChangeCheck::Finish(Outcome outcome) {
    m_Channel.Close();
    m_Outcome = outcome;
    return base::kStepDone;
}

std::string ChangeCheckText(NetChangeCheck::Outcome outcome, const std::optional<NetSettings>& answer,
                            int limitMs) {
    using Outcome = NetChangeCheck::Outcome;
    switch (outcome) {
        case Outcome::Confirmed:
        case Outcome::None: return "";
        case Outcome::OldValues: {
            const PrinterRow row = FormatPrinterRow(*answer);
            return "The printer still answers with other settings (IP " + row.ip + ", port " + row.port +
                   ", subnet " + row.subnet + ", gateway " + row.gateway +
                   "): the change did not take.\r\nSearch again, pick the printer and change it once more.";
        }
        case Outcome::NoAnswer:
            return "The change and its apply were sent, but the printer has not answered since (searched for " +
                   std::to_string(limitMs / 1000) +
                   " s): applied, not confirmed.\r\nSearch again once it has started; if it does not answer, "
                   "its new address may lie outside this network.";
        case Outcome::SystemError: return "The printer's new settings could not be checked: no socket.";
    }
    return "";
}

}  // namespace korva::netcfg
