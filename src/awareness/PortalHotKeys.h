#pragma once

#include "awareness/GlobalHotKeys.h"

#include <QCoroTask>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QVariantMap>
#include <optional>

// Global key combinations through the desktop portal's GlobalShortcuts interface (Wayland).
// The desktop decides which triggers are bound, possibly after asking the user, so the
// registrations arrive later than setHotKeys returns. Without the interface nothing is
// registered. Turning the keys off closes the portal session, which releases them all.
class PortalHotKeys : public GlobalHotKeys
{
    Q_OBJECT

public:
    explicit PortalHotKeys(QDBusConnection bus = QDBusConnection::sessionBus(),
                           QObject *parent = nullptr);
    ~PortalHotKeys() override;

    void setHotKeys(const QList<HotKey> &hotKeys) override;
    QList<quint32> registeredIds() const override { return m_registered; }
    // Known once the portal has answered whether it has the GlobalShortcuts interface.
    bool isOffered() const override { return m_offered; }

    // The shortcut id the portal knows a combination by, and its preferred trigger.
    static QString shortcutId(quint32 id);
    static QString preferredTrigger(HotKey::Key key);

private Q_SLOTS:
    void onActivated(const QDBusObjectPath &session, const QString &shortcut, qulonglong timestamp,
                     const QVariantMap &options);

private:
    QCoro::Task<> apply();
    QCoro::Task<> askOffered();
    QCoro::Task<std::optional<QVariantMap>> request(QDBusMessage call, QString token);
    QCoro::Task<> closeSession();
    QString nextToken();

    QDBusConnection m_bus;
    QList<HotKey> m_wanted;
    QList<quint32> m_registered;
    QString m_session;
    bool m_offered = false;
    bool m_applying = false;
    bool m_applyAgain = false;
    int m_tokens = 0;
};
