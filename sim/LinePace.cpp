#include "LinePace.h"

#include <algorithm>
#include <cmath>

namespace korva::sim {

size_t LinePace::Allowance(int64_t nowNs, bool heldBack, size_t want) {
    if (!Paced()) return want;
    const double elapsedS = static_cast<double>(nowNs - m_AtNs) / 1e9;
    m_AtNs = nowNs;
    m_Credit += std::max(0.0, elapsedS) * m_Rate;
    // A reader that waited for the line owns every byte the line carried
    // meanwhile, however late its timer fired: dropping them would slow the
    // line below its rate on a busy machine. An idle line keeps 20 ms.
    if (!heldBack) m_Credit = std::min(m_Credit, std::max(1.0, m_Rate / 50));
    if (m_Credit < 1) return 0;
    return std::min(want, static_cast<size_t>(m_Credit));
}

void LinePace::Take(size_t count) {
    if (Paced()) m_Credit -= static_cast<double>(count);
}

int LinePace::MsToNextByte() const {
    if (!Paced() || m_Credit >= 1) return 1;
    return std::max(1, static_cast<int>(std::ceil((1 - m_Credit) * 1000 / m_Rate)));
}

}  // namespace korva::sim
