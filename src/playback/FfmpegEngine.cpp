#include "playback/FfmpegEngine.h"

#include "mixer/FfmpegDecoder.h"
#include "mixer/MixStream.h"

#include <QMetaObject>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace {
// How far decoding runs ahead of the stream: enough to ride out a busy disk or CPU for a
// while, little enough to keep the memory of a track small.
constexpr int aheadSeconds = 2;
constexpr qsizetype chunkFrames = 4096;
} // namespace

// One item's sound, decoded ahead on its own thread into a ring the audio thread drains.
// The thread owns what it decodes into and is never waited for: a file on a hung network
// mount can keep it in an open or a read for minutes, and the feed is let go on the main
// thread. Let go, the feed tells the thread to stop and to report nothing more; the thread
// ends at its next chunk and frees the ring and the decoder itself.
class TrackFeed
{
public:
    using ErrorHandler = std::function<void(const QString &)>;

    TrackFeed(AudioEngine::ItemId item, const QString &path, int sampleRate, ErrorHandler onError)
        : item(item), m_ring(std::make_shared<Ring>(qsizetype(sampleRate) * aheadSeconds))
    {
        std::thread([ring = m_ring, path, sampleRate, onError = std::move(onError)] {
            ring->decode(path, sampleRate, onError);
        }).detach();
    }

    ~TrackFeed() { m_ring->stop(); }

    // Moves up to `frames` decoded frames to out and returns how many. *ended tells that the
    // file has been played to its end (not cut short by a failure).
    qsizetype take(float *out, qsizetype frames, bool *ended)
    {
        return m_ring->take(out, frames, ended);
    }

    bool failed() const
    {
        std::lock_guard lock(m_ring->mutex);
        return m_ring->failed;
    }
    qint64 consumedFrames() const { return m_ring->consumed.load(std::memory_order_relaxed); }
    qint64 durationMs() const { return m_ring->durationMs.load(std::memory_order_relaxed); }

    const AudioEngine::ItemId item;

private:
    struct Ring
    {
        explicit Ring(qsizetype capacity) : capacity(capacity), samples(std::size_t(capacity) * 2)
        {}

        void stop()
        {
            {
                std::lock_guard lock(mutex);
                stopped = true;
            }
            space.notify_all();
        }

        qsizetype take(float *out, qsizetype frames, bool *ended)
        {
            qsizetype n = 0;
            {
                std::lock_guard lock(mutex);
                n = std::min(frames, count);
                const qsizetype first = std::min(n, capacity - read);
                std::copy_n(samples.data() + 2 * read, 2 * first, out);
                std::copy_n(samples.data(), 2 * (n - first), out + 2 * first);
                read = (read + n) % capacity;
                count -= n;
                *ended = done && !failed && count == 0;
            }
            space.notify_one();
            consumed.fetch_add(n, std::memory_order_relaxed);
            return n;
        }

        void decode(const QString &path, int sampleRate, const ErrorHandler &onError)
        {
            QString error;
            const auto decoder = FfmpegDecoder::open(path, sampleRate, &error);
            if (decoder)
                durationMs = decoder->durationMs();
            std::vector<float> chunk(std::size_t(chunkFrames) * 2);
            while (decoder) {
                {
                    std::unique_lock lock(mutex);
                    space.wait(lock, [this] { return stopped || capacity - count >= chunkFrames; });
                    if (stopped)
                        return;
                }
                const qsizetype got = decoder->read(chunk.data(), chunkFrames);
                if (got <= 0) {
                    error = decoder->error();
                    break;
                }
                std::lock_guard lock(mutex);
                const qsizetype at = (read + count) % capacity;
                const qsizetype first = std::min(got, capacity - at);
                std::copy_n(chunk.data(), 2 * first, samples.data() + 2 * at);
                std::copy_n(chunk.data() + 2 * first, 2 * (got - first), samples.data());
                count += got;
            }
            // Reported under the lock, so that once stop() has returned no report is on its
            // way to an engine that may be gone.
            std::lock_guard lock(mutex);
            done = true;
            failed = !error.isEmpty();
            if (failed && !stopped)
                onError(error);
        }

        const qsizetype capacity;
        std::vector<float> samples;
        std::mutex mutex;
        std::condition_variable space;
        qsizetype read = 0;
        qsizetype count = 0;
        bool done = false;
        bool failed = false;
        bool stopped = false;
        std::atomic<qint64> consumed{0};
        std::atomic<qint64> durationMs{0};
    };

    const std::shared_ptr<Ring> m_ring;
};

// The music as one of the stream's sources: the current item's feed through the music gain,
// and the feed readied to follow it.
class MusicSource : public MixSource
{
public:
    // The item that ended, and whether the readied feed already sounds in its place.
    using EndHandler = std::function<void(AudioEngine::ItemId, bool continued)>;
    using Feeds = std::vector<std::unique_ptr<TrackFeed>>;

    MusicSource(int sampleRate, EndHandler onEnded)
        : m_rampFrames(GainRamp::framesAt(sampleRate)), m_onEnded(std::move(onEnded))
    {}

    // Puts in a new feed, paused, and drops the readied one. The old feeds are handed back to
    // be let go outside the lock, where freeing their rings cannot hold up the audio thread.
    Feeds replace(std::unique_ptr<TrackFeed> feed)
    {
        std::lock_guard lock(m_mutex);
        Feeds old = takeRetiredLocked();
        old.push_back(std::move(m_feed));
        old.push_back(std::move(m_next));
        m_feed = std::move(feed);
        pauseLocked();
        return old;
    }

    Feeds setNext(std::unique_ptr<TrackFeed> next)
    {
        std::lock_guard lock(m_mutex);
        Feeds old = takeRetiredLocked();
        old.push_back(std::move(m_next));
        m_next = std::move(next);
        return old;
    }

    enum class Adopted { No, Loaded, AlreadySounding };

    // Makes the readied feed of `item` the current one, paused; or finds that it already is,
    // since the last item ended into it. A feed that failed is not taken: a fresh one reports
    // its failure.
    Adopted adopt(AudioEngine::ItemId item, Feeds *old)
    {
        std::lock_guard lock(m_mutex);
        *old = takeRetiredLocked();
        if (m_feed && m_feed->item == item && !m_feed->failed())
            return Adopted::AlreadySounding;
        if (!m_next || m_next->item != item || m_next->failed())
            return Adopted::No;
        old->push_back(std::move(m_feed));
        m_feed = std::move(m_next);
        pauseLocked();
        return Adopted::Loaded;
    }

    // Feeds that ended on the audio thread, to be let go on this one.
    Feeds takeRetired()
    {
        std::lock_guard lock(m_mutex);
        return takeRetiredLocked();
    }

    void setPlaying(bool playing, float volume)
    {
        std::lock_guard lock(m_mutex);
        m_playing = playing;
        m_ramp.retarget(playing ? volume : 0.0f, m_rampFrames);
    }

    qint64 consumedFrames() const
    {
        std::lock_guard lock(m_mutex);
        return m_feed ? m_feed->consumedFrames() : 0;
    }
    qint64 durationMs() const
    {
        std::lock_guard lock(m_mutex);
        return m_feed ? m_feed->durationMs() : 0;
    }

    // A playing item moves on even at volume 0, so that it still ends.
    bool isSounding() const override
    {
        std::lock_guard lock(m_mutex);
        return soundingLocked();
    }

    void skipFadeOuts() override
    {
        std::lock_guard lock(m_mutex);
        m_ramp.skipFadeOut();
    }

    bool mixInto(float *out, qsizetype frames) override
    {
        std::lock_guard lock(m_mutex);
        if (!soundingLocked())
            return false;
        m_scratch.resize(std::size_t(frames) * 2);
        bool ended = false;
        qsizetype n = m_feed->take(m_scratch.data(), frames, &ended);
        if (ended && m_playing && m_next && !m_next->failed()) {
            // The next track's first frame follows the last one of this track in the same
            // buffer, at the same gain: no gap, no glide.
            const AudioEngine::ItemId finished = m_feed->item;
            m_retired.push_back(std::move(m_feed));
            m_feed = std::move(m_next);
            n += m_feed->take(m_scratch.data() + 2 * n, frames - n, &ended);
            ended = false; // a next track that is over at once ends on the next call
            m_onEnded(finished, true);
        }
        for (qsizetype done = 0; done < n;)
            done += m_ramp.mix(out + 2 * done, m_scratch.data() + 2 * done, n - done);
        if (ended) {
            m_endReported = true;
            m_onEnded(m_feed->item, false);
        }
        return true;
    }

private:
    bool soundingLocked() const
    {
        return m_feed && !m_endReported && (m_playing || m_ramp.isSounding());
    }

    void pauseLocked()
    {
        m_endReported = false;
        m_playing = false;
        m_ramp.retarget(0.0f, m_rampFrames);
    }

    Feeds takeRetiredLocked()
    {
        Feeds retired;
        retired.swap(m_retired);
        return retired;
    }

    const qsizetype m_rampFrames;
    const EndHandler m_onEnded;
    mutable std::mutex m_mutex;
    std::unique_ptr<TrackFeed> m_feed;
    std::unique_ptr<TrackFeed> m_next;
    // Ended feeds, let go on the main thread: the audio thread frees no memory.
    Feeds m_retired;
    GainRamp m_ramp;
    bool m_playing = false;
    bool m_endReported = false;
    std::vector<float> m_scratch;
};

FfmpegEngine::FfmpegEngine(std::shared_ptr<MixStream> stream, QObject *parent)
    : AudioEngine(parent), m_stream(std::move(stream)),
      m_source(std::make_shared<MusicSource>(m_stream->sampleRate(), [this](ItemId item,
                                                                            bool continued) {
          QMetaObject::invokeMethod(
              this, [this, item, continued] { onEnded(item, continued); }, Qt::QueuedConnection);
      }))
{
    m_stream->addSource(m_source);
    connect(m_stream.get(), &MixStream::outputAvailableChanged, this,
            &AudioEngine::outputAvailableChanged);
}

FfmpegEngine::~FfmpegEngine()
{
    // Neither the audio thread nor a decoding thread may report to this object once it is
    // gone: the first is cut off here, the second ends with its feed.
    m_stream->removeSource(m_source.get());
    m_source->replace(nullptr);
}

AudioEngine::ItemId FfmpegEngine::load(const QUrl &localFile)
{
    if (!m_preloadFile.isEmpty() && localFile == m_preloadFile) {
        MusicSource::Feeds old;
        const MusicSource::Adopted adopted = m_source->adopt(m_preloadItem, &old);
        m_preloadFile.clear();
        if (adopted != MusicSource::Adopted::No) {
            m_item = m_preloadItem;
            m_file = localFile;
            m_ended = false;
            m_failedItem = noItem;
            // An item that already sounds keeps playing; one taken from the shelf waits.
            if (adopted == MusicSource::Adopted::Loaded)
                m_playing = false;
            return m_item;
        }
    }
    m_item = ++m_lastItem;
    m_file = localFile;
    m_preloadFile.clear();
    startItem();
    return m_item;
}

void FfmpegEngine::preload(const QUrl &localFile)
{
    if (localFile == m_preloadFile)
        return;
    m_preloadFile = localFile;
    std::unique_ptr<TrackFeed> feed;
    if (!localFile.isEmpty()) {
        m_preloadItem = ++m_lastItem;
        feed = makeFeed(m_preloadItem, localFile);
    }
    m_source->setNext(std::move(feed));
}

std::unique_ptr<TrackFeed> FfmpegEngine::makeFeed(ItemId item, const QUrl &file)
{
    return std::make_unique<TrackFeed>(
        item, file.toLocalFile(), m_stream->sampleRate(), [this, item](const QString &description) {
            QMetaObject::invokeMethod(
                this, [this, item, description] { onFailed(item, description); },
                Qt::QueuedConnection);
        });
}

void FfmpegEngine::startItem()
{
    m_ended = false;
    m_failedItem = noItem;
    m_source->replace(makeFeed(m_item, m_file));
    m_playing = false;
}

void FfmpegEngine::clear()
{
    m_item = noItem;
    m_file = QUrl();
    m_preloadFile = QUrl();
    m_playing = false;
    m_source->replace(nullptr);
}

void FfmpegEngine::play()
{
    if (m_item == noItem)
        return;
    // Playing an item that has ended hears it again from its start.
    if (m_ended)
        startItem();
    m_playing = true;
    m_source->setPlaying(true, m_volume);
    m_stream->wake();
}

void FfmpegEngine::pause()
{
    m_playing = false;
    m_source->setPlaying(false, m_volume);
}

void FfmpegEngine::setVolume(float volume)
{
    m_volume = std::clamp(volume, 0.0f, 1.0f);
    if (m_playing)
        m_source->setPlaying(true, m_volume);
}

qint64 FfmpegEngine::position() const
{
    return m_item == noItem ? 0 : m_source->consumedFrames() * 1000 / m_stream->sampleRate();
}

qint64 FfmpegEngine::duration() const
{
    return m_item == noItem ? 0 : m_source->durationMs();
}

bool FfmpegEngine::outputAvailable() const
{
    return m_stream->outputAvailable();
}

void FfmpegEngine::onEnded(ItemId item, bool continued)
{
    m_source->takeRetired();
    if (item != m_item || item == m_failedItem)
        return;
    // Ended into the readied file, the music still plays: only the item is over.
    if (!continued) {
        m_ended = true;
        m_playing = false;
    }
    Q_EMIT endOfMedia(item);
}

void FfmpegEngine::onFailed(ItemId item, const QString &description)
{
    if (item != m_item || item == m_failedItem)
        return;
    m_failedItem = item;
    Q_EMIT failed(item, description);
}
