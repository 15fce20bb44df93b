#include "netcfg/HostAddress.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <algorithm>
#include <cctype>

#include "netcfg/NetText.h"

namespace korva::netcfg {

namespace {

/// Digits and dots only: meant as an address, so never handed to the resolver
/// (which would read "010" as octal and "1.2" as 1.0.0.2).
bool LooksNumeric(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return c == '.' || std::isdigit(static_cast<unsigned char>(c));
    });
}

/// Letters, digits, '-', '.' and '_' (as names in /etc/hosts take), 1..253 of them.
bool IsHostName(std::string_view text) {
    return !text.empty() && text.size() <= 253 && text.front() != '-' && text.front() != '.' &&
           std::all_of(text.begin(), text.end(), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_';
           });
}

}  // namespace

HostAddress ResolveHostAddress(std::string_view text) {
    if (LooksNumeric(text)) {
        if (const std::optional<Ipv4> address = ParseIpv4(text)) return {FormatIpv4(*address), {}};
        return {{}, "IP address \"" + std::string(text) + "\" must be four numbers 0..255 like 127.0.0.1"};
    }
    // "0x7f.1" and the like: the resolver would take them as an address.
    in_addr ignored{};
    if (::inet_aton(std::string(text).c_str(), &ignored) != 0)
        return {{}, "IP address \"" + std::string(text) + "\" must be four decimal numbers 0..255 like 127.0.0.1"};
    if (!IsHostName(text))
        return {{}, "\"" + std::string(text) + "\" is neither an IP address (four numbers 0..255) nor a host name"};
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string name(text);
    const int status = ::getaddrinfo(name.c_str(), nullptr, &hints, &found);
    if (status != 0 || found == nullptr)
        return {{}, "cannot resolve host name " + name + ": " + ::gai_strerror(status)};
    const auto* address = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    char dotted[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address->sin_addr, dotted, sizeof dotted);
    ::freeaddrinfo(found);
    return {dotted, {}};
}

}  // namespace korva::netcfg
