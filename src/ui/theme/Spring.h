#pragma once

#include <QEasingCurve>

// The drawer's motion: a damped spring that answers in 0.45 s with a damping fraction of
// 0.85 (a barely visible overshoot), as an easing curve over the time it takes to settle.
namespace Spring {
inline constexpr double response = 0.45;
inline constexpr double dampingFraction = 0.85;
// Until the spring stays within a thousandth of its target.
int settleMilliseconds();
// Where the spring is after `seconds`, from 0 towards 1.
double position(double seconds);
// position() over settleMilliseconds(), ending at exactly 1.
QEasingCurve curve();
} // namespace Spring
