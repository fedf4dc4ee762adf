#include "support/TestHttpServer.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

namespace {
// Per-connection state, kept on the socket itself.
const char *const requestBuffer = "requestBuffer";
const char *const answered = "answered";

bool mayHaveBody(int status)
{
    return status >= 200 && status != 204 && status != 304;
}
} // namespace

TestHttpServer::TestHttpServer(QObject *parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &TestHttpServer::onNewConnection);
    if (!m_server.listen(QHostAddress::LocalHost, 0))
        qFatal("TestHttpServer: cannot listen on loopback: %s", qPrintable(m_server.errorString()));
}

quint16 TestHttpServer::port() const
{
    return m_server.serverPort();
}

QUrl TestHttpServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path));
}

void TestHttpServer::serve(const QString &path, const Response &response)
{
    m_responses.insert(path, {response});
}

void TestHttpServer::serve(const QString &path, int status, const QByteArray &body)
{
    serve(path, Response{.status = status, .body = body});
}

void TestHttpServer::serve(const QString &path, const QList<Response> &responses)
{
    Q_ASSERT(!responses.isEmpty());
    m_responses.insert(path, responses);
}

int TestHttpServer::requestCount(const QString &path) const
{
    return m_counts.value(path);
}

void TestHttpServer::close()
{
    m_server.close();
    for (QTcpSocket *socket : findChildren<QTcpSocket *>())
        socket->abort();
}

quint16 TestHttpServer::unusedPort()
{
    // The system hands out a free port; once it is released nothing listens there.
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        qFatal("TestHttpServer: cannot listen on loopback");
    return probe.serverPort();
}

void TestHttpServer::onNewConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void TestHttpServer::onReadyRead(QTcpSocket *socket)
{
    if (socket->property(answered).toBool()) {
        socket->readAll(); // one request per connection
        return;
    }
    const QByteArray buffer = socket->property(requestBuffer).toByteArray() + socket->readAll();
    socket->setProperty(requestBuffer, buffer);
    if (!buffer.contains("\r\n\r\n"))
        return;
    socket->setProperty(answered, true);

    // "GET /path?query HTTP/1.1"
    const QList<QByteArray> requestLine = buffer.left(buffer.indexOf("\r\n")).split(' ');
    const QString path = requestLine.size() >= 2
                             ? QString::fromLatin1(requestLine.at(1).split('?').first())
                             : QString();
    ++m_counts[path];
    m_bytesReceived += buffer.indexOf("\r\n\r\n") + 4;
    m_lastRequests.insert(path, buffer.left(buffer.indexOf("\r\n\r\n")));

    Response response{.status = 404, .body = "Not found"};
    if (auto it = m_responses.find(path); it != m_responses.end()) {
        response = it->first();
        if (it->size() > 1)
            it->removeFirst();
    }
    if (!response.etag.isEmpty()) {
        response.headers.append({"ETag", response.etag});
        if (lastRequestHeader(path, "If-None-Match") == response.etag) {
            response.status = 304;
            response.body.clear();
        }
        const QByteArray range = lastRequestHeader(path, "Range");
        if (response.status == 200 && range.startsWith("bytes=") && range.endsWith('-') &&
            lastRequestHeader(path, "If-Range") == response.etag) {
            const qint64 from = range.mid(6, range.size() - 7).toLongLong();
            const qint64 size = response.body.size();
            response.headers.append({"Content-Range", "bytes " + QByteArray::number(from) + '-' +
                                                          QByteArray::number(size - 1) + '/' +
                                                          QByteArray::number(size)});
            response.status = 206;
            response.body = response.body.mid(from);
            if (response.dropAfter >= 0)
                response.dropAfter = std::max<qint64>(0, response.dropAfter - from);
        }
    }
    Q_EMIT requestReceived(path);

    QTimer::singleShot(response.delay, socket,
                       [this, socket, response] { answer(socket, response); });
}

QByteArray TestHttpServer::lastRequestHeader(const QString &path, const QByteArray &name) const
{
    const QList<QByteArray> lines = m_lastRequests.value(path).split('\n');
    for (const QByteArray &line : lines) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

void TestHttpServer::answer(QTcpSocket *socket, const Response &response)
{
    // Clients go by the number; the reason phrase is free text.
    QByteArray head =
        "HTTP/1.1 " + QByteArray::number(response.status) + " Status\r\nConnection: close\r\n";
    if (mayHaveBody(response.status) && !response.endless)
        head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    for (const auto &[name, value] : response.headers)
        head += name + ": " + value + "\r\n";
    m_bytesSent += socket->write(head + "\r\n");
    if (!mayHaveBody(response.status)) {
        socket->disconnectFromHost();
        return;
    }
    sendBody(socket, response, 0);
}

void TestHttpServer::sendBody(QTcpSocket *socket, const Response &response, qint64 offset)
{
    if (response.endless) {
        // Only as fast as the client reads, so the server's own buffer stays small.
        if (socket->bytesToWrite() < 1024 * 1024)
            m_bytesSent += socket->write(response.body);
        QTimer::singleShot(1, socket, [this, socket, response] {
            if (socket->state() == QAbstractSocket::ConnectedState)
                sendBody(socket, response, 0);
        });
        return;
    }
    const qint64 end = response.dropAfter >= 0
                           ? std::min<qint64>(response.dropAfter, response.body.size())
                           : response.body.size();
    const qint64 piece = response.chunkSize > 0 ? response.chunkSize : end - offset;
    const qint64 next = std::min(end, offset + piece);
    m_bytesSent += socket->write(response.body.mid(offset, next - offset));
    if (next >= end) {
        // disconnectFromHost() still sends what is buffered, so a drop is a clean close that
        // arrives before the announced length.
        socket->disconnectFromHost();
        return;
    }
    QTimer::singleShot(response.chunkPause, socket, [this, socket, response, next] {
        if (socket->state() == QAbstractSocket::ConnectedState)
            sendBody(socket, response, next);
    });
}
