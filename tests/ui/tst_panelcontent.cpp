// The tray panel and the mixer controls: their wording, the slider's input, where popovers go,
// and the panel as a keyboard and assistive-technology user reaches it.
#include "core/AppError.h"
#include "core/Translations.h"
#include "support/AppFixture.h"
#include "support/AudioFiles.h"
#include "support/QuickItems.h"
#include "support/TestCatalogue.h"
#include "support/TestSupport.h"
#include "ui/controls/AmbientPackState.h"
#include "ui/controls/MixRowState.h"
#include "ui/controls/PopoverPlacement.h"
#include "ui/controls/SliderInput.h"
#include "ui/panel/PanelState.h"
#include "ui/shell/ClickOutsideMonitor.h"
#include "ui/shell/MenuBarController.h"
#include "ui/shell/PanelWindow.h"

#include <QAccessible>
#include <QQuickItem>
#include <QQuickView>
#include <QSignalSpy>
#include <QTest>

namespace {
using namespace QuickItems;

// The items Tab visits, in order, from the view's first.
QList<QQuickItem *> tabChain(QQuickItem *root)
{
    QList<QQuickItem *> chain;
    QQuickItem *item = root->nextItemInFocusChain(true);
    while (item && item != root && !chain.contains(item)) {
        chain.append(item);
        item = item->nextItemInFocusChain(true);
    }
    return chain;
}

} // namespace

class TestPanelContent : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QAccessible::setActive(true); }

    void byteCounts_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("locale");
        const auto row = [](const char *name, qint64 bytes, const char *text,
                            const char *locale = "en_US") {
            QTest::newRow(name) << bytes << QString(text) << QString(locale);
        };
        row("none", 0, "0 bytes");
        row("one", 1, "1 byte");
        row("under a kilobyte", 999, "999 bytes");
        row("kilobytes are whole", 1499, "1 KB");
        row("rounding up a unit", 999'500, "1 MB");
        row("megabytes", 1'234'567, "1.2 MB");
        row("no trailing zero", 5'000'000, "5 MB");
        row("gigabytes", 1'250'000'000, "1.25 GB");
        row("German figures", 1'250'000'000, "1,25 GB", "de_DE");
    }

    void byteCounts()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QFETCH(QString, locale);
        const Translations english{QLocale(QLocale::English)};
        QCOMPARE(ByteCount::fileStyle(bytes, QLocale(locale)), text);
    }

    void wording()
    {
        using namespace PackCardText;
        const State idle{false, 0, 5, {}};
        const State running{true, 1'200'000, 5, {}};
        const State failed{false, 900, 5, "Could not download Rain: the server answered 404"};
        QCOMPARE(inPanel(idle).title, "Ambient pack not downloaded");
        QCOMPARE(inPanel(idle).subtitle, "Tap to enable the sliders below · ~5 MB");
        QCOMPARE(inPanel(running).title, "Downloading ambient pack…");
        QCOMPARE(inPanel(running).subtitle, "1.2 MB");
        QCOMPARE(inPopover(idle).subtitle, "~5 MB · 5 layers");
        QCOMPARE(inPopover(running).title, "Downloading…");
        QCOMPARE(inPopover(running).subtitle, "5 layers · 1.2 MB");
        QCOMPARE(inPopover(failed).title, "Ambient pack not downloaded");
        QCOMPARE(inPopover(failed).subtitle, failed.failure);

        // Auto-pause: off says what it would do whatever the monitor sees; the mic wins.
        using PanelText::autoPause;
        const QString idleLine = "Pause when another app uses audio";
        QCOMPARE(autoPause(false, true, true).status, idleLine);
        QVERIFY(!autoPause(false, true, true).active);
        QCOMPARE(autoPause(true, false, false).status, idleLine);
        QCOMPARE(autoPause(true, true, true).status, "Mic in use — paused");
        QCOMPARE(autoPause(true, false, true).status, "Another app is playing — paused");
        QVERIFY(autoPause(true, false, true).active);

        // The picker: catalogue order without the displayed scene, at most three.
        using PanelText::pickerRows;
        QCOMPARE(pickerRows(5, 1), (QList<qsizetype>{0, 2, 3}));
        QCOMPARE(pickerRows(5, std::nullopt), (QList<qsizetype>{0, 1, 2}));
        QCOMPARE(pickerRows(2, 0), QList<qsizetype>{1});
        QCOMPARE(pickerRows(0, std::nullopt), QList<qsizetype>{});

        // The saved-mixes row and the tray tooltip.
        QCOMPARE(MixRowText::moonName(false, {}), "Sleep timer");
        QCOMPARE(MixRowText::chipDescription("Scene a"), "Saved mix with Scene a");
        QCOMPARE(MenuBarController::toolTipText({}), "Dusk Haven");
        QCOMPARE(MenuBarController::toolTipText("28 min"), "Dusk Haven · sleep in 28 min");
        QCOMPARE(MenuBarController::toolTipText("28 min", "Break · 4 min"),
                 "Dusk Haven · Break · 4 min · sleep in 28 min");
    }

    void popoversStayInsideTheirWindow()
    {
        // A 34-wide pill at `left`, its popover 300 wide (or `width`), 8 from the window's
        // sides, the arrow kept 20 from the popover's ends.
        const auto place = [](qreal left, qreal window, qreal width = 300) {
            return PopoverPlacement::place(QRectF(left, 36, 34, 34), width, window, 8, 20);
        };
        // Room on both sides: centred on the pill.
        PopoverPlacement::Spot spot = place(600, 1280);
        QCOMPARE(spot.x, 467.0);
        QCOMPARE(spot.arrowX, 150.0);
        // Near the left edge: at the margin, the arrow held off the rounded corner yet on the
        // pill.
        spot = place(2, 1280);
        QCOMPARE(spot.x, 8.0);
        QCOMPARE(spot.arrowX, 20.0);
        QVERIFY(spot.x + spot.arrowX < 2 + 34);
        // Wider than the room between the margins: centred; wider than the window: from its
        // left edge. A popover too narrow for the inset keeps its arrow in the middle.
        QCOMPARE(place(2, 310).x, 5.0);
        QCOMPARE(place(300, 360, 400).x, 0.0);
        QCOMPARE(place(300, 360, 30).arrowX, 15.0);
    }

    void sliderMovesByPointerKeysAndAssistiveTools()
    {
        QTemporaryDir dir;
        SettingsStore store(dir.filePath("settings.json"));
        ViewSettings settings(store);
        QQuickView view;
        view.resize(220, 40);
        SliderInput slider(view.contentItem());
        slider.setSize({200, 14});
        slider.setSettings(&settings);
        QList<double> moves;
        // As a service would: the slider shows what is in effect.
        connect(&slider, &SliderInput::moved, this, [&](double value) {
            moves.append(value);
            slider.setShown(value);
            settings.setVolume(value);
        });
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(50, 7));
        QVERIFY(slider.isPressed());
        QTest::mouseMove(&view, QPoint(50, 8)); // no horizontal change: nothing written
        QTest::mouseMove(&view, QPoint(150, 7));
        QTest::mouseMove(&view, QPoint(215, 7)); // held to the end
        QCOMPARE(moves, (QList<double>{0.25, 0.75, 1.0}));
        // The file waits while the drag holds it (heldWriteInterval has not passed).
        QVERIFY(!TestSupport::readJsonObject(store.filePath()).contains("volume"));
        QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(215, 7));
        QVERIFY(!slider.isPressed());
        QCOMPARE(TestSupport::readJsonObject(store.filePath()).value("volume").toDouble(), 1.0);

        QCOMPARE(SliderInput::valueAt(10, 0, 0.5), std::nullopt); // no width yet
        moves.clear();
        slider.forceActiveFocus();
        QTest::keyClick(&view, Qt::Key_Left);
        QTest::keyClick(&view, Qt::Key_Home);
        QVERIFY(slider.setProperty("value", 0.4)); // what an assistive tool writes
        QCOMPARE(moves, (QList<double>{0.95, 0.0, 0.4}));
    }

    void starterScenesPlayFromDiskUntilTheCatalogueArrives()
    {
        TestHttpServer server;
        server.serve("/manifest.json", 503, "busy");
        Manifest starter = sceneCatalogue({{"starter", {"s1"}}});
        starter.tracks.first().url = QUrl("tracks/s1.mp3");
        AppFixture app;
        app.starterFolder = app.dir.filePath("share/starter");
        QVERIFY(
            TestSupport::writeFile(app.starterFolder + "/manifest.json", catalogueJson(starter)));
        QVERIFY(TestSupport::writeFile(app.starterFolder + "/tracks/s1.mp3", "starter audio"));
        app.start(server.url("/manifest.json"));
        app.startShell();
        PanelState panel;
        panel.setServices(app.views);

        QCOMPARE(panel.title(), "Scene starter");
        QCOMPARE(panel.catalogueNote(), "Playing the built-in starter scenes");
        panel.playPause();
        QTRY_VERIFY(app.environment->player()->isPlaying());
        QCOMPARE(TestSupport::readFile(app.engine->currentFile().toLocalFile()), "starter audio");

        QSignalSpy noteChanged(&panel, &PanelState::catalogueNoteChanged);
        server.serve("/manifest.json", 200,
                     catalogueJson(servedCatalogue(server, {{"a", {"t1"}}})));
        QVERIFY(TestSupport::wait(app.environment->library()->refresh()).value);
        QCOMPARE(panel.catalogueNote(), QString());
        QCOMPARE(noteChanged.count(), 1);
        QCOMPARE(app.environment->library()->manifest()->playlists.first().id, "a");
    }

    void panelFollowsTheCatalogueAndTheKeyboard()
    {
        TestHttpServer server;
        Manifest manifest =
            servedCatalogue(server, {{"a", {"t1"}}, {"b", {"t2"}}, {"c", {"t3"}}, {"d", {"t4"}}});
        manifest.ambientLayers =
            QList<AmbientLayer>{{"rain", "Rain", "cloud.rain.fill", server.url("/rain.mp3")}};
        server.serve("/rain.mp3", 404, "gone");
        AppFixture app;
        app.start(server.url("/manifest.json")); // nothing there yet
        app.startShell();
        MenuBarController &menuBar = *app.menuBar;
        QQuickView *view = &PanelWindow::of(menuBar);
        PanelState panel;
        panel.setServices(app.views);

        // Loading or offline: the empty panel, never an error.
        QCOMPARE(panel.title(), "Nothing playing");
        QCOMPARE(panel.subtitle(), "—");
        QCOMPARE(panel.placeholderCount(), 3);

        server.serve("/manifest.json", 200, catalogueJson(manifest));
        QVERIFY(TestSupport::wait(app.environment->library()->refresh()).value);
        QTRY_COMPARE(panel.title(), "Scene a");
        QCOMPARE(panel.placeholderCount(), 0);
        QCOMPARE(panel.pickerScenes().size(), 3);
        QCOMPARE(panel.pickerScenes().at(0)->id(), "b");

        menuBar.showPanel();
        QVERIFY(QTest::qWaitForWindowActive(view));
        // The picture keeps to the card's rounded top corners: the window is clear there.
        const QImage shown = view->grabWindow();
        QCOMPARE(qAlpha(shown.pixel(1, 1)), 0);
        QCOMPARE(qAlpha(shown.pixel(shown.width() - 2, 1)), 0);
        QCOMPARE(qAlpha(shown.pixel(shown.width() / 2, 1)), 255);
        const QList<QQuickItem *> chain = tabChain(view->contentItem());
        const auto inChain = [view](const QString &name) {
            return named(tabChain(view->contentItem()), name);
        };
        QCOMPARE(
            TestSupport::fieldOf(chain, accessibleName),
            (QStringList{"Favourite", "Next scene", "Play", "Volume", "See all", "Scene b",
                         "Scene c", "Scene d", "Download", "Save mix…", "Focus session",
                         "Sleep timer", "Auto-pause for calls & audio", "Settings", "Open app"}));

        // Space plays the scene shown, although nothing was played before.
        QTest::keyClick(view, Qt::Key_Space);
        QTRY_COMPARE(app.environment->player()->nowPlayingPlaylistId(), "a");
        QTRY_VERIFY(app.environment->player()->isPlaying());
        QTRY_VERIFY(inChain("Pause"));

        // A failed pack download: the card again, with the reason.
        AmbientPackState pack;
        pack.setMixer(app.environment->mixer());
        QVERIFY(press(named(chain, "Download")));
        QTRY_VERIFY(!pack.isDownloading());
        QVERIFY(pack.isShown());
        QCOMPARE(pack.subtitle(), "Could not download Rain: the server answered 404");

        // The moon opens the timer menu; a preset starts the timer, and the open panel shows
        // the time left to the second. (On a loaded machine the window manager may take the
        // focus from the panel around here, which closes it; it is opened again until it is
        // shown and has the focus.)
        // Seen in full runs: after such a close and a reopening the panel can stay unexposed
        // (visible and focused, never mapped); it is then shown afresh after a second.
        int polls = 0;
        QTRY_VERIFY([&] {
            if (menuBar.isPanelVisible() && !view->isExposed() && ++polls % 20 == 0)
                menuBar.hidePanel();
            if (!menuBar.isPanelVisible())
                menuBar.showPanel();
            return view->isExposed() && view->isActive();
        }());
        QVERIFY(press(inChain("Sleep timer")));
        QQuickItem *preset = nullptr;
        QTRY_VERIFY((preset = named(itemsOf(view->contentItem(), true), "Sleep in 15 min")));
        QVERIFY(press(preset));
        SleepTimer *timer = app.environment->sleepTimer();
        QVERIFY(timer->running());
        QTRY_COMPARE(timer->watchers(), 1);
        QTRY_VERIFY(inChain("Sleep timer, 15:00 left") || inChain("Sleep timer, 14:59 left"));

        // The focus button beside it starts a session of the length its menu sets.
        QVERIFY(press(inChain("Focus session")));
        QQuickItem *longer = nullptr;
        QTRY_VERIFY((longer = named(itemsOf(view->contentItem(), true), "Longer: Focus")));
        QVERIFY(press(longer));
        QTRY_COMPARE(app.environment->focusSession()->focusMinutes(), 30);
        QVERIFY(press(named(itemsOf(view->contentItem(), true), "Start focus")));
        FocusSession *focus = app.environment->focusSession();
        QVERIFY(focus->running());
        QCOMPARE(focus->watchers(), 1);
        QTRY_VERIFY(inChain("Focus session, Focus · 30:00") ||
                    inChain("Focus session, Focus · 29:59"));
        menuBar.hidePanel();
        QTRY_COMPARE(timer->watchers(), 0);
        QCOMPARE(focus->watchers(), 0);
        QCOMPARE(timer->remainingText(), "15 min");
    }

    // A custom scene is shown as what its file says: the panel and the launcher show it while
    // it plays, with the file's title, artist and cover, and the desktop's widget gets them too;
    // control characters become spaces. A file without sound is refused when it is added, in
    // the player's words.
    void aCustomSceneShowsItsFilesTags()
    {
        AppFixture app;
        app.start();
        app.startShell();
        const QString wav = app.dir.filePath("tone.wav");
        const QString png = app.dir.filePath("cover.png");
        const QString tagged = app.dir.filePath("harbour.mp3");
        QVERIFY(AudioFiles::writeWav(wav, AudioFiles::sineLoop(24000, 220, 0.3), 48000));
        QVERIFY(TestSupport::writeFile(png, TestSupport::solidPng(Qt::darkCyan)));
        QCOMPARE(TestSupport::run("ffmpeg",
                                  {"-v", "error", "-i", wav, "-i", png, "-map", "0", "-map", "1",
                                   "-c:v", "copy", "-disposition:v", "attached_pic", "-metadata",
                                   "title=Harbour\nLights", "-metadata", "artist=Jane Doe", tagged})
                     .exitCode,
                 0);
        const QString empty = app.dir.filePath("empty.mp3");
        QVERIFY(TestSupport::writeFile(empty, {}));
        CustomScenesService &scenes = *app.environment->customScenes();
        try {
            scenes.add({}, QUrl::fromLocalFile(empty));
            QFAIL("an empty file was added");
        } catch (const AppError &error) {
            QCOMPARE(error.description(), "This file cannot be played: it is empty");
        }

        QVERIFY(scenes.play(scenes.add("Late\u2028Train\t", QUrl::fromLocalFile(tagged))));
        PanelState panel;
        panel.setServices(app.views);
        QTRY_COMPARE(panel.title(), "Late Train");
        QCOMPARE(panel.subtitle(), "Harbour Lights by Jane Doe");
        SceneEntry *shown = app.views->scenes()->panelScene();
        QCOMPARE(app.views->scenes()->launcherScene(), shown);
        const std::optional<QImage> cover =
            TestSupport::wait(app.views->coverImages()->load(shown->coverUrl())).value.value();
        QVERIFY(cover);
        QCOMPARE(cover->pixelColor(0, 0), QColor(Qt::darkCyan));

        const QString player = app.environment->nowPlaying()->busName().section('.', 3, -1);
        QTRY_COMPARE(
            TestSupport::run("playerctl", {"-p", player, "metadata", "--format",
                                           "{{title}}|{{artist}}|{{album}}|{{mpris:artUrl}}"})
                .out.trimmed(),
            "Harbour Lights|Jane Doe|Late Train|" + shown->coverUrl().toString());
    }
};

QTEST_MAIN(TestPanelContent)
#include "tst_panelcontent.moc"
