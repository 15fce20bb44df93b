#pragma once
// Change one printer's network settings: the change datagram (command 02),
// a wait for the printer's answer, then the same datagram as Apply (04). The
// apply goes out only after the printer with the changed MAC has answered
// this change: a change nobody confirmed is never applied.
//
// Messages go through korva::base::ShowMessage: the refusal of an address or
// port, the Yes/No question and "Update Complete..." at the end.
#include <optional>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "base/StepEngine.h"
#include "netcfg/ChangeRequest.h"
#include "netcfg/LateAnswers.h"
#include "netcfg/UdpChannel.h"

namespace korva::netcfg {

/// The dialog's message when the printer did not answer the change.
inline constexpr const char* kNoAnswerText =
    "The printer did not answer the change.\nNothing was applied; its settings are unchanged.";

class NetSettingChange {
  public:
    enum class State { Idle, Settling, AwaitingAnswer, Done };
    enum class Outcome {
        None,         ///< not finished yet
        Applied,      ///< the printer answered the change; the apply was sent
        NoAnswer,     ///< no answer from that printer in time; no apply was sent
        Refused,      ///< the request failed its checks; nothing sent
        Declined,     ///< the question was answered No; nothing sent
        SystemError,  ///< a socket could not be set up or a datagram not sent
    };

    /// `request` comes from BuildChange or BuildManualChange; its error (if
    /// any) is reported by the first step. `askConfirmation`: the Yes/No
    /// question before sending (the dialog asks, the command line does not).
    NetSettingChange(base::Clock& clock, NetEndpoints endpoints, ChangeBuild request,
                     bool askConfirmation = true);

    int Step();

    State GetState() const { return m_State; }
    Outcome GetOutcome() const { return m_Outcome; }
    bool IsDone() const { return m_State == State::Done; }
    ChangeError RequestError() const { return m_Request.error; }
    /// True when another host answered the change before the apply went out.
    bool Answered() const { return m_Answered; }
    /// True once the question has been answered (Yes or No).
    bool ConfirmationAnswered() const { return m_ConfirmationAnswered; }

    /// The command line reports a missing answer itself (naming the replies
    /// it ignored); the dialog gets kNoAnswerText. Call before Step.
    void RequireMatchingAnswer() { m_RequireMatch = true; }
    /// Where runs note until when their change may still be answered: the
    /// change waits for an earlier run's late answers to pass before it goes
    /// out. Without one (the default) it goes out at once. Call before Step.
    void UseLateAnswerLog(LateAnswerLog* log) { m_LateAnswers = log; }
    /// A reply from another host during the wait: who sent it and what it said.
    struct Reply {
        std::string sender;
        std::optional<NetSettings> settings;  ///< empty when too short to read
    };
    /// The answer: the first reply carrying the changed printer's MAC.
    const std::optional<Reply>& AnswerReply() const { return m_AnswerReply; }
    /// Replies that did not carry the MAC: another printer's, or unreadable.
    const std::vector<Reply>& OtherReplies() const { return m_OtherReplies; }

  private:
    int Start();
    int Settle();
    int SendChange();
    int AwaitAnswer();
    int Apply();
    int NoAnswer();
    int Finish(Outcome outcome);

    base::Clock& m_Clock;
    NetEndpoints m_Endpoints;
    ChangeBuild m_Request;
    bool m_AskConfirmation;
    UdpChannel m_Channel;
    State m_State = State::Idle;
    Outcome m_Outcome = Outcome::None;
    bool m_Answered = false;
    bool m_ConfirmationAnswered = false;
    bool m_RequireMatch = false;
    std::optional<Reply> m_AnswerReply;
    std::vector<Reply> m_OtherReplies;
    LateAnswerLog* m_LateAnswers = nullptr;
    int64_t m_SendAt = 0;  ///< when Settling ends and the change goes out
    int m_DatagramsCounted = 0;
    int64_t m_Deadline = 0;
};

}  // namespace korva::netcfg
