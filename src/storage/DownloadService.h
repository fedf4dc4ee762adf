#pragma once

#include "core/Cancellation.h"
#include "core/FileLocations.h"
#include "catalogue/Catalogue.h"
#include "catalogue/HTTPClient.h"

#include <QCoroTask>
#include <QHash>
#include <QObject>
#include <QUrl>
#include <memory>

class CacheService;

namespace DownloadDetail {
class Flight;
}

// Turns a catalogue track into a complete local file: the pinned or cached copy when there is
// one, otherwise a fresh download into the cache folder. The body streams into X.mp3.partial
// and is renamed to X.mp3 only once complete, so a process killed mid-transfer leaves at most a
// stale partial file, which the start-up sweep or the next download of X removes. The finished
// file is handed to the cache, which records it and keeps its budget.
class DownloadService : public QObject
{
    Q_OBJECT

public:
    DownloadService(HTTPClient http, CacheService &cache, FileLocations locations,
                    QObject *parent = nullptr);
    // Aborts the transfers in flight; their callers receive a cancellation error.
    ~DownloadService() override;

    // The location of a complete local file of the track. Asking again for a track that is
    // already downloading waits for that download and shares its result.
    // Throws AppError: File when the track's id cannot be a file name (nothing is fetched or
    // written) or the file cannot be written or moved into place; the HTTP client's transport
    // errors; badServerResponse for any status but 200 (nothing written); Store when the
    // record cannot be saved. A failed download leaves no file behind, so the cache's records
    // always match its files.
    QCoro::Task<QUrl> localURL(Track track);

private:
    QCoro::Task<QUrl> download(Track track);

    const HTTPClient m_http;
    CacheService &m_cache;
    const FileLocations m_locations;
    const CancellationToken m_cancel = CancellationToken::create();
    QHash<QString, std::shared_ptr<DownloadDetail::Flight>> m_inFlight;
};
