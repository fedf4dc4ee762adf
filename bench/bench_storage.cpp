// Costs of the audio cache's books: eviction over a large record list and the per-track
// lookup the player and the download service make before every track.
#include "core/FileLocations.h"
#include "core/RecordStore.h"
#include "core/SettingsStore.h"
#include "storage/CacheEntry.h"
#include "storage/CacheService.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {
constexpr qint64 MiB = 1048576;

// An application tree with `count` cached one-MiB tracks (empty files on disk: eviction cost
// is the unlink, not the size), track i last used i seconds after the first.
struct CacheTree
{
    QTemporaryDir dir;
    FileLocations locations{dir.filePath(QStringLiteral("app"))};
    std::unique_ptr<RecordStore> store;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<CacheService> cache;

    explicit CacheTree(int count)
    {
        locations.ensureDirectories();
        store = std::make_unique<RecordStore>(dir.filePath(QStringLiteral("records.sqlite")));
        settings = std::make_unique<SettingsStore>(dir.filePath(QStringLiteral("settings.json")));
        cache = std::make_unique<CacheService>(locations, *store, *settings);
        const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-1);
        for (int i = 0; i < count; ++i) {
            const QString id = trackId(i);
            QFile file(cache->cacheFilePath(id));
            file.open(QIODevice::WriteOnly);
            store->insert(CacheEntry{id, MiB, start.addSecs(i)});
        }
        store->save();
    }

    static QString trackId(int i) { return QStringLiteral("track-%1").arg(i, 5, 10, QChar('0')); }
};

void BM_enforceBudget_10000_evict_5000(benchmark::State &state)
{
    for (auto _ : state) {
        CacheTree tree(10000);
        tree.cache->setBudgetBytes(5000 * MiB);
        QElapsedTimer timer;
        timer.start();
        tree.cache->enforceBudget();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        if (tree.store->fetchAll<CacheEntry>(QStringLiteral("lastUsedAt"), Qt::AscendingOrder)
                .size() != 5000)
            state.SkipWithError("eviction did not stop at 5,000 records");
    }
}
BENCHMARK(BM_enforceBudget_10000_evict_5000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// Within budget: the cost of reading and summing the list when nothing is evicted.
void BM_enforceBudget_10000_within(benchmark::State &state)
{
    CacheTree tree(10000);
    tree.cache->setBudgetBytes(10000 * MiB);
    for (auto _ : state)
        tree.cache->enforceBudget();
}
BENCHMARK(BM_enforceBudget_10000_within)->Unit(benchmark::kMillisecond);

std::unique_ptr<CacheTree> lookupTree;

CacheTree &sharedLookupTree()
{
    if (!lookupTree) {
        lookupTree = std::make_unique<CacheTree>(10000);
        QFile pinned(lookupTree->cache->pinnedFilePath(QStringLiteral("pinned-one")));
        pinned.open(QIODevice::WriteOnly);
    }
    return *lookupTree;
}

// A pinned track: two existence tests at most, no store access.
void BM_cachedURL_pinned(benchmark::State &state)
{
    CacheTree &tree = sharedLookupTree();
    for (auto _ : state)
        benchmark::DoNotOptimize(tree.cache->cachedURL(QStringLiteral("pinned-one")));
}
BENCHMARK(BM_cachedURL_pinned);

// A cached track: the lookup touches its record, one fetch and one durable save.
void BM_cachedURL_cached(benchmark::State &state)
{
    CacheTree &tree = sharedLookupTree();
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(tree.cache->cachedURL(CacheTree::trackId(i++ % 10000)));
}
BENCHMARK(BM_cachedURL_cached)->Unit(benchmark::kMicrosecond);

// Neither pinned nor cached.
void BM_cachedURL_miss(benchmark::State &state)
{
    CacheTree &tree = sharedLookupTree();
    for (auto _ : state)
        benchmark::DoNotOptimize(tree.cache->cachedURL(QStringLiteral("not-here")));
}
BENCHMARK(BM_cachedURL_miss);
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    lookupTree.reset();
    return 0;
}
