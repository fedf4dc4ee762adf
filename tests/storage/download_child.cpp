// Downloads one track in a process of its own, so that a test can kill it mid-transfer:
//   storage_download_child <app root> <record store file> <track id> <url>
// Exits 0 once the track is in place, or 1.
#include "core/RecordStore.h"
#include "core/SettingsStore.h"
#include "storage/CacheService.h"
#include "storage/DownloadService.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const FileLocations locations(args.value(1));
    RecordStore store(args.value(2));
    SettingsStore settings(locations.appRoot() + "/settings.json");
    CacheService cache(locations, store, settings);
    DownloadService downloads(
        HTTPClient(std::make_shared<QNetworkAccessManager>(), {std::chrono::milliseconds(0)}),
        cache, locations);
    const auto outcome = TestSupport::wait(
        downloads.localURL(Track{.id = args.value(3), .url = QUrl(args.value(4))}));
    return outcome.value ? 0 : 1;
}
