#pragma once

#include "catalogue/HTTPClient.h"

#include <QCache>
#include <QCoroTask>
#include <QImage>
#include <QObject>
#include <QString>
#include <QUrl>
#include <memory>
#include <optional>

class QNetworkAccessManager;

// Decoded cover images in memory, keyed by their address, shared by every view of the process.
// The total cost stays within costLimit; when a new image would pass it, the least recently used
// images make room. Images are never written to disk. Main thread only.
class ImageCache
{
public:
    static constexpr qint64 costLimit = 67'108'864; // 64 MiB at four bytes per point

    ImageCache();

    // Four bytes per point of the image's size.
    static qint64 costOf(const QImage &image);

    // The image stored under address, if it is still there (it may have been dropped).
    std::optional<QImage> image(const QString &address);
    // Stores image under address, replacing what was there. An image that alone costs more than
    // the limit is not kept.
    void insert(const QString &address, const QImage &image);

    qint64 totalCost() const { return m_images.totalCost(); }
    qsizetype count() const { return m_images.count(); }

private:
    QCache<QString, QImage> m_images;
};

// Finds the image of a cover address: from the cache, otherwise with one plain GET (no retries)
// whose body, when the answer is a 2xx, is decoded and stored; a picture the application wrote
// itself (a custom scene's cover) is read from its folder. Main thread only.
class CoverImageLoader : public QObject
{
    Q_OBJECT
public:
    // The name under which the provider is added to a QML engine.
    static constexpr const char *providerName = "cover";

    CoverImageLoader(ImageCache &cache, const HTTPClient &http, QObject *parent = nullptr);

    // None when there is no address, the fetch fails, the status is not 2xx or the body is not
    // an image; nothing is stored then and a later call tries again.
    QCoro::Task<std::optional<QImage>> load(QUrl address);

    // The source a QML Image gives to show address through the provider ("image://cover/…");
    // an empty URL for an empty or relative address, so that nothing is requested.
    Q_INVOKABLE QUrl source(const QUrl &address) const;
    // The cover address inside a provider id made by source(); none for anything else.
    static std::optional<QUrl> addressFromId(const QString &id);

    ImageCache &cache() const { return m_cache; }

    // The folder of the pictures the application writes: its files are read through their
    // file: addresses. Any other file: address goes to the client (which refuses it outside
    // its own local folder). None by default.
    void setPictureFolder(const QString &folder);

private:
    ImageCache &m_cache;
    HTTPClient m_http;
    QString m_pictureFolder; // empty when there is none
};
