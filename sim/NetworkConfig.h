#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace korva::sim {

/// The Ethernet interface settings the printer holds.
struct NetworkSettings {
    std::array<uint8_t, 4> ip{192, 168, 0, 254};
    std::array<uint8_t, 4> mask{255, 255, 255, 0};
    std::array<uint8_t, 4> gateway{192, 168, 0, 1};
    std::array<uint8_t, 6> mac{0x00, 0x2B, 0x9E, 0x12, 0x34, 0x56};
    uint16_t port = 6001;
    bool dhcp = false;

    bool operator==(const NetworkSettings&) const = default;
};

/// The printer's side of the 35-byte network-setting datagram:
/// search (00) is answered with the configuration, change (02) for this MAC
/// is held, and applied only when the matching apply (04) arrives.
class NetworkConfig {
  public:
    static constexpr size_t kDatagramSize = 35;

    explicit NetworkConfig(NetworkSettings settings) : m_Settings(settings) {}

    const NetworkSettings& Settings() const { return m_Settings; }
    bool HasPendingChange() const { return m_Pending.has_value(); }

    /// Handles one received datagram. Returns the datagram to answer with, if
    /// any; `event` receives a one-line note of what happened.
    std::optional<std::vector<uint8_t>> Handle(std::span<const uint8_t> datagram,
                                               std::string* event);

    /// The configuration as the printer reports it.
    std::vector<uint8_t> BuildReply() const;

  private:
    NetworkSettings m_Settings;
    std::optional<NetworkSettings> m_Pending;
};

std::string FormatIp(const std::array<uint8_t, 4>& ip);
std::string FormatMac(const std::array<uint8_t, 6>& mac);
bool ParseIp(const std::string& text, std::array<uint8_t, 4>* ip);
bool ParseMac(const std::string& text, std::array<uint8_t, 6>* mac);

}  // namespace korva::sim
