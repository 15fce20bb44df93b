#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "NetworkConfig.h"
#include "NvStore.h"
#include "SettingStore.h"

namespace korva::sim {

/// What one connection (a pty session or a TCP connection) carried.
struct ConnectionLog {
    int id = 0;
    std::string transport;          ///< "serial" or "tcp"
    std::vector<uint8_t> received;  ///< up to the record limit
    size_t receivedCount = 0;       ///< every byte, also past the limit
    std::vector<uint8_t> sent;      ///< replies as they went on the wire
    std::vector<uint8_t> unknown;   ///< bytes no command claimed
};

struct PrintedLogo {
    int logo = 0;
    int size = 0;          ///< 0 normal, 1 double width, 2 double height, 3 quadruple
    bool defined = false;  ///< false when no image had that number
};

struct FirmwareRecord {
    int series = 0;
    std::string area;      ///< "program", "boot", "downloader", "extfont", "font"
    std::string areaCode;  ///< the area code (newer) or erase code (older) as hex
    uint32_t length = 0;   ///< packet length (newer) or data bytes accepted (older)
    bool lengthOk = false;
    bool checksumOk = false;
    bool complete = false;
    int naks = 0;                      ///< older loader: NAK answers sent
    uint32_t dataFnv1a = 2166136261u;  ///< FNV-1a over the data bytes in order
};

/// One piece of the receipt roll, in print order.
struct PaperItem {
    enum class Kind { Text, Logo, Cut };
    struct Span {
        int colour = 1;    ///< 1 black, 2 the second colour
        std::string text;  ///< bytes as printed (code page 0)
    };
    Kind kind = Kind::Text;
    std::vector<Span> spans;  ///< Text
    NvImage logo;             ///< Logo: a copy as it was when printed
    int size = 0;             ///< Logo: print size 0..3
    int leftMargin = 0;       ///< dots, from the left margin setting
};

/// Fault injection limits; negative means off.
struct Faults {
    long nakEvery = 0;               ///< older loader: NAK every K-th data packet
    long dropAnswerAfter = -1;       ///< send no answers after this many
    long disconnectAfterBytes = -1;  ///< hang up after this many received bytes
    long stallAfterBytes = -1;       ///< stop reading after this many received bytes
    long strayAfterBytes = -1;       ///< one stray 00 once this many bytes were received
    long firstAnswerDelayMs = 0;     ///< the first answer of a connection goes out this late
    long statusAfterBytes = -1;      ///< automatic status comes on once this many bytes were received
};

/// The simulated printer: everything the commands change, shared by all
/// transports. Plain data; the transports and the state writer observe it.
class Printer {
  public:
    Printer(int series, NetworkSettings network, Faults faults, size_t recordLimit);

    int Series() const { return m_Series; }
    const Faults& FaultLimits() const { return m_Faults; }
    NvStore& Nv() { return m_Nv; }
    const NvStore& Nv() const { return m_Nv; }
    SettingStore& Settings() { return m_Settings; }
    const SettingStore& Settings() const { return m_Settings; }
    NetworkConfig& Network() { return m_Network; }
    const NetworkConfig& Network() const { return m_Network; }

    ConnectionLog& OpenConnection(const std::string& transport);
    void RecordReceived(ConnectionLog& log, uint8_t b);
    const std::deque<ConnectionLog>& Connections() const { return m_Connections; }
    ConnectionLog& ConnectionAt(size_t index) { return m_Connections[index]; }

    /// Line settings the host put on the serial line, as last seen.
    struct LineSettings {
        long baud = 0;
        int dataBits = 8;
        bool parity = false;
        int stopBits = 1;
        std::string flow = "none";  ///< "none", "rtscts" or "xonxoff"
        bool operator==(const LineSettings&) const = default;
    };
    void SetLine(const LineSettings& line);
    const LineSettings& Line() const { return m_LineSettings; }

    /// Bytes that may still be read before a stall or disconnect fault.
    size_t ReadAllowance() const;
    bool DisconnectDue() const;
    size_t BytesReceived() const { return m_BytesReceived; }
    bool StallDue() const;
    /// Counts an answer; false once answers are to be dropped.
    bool TakeAnswerSlot();

    // Print head.
    void Initialize();
    void Text(uint8_t b);
    void LineFeed();
    void SelectColour(int colour);
    void Cut();
    void PrintLogo(int number, int size);
    void SetSetupMode(bool on) { m_SetupMode = on; }
    bool SetupMode() const { return m_SetupMode; }
    void ApplyNvCapacity() { m_Nv.SetCapacity(m_Settings.NvGraphicsBytes()); }

    const std::vector<PrintedLogo>& Printed() const { return m_Printed; }
    const std::vector<PaperItem>& Paper() const { return m_Paper; }
    std::vector<FirmwareRecord>& Firmware() { return m_Firmware; }
    const std::vector<FirmwareRecord>& Firmware() const { return m_Firmware; }
    const std::vector<std::string>& Events() const { return m_Events; }
    int Initializations() const { return m_Initializations; }

    void Event(std::string text);
    /// The newer loader finished: the printer writes its flash and switches off.
    void PowerOff();
    bool PoweredOff() const { return m_PoweredOff; }
    /// Switched on again (the user pressed the power switch).
    void PowerOn();

    /// Tells the observers that something changed.
    void Changed();
    std::function<void()> onChange;
    std::function<void()> onPowerOff;

  private:
    void FlushLine();

    int m_Series;
    Faults m_Faults;
    size_t m_RecordLimit;
    NvStore m_Nv;
    SettingStore m_Settings;
    NetworkConfig m_Network;
    std::deque<ConnectionLog> m_Connections;
    std::vector<PrintedLogo> m_Printed;
    std::vector<PaperItem> m_Paper;
    std::vector<FirmwareRecord> m_Firmware;
    std::vector<std::string> m_Events;
    PaperItem m_Line;  ///< the text line being collected
    LineSettings m_LineSettings;
    int m_Colour = 1;
    bool m_SetupMode = false;
    bool m_PoweredOff = false;
    int m_Initializations = 0;
    size_t m_BytesReceived = 0;
    long m_AnswersSent = 0;
};

}  // namespace korva::sim
