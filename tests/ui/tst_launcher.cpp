// The launcher's rules: the drawer's packs, visible scenes, badges and preview, and what
// onboarding picks and stores.
#include "support/AppFixture.h"
#include "support/QuickItems.h"
#include "support/TestCatalogue.h"
#include "support/TestSupport.h"
#include "ui/launcher/OnboardingModel.h"
#include "ui/launcher/SceneDrawerModel.h"
#include "ui/theme/Spring.h"

#include <QJsonObject>
#include <QQuickItem>
#include <QQuickView>
#include <QSignalSpy>
#include <QTest>

using SceneDrawerRules::TileStatus;

namespace {
QList<Playlist> packed(const QList<std::pair<QString, QString>> &idAndPack)
{
    QList<Playlist> scenes;
    for (const auto &[id, pack] : idAndPack)
        scenes.append({.id = id, .pack = pack.isNull() ? std::nullopt : std::optional(pack)});
    return scenes;
}
} // namespace

class TestLauncher : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QAccessible::setActive(true); }

    void drawerRules()
    {
        const QList<Playlist> scenes =
            packed({{"a", "Rain"}, {"b", QString()}, {"c", "Cafe"}, {"d", "Rain"}, {"e", ""}});
        QCOMPARE(SceneDrawerRules::packs(scenes), (QStringList{"Cafe", "Rain"}));
        QCOMPARE(SceneDrawerRules::packs(packed({{"a", QString()}})), QStringList());
        QCOMPARE(SceneDrawerRules::visible(scenes, ""), (QList<qsizetype>{0, 1, 2, 3, 4}));
        QCOMPARE(SceneDrawerRules::visible(scenes, "Gone"), QList<qsizetype>());

        QCOMPARE(SceneDrawerRules::tileStatus("a", "a", "a"), TileStatus::Playing);
        QCOMPARE(SceneDrawerRules::tileStatus("a", "b", "a"), TileStatus::Previewing);
        QCOMPARE(SceneDrawerRules::tileStatus("a", "", ""), TileStatus::None);

        QCOMPARE(SceneDrawerRules::previewed(scenes, ""), std::nullopt);
        QCOMPARE(SceneDrawerRules::previewed(scenes, "zz"), std::nullopt);
    }

    void drawerModelFollowsPlayerPinsAndPack()
    {
        TestHttpServer server;
        Manifest manifest = servedCatalogue(server, {{"a", {"t1"}}, {"b", {"t2"}}, {"c", {"t3"}}});
        manifest.playlists[0].pack = "Rain";
        manifest.playlists[2].pack = "Rain";
        server.serve("/manifest.json", 200, catalogueJson(manifest));
        AppFixture app;
        app.start(server.url("/manifest.json"));
        SceneListModel scenes(*app.environment->library(), *app.environment->player());
        QTRY_COMPARE(scenes.count(), 3);

        SceneDrawerModel drawer;
        drawer.setScenes(&scenes);
        drawer.setPlayer(app.environment->player());
        drawer.setPins(app.environment->pin());
        QCOMPARE(drawer.rowCount(), 3);
        QCOMPARE(drawer.packs(), QStringList{"Rain"});
        drawer.setSelectedPack("Rain");
        QCOMPARE(drawer.rowCount(), 2);

        // Previewing b, outside the pack: the card shows it, no tile of the grid does.
        drawer.setPreviewId("b");
        QCOMPARE(drawer.previewedScene()->id(), "b");
        app.environment->player()->playScene("a");
        QTRY_COMPARE(drawer.data(drawer.index(0), SceneDrawerModel::StatusTextRole).toString(),
                     "Playing");
        QCOMPARE(drawer.data(drawer.index(1), SceneDrawerModel::StatusTextRole).toString(), "");
        app.environment->player()->toggleFavorite();
        QTRY_VERIFY(drawer.data(drawer.index(0), SceneDrawerModel::FavoriteRole).toBool());

        // A pin that fails says why in the card, and a later one that works clears it.
        server.serve("/t2.mp3", 404, "");
        app.environment->pin()->togglePin("b");
        QTRY_VERIFY(!drawer.pinErrorText().isEmpty());
        QVERIFY(!drawer.previewPinned());
        server.serve("/t2.mp3", 200, "audio of t2");
        app.environment->pin()->togglePin("b");
        QTRY_VERIFY(drawer.previewPinned());
        QCOMPARE(drawer.pinErrorText(), "");
    }

    void onboardingPicksAndStores()
    {
        // Stored favourites start picked.
        AppFixture app("{\"favoriteSceneIds\": \"[\\\"b\\\"]\"}");
        app.start();
        ViewSettings settings(*app.settings);
        OnboardingModel onboarding;
        onboarding.setSettings(&settings);
        QCOMPARE(onboarding.selected(), QStringList{"b"});
        QCOMPARE(onboarding.step(), 0);
        onboarding.start();
        QCOMPARE(onboarding.step(), 1);

        onboarding.toggle("b");
        QVERIFY(!onboarding.canContinue());
        QCOMPARE(onboarding.countText(), "0 selected · Pick at least 1");
        onboarding.finish(); // inert with nothing picked
        QVERIFY(!settings.onboardingCompleted());

        // A malformed value starts empty; Skip leaves it as it is.
        AppFixture malformed("{\"favoriteSceneIds\": \"[1,\"}");
        ViewSettings other(*malformed.settings);
        OnboardingModel skipped;
        skipped.setSettings(&other);
        QVERIFY(skipped.selected().isEmpty());
        skipped.skip();
        const QJsonObject kept = TestSupport::readJsonObject(malformed.settings->filePath());
        QCOMPARE(kept.value("favoriteSceneIds").toString(), "[1,");
        QCOMPARE(kept.value("onboardingCompleted").toBool(), true);
    }

    void arrowKeysMoveThroughTheDrawerGrid()
    {
        TestHttpServer server;
        QList<std::pair<QString, QStringList>> scenes;
        for (const char *id : {"a", "b", "c", "d", "e"})
            scenes.append({id, {QStringLiteral("t-") + id}});
        Manifest manifest = servedCatalogue(server, scenes);
        server.serve("/manifest.json", 200, catalogueJson(manifest));
        AppFixture app("{\"onboardingCompleted\": true}");
        app.start(server.url("/manifest.json"));
        app.startShell();
        QTRY_COMPARE(app.views->scenes()->count(), 5);
        app.windows->openLauncher();
        QQuickView *window = app.windows->launcher();
        QVERIFY(QTest::qWaitForWindowExposed(window));

        const auto tileNamed = [window](const QString &name) {
            return QuickItems::named(QuickItems::itemsOf(window->contentItem(), true), name);
        };
        // The closed drawer is drawn ahead out of sight once the window is idle, then hidden.
        const QList<QQuickItem *> items = window->contentItem()->findChildren<QQuickItem *>();
        const auto drawer = std::find_if(items.begin(), items.end(), [](QQuickItem *item) {
            return item->property("warmFrames").isValid();
        });
        QVERIFY(drawer != items.end());
        QTRY_VERIFY((*drawer)->property("warmFrames").toInt() >= 5);
        QVERIFY(!tileNamed("Scene a"));
        QCOMPARE((*drawer)->property("coveredWidth").toReal(), 0.0);

        window->rootObject()->setProperty("drawerOpen", true);
        QTRY_VERIFY(tileNamed("Scene a"));
        tileNamed("Scene a")->forceActiveFocus();
        // Two columns: Down is a row, Right a tile; the edges hold the focus in the grid.
        const QList<std::pair<Qt::Key, QString>> steps{
            {Qt::Key_Down, "Scene c"}, {Qt::Key_Right, "Scene d"}, {Qt::Key_Down, "Scene d"},
            {Qt::Key_Left, "Scene c"}, {Qt::Key_Down, "Scene e"},  {Qt::Key_Up, "Scene c"},
            {Qt::Key_Up, "Scene a"},   {Qt::Key_Up, "Scene a"},    {Qt::Key_Left, "Scene a"}};
        for (const auto &[key, expected] : steps) {
            QTest::keyClick(window, key);
            QCOMPARE(QuickItems::accessibleName(window->activeFocusItem()), expected);
        }
    }

    void springSettlesWithoutVisibleOvershoot()
    {
        const QEasingCurve curve = Spring::curve();
        QCOMPARE(curve.valueForProgress(0), 0.0);
        QCOMPARE(curve.valueForProgress(1), 1.0);
        double peak = 0;
        for (int step = 1; step < 100; ++step)
            peak = std::max(peak, curve.valueForProgress(step / 100.0));
        QVERIFY(peak > 1 && peak < 1.01);
        QVERIFY(std::abs(curve.valueForProgress(0.99) - 1) < 0.005);
    }
};

QTEST_MAIN(TestLauncher)
#include "tst_launcher.moc"
