#pragma once
// After an apply the printer beeps, switches itself off and starts again with
// the new settings. The change is done only when the printer, found again by
// its MAC, answers a search with the values asked for: searches go out every
// second until it does, up to a limit.
#include <optional>
#include <string>

#include "base/Clock.h"
#include "base/StepEngine.h"
#include "netcfg/NetDatagram.h"
#include "netcfg/UdpChannel.h"

namespace korva::netcfg {

class NetChangeCheck {
  public:
    enum class Outcome {
        None,         ///< not finished yet
        Confirmed,    ///< the printer answers with the new values
        OldValues,    ///< it kept answering with other values: the change did not take
        NoAnswer,     ///< it never answered again within the limit
        SystemError,  ///< a socket could not be set up
    };

    /// How long a restarting printer may take to answer again.
    static constexpr int kRestartLimitMs = 15000;
    /// Answers with other values over this long prove the printer did not restart.
    static constexpr int kOldValuesProofMs = 3000;
    static constexpr int kSearchEveryMs = 1000;

    NetChangeCheck(base::Clock& clock, NetEndpoints endpoints, NetSettings wanted,
                   int limitMs = kRestartLimitMs);

    int Step();

    Outcome GetOutcome() const { return m_Outcome; }
    bool IsDone() const { return m_Outcome != Outcome::None; }
    /// The printer's last answer (its MAC), if any came.
    const std::optional<NetSettings>& LastAnswer() const { return m_LastAnswer; }
    /// True when `answer` carries what was asked for; with DHCP the address,
    /// mask and gateway are the server's to choose.
    static bool Matches(const NetSettings& answer, const NetSettings& wanted);

  private:
    int Finish(Outcome outcome);

    base::Clock& m_Clock;
    NetEndpoints m_Endpoints;
    NetSettings m_Wanted;
    int m_LimitMs;
    UdpChannel m_Channel;
    bool m_Started = false;
    int64_t m_Start = 0;
    int64_t m_NextSearch = 0;
    std::optional<int64_t> m_FirstOldAnswer;
    std::optional<NetSettings> m_LastAnswer;
    Outcome m_Outcome = Outcome::None;
};

/// What the window and korva say after the check: "" when confirmed, else the
/// cause and the next step.
std::string ChangeCheckText(NetChangeCheck::Outcome outcome, const std::optional<NetSettings>& answer,
                            int limitMs);

}  // namespace korva::netcfg
