#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace korva::sim {

class Printer;

/// The newer series' loader: one download packet, area code (4), length (4,
/// little-endian, the whole packet), data, 16-bit little-endian checksum of the
/// data. It checks length and checksum, records the result and powers off.
class FirmwareNewLoader {
  public:
    enum class Step { More, Done, Reject };

    explicit FirmwareNewLoader(Printer& printer) : m_Printer(printer) {}

    /// Starts with the first byte of a possible area code (0x01).
    void Begin();
    /// Takes the next byte. Reject: the bytes so far are no area code; they
    /// are in Held() and the caller decodes the current byte afresh.
    Step Feed(uint8_t b);
    const std::vector<uint8_t>& Held() const { return m_Held; }

  private:
    enum class Phase { AreaCode, Length, Body };
    bool AreaCodePrefixValid() const;
    void StartBody();
    void Finish(uint16_t checksum);

    Printer& m_Printer;
    Phase m_Phase = Phase::AreaCode;
    std::vector<uint8_t> m_Held;  ///< area code and length bytes
    uint32_t m_Length = 0;
    uint32_t m_BodyLeft = 0;  ///< bytes of data and checksum still to come
    uint16_t m_Sum = 0;
    uint8_t m_ChecksumLow = 0;
    size_t m_Record = 0;  ///< index into the printer's firmware records
};

}  // namespace korva::sim
