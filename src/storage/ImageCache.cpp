#include "storage/ImageCache.h"

#include "core/AppError.h"

#include <QCoroFuture>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QtConcurrent>
#include <chrono>

using namespace std::chrono_literals;

ImageCache::ImageCache()
{
    m_images.setMaxCost(costLimit);
}

qint64 ImageCache::costOf(const QImage &image)
{
    return qint64(image.width()) * qint64(image.height()) * 4;
}

std::optional<QImage> ImageCache::image(const QString &address)
{
    if (const QImage *found = m_images.object(address))
        return *found;
    return std::nullopt;
}

void ImageCache::insert(const QString &address, const QImage &image)
{
    const qint64 cost = costOf(image);
    if (cost > costLimit) {
        // Keeping the old entry would show a stale image under this address.
        m_images.remove(address);
        return;
    }
    m_images.insert(address, new QImage(image), cost);
}

namespace {
// The regular file inside folder that address names (links followed first), or empty.
QString pictureFile(const QUrl &address, const QString &folder)
{
    if (folder.isEmpty() || !address.isLocalFile() || !address.host().isEmpty())
        return {};
    // The folder may be made after the loader, so it is looked up at each read.
    const QString inside = QFileInfo(folder).canonicalFilePath();
    const QFileInfo file(QFileInfo(address.toLocalFile()).canonicalFilePath());
    return !inside.isEmpty() && file.isFile() && file.filePath().startsWith(inside + u'/')
               ? file.filePath()
               : QString();
}
} // namespace

CoverImageLoader::CoverImageLoader(ImageCache &cache, const HTTPClient &http, QObject *parent)
    : QObject(parent), m_cache(cache),
      // One attempt: a cover that fails simply shows its placeholder until it is asked for again.
      m_http(http.withRetryDelays({0ms}))
{}

QCoro::Task<std::optional<QImage>> CoverImageLoader::load(QUrl address)
{
    if (address.isEmpty() || !address.isValid())
        co_return std::nullopt;
    const QString key = address.toString(QUrl::FullyEncoded);
    if (std::optional<QImage> cached = m_cache.image(key))
        co_return cached;

    const QPointer<CoverImageLoader> self(this);
    if (const QString path = pictureFile(address, m_pictureFolder); !path.isEmpty()) {
        // The future is named: GCC 12 destroys temporaries of a co_await operand twice.
        QFuture<QImage> reading = QtConcurrent::run([path] { return QImage(path); });
        const QImage image = co_await reading;
        if (!self || image.isNull())
            co_return std::nullopt;
        m_cache.insert(key, image);
        co_return image;
    }
    const HTTPClient http = m_http;
    HTTPResponse response;
    try {
        response = co_await http.data(address, {}, {}, HTTPClient::coverLimit);
    } catch (const AppError &) {
        co_return std::nullopt;
    }
    if (!self)
        co_return std::nullopt;
    // Only a successful answer is the cover: an error page stores nothing, even one that
    // happens to be an image (a server's "not found" picture).
    if (response.status < 200 || response.status > 299)
        co_return std::nullopt;
    const QImage image = QImage::fromData(response.body);
    if (image.isNull())
        co_return std::nullopt;
    m_cache.insert(key, image);
    co_return image;
}

void CoverImageLoader::setPictureFolder(const QString &folder)
{
    m_pictureFolder = folder;
}

QUrl CoverImageLoader::source(const QUrl &address) const
{
    if (address.isEmpty() || !address.isValid() || address.isRelative())
        return {};
    // The address travels as base64url so that its own slashes, query and escapes reach the
    // provider untouched.
    const QByteArray id = address.toEncoded().toBase64(QByteArray::Base64UrlEncoding |
                                                       QByteArray::OmitTrailingEquals);
    return QUrl(
        QStringLiteral("image://%1/%2").arg(QLatin1String(providerName), QString::fromLatin1(id)));
}

std::optional<QUrl> CoverImageLoader::addressFromId(const QString &id)
{
    const auto decoded = QByteArray::fromBase64Encoding(
        id.toLatin1(), QByteArray::Base64UrlEncoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.isEmpty())
        return std::nullopt;
    const QUrl address = QUrl::fromEncoded(decoded.decoded, QUrl::StrictMode);
    if (!address.isValid() || address.isRelative())
        return std::nullopt;
    return address;
}
