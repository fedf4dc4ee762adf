#include "awareness/PortalHotKeys.h"

#include <QCoroDBusPendingCall>
#include <QCoroSignal>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QPointer>
#include <QRandomGenerator>

namespace {
const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString sessionInterface = QStringLiteral("org.freedesktop.portal.Session");
constexpr std::chrono::minutes answerTimeout{2}; // the desktop may ask the user first

struct PortalShortcut
{
    QString id;
    QVariantMap properties;
};

QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}
} // namespace

Q_DECLARE_METATYPE(PortalShortcut)

namespace {
// Catches the Response of one portal request.
class PortalResponse : public QObject
{
    Q_OBJECT

public:
    bool answered = false;
    uint code = 2;
    QVariantMap results;

public Q_SLOTS:
    void onResponse(uint response, const QVariantMap &values)
    {
        if (answered)
            return;
        answered = true;
        code = response;
        results = values;
        Q_EMIT done();
    }

Q_SIGNALS:
    void done();
};

QString handleText(const QVariant &value)
{
    if (value.canConvert<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}
} // namespace

PortalHotKeys::PortalHotKeys(QDBusConnection bus, QObject *parent)
    : GlobalHotKeys(parent), m_bus(std::move(bus))
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
    // QtDBus finds the slot's parameter types by name, which works only once they are known.
    qRegisterMetaType<QDBusObjectPath>();
    m_bus.connect(portalService, portalPath, shortcutsInterface, QStringLiteral("Activated"), this,
                  SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    askOffered();
}

QCoro::Task<> PortalHotKeys::askOffered()
{
    // A portal without the interface (its desktop implements no global shortcuts) answers
    // with an error, and so does the bus when there is no portal at all.
    QPointer<PortalHotKeys> self(this);
    QDBusMessage get = QDBusMessage::createMethodCall(
        portalService, portalPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << shortcutsInterface << QStringLiteral("version");
    const QDBusMessage reply = co_await m_bus.asyncCall(get);
    if (!self)
        co_return;
    const bool offered = reply.type() == QDBusMessage::ReplyMessage;
    if (offered != m_offered) {
        m_offered = offered;
        Q_EMIT offeredChanged();
    }
}

PortalHotKeys::~PortalHotKeys()
{
    if (!m_session.isEmpty()) {
        m_bus.call(QDBusMessage::createMethodCall(portalService, m_session, sessionInterface,
                                                  QStringLiteral("Close")),
                   QDBus::NoBlock);
    }
}

QString PortalHotKeys::shortcutId(quint32 id)
{
    switch (id) {
    case 1:
        return QStringLiteral("play-pause");
    case 2:
        return QStringLiteral("next-scene");
    case 3:
        return QStringLiteral("volume-up");
    case 4:
        return QStringLiteral("volume-down");
    default:
        return QStringLiteral("hotkey-%1").arg(id);
    }
}

QString PortalHotKeys::preferredTrigger(HotKey::Key key)
{
    switch (key) {
    case HotKey::Key::Space:
        return QStringLiteral("LOGO+ALT+space");
    case HotKey::Key::Right:
        return QStringLiteral("LOGO+ALT+Right");
    case HotKey::Key::Up:
        return QStringLiteral("LOGO+ALT+Up");
    case HotKey::Key::Down:
        return QStringLiteral("LOGO+ALT+Down");
    }
    return {};
}

void PortalHotKeys::setHotKeys(const QList<HotKey> &hotKeys)
{
    m_wanted = hotKeys;
    if (m_applying) {
        m_applyAgain = true;
        return;
    }
    apply();
}

void PortalHotKeys::onActivated(const QDBusObjectPath &session, const QString &shortcut, qulonglong,
                                const QVariantMap &)
{
    if (m_session.isEmpty() || session.path() != m_session)
        return;
    for (const HotKey &hotKey : std::as_const(m_wanted)) {
        if (shortcutId(hotKey.id) == shortcut && m_registered.contains(hotKey.id))
            Q_EMIT pressed(hotKey.id);
    }
}

QString PortalHotKeys::nextToken()
{
    return QStringLiteral("duskhaven%1_%2")
        .arg(++m_tokens)
        .arg(QRandomGenerator::system()->generate());
}

QCoro::Task<> PortalHotKeys::closeSession()
{
    if (m_session.isEmpty())
        co_return;
    const QString session = std::exchange(m_session, QString());
    if (!m_registered.isEmpty()) {
        m_registered.clear();
        Q_EMIT registrationsChanged();
    }
    co_await m_bus.asyncCall(QDBusMessage::createMethodCall(
        portalService, session, sessionInterface, QStringLiteral("Close")));
}

QCoro::Task<> PortalHotKeys::apply()
{
    QPointer<PortalHotKeys> self(this);
    m_applying = true;
    do {
        m_applyAgain = false;
        const QList<HotKey> wanted = m_wanted;
        co_await closeSession();
        if (!self)
            co_return;
        if (wanted.isEmpty())
            continue;

        QDBusMessage create = QDBusMessage::createMethodCall(
            portalService, portalPath, shortcutsInterface, QStringLiteral("CreateSession"));
        const QString createToken = nextToken();
        create << QVariantMap{{QStringLiteral("handle_token"), createToken},
                              {QStringLiteral("session_handle_token"), nextToken()}};
        const std::optional<QVariantMap> created = co_await request(create, createToken);
        if (!self)
            co_return;
        if (!created)
            continue; // no portal, or no GlobalShortcuts on it: nothing is registered
        const QString session = handleText(created->value(QStringLiteral("session_handle")));
        if (session.isEmpty())
            continue;
        m_session = session;

        QList<PortalShortcut> shortcuts;
        for (const HotKey &hotKey : wanted) {
            shortcuts.append(
                {shortcutId(hotKey.id),
                 {{QStringLiteral("description"), hotKey.description},
                  {QStringLiteral("preferred_trigger"), preferredTrigger(hotKey.key)}}});
        }
        QDBusMessage bind = QDBusMessage::createMethodCall(
            portalService, portalPath, shortcutsInterface, QStringLiteral("BindShortcuts"));
        const QString bindToken = nextToken();
        bind << QVariant::fromValue(QDBusObjectPath(session)) << QVariant::fromValue(shortcuts)
             << QString() << QVariantMap{{QStringLiteral("handle_token"), bindToken}};
        const std::optional<QVariantMap> bound = co_await request(bind, bindToken);
        if (!self)
            co_return;
        if (!bound || m_session != session)
            continue;
        const QVariant boundShortcuts = bound->value(QStringLiteral("shortcuts"));
        QList<PortalShortcut> granted;
        if (boundShortcuts.canConvert<QDBusArgument>())
            granted = qdbus_cast<QList<PortalShortcut>>(boundShortcuts.value<QDBusArgument>());
        else
            granted = boundShortcuts.value<QList<PortalShortcut>>();
        QList<quint32> registered;
        for (const HotKey &hotKey : wanted) {
            for (const PortalShortcut &shortcut : std::as_const(granted)) {
                if (shortcut.id == shortcutId(hotKey.id))
                    registered.append(hotKey.id);
            }
        }
        if (registered != m_registered) {
            m_registered = registered;
            Q_EMIT registrationsChanged();
        }
    } while (m_applyAgain);
    m_applying = false;
}

QCoro::Task<std::optional<QVariantMap>> PortalHotKeys::request(QDBusMessage call, QString token)
{
    // The portal answers on a request object whose path it derives from our bus name and the
    // token; listening before calling means the answer cannot slip past.
    QString sender = m_bus.baseService();
    sender.remove(0, 1).replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString expectedPath =
        QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    QDBusConnection bus = m_bus;
    auto response = std::make_unique<PortalResponse>();
    bus.connect(portalService, expectedPath, requestInterface, QStringLiteral("Response"),
                response.get(), SLOT(onResponse(uint, QVariantMap)));

    const QDBusMessage reply = co_await bus.asyncCall(call);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        co_return std::nullopt;
    const QString handle = handleText(reply.arguments().constFirst());
    if (handle != expectedPath) {
        bus.connect(portalService, handle, requestInterface, QStringLiteral("Response"),
                    response.get(), SLOT(onResponse(uint, QVariantMap)));
    }
    if (!response->answered) {
        const auto answered = co_await qCoro(response.get(), &PortalResponse::done,
                                             std::chrono::milliseconds(answerTimeout));
        if (!answered)
            co_return std::nullopt;
    }
    if (response->code != 0)
        co_return std::nullopt;
    co_return response->results;
}

#include "PortalHotKeys.moc"
