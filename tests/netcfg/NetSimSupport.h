#pragma once
// A simulated printer answering network-setting datagrams on loopback, and
// the endpoints that make the tool talk to it there instead of broadcasting.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QJsonArray>
#include <string>
#include <vector>

#include "netcfg/UdpChannel.h"
#include "support/SimHarness.h"

namespace korva::test {

/// A free UDP port on 127.0.0.1 (bound, read and released).
inline uint16_t FreeLoopbackUdpPort() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length);
    ::close(fd);
    return ntohs(a.sin_port);
}

/// Sends `bytes` from a fresh loopback socket to 127.0.0.1:`port`.
inline void SendLoopback(uint16_t port, const std::vector<uint8_t>& bytes) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    ::close(fd);
}

/// korva-sim on 127.0.0.1, answering to the port the tool listens on.
class LoopbackPrinter {
  public:
    bool Start(const QStringList& extra = {}) {
        listenPort = FreeLoopbackUdpPort();
        return sim.Start(
            QStringList{"--udp", "127.0.0.1:0", "--udp-reply-port", QString::number(listenPort)} +
            extra);
    }
    netcfg::NetEndpoints Endpoints() const {
        return {"127.0.0.1", sim.UdpPort(), "127.0.0.1", listenPort};
    }
    /// The datagram events the simulator logged ("netcfg: ... (from ..., <hex>)").
    std::vector<std::string> Events(int atLeast = 0) {
        const QJsonObject state = sim.WaitForState(
            [atLeast](const QJsonObject& s) { return s["events"].toArray().size() >= atLeast; },
            atLeast > 0 ? 5000 : 300);
        std::vector<std::string> out;
        for (const QJsonValue& e : state["events"].toArray())
            out.push_back(e.toString().toStdString());
        return out;
    }

    SimHarness sim;
    uint16_t listenPort = 0;
};

/// Lower-case hex without separators, as the simulator logs datagrams.
inline std::string SimHex(const std::vector<uint8_t>& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (uint8_t b : bytes) {
        text.push_back(kDigits[b >> 4]);
        text.push_back(kDigits[b & 0x0F]);
    }
    return text;
}

}  // namespace korva::test
