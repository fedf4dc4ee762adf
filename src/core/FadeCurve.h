#pragma once

#include <cmath>
#include <numbers>

namespace FadeCurve {
// The gain of an equal-power fade-out at progress 0…1: the loudness falls evenly rather than
// dropping away at the end as a linear fade does. 1 up to the start, exactly 0 from the end
// on, and never rising in between.
inline double equalPowerOut(double progress)
{
    if (!(progress > 0.0))
        return 1.0;
    if (progress >= 1.0)
        return 0.0;
    return std::cos(progress * std::numbers::pi / 2.0);
}

// Eases a glide between two volumes: no sudden start or stop of the change.
inline double smoothStep(double progress)
{
    if (!(progress > 0.0))
        return 0.0;
    if (progress >= 1.0)
        return 1.0;
    return progress * progress * (3.0 - 2.0 * progress);
}
} // namespace FadeCurve
