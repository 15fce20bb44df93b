#pragma once
// A ByteStream that records every call, stamped with a RecordingClock's time,
// so tests can compare the whole byte stream and the pauses between writes.
#include <cstdint>
#include <map>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "port/ByteStream.h"

namespace korva::test {

class RecordingStream final : public port::ByteStream {
public:
    enum class Op { Open, Close, Write, Read };
    struct Event {
        Op op;
        int64_t atMs;
        std::vector<uint8_t> bytes;  // Write: what was written
    };

    RecordingStream(port::PortKind kind, base::Clock& clock) : m_Kind(kind), m_Clock(clock) {}

    // --- behaviour knobs ---
    bool failOpen = false;
    int openError = 2;
    /// 1-based number of the write that fails (0: none); `failWritesFrom` makes it stick.
    int failWriteNumber = 0;
    bool failWritesFrom = false;
    /// Bytes that Read hands out (a printer's reply).
    std::deque<uint8_t> replies;
    /// What Read returns when nothing is waiting: 0 (time-out) or -1 (no reading).
    int emptyReadResult = 0;
    /// A printer that answers: a write equal to a request here puts its
    /// answer into `replies` (the printer-ID request GS I 1, ...).
    std::map<std::vector<uint8_t>, std::vector<uint8_t>> answers;
    /// What LinkFault() reports once the first write went out (an Ethernet
    /// printer that closes its connection to restart: HangUp).
    base::Reason faultAfterWrites = base::Reason::None;
    /// Called before every write with its 1-based number (lets a test cancel mid-run).
    std::function<void(int)> onWrite;

    // --- ByteStream ---
    port::PortKind Kind() const override { return m_Kind; }
    bool Open() override {
        m_Events.push_back({Op::Open, m_Clock.NowMs(), {}});
        ForgetAnswers();
        if (failOpen) {
            m_LastError = openError;
            return false;
        }
        m_Open = true;
        return true;
    }
    /// Recorded as an Open; counted apart so a test sees which one was used.
    bool OpenSingleAttempt() override {
        ++singleAttemptOpens;
        return Open();
    }
    int singleAttemptOpens = 0;
    void Close() override {
        m_Events.push_back({Op::Close, m_Clock.NowMs(), {}});
        m_Open = false;
    }
    bool IsOpen() const override { return m_Open; }
    size_t Write(std::span<const uint8_t> data) override {
        ++m_Writes;
        if (onWrite) onWrite(m_Writes);
        const bool fail = failWriteNumber > 0 &&
                          (failWritesFrom ? m_Writes >= failWriteNumber : m_Writes == failWriteNumber);
        if (!m_Open || fail) {
            m_LastError = 5;
            return 0;
        }
        m_Events.push_back({Op::Write, m_Clock.NowMs(), {data.begin(), data.end()}});
        if (auto a = answers.find({data.begin(), data.end()}); a != answers.end())
            replies.insert(replies.end(), a->second.begin(), a->second.end());
        return data.size();
    }
    int Read(std::span<uint8_t> buffer, int) override {
        m_Events.push_back({Op::Read, m_Clock.NowMs(), {}});
        if (!m_Open) return -1;
        if (replies.empty()) return emptyReadResult;
        size_t n = 0;
        while (n < buffer.size() && !replies.empty()) {
            buffer[n++] = replies.front();
            replies.pop_front();
        }
        return static_cast<int>(n);
    }
    void Purge() override {}
    int LastError() const override { return m_LastError; }
    base::Reason LinkFault() override { return m_Writes > 0 ? faultAfterWrites : base::Reason::None; }

    // --- inspection ---
    const std::vector<Event>& Events() const { return m_Events; }
    /// Every successful write, in order.
    std::vector<std::vector<uint8_t>> Writes() const {
        std::vector<std::vector<uint8_t>> out;
        for (const Event& e : m_Events)
            if (e.op == Op::Write) out.push_back(e.bytes);
        return out;
    }
    /// All written bytes as one stream.
    std::vector<uint8_t> Stream() const {
        std::vector<uint8_t> out;
        for (const Event& e : m_Events)
            if (e.op == Op::Write) out.insert(out.end(), e.bytes.begin(), e.bytes.end());
        return out;
    }
    /// Times of the successful writes.
    std::vector<int64_t> WriteTimes() const {
        std::vector<int64_t> out;
        for (const Event& e : m_Events)
            if (e.op == Op::Write) out.push_back(e.atMs);
        return out;
    }
    int CountOf(Op op) const {
        int n = 0;
        for (const Event& e : m_Events) n += e.op == op;
        return n;
    }

private:
    port::PortKind m_Kind;
    base::Clock& m_Clock;
    std::vector<Event> m_Events;
    bool m_Open = false;
    int m_Writes = 0;
    int m_LastError = 0;
};

/// "1C 71 02" -> bytes; spaces ignored.
std::vector<uint8_t> HexBytes(const std::string& hex);
/// Bytes as "1C 71 02 ..." for readable failure output.
std::string ToHex(const std::vector<uint8_t>& bytes);

}  // namespace korva::test
