// What the views read and write: colours from text, the scene each window displays, the typed
// settings, the catalogue's scene list, and every window loading without a QML warning.
#include "core/Translations.h"
#include "support/AppFixture.h"
#include "support/QuickItems.h"
#include "support/TestCatalogue.h"
#include "support/TestSupport.h"
#include "ui/shell/ClickOutsideMonitor.h"
#include "ui/shell/MenuBarController.h"
#include "ui/shell/PanelWindow.h"
#include "ui/shell/QmlHost.h"
#include "ui/views/Theme.h"
#include "visuals/HexColor.h"

#include <QJsonObject>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>

namespace {
// Collects the QML engine's warnings while alive.
struct QmlWarnings
{
    static inline QStringList seen;
    QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext &context, const QString &text) {
            if (type != QtDebugMsg && type != QtInfoMsg &&
                (text.contains(QLatin1String("qrc:/qt/qml/")) ||
                 QByteArray(context.category).startsWith("qt.qml")))
                seen.append(text);
        });
    ~QmlWarnings() { qInstallMessageHandler(previous); }
};
} // namespace

class TestViews : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void hexColours_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("spaces, lower case, no hash") << "  0e1a26\n" << QColor(0x0E, 0x1A, 0x26);
        QTest::newRow("three digits") << "#FFF" << QColor();
        QTest::newRow("eight digits") << "#FF0000FF" << QColor();
        QTest::newRow("empty") << "" << QColor();
        QTest::newRow("sign") << "+12345" << QColor();
        QTest::newRow("prefix") << "0x1234" << QColor();
        QTest::newRow("two hashes") << "##123456" << QColor();
    }

    void hexColours()
    {
        QFETCH(QString, text);
        QFETCH(QColor, expected);
        const std::optional<QColor> parsed = HexColor::parse(text);
        QCOMPARE(parsed.has_value(), expected.isValid());
        if (parsed)
            QCOMPARE(parsed->rgba(), expected.rgba());
        QCOMPARE(HexColor::parseOr(text, Qt::red).rgba(),
                 (expected.isValid() ? expected : QColor(Qt::red)).rgba());
    }

    void settingsReadWithDefaultsAndWritesReachTheServices()
    {
        // Values of the wrong type, as a person might leave them: each reads as its default.
        AppFixture app(R"({"volume": "loud", "reduceMotion": 1, "cacheSizeBudgetMB": 2.5,
                          "favoriteSceneIds": "not json", "animatedSceneLoops": false})");
        app.start();
        ViewSettings settings(*app.settings);
        QCOMPARE(settings.volume(), 0.8);
        QCOMPARE(settings.reduceMotion(), false);
        QCOMPARE(settings.animatedSceneLoops(), false);
        QCOMPARE(settings.openLauncherOnLaunch(), true);
        QCOMPARE(settings.cacheSizeBudgetMB(), 500);
        QCOMPARE(settings.favoriteSceneIds(), QStringList());

        QSignalSpy volume(&settings, &ViewSettings::volumeChanged);
        QSignalSpy budget(&settings, &ViewSettings::cacheSizeBudgetMBChanged);
        QSignalSpy favourites(&settings, &ViewSettings::favoriteSceneIdsChanged);
        settings.setVolume(0.25);
        settings.setVolume(0.25);
        settings.setVolume(7); // held to the range
        settings.setCacheSizeBudgetMB(100);
        settings.setFavoriteSceneIds({"b", "a", "b"});
        QCOMPARE(volume.count(), 0);     // on a later turn, never inside the write
        QTRY_COMPARE(volume.count(), 1); // both writes are seen at once
        QCOMPARE(settings.volume(), 1.0);
        QCOMPARE(budget.count(), 1);
        QCOMPARE(favourites.count(), 1);
        QCOMPARE(settings.favoriteSceneIds(), (QStringList{"a", "b"}));

        // Saved as the stored forms, and in effect in the services.
        const QJsonObject file = TestSupport::readJsonObject(app.settings->filePath());
        QCOMPARE(file.value("favoriteSceneIds").toString(), "[\"a\",\"b\"]");
        QCOMPARE(file.value("cacheSizeBudgetMB").toInteger(), 100);
        QTRY_COMPARE(app.environment->player()->volume(), 1.0f);
        QCOMPARE(app.environment->cache()->budgetBytes(), 100 * 1048576);
        QCOMPARE(app.environment->player()->favoriteIds(), (QSet<QString>{"a", "b"}));

        // A write of another key is no change to these.
        app.settings->setBool(SettingsKey::launchAtLogin, true);
        QTRY_COMPARE(settings.launchAtLogin(), true);
        QTest::qWait(20);
        QCOMPARE(volume.count(), 1);
    }

    void sceneListFollowsTheCatalogueAndThePlayer()
    {
        TestHttpServer server;
        Manifest manifest = servedCatalogue(server, {{"a", {"t1"}}, {"b", {"t2"}}});
        manifest.playlists[0].accentHex = "#112233";
        server.serve("/manifest.json", 200, catalogueJson(manifest));
        AppFixture app;
        app.start(server.url("/manifest.json"));
        SceneListModel model(*app.environment->library(), *app.environment->player());
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        QCOMPARE(model.count(), 0);
        QVERIFY(!model.panelScene() && !model.launcherScene());

        QTRY_COMPARE(model.count(), 2);
        QCOMPARE(reset.count(), 1);
        QCOMPARE(model.at(0)->name(), "Scene a");
        QCOMPARE(model.data(model.index(1), SceneListModel::IdRole).toString(), "b");
        QCOMPARE(model.scene("a")->accent(), QColor(0x11, 0x22, 0x33));
        QVERIFY(!model.scene("b")->accent().isValid());
        QCOMPARE(model.panelScene()->id(), "a");

        QSignalSpy panel(&model, &SceneListModel::panelSceneChanged);
        QSignalSpy launcher(&model, &SceneListModel::launcherSceneChanged);
        app.environment->player()->playScene("b");
        QTRY_COMPARE(panel.count(), 1);
        QCOMPARE(model.panelScene()->id(), "b");
        QCOMPARE(model.launcherScene()->id(), "b");
        app.environment->player()->playCustom(QUrl::fromLocalFile(app.dir.filePath("x.mp3")),
                                              "custom-x");
        QTRY_COMPARE(panel.count(), 2);
        QVERIFY(!model.panelScene());
        QCOMPARE(model.launcherScene()->id(), "a");
        QCOMPARE(launcher.count(), 2);
    }

    // Every window loads without a QML warning; and what the accessibility bus cannot see,
    // the plain texts of the panel, the launcher, its drawer and the settings window, is
    // translated, with a pseudo-translation (each text wrapped as [¡…!]). A text that is not
    // wrapped escaped translation, unless it is the catalogue's, the user's or a figure.
    void everyWindowLoadsCleanAndEveryTextShownIsTranslated()
    {
        const QTemporaryDir folder;
        const QString pseudo = folder.filePath(QStringLiteral("duskhaven_de.qm"));
        QCOMPARE(TestSupport::run(TestSupport::sourceDir() + "/tools/translations",
                                  {QStringLiteral("pseudo"), pseudo})
                     .exitCode,
                 0);
        const Translations translations{QLocale(QLocale::German), {folder.path()}};
        TestHttpServer server;
        const Manifest manifest = servedCatalogue(server, {{"a", {"t1"}}, {"b", {"t2"}}});
        server.serve("/manifest.json", 200, catalogueJson(manifest));
        QmlWarnings warnings;
        AppFixture app(R"({"onboardingCompleted": true})");
        app.start(server.url("/manifest.json"));
        app.startShell();
        QVERIFY(PanelWindow::of(*app.menuBar).rootObject());
        QTRY_COMPARE(app.views->scenes()->count(), 2);
        app.menuBar->showPanel();
        QVERIFY(QTest::qWaitForWindowExposed(&PanelWindow::of(*app.menuBar)));
        // A mix saved on the open panel: its chip carries a menu in a popup that has no window
        // until it opens.
        const QString mix = QStringLiteral("Evening");
        QVERIFY(app.environment->savedMixes()->saveCurrent(mix));
        app.windows->openLauncher();
        app.windows->openSettings();
        QVERIFY(QTest::qWaitForWindowExposed(app.windows->settingsWindow()));
        QVERIFY(QTest::qWaitForWindowExposed(app.windows->launcher()));
        QTest::qWait(200);
        QVERIFY2(QmlWarnings::seen.isEmpty(), qPrintable(QmlWarnings::seen.join('\n')));
        QVERIFY(app.windows->launcher()->rootObject());
        QVERIFY(app.windows->settingsWindow()->rootObject());

        const QRegularExpression wrapped(QStringLiteral("\\[¡.*?!\\]"),
                                         QRegularExpression::DotMatchesEverythingOption);
        const QRegularExpression sizes(QStringLiteral("\\d+ [KMGT]?B\\b"));
        const QRegularExpression words(QStringLiteral("[^\\W\\d_]{2,}"));
        QStringList escaped;
        for (QQuickWindow *window : {static_cast<QQuickWindow *>(&PanelWindow::of(*app.menuBar)),
                                     static_cast<QQuickWindow *>(app.windows->launcher()),
                                     static_cast<QQuickWindow *>(app.windows->settingsWindow())}) {
            for (QQuickItem *item : QuickItems::itemsOf(window->contentItem(), true)) {
                if (!item->inherits("QQuickText"))
                    continue;
                QString rest = item->property("text").toString().remove(wrapped);
                for (const Playlist &scene : manifest.playlists)
                    rest.remove(scene.name);
                rest.remove(QStringLiteral("Dusk Haven")).remove(mix).remove(sizes);
                if (rest.contains(words))
                    escaped.append(item->property("text").toString());
            }
        }
        QVERIFY2(escaped.isEmpty(), qPrintable(escaped.join(QLatin1Char('\n'))));
    }

    // Set once on a root, the palette and the symbols reach every item below it: through a
    // subtree with a palette of its own, into a popup before and after it is shown, and to an
    // item moved into that subtree.
    void theThemeReachesEveryItemFromTheRoot()
    {
        QTest::failOnWarning(QRegularExpression(".*"));
        QmlHost::registerTypes();
        QQmlEngine engine;
        engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
        QQmlComponent component(&engine);
        component.setData(R"(
import QtQuick
import QtQuick.Controls.Basic
import Duskhaven
Item {
    id: root
    required property ThemePalette darkPalette
    Item { Item { objectName: "deep"; property color ink: Theme.palette.canvas } }
    Item {
        objectName: "dark"
        Theme.palette: root.darkPalette
        Item {
            objectName: "inner"
            property color ink: Theme.palette.canvas
            property string font: Theme.symbols.fontFamily
        }
    }
    Popup {
        objectName: "popup"
        contentItem: Item { objectName: "content"; property color ink: Theme.palette.canvas }
    }
    // A delegate built after the window's tree, with a popup whose content nests items.
    property int delegates: 0
    Repeater {
        objectName: "repeater"
        model: root.delegates
        Item {
            property alias ink: nested.ink
            Popup {
                contentItem: Column {
                    Item { id: nested; property color ink: Theme.palette.canvas }
                }
            }
        }
    }
})",
                          QUrl());
        ThemePalette light(ColorScheme::Light), dark(ColorScheme::Dark);
        SymbolTable symbols("Symbol Font");
        std::unique_ptr<QObject> root(component.beginCreate(engine.rootContext()));
        QVERIFY2(root, qPrintable(component.errorString()));
        component.setInitialProperties(root.get(), {{"darkPalette", QVariant::fromValue(&dark)}});
        Theme::set(*root, light, symbols);
        component.completeCreate();
        const auto ink = [&root](const char *name) {
            return root->findChild<QObject *>(name)->property("ink").value<QColor>();
        };
        QCOMPARE(ink("deep"), light.canvas());
        QCOMPARE(ink("inner"), dark.canvas());
        QCOMPARE(root->findChild<QObject *>("inner")->property("font").toString(), "Symbol Font");
        QCOMPARE(ink("content"), light.canvas());

        QQuickWindow window;
        qobject_cast<QQuickItem *>(root.get())->setParentItem(window.contentItem());
        QMetaObject::invokeMethod(root->findChild<QObject *>("popup"), "open");
        QCOMPARE(ink("content"), light.canvas());
        auto *deep = root->findChild<QQuickItem *>("deep");
        deep->parentItem()->setParentItem(root->findChild<QQuickItem *>("dark"));
        QCOMPARE(ink("deep"), dark.canvas());

        root->setProperty("delegates", 1);
        QQuickItem *delegate = nullptr;
        QMetaObject::invokeMethod(root->findChild<QObject *>("repeater"), "itemAt",
                                  Q_RETURN_ARG(QQuickItem *, delegate), Q_ARG(int, 0));
        QVERIFY(delegate);
        QCOMPARE(delegate->property("ink").value<QColor>(), light.canvas());
    }
};

QTEST_MAIN(TestViews)
#include "tst_views.moc"
