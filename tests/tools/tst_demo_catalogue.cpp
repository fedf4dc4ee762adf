// The generated demo catalogue, checked with the app's own decoder and media stack, and
// tools/demo serving it to a stand-in app.

#include "catalogue/Catalogue.h"
#include "catalogue/HTTPClient.h"
#include "core/AppError.h"
#include "support/TestSupport.h"
#include "ui/theme/Symbols.h"

#include <QAudioDecoder>
#include <QFileInfo>
#include <QImage>
#include <QNetworkAccessManager>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cmath>

using TestSupport::binaryDir;

namespace {
// The file a catalogue address names inside the served folder.
QString servedFile(const QUrl &url)
{
    return binaryDir() + "/demo-catalogue" + url.path();
}

struct Pcm
{
    static constexpr int rate = 44100;
    QList<qint16> samples; // stereo, interleaved
    bool failed = false;

    qint64 frames() const { return samples.size() / 2; }
    double seconds() const { return double(frames()) / rate; }
    qint16 at(qint64 frame, int ch) const { return samples[frame * 2 + ch]; }
};

// Decodes a file to 16-bit stereo through Qt Multimedia, as the app's players do.
Pcm decode(const QString &path)
{
    Pcm pcm;
    QAudioDecoder decoder;
    QAudioFormat format;
    format.setSampleRate(Pcm::rate);
    format.setChannelCount(2);
    format.setSampleFormat(QAudioFormat::Int16);
    decoder.setAudioFormat(format);
    decoder.setSource(QUrl::fromLocalFile(path));
    QEventLoop loop;
    QObject::connect(&decoder, &QAudioDecoder::bufferReady, &loop, [&] {
        const QAudioBuffer buffer = decoder.read();
        const qint16 *data = buffer.constData<qint16>();
        pcm.samples.append(QList<qint16>(data, data + buffer.sampleCount()));
    });
    QObject::connect(&decoder, &QAudioDecoder::finished, &loop, &QEventLoop::quit);
    const auto fail = [&] {
        pcm.failed = true;
        loop.quit();
    };
    QObject::connect(&decoder, qOverload<QAudioDecoder::Error>(&QAudioDecoder::error), &loop, fail);
    QTimer::singleShot(120000, &loop, fail);
    decoder.start();
    loop.exec();
    return pcm;
}

// Root mean square of channel ch over count frames from frame from.
double rms(const Pcm &pcm, qint64 from, qint64 count, int ch)
{
    double sum = 0;
    for (qint64 i = from; i < from + count; ++i)
        sum += double(pcm.at(i, ch)) * pcm.at(i, ch);
    return std::sqrt(sum / double(count));
}

TestSupport::Outcome<HTTPResponse> fetch(const QUrl &url)
{
    return TestSupport::wait(
        HTTPClient(std::make_shared<QNetworkAccessManager>(), {std::chrono::milliseconds(0)})
            .data(url));
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
} // namespace

class DemoCatalogueTest : public QObject
{
    Q_OBJECT

private:
    Manifest m_manifest;

private slots:
    void initTestCase()
    {
        // The manifest the test fixture wrote (the demo rewrites the one inside the folder).
        try {
            m_manifest =
                Manifest::decode(TestSupport::readFile(binaryDir() + "/tests/demo-manifest.json"));
        } catch (const AppError &error) {
            QFAIL(qPrintable(error.description()));
        }
    }

    void everyFileIsWhatTheCatalogueSays()
    {
        QVERIFY(m_manifest.tracks.size() >= 16 && m_manifest.tracks.size() <= 20);
        for (const Track &track : std::as_const(m_manifest.tracks))
            QCOMPARE(QFileInfo(servedFile(track.url)).size(), track.fileSizeBytes);

        for (const Playlist &scene : std::as_const(m_manifest.playlists)) {
            QCOMPARE(m_manifest.tracksForPlaylist(scene.id).size(), scene.trackIds.size());
            if (scene.videoLoop)
                QVERIFY(QFileInfo(servedFile(QUrl(*scene.videoLoop))).isFile());
            if (scene.coverUrl)
                QVERIFY(!QImage(servedFile(*scene.coverUrl)).isNull());
        }
        QCOMPARE(m_manifest.ambientLayers->size(), 5);
        for (const AmbientLayer &layer : std::as_const(*m_manifest.ambientLayers)) {
            QVERIFY2(Symbols::codePoint(layer.icon), qPrintable(layer.icon));
            QVERIFY(layer.url && QFileInfo(servedFile(*layer.url)).isFile());
        }
    }

    void audioPlaysForItsLengthAndLayersLoopWithoutASeam_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<qint64>("seconds"); // 0: an ambient layer
        for (const Track &track : std::as_const(m_manifest.tracks))
            QTest::newRow(qPrintable(track.id)) << servedFile(track.url) << track.durationSeconds;
        for (const AmbientLayer &layer : std::as_const(*m_manifest.ambientLayers))
            QTest::newRow(qPrintable(layer.id)) << servedFile(*layer.url) << qint64(0);
    }

    // The mixer loops a layer's decoded samples end to end. At the wrap there must be neither
    // a dropout (a codec's priming or padding, heard as a gap) nor a step larger than the
    // material's own (heard as a click).
    void audioPlaysForItsLengthAndLayersLoopWithoutASeam()
    {
        QFETCH(QString, path);
        QFETCH(qint64, seconds);
        const Pcm pcm = decode(path);
        QVERIFY(!pcm.failed);
        if (seconds > 0) {
            QVERIFY2(std::abs(pcm.seconds() - double(seconds)) < 1.0,
                     qPrintable(QString::number(pcm.seconds())));
            return;
        }
        QVERIFY2(pcm.seconds() >= 20 && pcm.seconds() <= 40,
                 qPrintable(QString::number(pcm.seconds())));
        const qint64 n = pcm.frames(), window = Pcm::rate / 50;
        for (int ch = 0; ch < 2; ++ch) {
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
                steps.append(std::abs(pcm.at(i, ch) - pcm.at(i - 1, ch)));
            const qsizetype rank = steps.size() * 999 / 1000;
            std::nth_element(steps.begin(), steps.begin() + rank, steps.end());
            const int wrap = std::abs(pcm.at(0, ch) - pcm.at(n - 1, ch));
            QVERIFY2(
                wrap <= steps[rank],
                qPrintable(QStringLiteral("wrap step %1, material %2").arg(wrap).arg(steps[rank])));
        }
    }

    void demoServesTheCatalogueWhileTheAppRuns_data()
    {
        QTest::addColumn<bool>("terminated");
        QTest::newRow("the app exits") << false;
        QTest::newRow("the demo is terminated") << true;
    }

    // The app's exit status passes through; a terminated demo ends the app. Either way the
    // server goes with it.
    void demoServesTheCatalogueWhileTheAppRuns()
    {
        QFETCH(bool, terminated);
        QTemporaryDir dir;
        const QString app = dir.filePath("app");
        QVERIFY(TestSupport::writeFile(app, standIn));
        QFile::setPermissions(app, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // The usual port is taken: the demo takes another.
        QTcpServer squatter;
        QVERIFY(squatter.listen(QHostAddress::LocalHost));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("BUILD_DIR", binaryDir());
        env.insert("DUSKHAVEN_DEMO_APP", app);
        env.insert("DUSKHAVEN_DEMO_PORT", QString::number(squatter.serverPort()));
        QProcess demo;
        demo.setProcessEnvironment(env);
        demo.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        demo.start(TestSupport::sourceDir() + "/tools/demo", {"--one", "two words"});
        auto stop = qScopeGuard([&] {
            demo.terminate();
            demo.waitForFinished(10000);
        });
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.filePath("seen")), 60000);
        const QStringList seen = QString::fromUtf8(TestSupport::readFile(dir.filePath("seen")))
                                     .split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(seen.mid(1),
                 (QStringList{binaryDir() + "/demo-home/config", binaryDir() + "/demo-home/data",
                              "arg:--one", "arg:two words"}));
        const QUrl url(seen.value(0));
        QCOMPARE(url.host(), "127.0.0.1");
        QVERIFY(url.port() > 0 && url.port() != squatter.serverPort());

        const auto document = fetch(url);
        QCOMPARE(document.value.value().status, 200);
        const Manifest served = Manifest::decode(document.value->body);
        const Track &track = served.tracks.last();
        QCOMPARE(track.url.port(), url.port());
        QCOMPARE(fetch(track.url).value.value().body.size(), track.fileSizeBytes);

        if (terminated)
            demo.terminate();
        else
            QVERIFY(TestSupport::writeFile(dir.filePath("release"), {}));
        QVERIFY(demo.waitForFinished(20000));
        QCOMPARE(demo.exitStatus(), QProcess::NormalExit);
        QCOMPARE(demo.exitCode(), terminated ? 143 : 7);
        QCOMPARE(QFile::exists(dir.filePath("terminated")), terminated);
        QCOMPARE(fetch(url).error.value().code(), AppError::UrlCannotConnect);
    }
};

QTEST_MAIN(DemoCatalogueTest)
#include "tst_demo_catalogue.moc"
