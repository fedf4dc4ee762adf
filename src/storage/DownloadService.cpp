#include "storage/DownloadService.h"

#include "core/AppError.h"
#include "core/SafeFileName.h"
#include "storage/CacheService.h"

#include <QCoroSignal>
#include <QDir>
#include <QFileInfo>
#include <QPointer>

namespace DownloadDetail {
// One download under way, shared by everyone asking for the same track. Waiters hold it until
// they have read the outcome, so it outlives the download that fills it in.
class Flight : public QObject
{
    Q_OBJECT
public:
    std::optional<QUrl> url;
    std::optional<AppError> error;

Q_SIGNALS:
    void finished();
};
} // namespace DownloadDetail

using DownloadDetail::Flight;

DownloadService::DownloadService(HTTPClient http, CacheService &cache, FileLocations locations,
                                 QObject *parent)
    : QObject(parent), m_http(std::move(http)), m_cache(cache), m_locations(std::move(locations))
{}

DownloadService::~DownloadService()
{
    m_cancel.cancel();
}

QCoro::Task<QUrl> DownloadService::localURL(Track track)
{
    // Before anything else: such an id must not reach the network or the disk at all.
    SafeFileName::require(track.id);
    if (const std::optional<QUrl> local = m_cache.cachedURL(track.id))
        co_return *local;

    if (const std::shared_ptr<Flight> flight = m_inFlight.value(track.id)) {
        co_await qCoro(flight.get(), &Flight::finished);
        if (flight->error)
            throw *flight->error;
        // A copy: QCoro moves from a non-const lvalue given to co_return.
        const QUrl url = *flight->url;
        co_return url;
    }

    const auto flight = std::make_shared<Flight>();
    m_inFlight.insert(track.id, flight);
    QPointer<DownloadService> self(this);
    try {
        flight->url = co_await download(track);
    } catch (const AppError &error) {
        flight->error = error;
    }
    if (self)
        m_inFlight.remove(track.id);
    Q_EMIT flight->finished();
    if (flight->error)
        throw *flight->error;
    // A copy, for the waiters still to read it: QCoro moves from a non-const lvalue given to
    // co_return.
    const QUrl url = *flight->url;
    co_return url;
}

QCoro::Task<QUrl> DownloadService::download(Track track)
{
    const QString dest = m_cache.cacheFilePath(track.id);
    // The folder may have gone since start-up (a user tidying up); a download brings it back.
    if (!QDir().mkpath(m_locations.cacheDir()))
        throw AppError::folderNotCreated(m_locations.cacheDir());

    // The body streams into the partial file and is renamed to dest only once complete; a
    // complete copy already at dest is simply replaced.
    QPointer<DownloadService> self(this);
    const int status = co_await m_http.download(track.url, dest, m_cancel);
    if (!self)
        throw AppError::cancelled();
    if (status != 200)
        throw AppError::badServerResponse(status);
    m_cache.addDownloaded(track.id);
    co_return QUrl::fromLocalFile(dest);
}

#include "DownloadService.moc"
