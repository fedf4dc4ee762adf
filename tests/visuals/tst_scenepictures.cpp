// The pictures as views: a still of each illustration against its palette, the clock that
// only ticks for what can be seen, and the scene picture loading each kind of content without
// a QML warning.
#include "support/AppFixture.h"
#include "support/QuickItems.h"
#include "support/TestHttpServer.h"
#include "support/TestSupport.h"
#include "ui/views/SceneCover.h"
#include "ui/views/SceneListModel.h"
#include "visuals/ArtClock.h"
#include "visuals/Illustration.h"
#include "visuals/IllustrationView.h"
#include "visuals/VideoLoop.h"

#include <QMediaPlayer>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QTest>
#include <QVector3D>
#include <QVideoSink>

namespace {
// Points as fractions of the picture, and the palette colour expected there.
using Checks = QList<std::pair<QPointF, QString>>;

QStringList warnings;

void collect(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        warnings.append(message);
}

// Within `tolerance` of each channel: stills are antialiased and soft overlays cross them.
bool near(QColor got, QColor expected, int tolerance = 12)
{
    return std::abs(got.red() - expected.red()) <= tolerance &&
           std::abs(got.green() - expected.green()) <= tolerance &&
           std::abs(got.blue() - expected.blue()) <= tolerance;
}

} // namespace

class TestScenePictures : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stillsKeepTheirPalettes_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<Checks>("checks");
        QTest::newRow("cozy room: sunset window, dark floor")
            << "cozy-room" << Checks{{{0.39, 0.125}, "#FFD58A"}, {{0.5, 0.97}, "#1A0E08"}};
        QTest::newRow("rainy Tokyo: sky") << "rainy-tokyo" << Checks{{{0.004, 0.007}, "#2A4258"}};
        QTest::newRow("late café: room and floor")
            << "late-cafe" << Checks{{{0.5, 0.007}, "#1A1008"}, {{0.5, 0.97}, "#0A0604"}};
        QTest::newRow("forest dawn: sky and near ridge")
            << "forest-dawn" << Checks{{{0.5, 0.003}, "#F4D8B8"}, {{0.5, 0.996}, "#3D5A47"}};
        QTest::newRow("subway: tunnel") << "subway" << Checks{{{0.03, 0.625}, "#141A22"}};
        QTest::newRow("vinyl bar: room and record")
            << "vinyl-bar" << Checks{{{0.002, 0.004}, "#2A0E0A"}, {{0.478, 0.697}, "#0A0402"}};
    }

    void stillsKeepTheirPalettes()
    {
        QFETCH(QString, kind);
        QFETCH(Checks, checks);
        const QImage still = Illustration::forKind(kind)->render({1280, 720}, 1.3);
        for (const auto &[at, colour] : checks) {
            const QColor got = still.pixelColor(int(at.x() * 1280), int(at.y() * 720));
            QVERIFY2(near(got, QColor(colour)), qPrintable(colour + " is " + got.name()));
        }
        QVERIFY(!Illustration::forKind("cosy-room"));
    }

    // Nothing wakes up for a picture that cannot be seen.
    void clockTicksOnlyForPicturesOnScreen()
    {
        ArtClock clock;
        QQuickView window;
        window.resize(320, 180);
        auto *art = new IllustrationView(window.contentItem());
        art->setSize({320, 180});
        art->setClock(&clock);
        art->setKind(QStringLiteral("vinyl-bar"));
        QVERIFY(!clock.isRunning());

        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(clock.isRunning());
        const quint64 ticks = clock.tickCount();
        QTRY_VERIFY(clock.tickCount() > ticks);

        art->setVisible(false);
        QVERIFY(!clock.isRunning());
        art->setVisible(true);
        QVERIFY(clock.isRunning());
        window.showMinimized();
        QTRY_VERIFY(!clock.isRunning());
        window.showNormal();
        QTRY_VERIFY(clock.isRunning());
        window.hide();
        QVERIFY(!clock.isRunning());
        window.show();
        QTRY_VERIFY(clock.isRunning());
        delete art;
        QVERIFY(!clock.isRunning());
    }

    // The player starts or pauses only when asked to, and ends in the state last asked for.
    // The video shows only once it has a frame. (One that fails never shows, its scene's next
    // picture staying: the launcher's end-to-end test gives a scene a video that answers 404.)
    void videoLoopFollowsPlayingOnly()
    {
        QMediaPlayer player;
        QVideoSink output;
        player.setVideoSink(&output);
        VideoLoopControl control;
        control.setSource(QStringLiteral("dusk-glow"));
        control.setPlayer(&player);
        QCOMPARE(player.source(), QUrl()); // nothing loads before the view is complete
        control.componentComplete();
        QCOMPARE(player.source(), QUrl("qrc:/qt/qml/Duskhaven/videos/dusk-glow.mp4"));
        QTRY_COMPARE(player.playbackState(), QMediaPlayer::PausedState); // its first frame
        QTRY_VERIFY(control.showsVideo());

        control.setPlaying(true);
        control.setPlaying(false);
        control.setPlaying(true);
        QTRY_COMPARE(player.playbackState(), QMediaPlayer::PlayingState);
        QTRY_VERIFY(player.position() > 0);
        control.setPlaying(false);
        QTRY_COMPARE(player.playbackState(), QMediaPlayer::PausedState);

        control.setSource(QStringLiteral("no-such-loop"));
        QCOMPARE(control.location(), QUrl());
        QCOMPARE(player.source(), QUrl());
        QVERIFY(!control.showsVideo());
    }

    // Every kind of picture loads cleanly, and a change of scene fades one into the next.
    void sceneCoverArtLoadsEveryKindOfPicture()
    {
        TestHttpServer server;
        const QByteArray png = TestSupport::solidPng(Qt::darkCyan);
        server.serve("/cover.png", 200, png);
        server.serve("/gone.png", 404, png);

        AppFixture app;
        app.startShell();
        QObject owner;
        const auto scene = [&](const char *id, std::optional<QString> video,
                               std::optional<SceneArtKind> art, std::optional<QUrl> cover) {
            return new SceneEntry(
                Playlist{.id = id, .coverUrl = cover, .sceneArt = art, .videoLoop = video}, &owner);
        };
        const QList<SceneEntry *> scenes = {
            scene("video", "dusk-glow", SceneArtKind::Subway, {}),
            scene("art", {}, SceneArtKind::ForestDawn, {}),
            scene("cover", {}, {}, server.url("/cover.png")),
            scene("broken cover", {}, {}, server.url("/gone.png")),
            scene("nothing", {}, {}, {}),
        };

        warnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(collect);
        QQuickView view;
        view.setResizeMode(QQuickView::SizeRootObjectToView);
        view.resize(480, 270);
        const bool loaded =
            app.qml->load(view, QStringLiteral("visuals/SceneCoverArt.qml"), app.qml->darkPalette(),
                          {{"scene", QVariant::fromValue(scenes.first())}});
        QQuickItem *root = view.rootObject();
        QVERIFY(root);
        const auto players = [root] {
            // Delegates hang in the item tree, not under their view as objects.
            QList<QMediaPlayer *> found = root->findChildren<QMediaPlayer *>();
            for (QQuickItem *item : QuickItems::itemsOf(root))
                found += item->findChildren<QMediaPlayer *>();
            return found;
        };
        // The carried loop, paused on its first frame: that scene is not playing.
        const auto carriedLoop = [&players]() -> QMediaPlayer * {
            for (QMediaPlayer *player : players())
                if (player->source() == QUrl("qrc:/qt/qml/Duskhaven/videos/dusk-glow.mp4"))
                    return player;
            return nullptr;
        };
        // A view built ahead in a window never shown makes no player, whatever it pictures.
        QTest::qWait(100);
        QVERIFY(players().isEmpty());
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QAbstractItemModel *contents = root->findChild<SceneCoverState *>()->contents();
        QTRY_VERIFY(carriedLoop());
        QTRY_COMPARE(carriedLoop()->playbackState(), QMediaPlayer::PausedState);
        for (SceneEntry *entry : scenes.mid(1)) {
            root->setProperty("scene", QVariant::fromValue(entry));
            QCOMPARE(contents->rowCount(), 2); // the old picture fades out under the new one
            QTRY_COMPARE(contents->rowCount(), 1);
        }
        QTest::qWait(300);
        qInstallMessageHandler(previous);
        QVERIFY(loaded);
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));
        QCOMPARE(server.requestCount("/cover.png"), 1);
        QCOMPARE(server.requestCount("/gone.png"), 1);

        // An illustration takes the vignette into its layers, all of them alike; a cover has it
        // blended over: both keep their middle and darken to 0.65 in the corners.
        QQuickView dark;
        dark.resize(480, 270);
        QVERIFY(app.qml->load(
            dark, QStringLiteral("visuals/SceneCoverArt.qml"), app.qml->darkPalette(),
            {{"scene", QVariant::fromValue(scenes[1])}, {"vignette", QVector3D(60, 200, 0.35f)}}));
        dark.rootObject()->setSize({480, 270});
        dark.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dark));

        const auto darkened = [](QColor colour) {
            return QColor(int(colour.red() * 0.65), int(colour.green() * 0.65),
                          int(colour.blue() * 0.65));
        };
        // The sky in the top corner: still layers only.
        const QColor sky =
            Illustration::forKind("forest-dawn")->render({480, 270}, 0).pixelColor(1, 1);
        QTRY_VERIFY2(near(dark.grabWindow().pixelColor(1, 1), darkened(sky), 4),
                     qPrintable(dark.grabWindow().pixelColor(1, 1).name()));

        dark.rootObject()->setProperty("scene", QVariant::fromValue(scenes[2]));
        QTRY_VERIFY(near(dark.grabWindow().pixelColor(240, 135), QColor(Qt::darkCyan), 4));
        QVERIFY(near(dark.grabWindow().pixelColor(478, 268), darkened(Qt::darkCyan), 4));
    }
};

QTEST_MAIN(TestScenePictures)
#include "tst_scenepictures.moc"
