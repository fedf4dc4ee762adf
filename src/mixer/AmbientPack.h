#pragma once

#include "catalogue/Catalogue.h"
#include "catalogue/HTTPClient.h"
#include "core/Cancellation.h"
#include "core/FileLocations.h"

#include <QCoroTask>
#include <QList>
#include <QObject>

class LibraryService;

// The ambient layers in effect (the catalogue's, or the built-in five) and their sound files,
// fetched once as the "ambient pack" into the ambient folder and deleted again as a whole.
// It knows nothing of volumes or sound: the mixer asks it for the files.
//
// Layer ids become file names, so an id that could name a path outside the folder (see
// SafeFileName) is never fetched, stored or deleted.
class AmbientPack : public QObject
{
    Q_OBJECT

public:
    // The layers in effect when the catalogue names none.
    static QList<AmbientLayer> defaultLayers();

    // Creates the ambient folder (a failure is ignored).
    AmbientPack(LibraryService &library, HTTPClient http, FileLocations locations,
                QObject *parent = nullptr);
    // Aborts a download under way.
    ~AmbientPack() override;

    // The catalogue's layers when it has a non-empty list, otherwise defaultLayers().
    QList<AmbientLayer> layers() const;
    bool isListed(const QString &layerId) const;
    // Where a layer's file lives; empty for an id that cannot be a file name.
    QString layerFile(const QString &layerId) const;
    bool hasFile(const QString &layerId) const;

    // True when some layer in effect has a URL and every such layer's file is present.
    bool isDownloaded() const { return m_isDownloaded; }
    bool isDownloading() const { return m_isDownloading; }
    // Bytes stored by the current (or last) download.
    qint64 downloadedBytes() const { return m_downloadedBytes; }
    // Why the last download left a layer missing ("Could not download Rain: …"); empty when it
    // stored every layer, and from the start of the next download.
    QString downloadError() const { return m_downloadError; }

    // Fetches, one after the other, every layer with a URL whose file is missing. A layer that
    // fails (transport error, status other than 200, write or move failure) stays missing and
    // the rest go on. Returns at once while another download runs. Never throws.
    QCoro::Task<> download();
    // Deletes the file of every layer in effect.
    void removeFiles();
    // The start-up sweep of the ambient folder: partial files go, and, once a catalogue is
    // loaded, every file that is not the sound of a listed layer.
    void sweep();

Q_SIGNALS:
    // The catalogue changed the layers in effect.
    void layersChanged();
    void isDownloadedChanged();
    void isDownloadingChanged();
    void downloadedBytesChanged();
    void downloadErrorChanged();

private:
    bool storeFile(const QString &layerId, const QByteArray &body) const;
    void setIsDownloading(bool downloading);
    void setDownloadedBytes(qint64 bytes);
    void setDownloadError(const QString &reason);
    void updateIsDownloaded();
    void catalogueChanged();

    LibraryService &m_library;
    const HTTPClient m_http;
    const FileLocations m_locations;
    const CancellationToken m_cancel = CancellationToken::create();

    qint64 m_downloadedBytes = 0;
    bool m_isDownloading = false;
    bool m_isDownloaded = false;
    QString m_downloadError;
    QList<AmbientLayer> m_layersSeen;
};
