#pragma once

#include "core/Cancellation.h"

#include <QByteArray>
#include <QCoroTask>
#include <QList>
#include <QString>
#include <QUrl>
#include <chrono>
#include <memory>

class QNetworkAccessManager;
struct KeptDownloads;

// What a GET brought back. The client never judges the status: callers decide (every current
// caller accepts only 200).
struct HTTPResponse
{
    QByteArray body;
    // The HTTP status code; 200 for a file of the local folder; 0 when the answer was not an
    // HTTP response (another scheme).
    int status = 0;
    // The answer's validators, for a conditional request later; empty when not sent.
    QByteArray etag;
    QByteArray lastModified;
    QByteArray cacheControl;
};

// The one way the application fetches anything over the network. A plain value: copies share
// the transfer engine and each service keeps its own copy.
//
// A call makes one attempt per entry of retryDelays. Entry k (k >= 1) is the mean pause before
// attempt k (each pause is drawn between half and one and a half of it, so that copies that
// failed together do not come back together); entry 0 only counts the first attempt and is
// never waited. Only transport
// failures (no connection, connection lost, time-out, host not found, TLS failure…) are
// retried; any HTTP status, 4xx and 5xx included, is an answer and ends the call at once.
class HTTPClient
{
public:
    using Delays = QList<std::chrono::milliseconds>;
    // Header lines sent with a request, for example {"If-None-Match", etag}.
    using Headers = QList<std::pair<QByteArray, QByteArray>>;

    // The application's pauses: at most three attempts, about 3 s and then 7 s apart.
    static Delays defaultRetryDelays();
    // The pause drawn for a mean pause: `unit` (0 to 1) spreads it from half to one and a half.
    static std::chrono::milliseconds jitteredPause(std::chrono::milliseconds mean, double unit);
    // The most a body may hold. An answer other than 200 whose body runs past errorBodyLimit
    // is cut off there and comes back with its status alone; a 200 body that runs over its call's
    // limit is cut off and reported (UrlDataLengthExceedsMaximum, not retried).
    static constexpr qint64 errorBodyLimit = 64 * 1024;
    static constexpr qint64 catalogueLimit = 32 * 1024 * 1024;
    static constexpr qint64 coverLimit = 16 * 1024 * 1024;
    static constexpr qint64 layerLimit = 64 * 1024 * 1024;
    static constexpr qint64 mediaLimit = 512 * 1024 * 1024; // a track or a video
    // A transfer that receives nothing for this long fails with a time-out (and is retried).
    static constexpr std::chrono::milliseconds defaultTransferTimeout{60'000};

    // Every copy of the client and every call in flight keeps network alive.
    explicit HTTPClient(std::shared_ptr<QNetworkAccessManager> network,
                        Delays retryDelays = defaultRetryDelays(),
                        std::chrono::milliseconds transferTimeout = defaultTransferTimeout);

    const Delays &retryDelays() const { return m_retryDelays; }
    // The same client with other pauses.
    HTTPClient withRetryDelays(Delays retryDelays) const;

    // The folder of the catalogue installed with the app. Its regular files are read from
    // disk through file: addresses and answer 200; any other file: address (outside it, a
    // directory, a pipe, a device) is refused at once, without being opened. None by default.
    void setLocalFolder(const QString &folder);
    // The regular file inside the local folder that url names, or empty.
    QString localFile(const QUrl &url) const;

    std::chrono::milliseconds transferTimeout() const { return m_transferTimeout; }

    // GETs url (no headers of ours, redirects followed unless they go from https to http) and
    // holds the whole body in memory. A file: address is read as setLocalFolder() says.
    // Throws AppError: the last attempt's transport error (Url domain); URL error "unknown"
    // (UrlUnknown) at once, with no request made, when retryDelays is empty; cancelled()
    // when the token is cancelled before the call, during a pause or during a transfer (the
    // transfer is aborted and no further attempt is made).
    // The call keeps what it needs, so the client may be destroyed while it runs.
    QCoro::Task<HTTPResponse> data(QUrl url, CancellationToken cancel = {}, Headers headers = {},
                                   qint64 maxBytes = mediaLimit) const;

    // Like data(), but streams the body of a 200 answer through a FileWriter into
    // destination's partial sibling and, once it is complete, commits it to destination
    // (replacing a file there in one step). Returns the status. Only a 200 answer is kept: with
    // any other status (0 for a non-HTTP scheme included) or a cancellation the partial file is
    // removed, and a file already at destination stays as it was.
    // A transfer cut by the network goes on where it stopped ("Range"), on the next attempt and,
    // once the call has failed, on a later call for the same url and destination from any copy
    // of this client in this process, but only while the host's copy is the same one (an ETag
    // or Last-Modified it sent, in "If-Range"); otherwise it starts afresh.
    // Throws AppError as data() does, and the FileWriter's File error (never retried) when the
    // partial file cannot be created, written or moved into place.
    QCoro::Task<int> download(QUrl url, QString destination, CancellationToken cancel = {},
                              qint64 maxBytes = mediaLimit) const;

private:
    std::shared_ptr<QNetworkAccessManager> m_network;
    Delays m_retryDelays;
    std::chrono::milliseconds m_transferTimeout;
    QString m_localFolder;                 // canonical; empty when there is none
    std::shared_ptr<KeptDownloads> m_kept; // shared by the copies
};
