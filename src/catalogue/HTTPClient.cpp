#include "catalogue/HTTPClient.h"

#include "Duskhaven/AppError.h"

#include <QCoroNetworkReply>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
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

QCoro::Task<Outcome> attempt(QNetworkAccessManager &network, const QUrl &url,
                             std::chrono::milliseconds transferTimeout,
                             const CancellationToken &cancel)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(int(transferTimeout.count()));

    const std::unique_ptr<QNetworkReply, DeleteLater> reply(network.get(request));
    const auto connection = cancel.onCancel(reply.get(), [raw = reply.get()] { raw->abort(); });
    co_await reply.get();
    QObject::disconnect(connection);
    cancel.throwIfCancelled();

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QNetworkReply::NetworkError error = reply->error();
    if (error == QNetworkReply::NoError || (status.isValid() && !isTransportError(error)))
        co_return HTTPResponse{reply->readAll(), status.isValid() ? status.toInt() : 0};
    co_return AppError::url(urlErrorCode(error), reply->errorString());
}

// Takes everything by value: the client that started the call may be gone before it ends.
QCoro::Task<HTTPResponse> fetch(std::shared_ptr<QNetworkAccessManager> network,
                                HTTPClient::Delays retryDelays,
                                std::chrono::milliseconds transferTimeout, QUrl url,
                                CancellationToken cancel)
{
    AppError pending = AppError::url(AppError::UrlUnknown, QStringLiteral("Unknown error."));
    if (retryDelays.isEmpty())
        throw pending;

    for (qsizetype attempts = 0;;) {
        cancel.throwIfCancelled();
        Outcome outcome = co_await attempt(*network, url, transferTimeout, cancel);
        if (auto *response = std::get_if<HTTPResponse>(&outcome))
            co_return std::move(*response);
        pending = std::get<AppError>(std::move(outcome));
        if (++attempts == retryDelays.size())
            throw pending;
        co_await sleepFor(retryDelays.at(attempts), cancel);
    }
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

QCoro::Task<HTTPResponse> HTTPClient::data(QUrl url, CancellationToken cancel) const
{
    return fetch(m_network, m_retryDelays, m_transferTimeout, std::move(url), std::move(cancel));
}
