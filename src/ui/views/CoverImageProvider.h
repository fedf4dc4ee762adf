#pragma once

#include "storage/ImageCache.h"

#include <QQuickAsyncImageProvider>

// The asynchronous image provider that QML Images use to show covers. Requests arrive on the
// engine's image-reading thread; the work is handed to the loader on the main thread. The
// loader must outlive every engine the provider is added to.
class CoverImageProvider : public QQuickAsyncImageProvider
{
public:
    explicit CoverImageProvider(CoverImageLoader *loader);

    QQuickImageResponse *requestImageResponse(const QString &id,
                                              const QSize &requestedSize) override;

private:
    CoverImageLoader *m_loader;
};
