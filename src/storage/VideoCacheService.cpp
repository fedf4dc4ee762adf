#include "storage/VideoCacheService.h"

#include "core/AppError.h"
#include "core/FileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <algorithm>

VideoCacheService::VideoCacheService(FileLocations locations, HTTPClient http, QObject *parent)
    : QObject(parent), m_locations(std::move(locations)), m_http(std::move(http))
{}

QList<QUrl> VideoCacheService::videoLoopUrls(const Manifest &manifest)
{
    QList<QUrl> urls;
    for (const Playlist &playlist : manifest.playlists) {
        if (!playlist.videoLoop ||
            !playlist.videoLoop->startsWith(QLatin1String("http"), Qt::CaseInsensitive))
            continue;
        // The stored text itself is parsed, not a lower-cased copy of it.
        const QUrl url(*playlist.videoLoop, QUrl::StrictMode);
        if (url.isValid() && !url.isRelative())
            urls.append(url);
    }
    return urls;
}

quint64 VideoCacheService::addressHash(const QUrl &url)
{
    // FNV-1a, 64-bit: offset basis 14695981039346656037, prime 1099511628211.
    quint64 hash = 14695981039346656037ULL;
    for (const char byte : url.toEncoded()) {
        hash ^= quint64(quint8(byte));
        hash *= 1099511628211ULL;
    }
    return hash;
}

QString VideoCacheService::hashPrefix(const QUrl &url)
{
    const quint64 hash = addressHash(url);
    // The magnitude of the hash read as a signed number; the most negative one has no positive
    // counterpart, which unsigned arithmetic handles.
    const quint64 magnitude = qint64(hash) < 0 ? quint64(0) - hash : hash;
    return QString::number(magnitude, 36).left(8);
}

QString VideoCacheService::lastComponentName(const QUrl &url)
{
    // Splitting the decoded path keeps an escaped slash from ever reaching the file name.
    const QStringList parts = url.path(QUrl::FullyDecoded).split(u'/', Qt::SkipEmptyParts);
    QString name = parts.isEmpty() ? QString() : parts.constLast();
    name.replace(QChar(u'\0'), u'_');
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("video");
    return name;
}

QString VideoCacheService::cacheFilePath(const QUrl &url) const
{
    return QDir(m_locations.videoCacheDir())
        .filePath(hashPrefix(url) + u'-' + lastComponentName(url));
}

std::optional<QString> VideoCacheService::cachedFile(const QUrl &url) const
{
    const QString path = cacheFilePath(url);
    if (QFileInfo(path).isFile())
        return path;
    return std::nullopt;
}

QUrl VideoCacheService::playableUrl(const QUrl &url)
{
    // The installed catalogue's video plays where it lies; no other file is shown.
    if (url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) == 0) {
        const QString local = m_http.localFile(url);
        return local.isEmpty() ? QUrl() : QUrl::fromLocalFile(local);
    }
    if (const std::optional<QString> local = cachedFile(url))
        return QUrl::fromLocalFile(*local);
    download(url);
    return url;
}

void VideoCacheService::prefetch(const QList<QUrl> &urls)
{
    for (const QUrl &url : urls) {
        if (!cachedFile(url))
            download(url);
    }
}

void VideoCacheService::prefetchCatalogueVideos(const std::optional<Manifest> &manifest)
{
    if (manifest)
        prefetch(videoLoopUrls(*manifest));
}

QCoro::Task<> VideoCacheService::download(QUrl url)
{
    if (!url.isValid() || url.isRelative())
        co_return;
    const QString key = QString::fromUtf8(url.toEncoded());
    const QString finalPath = cacheFilePath(url);
    if (m_inFlight.contains(key) || QFileInfo::exists(finalPath))
        co_return;
    m_inFlight.insert(key);
    Q_EMIT inFlightChanged();

    const QPointer<VideoCacheService> self(this);
    const HTTPClient http = m_http;
    if (QDir().mkpath(m_locations.videoCacheDir())) {
        try {
            // Streamed to disk, and only a whole 200 body is put under the final name.
            co_await http.download(url, finalPath);
        } catch (const AppError &) {
            // No file is left behind; the next time the video is asked for it is fetched again.
        }
    }
    if (!self)
        co_return;
    finish(key);
}

void VideoCacheService::sweep(const std::optional<Manifest> &manifest)
{
    if (!manifest) {
        FileWriter::sweep(m_locations.videoCacheDir());
        return;
    }
    QSet<QString> known;
    for (const QUrl &url : videoLoopUrls(*manifest))
        known.insert(QFileInfo(cacheFilePath(url)).fileName());
    FileWriter::sweep(m_locations.videoCacheDir(),
                      [&known](const QString &name) { return known.contains(name); });
}

void VideoCacheService::finish(const QString &key)
{
    if (m_inFlight.remove(key))
        Q_EMIT inFlightChanged();
}

QStringList VideoCacheService::inFlightList() const
{
    QStringList list(m_inFlight.cbegin(), m_inFlight.cend());
    std::sort(list.begin(), list.end());
    return list;
}
