// What a printer sends back on a parallel line, read in nibble mode: the
// receive thread walks each read block into its ring and takes out the
// automatic status blocks. The first input byte sets how many bytes one read
// returns; the rest is the line. What comes out of the ring is the line
// without whole 4-byte blocks, in order.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <thread>

#include "base/Clock.h"
#include "base/ErrorLog.h"
#include "port/ParPortCtl.h"

namespace {
using korva::port::ParPortCtl;

// A ppdev node whose reads return the line, then find it silent.
class LinePpdev final : public korva::port::PpdevCalls {
  public:
    LinePpdev(std::span<const uint8_t> line, size_t chunk) : m_Line(line), m_Chunk(chunk) {}
    int Claim(int) override { return 0; }
    int Negotiate(int, int) override { return 0; }
    int Release(int) override { return 0; }
    ssize_t Read(int, uint8_t* buffer, size_t length) override {
        if (m_Offset == m_Line.size()) {
            m_Silent = true;
            errno = EAGAIN;
            return -1;
        }
        const size_t n = std::min({length, m_Chunk, m_Line.size() - m_Offset});
        std::memcpy(buffer, m_Line.data() + m_Offset, n);
        m_Offset += n;
        return static_cast<ssize_t>(n);
    }
    ssize_t Write(int, const uint8_t*, size_t length) override {
        return static_cast<ssize_t>(length);
    }
    bool Silent() const { return m_Silent; }

  private:
    std::span<const uint8_t> m_Line;
    size_t m_Chunk;
    size_t m_Offset = 0;
    std::atomic<bool> m_Silent{false};
};

// Time passes by the waits only, so a silent line ends a read at once.
class WaitsOnlyClock final : public korva::base::Clock {
  public:
    void SleepMs(int ms) override { m_Now += ms; }
    int64_t NowMs() override { return m_Now; }

  private:
    std::atomic<int64_t> m_Now{0};
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The ring holds kQueueSize - 1 bytes: a longer line would stop the thread
    // with a full ring, which the tests cover.
    if (size == 0 || size > ParPortCtl::kQueueSize) return 0;
    const std::span<const uint8_t> line(data + 1, size - 1);
    const size_t chunk = 1 + data[0] % ParPortCtl::kReadBlock;
    korva::port::IsAutomaticStatusBlock(line.first(std::min<size_t>(line.size(), 4)));

    LinePpdev ppdev(line, chunk);
    WaitsOnlyClock clock;
    korva::base::CErrorLog log;
    ParPortCtl port(log, "/dev", ppdev, clock);
    if (port.OpenPort("/dev/null") != 1) std::abort();
    // One read per chunk and one more that finds the line silent.
    for (size_t i = 0; i <= line.size() / chunk + 1; ++i) port.TriggerRead();
    if (port.StartReadThread() != 1) std::abort();
    while (!ppdev.Silent()) std::this_thread::yield();
    port.StopReadThread();

    size_t taken = 0, at = 0;
    int status = 0;
    for (uint8_t byte = port.GetByte(status); status == 1; byte = port.GetByte(status), ++taken) {
        while (at < line.size() && line[at] != byte) ++at;  // a subsequence of the line
        if (at++ == line.size()) std::abort();
    }
    if ((line.size() - taken) % 4 != 0) std::abort();
    return 0;
}
