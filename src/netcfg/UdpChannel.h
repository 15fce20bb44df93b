#pragma once
// The two UDP sockets of every network-setting operation: one that sends
// (broadcasts allowed) and one bound to the reply port that collects answers.
// Non-blocking, so an engine polls it between steps and never sleeps on a
// receive.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "netcfg/NetDatagram.h"

namespace korva::netcfg {

/// Silence that ends a search or the wait for a change's answer.
inline constexpr int kReceiveTimeoutMs = 1000;
/// Datagrams counted (own ones included) before a search or a change stops listening.
inline constexpr int kMaxDatagrams = 254;
/// Pause between looks at the receiving socket.
inline constexpr int kPollMs = 10;

/// Where datagrams go and where replies arrive. Printers answer on the
/// request port; tests point both at loopback or at a test namespace.
struct NetEndpoints {
    std::string broadcastAddress = kLimitedBroadcast;
    uint16_t port = kNetcfgUdpPort;  ///< destination of every datagram
    std::string listenAddress = "0.0.0.0";
    uint16_t listenPort = kNetcfgUdpPort;  ///< replies arrive here
    /// How long a search waits after the last reply, a change for its answer.
    int receiveTimeoutMs = kReceiveTimeoutMs;
};

class UdpChannel {
  public:
    enum class SetupError {
        None,
        SendSocket,     ///< the sending socket could not be made
        Broadcast,      ///< broadcasts could not be allowed on it
        Address,        ///< the destination or listen address is not dotted IPv4
        ReceiveSocket,  ///< the receiving socket could not be made or bound
    };

    struct Datagram {
        std::vector<uint8_t> bytes;  ///< at most 35: longer ones are cut off
        std::string sender;          ///< dotted sender address
        /// Sent by this program's own sending socket (its broadcast coming
        /// back): a local address and our sending port.
        bool own = false;
    };

    UdpChannel() = default;
    ~UdpChannel();
    UdpChannel(const UdpChannel&) = delete;
    UdpChannel& operator=(const UdpChannel&) = delete;

    /// Opens both sockets. Steps go on after a failure (so a search can still
    /// end normally); the first failure is returned.
    SetupError Open(const NetEndpoints& endpoints);
    void Close();

    bool CanReceive() const { return m_ReceiveFd >= 0; }
    /// Sends one datagram to the destination; false when it did not go out.
    bool Send(std::span<const uint8_t> datagram);
    /// The next waiting datagram, or nothing when none is waiting: first what
    /// arrived on the reply port, then what came back to this run's own
    /// sending port (a printer that answers the sender; no earlier run's
    /// answer can reach that fresh port).
    std::optional<Datagram> TryReceive();
    /// Drops every datagram already waiting: they came before the request
    /// about to be sent, so none of them answers it.
    void DropWaiting();
    /// Port the receiving socket is bound to (0 when not open).
    uint16_t ListenPort() const;

  private:
    bool IsLocalAddress(uint32_t address) const;
    std::optional<Datagram> ReceiveFrom(int fd);

    int m_SendFd = -1;
    int m_ReceiveFd = -1;
    uint16_t m_SendPort = 0;  ///< network order, as recvfrom reports senders
    uint32_t m_Destination = 0;
    uint16_t m_DestinationPort = 0;
    bool m_HasDestination = false;
    std::vector<uint32_t> m_LocalAddresses;  ///< network order, loopback included
};

}  // namespace korva::netcfg
