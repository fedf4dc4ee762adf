#include "ui/theme/Spring.h"

#include <cmath>
#include <numbers>

namespace {
constexpr double natural = 2 * std::numbers::pi / Spring::response;
constexpr double decay = Spring::dampingFraction * natural;

double damped()
{
    return natural * std::sqrt(1 - Spring::dampingFraction * Spring::dampingFraction);
}

qreal eased(qreal progress)
{
    return progress >= 1 ? 1 : Spring::position(progress * Spring::settleMilliseconds() / 1000.0);
}
} // namespace

namespace Spring {
int settleMilliseconds()
{
    // The envelope e^(-decay·t) reaches a thousandth, rounded up to whole milliseconds.
    return int(std::ceil(std::log(1000.0) / decay * 1000));
}

double position(double seconds)
{
    const double wd = damped();
    return 1 - std::exp(-decay * seconds) *
        (std::cos(wd * seconds) + decay / wd * std::sin(wd * seconds));
}

QEasingCurve curve()
{
    QEasingCurve curve;
    curve.setCustomType(&eased);
    return curve;
}
} // namespace Spring
