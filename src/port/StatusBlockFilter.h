#pragma once
// Takes a printer's automatic status blocks out of its byte stream. A printer
// left with automatic status on sends them between and inside its answers on
// every interface; read as answers they would confirm what the printer never
// said. The last block is kept: it is the printer's own word on its state.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace korva::port {

class StatusBlockFilter {
public:
    /// The four bytes of a block arrive together; a beginning of one that
    /// stays alone this long is answer data after all.
    static constexpr int64_t kHoldMs = 20;

    /// The bytes of `bytes` (after any held back before) without complete
    /// blocks; a tail that may begin a block is held back.
    std::vector<uint8_t> Feed(std::span<const uint8_t> bytes, int64_t nowMs);
    /// The held tail once nothing completed it for kHoldMs (or at once with
    /// `force`); empty otherwise.
    std::vector<uint8_t> Release(int64_t nowMs, bool force = false);

    std::optional<std::array<uint8_t, 4>> LastStatus() const { return m_LastStatus; }
    int BlocksSeen() const { return m_BlocksSeen; }
    bool Holding() const { return !m_Held.empty(); }
    void Reset();

private:
    std::vector<uint8_t> m_Held;
    int64_t m_HeldSinceMs = 0;
    std::optional<std::array<uint8_t, 4>> m_LastStatus;
    int m_BlocksSeen = 0;
};

}  // namespace korva::port
