#include "SimOptions.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace korva::sim {
namespace {

bool ParseEndpoint(const QString& text, Endpoint* endpoint) {
    QString address = endpoint->address, port = text;
    int colon = text.lastIndexOf(':');
    if (colon >= 0) {
        address = text.left(colon);
        port = text.mid(colon + 1);
    }
    bool ok = false;
    uint value = port.toUInt(&ok);
    if (!ok || value > 65535 || address.isEmpty()) return false;
    endpoint->address = address;
    endpoint->port = static_cast<uint16_t>(value);
    return true;
}

bool ParseCount(const QString& text, long* value) {
    bool ok = false;
    long v = text.toLong(&ok);
    if (!ok || v < 0) return false;
    *value = v;
    return true;
}

bool ParsePort(const QString& text, long* port) { return ParseCount(text, port) && *port <= 65535; }

enum class Arg { None, Required, Optional };  // Optional: taken unless the next word is an option

struct Option {
    const char* name;
    Arg arg;
    const char* expected;  ///< what a bad value should have been, for the message
    std::function<bool(SimOptions&, const QString&)> apply;
};

// Each entry applies one option; false means the value was not acceptable.
const std::vector<Option>& Options() {
    static const std::vector<Option> kOptions = {
        {"--help", Arg::None, "", [](SimOptions& o, const QString&) { return o.help = true; }},
        {"--serial", Arg::None, "", [](SimOptions& o, const QString&) { return o.serial = true; }},
        {"--serial-link", Arg::Required, "a path",
         [](SimOptions& o, const QString& v) { return o.serialLink = v, o.serial = true; }},
        {"--device", Arg::Required, "a device path",
         [](SimOptions& o, const QString& v) { return o.devicePath = v, o.serial = true; }},
        {"--line-rate", Arg::Required, "a baud rate or \"tty\"",
         [](SimOptions& o, const QString& v) {
             if (v == "tty") return o.lineRateFromTty = true;
             return ParseCount(v, &o.lineRate) && o.lineRate > 0;
         }},
        {"--tcp", Arg::Optional, "[ADDR:]PORT",
         [](SimOptions& o, const QString& v) {
             return o.tcp = true, v.isEmpty() || ParseEndpoint(v, &o.tcpEndpoint);
         }},
        {"--tcp-hang-up", Arg::Required, "reset or close",
         [](SimOptions& o, const QString& v) {
             o.tcpHangUp = v == "close" ? SimOptions::TcpHangUp::Close : SimOptions::TcpHangUp::Reset;
             return v == "reset" || v == "close";
         }},
        {"--tcp-receive-buffer", Arg::Required, "a count of bytes",
         [](SimOptions& o, const QString& v) {
             return ParseCount(v, &o.tcpReceiveBuffer) && o.tcpReceiveBuffer > 0;
         }},
        {"--udp", Arg::Optional, "[ADDR:]PORT",
         [](SimOptions& o, const QString& v) {
             return o.udp = true, v.isEmpty() || ParseEndpoint(v, &o.udpEndpoint);
         }},
        {"--udp-reply-port", Arg::Required, "a port number",
         [](SimOptions& o, const QString& v) {
             long port = 0;
             return ParsePort(v, &port) && (o.udpReplyPort = int(port), true);
         }},
        {"--udp-reply-delay", Arg::Required, "milliseconds, 0..60000",
         [](SimOptions& o, const QString& v) {
             return ParseCount(v, &o.udpReplyDelayMs) && o.udpReplyDelayMs <= 60000;
         }},
        {"--udp-lose-apply", Arg::None, "",
         [](SimOptions& o, const QString&) { return o.udpLoseApply = true; }},
        {"--udp-restart", Arg::Required, "milliseconds, 0..600000",
         [](SimOptions& o, const QString& v) {
             return ParseCount(v, &o.udpRestartMs) && o.udpRestartMs <= 600000;
         }},
        {"--usb-escape", Arg::None, "",
         [](SimOptions& o, const QString&) { return o.framing.usbEscape = true; }},
        {"--parallel-status", Arg::None, "",
         [](SimOptions& o, const QString&) { return o.framing.parallelStatus = true; }},
        {"--status-blocks", Arg::None, "",
         [](SimOptions& o, const QString&) { return o.framing.automaticStatus = true; }},
        {"--status-blocks-after-bytes", Arg::Required, "a count",
         [](SimOptions& o, const QString& v) { return ParseCount(v, &o.faults.statusAfterBytes); }},
        {"--stray-after-bytes", Arg::Required, "a count",
         [](SimOptions& o, const QString& v) { return ParseCount(v, &o.faults.strayAfterBytes); }},
        {"--first-answer-delay", Arg::Required, "milliseconds, 0..60000",
         [](SimOptions& o, const QString& v) {
             return ParseCount(v, &o.faults.firstAnswerDelayMs) && o.faults.firstAnswerDelayMs <= 60000;
         }},
        {"--series", Arg::Required, "1, 2 or 3",
         [](SimOptions& o, const QString& v) {
             o.series = v.toInt();
             return v == "1" || v == "2" || v == "3";
         }},
        {"--mac", Arg::Required, "six hex bytes joined by ':'",
         [](SimOptions& o, const QString& v) { return ParseMac(v.toStdString(), &o.network.mac); }},
        {"--ip", Arg::Required, "a dotted address",
         [](SimOptions& o, const QString& v) { return ParseIp(v.toStdString(), &o.network.ip); }},
        {"--mask", Arg::Required, "a dotted address",
         [](SimOptions& o, const QString& v) { return ParseIp(v.toStdString(), &o.network.mask); }},
        {"--gateway", Arg::Required, "a dotted address",
         [](SimOptions& o, const QString& v) {
             return ParseIp(v.toStdString(), &o.network.gateway);
         }},
        {"--net-port", Arg::Required, "a port number",
         [](SimOptions& o, const QString& v) {
             long port = 0;
             return ParsePort(v, &port) && (o.network.port = uint16_t(port), true);
         }},
        {"--power-on-after", Arg::Required, "milliseconds",
         [](SimOptions& o, const QString& v) { return ParseCount(v, &o.powerOnAfterMs); }},
        {"--dhcp", Arg::None, "",
         [](SimOptions& o, const QString&) { return o.network.dhcp = true; }},
        // 1 would refuse every block, so a transfer could never end.
        {"--nak-every", Arg::Required, "a count of 2 or more",
         [](SimOptions& o, const QString& v) {
             return ParseCount(v, &o.faults.nakEvery) && o.faults.nakEvery != 1;
         }},
        {"--drop-answer-after", Arg::Required, "a count",
         [](SimOptions& o, const QString& v) { return ParseCount(v, &o.faults.dropAnswerAfter); }},
        {"--disconnect-after-bytes", Arg::Required, "a count",
         [](SimOptions& o, const QString& v) {
             return ParseCount(v, &o.faults.disconnectAfterBytes);
         }},
        {"--stall-after-bytes", Arg::Required, "a count",
         [](SimOptions& o, const QString& v) { return ParseCount(v, &o.faults.stallAfterBytes); }},
        {"--setting", Arg::Required, "NUMBER=TEXT (a setting number 0..255)",
         [](SimOptions& o, const QString& v) {
             const qsizetype eq = v.indexOf('=');
             bool ok = false;
             const int number = v.left(eq).toInt(&ok);
             if (eq < 0 || !ok || number < 0 || number > 255) return false;
             o.settingAnswers[number] = v.mid(eq + 1).toStdString();
             return true;
         }},
        {"--keep-setting", Arg::Required, "a setting number 0..255",
         [](SimOptions& o, const QString& v) {
             bool ok = false;
             const int number = v.toInt(&ok);
             if (!ok || number < 0 || number > 255) return false;
             o.fixedSettings.push_back(number);
             return true;
         }},
        {"--state", Arg::Required, "a file",
         [](SimOptions& o, const QString& v) { return o.statePath = v, true; }},
        {"--paper", Arg::Required, "a file",
         [](SimOptions& o, const QString& v) { return o.paperPath = v, true; }},
        {"--record-limit", Arg::Required, "a count",
         [](SimOptions& o, const QString& v) {
             long limit = 0;
             return ParseCount(v, &limit) && (o.recordLimit = size_t(limit), true);
         }},
    };
    return kOptions;
}

}  // namespace

bool ParseOptions(const QStringList& args, SimOptions* options, QString* error) {
    for (int i = 0; i < args.size(); ++i) {
        const QString name = args[i] == "-h" ? QStringLiteral("--help") : args[i];
        auto option = std::find_if(Options().begin(), Options().end(),
                                   [&](const Option& o) { return name == QLatin1String(o.name); });
        if (option == Options().end()) {
            *error = "unknown option: " + name;
            return false;
        }
        QString value;
        const bool nextIsValue = i + 1 < args.size() && !args[i + 1].startsWith("--");
        if (option->arg == Arg::Required && i + 1 >= args.size()) {
            *error = name + " needs " + option->expected;
            return false;
        }
        if (option->arg == Arg::Required || (option->arg == Arg::Optional && nextIsValue))
            value = args[++i];
        if (!option->apply(*options, value)) {
            *error = name + ": " + option->expected + " expected, not \"" + value + "\"";
            return false;
        }
    }
    if (!options->help && !options->serial && !options->tcp && !options->udp) {
        *error = "choose at least one of --serial, --device, --tcp, --udp";
        return false;
    }
    if (!options->devicePath.isEmpty() && !options->serialLink.isEmpty()) {
        *error = "--device and --serial-link exclude each other";
        return false;
    }
    return true;
}

QString HelpText() {
    return QStringLiteral(
        "Usage: korva-sim [options]\n"
        "A simulated KORVA receipt printer for tests, demos and training.\n"
        "\n"
        "Transports (any combination):\n"
        "  --serial                 create a pty pair; prints serial=<slave path>\n"
        "  --serial-link PATH       also make PATH a symlink to the slave (implies --serial)\n"
        "  --device PATH            serve an existing character device or tty as the\n"
        "                           printer's side of the line (a USB printer gadget's\n"
        "                           /dev/g_printer0, the pty of an emulator's serial or\n"
        "                           parallel port); prints serial=PATH\n"
        "  --line-rate BAUD|tty     read serial bytes no faster than BAUD with 8N1 framing\n"
        "                           (\"tty\": the baud rate the host set on the line)\n"
        "  --tcp [ADDR:]PORT        accept TCP connections (default 127.0.0.1:6001; port 0\n"
        "                           picks a free one); prints tcp=<addr>:<port>\n"
        "  --tcp-hang-up reset|close  how --disconnect-after-bytes ends a TCP connection:\n"
        "                           reset (default; unread data is lost, the host is\n"
        "                           told) or close (FIN, later bytes read and dropped)\n"
        "  --tcp-receive-buffer N   receive buffer of each TCP connection in bytes, so\n"
        "                           --stall-after-bytes pushes back on the sender soon\n"
        "  --udp [ADDR:]PORT        answer network-setting datagrams (default\n"
        "                           127.0.0.1:2919, so the answers can go to the tool\n"
        "                           listening on 2918); prints udp=<addr>:<port>\n"
        "  --udp-reply-port PORT    port that answers go to (default 2918; 0 = the\n"
        "                           sender's own port)\n"
        "  --udp-reply-delay MS     send each answer MS milliseconds late (a slow\n"
        "                           printer or a congested network)\n"
        "  --udp-lose-apply         lose every apply datagram on the way (the change\n"
        "                           stays pending, the old settings stay)\n"
        "  --udp-restart MS         after applying a change, answer nothing for MS\n"
        "                           milliseconds (the printer restarts)\n"
        "When every transport is up, the line \"ready\" is printed.\n"
        "\n"
        "Interface:\n"
        "  --usb-escape             escape replies as a USB printer does (00 -> 1B 30,\n"
        "                           1B -> 1B 1B)\n"
        "  --parallel-status        interleave 4-byte automatic status blocks (14 00 00 0F)\n"
        "                           with replies, as a parallel printer does\n"
        "  --status-blocks          automatic status on, on any interface: a block goes\n"
        "                           out at the first byte of a connection and with every\n"
        "                           reply, until the host sends GS a 0\n"
        "  --status-blocks-after-bytes N  automatic status comes on after the N-th\n"
        "                           received byte (a driver on another host switched\n"
        "                           it on): a block with every later reply, until GS a 0\n"
        "  --stray-after-bytes N    send one stray 00 300 ms after the N-th received byte\n"
        "                           (line noise where the host waits for an answer)\n"
        "  --first-answer-delay MS  the first answer of each connection, and every\n"
        "                           answer queued behind it, goes out MS late\n"
        "\n"
        "Printer model:\n"
        "  --series 1|2|3           1 first generation, 2 KORVA10 (older loader),\n"
        "                           3 KORVA20II (default)\n"
        "  --mac XX:XX:XX:XX:XX:XX  MAC address (default 00:2B:9E:12:34:56)\n"
        "  --ip A.B.C.D             IP address (default 192.168.0.254)\n"
        "  --mask A.B.C.D           subnet mask (default 255.255.255.0)\n"
        "  --gateway A.B.C.D        gateway (default 192.168.0.1)\n"
        "  --net-port PORT          TCP port it reports (default 6001)\n"
        "  --dhcp                   report DHCP in use\n"
        "  --power-on-after MS      after a firmware download the printer switches off;\n"
        "                           switch it on again after MS milliseconds (default:\n"
        "                           it stays off until restarted)\n"
        "\n"
        "Fault injection:\n"
        "  --nak-every K            older loader: answer NAK to every K-th good data block\n"
        "  --drop-answer-after N    send no answers after the first N\n"
        "  --disconnect-after-bytes N  hang up after N received bytes (TCP, N = 0:\n"
        "                           right after accepting each connection)\n"
        "  --stall-after-bytes N    stop reading after N received bytes\n"
        "  --setting N=TEXT         answer TEXT for user setting N until a write\n"
        "                           changes it (repeatable; any text, also one\n"
        "                           the tool cannot read)\n"
        "  --keep-setting N         keep user setting N whatever a write says\n"
        "                           (repeatable)\n"
        "\n"
        "Output:\n"
        "  --state FILE             rewrite FILE (atomically) as JSON on every change:\n"
        "                           received, nv_images, settings, firmware, printed,\n"
        "                           network, lines, events\n"
        "  --paper FILE.png         render everything printed onto a receipt-roll image\n"
        "                           (the suffix picks the format: .png, .pgm, .bmp)\n"
        "  --record-limit BYTES     bytes kept per connection in \"received\" (default 1 MiB)\n"
        "  --help                   this text\n");
}

}  // namespace korva::sim
