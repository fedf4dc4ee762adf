#include "visuals/ArtPhases.h"

#include <cmath>
#include <numbers>

namespace {
constexpr double twoPi = 2 * std::numbers::pi;
} // namespace

double ArtPhases::frac(double v)
{
    return v - std::floor(v);
}

double ArtPhases::glow(double t)
{
    return 1 - 0.075 * (1 - std::cos(twoPi * 0.25 * t));
}

double ArtPhases::drift(double t)
{
    return -8 * (std::fmod(t, 18.0) / 18.0);
}

double ArtPhases::flicker(double t)
{
    const double x = (std::fmod(t, 4.5) / 4.5) * twoPi;
    return 1 - 0.075 * (1 - std::cos(x)) + 0.04 * std::sin(-5 * x);
}

std::array<double, 3> ArtPhases::wisps(double t)
{
    return {frac(t / 3), frac((t + 0.6) / 3), frac((t + 1.2) / 3)};
}

QPointF ArtPhases::rain1(double t)
{
    const double f = frac(t / 0.45);
    return {-12 * f, 40 * f};
}

QPointF ArtPhases::rain2(double t)
{
    const double f = frac((t + 0.2) / 0.7);
    return {-12 * f, 40 * f};
}

double ArtPhases::mist1(double t)
{
    return 0.04 * std::sin(twoPi * t / 20);
}

double ArtPhases::mist2(double t)
{
    return 0.04 * std::sin(twoPi * (t + 10) / 20);
}

std::array<double, 3> ArtPhases::subwayLights(double t)
{
    return {frac(t / 4), frac((t + 1.3) / 4), frac((t + 2.6) / 4)};
}

double ArtPhases::recordAngle(double t)
{
    return (std::fmod(t, 8.0) / 8.0) * 360;
}
