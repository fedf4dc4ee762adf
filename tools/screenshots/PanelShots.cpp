#include "PanelShots.h"

#include "core/FileWriter.h"
#include "core/SettingsStore.h"
#include "core/StartupNotice.h"
#include "ui/shell/MenuBarController.h"
#include "ui/shell/PanelWindow.h"
#include "ui/views/Theme.h"
#include "ui/views/ViewServices.h"

#include <QCoroTimer>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QTextStream>
#include <chrono>
#include <functional>

using namespace std::chrono_literals;

namespace {
bool save(QQuickWindow &window, const QString &path)
{
    const QImage image = window.grabWindow();
    const bool written = !image.isNull() && image.save(path, "PNG");
    QTextStream(stderr) << (written ? "wrote " : "could not write ") << path << "\n";
    return written;
}

// Polls, as the demo has time: true once `done` holds, false after `limit`.
QCoro::Task<bool> waitUntil(std::function<bool()> done, std::chrono::milliseconds limit)
{
    for (auto waited = 0ms; waited < limit; waited += 50ms) {
        if (done())
            co_return true;
        co_await QCoro::sleepFor(50ms);
    }
    co_return done();
}

// The launcher will place the pill among its own; here it sits on a plain dark stage.
const char *popoverStage = R"(
import QtQuick
import Duskhaven
Rectangle {
    id: stage
    required property ViewServices services
    width: 360
    height: 440
    color: "#2b2f36"
    MixerTriggerPill {
        x: stage.width - 190
        y: 16
        services: stage.services
        isOpen: true
    }
}
)";
} // namespace

QCoro::Task<bool> PanelShots::take(QString folder, MenuBarController &menuBar)
{
    QPointer<MenuBarController> alive(&menuBar);
    QQuickView &panel = PanelWindow::of(menuBar);
    QObject *root = panel.rootObject();
    auto *services = root ? root->property("services").value<ViewServices *>() : nullptr;
    if (!services || !services->library()->manifest() || services->scenes()->count() == 0)
        co_return true;
    const QDir dir(folder);
    PlayerService *player = services->player();
    AmbientMixerService *mixer = services->mixer();
    AutoPauseService *autoPause = services->autoPause();
    bool written = true;

    // The pack is fetched again below, so the card shows its way from the start.
    if (mixer->isPackDownloaded())
        mixer->removePack();
    player->playScene(services->scenes()->at(0)->id());
    if (!co_await waitUntil([player] { return player->isPlaying(); }, 30s) || !alive)
        co_return false;
    co_await QCoro::sleepFor(500ms);
    written = save(panel, dir.filePath(QStringLiteral("panel-playing.png"))) && written;

    // Caught as the first layer lands, while the rest are still on their way.
    bool downloading = false;
    const QMetaObject::Connection caught =
        QObject::connect(mixer, &AmbientMixerService::packDownloadedBytesChanged, &panel, [&] {
            if (!downloading && mixer->isDownloadingPack() && mixer->packDownloadedBytes() > 0) {
                downloading = true;
                written = save(panel, dir.filePath(QStringLiteral("panel-pack-downloading.png"))) &&
                          written;
            }
        });
    mixer->startPackDownload();
    co_await waitUntil([mixer] { return !mixer->isDownloadingPack(); }, 60s);
    if (!alive)
        co_return false;
    QObject::disconnect(caught);
    written = downloading && written;

    // Another app's sound: pacat plays silence, which the audio monitor counts all the same.
    const QList<QVariantMap> layers = [mixer] {
        QList<QVariantMap> list;
        for (const QVariant &layer : mixer->layerList())
            list.append(layer.toMap());
        return list;
    }();
    const QString firstLayer = layers.isEmpty() ? QString() : layers.first().value("id").toString();
    const float layerVolume = mixer->volumeFor(firstLayer);
    const bool wasAutoPausing = autoPause->pauseOnExternalAudio();
    mixer->setVolume(0.6f, firstLayer);
    autoPause->setPauseOnExternalAudio(true);
    QProcess other;
    other.setStandardInputFile(QStringLiteral("/dev/zero"));
    other.start(QStringLiteral("pacat"), {QStringLiteral("--playback")});
    const bool paused = co_await waitUntil(
        [services, player] {
            return services->audioMonitor()->externalOutputActive() && !player->isPlaying();
        },
        20s);
    if (!alive)
        co_return false;
    co_await QCoro::sleepFor(300ms);
    written = paused && save(panel, dir.filePath(QStringLiteral("panel-autopause.png"))) && written;
    other.kill();
    other.waitForFinished(2000);
    autoPause->setPauseOnExternalAudio(wasAutoPausing);
    mixer->setVolume(layerVolume, firstLayer);

    // Three saved mixes and a sleep timer under way, then the timer's menu open. They are
    // taken away again after the popover, which shows the same row.
    SavedMixesService *mixes = services->savedMixes();
    SleepTimer *sleepTimer = services->sleepTimer();
    QStringList shownMixes;
    for (const QString &name :
         {QStringLiteral("Rain"), QStringLiteral("Focus"), QStringLiteral("Night")}) {
        if (mixes->saveCurrent(name))
            shownMixes.append(mixes->mixes().constLast().id);
    }
    sleepTimer->start(45);
    co_await QCoro::sleepFor(600ms);
    if (!alive)
        co_return false;
    written = shownMixes.size() == 3 &&
              save(panel, dir.filePath(QStringLiteral("panel-mixes.png"))) && written;
    QObject *moon = root->findChild<QObject *>(QStringLiteral("sleepTimerButton"));
    if (moon)
        moon->setProperty("menuOpen", true);
    co_await QCoro::sleepFor(800ms);
    if (!alive)
        co_return false;
    written = moon && save(panel, dir.filePath(QStringLiteral("timer-menu.png"))) && written;
    if (moon)
        moon->setProperty("menuOpen", false);

    // A focus session under way beside the moon, its phases naming the mix "Focus", then its
    // menu open.
    FocusSession *focus = services->focus();
    const QString focusMixWas = focus->focusMixId();
    focus->setFocusMixId(shownMixes.value(1));
    focus->start();
    QObject *focusButton = root->findChild<QObject *>(QStringLiteral("focusButton"));
    if (focusButton)
        focusButton->setProperty("menuOpen", true);
    co_await QCoro::sleepFor(800ms);
    if (!alive)
        co_return false;
    written = focusButton && save(panel, dir.filePath(QStringLiteral("focus-menu.png"))) && written;
    if (focusButton)
        focusButton->setProperty("menuOpen", false);
    focus->stop();
    focus->setFocusMixId(focusMixWas);

    // The settings file edited by hand into something unreadable: the notice says so once.
    // The file is put back as it was, which the store reads as no change at all.
    QFile settingsFile(SettingsStore::defaultFilePath());
    const QByteArray settingsWere =
        settingsFile.open(QIODevice::ReadOnly) ? settingsFile.readAll() : QByteArray();
    settingsFile.close();
    FileWriter::writeWhole(settingsFile.fileName(), QByteArrayLiteral("{ \"volume\": "));
    StartupNotice *notice = services->startupNotice();
    const bool told = co_await waitUntil([notice] { return !notice->text().isEmpty(); }, 5s);
    if (!alive)
        co_return false;
    co_await QCoro::sleepFor(300ms);
    written =
        told && save(panel, dir.filePath(QStringLiteral("panel-settings-edit.png"))) && written;
    FileWriter::writeWhole(settingsFile.fileName(), settingsWere);
    notice->dismiss();

    QQuickView stage(panel.engine(), nullptr);
    QQmlComponent component(panel.engine());
    component.setData(popoverStage, QUrl(QStringLiteral("qrc:/panel-shots/stage.qml")));
    // The stage draws with the panel's palette and symbols.
    auto *theme = qobject_cast<ThemeAttached *>(qmlAttachedPropertiesObject<Theme>(root));
    QObject *content = component.beginCreate(panel.engine()->rootContext());
    if (!content)
        co_return false;
    component.setInitialProperties(content,
                                   {{QStringLiteral("services"), QVariant::fromValue(services)}});
    Theme::set(*content, *theme->palette(), *theme->symbols());
    component.completeCreate();
    stage.setContent(QUrl(), nullptr, content);
    stage.show();
    co_await QCoro::sleepFor(800ms);
    if (!alive)
        co_return false;
    written = save(stage, dir.filePath(QStringLiteral("mixer-popover.png"))) && written;
    sleepTimer->cancel();
    for (const QString &id : std::as_const(shownMixes))
        mixes->remove(id);
    co_return written;
}
