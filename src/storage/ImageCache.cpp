#include "storage/ImageCache.h"

#include "core/AppError.h"

#include <QAtomicInteger>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QQuickTextureFactory>
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

CoverImageLoader::CoverImageLoader(ImageCache &cache,
                                   std::shared_ptr<QNetworkAccessManager> network, QObject *parent)
    : QObject(parent), m_cache(cache),
      // One attempt: a cover that fails simply shows its placeholder until it is asked for again.
      m_http(std::move(network), HTTPClient::Delays{0ms})
{}

QCoro::Task<std::optional<QImage>> CoverImageLoader::load(QUrl address)
{
    if (address.isEmpty() || !address.isValid())
        co_return std::nullopt;
    const QString key = address.toString(QUrl::FullyEncoded);
    if (std::optional<QImage> cached = m_cache.image(key))
        co_return cached;

    const QPointer<CoverImageLoader> self(this);
    const HTTPClient http = m_http;
    HTTPResponse response;
    try {
        response = co_await http.data(address);
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

namespace {
// Lives on the main thread once handed over; the engine's reader thread only reads the result
// after finished() and deletes the response with deleteLater().
class CoverImageResponse : public QQuickImageResponse
{
public:
    QQuickTextureFactory *textureFactory() const override
    {
        return QQuickTextureFactory::textureFactoryForImage(m_image);
    }
    void cancel() override { m_cancelled.storeRelease(1); }

    bool isCancelled() const { return m_cancelled.loadAcquire() != 0; }

    // A cover that fails is no error of the view: it answers an empty picture, so that the
    // placeholder under it stays in sight and nothing is reported.
    void finish(std::optional<QImage> image)
    {
        if (image)
            m_image = std::move(*image);
        Q_EMIT finished();
    }

private:
    QImage m_image;
    QAtomicInteger<int> m_cancelled{0};
};

QCoro::Task<> respond(CoverImageLoader *loader, QPointer<CoverImageResponse> response,
                      std::optional<QUrl> address)
{
    std::optional<QImage> image;
    if (address && response && !response->isCancelled())
        image = co_await loader->load(*address);
    // The engine still waits for finished() after a cancel; it deletes the response then.
    if (response)
        response->finish(std::move(image));
}
} // namespace

CoverImageProvider::CoverImageProvider(CoverImageLoader *loader) : m_loader(loader)
{
    Q_ASSERT(loader);
}

QQuickImageResponse *CoverImageProvider::requestImageResponse(const QString &id, const QSize &)
{
    auto *response = new CoverImageResponse;
    // The cache and every continuation belong to the main thread, and so does the response from
    // here on, so that the main thread can tell whether the engine has deleted it meanwhile.
    response->moveToThread(m_loader->thread());
    QMetaObject::invokeMethod(
        response,
        [loader = m_loader, response, address = CoverImageLoader::addressFromId(id)] {
            respond(loader, response, address);
        },
        Qt::QueuedConnection);
    return response;
}
