#include "profile/ConnectionLabel.h"

#include "base/Messages.h"
#include "port/PortKind.h"
#include "printer/Series.h"

namespace korva::profile {
namespace {
std::string g_Label;

const char* ParityLine(int parity) {
    if (parity == 0) return "None Parity\r\n";
    if (parity == 1) return "Odd Parity\r\n";
    return "Even Parity\r\n";
}

const char* FlowLine(int flow) {
    if (flow == 1) return "H/W Flow control\r\n";
    if (flow == 2) return "S/W Flow control\r\n";
    return "None Flow control\r\n";
}

// The last line has no line break of its own.
const char* StopBitText(int stopBits) {
    if (stopBits == 0) return "One Stop Bit";
    if (stopBits == 1) return "1.5 Stop Bits";
    return "Two Stop Bits";
}
}  // namespace

std::string ComposeConnectionLabel(const port::ConnectionSettings& in, port::PortKind kind) {
    const std::string prefix = std::string(printer::FamilyName(in.deviceType)) + " - ";
    if (kind == port::PortKind::Usb) return base::Title(base::kTitleUsbLabel);
    if (kind != port::PortKind::Serial) return prefix + in.portName;

    std::string label = prefix + in.portName + "\r\n";
    label += "Baud : " + std::to_string(in.baudRate) + "\r\n";
    label += "Data : " + std::to_string(in.dataBits) + " bit\r\n";
    label += ParityLine(in.parity);
    label += FlowLine(in.flowControl);
    label += StopBitText(in.stopBits);
    return label;
}

const std::string& ConnectionLabel() { return g_Label; }
void SetConnectionLabel(std::string label) { g_Label = std::move(label); }

}  // namespace korva::profile
