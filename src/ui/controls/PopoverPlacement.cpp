#include "ui/controls/PopoverPlacement.h"

#include <QQuickWindow>
#include <algorithm>

PopoverPlacement::Spot PopoverPlacement::place(const QRectF &anchor, qreal popoverWidth,
                                               qreal windowWidth, qreal margin, qreal arrowInset)
{
    const qreal centre = anchor.center().x();
    Spot spot;
    if (popoverWidth + 2 * margin <= windowWidth)
        spot.x = std::clamp(centre - popoverWidth / 2, margin, windowWidth - margin - popoverWidth);
    else
        spot.x = std::max<qreal>(0, (windowWidth - popoverWidth) / 2);
    // On the anchor, unless that would put the arrow past a rounded corner of the popover.
    if (popoverWidth >= 2 * arrowInset)
        spot.arrowX = std::clamp(centre - spot.x, arrowInset, popoverWidth - arrowInset);
    else
        spot.arrowX = popoverWidth / 2;
    return spot;
}

PopoverPlacement::PopoverPlacement(QObject *parent) : QObject(parent) {}

void PopoverPlacement::setAnchor(QQuickItem *anchor)
{
    if (m_anchor == anchor)
        return;
    if (m_anchor)
        disconnect(m_anchor, nullptr, this, nullptr);
    m_anchor = anchor;
    if (anchor)
        connect(anchor, &QQuickItem::windowChanged, this, &PopoverPlacement::followWindow);
    followWindow();
    Q_EMIT anchorChanged();
}

void PopoverPlacement::setPopoverWidth(qreal width)
{
    if (m_popoverWidth == width)
        return;
    m_popoverWidth = width;
    update();
    Q_EMIT popoverWidthChanged();
}

void PopoverPlacement::setMargin(qreal margin)
{
    if (m_margin == margin)
        return;
    m_margin = margin;
    update();
    Q_EMIT marginChanged();
}

void PopoverPlacement::setArrowInset(qreal inset)
{
    if (m_arrowInset == inset)
        return;
    m_arrowInset = inset;
    update();
    Q_EMIT arrowInsetChanged();
}

void PopoverPlacement::followWindow()
{
    QQuickWindow *window = m_anchor ? m_anchor->window() : nullptr;
    if (window != m_window) {
        disconnect(m_windowWidth);
        m_window = window;
        // Queued: the window's items are laid out for the new size only after it is told.
        if (window)
            m_windowWidth = connect(window, &QWindow::widthChanged, this, &PopoverPlacement::update,
                                    Qt::QueuedConnection);
    }
    update();
}

void PopoverPlacement::update()
{
    if (!m_anchor || !m_window)
        return;
    const QRectF anchor = m_anchor->mapRectToScene(m_anchor->boundingRect());
    const Spot spot = place(anchor, m_popoverWidth, m_window->width(), m_margin, m_arrowInset);
    const qreal popoverX = spot.x - anchor.x();
    if (popoverX == m_popoverX && spot.arrowX == m_arrowX)
        return;
    m_popoverX = popoverX;
    m_arrowX = spot.arrowX;
    Q_EMIT placed();
}
