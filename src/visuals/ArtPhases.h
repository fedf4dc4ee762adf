#pragma once

#include <QPointF>
#include <array>

// The moving values of the six illustrations at time t, in seconds since 2001-01-01 UTC (the
// shared clock's time). Each is periodic, so a picture shown at any moment matches one shown
// a whole period earlier.
namespace ArtPhases {
// v − floor(v): in [0, 1).
double frac(double v);

// Cozy room: the warm glow's strength, 0.85…1 over 4 s; the dots' upward drift, 0 to −8
// points over 18 s, then back.
double glow(double t);
double drift(double t);

// Late café: the lights' strength (about 0.81…1.04, period 4.5 s) and the three wisps'
// progress (0…1 over 3 s, 0.6 s apart).
double flicker(double t);
std::array<double, 3> wisps(double t);

// Rainy Tokyo: the offsets of the two rain layers; each falls 40 and moves 12 left per cycle
// (0.45 s and 0.7 s).
QPointF rain1(double t);
QPointF rain2(double t);

// Forest dawn: the mist bands' sideways drift as fractions of the width (period 20 s).
double mist1(double t);
double mist2(double t);

// Subway: the three light bands' progress across the picture (period 4 s).
std::array<double, 3> subwayLights(double t);

// Vinyl bar: the record's angle in degrees, one turn every 8 s.
double recordAngle(double t);
} // namespace ArtPhases
