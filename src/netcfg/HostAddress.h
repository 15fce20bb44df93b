#pragma once
// A printer address as a user types it: a dotted quad of decimal numbers (a
// leading zero is still decimal: "127.0.1.010" is 127.0.1.10, never octal as
// the C library would read it) or a host name, looked up once. What comes
// back is the one spelling every message, lock and result uses, so two
// spellings of one address are one printer.
#include <string>
#include <string_view>

namespace korva::netcfg {

struct HostAddress {
    std::string address;  ///< "127.0.1.10"; empty when `error` says why
    std::string error;
};

/// The dotted quad `text` stands for: its numbers read as decimal, or the
/// first IPv4 address the host name resolves to.
HostAddress ResolveHostAddress(std::string_view text);

}  // namespace korva::netcfg
