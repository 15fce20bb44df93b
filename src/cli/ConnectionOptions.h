#pragma once
// The options every printer command of `korva` shares: the port with its
// line settings, the model, and how long to wait for the printer. They are
// turned into typed connection settings by the one parser the GUI uses too.
#include <QJsonObject>
#include <optional>
#include <string>
#include <vector>

#include "cli/Options.h"
#include "port/Connection.h"
#include "port/PortPath.h"

namespace korva::cli {

/// -p/--port, -b/--baud, --data-bits, --parity, --stop-bits, --flow,
/// --model, --device-type, --ip, --tcp-port.
const std::vector<OptionSpec>& ConnectionOptionSpecs();

/// `own` followed by the connection options.
std::vector<OptionSpec> WithConnectionOptions(std::vector<OptionSpec> own);

/// --timeout MS (alias --answer-timeout): how long to wait for the printer.
OptionSpec TimeoutOption(const std::string& help);

/// The --timeout of the logo commands: the wait for the printer's answer to
/// its status check (GS I 1).
OptionSpec CheckTimeoutOption();
inline constexpr int kCheckTimeoutMs = 500;

/// --out FILE (alias --to-file); "-" is standard output.
OptionSpec OutOption(const std::string& help);

/// What a command needs to know about the model.
enum class ModelRule {
    Optional,  ///< without --model or --device-type the device type is 1
    Required,  ///< one of them must be given
};

/// The connection the options name, or nullopt after reporting the usage
/// error. An unknown model is refused with the known ones listed. Without
/// `portRequired` a missing --port is fine (`Has("port")` tells).
std::optional<port::ConnectionSettings> ConnectionFromOptions(const ParsedOptions& options,
                                                              bool portRequired,
                                                              ModelRule model = ModelRule::Optional);

/// The "target" of a result: {"port", "ip", "tcp_port", "mac"}, the
/// address and TCP port only for an Ethernet printer.
QJsonObject TargetJson(const port::ConnectionSettings& settings);
/// The "target" of a result written to a file instead of a printer.
QJsonObject FileTargetJson(const std::string& path);

/// What the connection's port is, the device looked at under the device roots
/// korva was pointed at (see port::ClassifyPortName).
port::PortClass ClassifyConnectionPort(const port::ConnectionSettings& settings);

/// The models `korva` knows: the profile's "DEVICELIST", else the built-in list.
std::vector<std::string> KnownModels();

/// The --timeout value in lo..hi milliseconds, `fallback` when not given;
/// nullopt after reporting a usage error.
std::optional<int> TimeoutFromOptions(const ParsedOptions& options, int fallback, int lo, int hi);

}  // namespace korva::cli
