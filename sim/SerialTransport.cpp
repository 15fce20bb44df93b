#include "SerialTransport.h"

#include <QTimer>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

#include "Printer.h"

namespace korva::sim {
namespace {

constexpr int kHangupCheckMs = 20;  // how often to look whether the host reopened the slave
constexpr size_t kReadChunk = 4096;
constexpr double kBitsPerByte = 10;  // 8N1: start bit, 8 data bits, stop bit

long BaudOf(speed_t speed) {
    static const std::pair<speed_t, long> kRates[] = {
        {B1200, 1200},     {B2400, 2400},     {B4800, 4800},    {B9600, 9600},
        {B19200, 19200},   {B38400, 38400},   {B57600, 57600},  {B115200, 115200},
        {B230400, 230400}, {B460800, 460800}, {B921600, 921600}};
    for (auto [code, baud] : kRates)
        if (code == speed) return baud;
    return 0;
}

}  // namespace

SerialTransport::SerialTransport(Printer& printer, const SimOptions& options, QObject* parent)
    : QObject(parent), m_Printer(printer), m_Options(options) {
    m_HangupTimer.setInterval(kHangupCheckMs);
    connect(&m_HangupTimer, &QTimer::timeout, this, &SerialTransport::OnHangupCheck);
    m_PaceTimer.setSingleShot(true);
    m_PaceTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_PaceTimer, &QTimer::timeout, this, &SerialTransport::OnReadable);
}

SerialTransport::~SerialTransport() {
    CloseMaster();
    if (!m_Options.serialLink.isEmpty()) QFile::remove(m_Options.serialLink);
}

bool SerialTransport::OpenPty(QString* error) {
    m_Master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_Master < 0 || grantpt(m_Master) != 0 || unlockpt(m_Master) != 0) {
        *error = QStringLiteral("cannot create a pty: %1").arg(strerror(errno));
        return false;
    }
    m_SlavePath = QString::fromLocal8Bit(ptsname(m_Master));
    // Raw from the start (termios through the master reaches the slave): no echo,
    // no line editing, no CR/LF mapping, until the host sets its own settings.
    termios tio{};
    if (tcgetattr(m_Master, &tio) == 0) {
        cfmakeraw(&tio);
        cfsetspeed(&tio, B9600);
        tcsetattr(m_Master, TCSANOW, &tio);
    }
    if (!m_Options.serialLink.isEmpty()) {
        QFile::remove(m_Options.serialLink);
        if (symlink(m_SlavePath.toLocal8Bit().constData(),
                    m_Options.serialLink.toLocal8Bit().constData()) != 0) {
            *error =
                QStringLiteral("cannot link %1: %2").arg(m_Options.serialLink, strerror(errno));
            return false;
        }
    }
    return true;
}

bool SerialTransport::OpenDevice(QString* error) {
    m_SlavePath = m_Options.devicePath;
    m_Master = open(m_SlavePath.toLocal8Bit().constData(),
                    O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_Master < 0) {
        *error = QStringLiteral("cannot open %1: %2").arg(m_SlavePath, strerror(errno));
        return false;
    }
    // A tty carries the bytes as they are, whatever the emulator's side set.
    termios tio{};
    if (tcgetattr(m_Master, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(m_Master, TCSANOW, &tio);
    }
    return true;
}

bool SerialTransport::Start(QString* error) {
    if (!(m_Options.devicePath.isEmpty() ? OpenPty(error) : OpenDevice(error))) return false;
    m_Session = std::make_unique<Session>(m_Printer, Name(), m_Options.framing,
                                          [this](std::span<const uint8_t> b) { Write(b); });
    m_Session->SetScheduler([this](int ms, std::function<void()> run) {
        QTimer::singleShot(ms, Qt::PreciseTimer, this, std::move(run));
    });
    m_ReadNotifier = std::make_unique<QSocketNotifier>(m_Master, QSocketNotifier::Read);
    connect(m_ReadNotifier.get(), &QSocketNotifier::activated, this, &SerialTransport::OnReadable);
    m_WriteNotifier = std::make_unique<QSocketNotifier>(m_Master, QSocketNotifier::Write);
    m_WriteNotifier->setEnabled(false);
    connect(m_WriteNotifier.get(), &QSocketNotifier::activated, this,
            &SerialTransport::FlushPending);
    // Connections end when the host's last handle closes; without the watch,
    // when the master next finds the line hung up. A served device shows no
    // opens of the far side: everything is one connection.
    if (m_Options.devicePath.isEmpty() && m_OpenWatch.Start(m_SlavePath))
        connect(&m_OpenWatch, &SlaveOpenWatch::LastClosed, this, &SerialTransport::OnHostClosed);
    m_Clock.start();
    return true;
}

double SerialTransport::BytesPerSecond() const {
    long baud = m_Options.lineRateFromTty ? m_Printer.Line().baud : m_Options.lineRate;
    return baud > 0 ? baud / kBitsPerByte : 0;
}

void SerialTransport::ReadLineSettings() {
    termios tio{};
    if (tcgetattr(m_Master, &tio) != 0) return;
    Printer::LineSettings line;
    line.baud = BaudOf(cfgetospeed(&tio));
    switch (tio.c_cflag & CSIZE) {
        case CS5:
            line.dataBits = 5;
            break;
        case CS6:
            line.dataBits = 6;
            break;
        case CS7:
            line.dataBits = 7;
            break;
        default:
            line.dataBits = 8;
            break;
    }
    line.parity = (tio.c_cflag & PARENB) != 0;
    line.stopBits = (tio.c_cflag & CSTOPB) ? 2 : 1;
    line.flow = (tio.c_cflag & CRTSCTS) ? "rtscts" : (tio.c_iflag & IXON) ? "xonxoff" : "none";
    m_Printer.SetLine(line);
}

void SerialTransport::OnReadable() {
    if (m_Master < 0) return;
    m_OpenWatch.Poll();  // a close that came before these bytes starts a new connection
    if (m_Master < 0) return;
    ReadLineSettings();
    size_t want = std::min(kReadChunk, m_Printer.ReadAllowance());
    m_Pace.SetRate(BytesPerSecond());
    if (m_Pace.Paced()) {
        const bool heldBack = m_HeldForLine;
        m_HeldForLine = false;
        want = want == 0 ? 0 : m_Pace.Allowance(m_Clock.nsecsElapsed(), heldBack, want);
        if (want == 0 && m_Printer.ReadAllowance() > 0) {
            m_ReadNotifier->setEnabled(false);
            m_HeldForLine = true;
            m_PaceTimer.start(m_Pace.MsToNextByte());
            return;
        }
    }
    if (want == 0) {
        // A pause, a stall or a hang-up is due before any further byte.
        m_ReadNotifier->setEnabled(false);
        if (m_Printer.PauseDue()) {
            m_PaceTimer.start(m_Printer.TakePause());
            m_Printer.Changed();
            return;
        }
        if (m_Printer.DisconnectDue()) {
            m_Printer.Event(Name() + ": hung up (fault injection)");
            CloseMaster();
        } else {
            m_Printer.Event(Name() + ": stopped reading (fault injection)");
        }
        m_Printer.Changed();
        return;
    }
    uint8_t buffer[kReadChunk];
    ssize_t n = read(m_Master, buffer, want);
    if (n > 0) {
        m_HangupTimer.stop();
        if (m_HungUp && !m_OpenWatch.Active()) m_Session->NewConnection();
        m_HungUp = false;
        m_Pace.Take(static_cast<size_t>(n));
        m_Session->Receive(std::span<const uint8_t>(buffer, static_cast<size_t>(n)));
        m_ReadNotifier->setEnabled(true);
        if (m_Printer.ReadAllowance() == 0) OnReadable();
        return;
    }
    if (n < 0 && errno == EAGAIN) {
        m_ReadNotifier->setEnabled(true);
        return;
    }
    // EIO: the host closed the slave. Wait for it to come back without spinning.
    // A served device fails its reads while its far side is gone (a gadget
    // unbound from its controller).
    if (!m_Options.devicePath.isEmpty() && !m_HungUp)
        m_Printer.Event(Name() + ": read failed: " + (n < 0 ? strerror(errno) : "end of file"));
    m_HungUp = true;
    m_ReadNotifier->setEnabled(false);
    m_HangupTimer.start();
}

void SerialTransport::OnHostClosed(bool reopened) {
    // What the host wrote before closing still belongs to its connection. Once
    // it has opened the line again, what waits may be the new connection's
    // already; the old one's bytes were taken as they came. Paced reading
    // cannot hurry either way.
    if (m_Master >= 0 && !reopened && BytesPerSecond() == 0) {
        uint8_t buffer[kReadChunk];
        ssize_t n;
        while (m_Printer.ReadAllowance() > 0 &&
               (n = read(m_Master, buffer, std::min(sizeof buffer, m_Printer.ReadAllowance()))) > 0)
            m_Session->Receive(std::span<const uint8_t>(buffer, static_cast<size_t>(n)));
    }
    m_Session->NewConnection();
}

void SerialTransport::OnHangupCheck() {
    pollfd pfd{m_Master, POLLIN, 0};
    if (m_Master < 0 || poll(&pfd, 1, 0) < 0) return;
    // A host may open, write and close again between two checks: its bytes
    // wait in the master even though the line is hung up again.
    if (pfd.revents & POLLIN) return OnReadable();
    if (pfd.revents & POLLHUP) return;
    m_HangupTimer.stop();
    m_ReadNotifier->setEnabled(true);
}

void SerialTransport::Write(std::span<const uint8_t> bytes) {
    // Like a real line, nothing keeps what the printer sends while the host's
    // port is closed; otherwise a stale answer would meet the next session.
    if (m_OpenWatch.Active() && !m_OpenWatch.HostHasLineOpen()) {
        m_Printer.Event("serial: answer lost, the host has the line closed");
        return;
    }
    m_Pending.insert(m_Pending.end(), bytes.begin(), bytes.end());
    FlushPending();
}

void SerialTransport::FlushPending() {
    while (m_Master >= 0 && !m_Pending.empty()) {
        ssize_t n = write(m_Master, m_Pending.data(), m_Pending.size());
        if (n <= 0) break;
        m_Pending.erase(m_Pending.begin(), m_Pending.begin() + n);
    }
    if (m_WriteNotifier) m_WriteNotifier->setEnabled(m_Master >= 0 && !m_Pending.empty());
}

void SerialTransport::CloseMaster() {
    m_HangupTimer.stop();
    m_PaceTimer.stop();
    m_ReadNotifier.reset();
    m_WriteNotifier.reset();
    if (m_Master >= 0) close(m_Master);
    m_Master = -1;
}

}  // namespace korva::sim
