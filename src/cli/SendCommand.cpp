// korva send: writes a file to a printer port unchanged (a saved command
// stream, for example) and closes the port again.
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/ErrorLog.h"
#include "cli/Command.h"
#include "cli/ConnectionOptions.h"
#include "cli/DeviceRootsEnv.h"
#include "cli/InputFile.h"
#include "cli/JsonReport.h"
#include "cli/LogoCommandSupport.h"
#include "cli/RequireConfirmed.h"
#include "cli/Output.h"
#include "cli/RunReason.h"
#include "cli/Signals.h"
#include "cli/TargetLock.h"
#include "port/FailureLine.h"
#include "port/PortFailures.h"
#include "port/PortPath.h"
#include "port/PortTraits.h"
#include "port/Ports.h"
#include "port/ReceiptCheck.h"

namespace korva::cli {
namespace {

/// Writes go out in pieces, so a stalled printer is noticed within one
/// piece's deadline instead of the whole file's.
constexpr size_t kChunkSize = 1024;
/// How long after the last write a hang-up still counts against the transfer.
constexpr int kSettleMs = 500;

/// The port's words without its count: that counts only the last piece
/// written, and send counts the whole file itself.
std::string WithoutPieceCount(std::string detail) {
    for (const port::CountSide side : {port::CountSide::Printer, port::CountSide::Driver, port::CountSide::Port}) {
        if (!detail.ends_with(std::string(port::CountWords(side)) + ".")) continue;
        const size_t line = detail.rfind("\r\n");
        detail.erase(line == std::string::npos ? 0 : line);
    }
    return detail;
}

int PortError(const std::string& why) {
    Error(why);
    return kExitPrinter;
}

/// An Ethernet printer that could not be connected to, told by the port's
/// reason, or by its own words where the reason alone would mislead.
std::string EthernetOpenFailure(const port::ConnectionSettings& settings, const port::ByteStream& stream) {
    std::string words = port::ConnectFailureWords(stream.LastError());
    if (words.empty()) words = ReasonText(stream.FailureReason(), Subject::Port);
    return "cannot connect to " + settings.ipAddress + ":" + std::to_string(settings.tcpPort) + ": " + words;
}

std::string OpenFailure(const port::ConnectionSettings& settings, port::PortKind kind,
                        const port::ByteStream& stream) {
    if (kind == port::PortKind::Ethernet) return EthernetOpenFailure(settings, stream);
    return port::OpenFailureLine(settings, kind, stream.LastError());
}

/// How far a send came.
struct SendProgress {
    size_t sent = 0;          ///< bytes the port took
    size_t read = 0;          ///< bytes read from the file
    bool fileEnded = false;   ///< the file was read to its end
    bool fileFailed = false;  ///< reading the file failed (told)
};

/// Reads the file and writes it in pieces, never holding more than one. A
/// SIGINT or SIGTERM stops it between pieces.
SendProgress WriteAll(port::ByteStream& stream, InputFile& input) {
    StopScope stop(StopMode::AtSafePoint, "stopping after the piece being written");
    SendProgress progress;
    std::array<uint8_t, kChunkSize> piece{};
    while (!StopRequested()) {
        const std::optional<size_t> got = input.ReadPiece(piece);
        progress.fileFailed = !got;
        progress.fileEnded = got == 0u;
        if (!got || *got == 0) break;
        progress.read += *got;
        const size_t n = stream.Write(std::span<const uint8_t>(piece.data(), *got));
        progress.sent += std::min(n, *got);
        if (n != *got) break;
    }
    return progress;
}

/// "2000 of 65536" or, for a stream whose end was not reached, "2000".
std::string SentOf(const SendProgress& progress, const InputFile& input) {
    std::optional<uint64_t> total = input.KnownSize();
    if (progress.fileEnded) total = progress.read;
    return std::to_string(progress.sent) + (total ? " of " + std::to_string(*total) : std::string());
}

int RunSend(const ParsedOptions& options) {
    const std::optional<port::ConnectionSettings> connection = ConnectionFromOptions(options, true);
    if (!connection) return kExitUsage;
    const std::vector<std::string>& files = options.Operands();
    if (files.size() != 1) return UsageError("give exactly one file to send (- for standard input)");
    const port::ConnectionSettings& settings = *connection;
    const port::DeviceRoots roots = DeviceRootsFromEnvironment();
    const port::PortKind kind = port::ClassifyPortPath(settings.portName, roots.sys);
    if (kind == port::PortKind::File)
        return UsageError("FILE is no printer port; give the port the printer is on");
    if (const int code = LockTarget(settings, options); code >= 0) return code;

    InputFile input;
    if (!input.OpenStream(files[0])) return kExitBadInput;
    if (kind == port::PortKind::OutputFile)
        return PortError(settings.portName +
                         " is not a serial or parallel device (a USB printer is --port USB)");

    base::CErrorLog& log = base::ErrorLog();
    StderrMessages messages;
    // The TCP link (with the event loop it needs) for ETHERNET_II, else the port object.
    std::unique_ptr<LogoConnection> tcp;
    std::unique_ptr<port::CPorts> ports;
    port::ByteStream* stream = nullptr;
    if (kind == port::PortKind::Ethernet) {
        tcp = std::make_unique<LogoConnection>(settings, std::string(), log);
        stream = &tcp->Stream();
    } else {
        ports = std::make_unique<port::CPorts>(log, roots);
        ports->SetConnection(settings);
        stream = ports.get();
    }
    const std::string portName = kind == port::PortKind::Ethernet
                                     ? settings.ipAddress + ":" + std::to_string(settings.tcpPort)
                                     : settings.portName;
    if (!stream->Open()) {
        SetStreamReason(*stream, portName);
        return PortError(OpenFailure(settings, kind, *stream));
    }
    const SendProgress written = WriteAll(*stream, input);
    const bool whole = written.fileEnded && written.sent == written.read;
    // A hang-up or reset after the last write still loses what the printer
    // had not taken; a TCP printer has acknowledged all only after the wait.
    const bool delivered = whole && stream->AwaitDelivery();
    base::Reason fault = delivered ? port::LinkFaultWithin(*stream, base::DefaultClock(), kSettleMs)
                                   : stream->LinkFault();
    if (whole && !delivered && fault == base::Reason::None) fault = stream->FailureReason();
    SendProgress progress = written;
    if (!delivered) progress.sent -= std::min<uint64_t>(progress.sent, stream->PendingBytes());
    const size_t sent = progress.sent;
    const int writeError = stream->LastError();
    const std::string faultText = WithoutPieceCount(stream->FailureDetail());
    if (!whole && !StopRequested() && !progress.fileFailed) SetStreamReason(*stream, portName);
    stream->Close();
    // A serial line counts what left it (its driver queue is subtracted) and TCP
    // what the printer acknowledged; parallel and USB drivers and a pty cannot
    // tell, so their count is only what they took.
    const port::CountSide side = stream->Counts();
    const std::string counts = SentOf(progress, input) +
                               (side == port::CountSide::Printer ? " bytes reached"
                                                                 : port::CountWords(side) + std::string(" of"));
    const auto report = [&](Outcome outcome) {
        JsonReport(outcome).Set("port", settings.portName).Set("bytes", static_cast<long long>(sent)).Print();
    };
    if (progress.fileFailed) {
        Error(counts + " " + settings.portName + " before the file could not be read on");
        report(Outcome::Failed);
        return kExitBadInput;
    }
    if (!whole && StopRequested()) {
        Error("cancelled: " + counts + " " + settings.portName);
        report(Outcome::Cancelled);
        return StopExitCode();
    }
    if (!whole) {
        Error("only " + counts + " " + settings.portName + ": " +
              (fault != base::Reason::None && !faultText.empty() ? faultText : port::WriteFailureLine(writeError, kind)));
        report(Outcome::Failed);
        return kExitPrinter;
    }
    if (fault != base::Reason::None) {
        Error(counts + " " + settings.portName + ", but then: " + faultText +
              " The printer may not have taken the last of them.");
        report(Outcome::Failed);
        return kExitPrinter;
    }
    // A parallel port carries no answer back, and a pty cannot say what left
    // it: nothing there can confirm the stream.
    if (kind == port::PortKind::Parallel || side == port::CountSide::Port) {
        Note(std::to_string(sent) + " bytes sent to " + settings.portName + ", not confirmed: " +
             (kind == port::PortKind::Parallel ? "a parallel port carries no answer"
                                               : "a pty cannot say what the printer took"));
        JsonReport(Outcome::Done)
            .Set("port", settings.portName)
            .Set("bytes", static_cast<long long>(sent))
            .Set("confirmed", false)
            .Print();
        return ConfirmedExit(options, kExitOk, false);
    }
    Note(std::to_string(sent) + " bytes sent to " + settings.portName);
    report(Outcome::Done);
    return kExitOk;
}

const CommandRegistration kSend{{
    {"send"},
    "write a file (a saved command stream) to a printer port",
    "--port P [connection options] FILE",
    "Opens the port, writes FILE (- for standard input) to it byte for byte and\n"
    "closes the port.",
    WithConnectionOptions({RequireConfirmedOption()}),
    RunSend,
}};

}  // namespace
}  // namespace korva::cli
