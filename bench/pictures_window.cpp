// A 1280 × 720 window animating for a given number of seconds, then exits; what it shows:
//   rect            a bare Qt Quick window animating one rectangle (the floor)
//   art <kind>      one illustration, full window
//   tiles           twelve 300 × 169 illustrations, the six kinds twice
//   video <name>    SceneVideoLoop playing a carried loop ("dusk-glow")
//   hidden <kind>   one illustration in a window that is hidden after the first second
// At the end it prints the shared clock's ticks while measured (after the first 2 s), so
// that a hidden window's wake-ups from the pictures can be told apart from Qt's own.
//
//   pictures_window <seconds> <mode> [argument]
#include "ui/shell/QmlHost.h"
#include "visuals/ArtClock.h"

#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QTimer>
#include <cstdio>

namespace {
QByteArray scene(const QString &mode, const QString &argument)
{
    if (mode == QLatin1String("rect"))
        return "Rectangle { anchors.fill: parent; color: 'black'\n"
               "  Rectangle { width: 200; height: 200; color: 'orange'\n"
               "    NumberAnimation on x { from: 0; to: 1080; duration: 4000;"
               " loops: Animation.Infinite } } }";
    if (mode == QLatin1String("art") || mode == QLatin1String("hidden"))
        return "IllustrationView { anchors.fill: parent; clock: root.artClock; kind: '" +
            argument.toUtf8() + "' }";
    if (mode == QLatin1String("tiles"))
        return "Grid { columns: 4; spacing: 8; x: 8; y: 8\n"
               "  Repeater { model: 12\n"
               "    IllustrationView { required property int index; width: 300; height: 169\n"
               "      clock: root.artClock\n"
               "      kind: ['cozy-room', 'rainy-tokyo', 'late-cafe', 'forest-dawn', 'subway',"
               " 'vinyl-bar'][index % 6] } } }";
    if (mode == QLatin1String("video"))
        return "SceneVideoLoop { anchors.fill: parent; isPlaying: true; videoCache: null\n"
               "  source: '" + argument.toUtf8() + "' }";
    return {};
}
} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool ok = false;
    const int seconds = args.size() >= 3 ? args[1].toInt(&ok) : 0;
    const QString mode = args.value(2);
    const QByteArray body = scene(mode, args.value(3));
    if (!ok || seconds <= 2 || body.isEmpty()) {
        std::fprintf(stderr, "usage: pictures_window <seconds> rect|art <kind>|tiles|"
                             "video <name>|hidden <kind>\n");
        return 2;
    }
    QmlHost::registerTypes();
    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
    ArtClock clock;
    QQuickView view(&engine, nullptr);
    view.resize(1280, 720);
    view.setResizeMode(QQuickView::SizeRootObjectToView);
    QQmlComponent component(&engine);
    component.setData("import QtQuick\nimport Duskhaven\nItem {\n"
                      "  id: root\n  required property ArtClock artClock\n" +
                          body + "\n}",
                      QUrl(QStringLiteral("bench:pictures.qml")));
    while (component.isLoading())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QObject *root = component.isReady()
        ? component.createWithInitialProperties(
              {{QStringLiteral("artClock"), QVariant::fromValue(&clock)}})
        : nullptr;
    if (!root) {
        std::fprintf(stderr, "%s\n", qPrintable(component.errorString()));
        return 1;
    }
    view.setContent(QUrl(), &component, root);
    view.show();

    if (mode == QLatin1String("hidden"))
        QTimer::singleShot(1000, &view, &QQuickView::hide);
    quint64 ticksAtStart = 0;
    QTimer::singleShot(2000, &app, [&] { ticksAtStart = clock.tickCount(); });
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    app.exec();
    std::printf("%s clock ticks while measured: %llu\n", qPrintable(mode),
                static_cast<unsigned long long>(clock.tickCount() - ticksAtStart));
    return 0;
}
