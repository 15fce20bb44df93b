#pragma once
#include <atomic>
#include <cstdint>
#include <span>

namespace korva::port {

/// Receive ring of 4096 bytes that holds at most 4095 (one slot stays free so
/// full and empty differ). One producer thread and one consumer thread may use
/// it at once without a lock: the producer moves only the write position, the
/// consumer only the read position, each after touching the buffer.
class CRecvQueue {
public:
    static constexpr uint32_t kSize = 4096;
    static constexpr uint32_t kMask = kSize - 1;

    CRecvQueue();
    virtual ~CRecvQueue() = default;
    CRecvQueue(const CRecvQueue&) = delete;
    CRecvQueue& operator=(const CRecvQueue&) = delete;

    /// Producer: stores one byte; refuses it (false) when the ring is full.
    bool Put(uint8_t byte);
    /// Consumer: takes the oldest byte; 0 when empty (test IsEmpty first).
    uint8_t Get();
    bool IsEmpty() const;
    /// Bytes held: (write - read) & 0xFFF.
    uint32_t Count() const;
    /// Both positions 0 and the buffer zeroed. Only while no producer runs.
    void Clear();

    /// Producer, the chunk rule: stores all of `chunk` in order when
    /// 4096 - Count() > chunk.size(), else stores nothing and returns false.
    bool PutChunk(std::span<const uint8_t> chunk);
    /// Consumer: drops everything held (safe while a producer runs).
    void DiscardAll();

private:
    std::atomic<uint32_t> m_ReadPos{0};
    std::atomic<uint32_t> m_WritePos{0};
    uint8_t m_Buffer[kSize];
};

}  // namespace korva::port
