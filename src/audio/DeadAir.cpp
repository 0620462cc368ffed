#include "DeadAir.h"

namespace audio {

bool DeadAir::feed(int64_t nowMs, double peakDb, bool armed)
{
    if (!armed || peakDb >= kFloorDb) {
        m_silent = false;
        return false;
    }
    if (!m_silent) {
        m_silent = true;
        m_since = nowMs;
        return false;
    }
    if (nowMs - m_since < kLimitMs)
        return false;
    m_since = nowMs;
    return true;
}

} // namespace audio
