#pragma once

#include <QObject>
#include <QString>
#include <memory>

class AppEnvironment;
class DesktopColorScheme;
class QQmlEngine;
class QQuickView;
class QWindow;
class SymbolTable;
class ThemePalette;

// The one QML engine of the interface and what every view can reach through it: the
// environment (`environment`), the symbol table (`symbols`) and, per window, a palette
// (`theme`). The launcher and the settings window follow the desktop's light or dark scheme;
// the tray panel is always dark.
class QmlHost : public QObject
{
    Q_OBJECT

public:
    // `desktop` decides the adaptive palette's scheme; the host keeps the palette following it.
    QmlHost(AppEnvironment &environment, DesktopColorScheme &desktop, QObject *parent = nullptr);
    ~QmlHost() override;

    QQmlEngine &engine() const { return *m_engine; }
    ThemePalette &adaptivePalette() const { return *m_adaptive; }
    ThemePalette &darkPalette() const { return *m_dark; }

    // Another object for every view, by name (the window controller as `windows`).
    void setContextObject(const QString &name, QObject *object);

    // Loads qml/<path> into `view` with `palette` as its `theme`. Returns false (and leaves
    // the view empty) when the QML does not load; the errors go to the engine's warnings.
    bool load(QQuickView &view, const QString &path, ThemePalette &palette);

private:
    std::unique_ptr<QQmlEngine> m_engine;
    SymbolTable *m_symbols;
    ThemePalette *m_adaptive;
    ThemePalette *m_dark;
};
