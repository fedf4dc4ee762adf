#pragma once

#include <QColor>
#include <QString>
#include <optional>

// Colours written as text in the catalogue and in the illustrations: "#RRGGBB" or "RRGGBB",
// either case, white space around it allowed. Anything else (three or eight digits, empty
// text, a stray character) gives none, and every caller has a colour of its own to fall back on.
namespace HexColor {
std::optional<QColor> parse(const QString &text);
// The parsed colour, or `fallback` when the text does not hold one.
QColor parseOr(const QString &text, const QColor &fallback);
} // namespace HexColor
