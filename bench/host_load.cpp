// The catalogue host's side of many installed copies over one day, with an outage at noon.
//
// 1. Measured: the app's own code (LibraryService, HTTPClient) against a local server that
//    counts HTTP bytes gives the cost of each kind of request: the catalogue fetched whole, the
//    catalogue revalidated (304), the heads around a track's body and around the rest of a cut
//    one (206).
// 2. Simulated: N copies over a day on a fake clock. Their timing comes from the app's own
//    planners (CatalogueRefresher::pauseAfter and refreshOnReturn, HTTPClient's retry pauses
//    and jitteredPause); "before" is the behaviour this work replaced: the catalogue fetched
//    whole at start and never again, retries after exactly 3 s and 7 s, a cut download
//    started again from byte 0.
//
// The day, per copy (the same draws in both columns):
//   - half have run for days (their daily refresh falls anywhere in the day), half log in
//     between 07:30 and 09:30; the host publishes a new catalogue at 15:00;
//   - one listening session starting between 08:00 and 12:00, lasting 1 to 5 hours, through a
//     scene of 20 tracks (150-210 s, 3 MB each, half already cached; a downloaded one stays
//     cached), each next track fetched when one starts, at 1-20 Mbit/s;
//   - the player: a track whose file fails after its attempts is skipped; after a failed pass
//     over the scene it rests until the user presses play, 1 to 15 minutes after the outage;
//   - the outage, 12:00 to 12:20, either of the copies' network (nothing reaches the host; the
//     app sees the network come back) or of the host (every attempt is a refused request).
//
//   build/bench/host_load build/demo-catalogue/manifest.json [copies, default 10000]
#include "catalogue/CatalogueRefresher.h"
#include "catalogue/HTTPClient.h"
#include "catalogue/LibraryService.h"
#include "support/TestHttpServer.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QNetworkAccessManager>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <queue>
#include <random>
#include <vector>

using namespace std::chrono_literals;
using Response = TestHttpServer::Response;

namespace {

struct Costs
{
    qint64 catalogueWhole = 0;
    qint64 catalogueUnchanged = 0;
    qint64 trackHeads = 0;  // a GET and its 200 answer, less the body
    qint64 resumeHeads = 0; // a GET with Range and its 206 answer, less the body
};

qint64 exchanged(const TestHttpServer &server)
{
    return server.bytesReceived() + server.bytesSent();
}

Costs measure(const QByteArray &catalogue)
{
    TestHttpServer server;
    QTemporaryDir root;
    const auto network = std::make_shared<QNetworkAccessManager>();
    const HTTPClient http(network);
    server.serve("/manifest.json", Response{.body = catalogue,
                                            .headers = {{"Last-Modified", "Tue, 08 Dec 2026 "
                                                                          "06:00:00 GMT"}},
                                            .etag = "\"c1\""});
    LibraryService library(server.url("/manifest.json"), http, FileLocations(root.path()));
    Costs costs;
    qint64 before = exchanged(server);
    if (!TestSupport::wait(library.refresh()).value)
        qFatal("the catalogue was not accepted");
    costs.catalogueWhole = exchanged(server) - before;
    before = exchanged(server);
    TestSupport::wait(library.refresh());
    costs.catalogueUnchanged = exchanged(server) - before;

    const QByteArray track(3'000'000, 't');
    server.serve("/t.mp3", QList<Response>{{.body = track, .dropAfter = 1'000'000, .etag = "\"t\""},
                                           {.body = track, .etag = "\"t\""}});
    const HTTPClient once = http.withRetryDelays({0ms});
    before = exchanged(server);
    TestSupport::wait(once.download(server.url("/t.mp3"), root.filePath("t.mp3")));
    costs.trackHeads = exchanged(server) - before - 1'000'000;
    before = exchanged(server);
    TestSupport::wait(once.download(server.url("/t.mp3"), root.filePath("t.mp3")));
    costs.resumeHeads = exchanged(server) - before - 2'000'000;
    return costs;
}

constexpr double hour = 3600;
constexpr double outageStart = 12 * hour, outageEnd = 12 * hour + 20 * 60;
constexpr double published = 15 * hour; // the host's new catalogue
constexpr int sceneTracks = 20;
constexpr double trackBytes = 3e6;

enum class Outage { Network, Host };

struct World
{
    bool after = false;
    Outage outage = Outage::Network;
};

struct Tally
{
    std::vector<int> perSecond = std::vector<int>(24 * 3600, 0);
    double catalogueRequests = 0, catalogueBytes = 0, trackRequests = 0, trackBytes = 0;
    double lostToCuts = 0; // sent before a cut and thrown away by the copy
    void request(double t) { ++perSecond[std::clamp(int(t), 0, int(perSecond.size()) - 1)]; }
};

bool inOutage(double t)
{
    return t >= outageStart && t < outageEnd;
}

// One copy of the app. The draws that shape the day come from `day` (the same in both
// columns); the retry jitter from `jitter`.
class Copy
{
public:
    Copy(int index, const World &world, const Costs &costs, Tally &tally,
         std::function<void(double, std::function<void()>)> at)
        : m_world(world), m_costs(costs), m_tally(tally), m_at(std::move(at)),
          m_day(std::mt19937_64(index)), m_jitter(index + 7'777'777)
    {
        std::uniform_real_distribution<double> unit;
        const bool runningForDays = unit(m_day) < 0.5;
        const double login = 7.5 * hour + unit(m_day) * 2 * hour;
        m_sessionStart = std::max(8 * hour + unit(m_day) * 4 * hour, runningForDays ? 0 : login);
        m_sessionEnd = m_sessionStart + (1 + 4 * unit(m_day)) * hour;
        m_bandwidth = (1 + 19 * unit(m_day)) * 1e6 / 8;
        for (int i = 0; i < sceneTracks; ++i) {
            m_cached[i] = unit(m_day) < 0.5;
            m_durations[i] = 150 + 60 * unit(m_day);
        }
        m_pressDelay = (1 + 14 * unit(m_day)) * 60;
        const double dailyRefresh = unit(m_day) * 24 * hour;
        const double lastSpread = unit(m_day);
        m_returnDraw = unit(m_day);

        if (runningForDays) {
            if (m_world.after) {
                // Planned after yesterday's success: a day and up to an hour before.
                m_lastSuccess = dailyRefresh - 24 * hour - lastSpread * hour;
                planAt(dailyRefresh);
            }
        } else {
            m_at(login, [this] { refresh(); });
        }
        m_at(m_sessionStart, [this] { play(0); });
        if (m_world.outage == Outage::Network && m_world.after)
            m_at(outageEnd, [this] { networkReturned(); });
    }

private:
    // ---- the catalogue
    void refresh()
    {
        m_planned.reset();
        attemptRefresh(0);
    }

    void attemptRefresh(int attempt)
    {
        const double t = m_now;
        const bool reaches = !inOutage(t) || m_world.outage == Outage::Host;
        if (reaches) {
            m_tally.request(t);
            m_tally.catalogueRequests += 1;
        }
        if (!inOutage(t)) {
            // Revalidation answers 304 unless the host published since this copy's catalogue.
            const bool whole = !m_world.after || (t >= published && !m_hasPublished);
            m_tally.catalogueBytes +=
                double(whole ? m_costs.catalogueWhole : m_costs.catalogueUnchanged);
            m_hasPublished = t >= published;
            refreshEnded(true);
            return;
        }
        if (attempt + 1 < 3) {
            m_at(t + retryPause(attempt + 1), [this, attempt] { attemptRefresh(attempt + 1); });
            return;
        }
        refreshEnded(false);
    }

    void refreshEnded(bool succeeded)
    {
        if (!m_world.after)
            return; // the catalogue was fetched at start only
        m_failures = succeeded ? 0 : m_failures + 1;
        if (succeeded)
            m_lastSuccess = m_now;
        std::uniform_real_distribution<double> unit;
        plan(std::chrono::duration<double>(
                 CatalogueRefresher::pauseAfter(m_failures, unit(m_jitter), 0ms, m_refresher))
                 .count());
    }

    void plan(double pause) { planAt(m_now + pause); }

    void planAt(double at)
    {
        m_planned = at;
        m_at(at, [this, at] {
            if (m_planned == at)
                refresh();
        });
    }

    void networkReturned()
    {
        std::optional<std::chrono::milliseconds> since;
        if (m_lastSuccess)
            since = std::chrono::milliseconds(qint64((m_now - *m_lastSuccess) * 1000));
        // A copy that logs in later refreshes then anyway.
        if (!m_planned && !m_lastSuccess && m_failures == 0)
            return;
        if (!CatalogueRefresher::refreshOnReturn(m_failures, since, m_refresher))
            return;
        const double soon = 60 * m_returnDraw;
        if (!m_planned || m_now + soon < *m_planned)
            plan(soon);
    }

    // ---- the music
    void play(int track)
    {
        m_position = track;
        m_playing = false;
        if (m_now >= m_sessionEnd)
            return;
        const int id = track % sceneTracks;
        if (m_cached[id])
            startTrack();
        else
            fetch(track, /*forPlay=*/true);
    }

    void startTrack()
    {
        m_playing = true;
        m_failuresInARow = 0;
        const int track = m_position;
        m_at(m_now + m_durations[track % sceneTracks], [this, track] { trackEnded(track); });
        const int next = (track + 1) % sceneTracks;
        if (!m_cached[next] && !m_fetching)
            fetch(track + 1, /*forPlay=*/false);
    }

    void trackEnded(int track)
    {
        if (m_position != track)
            return;
        m_playing = false;
        if (m_fetching && m_fetchTrack == track + 1) {
            m_position = track + 1;
            m_fetchForPlay = true; // plays once it arrives
            return;
        }
        play(track + 1);
    }

    void fetch(int track, bool forPlay)
    {
        m_fetching = true;
        m_fetchTrack = track;
        m_fetchForPlay = forPlay;
        attemptFetch(0);
    }

    void attemptFetch(int attempt)
    {
        const double t = m_now;
        const int id = m_fetchTrack % sceneTracks;
        if (!inOutage(t) || m_world.outage == Outage::Host) {
            m_tally.request(t);
            m_tally.trackRequests += 1;
        }
        if (inOutage(t))
            return fetchAttemptFailed(attempt);
        const bool resuming = m_world.after && m_partial[id] > 0;
        const double rest = trackBytes - (resuming ? m_partial[id] : 0);
        m_tally.trackBytes += double(resuming ? m_costs.resumeHeads : m_costs.trackHeads);
        const double done = t + rest / m_bandwidth;
        if (t < outageStart && done > outageStart) {
            // Cut by the outage: what came so far was sent all the same.
            const double sent = (outageStart - t) * m_bandwidth;
            m_tally.trackBytes += sent;
            m_partial[id] = m_world.after ? trackBytes - rest + sent : 0;
            if (!m_world.after)
                m_tally.lostToCuts += sent;
            m_at(outageStart, [this, attempt] { fetchAttemptFailed(attempt); });
            return;
        }
        m_tally.trackBytes += rest;
        m_at(done, [this, id] {
            m_partial[id] = 0;
            m_cached[id] = true;
            m_fetching = false;
            if (m_fetchForPlay)
                startTrack();
        });
    }

    void fetchAttemptFailed(int attempt)
    {
        if (attempt + 1 < 3) {
            m_at(m_now + retryPause(attempt + 1), [this, attempt] { attemptFetch(attempt + 1); });
            return;
        }
        m_fetching = false;
        if (!m_fetchForPlay)
            return; // the track that needs it fetches it again when it is due
        if (++m_failuresInARow < sceneTracks) {
            play(m_position + 1);
            return;
        }
        // A whole pass failed: the player rests until the user asks again.
        m_at(std::max(m_now, outageEnd) + m_pressDelay, [this] {
            if (!m_playing && !m_fetching)
                play(m_position);
        });
    }

    double retryPause(int attempt)
    {
        const auto mean = HTTPClient::defaultRetryDelays().at(attempt);
        if (!m_world.after)
            return std::chrono::duration<double>(mean).count();
        std::uniform_real_distribution<double> unit;
        return std::chrono::duration<double>(HTTPClient::jitteredPause(mean, unit(m_jitter)))
            .count();
    }

public:
    double m_now = 0;

private:
    World m_world;
    const Costs &m_costs;
    Tally &m_tally;
    std::function<void(double, std::function<void()>)> m_at;
    std::mt19937_64 m_day;
    std::mt19937_64 m_jitter;
    CatalogueRefresher::Options m_refresher;

    double m_sessionStart = 0, m_sessionEnd = 0, m_bandwidth = 0, m_pressDelay = 0;
    double m_returnDraw = 0;
    bool m_cached[sceneTracks] = {};
    double m_durations[sceneTracks] = {};
    double m_partial[sceneTracks] = {};
    int m_position = 0, m_failuresInARow = 0, m_fetchTrack = 0;
    bool m_playing = false, m_fetching = false, m_fetchForPlay = false;

    int m_failures = 0;
    std::optional<double> m_lastSuccess, m_planned;
    bool m_hasPublished = false;
};

struct Event
{
    double at;
    quint64 order;
    int copy;
    std::function<void()> run;
    bool operator>(const Event &other) const
    {
        return at != other.at ? at > other.at : order > other.order;
    }
};

Tally simulate(int copies, const World &world, const Costs &costs)
{
    Tally tally;
    std::priority_queue<Event, std::vector<Event>, std::greater<>> events;
    quint64 order = 0;
    std::vector<std::unique_ptr<Copy>> all;
    all.reserve(copies);
    for (int i = 0; i < copies; ++i) {
        auto at = [&events, &order, i](double t, std::function<void()> run) {
            events.push({t, order++, i, std::move(run)});
        };
        all.push_back(std::make_unique<Copy>(i, world, costs, tally, at));
    }
    while (!events.empty()) {
        Event next = events.top();
        events.pop();
        if (next.at >= 24 * hour)
            break;
        all[next.copy]->m_now = next.at;
        next.run();
    }
    return tally;
}

int peak(const Tally &tally, double from, double to)
{
    return *std::max_element(tally.perSecond.begin() + int(from),
                             tally.perSecond.begin() + int(to));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: host_load <catalogue manifest.json> [copies]\n");
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", argv[1]);
    const int copies = argc > 2 ? std::max(1, atoi(argv[2])) : 10'000;
    const Costs costs = measure(file.readAll());
    std::printf("Measured with the app's client (HTTP bytes, both ways): catalogue whole %lld, "
                "revalidated (304) %lld; heads around a track %lld, around a resumed rest %lld\n\n",
                costs.catalogueWhole, costs.catalogueUnchanged, costs.trackHeads,
                costs.resumeHeads);

    const double million = 1e6 / copies;
    std::printf("%d copies, one day; outage 12:00-12:20. Per copy per day, then the peak of "
                "requests per second for a million copies\n",
                copies);
    std::printf("%-8s %-7s %9s %10s %9s %9s %9s %12s %16s %9s\n", "outage", "code", "cat.req",
                "cat.bytes", "trk.req", "trk.MB", "cut.kB", "peak:outage", "peak:hour-after",
                "peak:day");
    for (const Outage outage : {Outage::Network, Outage::Host}) {
        for (const bool after : {false, true}) {
            const Tally t = simulate(copies, {after, outage}, costs);
            std::printf("%-8s %-7s %9.3f %10.0f %9.2f %9.2f %9.2f %12.0f %16.0f %9.0f\n",
                        outage == Outage::Network ? "network" : "host", after ? "after" : "before",
                        t.catalogueRequests / copies, t.catalogueBytes / copies,
                        t.trackRequests / copies, t.trackBytes / copies / 1e6,
                        t.lostToCuts / copies / 1e3, peak(t, outageStart, outageEnd) * million,
                        peak(t, outageEnd, outageEnd + hour) * million,
                        peak(t, 0, 24 * hour) * million);
        }
    }
    return 0;
}
