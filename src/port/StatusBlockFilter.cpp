#include "port/StatusBlockFilter.h"

#include "printer/PrinterFacts.h"

namespace korva::port {

namespace {
/// Whether `bytes` (fewer than four) may be the start of a block.
bool MayBeginBlock(std::span<const uint8_t> bytes) {
    if (bytes.empty() || (bytes[0] & 0x93) != 0x10) return false;
    if (bytes.size() >= 2 && (bytes[1] & 0x90) != 0) return false;
    if (bytes.size() >= 3 && bytes[2] > 0x0F) return false;
    return true;
}
}  // namespace

std::vector<uint8_t> StatusBlockFilter::Feed(std::span<const uint8_t> bytes, int64_t nowMs) {
    if (bytes.empty()) return {};
    std::vector<uint8_t> all = std::move(m_Held);
    m_Held.clear();
    all.insert(all.end(), bytes.begin(), bytes.end());
    std::vector<uint8_t> out;
    out.reserve(all.size());
    const std::span<const uint8_t> view(all);
    for (size_t i = 0; i < all.size();) {
        const size_t left = all.size() - i;
        if (left >= 4 && printer::IsAutomaticStatusBlock(view.subspan(i, 4))) {
            m_LastStatus = std::array<uint8_t, 4>{all[i], all[i + 1], all[i + 2], all[i + 3]};
            ++m_BlocksSeen;
            i += 4;
            continue;
        }
        if (left < 4 && MayBeginBlock(view.subspan(i))) {
            m_Held.assign(all.begin() + static_cast<std::ptrdiff_t>(i), all.end());
            m_HeldSinceMs = nowMs;
            break;
        }
        out.push_back(all[i++]);
    }
    return out;
}

std::vector<uint8_t> StatusBlockFilter::Release(int64_t nowMs, bool force) {
    if (m_Held.empty() || (!force && nowMs - m_HeldSinceMs < kHoldMs)) return {};
    std::vector<uint8_t> held = std::move(m_Held);
    m_Held.clear();
    return held;
}

void StatusBlockFilter::Reset() {
    m_Held.clear();
    m_LastStatus.reset();
    m_BlocksSeen = 0;
}

}  // namespace korva::port
