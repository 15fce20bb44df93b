#pragma once
#include <cstdint>
#include <functional>
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

    Session(Printer& printer, std::string transport, ReplyFraming framing, WriteFn write);

    void Receive(std::span<const uint8_t> bytes);
    /// The host closed and reopened the line: later bytes go to a new log
    /// entry; the decoder keeps its place, as a printer's parser does.
    void NewConnection() { m_LogIndex = -1; }

  private:
    ConnectionLog& Log();
    void Reply(std::vector<uint8_t> reply);

    Printer& m_Printer;
    std::string m_Transport;
    ReplyFraming m_Framing;
    WriteFn m_Write;
    int m_LogIndex = -1;  ///< opened at the first byte, so idle probes leave no trace
    CommandDecoder m_Decoder;
};

}  // namespace korva::sim
