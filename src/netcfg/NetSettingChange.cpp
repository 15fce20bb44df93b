#include "netcfg/NetSettingChange.h"

#include <algorithm>

#include "base/MessageBox.h"
#include "base/Messages.h"

namespace korva::netcfg {

NetSettingChange::NetSettingChange(base::Clock& clock, NetEndpoints endpoints, ChangeBuild request,
                                   bool askConfirmation)
    : m_Clock(clock),
      m_Endpoints(std::move(endpoints)),
      m_Request(request),
      m_AskConfirmation(askConfirmation) {}

int NetSettingChange::Step() {
    switch (m_State) {
        case State::Idle:
            return Start();
        case State::Settling:
            return Settle();
        case State::AwaitingAnswer:
            return AwaitAnswer();
        case State::Done:
            return base::kStepDone;
    }
    return base::kStepDone;
}

int NetSettingChange::Start() {
    switch (m_Request.error) {
        case ChangeError::None:
            break;
        case ChangeError::PortRange:
            base::ShowMessage(base::Message(base::kMsgPortRange));
            return Finish(Outcome::Refused);
        case ChangeError::IpRange:
            base::ShowMessage(base::Message(base::kMsgIpRange));
            return Finish(Outcome::Refused);
        case ChangeError::IpText:
        case ChangeError::MaskText:
        case ChangeError::GatewayText:
        case ChangeError::MacText:
            // A field left incomplete or holding a number above 255: say which.
            base::ShowMessage(FieldRefusalText(m_Request));
            return Finish(Outcome::Refused);
    }
    // A change over a socket that is not there would be reported as done
    // while nothing reached the printer: stop here instead.
    if (m_Channel.Open(m_Endpoints) != UdpChannel::SetupError::None) {
        base::ShowMessage(base::Message(base::kMsgSystemError));
        return Finish(Outcome::SystemError);
    }
    if (m_AskConfirmation) {
        const base::MsgAnswer answer =
            base::ShowMessage(base::Message(base::kMsgConfirmNetworkChange), base::MsgStyle::YesNo);
        m_ConfirmationAnswered = true;
        if (answer != base::MsgAnswer::Yes) return Finish(Outcome::Declined);
    }
    // An earlier run's change to this printer may still be answered; its
    // answer would look like ours, so that time passes before we send.
    const int settleMs = m_LateAnswers ? m_LateAnswers->RemainingMs(m_Request.settings.mac) : 0;
    if (settleMs <= 0) return SendChange();
    m_SendAt = m_Clock.NowMs() + settleMs;
    m_State = State::Settling;
    return 0;
}

int NetSettingChange::Settle() {
    m_Channel.DropWaiting();
    const int64_t left = m_SendAt - m_Clock.NowMs();
    if (left <= 0) return SendChange();
    return static_cast<int>(std::min<int64_t>(left, kPollMs));
}

int NetSettingChange::SendChange() {
    // Whatever waits already (a late answer to an earlier run) answers nothing of ours.
    m_Channel.DropWaiting();
    if (!m_Channel.Send(EncodeSettingDatagram(NetCommand::Change, m_Request.settings))) {
        base::ShowMessage(base::Message(base::kMsgSystemError));
        return Finish(Outcome::SystemError);
    }
    // The answer must come within this window after the change; other
    // datagrams do not extend it.
    m_Deadline = m_Clock.NowMs() + m_Endpoints.receiveTimeoutMs;
    if (m_LateAnswers)
        m_LateAnswers->Expect(m_Request.settings.mac, m_Endpoints.receiveTimeoutMs + kLateAnswerMs);
    m_State = State::AwaitingAnswer;
    return 0;
}

int NetSettingChange::AwaitAnswer() {
    // Only a reply carrying the changed printer's MAC answers the change.
    while (std::optional<UdpChannel::Datagram> d = m_Channel.TryReceive()) {
        if (!d->own) {
            Reply reply{d->sender, DecodeReply(d->bytes).settings};
            if (reply.settings && reply.settings->mac == m_Request.settings.mac) {
                m_Answered = true;
                m_AnswerReply = std::move(reply);
                if (m_LateAnswers) m_LateAnswers->Answered(m_Request.settings.mac);
                return Apply();
            }
            m_OtherReplies.push_back(std::move(reply));
        }
        if (++m_DatagramsCounted >= kMaxDatagrams) return NoAnswer();
    }
    if (m_Clock.NowMs() >= m_Deadline) return NoAnswer();
    return kPollMs;
}

int NetSettingChange::Apply() {
    if (!m_Channel.Send(EncodeSettingDatagram(NetCommand::Apply, m_Request.settings))) {
        base::ShowMessage(base::Message(base::kMsgSystemError));
        return Finish(Outcome::SystemError);
    }
    base::ShowMessage(base::Message(base::kMsgUpdateComplete2));
    return Finish(Outcome::Applied);
}

// The printer holds the change only until an apply; without its answer the
// change may not have reached it, or reached another printer: nothing is applied.
int NetSettingChange::NoAnswer() {
    if (!m_RequireMatch) base::ShowMessage(kNoAnswerText);
    return Finish(Outcome::NoAnswer);
}

int NetSettingChange::Finish(Outcome outcome) {
    m_Channel.Close();
    m_Outcome = outcome;
    m_State = State::Done;
    return base::kStepDone;
}

}  // namespace korva::netcfg
