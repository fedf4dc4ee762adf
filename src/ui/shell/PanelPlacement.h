#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

// Where the tray panel goes. The tray icon's geometry is known only with an XEmbed tray; a
// StatusNotifier host keeps it to itself, and then the pointer at the click stands in for the
// icon. The panel hangs centred under the anchor, 2 px apart, when the anchor is in the upper
// half of its screen (tray at the top) and sits above it otherwise; it is then kept inside the
// screen's available area.
namespace PanelPlacement {
inline constexpr int gap = 2;

struct Input
{
    QSize panelSize;
    std::optional<QRect> iconGeometry; // global, logical pixels; none or empty when unknown
    QPoint pointer;                    // global position at the click
    QRect screenGeometry;
    QRect availableGeometry; // without panels and docks
};

// The panel's top-left corner.
QPoint position(const Input &input);
} // namespace PanelPlacement
