// `duskhaven-catalogue build` on folders of real audio files, read back with the app's decoder.

#include "catalogue/Catalogue.h"
#include "support/AudioFiles.h"
#include "support/TestSupport.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using TestSupport::fieldOf;

namespace {
const QString base = QStringLiteral("https://cdn.example.com/lofi");

bool writeSound(const QString &path, double seconds)
{
    const int frames = int(seconds * 44100);
    return AudioFiles::writeWav(path, AudioFiles::sineLoop(frames, frames / 100, 0.5), 44100);
}

TestSupport::Ran build(const QStringList &arguments)
{
    return TestSupport::run(TestSupport::binaryDir() + "/tools/duskhaven-catalogue",
                            QStringList{"build"} + arguments);
}
} // namespace

class CatalogueBuildTest : public QObject
{
    Q_OBJECT

private slots:
    // Each length lies 0.05 s from where rounding to whole seconds turns, on the side a
    // codec's padding would push it across.
    void eachSubFolderIsASceneOfMeasuredTracks()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("My Music"), rainy = folder + "/Rainy Nights";
        QVERIFY(TestSupport::writeFile(rainy + "/notes.txt", "hello"));
        QVERIFY(writeSound(folder + "/intro.wav", 2.45));
        QVERIFY(writeSound(dir.filePath("drizzle.wav"), 3.55));
        QCOMPARE(AudioFiles::encodeMp3(dir.filePath("drizzle.wav"), rainy + "/01 Drizzle.mp3"),
                 QString());
        QVERIFY(writeSound(dir.filePath("late.wav"), 1.45));
        QCOMPARE(TestSupport::run("ffmpeg", {"-v", "error", "-i", dir.filePath("late.wav"), "-c:a",
                                             "libvorbis", "-metadata", "title=Late Train",
                                             "-metadata", "artist=Kim Ōta", rainy + "/Late #2.ogg"})
                     .exitCode,
                 0);

        const TestSupport::Ran ran = build({folder, "--base-url", base});
        QVERIFY2(ran.exitCode == 0, qPrintable(ran.err));
        QVERIFY2(ran.err.contains("Rainy Nights/notes.txt is not an audio file"),
                 qPrintable(ran.err));
        const QByteArray bytes = TestSupport::readFile(folder + "/manifest.json");
        const Manifest manifest = Manifest::decode(bytes);

        // In the order of the paths' code points, the same on every machine.
        const QStringList ids = {"rainy-nights-01-drizzle-mp3", "rainy-nights-late-2-ogg",
                                 "intro-wav"};
        const QStringList files = {"Rainy Nights/01 Drizzle.mp3", "Rainy Nights/Late #2.ogg",
                                   "intro.wav"};
        QCOMPARE(fieldOf(manifest.tracks, &Track::id), ids);
        QCOMPARE(fieldOf(manifest.tracks, &Track::title),
                 (QStringList{"01 Drizzle", "Late Train", "intro"}));
        QCOMPARE(fieldOf(manifest.tracks, &Track::artist), (QStringList{"", "Kim Ōta", ""}));
        const qint64 seconds[] = {4, 1, 2};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(manifest.tracks[i].durationSeconds, seconds[i]);
            QCOMPARE(manifest.tracks[i].fileSizeBytes, QFileInfo(folder + '/' + files[i]).size());
        }
        QCOMPARE(manifest.tracks[1].url.toString(QUrl::FullyEncoded),
                 base + "/Rainy%20Nights/Late%20%232.ogg");

        QCOMPARE(fieldOf(manifest.playlists, &Playlist::id),
                 (QStringList{"my-music", "rainy-nights"}));
        QCOMPARE(fieldOf(manifest.playlists, &Playlist::name),
                 (QStringList{"My Music", "Rainy Nights"}));
        QCOMPARE(manifest.playlists[0].trackIds, ids.mid(2));
        QCOMPARE(manifest.playlists[1].trackIds, ids.mid(0, 2));

        // Built again from the unchanged folder: the same bytes, ids included.
        QCOMPARE(build({folder, "--base-url", base + "/"}).exitCode, 0);
        QCOMPARE(TestSupport::readFile(folder + "/manifest.json"), bytes);
    }

    void scenesFileGroupsTheFiles()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("in");
        for (const char *name : {"a.wav", "b/c.wav", "d.wav"})
            QVERIFY(writeSound(folder + '/' + name, 1.0));
        QVERIFY(TestSupport::writeFile(folder + "/art/cover.png", TestSupport::solidPng(Qt::red)));
        const QByteArray scenes = R"({"scenes": [
            {"id": "night", "name": "Night", "description": "Late", "sceneArt": "rainy-tokyo",
             "pack": "Moods", "cover": "art/cover.png", "files": ["b/c.wav", "a.wav", "b/c.wav"]},
            {"id": "day", "name": "Day", "files": ["a.wav"],
             "videoLoop": "https://video.example.com/day.mp4"}]})";
        QVERIFY(TestSupport::writeFile(folder + "/scenes.json", scenes));

        const QString out = dir.filePath("published.json");
        const TestSupport::Ran ran = build({"--out", out, "--base-url", base, folder});
        QVERIFY2(ran.exitCode == 0, qPrintable(ran.err));
        QVERIFY2(ran.err.contains("d.wav is in no scene"), qPrintable(ran.err));
        QVERIFY(!QFile::exists(folder + "/manifest.json"));
        const Manifest manifest = Manifest::decode(TestSupport::readFile(out));

        QCOMPARE(fieldOf(manifest.tracks, &Track::id), (QStringList{"a-wav", "b-c-wav"}));
        QCOMPARE(fieldOf(manifest.playlists, &Playlist::id), (QStringList{"night", "day"}));
        const Playlist &night = manifest.playlists[0];
        QCOMPARE(night.trackIds, (QStringList{"b-c-wav", "a-wav", "b-c-wav"}));
        QCOMPARE(night.description, "Late");
        QVERIFY(night.sceneArt == SceneArtKind::RainyTokyo);
        QCOMPARE(night.pack.value_or(""), "Moods");
        QCOMPARE(night.coverUrl.value_or(QUrl()), QUrl(base + "/art/cover.png"));
        QCOMPARE(manifest.playlists[1].videoLoop.value_or(""), "https://video.example.com/day.mp4");
    }

    // Bad input is refused with the reason and the folder's old catalogue left as it was.
    void badInputWritesNothing_data()
    {
        QTest::addColumn<QByteArray>("scenes"); // none: no scenes.json
        QTest::addColumn<bool>("withAudio");
        QTest::addColumn<QStringList>("arguments"); // after the folder
        QTest::addColumn<int>("exit");
        QTest::addColumn<QString>("message");
        const QStringList url{"--base-url", base};
        QTest::newRow("scene names a missing file")
            << QByteArray(R"({"scenes": [{"id": "x", "name": "X", "files": ["gone.wav"]}]})")
            << true << url << 1 << "scenes[0].files[0]: no audio file \"gone.wav\"";
        QTest::newRow("scene id repeated")
            << QByteArray(R"({"scenes": [{"id": "x", "name": "X", "files": ["a.wav"]},
                                         {"id": "x", "name": "Y", "files": ["a.wav"]}]})")
            << true << url << 1 << "scenes[1].id \"x\" is used twice";
        QTest::newRow("bad JSON") << QByteArray(R"({"scenes": [)") << true << url << 1
                                  << "scenes.json is not valid JSON";
        QTest::newRow("no audio files") << QByteArray() << false << url << 1 << "no audio files";
        QTest::newRow("no --base-url")
            << QByteArray() << true << QStringList() << 2 << "needs a folder and --base-url";
        QTest::newRow("base URL not http")
            << QByteArray() << true << QStringList{"--base-url", "/srv/lofi"} << 2
            << "--base-url must be an http or https address";
    }

    void badInputWritesNothing()
    {
        QFETCH(QByteArray, scenes);
        QFETCH(bool, withAudio);
        QFETCH(QStringList, arguments);
        QFETCH(int, exit);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString old = "{\"old\": true}";
        QVERIFY(TestSupport::writeFile(dir.filePath("manifest.json"), old.toUtf8()));
        QVERIFY(TestSupport::writeFile(dir.filePath("readme.txt"), "words"));
        if (withAudio)
            QVERIFY(writeSound(dir.filePath("a.wav"), 1.0));
        if (!scenes.isEmpty())
            QVERIFY(TestSupport::writeFile(dir.filePath("scenes.json"), scenes));

        const TestSupport::Ran ran = build(QStringList{dir.path()} + arguments);
        QCOMPARE(ran.exitCode, exit);
        QVERIFY2(ran.err.contains(message), qPrintable(ran.err));
        QCOMPARE(TestSupport::readFile(dir.filePath("manifest.json")), old.toUtf8());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), withAudio + 2 + !scenes.isEmpty());
    }
};

QTEST_MAIN(CatalogueBuildTest)
#include "tst_catalogue_build.moc"
