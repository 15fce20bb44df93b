#include "NetworkConfig.h"

#include <algorithm>
#include <cstdio>

namespace korva::sim {
namespace {

constexpr uint8_t kMarker = 0xAA;   // bytes 0..1
constexpr uint8_t kTrailer = 0x55;  // bytes 33..34
constexpr uint8_t kSearch = 0x00;
constexpr uint8_t kReply = 0x01;  // what this printer puts in its answers
constexpr uint8_t kChange = 0x02;
constexpr uint8_t kApply = 0x04;

NetworkSettings FieldsOf(std::span<const uint8_t> d) {
    NetworkSettings s;
    std::copy_n(d.begin() + 3, 4, s.ip.begin());
    std::copy_n(d.begin() + 7, 4, s.mask.begin());
    std::copy_n(d.begin() + 11, 4, s.gateway.begin());
    std::copy_n(d.begin() + 15, 6, s.mac.begin());
    s.dhcp = d[21] != 0;
    s.port = static_cast<uint16_t>((d[22] << 8) | d[23]);  // high byte first
    return s;
}

}  // namespace

std::vector<uint8_t> NetworkConfig::BuildReply() const {
    std::vector<uint8_t> d(kDatagramSize, 0x00);
    d[0] = d[1] = kMarker;
    d[2] = kReply;
    std::copy(m_Settings.ip.begin(), m_Settings.ip.end(), d.begin() + 3);
    std::copy(m_Settings.mask.begin(), m_Settings.mask.end(), d.begin() + 7);
    std::copy(m_Settings.gateway.begin(), m_Settings.gateway.end(), d.begin() + 11);
    std::copy(m_Settings.mac.begin(), m_Settings.mac.end(), d.begin() + 15);
    d[21] = m_Settings.dhcp ? 1 : 0;
    d[22] = static_cast<uint8_t>(m_Settings.port >> 8);
    d[23] = static_cast<uint8_t>(m_Settings.port & 0xFF);
    d[33] = d[34] = kTrailer;
    return d;
}

std::optional<std::vector<uint8_t>> NetworkConfig::Handle(std::span<const uint8_t> d,
                                                          std::string* event) {
    if (d.size() != kDatagramSize) {
        *event = "netcfg: ignored a datagram of " + std::to_string(d.size()) + " bytes";
        return std::nullopt;
    }
    if (d[0] != kMarker || d[1] != kMarker || d[33] != kTrailer || d[34] != kTrailer) {
        *event = "netcfg: ignored a datagram without AA AA ... 55 55 framing";
        return std::nullopt;
    }
    if (d[2] == kSearch) {
        *event = "netcfg: search answered";
        return BuildReply();
    }
    if (d[2] != kChange && d[2] != kApply) {
        *event = "netcfg: ignored command " + std::to_string(d[2]);
        return std::nullopt;
    }
    NetworkSettings wanted = FieldsOf(d);
    if (wanted.mac != m_Settings.mac) {
        *event = "netcfg: change for another MAC " + FormatMac(wanted.mac) + " ignored";
        return std::nullopt;
    }
    if (d[2] == kChange) {
        m_Pending = wanted;
        *event = "netcfg: change held until apply";
        return BuildReply();
    }
    if (!m_Pending) {
        *event = "netcfg: apply without a change ignored";
        return std::nullopt;
    }
    if (!(*m_Pending == wanted)) {
        *event = "netcfg: apply differs from the held change; ignored";
        m_Pending.reset();
        return std::nullopt;
    }
    m_Settings = wanted;
    m_Pending.reset();
    *event = "netcfg: change applied";
    return std::nullopt;
}

std::string FormatIp(const std::array<uint8_t, 4>& ip) {
    char text[20];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", ip[0], ip[1], ip[2], ip[3]);
    return text;
}

std::string FormatMac(const std::array<uint8_t, 6>& m) {
    char text[20];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", m[0], m[1], m[2], m[3], m[4],
                  m[5]);
    return text;
}

bool ParseIp(const std::string& text, std::array<uint8_t, 4>* ip) {
    unsigned a, b, c, d;
    char tail;
    if (std::sscanf(text.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &tail) != 4) return false;
    if (a > 255 || b > 255 || c > 255 || d > 255) return false;
    *ip = {uint8_t(a), uint8_t(b), uint8_t(c), uint8_t(d)};
    return true;
}

bool ParseMac(const std::string& text, std::array<uint8_t, 6>* mac) {
    unsigned v[6];
    char tail;
    if (std::sscanf(text.c_str(), "%x:%x:%x:%x:%x:%x%c", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5],
                    &tail) != 6)
        return false;
    for (int i = 0; i < 6; ++i) {
        if (v[i] > 255) return false;
        (*mac)[i] = static_cast<uint8_t>(v[i]);
    }
    return true;
}

}  // namespace korva::sim
