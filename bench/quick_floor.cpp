// The floor of the launcher's frame figures: a minimal Qt Quick window of the same size (a
// full-window opaque picture and one small moving square), redrawn frame after frame. Prints
// the longest frame of each of ten 700 ms windows, as launcher_window's `frames` mode does, so
// that bench/launcher.sh shows what any frame costs on this machine at this moment.
#include "FrameTimes.h"

#include <QGuiApplication>
#include <QImage>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <cmath>
#include <memory>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    QImage picture(1280, 720, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            line[x] = qRgb(x % 256, y % 256, (x + y) % 256);
    }
    const QString file = dir.filePath(QStringLiteral("picture.png"));
    picture.save(file);

    QQmlEngine engine;
    QQmlComponent component(&engine);
    component.setData(QStringLiteral(R"(
        import QtQuick
        Window {
            width: 1280; height: 720; visible: true
            property alias source: image.source
            Image { id: image; anchors.fill: parent }
            Rectangle { id: square; width: 100; height: 100; color: "red" }
        })")
                          .toUtf8(),
                      QUrl());
    std::unique_ptr<QObject> root(component.createWithInitialProperties(
        {{QStringLiteral("source"), QUrl::fromLocalFile(file)}}));
    auto *window = qobject_cast<QQuickWindow *>(root.get());
    if (!window) {
        std::fprintf(stderr, "quick_floor: %s\n", qPrintable(component.errorString()));
        return 1;
    }
    QQuickItem *square = window->contentItem()->childItems().constLast();

    FrameTimes::waitFor(2000);
    QList<double> longest;
    for (int i = 0; i < 10; ++i) {
        longest.append(FrameTimes::longestFrame(
            window, 700, [&] { square->setX(square->x() + 1); },
            [&] { square->setX(std::fmod(square->x() + 7, 1180)); }));
        FrameTimes::waitFor(300);
    }
    FrameTimes::print("minimal Qt Quick window redrawn", longest);
    return 0;
}
