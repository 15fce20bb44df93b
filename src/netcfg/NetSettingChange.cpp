#include "netcfg/NetSettingChange.h"

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
            return start();
        case State::AwaitingAnswer:
            return awaitAnswer();
        case State::Done:
            return base::kStepDone;
    }
    return base::kStepDone;
}

int NetSettingChange::start() {
    switch (m_Request.error) {
        case ChangeError::None:
            break;
        case ChangeError::PortRange:
            base::ShowMessage(base::Message(base::kMsgPortRange));
            return finish(Outcome::Refused);
        case ChangeError::IpRange:
            base::ShowMessage(base::Message(base::kMsgIpRange));
            return finish(Outcome::Refused);
        case ChangeError::IpText:
        case ChangeError::MaskText:
        case ChangeError::GatewayText:
        case ChangeError::MacText:
            // A field left incomplete or holding a number above 255: say which.
            base::ShowMessage(fieldRefusalText(m_Request));
            return finish(Outcome::Refused);
    }
    // A change over a socket that is not there would be reported as done
    // while nothing reached the printer: stop here instead.
    if (m_Channel.Open(m_Endpoints) != UdpChannel::SetupError::None) {
        base::ShowMessage(base::Message(base::kMsgSystemError));
        return finish(Outcome::SystemError);
    }
    if (m_AskConfirmation) {
        const base::MsgAnswer answer =
            base::ShowMessage(base::Message(base::kMsgConfirmNetworkChange), base::MsgStyle::YesNo);
        m_ConfirmationAnswered = true;
        if (answer != base::MsgAnswer::Yes) return finish(Outcome::Declined);
    }
    if (!m_Channel.Send(encodeSettingDatagram(NetCommand::Change, m_Request.settings))) {
        base::ShowMessage(base::Message(base::kMsgSystemError));
        return finish(Outcome::SystemError);
    }
    m_Deadline = m_Clock.NowMs() + m_Endpoints.receiveTimeoutMs;
    m_State = State::AwaitingAnswer;
    return 0;
}

int NetSettingChange::awaitAnswer() {
    // The dialog does not examine what arrives: any datagram from another host
    // ends the wait. The command line waits for the changed printer's own reply.
    while (std::optional<UdpChannel::Datagram> d = m_Channel.TryReceive()) {
        m_Deadline = m_Clock.NowMs() + m_Endpoints.receiveTimeoutMs;
        if (!d->own) {
            Reply reply{d->sender, decodeReply(d->bytes).settings};
            if (!m_RequireMatch ||
                (reply.settings && reply.settings->mac == m_Request.settings.mac)) {
                m_Answered = true;
                m_AnswerReply = std::move(reply);
                return apply();
            }
            m_OtherReplies.push_back(std::move(reply));
        }
        if (++m_DatagramsCounted >= kMaxDatagrams) return apply();
    }
    if (m_Clock.NowMs() >= m_Deadline) return apply();
    return kPollMs;
}

int NetSettingChange::apply() {
    if (!m_Channel.Send(encodeSettingDatagram(NetCommand::Apply, m_Request.settings))) {
        base::ShowMessage(base::Message(base::kMsgSystemError));
        return finish(Outcome::SystemError);
    }
    if (m_Answered || !m_RequireMatch) base::ShowMessage(base::Message(base::kMsgUpdateComplete2));
    return finish(Outcome::Applied);
}

int NetSettingChange::finish(Outcome outcome) {
    m_Channel.Close();
    m_Outcome = outcome;
    m_State = State::Done;
    return base::kStepDone;
}

}  // namespace korva::netcfg
