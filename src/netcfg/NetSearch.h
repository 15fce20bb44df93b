#pragma once
// Search printers: one search request to the broadcast address, then every
// reply collected until 1000 ms pass without a datagram or 254 have arrived.
//
// Messages go through korva::base::ShowMessage: set-up failures, and "The
// printer has finished searching." at the end. Printers() grows in order of
// arrival; a front end shows the new ones after each Step().
#include <string>
#include <vector>

#include "base/Clock.h"
#include "base/StepEngine.h"
#include "netcfg/NetDatagram.h"
#include "netcfg/UdpChannel.h"

namespace korva::netcfg {

/// Shown when the sending socket cannot be made for a search.
inline constexpr const char* kSocketErrorText = "socket() error";

class NetSearch {
  public:
    enum class State {
        Idle,       ///< nothing sent yet
        Receiving,  ///< collecting replies
        Finishing,  ///< says the search is over (a step of its own, so a front
                    ///< end has shown every row before the box appears)
        Done,
    };
    enum class Outcome {
        None,         ///< not finished yet
        Finished,     ///< listened until silence or the datagram limit
        SetupFailed,  ///< a socket could not be set up; the list stays as it came
    };

    NetSearch(base::Clock& clock, NetEndpoints endpoints);

    /// Does the next piece of work; returns the wait before the next call or
    /// base::kStepDone.
    int Step();

    State GetState() const { return m_State; }
    Outcome GetOutcome() const { return m_Outcome; }
    bool IsDone() const { return m_State == State::Done; }
    /// Every printer that answered, in order of arrival.
    const std::vector<NetSettings>& Printers() const { return m_Printers; }
    /// Senders of Printers(), same order (dotted addresses).
    const std::vector<std::string>& Senders() const { return m_Senders; }
    /// Every datagram received, own ones and short ones included.
    int DatagramsCounted() const { return m_Counted; }
    /// Replies too short to read; counted but not listed.
    int ShortReplies() const { return m_ShortReplies; }
    /// Port the replies were collected on (after the first step).
    uint16_t ListenPort() const { return m_ListenPort; }

  private:
    int Start();
    int Receive();
    int StopReceiving();
    int Finish();

    base::Clock& m_Clock;
    NetEndpoints m_Endpoints;
    UdpChannel m_Channel;
    State m_State = State::Idle;
    Outcome m_Outcome = Outcome::None;
    std::vector<NetSettings> m_Printers;
    std::vector<std::string> m_Senders;
    int m_Counted = 0;
    int m_ShortReplies = 0;
    int64_t m_Deadline = 0;
    uint16_t m_ListenPort = 0;
};

}  // namespace korva::netcfg
