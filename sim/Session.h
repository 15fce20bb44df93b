#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "CommandDecoder.h"
#include "ReplyFramer.h"

namespace korva::sim {

class Printer;
struct ConnectionLog;

/// One connection to the printer: records what arrives, decodes it and frames
/// the replies. The transport reads no more than ReadAllowance() allows and
/// acts on the fault checks of the printer.
class Session {
  public:
    using WriteFn = std::function<void(std::span<const uint8_t>)>;
    /// Runs a function once, this many milliseconds later, on this thread.
    using ScheduleFn = std::function<void(int ms, std::function<void()>)>;

    Session(Printer& printer, std::string transport, ReplyFraming framing, WriteFn write);
    ~Session() { *m_Alive = false; }

    void Receive(std::span<const uint8_t> bytes);
    /// Where delayed answers are timed; without it answers are never held.
    void SetScheduler(ScheduleFn schedule) { m_Schedule = std::move(schedule); }
    /// The host closed and reopened the line: later bytes go to a new log
    /// entry; the decoder keeps its place, as a printer's parser does.
    void NewConnection() {
        m_LogIndex = -1;
        m_FirstAnswerGone = false;
    }

    /// How long after its byte count the stray byte goes out.
    static constexpr int kStrayDelayMs = 300;

  private:
    ConnectionLog& Log();
    void Reply(std::vector<uint8_t> reply);
    /// Puts bytes on the wire, behind any held back by a late first answer.
    void Send(std::vector<uint8_t> wire);
    void ReleaseHeld();
    /// Watches the host's bytes for GS a 0, which turns automatic status off.
    void WatchStatusOff(uint8_t byte);
    /// Turns automatic status on once the printer has received the bytes
    /// --status-blocks-after-bytes names (once on each connection).
    void WatchStatusOn();

    Printer& m_Printer;
    std::string m_Transport;
    ReplyFraming m_Framing;
    WriteFn m_Write;
    ScheduleFn m_Schedule;
    int m_LogIndex = -1;  ///< opened at the first byte, so idle probes leave no trace
    CommandDecoder m_Decoder;
    bool m_StatusOn = false;
    int m_StatusOffMatched = 0;  ///< bytes of GS a 0 seen in a row
    bool m_StatusCameOn = false;  ///< --status-blocks-after-bytes has turned it on here
    bool m_StraySent = false;
    bool m_FirstAnswerGone = false;
    bool m_Holding = false;
    std::vector<uint8_t> m_Held;  ///< answers waiting behind a late first one
    std::shared_ptr<bool> m_Alive = std::make_shared<bool>(true);
};

}  // namespace korva::sim
