#include "ui/shell/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {
// One JSON array of strings and a newline; the running instance answers "ok\n" once it has
// taken them, so the later process never ends before its message is through.
constexpr qint64 maximumMessage = 64 * 1024;
const QByteArray acknowledgement = QByteArrayLiteral("ok\n");
} // namespace

QString SingleInstance::serverNameFor(const QString &dataRoot)
{
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        runtime = QDir::tempPath();
    const QByteArray hash =
        QCryptographicHash::hash(QDir::cleanPath(dataRoot).toUtf8(), QCryptographicHash::Sha256)
            .toHex()
            .left(16);
    return runtime + QStringLiteral("/dusk-haven-") + QString::fromLatin1(hash) +
           QStringLiteral(".socket");
}

SingleInstance::SingleInstance(QString serverName, QObject *parent)
    : QObject(parent), m_serverName(std::move(serverName))
{}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::isListening() const
{
    return m_server && m_server->isListening();
}

SingleInstance::Outcome SingleInstance::claim(const QStringList &arguments, int timeoutMs)
{
    // Twice: a second process starting at the same moment may take the name in between.
    for (int attempt = 0; attempt < 2; ++attempt) {
        switch (handOver(arguments, timeoutMs)) {
        case HandOver::Taken:
            return Outcome::HandedOver;
        case HandOver::Unanswered:
            return Outcome::Unanswered;
        case HandOver::NoServer:
            break;
        }
        if (listen())
            return Outcome::Primary;
    }
    return Outcome::Unanswered;
}

SingleInstance::HandOver SingleInstance::handOver(const QStringList &arguments, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(timeoutMs)) {
        // Nobody listens: no socket file, or one left behind by a process that ended.
        if (socket.error() == QLocalSocket::ServerNotFoundError ||
            socket.error() == QLocalSocket::ConnectionRefusedError)
            return HandOver::NoServer;
        return HandOver::Unanswered;
    }
    QByteArray message =
        QJsonDocument(QJsonArray::fromStringList(arguments)).toJson(QJsonDocument::Compact);
    message.append('\n');
    socket.write(message);
    if (!socket.waitForBytesWritten(timeoutMs))
        return HandOver::Unanswered;
    QByteArray answer;
    while (!answer.endsWith('\n') && socket.waitForReadyRead(timeoutMs))
        answer.append(socket.readAll());
    return answer == acknowledgement ? HandOver::Taken : HandOver::Unanswered;
}

bool SingleInstance::listen()
{
    if (!m_server) {
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket *socket = m_server->nextPendingConnection()) {
                connect(socket, &QLocalSocket::readyRead, this,
                        [this, socket] { readFrom(socket); });
                connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
                readFrom(socket);
            }
        });
    }
    if (m_server->listen(m_serverName))
        return true;
    if (m_server->serverError() != QAbstractSocket::AddressInUseError)
        return false;
    // The name is taken. A live owner would have answered the hand-over a moment ago; ask once
    // more before treating the socket file as left behind.
    QLocalSocket probe;
    probe.connectToServer(m_serverName);
    if (probe.waitForConnected(500))
        return false;
    QLocalServer::removeServer(m_serverName);
    return m_server->listen(m_serverName);
}

void SingleInstance::readFrom(QLocalSocket *socket)
{
    if (socket->bytesAvailable() > maximumMessage || !socket->canReadLine()) {
        if (socket->bytesAvailable() > maximumMessage)
            socket->abort();
        return;
    }
    const QByteArray line = socket->readLine(maximumMessage);
    const QJsonDocument document = QJsonDocument::fromJson(line);
    if (!document.isArray()) {
        socket->abort();
        return;
    }
    QStringList arguments;
    for (const QJsonValue &value : document.array()) {
        if (value.isString())
            arguments.append(value.toString());
    }
    socket->write(acknowledgement);
    socket->flush();
    socket->disconnectFromServer();
    Q_EMIT argumentsReceived(arguments);
}
