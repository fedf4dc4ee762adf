#include "mixes/FocusCues.h"

#include "audio/MixSource.h"
#include "audio/MixStream.h"
#include "core/BuildInfo.h"
#include "mixes/SleepTimer.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <array>
#include <atomic>
#include <cmath>
#include <numbers>
#include <vector>

namespace {
const QString notifications = QStringLiteral("org.freedesktop.Notifications");
const QString notificationsPath = QStringLiteral("/org/freedesktop/Notifications");
const QString skipAction = QStringLiteral("skip");
} // namespace

namespace FocusCuesDetail {
// A soft bell: a fundamental and two quiet partials, a quick attack and a long decay, well
// below full scale so that it sits under the music rather than over it. Made once, at the
// first ring, and only read after that.
std::vector<float> bell()
{
    constexpr int rate = MixStream::sampleRate();
    constexpr double seconds = 1.6;
    const std::array<std::pair<double, double>, 3> partials{
        {{523.25, 0.16}, {1046.5, 0.05}, {1567.98, 0.025}}};
    std::vector<float> out(std::size_t(rate * seconds));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / rate;
        const double envelope = std::min(1.0, t / 0.008) * std::exp(-t / 0.38);
        double sample = 0.0;
        for (const auto &[frequency, level] : partials)
            sample += level * std::sin(2.0 * std::numbers::pi * frequency * t);
        out[i] = float(sample * envelope);
    }
    return out;
}

// The chime as one more source of the stream. It rings from the first frame rendered at or
// after the frame asked for; rendering the same output again renders the same chime.
class Chime : public MixSource
{
public:
    void ring(qint64 earliest)
    {
        if (m_samples.empty())
            m_samples = bell();
        m_start.store(-1);
        m_requested.store(earliest);
    }

    bool mixInto(float *out, qsizetype frames, qint64 at) override
    {
        if (const qint64 requested = m_requested.exchange(-1); requested >= 0)
            m_start.store(std::max(requested, at));
        m_renderedTo.store(at + frames);
        const qint64 start = m_start.load();
        if (start < 0)
            return false;
        const qint64 end = start + qint64(m_samples.size());
        const qint64 from = std::max(at, start), to = std::min(at + frames, end);
        for (qint64 f = from; f < to; ++f) {
            const float sample = m_samples[std::size_t(f - start)];
            out[2 * (f - at)] += sample;
            out[2 * (f - at) + 1] += sample;
        }
        return from < to;
    }

    void rewindTo(qint64) override {}

    bool isSounding() const override
    {
        const qint64 start = m_start.load();
        return m_requested.load() >= 0 ||
               (start >= 0 && m_renderedTo.load() < start + qint64(m_samples.size()));
    }

    void skipFadeOuts() override {}

private:
    std::vector<float> m_samples;
    std::atomic<qint64> m_requested{-1};
    std::atomic<qint64> m_start{-1};
    std::atomic<qint64> m_renderedTo{0};
};
} // namespace FocusCuesDetail

FocusCues::FocusCues(FocusSession &session, std::shared_ptr<MixStream> stream,
                     SleepTimer *sleepTimer, QDBusConnection sessionBus, QObject *parent)
    : QObject(parent), m_session(session), m_stream(std::move(stream)),
      m_chime(std::make_shared<FocusCuesDetail::Chime>()), m_sleepTimer(sleepTimer),
      m_bus(std::move(sessionBus))
{
    if (m_stream)
        m_stream->addSource(m_chime);
    connect(&session, &FocusSession::phaseStarted, this, &FocusCues::phaseStarted);
    connect(&session, &FocusSession::ended, this,
            [this] { notify(tr("Focus session done"), false); });
    m_bus.connect(notifications, notificationsPath, notifications, QStringLiteral("ActionInvoked"),
                  this, SLOT(actionInvoked(uint, QString)));
}

FocusCues::~FocusCues()
{
    if (m_stream)
        m_stream->removeSource(m_chime.get());
}

QString FocusCues::summary(FocusSession::Phase phase, int minutes)
{
    return tr("%1: %2").arg(FocusSession::phaseName(phase), SleepTimer::minutesLabel(minutes));
}

void FocusCues::chime()
{
    if (!m_stream)
        return;
    // A moment after what is heard now, so that it starts whole in output not yet played.
    m_chime->ring(m_stream->heardFrame() + MixStream::sampleRate() / 20);
    m_stream->touch();
}

void FocusCues::phaseStarted(FocusSession::Phase phase, int minutes, bool first)
{
    if (first || (m_sleepTimer && m_sleepTimer->fading()))
        return;
    chime();
    notify(summary(phase, minutes), phase != FocusSession::Phase::Focus);
}

void FocusCues::notify(const QString &summary, bool offersSkip)
{
    QDBusMessage message = QDBusMessage::createMethodCall(notifications, notificationsPath,
                                                          notifications, QStringLiteral("Notify"));
    QStringList actions;
    if (offersSkip)
        actions << skipAction << tr("Skip break");
    message.setArguments({QStringLiteral("Dusk Haven"), m_notification,
                          QString::fromUtf8(BuildInfo::appId), summary, QString(), actions,
                          QVariantMap{}, -1});
    // A desktop without a notification daemon simply shows nothing.
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        const QDBusPendingReply<uint> reply = *watcher;
        if (reply.isValid())
            m_notification = reply.value();
        watcher->deleteLater();
    });
}

void FocusCues::actionInvoked(uint id, const QString &action)
{
    if (id == m_notification && action == skipAction &&
        m_session.phase() != FocusSession::Phase::Focus)
        m_session.skip();
}
