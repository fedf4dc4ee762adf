#include "catalogue/HTTPClient.h"

#include "core/AppError.h"
#include "core/FileWriter.h"

#include <QCoreApplication>
#include <QCoroNetworkReply>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <algorithm>
#include <optional>
#include <variant>

using namespace std::chrono_literals;

namespace {

struct DeleteLater
{
    void operator()(QObject *object) const { object->deleteLater(); }
};

// Qt reports an HTTP error status as a reply error as well; these are the errors that mean the
// transfer itself went wrong, whatever status line may have arrived before.
bool isTransportError(QNetworkReply::NetworkError error)
{
    using E = QNetworkReply;
    switch (error) {
    case E::ProxyAuthenticationRequiredError: // also how Qt reports a 407 answer
        return false;
    case E::ProtocolUnknownError:
    case E::ProtocolFailure:
        return true;
    default:
        return error > E::NoError && error < E::ContentAccessDenied;
    }
}

int urlErrorCode(QNetworkReply::NetworkError error)
{
    using E = QNetworkReply;
    switch (error) {
    case E::ConnectionRefusedError:
    case E::ProxyConnectionRefusedError:
    case E::ProxyNotFoundError:
        return AppError::UrlCannotConnect;
    case E::RemoteHostClosedError:
    case E::ProxyConnectionClosedError:
        return AppError::UrlNetworkConnectionLost;
    case E::HostNotFoundError:
        return AppError::UrlCannotFindHost;
    case E::TimeoutError:
    case E::ProxyTimeoutError:
    case E::OperationCanceledError: // Qt aborts a reply whose transfer timeout ran out
        return AppError::UrlTimedOut;
    case E::SslHandshakeFailedError:
        return AppError::UrlSecureConnectionFailed;
    case E::TemporaryNetworkFailureError:
    case E::NetworkSessionFailedError:
        return AppError::UrlNotConnectedToInternet;
    case E::TooManyRedirectsError:
        return AppError::UrlTooManyRedirects;
    case E::ProtocolUnknownError:
        return AppError::UrlUnsupported;
    case E::ProtocolFailure:
        return AppError::UrlCannotParseResponse;
    case E::ContentNotFoundError: // a file URL naming no file
        return AppError::UrlFileDoesNotExist;
    case E::ContentAccessDenied: // a file URL naming an unreadable file
        return AppError::UrlNoPermissionsToReadFile;
    default:
        return AppError::UrlUnknown;
    }
}

using Outcome = std::variant<HTTPResponse, AppError>;

// Where a download cut by the network goes on from: the bytes already in its partial file, and
// the validator of the answer they came from. The server sends the rest (206) only when its
// copy is still that one; otherwise it sends the whole body again (200), which starts over.
struct Resume
{
    qint64 offset = 0;
    QByteArray validator;
};

} // namespace

// Downloads cut by the network whose partial files wait for the same download to be asked for
// again in this process. Only the latest few: the oldest one's file goes when one more is kept.
struct KeptDownloads
{
    static constexpr qsizetype limit = 8;
    struct Entry
    {
        QUrl url;
        QString destination;
        Resume resume;
    };
    QList<Entry> entries;

    std::optional<Resume> take(const QUrl &url, const QString &destination)
    {
        for (qsizetype i = 0; i < entries.size(); ++i) {
            if (entries.at(i).destination != destination)
                continue;
            const Entry entry = entries.takeAt(i);
            if (entry.url != url)
                return std::nullopt;
            return entry.resume;
        }
        return std::nullopt;
    }

    void put(const QUrl &url, const QString &destination, const Resume &resume)
    {
        take(url, destination);
        entries.append({url, destination, resume});
        if (entries.size() <= limit)
            return;
        const QString oldest = FileWriter::partialPathOf(entries.takeFirst().destination);
        if (!FileWriter::isBeingWritten(oldest))
            QFile::remove(oldest);
    }
};

namespace {

// The validator that may stand in If-Range: a strong ETag, else the Last-Modified date.
QByteArray rangeValidator(const QNetworkReply &reply)
{
    const QByteArray etag = reply.rawHeader("ETag");
    if (!etag.isEmpty() && !etag.startsWith("W/"))
        return etag;
    return reply.rawHeader("Last-Modified");
}

// One GET. With a sink, the body of a 200 answer is streamed into it as it arrives instead of
// being held in memory (the returned body is then empty); a sink that refuses bytes ends the
// whole call with a File error.
QCoro::Task<Outcome> attempt(QNetworkAccessManager &network, const QUrl &url,
                             std::chrono::milliseconds transferTimeout,
                             const CancellationToken &cancel, FileWriter *sink,
                             const HTTPClient::Headers &headers, qint64 maxBytes,
                             std::optional<Resume> *resume = nullptr)
{
    QNetworkRequest request(url);
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);
    const bool resuming = sink && resume && resume->has_value();
    const qint64 resumedFrom = resuming ? (*resume)->offset : 0;
    if (resuming) {
        request.setRawHeader("Range", "bytes=" + QByteArray::number((*resume)->offset) + '-');
        request.setRawHeader("If-Range", (*resume)->validator);
    }
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(int(transferTimeout.count()));

    const std::unique_ptr<QNetworkReply, DeleteLater> reply(network.get(request));
    QNetworkReply *const raw = reply.get();
    const auto statusOf = [raw] {
        return raw->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    };
    std::optional<AppError> sinkFailure;
    // A 206 goes on where the partial file ends; a 200 to a resumed request starts it over.
    bool continuing = resuming;
    const auto drain = [&, raw] {
        const int status = statusOf().toInt();
        if (sinkFailure || (status != 200 && !(status == 206 && resuming)))
            return;
        try {
            if (continuing && status == 200)
                sink->restart();
            continuing = false;
            sink->write(raw->readAll());
        } catch (const AppError &error) {
            sinkFailure = error;
            raw->abort();
        }
    };
    QMetaObject::Connection streaming;
    if (sink) {
        if (!resuming)
            sink->restart(); // a retry that cannot resume starts the file afresh
        streaming = QObject::connect(raw, &QNetworkReply::readyRead, raw, drain);
    }
    // A host that sends more than it should, or an endless error page, is cut off.
    const auto isBody = [statusOf] {
        const QVariant status = statusOf();
        return !status.isValid() || status.toInt() == 200 || status.toInt() == 206;
    };
    bool cut = false;
    const auto sizing = QObject::connect(
        raw, &QNetworkReply::downloadProgress, raw,
        [&cut, raw, isBody, statusOf, maxBytes, resumedFrom](qint64 received, qint64 total) {
            // The bytes a resumed transfer began with count too.
            const qint64 limit = !isBody()                   ? HTTPClient::errorBodyLimit
                                 : statusOf().toInt() == 206 ? maxBytes - resumedFrom
                                                             : maxBytes;
            if (!cut && (received > limit || total > limit)) {
                cut = true;
                raw->abort();
            }
        });
    const auto cancelling = cancel.onCancel(raw, [raw] { raw->abort(); });
    co_await raw;
    QObject::disconnect(cancelling);
    QObject::disconnect(streaming);
    QObject::disconnect(sizing);
    cancel.throwIfCancelled();

    const QVariant status = statusOf();
    if (cut && isBody())
        throw AppError::url(AppError::UrlDataLengthExceedsMaximum,
                            QCoreApplication::translate(
                                "HTTPClient", "%1 sent more than %2, so the download was cut off.")
                                .arg(url.host(), QLocale().formattedDataSize(maxBytes)));
    if (cut) // an error page past its limit: its status is the answer
        co_return HTTPResponse{{}, status.toInt()};
    const QNetworkReply::NetworkError error = reply->error();
    if (sink) {
        drain();
        if (sinkFailure)
            throw *sinkFailure;
    }
    const int answered = status.toInt();
    const bool continued = answered == 206 && resuming &&
                           reply->rawHeader("Content-Range")
                               .startsWith("bytes " + QByteArray::number(resumedFrom) + '-');
    const QByteArray body = sink ? QByteArray() : reply->readAll();
    // Qt may report a connection closed halfway through a body as a finished transfer; the
    // announced length tells (unless the body came compressed, when the two differ anyway).
    bool lengthKnown = false;
    const qint64 announced = reply->rawHeader("Content-Length").toLongLong(&lengthKnown);
    const qint64 arrived = sink ? sink->size() - (continued ? resumedFrom : 0) : body.size();
    const bool cutShort = (answered == 200 || continued) && error == QNetworkReply::NoError &&
                          lengthKnown && reply->rawHeader("Content-Encoding").isEmpty() &&
                          arrived < announced;
    if (resume) {
        // What a next attempt may go on from, should this one have been cut. A failure before
        // any answer leaves the partial file as it was, so what held before still holds.
        if (answered == 200)
            *resume = Resume{0, rangeValidator(*reply)};
        if ((answered == 200 || continued) && resume->has_value() &&
            !(*resume)->validator.isEmpty())
            (*resume)->offset = sink->size();
        else if (status.isValid())
            resume->reset();
    }
    if (answered == 206 && resuming && !continued) {
        // Not the rest that was asked for: the next attempt starts over.
        sink->restart();
        co_return AppError::url(
            AppError::UrlCannotParseResponse,
            QCoreApplication::translate("HTTPClient", "The server sent another part of the file."));
    }
    if (cutShort)
        co_return AppError::url(
            AppError::UrlNetworkConnectionLost,
            QCoreApplication::translate("HTTPClient",
                                        "The connection closed before the whole answer arrived."));
    if (continued && error == QNetworkReply::NoError) {
        // The rest of the body the partial file began: the call's answer is the whole of it.
        co_return HTTPResponse{{},
                               200,
                               reply->rawHeader("ETag"),
                               reply->rawHeader("Last-Modified"),
                               reply->rawHeader("Cache-Control")};
    }
    if (error == QNetworkReply::NoError || (status.isValid() && !isTransportError(error)))
        co_return HTTPResponse{body, status.isValid() ? status.toInt() : 0,
                               reply->rawHeader("ETag"), reply->rawHeader("Last-Modified"),
                               reply->rawHeader("Cache-Control")};
    co_return AppError::url(urlErrorCode(error), reply->errorString());
}

bool isFileAddress(const QUrl &url)
{
    return url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) == 0;
}

// A file of the local folder, read at once (it is small and on a local disk). With a sink
// the bytes go there in pieces.
HTTPResponse readLocal(const QString &path, const QUrl &url, FileWriter *sink)
{
    if (path.isEmpty())
        throw AppError::url(AppError::UrlNoPermissionsToReadFile,
                            QCoreApplication::translate("HTTPClient",
                                                        "%1 is not part of the catalogue installed "
                                                        "with Dusk Haven, so it is not read.")
                                .arg(url.toDisplayString(QUrl::PreferLocalFile)));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError::url(AppError::UrlNoPermissionsToReadFile, file.errorString());
    HTTPResponse response{{}, 200};
    if (!sink) {
        response.body = file.readAll();
    } else {
        sink->restart();
        while (!file.atEnd()) {
            const QByteArray piece = file.read(256 * 1024);
            if (piece.isEmpty())
                break;
            sink->write(piece);
        }
    }
    if (file.error() != QFileDevice::NoError)
        throw AppError::url(AppError::UrlNoPermissionsToReadFile, file.errorString());
    return response;
}

// Takes everything by value: the client that started the call may be gone before it ends.
QCoro::Task<HTTPResponse>
fetch(std::shared_ptr<QNetworkAccessManager> network, HTTPClient::Delays retryDelays,
      std::chrono::milliseconds transferTimeout, QUrl url, CancellationToken cancel,
      FileWriter *sink = nullptr, std::optional<QString> localPath = std::nullopt,
      HTTPClient::Headers headers = {}, qint64 maxBytes = HTTPClient::mediaLimit,
      std::optional<Resume> *resume = nullptr)
{
    // When the client is gone, this call holds the last reference to the manager. Dropping it
    // as the call ends would delete the manager, and with it the reply whose finished signal
    // is resuming this coroutine; the reference goes on a later turn of the event loop.
    const auto releaseLater = qScopeGuard([&network] {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [last = std::move(network)] {}, Qt::QueuedConnection);
    });
    AppError pending = AppError::url(AppError::UrlUnknown, QStringLiteral("Unknown error."));
    if (retryDelays.isEmpty())
        throw pending;
    if (localPath) {
        cancel.throwIfCancelled();
        co_return readLocal(*localPath, url, sink);
    }

    for (qsizetype attempts = 0;;) {
        cancel.throwIfCancelled();
        Outcome outcome = co_await attempt(*network, url, transferTimeout, cancel, sink, headers,
                                           maxBytes, resume);
        if (auto *response = std::get_if<HTTPResponse>(&outcome))
            co_return std::move(*response);
        pending = std::get<AppError>(std::move(outcome));
        if (++attempts == retryDelays.size())
            throw pending;
        co_await sleepFor(HTTPClient::jitteredPause(retryDelays.at(attempts),
                                                    QRandomGenerator::global()->generateDouble()),
                          cancel);
    }
}

QCoro::Task<int> fetchToFile(std::shared_ptr<QNetworkAccessManager> network,
                             std::shared_ptr<KeptDownloads> kept, HTTPClient::Delays retryDelays,
                             std::chrono::milliseconds transferTimeout, QUrl url,
                             QString destination, CancellationToken cancel,
                             std::optional<QString> localPath, qint64 maxBytes)
{
    // Only a download resumes: its partial file holds what came before the cut.
    std::optional<Resume> resume = localPath ? std::nullopt : kept->take(url, destination);
    // However the call ends short of the commit, the writer takes its partial file with it,
    // unless it is kept for a later call.
    FileWriter writer(destination,
                      resume ? FileWriter::Start::Continue : FileWriter::Start::Afresh);
    if (resume && writer.size() != resume->offset)
        resume.reset(); // the first attempt starts afresh
    std::optional<HTTPResponse> response;
    try {
        response = co_await fetch(std::move(network), std::move(retryDelays), transferTimeout, url,
                                  cancel, &writer, std::move(localPath), {}, maxBytes, &resume);
    } catch (const AppError &error) {
        if (error.domain() == AppError::Domain::Url &&
            error.code() != AppError::UrlDataLengthExceedsMaximum && resume && resume->offset > 0) {
            writer.keep();
            kept->put(url, destination, *resume);
        }
        throw;
    }
    if (response->status != 200)
        co_return response->status;
    writer.commit();
    co_return 200;
}

} // namespace

HTTPClient::Delays HTTPClient::defaultRetryDelays()
{
    return {1s, 3s, 7s};
}

HTTPClient::HTTPClient(std::shared_ptr<QNetworkAccessManager> network, Delays retryDelays,
                       std::chrono::milliseconds transferTimeout)
    : m_network(std::move(network)), m_retryDelays(std::move(retryDelays)),
      m_transferTimeout(transferTimeout), m_kept(std::make_shared<KeptDownloads>())
{
    Q_ASSERT(m_network);
}

std::chrono::milliseconds HTTPClient::jitteredPause(std::chrono::milliseconds mean, double unit)
{
    return std::chrono::milliseconds(
        qRound64(double(mean.count()) * (0.5 + std::clamp(unit, 0.0, 1.0))));
}

HTTPClient HTTPClient::withRetryDelays(Delays retryDelays) const
{
    HTTPClient copy = *this;
    copy.m_retryDelays = std::move(retryDelays);
    return copy;
}

void HTTPClient::setLocalFolder(const QString &folder)
{
    m_localFolder = folder.isEmpty() ? QString() : QFileInfo(folder).canonicalFilePath();
}

QString HTTPClient::localFile(const QUrl &url) const
{
    if (m_localFolder.isEmpty() || !isFileAddress(url) || !url.host().isEmpty())
        return {};
    // Links are followed before the check, so none leads out of the folder.
    const QFileInfo info(QFileInfo(url.toLocalFile()).canonicalFilePath());
    if (!info.isFile() || !info.filePath().startsWith(m_localFolder + QLatin1Char('/')))
        return {};
    return info.filePath();
}

namespace {
// Empty for a network address; for a file: address, the local file to read (empty: refused).
std::optional<QString> localPathOf(const HTTPClient &client, const QUrl &url)
{
    if (!isFileAddress(url))
        return std::nullopt;
    return client.localFile(url);
}
} // namespace

QCoro::Task<HTTPResponse> HTTPClient::data(QUrl url, CancellationToken cancel, Headers headers,
                                           qint64 maxBytes) const
{
    std::optional<QString> local = localPathOf(*this, url);
    return fetch(m_network, m_retryDelays, m_transferTimeout, std::move(url), std::move(cancel),
                 nullptr, std::move(local), std::move(headers), maxBytes);
}

QCoro::Task<int> HTTPClient::download(QUrl url, QString destination, CancellationToken cancel,
                                      qint64 maxBytes) const
{
    std::optional<QString> local = localPathOf(*this, url);
    return fetchToFile(m_network, m_kept, m_retryDelays, m_transferTimeout, std::move(url),
                       std::move(destination), std::move(cancel), std::move(local), maxBytes);
}
