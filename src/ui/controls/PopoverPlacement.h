#pragma once

#include <QObject>
#include <QPointer>
#include <QQuickItem>
#include <QRectF>
#include <QtQml/qqmlregistration.h>

// Where a popover goes across its window: centred under (or over) the control that opened it,
// then moved inside the window, at least `margin` from either side, with its arrow still
// pointing at the control. Every popover of the windows is placed by this one rule.
class PopoverPlacement : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    // The control the popover belongs to, which Popup.x is relative to.
    Q_PROPERTY(QQuickItem *anchor READ anchor WRITE setAnchor NOTIFY anchorChanged)
    Q_PROPERTY(
        qreal popoverWidth READ popoverWidth WRITE setPopoverWidth NOTIFY popoverWidthChanged)
    Q_PROPERTY(qreal margin READ margin WRITE setMargin NOTIFY marginChanged)
    // How near the arrow's centre may come to the popover's ends (its corner radius plus half
    // the arrow), so that the arrow stays on the straight edge.
    Q_PROPERTY(qreal arrowInset READ arrowInset WRITE setArrowInset NOTIFY arrowInsetChanged)
    // The popover's x relative to the anchor, as Popup.x takes it.
    Q_PROPERTY(qreal popoverX READ popoverX NOTIFY placed)
    // The arrow's centre, from the popover's left edge.
    Q_PROPERTY(qreal arrowX READ arrowX NOTIFY placed)

public:
    struct Spot
    {
        // In the window's coordinates.
        qreal x = 0;
        // From the popover's left edge.
        qreal arrowX = 0;
    };

    // `anchor` in the window's coordinates. A popover wider than the room between the margins
    // is centred in the window, and one wider than the window starts at its left edge, so
    // that its beginning can be read.
    static Spot place(const QRectF &anchor, qreal popoverWidth, qreal windowWidth, qreal margin,
                      qreal arrowInset = 0);

    explicit PopoverPlacement(QObject *parent = nullptr);

    QQuickItem *anchor() const { return m_anchor; }
    void setAnchor(QQuickItem *anchor);
    qreal popoverWidth() const { return m_popoverWidth; }
    void setPopoverWidth(qreal width);
    qreal margin() const { return m_margin; }
    void setMargin(qreal margin);
    qreal arrowInset() const { return m_arrowInset; }
    void setArrowInset(qreal inset);
    qreal popoverX() const { return m_popoverX; }
    qreal arrowX() const { return m_arrowX; }

    // Places the popover again. It follows its window's size and its own width by itself; the
    // anchor's movement inside the window is seen when the popover is about to show.
    Q_INVOKABLE void update();

Q_SIGNALS:
    void anchorChanged();
    void popoverWidthChanged();
    void marginChanged();
    void arrowInsetChanged();
    void placed();

private:
    void followWindow();

    QPointer<QQuickItem> m_anchor;
    QPointer<QQuickWindow> m_window;
    QMetaObject::Connection m_windowWidth;
    qreal m_popoverWidth = 0;
    qreal m_margin = 8;
    qreal m_arrowInset = 0;
    qreal m_popoverX = 0;
    qreal m_arrowX = 0;
};
