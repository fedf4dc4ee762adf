#include "ui/shell/TrayIcon.h"

#include "ui/Resources.h"
#include "ui/shell/X11Connection.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <cstdlib>
#include <xcb/xcb.h>

namespace {
const QList<int> sides{16, 22, 24, 32, 48, 64};

// What a StatusNotifier host is given: the theme's name, and the drawn pictures beside it for
// the hosts that cannot find the name.
class NamedIconEngine : public QIconEngine
{
public:
    explicit NamedIconEngine(std::optional<QColor> foreground) : m_foreground(foreground)
    {
        for (const int side : sides)
            m_pixmaps.append(QPixmap::fromImage(TrayIcon::drawn(QSize(side, side), foreground)));
    }

    QString iconName() override { return TrayIcon::symbolicName; }
    QString key() const override { return QStringLiteral("duskhaven-tray"); }
    QIconEngine *clone() const override { return new NamedIconEngine(*this); }
    bool isNull() override { return m_pixmaps.constFirst().isNull(); }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (const int side : sides)
            sizes.append(QSize(side, side));
        return sizes;
    }
    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        const int side = std::min(size.width(), size.height());
        return QSize(side, side);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        const int side = std::min(size.width(), size.height());
        for (const QPixmap &pixmap : std::as_const(m_pixmaps)) {
            if (pixmap.width() == side)
                return pixmap;
        }
        return QPixmap::fromImage(TrayIcon::drawn(QSize(side, side), m_foreground));
    }
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }

private:
    std::optional<QColor> m_foreground;
    QList<QPixmap> m_pixmaps;
};
} // namespace

namespace TrayIcon {
QImage drawn(QSize size, const std::optional<QColor> &foreground)
{
    if (foreground)
        return Resources::tintedLogo(size, *foreground);
    const QImage glyph = Resources::tintedLogo(size, lightGlyph);
    const QImage outline = Resources::tintedLogo(size, darkOutline);
    if (glyph.isNull() || outline.isNull())
        return glyph;
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    // The outline is the glyph grown by a pixel or two in every direction beneath it.
    const int width = std::max(1, size.width() / 16);
    for (int dy = -width; dy <= width; ++dy) {
        for (int dx = -width; dx <= width; ++dx) {
            if (dx != 0 || dy != 0)
                painter.drawImage(QPoint(dx, dy), outline);
        }
    }
    painter.drawImage(QPoint(0, 0), glyph);
    return image;
}

QIcon make(const std::optional<QColor> &foreground)
{
    return QIcon(new NamedIconEngine(foreground));
}

std::optional<QColor> x11TrayForeground()
{
    xcb_connection_t *connection = x11Connection();
    if (!connection)
        return std::nullopt;
    const xcb_atom_t selection = x11Atom(connection, "_NET_SYSTEM_TRAY_S0");
    const xcb_atom_t colors = x11Atom(connection, "_NET_SYSTEM_TRAY_COLORS");
    if (selection == XCB_ATOM_NONE || colors == XCB_ATOM_NONE)
        return std::nullopt;
    auto *owner = xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, selection), nullptr);
    const xcb_window_t tray = owner ? owner->owner : xcb_window_t(XCB_NONE);
    std::free(owner);
    if (tray == XCB_NONE)
        return std::nullopt;
    // Twelve cardinals, four colours of 16-bit red, green and blue: the foreground first.
    auto *reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, tray, colors, XCB_ATOM_CARDINAL, 0, 12),
        nullptr);
    std::optional<QColor> foreground;
    if (reply && reply->format == 32 && xcb_get_property_value_length(reply) >= 12) {
        const auto *value = static_cast<const uint32_t *>(xcb_get_property_value(reply));
        foreground = QColor::fromRgba64(quint16(value[0]), quint16(value[1]), quint16(value[2]));
    }
    std::free(reply);
    return foreground;
}
} // namespace TrayIcon
