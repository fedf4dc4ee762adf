#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QUrl>
#include <chrono>
#include <utility>

class QTcpSocket;

// A real HTTP/1.1 server on 127.0.0.1 with a port chosen by the system, answering GETs
// from the test's own event loop with whatever each path is told to answer. Every response
// closes its connection. A path that was given nothing answers 404.
class TestHttpServer : public QObject
{
    Q_OBJECT
public:
    struct Response
    {
        int status = 200;
        QByteArray body;
        // Extra header lines, for example {"Location", "/elsewhere"}.
        QList<std::pair<QByteArray, QByteArray>> headers;
        // Wait this long after the request before sending anything.
        std::chrono::milliseconds delay{0};
        // When >= 0: send the headers (Content-Length still announcing the whole body) and
        // only this many body bytes, then close the connection.
        qint64 dropAfter = -1;
        // When > 0: send the body in pieces of this many bytes, pausing chunkPause before each
        // piece after the first (a slow server).
        qint64 chunkSize = 0;
        std::chrono::milliseconds chunkPause{0};
        // When set: sent as the ETag; a request whose If-None-Match names it is answered 304
        // with no body, and one with "Range: bytes=N-" whose If-Range names it 206 with the
        // body from byte N (dropAfter still counts from the start of the whole body).
        QByteArray etag;
        // When true: no Content-Length, and the body is sent again and again until the client
        // goes (a host that never stops).
        bool endless = false;
    };

    explicit TestHttpServer(QObject *parent = nullptr);

    quint16 port() const;
    // "http://127.0.0.1:<port><path>"; path starts with '/'.
    QUrl url(const QString &path) const;

    // Answer GETs of path (the request target without its query) with response from now on.
    void serve(const QString &path, const Response &response);
    void serve(const QString &path, int status, const QByteArray &body);
    // Answer the next GETs of path with these responses in order; the last one then repeats.
    void serve(const QString &path, const QList<Response> &responses);

    // GETs of path received so far (including ones still being answered).
    int requestCount(const QString &path) const;
    // The value of a header of the last GET of path (name in any case); empty when absent.
    QByteArray lastRequestHeader(const QString &path, const QByteArray &name) const;

    // HTTP bytes so far: the requests' heads received, the answers (head and body) sent.
    qint64 bytesReceived() const { return m_bytesReceived; }
    qint64 bytesSent() const { return m_bytesSent; }

    // Stops listening and drops every open connection: later requests are refused.
    void close();

    // A loopback port where nothing listens, so connecting to it is refused.
    static quint16 unusedPort();

Q_SIGNALS:
    // A complete request for path has arrived (before it is answered).
    void requestReceived(const QString &path);

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const Response &response);
    void sendBody(QTcpSocket *socket, const Response &response, qint64 offset);

    QTcpServer m_server;
    QHash<QString, QList<Response>> m_responses;
    QHash<QString, int> m_counts;
    QHash<QString, QByteArray> m_lastRequests;
    qint64 m_bytesReceived = 0;
    qint64 m_bytesSent = 0;
};
