#include "catalogue/CatalogueAddress.h"
#include "catalogue/LibraryService.h"
#include "core/BuildInfo.h"
#include "storage/CacheEntry.h"
#include "support/AppFixture.h"
#include "support/AudioFiles.h"
#include "support/QuickItems.h"
#include "support/TestCatalogue.h"
#include "support/TestHttpServer.h"
#include "support/TestSupport.h"
#include "ui/settings/SettingsView.h"
#include "ui/settings/XdgAutostart.h"

#include <QAccessible>
#include <QDir>
#include <QQuickItem>
#include <QSignalSpy>
#include <QTest>

namespace {
using namespace QuickItems;

// The window's visible control with this accessible role and name.
QQuickItem *control(QQuickWindow *window, QAccessible::Role role, const QString &name)
{
    return named(itemsOf(window->contentItem(), true), name, role);
}

SettingsView *viewOf(SettingsWindow *window)
{
    return window->rootObject()->findChild<SettingsView *>();
}
} // namespace

class TestSettingsWindow : public QObject
{
    Q_OBJECT

    static SettingsWindow *open(AppFixture &app)
    {
        app.windows->openSettings();
        SettingsWindow *window = app.windows->settingsWindow();
        return QTest::qWaitForWindowExposed(window) ? window : nullptr;
    }

private Q_SLOTS:
    void initTestCase()
    {
        // As when an assistive technology is listening: the controls answer its actions.
        QAccessible::setActive(true);
    }

    void firstOpeningShowsTheDefaultsWritesNothingAndTabsTopToBottom()
    {
        AppFixture app;
        app.startShell();
        QSignalSpy budget(app.environment->cache(), &CacheService::budgetBytesChanged);
        SettingsWindow *window = open(app);
        QVERIFY(window);
        QQuickItem *root = window->rootObject();
        SettingsView *view = viewOf(window);
        QCOMPARE(view->versionText(), "Version " + QString::fromUtf8(BuildInfo::version));
        QCOMPARE(SettingsView::versionText(""), "Version 1.0");
        QCOMPARE(view->lowBatteryHint(), "Stop when battery falls below 20% and unplugged");
        QCOMPARE(view->budgetLabel(), "500 MB");
        QCOMPARE(view->budgetIndex(), 2);

        const QStringList tabOrder =
            QStringLiteral("Close|Pause when another app plays audio|Pause in Low Power Mode|"
                           "Pause on low battery|Launch at login|Open launcher on app launch|"
                           "Animated scene loops|Reduce motion|Shorter: Focus|Longer: Focus|"
                           "Shorter: Break|Longer: Break|Shorter: Long break|Longer: Long break|"
                           "Focus mix: None|Break mix: None|Add a schedule|Add|"
                           "Enable global hotkeys|Cache budget|Catalogue address|"
                           "Reset playback cache")
                .split(QLatin1Char('|'));
        // Every switch starts off but these two.
        QMap<QString, bool> expected;
        for (const QString &name : tabOrder.mid(1, 7) + QStringList{"Enable global hotkeys"})
            expected.insert(name, name == "Open launcher on app launch" ||
                                      name == "Animated scene loops");
        QMap<QString, bool> switches;
        for (QQuickItem *item : itemsOf(root)) {
            if (QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(item);
                item->isVisible() && iface && iface->role() == QAccessible::CheckBox)
                switches.insert(accessibleName(item), iface->state().checked);
        }
        QCOMPARE(switches, expected);

        // Tab walks the controls from the top of the card to its bottom, scrolling along.
        QVERIFY(QTest::qWaitForWindowActive(window));
        QStringList order;
        for (qsizetype i = 0; i < tabOrder.size(); ++i) {
            QTest::keyClick(window, Qt::Key_Tab);
            order.append(accessibleName(window->activeFocusItem()));
        }
        QCOMPARE(order, tabOrder);
        QVERIFY(root->findChild<QQuickItem *>("settingsScroll")->property("contentY").toReal() > 0);

        QTest::qWait(50); // a follower of a setting would act on a later turn
        QCOMPARE(TestSupport::readFile(app.dir.filePath("settings.json")), QByteArray("{}"));
        QCOMPARE(budget.count(), 0);
        QVERIFY(!QFile::exists(XdgAutostart::defaultFilePath()));
    }

    void budgetChangeEvictsAtOnceAndReopeningReappliesNothing()
    {
        AppFixture app;
        app.startShell();
        const QString cacheDir = app.locations.cacheDir();
        constexpr qint64 mib = CacheService::bytesPerMegabyte;
        for (int i = 0; i < 3; ++i) {
            const QString id = QStringLiteral("t%1").arg(i);
            QVERIFY(TestSupport::writeFile(cacheDir + "/" + id + ".mp3", "x"));
            app.store->insert(
                CacheEntry{id, 60 * mib, QDateTime::currentDateTimeUtc().addSecs(i * 60)});
        }
        app.store->save();

        SettingsView *view = viewOf(open(app));
        view->chooseBudget(0); // "100 MB"
        QTRY_COMPARE(app.environment->cache()->budgetBytes(), 100 * mib);
        QCOMPARE(QDir(cacheDir).entryList(QDir::Files), QStringList{"t2.mp3"});
        QTRY_COMPARE(view->budgetLabel(), "100 MB");
        view->chooseBudget(2); // "500 MB": nothing comes back
        QTRY_COMPARE(app.environment->cache()->budgetBytes(), 500 * mib);
        QCOMPARE(QDir(cacheDir).entryList(QDir::Files), QStringList{"t2.mp3"});

        QSignalSpy budget(app.environment->cache(), &CacheService::budgetBytesChanged);
        const QByteArray stored = TestSupport::readFile(app.dir.filePath("settings.json"));
        QPointer<SettingsWindow> first = app.windows->settingsWindow();
        first->close();
        QTRY_VERIFY(first.isNull());
        QCOMPARE(viewOf(open(app))->budgetLabel(), "500 MB");
        QTest::qWait(50);
        QCOMPARE(budget.count(), 0);
        QCOMPARE(TestSupport::readFile(app.dir.filePath("settings.json")), stored);
    }

    void catalogueAddressIsASettingTheLibraryFollows()
    {
        TestHttpServer server;
        const QUrl a = server.url("/a.json"), b = server.url("/b.json"), bad = server.url("/x");
        server.serve("/a.json", 200, catalogueJson(sceneCatalogue({{"from-a", {"t1"}}})));
        server.serve("/b.json", 200, catalogueJson(sceneCatalogue({{"from-b", {"t1"}}})));
        server.serve("/x", 404, "no catalogue here");
        AppFixture app(QStringLiteral(R"({"catalogueUrl": "%1"})").arg(a.toString()).toUtf8());
        app.start(std::nullopt);
        app.startShell();
        LibraryService *library = app.environment->library();
        const auto sceneShown = [library] {
            return library->hasManifest() ? library->manifest()->playlists.first().id : QString();
        };
        QTRY_COMPARE(sceneShown(), "from-a");
        SettingsView view;
        view.setServices(app.views);
        QCOMPARE(view.catalogueAddress(), a.toString());
        QVERIFY(!view.catalogueAddressIsDefault());
        QCOMPARE(view.catalogueStatus(), QString());

        // Not a web address: refused with its reason, nothing stored or fetched.
        view.setCatalogueAddress("file:///etc/passwd");
        QCOMPARE(view.catalogueStatus(), "“file:///etc/passwd” is not a web address. Use one "
                                         "that starts with https:// or http://.");
        QCOMPARE(view.catalogueAddress(), a.toString());

        // A wrong address is stored and tried; the catalogue in use and its copy stay.
        const QByteArray cached = TestSupport::readFile(app.locations.manifestFile());
        view.setCatalogueAddress(bad.toString());
        QTRY_COMPARE(view.catalogueStatus(), "Could not load the catalogue: The server answered "
                                             "with status 404. The scenes shown stay until it "
                                             "loads.");
        QCOMPARE(sceneShown(), "from-a");
        QCOMPARE(TestSupport::readFile(app.locations.manifestFile()), cached);

        view.setCatalogueAddress("  " + b.toString() + " ");
        QTRY_COMPARE(sceneShown(), "from-b");
        QTRY_COMPARE(view.catalogueStatus(), QString());

        view.resetCatalogueAddress();
        QVERIFY(view.catalogueAddressIsDefault());
        QVERIFY(!app.settings->contains(SettingsKey::catalogueUrl));
        QTRY_COMPARE(library->manifestURL(), CatalogueAddress::builtIn());

        // An address fixed for the run (DUSKHAVEN_MANIFEST_URL) wins over the setting.
        AppFixture fixed;
        fixed.start(a);
        fixed.startShell();
        QTRY_VERIFY(fixed.environment->library()->hasManifest());
        SettingsView fixedView;
        fixedView.setServices(fixed.views);
        fixedView.setCatalogueAddress(b.toString());
        QTest::qWait(50); // a follower of a setting would act on a later turn
        QCOMPARE(fixed.environment->library()->manifestURL(), a);
        QCOMPARE(fixedView.catalogueStatus(),
                 QStringLiteral("This run uses %1, set by DUSKHAVEN_MANIFEST_URL.")
                     .arg(a.toDisplayString()));
    }

    void resetAsksFirstAndCopesWithAnEmptyFolder()
    {
        AppFixture app;
        app.startShell();
        SettingsWindow *window = open(app);
        QVERIFY(window);
        const QString cached = app.locations.cacheDir() + "/a.mp3";
        const QString pinned = app.locations.pinnedDir() + "/b.mp3";
        QVERIFY(TestSupport::writeFile(cached, "a"));
        QVERIFY(TestSupport::writeFile(pinned, "b"));

        QVERIFY(press(control(window, QAccessible::Button, "Reset playback cache")));
        QTRY_VERIFY(control(window, QAccessible::Button, "Cancel"));
        QVERIFY(press(control(window, QAccessible::Button, "Cancel")));
        QTRY_VERIFY(!control(window, QAccessible::Button, "Cancel"));
        QVERIFY(QFile::exists(cached));

        QVERIFY(press(control(window, QAccessible::Button, "Reset playback cache")));
        QTRY_VERIFY(control(window, QAccessible::Button, "Reset"));
        QVERIFY(press(control(window, QAccessible::Button, "Reset")));
        QVERIFY(!QFile::exists(cached));
        QVERIFY(QFile::exists(pinned));

        // Nothing left, and then no folder at all: both complete quietly.
        app.environment->cache()->clearCache();
        QVERIFY(QDir(app.locations.cacheDir()).removeRecursively());
        app.environment->cache()->clearCache();
        QVERIFY(QFile::exists(pinned));
    }

    void autostartEntryFollowsTheSwitchOnly()
    {
        QTemporaryDir dir;
        const QString entry = dir.filePath("autostart/app.duskhaven.DuskHaven.desktop");
        const QString executable = dir.filePath("my apps/$dusk \"haven\"");
        SettingsStore settings(dir.filePath("settings.json"));
        // Found at start while the setting says off: left alone until the user toggles.
        QVERIFY(TestSupport::writeFile(entry, "left by hand"));
        XdgAutostart autostart(settings, entry, executable);
        QTest::qWait(20);
        QCOMPARE(TestSupport::readFile(entry), QByteArray("left by hand"));

        settings.setBool(SettingsKey::launchAtLogin, true);
        QTRY_VERIFY(TestSupport::readFile(entry).startsWith("[Desktop Entry]"));
        const QByteArray written = TestSupport::readFile(entry);
        QVERIFY(written.contains(
            "\nExec=\"" + dir.filePath("my apps/\\\\$dusk \\\\\"haven\\\\\"").toUtf8() + "\"\n"));
        QVERIFY(written.contains("\nType=Application\n"));
        QVERIFY(QDir(dir.filePath("autostart")).entryList(QDir::Files | QDir::Hidden) ==
                QStringList{"app.duskhaven.DuskHaven.desktop"});

        settings.setBool(SettingsKey::launchAtLogin, false);
        QTRY_VERIFY(!QFile::exists(entry));
        QVERIFY(autostart.apply(false)); // already gone is done
    }

    // The entry this app wrote under its earlier name moves to the id's name; one of that name
    // that a person wrote stays theirs; with both, the old one goes and the new one stays.
    void anEarlierAutostartEntryIsAdopted()
    {
        QTemporaryDir dir;
        const QString entry = dir.filePath("app.duskhaven.DuskHaven.desktop");
        const QString old = dir.filePath("dusk-haven.desktop");
        const QByteArray earlier = XdgAutostart::desktopEntry("/opt/old/duskhaven")
                                       .replace("Icon=app.duskhaven.DuskHaven", "Icon=dusk-haven");
        QVERIFY(TestSupport::writeFile(old, earlier));
        QVERIFY(XdgAutostart::adoptOldEntry(entry, "/usr/bin/duskhaven"));
        QVERIFY(!QFile::exists(old));
        QCOMPARE(TestSupport::readFile(entry), XdgAutostart::desktopEntry("/usr/bin/duskhaven"));

        QVERIFY(TestSupport::writeFile(old, "[Desktop Entry]\nName=My own\n"));
        QVERIFY(!XdgAutostart::adoptOldEntry(entry, "/usr/bin/duskhaven"));
        QVERIFY(QFile::exists(old));

        QVERIFY(TestSupport::writeFile(old, earlier));
        QVERIFY(TestSupport::writeFile(entry, "kept"));
        QVERIFY(XdgAutostart::adoptOldEntry(entry, "/usr/bin/duskhaven"));
        QCOMPARE(TestSupport::readFile(entry), QByteArray("kept"));
        QVERIFY(!QFile::exists(old));
    }

    // Closing the window answers its open file dialog; the row keeps a try after a cancel and
    // marks a missing file.
    void customSceneRowAndItsFileDialog()
    {
        AppFixture app;
        app.startShell();
        SettingsWindow *window = open(app);
        QVERIFY(window);
        CustomScenesService &scenes = *app.environment->customScenes();
        QSignalSpy finished(&scenes, &CustomScenesService::pickAndAddFinished);
        scenes.startPickAndAdd("typed");
        QVERIFY(app.environment->customScenePicker()->isWaiting()); // the dialog is showing
        window->close();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().toString(), QString());

        std::optional<QUrl> answer;
        // A copy: a co_return of the variable itself moves it away.
        scenes.setFilePicker([&answer]() -> QCoro::Task<std::optional<QUrl>> {
            co_return std::optional<QUrl>(answer);
        });
        SettingsView view;
        view.setServices(app.views);
        view.toggleAddRow();
        view.setNewName("Late Train");

        view.pickFile(); // cancelled
        QTRY_VERIFY(!view.picking());
        QVERIFY(view.addRowShown());
        QCOMPARE(view.newName(), "Late Train");

        const QString file = app.dir.filePath("train.ogg");
        QVERIFY(TestSupport::writeFile(file, "x"));
        answer = QUrl::fromLocalFile(file);
        view.pickFile(); // no sound in it: refused, saying why
        QTRY_VERIFY(!view.picking());
        QVERIFY(view.addRowShown());
        QCOMPARE(scenes.addRefusal(),
                 "This file cannot be played: it is not a sound file, or it is damaged");
        QVERIFY(AudioFiles::writeWav(file, AudioFiles::sineLoop(4800, 10, 0.3), 48000));
        view.pickFile();
        QTRY_VERIFY(!view.picking());
        QVERIFY(!view.addRowShown());
        QCOMPARE(view.newName(), QString());
        QCOMPARE(scenes.scenes().first().name, "Late Train");
        QCOMPARE(scenes.addRefusal(), QString());

        const QString id = scenes.scenes().first().id;
        QVERIFY(QFile::remove(file));
        view.playScene(id);
        QCOMPARE(view.unplayableSceneIds(), QStringList{id});
    }
};

QTEST_MAIN(TestSettingsWindow)
#include "tst_settingswindow.moc"
