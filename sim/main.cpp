// korva-sim: a simulated KORVA receipt printer on a pty, TCP and UDP.
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <memory>

#include "PaperRenderer.h"
#include "Printer.h"
#include "SerialTransport.h"
#include "SimOptions.h"
#include "StateWriter.h"
#include "TcpTransport.h"
#include "UdpResponder.h"

using namespace korva::sim;

namespace {

constexpr int kFlashWriteMs = 200;  // from the last packet byte to switching off

int g_SignalPipe[2] = {-1, -1};

void OnSignal(int) {
    char byte = 1;
    [[maybe_unused]] auto ignored = write(g_SignalPipe[1], &byte, 1);
}

// SIGTERM and SIGINT end the event loop normally, so the state is flushed and
// the serial link removed.
void QuitOnSignals(QCoreApplication& app) {
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_SignalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(g_SignalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

void Line(const QString& text) {
    std::printf("%s\n", text.toLocal8Bit().constData());
    std::fflush(stdout);
}

std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char** argv, bool paper) {
    if (!paper) return std::make_unique<QCoreApplication>(argc, argv);
    // Drawing text needs fonts, which need a GUI application; no window is shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace

int main(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    SimOptions options;
    QString error;
    if (!ParseOptions(args, &options, &error)) {
        std::fprintf(stderr, "korva-sim: %s\nTry korva-sim --help.\n",
                     error.toLocal8Bit().constData());
        return 2;
    }
    if (options.help) {
        std::fputs(HelpText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    std::unique_ptr<QCoreApplication> app =
        MakeApplication(argc, argv, !options.paperPath.isEmpty());
    QuitOnSignals(*app);

    Printer printer(options.series, options.network, options.faults, options.recordLimit);
    for (const auto& [number, text] : options.settingAnswers)
        printer.Settings().SetAnswer(number, text);
    for (int number : options.fixedSettings) printer.Settings().KeepFixed(number);
    std::unique_ptr<PaperRenderer> paper;
    if (!options.paperPath.isEmpty()) paper = std::make_unique<PaperRenderer>(options.paperPath);
    StateWriter writer(printer, options.statePath, paper.get());
    printer.onChange = [&writer] { writer.Schedule(); };

    SerialTransport serial(printer, options);
    TcpTransport tcp(printer, options);
    UdpResponder udp(printer, options);
    // Switched off after a firmware download: drop TCP connections.
    // The loader writes its flash for a moment before it switches off, so the
    // host sees its last bytes acknowledged before the connection ends.
    printer.onPowerOff = [&] {
        QTimer::singleShot(kFlashWriteMs, &tcp, [&tcp] { tcp.DropAll(); });
        if (options.powerOnAfterMs >= 0)
            QTimer::singleShot(std::chrono::milliseconds(options.powerOnAfterMs), &tcp,
                               [&printer] { printer.PowerOn(); });
    };

    if (options.serial && !serial.Start(&error)) {
        std::fprintf(stderr, "korva-sim: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    if (options.tcp && !tcp.Start(&error)) {
        std::fprintf(stderr, "korva-sim: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    if (options.udp && !udp.Start(&error)) {
        std::fprintf(stderr, "korva-sim: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    writer.Flush();
    if (options.serial) Line("serial=" + serial.SlavePath());
    if (options.tcp) Line(QStringLiteral("tcp=%1:%2").arg(tcp.Address()).arg(tcp.Port()));
    if (options.udp) Line(QStringLiteral("udp=%1:%2").arg(udp.Address()).arg(udp.Port()));
    Line("ready");

    int result = app->exec();
    writer.Flush();
    return result;
}
