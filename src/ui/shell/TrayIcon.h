#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QSize>
#include <QString>
#include <optional>

// The tray's icon. Trays draw on a bar of their own colours, which the app's colour scheme says
// nothing of (GNOME's bar is dark in both schemes). So the icon carries a name from the icon
// theme, a symbolic icon that StatusNotifier hosts (GNOME's extension, KDE Plasma, XFCE, waybar)
// colour to their own text, and a picture for the hosts that take only that (XEmbed trays): the
// glyph in the tray's own foreground where it publishes one, else a light glyph with a dark
// outline, which reads on a bar of any colour.
namespace TrayIcon {
inline const QString symbolicName = QStringLiteral("app.duskhaven.DuskHaven-symbolic");
inline const QColor lightGlyph{0xf4, 0xf4, 0xf4};
inline const QColor darkOutline{0x14, 0x14, 0x14};

// The picture at one size: the glyph in `foreground`, or outlined as above without one.
QImage drawn(QSize size, const std::optional<QColor> &foreground);
// The icon whose name() is symbolicName and whose pixmaps are drawn(…, foreground). Loads no
// SVG support: the pixmaps come from the logo drawn at build time.
QIcon make(const std::optional<QColor> &foreground);
// The foreground the X11 tray publishes (_NET_SYSTEM_TRAY_COLORS on its selection owner);
// none off X11, without a tray, or when the tray publishes none.
std::optional<QColor> x11TrayForeground();
} // namespace TrayIcon
