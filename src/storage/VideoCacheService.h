#pragma once

#include "catalogue/Catalogue.h"
#include "catalogue/HTTPClient.h"
#include "core/FileLocations.h"

#include <QCoroTask>
#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QUrl>
#include <optional>

// Local copies of the scenes' looping background videos, in videoCacheDir. A video view asks for
// a playable address: the local copy when there is one, otherwise the remote address while a
// background download fills the cache for next time. Videos have no budget and are never
// evicted. A failed download leaves no file and is tried again the next time it is asked for.
class VideoCacheService : public QObject
{
    Q_OBJECT
    // Absolute texts of the addresses being downloaded now, sorted.
    Q_PROPERTY(QStringList inFlight READ inFlightList NOTIFY inFlightChanged)

public:
    VideoCacheService(FileLocations locations, HTTPClient http, QObject *parent = nullptr);

    // The addresses of a catalogue's scene videos worth fetching ahead, in catalogue order: every
    // videoLoop that begins with "http" in any case and parses as an absolute address. Bare
    // asset names are left out.
    static QList<QUrl> videoLoopUrls(const Manifest &manifest);

    // The first (up to) 8 lower-case base-36 digits of the magnitude of the address hash, as a
    // signed 64-bit number.
    static QString hashPrefix(const QUrl &url);
    // FNV-1a 64 of the UTF-8 bytes of the address's absolute (fully encoded) text: the same in
    // every run, so a video cached in one run is found in the next.
    static quint64 addressHash(const QUrl &url);
    // The last path component of the address, usable as the tail of a file name; "video" when
    // the address has no usable one (no path, "/", "." or "..").
    static QString lastComponentName(const QUrl &url);

    // Where the copy of url lives, whether or not it exists: videoCacheDir/K-<last component>.
    QString cacheFilePath(const QUrl &url) const;
    // The copy of url if it exists.
    std::optional<QString> cachedFile(const QUrl &url) const;

    // The local copy as a file URL, or else url itself after starting its download. A file:
    // address plays only inside the HTTP client's local folder (none otherwise).
    Q_INVOKABLE QUrl playableUrl(const QUrl &url);
    // Starts, all at once, the download of every address whose copy is missing.
    void prefetch(const QList<QUrl> &urls);
    // The start-up warm-up: prefetch(videoLoopUrls(catalogue)), and nothing at all without a
    // catalogue.
    void prefetchCatalogueVideos(const std::optional<Manifest> &manifest);
    // Fetches url into its cache file unless it is there or already being fetched. Never throws.
    QCoro::Task<> download(QUrl url);
    // The start-up sweep: partial files go, and with a catalogue every file that is not the
    // copy of one of its scene videos.
    void sweep(const std::optional<Manifest> &manifest);

    const QSet<QString> &inFlight() const { return m_inFlight; }
    QStringList inFlightList() const;

Q_SIGNALS:
    void inFlightChanged();

private:
    void finish(const QString &key);

    FileLocations m_locations;
    HTTPClient m_http;
    QSet<QString> m_inFlight;
};
