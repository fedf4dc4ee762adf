#include "mixer/AmbientPack.h"

#include "catalogue/LibraryService.h"
#include "core/AppError.h"
#include "core/FileWriter.h"
#include "core/SafeFileName.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSet>
#include <algorithm>

namespace {
const QString fileSuffix = QStringLiteral(".mp3");

// The built-in layers' names are the app's own, shown in the user's language (a catalogue's
// layers are named by the catalogue).
AmbientLayer builtIn(const char *id, const char *name, const char *icon)
{
    return AmbientLayer{QString::fromUtf8(id), QCoreApplication::translate("AmbientPack", name),
                        QString::fromUtf8(icon), std::nullopt};
}
} // namespace

QList<AmbientLayer> AmbientPack::defaultLayers()
{
    return {
        builtIn("rain", QT_TRANSLATE_NOOP("AmbientPack", "Rain"), "cloud.rain.fill"),
        builtIn("fire", QT_TRANSLATE_NOOP("AmbientPack", "Fireplace"), "flame.fill"),
        builtIn("cafe", QT_TRANSLATE_NOOP("AmbientPack", "Café"), "cup.and.saucer.fill"),
        builtIn("birds", QT_TRANSLATE_NOOP("AmbientPack", "Birds"), "bird.fill"),
        builtIn("waves", QT_TRANSLATE_NOOP("AmbientPack", "Waves"), "water.waves"),
    };
}

AmbientPack::AmbientPack(LibraryService &library, HTTPClient http, FileLocations locations,
                         QObject *parent)
    : QObject(parent), m_library(library), m_http(std::move(http)),
      m_locations(std::move(locations))
{
    QDir().mkpath(m_locations.ambientDir());
    m_layersSeen = layers();
    updateIsDownloaded();
    // Runs on a later turn of the event loop, never inside the library's own update.
    connect(&m_library, &LibraryService::manifestChanged, this, &AmbientPack::catalogueChanged,
            Qt::QueuedConnection);
}

AmbientPack::~AmbientPack()
{
    m_cancel.cancel();
}

QList<AmbientLayer> AmbientPack::layers() const
{
    const std::optional<Manifest> &manifest = m_library.manifest();
    if (manifest && manifest->ambientLayers && !manifest->ambientLayers->isEmpty())
        return *manifest->ambientLayers;
    return defaultLayers();
}

bool AmbientPack::isListed(const QString &layerId) const
{
    const QList<AmbientLayer> list = layers();
    return std::any_of(list.begin(), list.end(),
                       [&layerId](const AmbientLayer &layer) { return layer.id == layerId; });
}

QString AmbientPack::layerFile(const QString &layerId) const
{
    if (!SafeFileName::isSafe(layerId))
        return {};
    return SafeFileName::pathIn(m_locations.ambientDir(), layerId, fileSuffix);
}

bool AmbientPack::hasFile(const QString &layerId) const
{
    const QString path = layerFile(layerId);
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

QCoro::Task<> AmbientPack::download()
{
    if (m_isDownloading)
        co_return;
    QList<AmbientLayer> missing;
    for (const AmbientLayer &layer : layers()) {
        if (layer.url && !hasFile(layer.id))
            missing.append(layer);
    }
    if (missing.isEmpty())
        co_return;
    setIsDownloading(true);
    setDownloadedBytes(0);
    setDownloadError({});

    QPointer<AmbientPack> self(this);
    // Copies: the loop must not read members once this object may be gone.
    const HTTPClient http = m_http;
    const CancellationToken cancel = m_cancel;
    // The first failure is the one told; the layers after it are still fetched.
    QString firstFailure;
    const auto failed = [&firstFailure](const AmbientLayer &layer, const QString &why) {
        if (firstFailure.isEmpty())
            firstFailure = QCoreApplication::translate("AmbientPack", "Could not download %1: %2")
                               .arg(layer.name, why);
    };
    for (const AmbientLayer &layer : missing) {
        // Such a layer can never be stored; it stays missing.
        if (!SafeFileName::isSafe(layer.id)) {
            failed(layer,
                   QCoreApplication::translate("AmbientPack", "its name cannot be a file name"));
            continue;
        }
        std::optional<HTTPResponse> response;
        try {
            response = co_await http.data(*layer.url, cancel, {}, HTTPClient::layerLimit);
        } catch (const AppError &error) {
            failed(layer, error.description());
        }
        if (!self)
            co_return;
        if (!response)
            continue;
        if (response->status != 200) {
            failed(layer, QCoreApplication::translate("AmbientPack", "the server answered %1")
                              .arg(response->status));
            continue;
        }
        if (!storeFile(layer.id, response->body)) {
            failed(layer,
                   QCoreApplication::translate("AmbientPack", "the file could not be saved"));
            continue;
        }
        setDownloadedBytes(m_downloadedBytes + response->body.size());
        updateIsDownloaded();
    }
    setDownloadError(firstFailure);
    setIsDownloading(false);
    updateIsDownloaded();
}

bool AmbientPack::storeFile(const QString &layerId, const QByteArray &body) const
{
    // The folder may have gone since start-up.
    QDir().mkpath(m_locations.ambientDir());
    try {
        FileWriter::writeWhole(layerFile(layerId), body);
        return true;
    } catch (const AppError &) {
        return false;
    }
}

void AmbientPack::removeFiles()
{
    for (const AmbientLayer &layer : layers()) {
        const QString path = layerFile(layer.id);
        if (!path.isEmpty())
            QFile::remove(path);
    }
    updateIsDownloaded();
}

void AmbientPack::sweep()
{
    if (!m_library.manifest()) {
        FileWriter::sweep(m_locations.ambientDir());
        return;
    }
    QSet<QString> known;
    for (const AmbientLayer &layer : layers())
        known.insert(layer.id + fileSuffix);
    FileWriter::sweep(m_locations.ambientDir(),
                      [&known](const QString &name) { return known.contains(name); });
}

void AmbientPack::setDownloadError(const QString &reason)
{
    if (reason == m_downloadError)
        return;
    m_downloadError = reason;
    Q_EMIT downloadErrorChanged();
}

void AmbientPack::setIsDownloading(bool downloading)
{
    if (downloading == m_isDownloading)
        return;
    m_isDownloading = downloading;
    Q_EMIT isDownloadingChanged();
}

void AmbientPack::setDownloadedBytes(qint64 bytes)
{
    if (bytes == m_downloadedBytes)
        return;
    m_downloadedBytes = bytes;
    Q_EMIT downloadedBytesChanged();
}

void AmbientPack::updateIsDownloaded()
{
    bool anyUrl = false;
    bool allPresent = true;
    for (const AmbientLayer &layer : layers()) {
        if (!layer.url)
            continue;
        anyUrl = true;
        if (!hasFile(layer.id)) {
            allPresent = false;
            break;
        }
    }
    const bool downloaded = anyUrl && allPresent;
    if (downloaded == m_isDownloaded)
        return;
    m_isDownloaded = downloaded;
    Q_EMIT isDownloadedChanged();
}

void AmbientPack::catalogueChanged()
{
    const QList<AmbientLayer> now = layers();
    if (now != m_layersSeen) {
        m_layersSeen = now;
        Q_EMIT layersChanged();
    }
    updateIsDownloaded();
}
