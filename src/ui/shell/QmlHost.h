#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>
#include <memory>

class DesktopColorScheme;
class QQmlComponent;
class QQmlEngine;
class QQuickView;
class QWindow;
class SymbolTable;
class ThemePalette;
class ViewServices;

// The one QML engine of the interface. Every window's root view gets the required property
// `services` (the services, settings and scenes it binds to), and `Theme.palette` (its
// palette) with `Theme.symbols`, which every item below it reads. The
// launcher and the settings window follow the desktop's light or dark scheme; the tray panel
// is always dark.
class QmlHost : public QObject
{
    Q_OBJECT

public:
    // `desktop` decides the adaptive palette's scheme; the host keeps the palette following it.
    explicit QmlHost(DesktopColorScheme &desktop, QObject *parent = nullptr);
    ~QmlHost() override;

    // Registers the module's QML types (it has no plugin that would). Every host does this;
    // an engine built without one calls it first. Calling it again does no harm.
    static void registerTypes();

    QQmlEngine &engine() const { return *m_engine; }
    ThemePalette &adaptivePalette() const { return *m_adaptive; }
    ThemePalette &darkPalette() const { return *m_dark; }
    SymbolTable &symbols() const { return *m_symbols; }

    // What every window is handed; set once, before the first window loads. Covers
    // ("image://cover/…") load through the services' cover loader from then on.
    void setServices(ViewServices *services);
    ViewServices *services() const { return m_services; }

    // Loads the module's file at `path` ("ui/panel/MenuBarPopoverView.qml") into `view` with
    // `palette` as its theme. Returns false (and leaves the view empty) when the QML does not
    // load; the errors go to the engine's warnings.
    // `properties` adds initial properties of the file's own.
    bool load(QQuickView &view, const QString &path, ThemePalette &palette,
              const QVariantMap &properties = {});

private:
    std::unique_ptr<QQmlEngine> m_engine;
    SymbolTable *m_symbols;
    ThemePalette *m_adaptive;
    ThemePalette *m_dark;
    ViewServices *m_services = nullptr;
};
