#include "catalogue/Catalogue.h"
#include "core/AppError.h"
#include "support/TestHttpServer.h"
#include "support/TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray fixture()
{
    return TestSupport::readFile(TestSupport::sourceDir() +
                                 "/tests/catalogue/fixtures/catalogue.json");
}

// `node` with the value at `path` ("tracks[1].url") replaced; an undefined value removes it.
QJsonValue replaced(const QJsonValue &node, QStringView path, const QJsonValue &value)
{
    if (path.isEmpty())
        return value;
    qsizetype stepEnd = path.startsWith(u'[') ? path.indexOf(u']') + 1 : 0;
    while (stepEnd < path.size() && path[stepEnd] != u'.' && path[stepEnd] != u'[')
        ++stepEnd;
    const QStringView step = path.first(stepEnd);
    QStringView rest = path.sliced(stepEnd);
    if (rest.startsWith(u'.'))
        rest = rest.sliced(1);
    if (step.startsWith(u'[')) {
        QJsonArray array = node.toArray();
        const int i = step.sliced(1, step.size() - 2).toInt();
        const QJsonValue inner = replaced(array.at(i), rest, value);
        inner.isUndefined() ? array.removeAt(i) : array.replace(i, inner);
        return array;
    }
    QJsonObject object = node.toObject();
    const QJsonValue inner = replaced(object.value(step), rest, value);
    inner.isUndefined() ? object.remove(step.toString()) : void(object[step.toString()] = inner);
    return object;
}

QByteArray edited(const QString &path, const QJsonValue &value)
{
    const QJsonValue root = QJsonDocument::fromJson(fixture()).object();
    return QJsonDocument(replaced(root, path, value).toObject()).toJson();
}

// The fixture with a raw number literal at `path`, which QJsonValue could not hold.
QByteArray withLiteral(const QString &path, const QByteArray &literal)
{
    return edited(path, "@literal@").replace("\"@literal@\"", literal);
}

QString decodingError(const QByteArray &json)
{
    try {
        Manifest::decode(json);
    } catch (const AppError &error) {
        return error.domain() == AppError::Domain::Decoding ? error.description() : "wrong domain";
    }
    return {};
}

const auto ids = [](const QList<Track> &tracks) {
    return TestSupport::fieldOf(tracks, &Track::id);
};

} // namespace

class TestCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void decodesEveryFieldAndListsTheTracksOfAScene()
    {
        Manifest m = Manifest::decode(fixture());
        QCOMPARE(m.version, 7);
        QCOMPARE(m.updatedAt, QDateTime(QDate(2025, 1, 31), QTime(18, 0), Qt::UTC));
        // The rest of each record is read back from tst_catalogue_build's built catalogues.
        QCOMPARE(m.tracks[0].coverUrl, QUrl("https://media.example/covers/t1.jpg"));
        QCOMPARE(m.tracks[1].coverUrl, std::nullopt);
        const Playlist &scene = m.playlists[0];
        QCOMPARE(scene.tag, "Focus");
        QCOMPARE(scene.accentDeepHex, "#2B335C");
        QCOMPARE(m.playlists[1].pack, std::nullopt);
        QCOMPARE(m.ambientLayers->at(0).icon, "cloud.rain");
        QCOMPARE(m.ambientLayers->at(1).icon, "speaker.wave.2");
        QCOMPARE(m.ambientLayers->at(1).url, std::nullopt);

        // In the scene's order, repeats kept, unknown ids left out; ids match exactly.
        QCOMPARE(ids(m.tracksForPlaylist("rainy-night")), QStringList({"t2", "t1", "t3"}));
        QCOMPARE(ids(m.tracksForPlaylist("late-cafe")), QStringList({"t3", "t3", "t1"}));
        QVERIFY(m.tracksForPlaylist("Rainy-Night").isEmpty());
        Playlist twin = m.playlists[0];
        twin.name = "Twin";
        m.playlists.append(twin);
        QCOMPARE(m.playlist("rainy-night")->name, "Rainy Night");
    }

    // Each case breaks one required rule; the error starts with the key path and the fault.
    void failsNamingTheKeyPathOrWhereTheJsonBreaks()
    {
        const QJsonValue missing(QJsonValue::Undefined);
        const struct
        {
            const char *path;
            QJsonValue value;
            const char *error;
        } cases[] = {
            {"version", "7", "version: expected an integer, found a string"},
            {"updatedAt", QJsonValue(), "updatedAt: is null, expected a string"},
            {"tracks", QJsonObject(), "tracks: expected an array, found an object"},
            {"tracks[2].url", "https://x/a b.mp3", "tracks[2].url: \"https://x/a b.mp3\" is not a"},
            {"tracks[1].url", "file:///tmp/fifo",
             "tracks[1].url: \"file:///tmp/fifo\" is not an http or https address"},
            {"tracks[0].coverUrl", "ftp://x/c.png",
             "tracks[0].coverUrl: \"ftp://x/c.png\" is not an"},
            {"tracks[1].fileSizeBytes", 1.5,
             "tracks[1].fileSizeBytes: expected an integer, found 1.5"},
            {"tracks[0].coverUrl", 42,
             "tracks[0].coverUrl: expected a string or null, found a number"},
            {"playlists[0].trackIds", "t1", "playlists[0].trackIds: expected an array of strings"},
            {"ambientLayers", "rain", "ambientLayers: expected an array or null, found a string"},
        };
        for (const auto &c : cases) {
            const QString error = decodingError(edited(c.path, c.value));
            QVERIFY2(error.startsWith(c.error), qPrintable(error));
        }

        // A document that is no catalogue at all says so, and where it stops being JSON.
        const QList<std::pair<QByteArray, QString>> documents = {
            {"", "not valid JSON: unexpected end of the document at line 1, column 1"},
            {"{\n  \"version\": 1,", "not valid JSON: expected a member name at line 2, column 16"},
            {"{\"a\": \"\xC3\x28\"}", "not valid JSON: invalid UTF-8 in a string"},
            {QByteArray(100000, '['), "not valid JSON: nesting too deep"},
        };
        for (const auto &[json, expected] : documents) {
            const QString error = decodingError(json);
            QVERIFY2(error.startsWith(expected), qPrintable(error));
        }
    }

    // An integer is any whole number in the signed 64-bit range, read from its literal, so
    // that neither rounding nor clamping through a double lets a wrong value pass.
    void readsIntegersExactly()
    {
        const QString path = "tracks[1].fileSizeBytes";
        const QList<std::pair<QByteArray, qint64>> whole = {
            {"9223372036854775807", std::numeric_limits<qint64>::max()},
            {"-9223372036854775808", std::numeric_limits<qint64>::min()},
            {"9007199254740993", 9007199254740993},
        };
        for (const auto &[literal, value] : whole)
            QCOMPARE(Manifest::decode(withLiteral(path, literal)).tracks[1].fileSizeBytes, value);
        for (const char *literal : {"9223372036854775808", "1e19"})
            QCOMPARE(decodingError(withLiteral(path, literal)),
                     path + ": " + literal + " is outside the signed 64-bit integer range");
        for (const char *literal : {"1.0000000000000001", "15e-1"})
            QCOMPARE(decodingError(withLiteral(path, literal)),
                     path + ": expected an integer, found " + literal);
    }

    void readsDatesWithAZone()
    {
        const QDateTime instant(QDate(2025, 1, 31), QTime(18, 0), Qt::UTC);
        for (const char *text : {"2025-01-31T19:30:00+01:30", "2025-01-31T12:00:00-06:00"})
            QCOMPARE(Manifest::decode(edited("updatedAt", text)).updatedAt, instant);
        for (const char *text :
             {"2025-01-31T18:00:00", "2025-01-31T18:00:00.250Z", "2025-02-30T18:00:00Z",
              "2025-01-31", "2025-01-31T18:00:00+0100", "2025-01-31T24:00:00Z"})
            QVERIFY2(decodingError(edited("updatedAt", text)).startsWith("updatedAt: \""), text);
    }

    // A malformed tolerant key decodes exactly as if it were absent, and absent means empty.
    void toleratesMalformedPresentationKeys()
    {
        const QList<std::pair<QString, QJsonValue>> cases = {
            {"playlists[0].coverUrl", "a b"},
            {"playlists[0].coverUrl", "file:///etc/passwd"},
            {"playlists[0].tag", 5},
            {"playlists[0].accentHex", QJsonValue()},
            {"playlists[0].sceneArt", "beach"},
            {"playlists[0].pack", QJsonObject()},
            {"playlists[0].videoLoop", false},
            {"ambientLayers[0].icon", 7},
            {"ambientLayers[0].url", ""},
            {"ambientLayers[0].url", "data:audio/ogg;base64,AAAA"},
            {"ambientLayers", QJsonValue()},
        };
        const Manifest original = Manifest::decode(fixture());
        for (const auto &[path, value] : cases) {
            const Manifest absent = Manifest::decode(edited(path, QJsonValue::Undefined));
            QVERIFY2(absent != original, qPrintable(path));
            QVERIFY2(Manifest::decode(edited(path, value)) == absent, qPrintable(path));
        }
    }

    void ignoresUnknownKeysAndFormattingButComparesEveryField()
    {
        QJsonValue root = QJsonDocument::fromJson(fixture()).object();
        for (const char *path : {"extra", "tracks[0].extra", "ambientLayers[0].extra"})
            root = replaced(root, QString::fromLatin1(path), QJsonArray{1.5, "x", QJsonValue()});
        const Manifest base = Manifest::decode(fixture());
        QCOMPARE(Manifest::decode(QJsonDocument(root.toObject()).toJson(QJsonDocument::Compact)),
                 base);
        QCOMPARE(Manifest::decode("\xEF\xBB\xBF" + fixture()), base);

        QVERIFY(base != Manifest::decode(edited("playlists[1].trackIds[1]", "t2")));
        QVERIFY(base != Manifest::decode(edited("ambientLayers[1].icon", "flame")));
        QVERIFY(base != Manifest::decode(edited("tracks[2].durationSeconds", 167)));
        QVERIFY(base != Manifest::decode(edited("updatedAt", "2025-01-31T18:00:01Z")));
        QVERIFY(Manifest::decode(edited("ambientLayers", QJsonArray())) !=
                Manifest::decode(edited("ambientLayers", QJsonValue())));
    }

    // A repeated track id and a scene id reserved for the user's own scenes are left out,
    // with a note each; the rest of the catalogue loads.
    void leavesOutRepeatedTracksAndReservedScenes()
    {
        QJsonObject copy = QJsonDocument::fromJson(fixture())["tracks"][0].toObject();
        copy["title"] = "Impostor";
        QJsonObject root = QJsonDocument::fromJson(fixture()).object();
        root["tracks"] = QJsonArray(root["tracks"].toArray()) << copy;
        QJsonObject reserved = root["playlists"][0].toObject();
        reserved["id"] = "custom-1";
        root["playlists"] = QJsonArray(root["playlists"].toArray()) << reserved;
        QStringList notes;
        const Manifest m = Manifest::decode(QJsonDocument(root).toJson(), &notes);
        QCOMPARE(ids(m.tracks), QStringList({"t1", "t2", "t3"}));
        QCOMPARE(m.playlists, Manifest::decode(fixture()).playlists);
        QCOMPARE(m.tracksForPlaylist("rainy-night")[1].title, "Warm Static");
        QCOMPARE(notes,
                 QStringList({"tracks[3]: the id \"t1\" repeats tracks[0]; the first is kept",
                              "playlists[2]: the id \"custom-1\" begins with \"custom-\", which "
                              "names the user's own scenes; the scene is left out"}));
        // The copy is still decoded strictly.
        copy["url"] = "";
        root["tracks"] = QJsonArray(root["tracks"].toArray()) << copy;
        QVERIFY(decodingError(QJsonDocument(root).toJson()).startsWith("tracks[4].url: "));
    }

    // 0 valid, 1 not a valid catalogue, 2 could not be read or misused.
    // From a file or an http(s) address; a status other than 200 is a failure whatever the body.
    void toolReportsWithItsExitStatus()
    {
        TestHttpServer server;
        server.serve("/valid.json", 200, fixture());
        server.serve("/gone.json", 404, fixture());
        server.serve("/same.json", 304, {});
        QTemporaryDir dir;
        const QString invalid = dir.filePath("invalid.json");
        QVERIFY(TestSupport::writeFile(invalid, edited("playlists[0].trackIds[2]", QJsonValue())));
        const QString valid = TestSupport::sourceDir() + "/tests/catalogue/fixtures/catalogue.json";
        const QString absent = dir.filePath("absent.json");
        const struct
        {
            QStringList arguments;
            int exit;
            QString output;
        } runs[] = {
            {{"validate", valid}, 0, "valid: 3 tracks, 2 scenes, 2 ambient layers\n"},
            {{"validate", invalid}, 1, "invalid: playlists[0].trackIds[2]: is null"},
            {{"validate", absent}, 2, "duskhaven-catalogue: cannot read " + absent + ": "},
            {{"check", valid}, 2, "usage: "},
            {{"validate", server.url("/valid.json").toString()}, 0, "valid: 3 tracks"},
            {{"validate", server.url("/gone.json").toString()},
             1,
             "invalid: the server answered with status 404"},
            {{"validate", server.url("/same.json").toString()},
             1,
             "invalid: the server answered with status 304"},
        };
        for (const auto &run : runs) {
            const TestSupport::Ran ran = TestSupport::run(
                TestSupport::binaryDir() + "/tools/duskhaven-catalogue", run.arguments);
            QCOMPARE(ran.exitCode, run.exit);
            // What goes right goes to standard output, the rest to standard error.
            QVERIFY2((run.exit == 0 ? ran.out : ran.err).startsWith(run.output),
                     qPrintable(ran.out + ran.err));
            QVERIFY((run.exit == 0 ? ran.err : ran.out).isEmpty());
        }
        for (const char *path : {"/valid.json", "/gone.json", "/same.json"})
            QCOMPARE(server.requestCount(path), 1); // an answer is not retried
    }

    // Random damage to a valid document: decoding returns a catalogue that keeps the track
    // invariant, or throws a decoding error; nothing else.
    void survivesMutatedDocuments()
    {
        const QByteArray original = fixture();
        const QJsonObject tree = QJsonDocument::fromJson(original).object();
        const QList<QJsonValue> oddities = {
            QJsonValue(), true,         0, -1, 1.5, 1e300, "", "a b", "https://x", "rainy-night",
            QJsonArray(), QJsonObject()};
        QRandomGenerator random(20250131);
        for (int round = 0; round < 20000; ++round) {
            QByteArray json = original;
            if (random.bounded(2) == 0) { // structural: delete a key or change a value's type
                QString path;
                for (QJsonValue node = tree; node.isObject() || node.isArray();) {
                    const qsizetype size =
                        node.isObject() ? node.toObject().size() : node.toArray().size();
                    if (size == 0 || random.bounded(4) == 0)
                        break;
                    const int i = random.bounded(int(size));
                    const QString step =
                        node.isObject() ? node.toObject().keys().at(i) : QString("[%1]").arg(i);
                    path += (path.isEmpty() || step.startsWith('[') ? "" : ".") + step;
                    node = node.isObject() ? node.toObject().value(step) : node.toArray().at(i);
                }
                const QJsonValue root = replaced(
                    tree, path,
                    random.bounded(3) == 0 ? QJsonValue(QJsonValue::Undefined)
                                           : oddities[random.bounded(int(oddities.size()))]);
                json = root.isObject() ? QJsonDocument(root.toObject()).toJson() : QByteArray("7");
            }
            for (int damage = random.bounded(3); damage > 0; --damage) {
                const int at = random.bounded(int(json.size()) + 1);
                switch (random.bounded(3)) {
                case 0: // flip a byte
                    if (at < json.size())
                        json[at] = char(json[at] ^ (1 << random.bounded(8)));
                    break;
                case 1: // truncate
                    json.truncate(at);
                    break;
                default: // splice in a piece of the document
                    json.insert(
                        at, original.mid(random.bounded(int(original.size())), random.bounded(64)));
                }
            }
            try {
                const Manifest m = Manifest::decode(json);
                QSet<QString> seen;
                for (const Track &track : m.tracks) {
                    QVERIFY2(!seen.contains(track.id), json.constData());
                    seen.insert(track.id);
                }
                for (const Playlist &scene : m.playlists)
                    QVERIFY(m.tracksForPlaylist(scene.id).size() <= scene.trackIds.size());
            } catch (const AppError &error) {
                QCOMPARE(error.domain(), AppError::Domain::Decoding);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
