#include "ui/shell/PanelPlacement.h"

#include <algorithm>

QPoint PanelPlacement::position(const Input &input)
{
    const QRect anchor = input.iconGeometry && input.iconGeometry->isValid()
                             ? *input.iconGeometry
                             : QRect(input.pointer, QSize(1, 1));
    const QSize size = input.panelSize;
    const QRect screen = input.screenGeometry.isValid() ? input.screenGeometry : anchor;
    const QRect area = input.availableGeometry.isValid() ? input.availableGeometry : screen;

    const int centreX = anchor.x() + anchor.width() / 2;
    const bool trayAtTop = anchor.center().y() < screen.center().y();
    int x = centreX - size.width() / 2;
    int y = trayAtTop ? anchor.bottom() + 1 + gap : anchor.top() - gap - size.height();

    // Keep inside the available area; a panel larger than the area keeps its top-left corner
    // visible.
    x = std::max(area.left(), std::min(x, area.right() + 1 - size.width()));
    y = std::max(area.top(), std::min(y, area.bottom() + 1 - size.height()));
    return {x, y};
}
