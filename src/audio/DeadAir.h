#pragma once
// Notices dead air the mix did not cause: the card's output staying under a floor for a
// while when something is meant to be heard. Fed a few times a second with the output's
// peak since the last feed; the caller decides when the silence counts (armed).
#include <cstdint>

namespace audio {

class DeadAir
{
public:
    static constexpr double kFloorDb = -50.0;
    static constexpr int64_t kLimitMs = 8000;

    // True once the output has stayed under the floor for kLimitMs while armed; the count
    // then starts over, so a second silent entry is noticed in its turn. Disarming, or any
    // sound over the floor, starts it over too.
    bool feed(int64_t nowMs, double peakDb, bool armed);

private:
    bool m_silent = false;
    int64_t m_since = 0;
};

} // namespace audio
