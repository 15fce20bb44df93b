#include "port/RecvQueue.h"

#include <cstring>

namespace korva::port {

CRecvQueue::CRecvQueue() { Clear(); }

bool CRecvQueue::Put(uint8_t byte) {
    const uint32_t write = m_WritePos.load(std::memory_order_relaxed);
    const uint32_t next = (write + 1) & kMask;
    if (next == m_ReadPos.load(std::memory_order_acquire)) return false;
    m_Buffer[write] = byte;
    m_WritePos.store(next, std::memory_order_release);
    return true;
}

uint8_t CRecvQueue::Get() {
    const uint32_t read = m_ReadPos.load(std::memory_order_relaxed);
    if (read == m_WritePos.load(std::memory_order_acquire)) return 0;
    const uint8_t byte = m_Buffer[read];
    m_ReadPos.store((read + 1) & kMask, std::memory_order_release);
    return byte;
}

bool CRecvQueue::IsEmpty() const {
    return m_ReadPos.load(std::memory_order_acquire) == m_WritePos.load(std::memory_order_acquire);
}

uint32_t CRecvQueue::Count() const {
    return (m_WritePos.load(std::memory_order_acquire) -
            m_ReadPos.load(std::memory_order_acquire)) & kMask;
}

void CRecvQueue::Clear() {
    m_ReadPos.store(0, std::memory_order_relaxed);
    m_WritePos.store(0, std::memory_order_relaxed);
    std::memset(m_Buffer, 0, sizeof m_Buffer);
}

bool CRecvQueue::PutChunk(std::span<const uint8_t> chunk) {
    if (kSize - Count() <= chunk.size()) return false;
    uint32_t write = m_WritePos.load(std::memory_order_relaxed);
    for (uint8_t byte : chunk) {
        m_Buffer[write] = byte;
        write = (write + 1) & kMask;
    }
    m_WritePos.store(write, std::memory_order_release);
    return true;
}

void CRecvQueue::DiscardAll() {
    m_ReadPos.store(m_WritePos.load(std::memory_order_acquire), std::memory_order_release);
}

}  // namespace korva::port
