// Robustness probe of the user's stored data, run by tools/store-probe:
//   duskhaven-store-probe [trials]
// Each trial runs a track download, a pin or a catalogue refresh (with settings writes) in a
// child process against a loopback server, kills it with SIGKILL at a random moment, then
// starts the environment on the same files as the app would and inspects what is on disk.
// A last run does the same work under a full disk, then again once space is back.
// Prints the counts; every count but the trials must be 0 (exit status 1 otherwise).
#include "Duskhaven/AppEnvironment.h"
#include "core/AppError.h"
#include "core/FileWriter.h"
#include "core/RecordStore.h"
#include "core/SettingsStore.h"
#include "storage/CacheEntry.h"
#include "support/FakeAudioEngine.h"
#include "support/TestCatalogue.h"
#include "support/TestHttpServer.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

using namespace std::chrono_literals;

namespace {
const QString scene = QStringLiteral("night");
const QStringList trackIds{"n1", "n2", "n3", "n4"};
const QStringList modes{"download", "pin", "refresh"};

QByteArray bodyOf(const QString &id)
{
    QByteArray body(256 * 1024, '\0');
    const QByteArray seed = id.toUtf8();
    for (qsizetype i = 0; i < body.size(); ++i)
        body[i] = char(seed.at(i % seed.size()) + i % 251);
    return body;
}

// Slow enough that a kill meets transfers, renames and store commits alike.
QByteArray serveCatalogue(TestHttpServer &server)
{
    Manifest manifest = sceneCatalogue({{scene, trackIds}});
    for (Track &track : manifest.tracks) {
        track.url = server.url("/" + track.id + ".mp3");
        server.serve(track.url.path(), TestHttpServer::Response{.body = bodyOf(track.id),
                                                                .chunkSize = 32 * 1024,
                                                                .chunkPause = 40ms});
    }
    const QByteArray document = catalogueJson(manifest);
    server.serve("/manifest.json",
                 TestHttpServer::Response{.body = document, .chunkSize = 256, .chunkPause = 5ms});
    return document;
}

struct Paths
{
    FileLocations locations;
    QString store;
    QString settings;
    explicit Paths(const QString &root)
        : locations(root + "/app"), store(root + "/records.sqlite"),
          settings(root + "/config/settings.json")
    {}
};

// The services that write the user's files, wired as the app wires them.
struct Writers
{
    SettingsStore settings;
    std::unique_ptr<RecordStore> store;
    HTTPClient http{std::make_shared<QNetworkAccessManager>(), {0ms}};
    LibraryService library;
    CacheService cache;
    DownloadService downloads;
    PinService pins;

    Writers(const Paths &paths, const QUrl &catalogue)
        : settings(paths.settings), store(RecordStore::openOrStartAfresh(paths.store)),
          library(catalogue, http, paths.locations), cache(paths.locations, *store, settings),
          downloads(http, cache, paths.locations), pins(library, http, paths.locations, settings)
    {}
};

// The work of one trial, in a process of its own: returns when done (or killed meanwhile).
int runChild(const QString &mode, const QString &root, const QUrl &catalogue)
{
    const Paths paths(root);
    paths.locations.ensureDirectories();
    Writers w(paths, catalogue);
    SettingsStore &settings = w.settings;
    LibraryService &library = w.library;

    if (mode == "refresh") {
        for (int round = 0; round < 50; ++round) {
            settings.setInteger(QStringLiteral("probeRound"), round);
            TestSupport::wait(library.refresh());
        }
        return 0;
    }
    TestSupport::wait(library.refresh());
    if (mode == "pin")
        return TestSupport::wait(w.pins.pin(scene)).error ? 1 : 0;
    for (const Track &track : library.manifest()->tracksForPlaylist(scene)) {
        if (TestSupport::wait(w.downloads.localURL(track)).error)
            return 1;
    }
    return 0;
}

struct Counts
{
    int stranded = 0; // partial files the kill left, before the next start
    int corrupt = 0;
    int partials = 0;
    int recordsNotFiles = 0;
    int storeFailed = 0;
};

int partialsUnder(const QString &root)
{
    int found = 0;
    QDirIterator all(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (all.hasNext())
        found += all.next().endsWith(FileWriter::partialSuffix) ? 1 : 0;
    return found;
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

// What a user would find after the next start of the app on these files.
Counts inspectAfterStart(const Paths &paths)
{
    Counts counts;
    SettingsStore settings(paths.settings);
    if (!settings.movedAsideFile().isEmpty())
        ++counts.corrupt;
    std::unique_ptr<RecordStore> store;
    try {
        store = RecordStore::openOrStartAfresh(paths.store);
    } catch (const AppError &) {
        ++counts.storeFailed;
        return counts;
    }
    if (!store->movedAsideFile().isEmpty())
        ++counts.storeFailed;

    AppEnvironment::Options options{
        paths.locations,
        QUrl(QStringLiteral("http://127.0.0.1:%1/m").arg(TestHttpServer::unusedPort())),
        {0ms}};
    options.makeAudioEngine = [] { return std::make_unique<FakeAudioEngine>(); };
    const QString root = QFileInfo(paths.store).absolutePath();
    counts.stranded = partialsUnder(root);
    {
        // The start-up sweep runs before the environment's first wait.
        AppEnvironment environment(*store, settings, options);
    }

    counts.partials = partialsUnder(root);
    const FileLocations &at = paths.locations;
    for (const QString &folder : {at.cacheDir(), at.pinnedDir()}) {
        for (const QString &name : filesIn(folder)) {
            const QString id = QFileInfo(name).completeBaseName();
            if (TestSupport::readFile(folder + "/" + name) != bodyOf(id))
                ++counts.corrupt;
        }
    }
    if (QFileInfo::exists(at.manifestFile())) {
        try {
            Manifest::decode(TestSupport::readFile(at.manifestFile()));
        } catch (const AppError &) {
            ++counts.corrupt;
        }
    }
    QSet<QString> recorded;
    for (const CacheEntry &entry : store->fetchAll<CacheEntry>("trackId", Qt::AscendingOrder))
        recorded.insert(entry.trackId + ".mp3");
    const QStringList cached = filesIn(at.cacheDir());
    const QSet<QString> onDisk(cached.cbegin(), cached.cend());
    counts.recordsNotFiles += int((recorded - onDisk).size() + (onDisk - recorded).size());
    return counts;
}

void add(Counts &total, const Counts &more)
{
    total.stranded += more.stranded;
    total.corrupt += more.corrupt;
    total.partials += more.partials;
    total.recordsNotFiles += more.recordsNotFiles;
    total.storeFailed += more.storeFailed;
}

// Waits for the given time while the server keeps answering.
void pause(std::chrono::milliseconds time)
{
    QEventLoop loop;
    QTimer::singleShot(time, &loop, &QEventLoop::quit);
    loop.exec();
}

struct DiskFullRun
{
    int refused = 0;
    int failedOnceSpaceWasBack = 0;
    Counts counts;
};

// Every kind of write under a full disk, then the same again with space back, in this process.
DiskFullRun runDiskFull(TestHttpServer &server)
{
    DiskFullRun run;
    QTemporaryDir dir;
    const Paths paths(dir.path());
    paths.locations.ensureDirectories();
    QDir().mkpath(QFileInfo(paths.settings).absolutePath());
    const QUrl catalogue = server.url("/manifest.json");
    for (const bool full : {true, false}) {
        Writers w(paths, catalogue);
        LibraryService &library = w.library;
        if (!full)
            TestSupport::wait(library.refresh());

        // The catalogue and settings are small; 8 KiB lets their writes and the store's first
        // pages through some of the time, the tracks never.
        std::optional<TestSupport::DiskLimit> limit;
        if (full)
            limit.emplace(8 * 1024);
        int failed = TestSupport::wait(library.refresh()).error ? 1 : 0;
        failed += w.settings.setInteger(QStringLiteral("probeFull"), full ? 1 : 0) ? 0 : 1;
        if (library.manifest()) {
            failed += TestSupport::wait(w.pins.pin(scene)).error ? 1 : 0;
            failed +=
                TestSupport::wait(w.downloads.localURL(library.manifest()->tracks.first())).error
                    ? 1
                    : 0;
        }
        limit.reset();
        if (full)
            run.refused = failed;
        else
            run.failedOnceSpaceWasBack = failed;
    }
    run.counts = inspectAfterStart(paths);
    return run;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(1) == "--child")
        return runChild(args.value(2), args.value(3), QUrl(args.value(4)));

    const int trials = args.size() > 1 ? args.value(1).toInt() : 100;
    TestHttpServer server;
    serveCatalogue(server);
    QRandomGenerator &random = *QRandomGenerator::global();

    Counts total;
    QMap<QString, int> perMode;
    for (int trial = 0; trial < trials; ++trial) {
        const QString mode = modes.at(trial % modes.size());
        perMode[mode] += 1;
        QTemporaryDir dir;
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    {"--child", mode, dir.path(), server.url("/manifest.json").toString()});
        child.waitForStarted();
        pause(std::chrono::milliseconds(random.bounded(20, 1600)));
        child.kill();
        child.waitForFinished();
        add(total, inspectAfterStart(Paths(dir.path())));
    }
    const DiskFullRun full = runDiskFull(server);

    QTextStream out(stdout);
    out << "trials: " << trials << " (download " << perMode.value("download") << ", pin "
        << perMode.value("pin") << ", catalogue refresh " << perMode.value("refresh")
        << "), each killed with SIGKILL at a random moment\n"
        << "partial files the kills left (the next start sweeps them): " << total.stranded << "\n"
        << "corrupt or half files: " << total.corrupt << "\n"
        << "orphaned partials after the next start: " << total.partials << "\n"
        << "records not equal to files: " << total.recordsNotFiles << "\n"
        << "store failed to open: " << total.storeFailed << "\n"
        << "disk-full run: operations refused " << full.refused
        << " of 4, failed once space was back " << full.failedOnceSpaceWasBack
        << ", corrupt or half files " << full.counts.corrupt << ", orphaned partials "
        << full.counts.partials << ", records not equal to files " << full.counts.recordsNotFiles
        << ", store failed to open " << full.counts.storeFailed << "\n";
    const bool clean = total.corrupt + total.partials + total.recordsNotFiles + total.storeFailed +
                           full.failedOnceSpaceWasBack + full.counts.corrupt +
                           full.counts.partials + full.counts.recordsNotFiles +
                           full.counts.storeFailed ==
                       0;
    return clean ? 0 : 1;
}
