#pragma once

#include "catalogue/Catalogue.h"
#include "core/FileLocations.h"

#include <QCoroTask>
#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QSize>
#include <QString>
#include <QUrl>
#include <functional>

class CoverImageLoader;

// A scene's picture as a local PNG file, for the desktop's media widget (mpris:artUrl): some
// widgets fetch no remote address, and an illustration has none. An illustrated scene gets a
// still of its illustration; a scene with a cover gets the cover, fetched through the image
// cache and written as PNG; a scene with neither gets none. The files live in the cache
// folder's "artwork" folder and outlast the process. A still written since the program was
// built is kept, so a later start neither paints nor writes it again; a cover's file, named
// after its address, is written once. Pictures are painted and encoded on a worker thread.
// Main thread only.
class SceneArtwork : public QObject
{
    Q_OBJECT

public:
    // Paints the illustration of a kind at a size; the caller supplies it, so that the player
    // knows nothing of the pictures. It runs on a worker thread.
    using Painter = std::function<QImage(SceneArtKind kind, QSize size)>;
    static constexpr QSize stillSize{640, 360};

    SceneArtwork(FileLocations locations, CoverImageLoader &covers, Painter paint,
                 QObject *parent = nullptr);

    // The scene's picture file when it is on disk; otherwise an empty URL, and the file is
    // made in the background (ready() follows). An illustration wins over a cover, as on screen.
    QUrl fileFor(const Playlist &scene);

    static QString stillFileName(SceneArtKind kind);
    static QString coverFileName(const QUrl &address);

    // Whether a picture is being made now.
    bool isMaking() const { return !m_making.isEmpty(); }

Q_SIGNALS:
    // A file was made or found current; fileFor() may now give one it did not before.
    void ready();

private:
    QCoro::Task<> makeStill(SceneArtKind kind, QString path);
    QCoro::Task<> fetchCover(QUrl address, QString path);
    // Writes the PNG bytes; false when there are none or they could not be written.
    bool store(const QString &path, const QByteArray &png);

    QString m_folder;
    // When the program was built (its file's time): an older still may be out of date.
    QDateTime m_built;
    QPointer<CoverImageLoader> m_covers;
    Painter m_paint;
    // Stills known to be of this build, and files being made now.
    QSet<QString> m_current;
    QSet<QString> m_making;
    // Covers that could not be had, and when: asked again only after a while.
    QHash<QString, QDateTime> m_failed;
};
