#include "catalogue/HTTPClient.h"

#include "core/AppError.h"
#include "core/FileWriter.h"

#include <QCoreApplication>
#include <QCoroNetworkReply>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QScopeGuard>
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

// One GET. With a sink, the body of a 200 answer is streamed into it as it arrives instead of
// being held in memory (the returned body is then empty); a sink that refuses bytes ends the
// whole call with a File error.
QCoro::Task<Outcome> attempt(QNetworkAccessManager &network, const QUrl &url,
                             std::chrono::milliseconds transferTimeout,
                             const CancellationToken &cancel, FileWriter *sink)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(int(transferTimeout.count()));

    const std::unique_ptr<QNetworkReply, DeleteLater> reply(network.get(request));
    QNetworkReply *const raw = reply.get();
    const auto statusOf = [raw] {
        return raw->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    };
    std::optional<AppError> sinkFailure;
    const auto drain = [&, raw] {
        if (sinkFailure || statusOf().toInt() != 200)
            return;
        try {
            sink->write(raw->readAll());
        } catch (const AppError &error) {
            sinkFailure = error;
            raw->abort();
        }
    };
    QMetaObject::Connection streaming;
    if (sink) {
        sink->restart(); // a retry starts the file afresh
        streaming = QObject::connect(raw, &QNetworkReply::readyRead, raw, drain);
    }
    const auto cancelling = cancel.onCancel(raw, [raw] { raw->abort(); });
    co_await raw;
    QObject::disconnect(cancelling);
    QObject::disconnect(streaming);
    cancel.throwIfCancelled();

    const QVariant status = statusOf();
    const QNetworkReply::NetworkError error = reply->error();
    if (sink) {
        drain();
        if (sinkFailure)
            throw *sinkFailure;
    }
    if (error == QNetworkReply::NoError || (status.isValid() && !isTransportError(error)))
        co_return HTTPResponse{reply->readAll(), status.isValid() ? status.toInt() : 0};
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
QCoro::Task<HTTPResponse> fetch(std::shared_ptr<QNetworkAccessManager> network,
                                HTTPClient::Delays retryDelays,
                                std::chrono::milliseconds transferTimeout, QUrl url,
                                CancellationToken cancel, FileWriter *sink = nullptr,
                                std::optional<QString> localPath = std::nullopt)
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
        Outcome outcome = co_await attempt(*network, url, transferTimeout, cancel, sink);
        if (auto *response = std::get_if<HTTPResponse>(&outcome))
            co_return std::move(*response);
        pending = std::get<AppError>(std::move(outcome));
        if (++attempts == retryDelays.size())
            throw pending;
        co_await sleepFor(retryDelays.at(attempts), cancel);
    }
}

QCoro::Task<int> fetchToFile(std::shared_ptr<QNetworkAccessManager> network,
                             HTTPClient::Delays retryDelays,
                             std::chrono::milliseconds transferTimeout, QUrl url,
                             QString destination, CancellationToken cancel,
                             std::optional<QString> localPath)
{
    // However the call ends short of the commit, the writer takes its partial file with it.
    FileWriter writer(destination);
    const HTTPResponse response =
        co_await fetch(std::move(network), std::move(retryDelays), transferTimeout, url, cancel,
                       &writer, std::move(localPath));
    if (response.status != 200)
        co_return response.status;
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
      m_transferTimeout(transferTimeout)
{
    Q_ASSERT(m_network);
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

QCoro::Task<HTTPResponse> HTTPClient::data(QUrl url, CancellationToken cancel) const
{
    std::optional<QString> local = localPathOf(*this, url);
    return fetch(m_network, m_retryDelays, m_transferTimeout, std::move(url), std::move(cancel),
                 nullptr, std::move(local));
}

QCoro::Task<int> HTTPClient::download(QUrl url, QString destination, CancellationToken cancel) const
{
    std::optional<QString> local = localPathOf(*this, url);
    return fetchToFile(m_network, m_retryDelays, m_transferTimeout, std::move(url),
                       std::move(destination), std::move(cancel), std::move(local));
}
