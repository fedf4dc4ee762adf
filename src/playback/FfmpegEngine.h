#pragma once

#include "playback/AudioEngine.h"

#include <chrono>
#include <memory>

class MixStream;
class MusicSource;
class TrackFeed;

// The music engine on the application's one stream: each item is decoded by FFmpeg on a
// thread of its own into a ring buffer, which the stream's audio thread drains through the
// music's gain. Play, pause and volume glide over the mixer's 20 ms, so nothing clicks, and
// replace the sound the stream has queued from what is being heard on; a glide of the volume
// over a mix's time is rendered ahead with the queued sound. Position and the end
// of an item follow what is heard, not what is queued. The file readied to follow
// (preload) is opened and decoded ahead on a thread of its own, so a load of it starts at once
// and the natural change of track joins the two without a gap.
class FfmpegEngine : public AudioEngine
{
    Q_OBJECT

public:
    // Plays into the given stream, which the ambient layers may share.
    explicit FfmpegEngine(std::shared_ptr<MixStream> stream, QObject *parent = nullptr);
    ~FfmpegEngine() override;

    ItemId load(const QUrl &localFile) override;
    void preload(const QUrl &localFile) override;
    void clear() override;
    ItemId currentItem() const override { return m_item; }
    QUrl currentFile() const override { return m_item == noItem ? QUrl() : m_file; }

    void play() override;
    void pause() override;
    void setVolume(float volume) override;
    bool glideVolume(float volume, std::chrono::milliseconds over) override;
    float volume() const override { return m_volume; }

    qint64 position() const override;
    qint64 duration() const override;
    bool outputAvailable() const override;

    MixStream &stream() const { return *m_stream; }

private:
    std::unique_ptr<TrackFeed> makeFeed(ItemId item, const QUrl &file);
    void startItem();
    // The frames of a glide of the volume still to come; 0 when none is under way.
    qsizetype glideFramesLeft() const;
    void onEnded(ItemId item, bool continued, qint64 at, quint64 report);
    void onFailed(ItemId item, const QString &description);

    const std::shared_ptr<MixStream> m_stream;
    const std::shared_ptr<MusicSource> m_source;
    ItemId m_item = noItem;
    ItemId m_lastItem = noItem;
    ItemId m_failedItem = noItem;
    QUrl m_file;
    QUrl m_preloadFile;
    ItemId m_preloadItem = noItem;
    float m_volume = 1.0f;
    // A play within a glide of the volume glides there over the time left.
    std::chrono::steady_clock::time_point m_glideEnd;
    bool m_playing = false;
    bool m_ended = false;
};
