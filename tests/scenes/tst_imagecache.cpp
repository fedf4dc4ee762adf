#include "storage/ImageCache.h"
#include "support/TestHttpServer.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QNetworkAccessManager>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QTest>

namespace {
QImage solid(int width, int height, QColor colour = Qt::darkCyan)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

QByteArray png(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}
} // namespace

class TestImageCache : public QObject
{
    Q_OBJECT

    std::shared_ptr<QNetworkAccessManager> m_network = std::make_shared<QNetworkAccessManager>();

    std::optional<QImage> load(CoverImageLoader &loader, const QUrl &address)
    {
        auto outcome = TestSupport::wait(loader.load(address));
        if (!outcome.value)
            qFatal("load did not finish");
        return *outcome.value;
    }

private Q_SLOTS:
    void costIsBoundedByTheLimit()
    {
        ImageCache cache;
        QCOMPARE(ImageCache::costOf(solid(300, 200)), 240'000);
        // Each of these costs 16 MiB, so the fifth pushes the least recently used one out.
        const QImage big = solid(2048, 2048);
        for (int i = 0; i < 4; ++i)
            cache.insert(QString::number(i), big);
        QCOMPARE(cache.totalCost(), ImageCache::costLimit);
        QVERIFY(cache.image(QStringLiteral("0"))); // now the most recently used
        cache.insert(QStringLiteral("4"), big);
        QCOMPARE(cache.count(), 4);
        QVERIFY(cache.image(QStringLiteral("0")));
        QVERIFY(!cache.image(QStringLiteral("1")));

        // An image larger than the whole budget is not kept, nor is what it would replace.
        cache.insert(QStringLiteral("0"), solid(4097, 4096));
        QVERIFY(!cache.image(QStringLiteral("0")));
        QVERIFY(cache.totalCost() <= ImageCache::costLimit);
    }

    void loaderFetchesOnceAndStores()
    {
        TestHttpServer server;
        server.serve("/cover.png", 200, png(solid(64, 36)));
        ImageCache cache;
        CoverImageLoader loader(cache, m_network);

        const auto first = load(loader, server.url("/cover.png"));
        QVERIFY(first);
        QCOMPARE(first->size(), QSize(64, 36));
        QCOMPARE(cache.totalCost(), 64 * 36 * 4);
        const auto second = load(loader, server.url("/cover.png"));
        QVERIFY(second);
        QCOMPARE(second->pixel(3, 3), first->pixel(3, 3));
        QCOMPARE(server.requestCount("/cover.png"), 1);
    }

    void failuresStoreNothing_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("404 page") << 404 << QByteArray("<html>Not Found</html>");
        QTest::newRow("200 with text") << 200 << QByteArray("hello");
        QTest::newRow("truncated png") << 200 << png(solid(20, 20)).left(30);
    }

    void failuresStoreNothing()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        TestHttpServer server;
        server.serve("/c", status, body);
        ImageCache cache;
        CoverImageLoader loader(cache, m_network);

        QCOMPARE(load(loader, server.url("/c")), std::nullopt);
        QCOMPARE(cache.count(), 0);
        // Nothing retries by itself, but the next request tries again.
        QCOMPARE(server.requestCount("/c"), 1);
        QCOMPARE(load(loader, server.url("/c")), std::nullopt);
        QCOMPARE(server.requestCount("/c"), 2);

        const QUrl refused(
            QStringLiteral("http://127.0.0.1:%1/c").arg(TestHttpServer::unusedPort()));
        QCOMPARE(load(loader, refused), std::nullopt);
        QCOMPARE(load(loader, QUrl()), std::nullopt);
    }

    void sourceCarriesTheWholeAddress()
    {
        ImageCache cache;
        CoverImageLoader loader(cache, m_network);
        const QUrl address(QStringLiteral("https://h.example/a%2Fb/c%20d.png?w=1&x=%C3%A9#f"));
        const QUrl source = loader.source(address);
        QCOMPARE(source.scheme(), QStringLiteral("image"));
        QCOMPARE(source.host(), QStringLiteral("cover"));
        QCOMPARE(CoverImageLoader::addressFromId(source.path().mid(1)), address);

        QCOMPARE(loader.source(QUrl()), QUrl());
        QCOMPARE(loader.source(QUrl(QStringLiteral("cover.png"))), QUrl());
        QCOMPARE(CoverImageLoader::addressFromId(QStringLiteral("not base64!")), std::nullopt);
    }

    // A QML Image through the provider: the request comes from the engine's reader thread.
    void qmlImageShowsCachedAndFetchedCovers()
    {
        TestHttpServer server;
        server.serve("/fetched.png", 200, png(solid(32, 18, Qt::red)));
        server.serve("/broken.png", 404, "<html>nope</html>");
        ImageCache cache;
        CoverImageLoader loader(cache, m_network);
        const QUrl cachedAddress = server.url("/cached.png");
        cache.insert(cachedAddress.toString(QUrl::FullyEncoded), solid(16, 9, Qt::blue));

        QQmlEngine engine;
        engine.addImageProvider(QString::fromLatin1(CoverImageLoader::providerName),
                                new CoverImageProvider(&loader));
        QQmlComponent component(&engine);
        component.setData("import QtQuick\nImage { asynchronous: true; cache: false }", QUrl());
        const auto show = [&](const QUrl &address) {
            std::unique_ptr<QObject> image(component.create());
            if (!image)
                qFatal("%s", qPrintable(component.errorString()));
            image->setProperty("source", loader.source(address));
            return image;
        };
        constexpr int ready = 1, error = 3; // Image.Ready, Image.Error

        const auto fromCache = show(cachedAddress);
        QTRY_COMPARE(fromCache->property("status").toInt(), ready);
        QCOMPARE(fromCache->property("sourceSize").toSize(), QSize(16, 9));
        QCOMPARE(server.requestCount("/cached.png"), 0);

        const auto fetched = show(server.url("/fetched.png"));
        QTRY_COMPARE(fetched->property("status").toInt(), ready);
        QCOMPARE(fetched->property("sourceSize").toSize(), QSize(32, 18));
        const auto again = show(server.url("/fetched.png"));
        QTRY_COMPARE(again->property("status").toInt(), ready);
        QCOMPARE(server.requestCount("/fetched.png"), 1);

        const auto broken = show(server.url("/broken.png"));
        QTRY_COMPARE(broken->property("status").toInt(), error);
        QCOMPARE(cache.count(), 2);
    }
};

QTEST_MAIN(TestImageCache)
#include "tst_imagecache.moc"
