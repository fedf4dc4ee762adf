// The launcher's rules: the drawer's packs, visible scenes, badges and preview, and what
// onboarding picks and stores.
#include "support/AppFixture.h"
#include "support/TestCatalogue.h"
#include "support/TestSupport.h"
#include "ui/launcher/OnboardingModel.h"
#include "ui/launcher/SceneDrawerModel.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

using SceneDrawerRules::TileStatus;

namespace {
QList<Playlist> packed(const QList<std::pair<QString, QString>> &idAndPack)
{
    QList<Playlist> scenes;
    for (const auto &entry : idAndPack) {
        Playlist scene{.id = entry.first};
        if (!entry.second.isNull())
            scene.pack = entry.second;
        scenes.append(scene);
    }
    return scenes;
}
} // namespace

class TestLauncher : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void drawerRules()
    {
        const QList<Playlist> scenes =
            packed({{"a", "Rain"}, {"b", QString()}, {"c", "Cafe"}, {"d", "Rain"}, {"e", ""}});
        QCOMPARE(SceneDrawerRules::packs(scenes), (QStringList{"Cafe", "Rain"}));
        QCOMPARE(SceneDrawerRules::packs(packed({{"a", QString()}})), QStringList());
        QCOMPARE(SceneDrawerRules::visible(scenes, ""), (QList<qsizetype>{0, 1, 2, 3, 4}));
        QCOMPARE(SceneDrawerRules::visible(scenes, "Rain"), (QList<qsizetype>{0, 3}));
        QCOMPARE(SceneDrawerRules::visible(scenes, "Gone"), QList<qsizetype>());

        QCOMPARE(SceneDrawerRules::tileStatus("a", "a", "a"), TileStatus::Playing);
        QCOMPARE(SceneDrawerRules::tileStatus("a", "b", "a"), TileStatus::Previewing);
        QCOMPARE(SceneDrawerRules::tileStatus("a", "", ""), TileStatus::None);

        // The preview is found among all scenes, whatever pack is chosen.
        QCOMPARE(SceneDrawerRules::previewed(scenes, "c"), std::optional<qsizetype>(2));
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
        QCOMPARE(drawer.pinHelpText(), "Pin for offline");
        app.environment->player()->playScene("a");
        QTRY_COMPARE(drawer.data(drawer.index(0), SceneDrawerModel::StatusTextRole).toString(),
                     "Playing");
        QCOMPARE(drawer.data(drawer.index(1), SceneDrawerModel::StatusTextRole).toString(), "");
        app.environment->player()->toggleFavorite();
        QTRY_VERIFY(drawer.data(drawer.index(0), SceneDrawerModel::FavoriteRole).toBool());

        QSignalSpy preview(&drawer, &SceneDrawerModel::previewChanged);
        app.environment->pin()->togglePin("b");
        QTRY_VERIFY(drawer.previewPinned());
        QVERIFY(preview.count() >= 1);
        QCOMPARE(drawer.pinHelpText(), "Unpin from offline");
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

        onboarding.toggle("c");
        onboarding.toggle("a");
        QCOMPARE(onboarding.countText(), "2 selected · Pick at least 1");
        onboarding.finish();
        const QJsonObject file =
            QJsonDocument::fromJson(TestSupport::readFile(app.settings->filePath())).object();
        QCOMPARE(file.value("favoriteSceneIds").toString(), "[\"a\",\"c\"]");
        QCOMPARE(file.value("onboardingCompleted").toBool(), true);
        // The player follows what onboarding stored.
        QTRY_COMPARE(app.environment->player()->favoriteIds(), (QSet<QString>{"a", "c"}));

        // A malformed value starts empty; Skip leaves it as it is.
        AppFixture malformed("{\"favoriteSceneIds\": \"[1,\"}");
        ViewSettings other(*malformed.settings);
        OnboardingModel skipped;
        skipped.setSettings(&other);
        QVERIFY(skipped.selected().isEmpty());
        skipped.skip();
        const QJsonObject kept =
            QJsonDocument::fromJson(TestSupport::readFile(malformed.settings->filePath())).object();
        QCOMPARE(kept.value("favoriteSceneIds").toString(), "[1,");
        QCOMPARE(kept.value("onboardingCompleted").toBool(), true);
    }
};

QTEST_MAIN(TestLauncher)
#include "tst_launcher.moc"
