#include "support/SimHarness.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QThread>
#include <cerrno>

namespace korva::test {
namespace {
constexpr int kReadyTimeoutMs = 10000;
constexpr int kStatePollMs = 10;
}  // namespace

SimHarness::SimHarness() : m_Dir(std::make_unique<QTemporaryDir>()) {
    m_Process.setProcessChannelMode(QProcess::SeparateChannels);
    // A file, not a pipe: nobody reads stderr while a test runs, and a full
    // pipe would block the simulator.
    m_Process.setStandardErrorFile(m_Dir->filePath("stderr.txt"));
}

SimHarness::~SimHarness() { Stop(); }

SimHarness& SimHarness::WithPaper(const QString& suffix) {
    m_PaperSuffix = suffix;
    return *this;
}

SimHarness& SimHarness::ExpectExit(int code) {
    m_ExpectedExit = code;
    return *this;
}

SimHarness& SimHarness::InNamespace(const QString& netns) {
    m_Netns = netns;
    return *this;
}

QString SimHarness::Program() { return QStringLiteral(KORVA_BIN_DIR "/korva-sim"); }
QString SimHarness::StatePath() const { return m_Dir->filePath("state.json"); }
QString SimHarness::PaperPath() const { return m_Dir->filePath("paper." + m_PaperSuffix); }

bool SimHarness::Start(const QStringList& options) {
    QStringList args = options;
    args << "--state" << StatePath();
    if (!m_PaperSuffix.isEmpty()) args << "--paper" << PaperPath();
    m_Process.setProcessEnvironment(
        m_SanitizerLog.Environment(QProcessEnvironment::systemEnvironment()));
    if (m_Netns.isEmpty()) {
        m_Process.start(Program(), args);
    } else {
        m_Process.start("ip", QStringList{"netns", "exec", m_Netns, Program()} + args);
    }
    if (!m_Process.waitForStarted(kReadyTimeoutMs)) {
        m_Error = "korva-sim did not start: " + m_Process.errorString();
        return false;
    }
    m_Unchecked = true;
    return ReadStartupLines();
}

bool SimHarness::ReadStartupLines() {
    QDeadlineTimer deadline(kReadyTimeoutMs);
    while (!deadline.hasExpired()) {
        while (m_Process.canReadLine()) {
            const QString line = QString::fromLocal8Bit(m_Process.readLine()).trimmed();
            if (line == "ready") return true;
            const QString value = line.section('=', 1);
            if (line.startsWith("serial=")) m_SerialPath = value;
            if (line.startsWith("tcp=")) {
                m_TcpAddress = value.section(':', 0, -2);
                m_TcpPort = static_cast<quint16>(value.section(':', -1).toUInt());
            }
            if (line.startsWith("udp="))
                m_UdpPort = static_cast<quint16>(value.section(':', -1).toUInt());
        }
        if (m_Process.state() == QProcess::NotRunning) break;
        m_Process.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    }
    m_Error = "korva-sim never said ready: " + StandardError();
    Stop();
    return false;
}

void SimHarness::Stop() {
    if (m_Process.state() != QProcess::NotRunning) {
        m_Process.terminate();
        if (!m_Process.waitForFinished(3000)) {
            ADD_FAILURE() << "korva-sim did not end within 3 s of SIGTERM; killed";
            m_Process.kill();
            m_Process.waitForFinished(3000);
        }
    }
    CheckEnd();
}

void SimHarness::CheckEnd() {
    if (!m_Unchecked) return;
    m_Unchecked = false;
    ExpectCleanEnd("korva-sim", m_Process, m_SanitizerLog, StandardError(), m_ExpectedExit);
}

bool SimHarness::Running() const { return m_Process.state() == QProcess::Running; }

QString SimHarness::StandardError() {
    QFile file(m_Dir->filePath("stderr.txt"));
    file.open(QIODevice::ReadOnly);
    return QString::fromLocal8Bit(file.readAll());
}

int SimHarness::ConnectTcp() const {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(m_TcpPort);
    inet_pton(AF_INET, m_TcpAddress.toLatin1().constData(), &address.sin_addr);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        return fd;
    if (fd >= 0) ::close(fd);
    return -1;
}

QJsonObject SimHarness::State() const {
    QFile file(StatePath());
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

QJsonObject SimHarness::WaitForState(const std::function<bool(const QJsonObject&)>& done,
                                     int timeoutMs) const {
    QDeadlineTimer deadline(timeoutMs);
    QJsonObject state = State();
    while (!done(state) && !deadline.hasExpired()) {
        QThread::msleep(kStatePollMs);
        state = State();
    }
    return state;
}

QByteArray SimHarness::Received(const QJsonObject& state, int index) {
    const QJsonArray received = state.value("received").toArray();
    if (index < 0 || index >= received.size()) return {};
    return QByteArray::fromHex(received[index].toObject().value("bytes").toString().toLatin1());
}

int OpenRawTty(const QString& path) {
    int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return -1;
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    cfsetspeed(&tio, B9600);
    tcsetattr(fd, TCSANOW, &tio);
    return fd;
}

bool WriteAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

QByteArray ReadFor(int fd, int count, int timeoutMs) {
    QByteArray out;
    QDeadlineTimer deadline(timeoutMs);
    while (out.size() < count && !deadline.hasExpired()) {
        pollfd pfd{fd, POLLIN, 0};
        if (poll(&pfd, 1, static_cast<int>(std::max<qint64>(1, deadline.remainingTime()))) <= 0)
            continue;
        char buffer[4096];
        ssize_t n = ::read(fd, buffer, std::min<size_t>(sizeof buffer, size_t(count - out.size())));
        if (n <= 0) break;
        out.append(buffer, n);
    }
    return out;
}

QByteArray Bytes(const char* hex) { return QByteArray::fromHex(QByteArray(hex).replace(' ', "")); }

}  // namespace korva::test
