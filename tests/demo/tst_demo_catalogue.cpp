// The generated demo catalogue, checked with the app's own decoder and media stack, and
// tools/demo serving it to a stand-in app.

#include "Duskhaven/AppError.h"
#include "catalogue/Catalogue.h"
#include "support/TestSupport.h"

#include <QAudioDecoder>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace {

QString binaryDir()
{
    return qEnvironmentVariable("DUSKHAVEN_BINARY_DIR");
}

QString catalogueDir()
{
    return binaryDir() + QStringLiteral("/demo-catalogue");
}

QString generator()
{
    return TestSupport::sourceDir() + QStringLiteral("/tools/demo-catalogue/generate");
}

// The manifest the test fixture wrote (the demo rewrites the one inside the folder).
QString fixtureManifest()
{
    return binaryDir() + QStringLiteral("/tests/demo-manifest.json");
}

// The file a catalogue address names inside the served folder.
QString servedFile(const QUrl &url)
{
    return catalogueDir() + url.path();
}

// Reads and decodes a manifest; throws AppError when either fails.
Manifest readManifest(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError::file(path + QStringLiteral(": ") + file.errorString());
    return Manifest::decode(file.readAll());
}

struct Pcm
{
    static constexpr int rate = 44100;
    static constexpr int channels = 2;
    QList<qint16> samples;
    bool failed = false;

    qint64 frames() const { return samples.size() / channels; }
    double seconds() const { return double(frames()) / rate; }
};

// Decodes a file to 16-bit stereo through Qt Multimedia, as the app's players do.
Pcm decode(const QString &path)
{
    Pcm pcm;
    QAudioDecoder decoder;
    QAudioFormat format;
    format.setSampleRate(Pcm::rate);
    format.setChannelCount(Pcm::channels);
    format.setSampleFormat(QAudioFormat::Int16);
    decoder.setAudioFormat(format);
    decoder.setSource(QUrl::fromLocalFile(path));
    QEventLoop loop;
    QObject::connect(&decoder, &QAudioDecoder::bufferReady, &loop, [&] {
        const QAudioBuffer buffer = decoder.read();
        const qint16 *data = buffer.constData<qint16>();
        const qsizetype at = pcm.samples.size();
        pcm.samples.resize(at + buffer.sampleCount());
        std::copy(data, data + buffer.sampleCount(), pcm.samples.begin() + at);
    });
    QObject::connect(&decoder, &QAudioDecoder::finished, &loop, &QEventLoop::quit);
    QObject::connect(&decoder, qOverload<QAudioDecoder::Error>(&QAudioDecoder::error), &loop, [&] {
        pcm.failed = true;
        loop.quit();
    });
    QTimer::singleShot(120000, &loop, [&] {
        pcm.failed = true;
        loop.quit();
    });
    decoder.start();
    loop.exec();
    return pcm;
}

// Root mean square of channel `ch` over frames [from, from + count).
double rms(const Pcm &pcm, qint64 from, qint64 count, int ch)
{
    double sum = 0;
    for (qint64 i = from; i < from + count; ++i) {
        const double x = pcm.samples[i * Pcm::channels + ch];
        sum += x * x;
    }
    return std::sqrt(sum / double(count));
}

struct Fetched
{
    int status = 0;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QByteArray body;
};

Fetched fetch(const QUrl &url)
{
    QNetworkAccessManager network;
    QNetworkReply *reply = network.get(QNetworkRequest(url));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
    Fetched out;
    out.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    out.error = reply->error();
    out.body = reply->readAll();
    delete reply;
    return out;
}

// A stand-in for the app: records what it was started with, then waits to be released.
const char standIn[] = R"(#!/bin/sh
dir=$(dirname "$0")
trap 'echo terminated > "$dir/terminated"; exit 0' TERM
{
    echo "$DUSKHAVEN_MANIFEST_URL"
    echo "$XDG_CONFIG_HOME"
    echo "$XDG_DATA_HOME"
    for a in "$@"; do echo "arg:$a"; done
} > "$dir/seen.partial"
mv "$dir/seen.partial" "$dir/seen"
while [ ! -e "$dir/release" ]; do sleep 0.05; done
exit 7
)";

// tools/demo run on a stand-in app in a folder of its own.
struct Demo
{
    QTemporaryDir dir;
    QProcess process;
    QStringList seen;

    // A test that failed half-way still ends the demo the way a user would, so that neither
    // its server nor the stand-in outlives the test.
    ~Demo()
    {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            process.waitForFinished(10000);
        }
    }

    bool start(const QStringList &arguments, const QString &port)
    {
        QFile script(dir.filePath(QStringLiteral("app")));
        if (!script.open(QIODevice::WriteOnly) || script.write(standIn) < 0)
            return false;
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("BUILD_DIR"), binaryDir());
        env.insert(QStringLiteral("DUSKHAVEN_DEMO_APP"), script.fileName());
        env.insert(QStringLiteral("DUSKHAVEN_DEMO_PORT"), port);
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(TestSupport::sourceDir() + QStringLiteral("/tools/demo"), arguments);
        return process.waitForStarted();
    }

    // Waits until the stand-in has been started and returns what it saw.
    bool waitForApp()
    {
        const QString path = dir.filePath(QStringLiteral("seen"));
        for (int i = 0; i < 1200 && !QFile::exists(path); ++i)
            QTest::qWait(50);
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        seen = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
        return seen.size() >= 3;
    }

    QUrl manifestUrl() const { return QUrl(seen.value(0)); }
};

} // namespace

class DemoCatalogueTest : public QObject
{
    Q_OBJECT

private:
    Manifest m_manifest;

private slots:
    void initTestCase()
    {
        try {
            m_manifest = readManifest(fixtureManifest());
        } catch (const AppError &error) {
            QFAIL(qPrintable(error.description()));
        }
    }

    void tracksAreTheFilesTheyDescribe()
    {
        QVERIFY(m_manifest.tracks.size() >= 16 && m_manifest.tracks.size() <= 20);
        QSet<QString> ids;
        for (const Track &track : std::as_const(m_manifest.tracks)) {
            ids.insert(track.id);
            const QFileInfo file(servedFile(track.url));
            QVERIFY2(file.isFile(), qPrintable(track.url.toString()));
            QCOMPARE(file.size(), track.fileSizeBytes);
            QVERIFY2(track.durationSeconds >= 60 && track.durationSeconds <= 120,
                     qPrintable(track.id));
            QVERIFY(!track.title.isEmpty() && !track.artist.isEmpty());
        }
        QCOMPARE(ids.size(), m_manifest.tracks.size());
    }

    void tracksPlayForTheirStatedLength_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<qint64>("seconds");
        for (const Track &track : std::as_const(m_manifest.tracks))
            QTest::newRow(qPrintable(track.id)) << servedFile(track.url) << track.durationSeconds;
    }

    void tracksPlayForTheirStatedLength()
    {
        QFETCH(QString, path);
        QFETCH(qint64, seconds);
        const Pcm pcm = decode(path);
        QVERIFY(!pcm.failed);
        QVERIFY2(std::abs(pcm.seconds() - double(seconds)) < 1.0,
                 qPrintable(QString::number(pcm.seconds())));
        // Audible, and mastered below full scale rather than clipped.
        const auto [low, high] = std::minmax_element(pcm.samples.cbegin(), pcm.samples.cend());
        const int peak = std::max(-int(*low), int(*high));
        QVERIFY2(peak > 16000 && peak < 32000, qPrintable(QString::number(peak)));
    }

    void scenesShowEveryKindOfPicture()
    {
        QList<SceneArtKind> arts;
        QStringList videos, coverOnly;
        const QRegularExpression colour(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
        for (const Playlist &scene : std::as_const(m_manifest.playlists)) {
            QVERIFY2(!scene.id.startsWith(u"custom-"), qPrintable(scene.id));
            QCOMPARE(m_manifest.tracksForPlaylist(scene.id).size(), scene.trackIds.size());
            QVERIFY(scene.tag && scene.pack);
            QVERIFY(scene.accentHex && colour.match(*scene.accentHex).hasMatch());
            QVERIFY(scene.accentDeepHex && colour.match(*scene.accentDeepHex).hasMatch());
            if (scene.sceneArt) {
                arts.append(*scene.sceneArt);
                QVERIFY2(scene.trackIds.size() >= 3 && scene.trackIds.size() <= 4,
                         qPrintable(scene.id));
            }
            if (scene.videoLoop) {
                videos.append(*scene.videoLoop);
                QVERIFY(QFileInfo(servedFile(QUrl(*scene.videoLoop))).isFile());
            }
            if (!scene.sceneArt && !scene.videoLoop && scene.coverUrl) {
                coverOnly.append(scene.id);
                const QImage cover(servedFile(*scene.coverUrl), "PNG");
                QVERIFY(!cover.isNull());
                QCOMPARE(cover.width() * 9, cover.height() * 16);
            }
        }
        std::sort(arts.begin(), arts.end());
        QCOMPARE(arts, QList<SceneArtKind>(SceneArt::allCases.begin(), SceneArt::allCases.end()));
        QCOMPARE(videos.size(), 1);
        QVERIFY(videos[0].startsWith(u"http"));
        QCOMPARE(coverOnly.size(), 1);
    }

    void ambientLayersAreTheBuiltInOnes()
    {
        QVERIFY(m_manifest.ambientLayers);
        const QStringList expected = {
            "rain|Rain|cloud.rain.fill",     "fire|Fireplace|flame.fill",
            "cafe|Café|cup.and.saucer.fill", "birds|Birds|bird.fill",
            "waves|Waves|water.waves",
        };
        QStringList layers;
        for (const AmbientLayer &layer : std::as_const(*m_manifest.ambientLayers)) {
            layers.append(layer.id + u'|' + layer.name + u'|' + layer.icon);
            QVERIFY(layer.url && QFileInfo(servedFile(*layer.url)).isFile());
        }
        QCOMPARE(layers, expected);
    }

    void ambientLayersLoopWithoutASeam_data()
    {
        QTest::addColumn<QString>("path");
        for (const AmbientLayer &layer : std::as_const(*m_manifest.ambientLayers))
            QTest::newRow(qPrintable(layer.id)) << servedFile(*layer.url);
    }

    // The mixer loops the decoded samples end to end. At the wrap there must be neither a
    // dropout (a codec's priming or padding, heard as a gap) nor a step larger than the
    // material's own (heard as a click).
    void ambientLayersLoopWithoutASeam()
    {
        QFETCH(QString, path);
        const Pcm pcm = decode(path);
        QVERIFY(!pcm.failed);
        QVERIFY2(pcm.seconds() >= 20 && pcm.seconds() <= 40,
                 qPrintable(QString::number(pcm.seconds())));
        const qint64 n = pcm.frames();
        const qint64 window = Pcm::rate / 50;
        for (int ch = 0; ch < Pcm::channels; ++ch) {
            QList<double> levels;
            for (qint64 at = 0; at + window <= n; at += window)
                levels.append(rms(pcm, at, window, ch));
            std::nth_element(levels.begin(), levels.begin() + levels.size() / 2, levels.end());
            const double typical = levels[levels.size() / 2];
            const double head = rms(pcm, 0, window, ch), tail = rms(pcm, n - window, window, ch);
            QVERIFY2(
                head > 0.25 * typical && tail > 0.25 * typical,
                qPrintable(
                    QStringLiteral("head %1 tail %2 typical %3").arg(head).arg(tail).arg(typical)));

            QList<int> steps;
            for (qint64 i = 1; i < n; ++i)
                steps.append(std::abs(pcm.samples[i * 2 + ch] - pcm.samples[(i - 1) * 2 + ch]));
            const qsizetype rank = steps.size() * 999 / 1000;
            std::nth_element(steps.begin(), steps.begin() + rank, steps.end());
            const int wrap = std::abs(pcm.samples[ch] - pcm.samples[(n - 1) * 2 + ch]);
            QVERIFY2(
                wrap <= steps[rank],
                qPrintable(QStringLiteral("wrap step %1, material %2").arg(wrap).arg(steps[rank])));
        }
    }

    void videoLoopIsA16by9H264Loop()
    {
        QString path;
        for (const Playlist &scene : std::as_const(m_manifest.playlists))
            if (scene.videoLoop)
                path = servedFile(QUrl(*scene.videoLoop));
        QProcess probe;
        probe.start(QStringLiteral("ffprobe"),
                    {"-v", "error", "-select_streams", "v:0", "-show_entries",
                     "stream=codec_name,pix_fmt,width,height:format=duration", "-of", "json",
                     path});
        QVERIFY(probe.waitForFinished(30000));
        const QJsonObject info = QJsonDocument::fromJson(probe.readAllStandardOutput()).object();
        const QJsonObject stream = info["streams"].toArray().at(0).toObject();
        QCOMPARE(stream["codec_name"].toString(), QStringLiteral("h264"));
        QCOMPARE(stream["pix_fmt"].toString(), QStringLiteral("yuv420p"));
        QCOMPARE(stream["width"].toInt() * 9, stream["height"].toInt() * 16);
        const double seconds = info["format"].toObject()["duration"].toString().toDouble();
        QVERIFY2(seconds >= 6 && seconds <= 10, qPrintable(QString::number(seconds)));

        // Looping: going from the last frame to the first changes the picture no more than
        // one frame to the next does.
        QProcess frames;
        frames.start(QStringLiteral("ffmpeg"), {"-v", "error", "-i", path, "-vf",
                                                "scale=64:36,format=gray", "-f", "rawvideo", "-"});
        QVERIFY(frames.waitForFinished(60000));
        const QByteArray pixels = frames.readAllStandardOutput();
        const qsizetype size = 64 * 36, count = pixels.size() / size;
        QVERIFY(count > 100);
        const auto change = [&](qsizetype a, qsizetype b) {
            double sum = 0;
            for (qsizetype i = 0; i < size; ++i)
                sum +=
                    std::abs(int(quint8(pixels[a * size + i])) - int(quint8(pixels[b * size + i])));
            return sum / double(size);
        };
        double mean = 0;
        for (qsizetype f = 1; f < count; ++f)
            mean += change(f - 1, f) / double(count - 1);
        const double wrap = change(count - 1, 0);
        QVERIFY2(wrap <= 1.25 * mean,
                 qPrintable(QStringLiteral("wrap %1, mean step %2").arg(wrap).arg(mean)));
    }

    void generatorReusesFinishedMediaForAnotherAddress()
    {
        const QString index = catalogueDir() + QStringLiteral("/media.json");
        const QString track = servedFile(m_manifest.tracks.first().url);
        const QDateTime indexTime = QFileInfo(index).lastModified();
        const QDateTime trackTime = QFileInfo(track).lastModified();
        QTemporaryDir dir;
        const QString written = dir.filePath(QStringLiteral("manifest.json"));
        QProcess run;
        run.setProcessChannelMode(QProcess::ForwardedChannels);
        run.start(QStringLiteral("/usr/bin/python3"),
                  {generator(), "--out", catalogueDir(), "--base-url", "http://192.0.2.7:8123",
                   "--manifest", written});
        QVERIFY(run.waitForFinished(60000));
        QCOMPARE(run.exitCode(), 0);
        QCOMPARE(QFileInfo(index).lastModified(), indexTime);
        QCOMPARE(QFileInfo(track).lastModified(), trackTime);

        Manifest moved;
        try {
            moved = readManifest(written);
        } catch (const AppError &error) {
            QFAIL(qPrintable(error.description()));
        }
        QCOMPARE(moved.tracks.size(), m_manifest.tracks.size());
        for (qsizetype i = 0; i < moved.tracks.size(); ++i) {
            Track expected = m_manifest.tracks[i];
            expected.url = QUrl(QStringLiteral("http://192.0.2.7:8123") + expected.url.path());
            QCOMPARE(moved.tracks[i], expected);
        }
        for (const Playlist &scene : std::as_const(moved.playlists))
            if (scene.videoLoop)
                QVERIFY(scene.videoLoop->startsWith(u"http://192.0.2.7:8123/"));
    }

    void demoServesTheCatalogueWhileTheAppRuns()
    {
        // The usual port is taken: the demo takes another.
        QTcpServer squatter;
        QVERIFY(squatter.listen(QHostAddress::LocalHost));
        Demo demo;
        QVERIFY(demo.start({"--one", "two words"}, QString::number(squatter.serverPort())));
        QVERIFY(demo.waitForApp());

        const QUrl url = demo.manifestUrl();
        QCOMPARE(url.host(), QStringLiteral("127.0.0.1"));
        QVERIFY(url.port() > 0 && url.port() != squatter.serverPort());
        QCOMPARE(demo.seen[1], binaryDir() + QStringLiteral("/demo-home/config"));
        QCOMPARE(demo.seen[2], binaryDir() + QStringLiteral("/demo-home/data"));
        QCOMPARE(demo.seen.mid(3), QStringList({"arg:--one", "arg:two words"}));

        const Fetched document = fetch(url);
        QCOMPARE(document.status, 200);
        const Manifest served = Manifest::decode(document.body);
        const Track &track = served.tracks.last();
        QCOMPARE(track.url.port(), url.port());
        QCOMPARE(fetch(track.url).body.size(), track.fileSizeBytes);
        const AmbientLayer &layer = served.ambientLayers->first();
        QCOMPARE(fetch(*layer.url).body.size(), QFileInfo(servedFile(*layer.url)).size());

        QFile release(demo.dir.filePath(QStringLiteral("release")));
        QVERIFY(release.open(QIODevice::WriteOnly));
        release.close();
        QVERIFY(demo.process.waitForFinished(20000));
        QCOMPARE(demo.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(demo.process.exitCode(), 7);
        QCOMPARE(fetch(url).error, QNetworkReply::ConnectionRefusedError);
    }

    void demoEndsAppAndServerWhenTerminated()
    {
        Demo demo;
        QVERIFY(demo.start({}, QStringLiteral("0")));
        QVERIFY(demo.waitForApp());
        const QUrl url = demo.manifestUrl();
        QCOMPARE(fetch(url).status, 200);

        demo.process.terminate();
        QVERIFY(demo.process.waitForFinished(20000));
        QCOMPARE(demo.process.exitCode(), 143);
        QVERIFY(QFile::exists(demo.dir.filePath(QStringLiteral("terminated"))));
        QCOMPARE(fetch(url).error, QNetworkReply::ConnectionRefusedError);
    }
};

QTEST_MAIN(DemoCatalogueTest)
#include "tst_demo_catalogue.moc"
