// The floor for the first click on the tray icon (bench/first-click.py): a minimal Qt Widgets
// tray program that builds a small Qt Quick panel when its icon is first clicked, as the app
// builds its own, and shows or hides it on every later click. Nothing of Qt Quick is created
// before that click; the libraries are linked as any Qt Quick program links them.
#include <QApplication>
#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QScreen>
#include <QSystemTrayIcon>
#include <algorithm>
#include <cstdio>
#include <memory>

namespace {
// Six buttons, four sliders and a switch in the Basic style, on a dark panel as wide as the
// app's (the poll in bench/first-click.py looks for a 360-wide "Dusk Haven" window).
constexpr char panelQml[] = R"(
import QtQuick
import QtQuick.Controls.Basic
Rectangle {
    width: 360; height: column.implicitHeight + 24
    color: "#1e1f24"
    Column {
        id: column
        x: 12; y: 12; width: parent.width - 24; spacing: 8
        Label { text: "Dusk Haven"; color: "white"; font.pixelSize: 16 }
        Grid {
            columns: 3; spacing: 8
            Repeater {
                model: 6
                Button { width: (column.width - 16) / 3; text: "Button " + (index + 1) }
            }
        }
        Repeater {
            model: 4
            Slider { width: column.width; value: (index + 1) / 5 }
        }
        Switch { text: "Switch"; palette.windowText: "white" }
    }
})";

std::unique_ptr<QQuickView> buildPanel()
{
    auto view = std::make_unique<QQuickView>();
    view->setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    view->setResizeMode(QQuickView::SizeViewToRootObject);
    view->setTitle(QStringLiteral("Dusk Haven"));
    QQmlComponent component(view->engine());
    component.setData(panelQml, QUrl());
    QObject *root = component.create();
    if (!root) {
        std::fprintf(stderr, "quick_panel_floor: %s\n", qPrintable(component.errorString()));
        return nullptr;
    }
    view->setContent(QUrl(), nullptr, root);
    return view;
}

// Below the icon, inside the screen, so that the panel never covers the icon it is toggled by.
QPoint placeBelow(const QRect &icon, QSize panel)
{
    const QPoint anchor = icon.isValid() ? icon.center() : QCursor::pos();
    QScreen *screen = QGuiApplication::screenAt(anchor);
    const QRect area = screen ? screen->availableGeometry() : QRect(QPoint(), panel);
    const int x = std::clamp(anchor.x() - panel.width() / 2, area.left(),
                             std::max(area.left(), area.right() + 1 - panel.width()));
    const int y = std::max(area.top(), icon.isValid() ? icon.bottom() + 5 : anchor.y() + 5);
    return {x, y};
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::white);
    QMenu menu;
    menu.addAction(QStringLiteral("Quit"), &app, &QCoreApplication::quit);
    QSystemTrayIcon icon{QIcon(pixmap)};
    icon.setContextMenu(&menu);

    std::unique_ptr<QQuickView> panel;
    QObject::connect(&icon, &QSystemTrayIcon::activated, &app,
                     [&](QSystemTrayIcon::ActivationReason reason) {
                         if (reason != QSystemTrayIcon::Trigger)
                             return;
                         if (panel && panel->isVisible()) {
                             panel->hide();
                             return;
                         }
                         if (!panel && !(panel = buildPanel()))
                             return;
                         panel->setPosition(placeBelow(icon.geometry(), panel->size()));
                         panel->show();
                         panel->raise();
                         panel->requestActivate();
                     });
    icon.show();
    const int status = app.exec();
    panel.reset();
    return status;
}
