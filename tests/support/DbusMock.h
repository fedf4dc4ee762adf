#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QProcess>
#include <QTest>

// One python3-dbusmock daemon on the test session's session or system bus, for the life of
// the object, and calls to the objects it serves.
class DbusMock
{
public:
    enum class Bus { Session, System };

    // arguments: what follows "python3 -m dbusmock [--system]".
    DbusMock(Bus bus, QString busName, const QStringList &arguments)
        : m_bus(bus == Bus::System ? QDBusConnection::systemBus() : QDBusConnection::sessionBus()),
          m_busName(std::move(busName))
    {
        QStringList command{QStringLiteral("-m"), QStringLiteral("dbusmock")};
        if (bus == Bus::System)
            command << QStringLiteral("--system");
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.start(QStringLiteral("python3"), command + arguments);
    }
    ~DbusMock() { stop(); }

    bool waitUntilServing()
    {
        return QTest::qWaitFor(
            [&] { return m_bus.interface()->isServiceRegistered(m_busName).value(); }, 10000);
    }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        m_process.waitForFinished(5000);
    }

    // The reply's arguments; none when the call failed.
    std::optional<QVariantList> call(const QString &path, const QString &interface,
                                     const QString &method, const QVariantList &arguments = {})
    {
        QDBusMessage message = QDBusMessage::createMethodCall(m_busName, path, interface, method);
        message.setArguments(arguments);
        const QDBusMessage reply = m_bus.call(message, QDBus::Block, 5000);
        if (reply.type() != QDBusMessage::ReplyMessage) {
            qWarning() << method << reply.errorMessage();
            return std::nullopt;
        }
        return reply.arguments();
    }

    // A method of dbusmock's own control interface.
    std::optional<QVariantList> mock(const QString &path, const QString &method,
                                     const QVariantList &arguments = {})
    {
        return call(path, QStringLiteral("org.freedesktop.DBus.Mock"), method, arguments);
    }

    // The arguments of each call of a method the daemon received so far; none when the mock
    // could not be asked.
    std::optional<QList<QVariantList>> methodCalls(const QString &path, const QString &method)
    {
        const auto reply = mock(path, QStringLiteral("GetMethodCalls"), {method});
        if (!reply)
            return std::nullopt;
        // a(tav): one (time, arguments) pair per call.
        QList<QVariantList> calls;
        const QDBusArgument list = reply->first().value<QDBusArgument>();
        list.beginArray();
        while (!list.atEnd()) {
            quint64 time = 0;
            QVariantList arguments;
            list.beginStructure();
            list >> time;
            list.beginArray();
            while (!list.atEnd()) {
                QDBusVariant argument;
                list >> argument;
                arguments.append(argument.variant());
            }
            list.endArray();
            list.endStructure();
            calls.append(arguments);
        }
        list.endArray();
        return calls;
    }

    // Sets a property the way a daemon changes it: with PropertiesChanged.
    bool set(const QString &path, const QString &interface, const QString &name,
             const QVariant &value)
    {
        return call(path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
                    {interface, name, QVariant::fromValue(QDBusVariant(value))})
            .has_value();
    }

private:
    QDBusConnection m_bus;
    QString m_busName;
    QProcess m_process;
};
