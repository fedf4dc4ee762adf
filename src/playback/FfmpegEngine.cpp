#include "playback/FfmpegEngine.h"

#include "audio/FfmpegDecoder.h"
#include "audio/MixStream.h"

#include <QMetaObject>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <limits>
#include <mutex>
#include <thread>
#include <vector>

namespace {
// How far decoding runs ahead of the stream: beyond the stream's own buffer, enough to ride
// out a busy disk or CPU for a while, little enough to keep the memory of a track small. The
// decoder sleeps until a block's worth has been taken and then decodes the block at once: as
// much as the stream takes at a time, so that with the long queue it wakes a few times a
// second, and with the short one it decodes in small steps that never starve the audio thread.
constexpr int aheadSeconds = 2;
// What was handed out is kept this long, so that queued sound not heard yet can be rendered
// again (after a pause, a volume change) from the place that was heard.
constexpr int historySeconds = 2;
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

    TrackFeed(AudioEngine::ItemId item, const QString &path, int sampleRate, qsizetype block,
              ErrorHandler onError)
        : item(item), m_ring(std::make_shared<Ring>(qsizetype(sampleRate) * aheadSeconds,
                                                    qsizetype(sampleRate) * historySeconds,
                                                    std::max(block, chunkFrames)))
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
    // Steps back over up to `frames` frames handed out; returns how many.
    qint64 rewind(qint64 frames) { return m_ring->rewind(frames); }
    // Frames decoded and not handed out; all there will ever be once decoding is over.
    qsizetype ready() const { return m_ring->ready(); }

    bool failed() const
    {
        std::lock_guard lock(m_ring->mutex);
        return m_ring->failed;
    }
    qint64 consumedFrames() const { return m_ring->consumed.load(std::memory_order_relaxed); }
    qint64 durationMs() const { return m_ring->durationMs.load(std::memory_order_relaxed); }

    const AudioEngine::ItemId item;

private:
    // Frames are counted from the file's start: [end - capacity, end) are held, of which
    // [read, end) are still ahead.
    struct Ring
    {
        Ring(qsizetype ahead, qsizetype history, qsizetype block)
            : ahead(ahead), block(block), capacity(ahead + history),
              samples(std::size_t(capacity) * 2)
        {}

        void stop()
        {
            {
                std::lock_guard lock(mutex);
                stopped = true;
            }
            space.notify_all();
        }

        bool roomForBlock() const { return end - read <= ahead - block; }

        qsizetype take(float *out, qsizetype frames, bool *ended)
        {
            qsizetype n = 0;
            bool wake = false;
            {
                std::lock_guard lock(mutex);
                const bool hadRoom = roomForBlock();
                n = qsizetype(std::min<qint64>(frames, end - read));
                const qsizetype at = qsizetype(read % capacity);
                const qsizetype first = std::min(n, capacity - at);
                std::copy_n(samples.data() + 2 * at, 2 * first, out);
                std::copy_n(samples.data(), 2 * (n - first), out + 2 * first);
                read += n;
                *ended = done && !failed && read == end;
                wake = !hadRoom && roomForBlock();
                consumed.store(read, std::memory_order_relaxed);
            }
            // Only when a block has been freed: the decoder sleeps through the takes between.
            if (wake)
                space.notify_one();
            return n;
        }

        qint64 rewind(qint64 frames)
        {
            std::lock_guard lock(mutex);
            const qint64 back = std::min(frames, read - std::max<qint64>(0, end - capacity));
            read -= back;
            consumed.store(read, std::memory_order_relaxed);
            return back;
        }

        qsizetype ready() const
        {
            std::lock_guard lock(mutex);
            return done ? std::numeric_limits<qsizetype>::max() : qsizetype(end - read);
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
                    if (end - read > ahead - chunkFrames)
                        space.wait(lock, [this] { return stopped || roomForBlock(); });
                    if (stopped)
                        return;
                }
                const qsizetype got = decoder->read(chunk.data(), chunkFrames);
                if (got <= 0) {
                    error = decoder->error();
                    break;
                }
                std::lock_guard lock(mutex);
                const qsizetype at = qsizetype(end % capacity);
                const qsizetype first = std::min(got, capacity - at);
                std::copy_n(chunk.data(), 2 * first, samples.data() + 2 * at);
                std::copy_n(chunk.data() + 2 * first, 2 * (got - first), samples.data());
                end += got;
            }
            // Reported under the lock, so that once stop() has returned no report is on its
            // way to an engine that may be gone.
            std::lock_guard lock(mutex);
            done = true;
            failed = !error.isEmpty();
            if (failed && !stopped)
                onError(error);
        }

        const qsizetype ahead;
        const qsizetype block;
        const qsizetype capacity;
        std::vector<float> samples;
        mutable std::mutex mutex;
        std::condition_variable space;
        qint64 read = 0;
        qint64 end = 0;
        bool done = false;
        bool failed = false;
        bool stopped = false;
        std::atomic<qint64> consumed{0};
        std::atomic<qint64> durationMs{0};
    };

    const std::shared_ptr<Ring> m_ring;
};

// The music as one of the stream's sources: the current item's feed through the music gain,
// and the feed readied to follow it. The end of an item (and the move into the readied feed)
// is reported with the output frame where it lies, to be told once that frame is heard; until
// then the feed that ended is kept, as the queued sound after it may still be rendered again.
class MusicSource : public MixSource
{
public:
    // The item that ended, whether the readied feed already sounds in its place, the output
    // frame of the end and the report's number (see isPending()).
    using EndHandler =
        std::function<void(AudioEngine::ItemId, bool continued, qint64 at, quint64 report)>;
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
        old.push_back(std::move(m_previous));
        m_feed = std::move(feed);
        m_pending.clear();
        m_run = ActiveRun{};
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
        old->push_back(std::move(m_previous));
        m_feed = std::move(m_next);
        m_pending.clear();
        m_run = ActiveRun{};
        pauseLocked();
        return Adopted::Loaded;
    }

    // Whether the report has not been taken back by a rewind before its frame. Taking it
    // hands back the feed it ended, once nothing can be rendered before it any more.
    bool isPending(quint64 report) const
    {
        std::lock_guard lock(m_mutex);
        return std::any_of(m_pending.begin(), m_pending.end(),
                           [report](const Pending &p) { return p.report == report; });
    }
    Feeds take(quint64 report)
    {
        std::lock_guard lock(m_mutex);
        Feeds old = takeRetiredLocked();
        std::erase_if(m_pending, [report](const Pending &p) { return p.report == report; });
        if (m_previous && m_pending.empty())
            old.push_back(std::move(m_previous));
        return old;
    }

    // Over the short ramp, or eased over `glideFrames` when that is longer.
    void setPlaying(bool playing, float volume, qsizetype glideFrames = 0)
    {
        std::lock_guard lock(m_mutex);
        m_playing = playing;
        if (glideFrames > m_rampFrames)
            m_ramp.retarget(playing ? volume : 0.0f, glideFrames, GainRamp::Shape::Eased);
        else
            m_ramp.retarget(playing ? volume : 0.0f, m_rampFrames);
    }

    // The frames of `item` heard by output frame `heard`.
    qint64 heardFrames(AudioEngine::ItemId item, qint64 heard) const
    {
        std::lock_guard lock(m_mutex);
        const qint64 unheard = m_run.advancedSince(heard, m_renderedTo);
        if (m_feed && m_feed->item == item)
            return std::max<qint64>(0, m_feed->consumedFrames() - unheard);
        if (m_previous && m_previous->item == item) {
            const qint64 afterJoin = m_feed ? m_feed->consumedFrames() : 0;
            return std::max<qint64>(0, m_previous->consumedFrames() -
                                           std::max<qint64>(0, unheard - afterJoin));
        }
        return 0;
    }
    qint64 durationMs(AudioEngine::ItemId item) const
    {
        std::lock_guard lock(m_mutex);
        for (const TrackFeed *feed : {m_feed.get(), m_previous.get()}) {
            if (feed && feed->item == item)
                return feed->durationMs();
        }
        return 0;
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

    qsizetype readyFrames() const override
    {
        std::lock_guard lock(m_mutex);
        return soundingLocked() ? m_feed->ready() : std::numeric_limits<qsizetype>::max();
    }

    bool mixInto(float *out, qsizetype frames, qint64 at) override
    {
        std::lock_guard lock(m_mutex);
        m_renderedTo = at + frames;
        if (!soundingLocked()) {
            m_run.stopped(at);
            return false;
        }
        m_run.advancing(at);
        // Paused, the music moves on only through its fade.
        const qsizetype wanted = m_playing ? frames : std::min(frames, m_ramp.left);
        m_scratch.resize(std::size_t(frames) * 2);
        bool ended = false;
        qsizetype n = m_feed->take(m_scratch.data(), wanted, &ended);
        if (ended && m_playing && m_next && !m_next->failed()) {
            // The next track's first frame follows the last one of this track in the same
            // buffer, at the same gain: no gap, no glide.
            if (m_previous)
                m_retired.push_back(std::move(m_previous));
            m_previous = std::move(m_feed);
            m_feed = std::move(m_next);
            m_joinAt = at + n;
            report(m_previous->item, true, m_joinAt);
            n += m_feed->take(m_scratch.data() + 2 * n, wanted - n, &ended);
            ended = false; // a next track that is over at once ends on the next call
        }
        for (qsizetype done = 0; done < n;)
            done += m_ramp.mix(out + 2 * done, m_scratch.data() + 2 * done, n - done);
        if (ended) {
            m_endReported = true;
            m_endAt = at + n;
            report(m_feed->item, false, m_endAt);
        }
        if (ended || n < frames)
            m_run.stopped(at + n);
        return true;
    }

    void rewindTo(qint64 at) override
    {
        std::lock_guard lock(m_mutex);
        qint64 back = m_run.rewindTo(at, m_renderedTo);
        m_renderedTo = std::min(m_renderedTo, at);
        std::erase_if(m_pending, [at](const Pending &p) { return p.at > at; });
        if (m_endReported && m_endAt > at)
            m_endReported = false;
        m_ramp.rewind(back);
        if (m_feed)
            back -= m_feed->rewind(back);
        if (back > 0 && m_previous && m_joinAt > at) {
            // Back into the track before the join: the current one waits as the next again.
            if (m_next)
                m_retired.push_back(std::move(m_next));
            m_next = std::move(m_feed);
            m_feed = std::move(m_previous);
            m_feed->rewind(back);
        }
    }

private:
    struct Pending
    {
        quint64 report;
        qint64 at;
    };

    void report(AudioEngine::ItemId item, bool continued, qint64 at)
    {
        const quint64 number = ++m_lastReport;
        m_pending.push_back({number, at});
        m_onEnded(item, continued, at, number);
    }

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
    // The feed the current one followed without a gap, until that join is heard.
    std::unique_ptr<TrackFeed> m_previous;
    qint64 m_joinAt = 0;
    // Feeds let go on the main thread: the audio thread frees no memory.
    Feeds m_retired;
    std::vector<Pending> m_pending;
    quint64 m_lastReport = 0;
    GainRamp m_ramp;
    ActiveRun m_run;
    qint64 m_renderedTo = 0;
    bool m_playing = false;
    bool m_endReported = false;
    qint64 m_endAt = 0;
    std::vector<float> m_scratch;
};

FfmpegEngine::FfmpegEngine(std::shared_ptr<MixStream> stream, QObject *parent)
    : AudioEngine(parent), m_stream(std::move(stream)),
      m_source(std::make_shared<MusicSource>(
          m_stream->sampleRate(), [this](ItemId item, bool continued, qint64 at, quint64 report) {
              QMetaObject::invokeMethod(
                  this, [=, this] { onEnded(item, continued, at, report); }, Qt::QueuedConnection);
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
            if (adopted == MusicSource::Adopted::Loaded) {
                m_playing = false;
                m_stream->touch();
            }
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
        item, file.toLocalFile(), m_stream->sampleRate(), m_stream->refillFrames(),
        [this, item](const QString &description) {
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
    m_stream->touch();
}

void FfmpegEngine::clear()
{
    m_item = noItem;
    m_file = QUrl();
    m_preloadFile = QUrl();
    m_playing = false;
    m_source->replace(nullptr);
    m_stream->touch();
}

void FfmpegEngine::play()
{
    if (m_item == noItem)
        return;
    // Playing an item that has ended hears it again from its start.
    if (m_ended)
        startItem();
    m_playing = true;
    m_source->setPlaying(true, m_volume, glideFramesLeft());
    m_stream->touch();
}

void FfmpegEngine::pause()
{
    m_playing = false;
    m_source->setPlaying(false, m_volume);
    m_stream->touch();
}

void FfmpegEngine::setVolume(float volume)
{
    m_volume = std::clamp(volume, 0.0f, 1.0f);
    m_glideEnd = {};
    if (!m_playing)
        return;
    m_source->setPlaying(true, m_volume);
    m_stream->touch();
}

bool FfmpegEngine::glideVolume(float volume, std::chrono::milliseconds over)
{
    m_volume = std::clamp(volume, 0.0f, 1.0f);
    m_glideEnd = std::chrono::steady_clock::now() + over;
    if (m_playing) {
        m_source->setPlaying(true, m_volume, glideFramesLeft());
        m_stream->touch();
    }
    return true;
}

qsizetype FfmpegEngine::glideFramesLeft() const
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        m_glideEnd - std::chrono::steady_clock::now());
    return left.count() > 0 ? qsizetype(left.count() * m_stream->sampleRate() / 1000) : 0;
}

qint64 FfmpegEngine::position() const
{
    if (m_item == noItem)
        return 0;
    return m_source->heardFrames(m_item, m_stream->heardFrame()) * 1000 / m_stream->sampleRate();
}

qint64 FfmpegEngine::duration() const
{
    return m_item == noItem ? 0 : m_source->durationMs(m_item);
}

bool FfmpegEngine::outputAvailable() const
{
    return m_stream->outputAvailable();
}

void FfmpegEngine::onEnded(ItemId item, bool continued, qint64 at, quint64 report)
{
    if (!m_source->isPending(report))
        return; // rendered again since, and reported again where it now lies
    // Told when heard: the sound queued before the end still plays.
    const qint64 ahead = at - m_stream->heardFrame();
    if (ahead > 0) {
        QTimer::singleShot(int(ahead * 1000 / m_stream->sampleRate()) + 1, this,
                           [=, this] { onEnded(item, continued, at, report); });
        return;
    }
    m_source->take(report);
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
