#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "base/Reason.h"
#include "port/PortFailures.h"
#include "port/PortKind.h"
#include "port/PortTraits.h"
#include "port/PrinterDialogue.h"

namespace korva::port {

/// The one small interface every connection to a printer gives the engines:
/// serial, parallel, USB, TCP and file output alike. Engines take a
/// `ByteStream&`; tests hand in a pty-backed port or a fake.
class ByteStream {
public:
    virtual ~ByteStream() = default;

    virtual PortKind Kind() const = 0;

    /// Opens (or reconnects) the connection with the settings it was made with.
    /// Returns false on failure; `LastError()` then holds the system error code.
    virtual bool Open() = 0;
    /// Opens giving the printer one chance where Open() would try again (the
    /// TCP link's ten probes become one); elsewhere the same as Open().
    virtual bool OpenSingleAttempt() { return Open(); }
    /// Closes; harmless when not open.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    /// Blocking write within the connection's own deadline. Returns the number
    /// of bytes written; 0 on failure. A write of zero bytes returns 0.
    virtual size_t Write(std::span<const uint8_t> data) = 0;

    /// Waits up to `timeoutMs` for reply bytes and takes what has arrived.
    /// Returns the count (0 on time-out); -1 when the connection is gone or
    /// cannot be read (a file output, a write-only parallel port).
    virtual int Read(std::span<uint8_t> buffer, int timeoutMs) = 0;

    /// Drops whatever is waiting in both directions.
    virtual void Purge() = 0;

    /// System error code of the last failure (errno on Linux), 0 when none.
    virtual int LastError() const = 0;
    /// The last failure in words for the user where the code alone would not
    /// tell it ("The printer stopped taking data ..."); "" otherwise.
    virtual std::string FailureDetail() const { return {}; }

    /// Why the last failure happened, typed: the one mapping from a port's
    /// faults and open errors to the reasons every front end shows. None
    /// while nothing failed.
    virtual base::Reason FailureReason() const;

    /// The first fault of the link since Open: a hang-up, a reset or early
    /// close, a vanished device, an output queue that cannot be read. Looks
    /// at the link once more when none is kept yet, so a fault that came
    /// after the last write counts too. Reason::None while the link is sound;
    /// FailureDetail() then says what happened.
    virtual base::Reason LinkFault() { return base::Reason::None; }

    /// What the counts of written bytes vouch for: what reached the printer,
    /// or only what a driver or port took where nothing can tell more.
    virtual CountSide Counts() const {
        return TraitsOf(Kind()).hasOutputQueue ? CountSide::Printer : CountSide::Driver;
    }

    /// How long what was written may still take to reach the printer at the
    /// line's rate; 0 where no line rate paces the output.
    virtual int64_t QueuedLineMs() { return 0; }

    /// Where a write returns before the printer confirmed taking the bytes (a
    /// TCP printer acknowledges them later): waits until it has taken all,
    /// and fails on a fault or a stall as a write does. True at once elsewhere.
    virtual bool AwaitDelivery() { return true; }
    /// Bytes written that the printer has not confirmed taking yet; 0 where
    /// the port cannot tell or every write waits for it.
    virtual uint64_t PendingBytes() { return 0; }

    /// A cancel, from any thread: a write or wait that has made no progress
    /// for a quarter second gives up (LastError ECANCELED); one that moves
    /// goes on. Holds until the next Open.
    virtual void Interrupt() {}

    /// The questions asked on this connection and the printer's answers.
    PrinterDialogue& Dialogue() { return m_Dialogue; }
    const PrinterDialogue& Dialogue() const { return m_Dialogue; }

protected:
    /// Every Open starts a new dialogue: nothing asked before can be answered.
    void ForgetAnswers() { m_Dialogue.Reset(); }

private:
    PrinterDialogue m_Dialogue{*this};
};

/// A tool's message with the port's own words on what went wrong, if any,
/// on a line of their own.
inline std::string WithFailureDetail(std::string text, const ByteStream& stream) {
    const std::string detail = stream.FailureDetail();
    if (!detail.empty()) text += "\r\n" + detail;
    return text;
}

}  // namespace korva::port
