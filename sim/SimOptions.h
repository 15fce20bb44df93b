#pragma once
#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "NetworkConfig.h"
#include "Printer.h"
#include "ReplyFramer.h"

namespace korva::sim {

/// An address and port to listen on; port 0 picks a free one.
struct Endpoint {
    QString address;
    uint16_t port = 0;
};

/// Everything the command line chooses.
struct SimOptions {
    bool help = false;
    bool serial = false;
    QString serialLink;
    QString devicePath;            ///< an existing device or tty served instead of a new pty
    long lineRate = 0;             ///< bytes paced at this baud with 8N1; 0 off
    bool lineRateFromTty = false;  ///< pace at the baud the host set on the line
    bool tcp = false;
    Endpoint tcpEndpoint{"127.0.0.1", 6001};
    /// How a TCP hang-up ends the connection: a reset (what was not read is
    /// lost, and the host is told so) or an orderly close (FIN; what still
    /// arrives is read and thrown away, so the host sees no reset).
    enum class TcpHangUp { Reset, Close } tcpHangUp = TcpHangUp::Reset;
    /// Receive buffer of each TCP connection in bytes (0: the system's), so
    /// that a printer that stops reading pushes back on the sender soon.
    long tcpReceiveBuffer = 0;
    bool udp = false;
    /// Not 2918 on loopback: the answers go to 2918, where the tool listens.
    Endpoint udpEndpoint{"127.0.0.1", 2919};
    int udpReplyPort = 2918;  ///< 0 answers to the sender's own port
    long udpReplyDelayMs = 0;  ///< how late every network-setting answer goes out
    bool udpLoseApply = false;  ///< apply datagrams are lost on the way: the change stays pending
    long udpRestartMs = 0;      ///< after an applied change, silent this long (the printer restarts)
    ReplyFraming framing;
    int series = 3;
    NetworkSettings network;
    Faults faults;
    long powerOnAfterMs = -1;  ///< switch on again this long after a firmware download
    QString statePath;
    QString paperPath;
    size_t recordLimit = 1 << 20;
    /// Answer texts that replace the factory ones, by setting number (any
    /// text, so a test can give an answer outside the lists or a malformed one).
    std::map<int, std::string> settingAnswers;
    std::vector<int> fixedSettings;  ///< settings a write leaves as they are
};

/// Parses the arguments after the program name; false with a message on error.
bool ParseOptions(const QStringList& args, SimOptions* options, QString* error);

/// The text of --help.
QString HelpText();

}  // namespace korva::sim
