#include "netcfg/NetSearch.h"

#include "base/MessageBox.h"
#include "base/Messages.h"
#include "netcfg/SearchScope.h"

namespace korva::netcfg {

NetSearch::NetSearch(base::Clock& clock, NetEndpoints endpoints)
    : m_Clock(clock), m_Endpoints(std::move(endpoints)) {}

int NetSearch::Step() {
    switch (m_State) {
        case State::Idle:
            return Start();
        case State::Receiving:
            return Receive();
        case State::Finishing:
            return Finish();
        case State::Done:
            return base::kStepDone;
    }
    return base::kStepDone;
}

int NetSearch::Start() {
    const UdpChannel::SetupError error = m_Channel.Open(m_Endpoints);
    if (error != UdpChannel::SetupError::None) {
        // The search goes on: with no working socket it simply finds nobody.
        base::ShowMessage(error == UdpChannel::SetupError::SendSocket
                             ? kSocketErrorText
                             : base::Message(base::kMsgSystemError));
        m_Outcome = Outcome::SetupFailed;
    }
    m_ListenPort = m_Channel.ListenPort();
    m_Channel.Send(EncodeSearchRequest());
    m_Printers.clear();
    m_Senders.clear();
    m_Deadline = m_Clock.NowMs() + m_Endpoints.receiveTimeoutMs;
    m_State = State::Receiving;
    return 0;
}

int NetSearch::Receive() {
    if (!m_Channel.CanReceive()) return StopReceiving();
    while (std::optional<UdpChannel::Datagram> d = m_Channel.TryReceive()) {
        ++m_Counted;
        m_Deadline = m_Clock.NowMs() + m_Endpoints.receiveTimeoutMs;
        if (!d->own) {
            const ReplyDecode reply = DecodeReply(d->bytes);
            if (reply.settings) {
                m_Printers.push_back(*reply.settings);
                m_Senders.push_back(d->sender);
            } else {
                ++m_ShortReplies;
            }
        }
        if (m_Counted >= kMaxDatagrams) return StopReceiving();
    }
    if (m_Clock.NowMs() >= m_Deadline) return StopReceiving();
    return kPollMs;
}

int NetSearch::StopReceiving() {
    m_Channel.Close();
    m_State = State::Finishing;
    return 0;
}

int NetSearch::Finish() {
    if (m_Outcome == Outcome::None) m_Outcome = Outcome::Finished;
    m_State = State::Done;
    std::string text = base::Message(base::kMsgSearchFinished);
    // Over an empty list the same words would read as success: say that nobody answered.
    if (m_Printers.empty() && m_Outcome == Outcome::Finished) text += "\r\n" + NoPrinterAnsweredText(m_Endpoints);
    base::ShowMessage(text);
    return base::kStepDone;
}

}  // namespace korva::netcfg
