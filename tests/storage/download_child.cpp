// A separate process that downloads one track into an application tree, so that a test can
// kill it mid-transfer and look at what is left on disk.
//   storage_download_child <app root> <record store file> <track id> <url>
// Prints the local file on success (exit 0), the error on failure (exit 1).
#include "Duskhaven/FileLocations.h"
#include "Duskhaven/RecordStore.h"
#include "Duskhaven/SettingsStore.h"
#include "storage/CacheService.h"
#include "storage/DownloadService.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <cstdio>

using namespace std::chrono_literals;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5) {
        std::fprintf(stderr, "usage: %s <app root> <store> <track id> <url>\n", argv[0]);
        return 2;
    }
    const FileLocations locations(args.at(1));
    locations.ensureDirectories();
    RecordStore store(args.at(2));
    SettingsStore settings(locations.appRoot() + QStringLiteral("/settings.json"));
    CacheService cache(locations, store, settings);
    DownloadService downloads(HTTPClient(std::make_shared<QNetworkAccessManager>(), {0ms}), cache,
                              locations);

    Track track;
    track.id = args.at(3);
    track.url = QUrl(args.at(4));
    const auto outcome = TestSupport::wait(downloads.localURL(track), 120s);
    if (outcome.value) {
        std::printf("%s\n", qPrintable(outcome.value->toLocalFile()));
        return 0;
    }
    std::fprintf(stderr, "%s\n",
                 outcome.error ? qPrintable(outcome.error->description()) : "timed out");
    return 1;
}
