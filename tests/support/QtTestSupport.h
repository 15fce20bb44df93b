#pragma once
// Helpers for driving the app's dialogs under the offscreen platform.
#include <QApplication>
#include <QElapsedTimer>
#include <functional>
#include <string>
#include <vector>

#include "base/MessageBox.h"
#include "app/PortDiscovery.h"

namespace korva::test {

/// The one QApplication of the test program.
inline QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "test_app";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

/// Runs the event loop until `done` holds or `timeoutMs` has passed.
inline bool RunEventsUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

/// Records every message box instead of showing it; restores the previous handler.
class MessageRecorder {
public:
    explicit MessageRecorder(base::MsgAnswer answer = base::MsgAnswer::Yes) {
        m_Previous = base::SetMessageHandler([this, answer](const std::string& text, const std::string& caption,
                                                           base::MsgStyle) {
            texts.push_back(text);
            captions.push_back(caption);
            return answer;
        });
    }
    ~MessageRecorder() { base::SetMessageHandler(m_Previous); }
    std::vector<std::string> texts;
    std::vector<std::string> captions;

private:
    base::MessageHandler m_Previous;
};

/// Ports and USB printers as a test wants them.
class FakeDiscovery final : public app::PortDiscovery {
public:
    std::vector<std::string> serial;
    std::vector<std::string> parallel;
    /// USB answer per attempt; the last one repeats.
    std::vector<int> usbCounts{0};
    std::vector<std::string> usbPrefixes;
    std::function<void()> onUsbAttempt;

    std::vector<std::string> SerialPorts() override { return serial; }
    std::vector<std::string> ParallelPorts() override { return parallel; }
    int CountUsbPrinters(std::string_view prefix) override {
        usbPrefixes.emplace_back(prefix);
        if (onUsbAttempt) onUsbAttempt();
        const size_t i = std::min(usbPrefixes.size() - 1, usbCounts.size() - 1);
        return usbCounts[i];
    }
};

}  // namespace korva::test
