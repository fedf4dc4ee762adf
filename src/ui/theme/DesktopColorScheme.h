#pragma once

#include "ui/theme/ThemePalette.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <optional>

// The desktop's light or dark preference. The freedesktop settings portal says it on desktops
// that offer one (org.freedesktop.appearance color-scheme); where it says nothing, the
// lightness of the application palette's window colour decides. Qt 6.4 has no colour-scheme
// query of its own.
class DesktopColorScheme : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool dark READ isDark NOTIFY schemeChanged)

public:
    // The portal's values: 0 no preference, 1 prefer dark, 2 prefer light.
    static ColorScheme resolve(std::optional<uint> portalPreference, const QColor &windowColor);

    // Asks the portal on `bus` (the session bus in the app) and follows its changes and the
    // application palette's.
    explicit DesktopColorScheme(const QDBusConnection &bus, QObject *parent = nullptr);

    ColorScheme scheme() const { return m_scheme; }
    bool isDark() const { return m_scheme == ColorScheme::Dark; }

    // Keeps a palette in the desktop's scheme from now on.
    void drive(ThemePalette &palette);

Q_SIGNALS:
    void schemeChanged();

public Q_SLOTS:
    // The portal's SettingChanged signal (QtDBus delivers signals to public slots only).
    void onSettingChanged(const QDBusMessage &signal);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setPortalPreference(const QVariant &value);
    void update();

    QDBusConnection m_bus;
    std::optional<uint> m_portalPreference;
    ColorScheme m_scheme = ColorScheme::Light;
};
