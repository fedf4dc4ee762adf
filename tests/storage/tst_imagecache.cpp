#include "storage/ImageCache.h"
#include "support/TestHttpServer.h"
#include "support/TestSupport.h"
#include "ui/views/CoverImageProvider.h"

#include <QNetworkAccessManager>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QTest>

namespace {
QImage solid(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::darkCyan);
    return image;
}
} // namespace

class TestImageCache : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void costIsBoundedByTheLimit()
    {
        ImageCache cache;
        // Each costs 16 MiB, so the fifth pushes out the least recently used one.
        const QImage big = solid(2048, 2048);
        for (int i = 0; i < 4; ++i)
            cache.insert(QString::number(i), big);
        QCOMPARE(cache.totalCost(), ImageCache::costLimit);
        QVERIFY(cache.image("0"));
        cache.insert("4", big);
        QVERIFY(cache.image("0"));
        QVERIFY(!cache.image("1"));

        // An image beyond the whole budget is not kept, nor is the one it would replace.
        cache.insert("0", solid(4097, 4096));
        QVERIFY(!cache.image("0"));
        QCOMPARE(cache.totalCost(), 3 * ImageCache::costOf(big));
    }

    // QML Images through the provider, whose requests come from the engine's reader thread.
    void qmlImagesShowCachedAndFetchedCovers()
    {
        TestHttpServer server;
        server.serve("/fetched.png", 200, TestSupport::solidPng(Qt::darkCyan, {32, 18}));
        server.serve("/broken.png", 404, "<html>not found</html>");
        server.serve("/missing.png", 404,
                     TestSupport::solidPng(Qt::darkCyan, {8, 8})); // a server's "not found" picture
        ImageCache cache;
        CoverImageLoader loader(cache, HTTPClient(std::make_shared<QNetworkAccessManager>()));
        const QUrl cachedAddress = server.url("/cached.png");
        cache.insert(cachedAddress.toString(), solid(16, 9));
        // The provider must get the whole address back, escapes and query included.
        QUrl fetchedAddress = server.url("/fetched.png");
        fetchedAddress.setQuery("w=1&t=a%2Fb");

        QQmlEngine engine;
        engine.addImageProvider(QString::fromLatin1(CoverImageLoader::providerName),
                                new CoverImageProvider(&loader));
        QQmlComponent component(&engine);
        component.setData("import QtQuick\nImage { asynchronous: true; cache: false }", QUrl());
        const auto show = [&](const QUrl &address) {
            std::unique_ptr<QObject> image(component.create());
            image->setProperty("source", loader.source(address));
            return image;
        };
        constexpr int ready = 1; // Image.Ready

        const auto fromCache = show(cachedAddress);
        QTRY_COMPARE(fromCache->property("status").toInt(), ready);
        QCOMPARE(fromCache->property("sourceSize").toSize(), QSize(16, 9));
        QCOMPARE(server.requestCount("/cached.png"), 0);

        for (int view = 0; view < 2; ++view) {
            const auto fetched = show(fetchedAddress);
            QTRY_COMPARE(fetched->property("status").toInt(), ready);
            QCOMPARE(fetched->property("sourceSize").toSize(), QSize(32, 18));
        }
        QCOMPARE(server.requestCount("/fetched.png"), 1);
        QCOMPARE(cache.totalCost(), (16 * 9 + 32 * 18) * 4);

        // An error answer stores nothing, even when its body is an image, shows an empty picture
        // (no warning: the view's placeholder stays in sight) and is asked for again by the
        // next view.
        for (const char *path : {"/broken.png", "/missing.png"}) {
            for (int view = 1; view <= 2; ++view) {
                const auto broken = show(server.url(path));
                QTRY_COMPARE(server.requestCount(path), view);
                QTRY_COMPARE(broken->property("status").toInt(), ready);
                QCOMPARE(broken->property("sourceSize").toSize(), QSize(0, 0));
            }
        }
        QCOMPARE(cache.count(), 2);
        QCOMPARE(loader.source(QUrl()), QUrl()); // no address, no request
    }
};

QTEST_MAIN(TestImageCache)
#include "tst_imagecache.moc"
