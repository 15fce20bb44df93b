#include "SlaveOpenWatch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace korva::sim {

SlaveOpenWatch::~SlaveOpenWatch() {
    m_Notifier.reset();
    if (m_Fd >= 0) close(m_Fd);
}

bool SlaveOpenWatch::Start(const QString& slavePath) {
    m_Fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_Fd < 0) return false;
    if (inotify_add_watch(m_Fd, slavePath.toLocal8Bit().constData(),
                          IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
        close(m_Fd);
        m_Fd = -1;
        return false;
    }
    m_Notifier = std::make_unique<QSocketNotifier>(m_Fd, QSocketNotifier::Read);
    connect(m_Notifier.get(), &QSocketNotifier::activated, this, &SlaveOpenWatch::Poll);
    return true;
}

void SlaveOpenWatch::Poll() {
    if (m_Fd < 0) return;
    alignas(inotify_event) char buffer[4096];
    ssize_t n;
    while ((n = read(m_Fd, buffer, sizeof buffer)) > 0) {
        std::vector<uint32_t> masks;
        for (char* p = buffer; p < buffer + n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(p);
            masks.push_back(event->mask);
            p += sizeof(inotify_event) + event->len;
        }
        for (size_t i = 0; i < masks.size(); ++i) {
            if (masks[i] & IN_OPEN) ++m_Opens;
            if (!(masks[i] & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) || m_Opens == 0) continue;
            if (--m_Opens > 0) continue;
            const bool reopened = std::any_of(masks.begin() + long(i) + 1, masks.end(),
                                              [](uint32_t m) { return (m & IN_OPEN) != 0; });
            emit LastClosed(reopened);
        }
    }
}

}  // namespace korva::sim
