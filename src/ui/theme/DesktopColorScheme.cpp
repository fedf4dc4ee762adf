#include "ui/theme/DesktopColorScheme.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QEvent>
#include <QGuiApplication>
#include <QPalette>
#include <QPointer>

namespace {
const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearanceGroup = QStringLiteral("org.freedesktop.appearance");
const QString colorSchemeKey = QStringLiteral("color-scheme");

// Read() wraps the value in one variant more than the signal does.
QVariant unwrap(QVariant value)
{
    while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value;
}
} // namespace

ColorScheme DesktopColorScheme::resolve(std::optional<uint> portalPreference,
                                        const QColor &windowColor)
{
    if (portalPreference == 1u)
        return ColorScheme::Dark;
    if (portalPreference == 2u)
        return ColorScheme::Light;
    return windowColor.lightness() < 128 ? ColorScheme::Dark : ColorScheme::Light;
}

DesktopColorScheme::DesktopColorScheme(const QDBusConnection &bus, QObject *parent)
    : QObject(parent), m_bus(bus)
{
    update();
    if (qApp)
        qApp->installEventFilter(this);
    if (!m_bus.isConnected())
        return;

    m_bus.connect(portalService, portalPath, settingsInterface, QStringLiteral("SettingChanged"),
                  this, SLOT(onSettingChanged(QDBusMessage)));

    // Asynchronous, so start-up never waits on a slow or absent portal.
    auto message = QDBusMessage::createMethodCall(portalService, portalPath, settingsInterface,
                                                  QStringLiteral("Read"));
    message << appearanceGroup << colorSchemeKey;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher *call) {
                const QDBusPendingReply<QDBusVariant> reply = *call;
                if (!reply.isError())
                    setPortalPreference(reply.value().variant());
                call->deleteLater();
            });
}

void DesktopColorScheme::drive(ThemePalette &palette)
{
    palette.setScheme(m_scheme);
    connect(this, &DesktopColorScheme::schemeChanged, &palette,
            [this, target = QPointer<ThemePalette>(&palette)] {
                if (target)
                    target->setScheme(m_scheme);
            });
}

bool DesktopColorScheme::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange)
        update();
    return QObject::eventFilter(watched, event);
}

void DesktopColorScheme::onSettingChanged(const QDBusMessage &signal)
{
    // (group, key, value)
    const QVariantList arguments = signal.arguments();
    if (arguments.size() == 3 && arguments[0].toString() == appearanceGroup &&
        arguments[1].toString() == colorSchemeKey)
        setPortalPreference(arguments[2]);
}

void DesktopColorScheme::setPortalPreference(const QVariant &value)
{
    const QVariant plain = unwrap(value);
    bool ok = false;
    const uint preference = plain.toUInt(&ok);
    m_portalPreference = ok ? std::optional<uint>(preference) : std::nullopt;
    update();
}

void DesktopColorScheme::update()
{
    const QColor window =
        qApp ? QGuiApplication::palette().color(QPalette::Window) : QColor(Qt::white);
    const ColorScheme scheme = resolve(m_portalPreference, window);
    if (scheme == m_scheme)
        return;
    m_scheme = scheme;
    Q_EMIT schemeChanged();
}
