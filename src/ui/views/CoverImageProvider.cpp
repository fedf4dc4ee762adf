#include "ui/views/CoverImageProvider.h"

#include <QAtomicInteger>
#include <QPointer>
#include <QQuickTextureFactory>

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
