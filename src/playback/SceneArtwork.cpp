#include "playback/SceneArtwork.h"

#include "core/AppError.h"
#include "core/FileWriter.h"
#include "core/SafeFileName.h"
#include "storage/ImageCache.h"
#include "storage/VideoCacheService.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QCoroFuture>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QtConcurrent>

namespace {
// A picture that could not be had is asked for again after this long, not at every track.
constexpr qint64 retrySeconds = 60;

QByteArray pngOf(const QImage &image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG"))
        return {};
    return png;
}
} // namespace

SceneArtwork::SceneArtwork(FileLocations locations, CoverImageLoader &covers, Painter paint,
                           QObject *parent)
    : QObject(parent), m_folder(locations.artworkDir()),
      m_built(QFileInfo(QCoreApplication::applicationFilePath()).lastModified()), m_covers(&covers),
      m_paint(std::move(paint))
{}

QString SceneArtwork::stillFileName(SceneArtKind kind)
{
    return QStringLiteral("art-") + SceneArt::rawValue(kind) + QStringLiteral(".png");
}

QString SceneArtwork::coverFileName(const QUrl &address)
{
    // Named after the address as the video cache names its files: the same in every run.
    return QStringLiteral("cover-") + VideoCacheService::hashPrefix(address) +
           QStringLiteral(".png");
}

QUrl SceneArtwork::fileFor(const Playlist &scene)
{
    if (!scene.sceneArt && !(scene.coverUrl && scene.coverUrl->isValid()))
        return {};
    QString path;
    try {
        const QString name =
            scene.sceneArt ? stillFileName(*scene.sceneArt) : coverFileName(*scene.coverUrl);
        path = SafeFileName::pathIn(m_folder, name, QString());
    } catch (const AppError &) {
        return {};
    }
    const QFileInfo file(path);
    const bool exists = file.isFile();
    // A new build may paint differently: a still older than the program is painted again
    // (and shown meanwhile), one written since stays, unless its header is not a still's.
    // A cover's file stands as long as it is there (clearing the cache removes it, and it is
    // made again).
    if (scene.sceneArt && exists && !m_current.contains(path) && file.lastModified() >= m_built &&
        QImageReader(path, "png").size() == stillSize)
        m_current.insert(path);
    const bool wanted = !exists || (scene.sceneArt && !m_current.contains(path));
    const auto failed = m_failed.constFind(path);
    const bool due = failed == m_failed.cend() ||
                     failed->secsTo(QDateTime::currentDateTimeUtc()) >= retrySeconds;
    if (wanted && due && !m_making.contains(path)) {
        if (scene.sceneArt)
            makeStill(*scene.sceneArt, path);
        else
            fetchCover(*scene.coverUrl, path);
    }
    return exists ? QUrl::fromLocalFile(path) : QUrl();
}

QCoro::Task<> SceneArtwork::makeStill(SceneArtKind kind, QString path)
{
    const QPointer<SceneArtwork> self(this);
    m_making.insert(path);
    // The future is named: GCC 12 destroys temporaries of a co_await operand twice.
    QFuture<QByteArray> painting = QtConcurrent::run([paint = m_paint, kind] {
        return pngOf(paint ? paint(kind, stillSize).convertToFormat(QImage::Format_RGB32)
                           : QImage());
    });
    const QByteArray png = co_await painting;
    if (!self)
        co_return;
    m_making.remove(path);
    if (!store(path, png))
        co_return;
    m_current.insert(path);
    Q_EMIT ready();
}

QCoro::Task<> SceneArtwork::fetchCover(QUrl address, QString path)
{
    const QPointer<SceneArtwork> self(this);
    m_making.insert(path);
    std::optional<QImage> image;
    if (m_covers)
        image = co_await m_covers->load(address);
    if (!self)
        co_return;
    QByteArray png;
    if (image) {
        QFuture<QByteArray> encoding = QtConcurrent::run([image = *image] { return pngOf(image); });
        png = co_await encoding;
    }
    if (!self)
        co_return;
    m_making.remove(path);
    if (store(path, png))
        Q_EMIT ready();
}

bool SceneArtwork::store(const QString &path, const QByteArray &png)
{
    if (png.isEmpty()) {
        m_failed.insert(path, QDateTime::currentDateTimeUtc());
        return false;
    }
    try {
        if (!QDir().mkpath(m_folder))
            throw AppError::folderNotCreated(m_folder);
        FileWriter::writeWhole(path, png);
    } catch (const AppError &) {
        // A full disk or a folder gone: the widget shows no picture; asked again later.
        m_failed.insert(path, QDateTime::currentDateTimeUtc());
        return false;
    }
    m_failed.remove(path);
    return true;
}
