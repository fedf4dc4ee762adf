// duskhaven-catalogue: lets a curator build a catalogue document from a folder of audio files
// and check one with the application's own decoder before publishing it.
//
// Exit status: 0 valid (or built), 1 invalid (the decoding error names the key path, the
// server answered with a status other than 200, or the folder cannot make a catalogue), 2 the
// document or folder could not be read or fetched, or the command line is wrong.

#include "CatalogueBuild.h"

#include "catalogue/Catalogue.h"
#include "catalogue/HTTPClient.h"
#include "core/AppError.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QTextStream>
#include <optional>

namespace {

const char usage[] = "usage: duskhaven-catalogue validate <file or http(s) URL>\n"
                     "       duskhaven-catalogue build <folder> --base-url <URL> [--out <file>]\n"
                     "       duskhaven-catalogue --help\n";

const char help[] = "Builds and checks Dusk Haven catalogue documents.\n"
                    "\n"
                    "  validate <file>   decode the file; print the counts of tracks, scenes and\n"
                    "                    ambient layers, or the decoding error with its key path\n"
                    "  validate <URL>    fetch an http or https URL the way the application does\n"
                    "                    (retrying transport failures) and decode the body; a\n"
                    "                    status other than 200 makes the document invalid\n"
                    "\n"
                    "  build <folder> --base-url <URL> [--out <file>]\n"
                    "                    write the catalogue of the audio files in the folder\n"
                    "                    (mp3, m4a, aac, wav, flac, ogg, oga, opus; others are\n"
                    "                    skipped with a note), served at URL, to <folder>/\n"
                    "                    manifest.json or <file>, whole and only if the\n"
                    "                    application's decoder accepts it. Track addresses are\n"
                    "                    URL + the path in the folder; ids come from the path;\n"
                    "                    titles and artists from the files' tags (else the file\n"
                    "                    name and no artist); lengths and sizes are measured.\n"
                    "                    Each sub-folder is a scene named after it, the files at\n"
                    "                    the top one named after the folder; or <folder>/\n"
                    "                    scenes.json groups them:\n"
                    "                      {\"scenes\": [{\"id\": \"night\", \"name\": \"Night\",\n"
                    "                        \"description\": \"…\",\n"
                    "                        \"files\": [\"a.mp3\", \"b/c.ogg\"],\n"
                    "                        \"sceneArt\": \"rainy-tokyo\", \"pack\": \"…\",\n"
                    "                        \"tag\": \"…\", \"accentHex\": \"#…\",\n"
                    "                        \"accentDeepHex\": \"#…\",\n"
                    "                        \"cover\": \"art/night.jpg\",\n"
                    "                        \"videoLoop\": \"loops/night.mp4\"}]}\n"
                    "                    (id, name and files required; cover and videoLoop are\n"
                    "                    files of the folder or http(s) addresses; audio files in\n"
                    "                    no scene are left out with a note)\n"
                    "\n"
                    "Exit status: 0 valid or written, 1 invalid document or input (nothing is\n"
                    "written), 2 unreadable file or folder, failed transfer, wrong command line.\n";

QString counted(qsizetype n, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1StringView(n == 1 ? one : many));
}

// Decodes one document and reports on it; the tool's exit status.
int validate(const QByteArray &bytes, QTextStream &out, QTextStream &err)
{
    QStringList notes;
    try {
        const Manifest manifest = Manifest::decode(bytes, &notes);
        for (const QString &note : notes)
            err << "note: " << note << '\n';
        const qsizetype layers = manifest.ambientLayers ? manifest.ambientLayers->size() : 0;
        out << "valid: " << counted(manifest.tracks.size(), "track", "tracks") << ", "
            << counted(manifest.playlists.size(), "scene", "scenes") << ", "
            << counted(layers, "ambient layer", "ambient layers") << '\n';
        return Valid;
    } catch (const AppError &error) {
        err << "invalid: " << error.description() << '\n';
        return Invalid;
    }
}

// The bytes of a document named on the command line; none, with the reason on `err`, when it
// cannot be read.
std::optional<QByteArray> readDocument(const QString &source, QTextStream &err)
{
    QFile file(source);
    QString problem;
    if (QFileInfo(source).isDir())
        problem = QStringLiteral("it is a folder");
    else if (!file.open(QIODevice::ReadOnly))
        problem = file.errorString();
    if (problem.isEmpty()) {
        QByteArray bytes = file.readAll();
        if (file.error() == QFileDevice::NoError)
            return bytes;
        problem = file.errorString();
    }
    err << "duskhaven-catalogue: cannot read " << source << ": " << problem << '\n';
    return std::nullopt;
}

bool isWebAddress(const QString &source)
{
    return source.startsWith(QLatin1StringView("http://"), Qt::CaseInsensitive) ||
           source.startsWith(QLatin1StringView("https://"), Qt::CaseInsensitive);
}

struct Fetched
{
    std::optional<QByteArray> body;
    Exit failure = Trouble;
    bool done = false;
};

QCoro::Task<> fetch(QUrl url, Fetched &result, QTextStream &err, QEventLoop &loop)
{
    const HTTPClient client(std::make_shared<QNetworkAccessManager>());
    try {
        const HTTPResponse response = co_await client.data(url);
        if (response.status == 200) {
            result.body = response.body;
        } else {
            err << "invalid: the server answered with status " << response.status
                << " instead of 200\n";
            result.failure = Invalid;
        }
    } catch (const AppError &error) {
        err << "duskhaven-catalogue: cannot fetch " << url.toDisplayString() << ": "
            << error.description() << '\n';
        result.failure = Trouble;
    }
    result.done = true;
    loop.quit();
}

// The body of a 200 answer; none, with the reason on `err` and the exit status in `failure`,
// for any other status or a failed transfer.
std::optional<QByteArray> fetchDocument(const QString &source, QTextStream &err, Exit &failure)
{
    const QUrl url(source, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()) {
        err << "duskhaven-catalogue: not a usable address: " << source << '\n';
        failure = Trouble;
        return std::nullopt;
    }
    Fetched result;
    QEventLoop loop;
    fetch(url, result, err, loop);
    if (!result.done)
        loop.exec();
    failure = result.failure;
    return result.body;
}

int run(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    if (arguments.size() == 1 &&
        (arguments[0] == QLatin1StringView("--help") || arguments[0] == QLatin1StringView("-h"))) {
        out << usage << '\n' << help;
        return Valid;
    }
    if (!arguments.isEmpty() && arguments[0] == QLatin1StringView("build"))
        return buildCatalogue(arguments.mid(1), out, err);
    if (arguments.size() != 2 || arguments[0] != QLatin1StringView("validate")) {
        err << usage;
        return Trouble;
    }
    Exit failure = Trouble;
    const auto bytes = isWebAddress(arguments[1]) ? fetchDocument(arguments[1], err, failure)
                                                  : readDocument(arguments[1], err);
    if (!bytes)
        return failure;
    return validate(*bytes, out, err);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return run(QCoreApplication::arguments().mid(1), out, err);
}
