#include "SimOptions.h"

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

}  // namespace

bool ParseOptions(const QStringList& args, SimOptions* o, QString* error) {
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasNext = i + 1 < args.size() && !args[i + 1].startsWith("--");
        auto value = [&](QString* out) {
            if (i + 1 >= args.size()) {
                *error = arg + " needs a value";
                return false;
            }
            *out = args[++i];
            return true;
        };
        auto count = [&](long* out) {
            QString text;
            if (!value(&text)) return false;
            if (ParseCount(text, out)) return true;
            *error = arg + ": not a count: " + text;
            return false;
        };
        QString text;
        if (arg == "--help" || arg == "-h") {
            o->help = true;
        } else if (arg == "--serial") {
            o->serial = true;
        } else if (arg == "--serial-link") {
            if (!value(&o->serialLink)) return false;
            o->serial = true;
        } else if (arg == "--line-rate") {
            if (!value(&text)) return false;
            if (text == "tty") {
                o->lineRateFromTty = true;
            } else if (!ParseCount(text, &o->lineRate) || o->lineRate == 0) {
                *error = "--line-rate: a baud rate or \"tty\" expected: " + text;
                return false;
            }
        } else if (arg == "--tcp" || arg == "--udp") {
            bool tcp = arg == "--tcp";
            (tcp ? o->tcp : o->udp) = true;
            if (hasNext && !ParseEndpoint(args[++i], tcp ? &o->tcpEndpoint : &o->udpEndpoint)) {
                *error = arg + ": [ADDR:]PORT expected: " + args[i];
                return false;
            }
        } else if (arg == "--udp-reply-port") {
            long port = 0;
            if (!count(&port)) return false;
            if (port > 65535) return *error = "--udp-reply-port out of range", false;
            o->udpReplyPort = static_cast<int>(port);
        } else if (arg == "--usb-escape") {
            o->framing.usbEscape = true;
        } else if (arg == "--parallel-status") {
            o->framing.parallelStatus = true;
        } else if (arg == "--series") {
            if (!value(&text)) return false;
            if (text != "1" && text != "2" && text != "3") {
                *error = "--series must be 1, 2 or 3";
                return false;
            }
            o->series = text.toInt();
        } else if (arg == "--mac") {
            if (!value(&text)) return false;
            if (!ParseMac(text.toStdString(), &o->network.mac)) return *error = "--mac: 6 hex bytes with ':' expected", false;
        } else if (arg == "--ip" || arg == "--mask" || arg == "--gateway") {
            if (!value(&text)) return false;
            auto* field = arg == "--ip" ? &o->network.ip : arg == "--mask" ? &o->network.mask : &o->network.gateway;
            if (!ParseIp(text.toStdString(), field)) return *error = arg + ": dotted address expected", false;
        } else if (arg == "--net-port") {
            long port = 0;
            if (!count(&port)) return false;
            if (port > 65535) return *error = "--net-port out of range", false;
            o->network.port = static_cast<uint16_t>(port);
        } else if (arg == "--dhcp") {
            o->network.dhcp = true;
        } else if (arg == "--nak-every") {
            if (!count(&o->faults.nakEvery)) return false;
            if (o->faults.nakEvery == 1) return *error = "--nak-every 1 would refuse every block", false;
        } else if (arg == "--drop-answer-after") {
            if (!count(&o->faults.dropAnswerAfter)) return false;
        } else if (arg == "--disconnect-after-bytes") {
            if (!count(&o->faults.disconnectAfterBytes)) return false;
        } else if (arg == "--stall-after-bytes") {
            if (!count(&o->faults.stallAfterBytes)) return false;
        } else if (arg == "--state") {
            if (!value(&o->statePath)) return false;
        } else if (arg == "--paper") {
            if (!value(&o->paperPath)) return false;
        } else if (arg == "--record-limit") {
            long limit = 0;
            if (!count(&limit)) return false;
            o->recordLimit = static_cast<size_t>(limit);
        } else {
            *error = "unknown option: " + arg;
            return false;
        }
    }
    if (!o->help && !o->serial && !o->tcp && !o->udp) {
        *error = "choose at least one of --serial, --tcp, --udp";
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
        "  --line-rate BAUD|tty     read serial bytes no faster than BAUD with 8N1 framing\n"
        "                           (\"tty\": the baud rate the host set on the line)\n"
        "  --tcp [ADDR:]PORT        accept TCP connections (default 127.0.0.1:6001; port 0\n"
        "                           picks a free one); prints tcp=<addr>:<port>\n"
        "  --udp [ADDR:]PORT        answer network-setting datagrams (default\n"
        "                           127.0.0.1:2918); prints udp=<addr>:<port>\n"
        "  --udp-reply-port PORT    port that answers go to (default 2918; 0 = the\n"
        "                           sender's own port)\n"
        "When every transport is up, the line \"ready\" is printed.\n"
        "\n"
        "Interface:\n"
        "  --usb-escape             escape replies as a USB printer does (00 -> 1B 30,\n"
        "                           1B -> 1B 1B)\n"
        "  --parallel-status        interleave 4-byte automatic status blocks (14 00 00 0F)\n"
        "                           with replies, as a parallel printer does\n"
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
        "\n"
        "Fault injection:\n"
        "  --nak-every K            older loader: answer NAK to every K-th good data block\n"
        "  --drop-answer-after N    send no answers after the first N\n"
        "  --disconnect-after-bytes N  hang up after N received bytes\n"
        "  --stall-after-bytes N    stop reading after N received bytes\n"
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
