#include "netcfg/UdpChannel.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

namespace korva::netcfg {
namespace {

bool ToAddress(const std::string& text, uint32_t* out) {
    in_addr address{};
    if (inet_pton(AF_INET, text.c_str(), &address) != 1) return false;
    *out = address.s_addr;
    return true;
}

// Every IPv4 address of this machine (of the network namespace we run in):
// a broadcast we send comes back from one of them.
std::vector<uint32_t> LocalAddresses() {
    std::vector<uint32_t> out;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return out;
    for (ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (entry->ifa_addr && entry->ifa_addr->sa_family == AF_INET)
            out.push_back(reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr.s_addr);
    }
    freeifaddrs(list);
    return out;
}

}  // namespace

UdpChannel::~UdpChannel() { Close(); }

UdpChannel::SetupError UdpChannel::Open(const NetEndpoints& endpoints) {
    Close();
    SetupError first = SetupError::None;
    auto fail = [&first](SetupError error) {
        if (first == SetupError::None) first = error;
    };

    m_SendFd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_SendFd < 0) fail(SetupError::SendSocket);
    m_LocalAddresses = LocalAddresses();
    const int on = 1;
    if (m_SendFd >= 0 && setsockopt(m_SendFd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0)
        fail(SetupError::Broadcast);
    m_HasDestination = ToAddress(endpoints.broadcastAddress, &m_Destination);
    m_DestinationPort = htons(endpoints.port);
    if (!m_HasDestination) fail(SetupError::Address);
    if (m_SendFd >= 0) {
        // Bound now, so its port is known and our own broadcasts can be told apart.
        sockaddr_in any{};
        any.sin_family = AF_INET;
        socklen_t length = sizeof any;
        if (::bind(m_SendFd, reinterpret_cast<sockaddr*>(&any), sizeof any) == 0 &&
            getsockname(m_SendFd, reinterpret_cast<sockaddr*>(&any), &length) == 0)
            m_SendPort = any.sin_port;
    }

    sockaddr_in listen{};
    listen.sin_family = AF_INET;
    listen.sin_port = htons(endpoints.listenPort);
    if (!ToAddress(endpoints.listenAddress, &listen.sin_addr.s_addr)) {
        fail(SetupError::Address);
        return first;
    }
    m_ReceiveFd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    // Shared: a simulated printer on this machine may hold the same port.
    if (m_ReceiveFd < 0 || setsockopt(m_ReceiveFd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        ::bind(m_ReceiveFd, reinterpret_cast<sockaddr*>(&listen), sizeof listen) != 0) {
        if (m_ReceiveFd >= 0) ::close(m_ReceiveFd);
        m_ReceiveFd = -1;
        fail(SetupError::ReceiveSocket);
    }
    return first;
}

void UdpChannel::Close() {
    if (m_SendFd >= 0) ::close(m_SendFd);
    if (m_ReceiveFd >= 0) ::close(m_ReceiveFd);
    m_SendFd = m_ReceiveFd = -1;
    m_SendPort = 0;
}

bool UdpChannel::Send(std::span<const uint8_t> datagram) {
    if (m_SendFd < 0 || !m_HasDestination) return false;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = m_DestinationPort;
    to.sin_addr.s_addr = m_Destination;
    const ssize_t sent = ::sendto(m_SendFd, datagram.data(), datagram.size(), 0,
                                  reinterpret_cast<const sockaddr*>(&to), sizeof to);
    return sent == static_cast<ssize_t>(datagram.size());
}

std::optional<UdpChannel::Datagram> UdpChannel::TryReceive() {
    if (std::optional<Datagram> d = ReceiveFrom(m_ReceiveFd)) return d;
    return ReceiveFrom(m_SendFd);
}

void UdpChannel::DropWaiting() {
    while (TryReceive()) {
    }
}

std::optional<UdpChannel::Datagram> UdpChannel::ReceiveFrom(int fd) {
    if (fd < 0) return std::nullopt;
    uint8_t buffer[kDatagramSize];
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const ssize_t n =
        ::recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
    if (n < 0) return std::nullopt;
    Datagram d;
    d.bytes.assign(buffer, buffer + n);
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
    d.sender = text;
    d.own = m_SendPort != 0 && from.sin_port == m_SendPort && IsLocalAddress(from.sin_addr.s_addr);
    return d;
}

uint16_t UdpChannel::ListenPort() const {
    if (m_ReceiveFd < 0) return 0;
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    if (getsockname(m_ReceiveFd, reinterpret_cast<sockaddr*>(&bound), &length) != 0) return 0;
    return ntohs(bound.sin_port);
}

bool UdpChannel::IsLocalAddress(uint32_t address) const {
    return std::find(m_LocalAddresses.begin(), m_LocalAddresses.end(), address) !=
           m_LocalAddresses.end();
}

}  // namespace korva::netcfg
