// korva send: writes a file to a printer port unchanged (a saved command
// stream, for example) and closes the port again.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
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
#include "cli/LogoCommandSupport.h"
#include "port/PortPath.h"
#include "port/Ports.h"

namespace korva::cli {
namespace {

constexpr const char* kUsage =
    "usage: korva send --port P [connection options] FILE\n"
    "Opens the port, writes FILE to it byte for byte and closes the port.\n\n";

/// Writes go out in pieces, so a stalled printer is noticed within one
/// piece's deadline instead of the whole file's.
constexpr size_t kChunkSize = 1024;

int UsageError(const std::string& why) {
    std::fprintf(stderr, "korva send: %s\n%s", why.c_str(), kUsage);
    return kExitUsage;
}

int PortError(const std::string& why) {
    std::fprintf(stderr, "korva send: %s\n", why.c_str());
    return kExitPrinter;
}

/// The whole file, or nullopt with `error` saying why it cannot be read.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path, std::string& error) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        error = path + " is a directory";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    if (in.bad()) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    return bytes;
}

std::string OpenFailure(const port::ConnectionSettings& settings, int error) {
    switch (settings.Kind()) {
        case port::PortKind::Usb:
            return std::string("no ") + (settings.deviceType == 3 ? "KORVA20II" : "KORVA20") +
                   " USB printer found, or it cannot be opened (is the user in group lp?)";
        case port::PortKind::Ethernet:
            return "cannot connect to " + settings.ipAddress + ":" +
                   std::to_string(settings.tcpPort);
        default:
            break;
    }
    std::string why = "cannot open " + settings.portName + ": " + std::strerror(error);
    if (error == EACCES) why += " (is the user in group dialout or lp?)";
    if (error == EBUSY) why += " (another program has it open)";
    return why;
}

std::string WriteFailure(int error) {
    if (error == ETIMEDOUT)
        return "the printer did not take the data in time (is it on line, does the flow "
               "control match?)";
    return error != 0 ? std::strerror(error) : "the port stopped taking data";
}

/// Writes `bytes` in pieces; returns how many were taken.
size_t WriteAll(port::ByteStream& stream, std::span<const uint8_t> bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const auto piece = bytes.subspan(sent, std::min(kChunkSize, bytes.size() - sent));
        const size_t n = stream.Write(piece);
        sent += std::min(n, piece.size());
        if (n != piece.size()) break;
    }
    return sent;
}

int RunSend(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            std::fputs(kConnectionOptionsHelp, stdout);
            return kExitOk;
        }
    }
    const port::ConnectionArgs conn = ParseConnectionOptions(args);
    if (!conn.error.empty()) return UsageError(conn.error);
    std::vector<std::string> files;
    for (const std::string& arg : conn.rest) {
        if (arg.starts_with("--")) return UsageError("unknown option " + arg);
        files.push_back(arg);
    }
    if (files.size() != 1) return UsageError("give exactly one file to send");
    const port::ConnectionSettings& settings = conn.settings;
    const port::DeviceRoots roots = DeviceRootsFromEnvironment();
    const port::PortKind kind = port::ClassifyPortPath(settings.portName, roots.sys);
    if (kind == port::PortKind::File)
        return UsageError("FILE is no printer port; give the port the printer is on");

    std::string readError;
    const std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(files[0], readError);
    if (!bytes) {
        std::fprintf(stderr, "korva send: %s\n", readError.c_str());
        return kExitBadInput;
    }
    if (kind == port::PortKind::OutputFile)
        return PortError(settings.portName +
                         " is not a serial or parallel device (a USB printer is --port USB)");

    base::CErrorLog log;
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
    if (!stream->Open()) return PortError(OpenFailure(settings, stream->LastError()));
    const size_t sent = WriteAll(*stream, *bytes);
    const int writeError = stream->LastError();
    stream->Close();
    if (sent != bytes->size()) {
        return PortError("only " + std::to_string(sent) + " of " + std::to_string(bytes->size()) +
                         " bytes reached " + settings.portName + ": " + WriteFailure(writeError));
    }
    std::fprintf(stderr, "korva send: %zu bytes sent to %s\n", sent, settings.portName.c_str());
    return kExitOk;
}

const CommandRegistration kSend{{
    {"send"},
    "write a file (a saved command stream) to a printer port",
    RunSend,
}};

}  // namespace
}  // namespace korva::cli
