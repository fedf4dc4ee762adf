// The rules behind the scene pictures: path data, phases, the choice of picture and where a
// video comes from.
#include "ui/views/SceneCover.h"
#include "visuals/ArtPhases.h"
#include "visuals/Illustration.h"
#include "visuals/ShapePaths.h"
#include "visuals/VideoLoop.h"

#include <QTemporaryDir>
#include <QTest>

namespace {
const QString ridge = QStringLiteral(
    "M0,240 L0,160 L20,140 L35,160 L55,130 L75,160 L100,135 L125,165 L150,140 L175,165 "
    "L205,130 L235,160 L260,140 L290,165 L320,135 L350,160 L375,140 L400,165 L400,240 Z");

QList<QPointF> points(const QPainterPath &path)
{
    QList<QPointF> result;
    for (int i = 0; i < path.elementCount(); ++i)
        result.append(path.elementAt(i));
    return result;
}

QPainterPath drawn(const QString &data, QRectF rect = {0, 0, 400, 240})
{
    return SVGPath{data, {400, 240}}.path(rect);
}
} // namespace

class TestSceneArt : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pathDataReadsEveryWayOfWritingItAndSkipsWhatItCannotRead()
    {
        const QPainterPath reference = drawn(ridge);
        QCOMPARE(reference.elementCount(), 20); // a move, 18 lines, the close back to the start
        QCOMPARE(reference.boundingRect(), QRectF(0, 130, 400, 110));

        QString spaces = ridge;
        spaces.replace(QLatin1Char(','), QLatin1Char(' '));
        QString packed = ridge;
        packed.replace(QLatin1String(" L"), QLatin1String("L"))
            .replace(QLatin1String(" Z"), QLatin1String("z"));
        QCOMPARE(SVGPath::tokens(QStringLiteral("M0,240L0 160z")),
                 QStringList({"M", "0", "240", "L", "0", "160", "z"}));
        for (const QString &variant : {spaces, packed, ridge.toLower()})
            QCOMPARE(points(drawn(variant)), points(reference));

        // Stretched into any rectangle, x and y independently.
        QCOMPARE(drawn(ridge, {10, 20, 800, 120}).boundingRect(), QRectF(10, 85, 800, 55));

        // A command with one number is passed over; so is a lone number and an unknown command.
        QCOMPARE(points(drawn(QStringLiteral("M10,10 L20 L30,30 7 C1,2 L40,40"))),
                 QList<QPointF>({{10, 10}, {30, 30}, {40, 40}}));
        QCOMPARE(points(drawn(QStringLiteral("M-1.5e1,+2E-1 L.5,-0.25e+2"))),
                 QList<QPointF>({{-15, 0.2}, {0.5, -25}}));
        QVERIFY(drawn(QStringLiteral("M1,x L inf,2 Lnan,3")).isEmpty());

        const QPainterPath triangle =
            Polygon{{{0, 0}, {1, 0}, {0.5, 1}}}.path(QRectF(10, 10, 100, 50));
        QCOMPARE(points(triangle), QList<QPointF>({{10, 10}, {110, 10}, {60, 60}, {10, 10}}));
        QVERIFY(Polygon{}.path(QRectF(0, 0, 10, 10)).isEmpty());
    }

    void phasesAtFixedTimes()
    {
        using namespace ArtPhases;
        QCOMPARE(glow(0), 1.0);
        QVERIFY(qFuzzyCompare(glow(2), 0.85));
        QVERIFY(qFuzzyCompare(drift(9), -4.0));
        QVERIFY(qFuzzyCompare(drift(18 + 4.5) + 10, -2.0 + 10));
        QVERIFY(qFuzzyCompare(flicker(4.5 / 4), 1 - 0.075 + 0.04 * std::sin(-2.5 * M_PI)));
        QVERIFY(qFuzzyCompare(wisps(2.7)[0] + 1, 0.9 + 1));
        QVERIFY(qFuzzyCompare(wisps(2.7)[1] + 1, 0.1 + 1));
        QVERIFY(qFuzzyCompare(wisps(2.7)[2] + 1, 0.3 + 1));
        QCOMPARE(rain1(0.225), QPointF(-6, 20));
        QCOMPARE(rain2(0.15), QPointF(-6, 20));
        QVERIFY(qFuzzyCompare(mist1(5), 0.04));
        QVERIFY(qFuzzyCompare(mist2(5), -0.04));
        const std::array<double, 3> lights = subwayLights(1);
        QVERIFY(qFuzzyCompare(lights[0], 0.25) && qFuzzyCompare(lights[1], 0.575) &&
                qFuzzyCompare(lights[2], 0.9));
        QCOMPARE(recordAngle(10), 90.0);
        // Times as the clock gives them, far from zero and below it.
        QVERIFY(qFuzzyCompare(recordAngle(788'918'402.0), 90.0));
        QVERIFY(frac(-0.25) == 0.75);
    }

    void choiceOfPicture()
    {
        using SceneCover::Content;
        const QUrl cover(QStringLiteral("https://example.org/c.png?w=1"));
        QCOMPARE(
            SceneCover::choose("s", "", "subway", cover),
            (SceneCover::Choice{Content::Art, "art:subway", "subway", Content::Art, "subway"}));
        QCOMPARE(SceneCover::choose("s", "", "", QUrl()),
                 (SceneCover::Choice{Content::Fallback, "fallback:s", "", Content::Fallback, ""}));
        // Beneath a video, until its first frame and for good when it fails, the next picture.
        QCOMPARE(SceneCover::choose("s", "neon.mp4", "subway", cover),
                 (SceneCover::Choice{Content::Video, "video:neon.mp4", "neon.mp4", Content::Art,
                                     "subway"}));
        QCOMPARE(SceneCover::choose("s", "neon.mp4", "", cover).still, Content::Cover);
        QCOMPARE(SceneCover::choose("s", "neon.mp4", "", QUrl()).still, Content::Fallback);

        // The video moves only for the scene that plays, and only when both settings allow.
        QVERIFY(SceneCover::videoMoves("s", true, "s", true, false));
        QVERIFY(!SceneCover::videoMoves("s", false, "s", true, false));
        QVERIFY(!SceneCover::videoMoves("s", true, "t", true, false));
        QVERIFY(!SceneCover::videoMoves("s", true, "s", false, false));
        QVERIFY(!SceneCover::videoMoves("s", true, "s", true, true));
        QVERIFY(!SceneCover::videoMoves("", true, "", true, false));
    }

    // The first picture shows at once; a new one comes in hidden and is shown (the view fades
    // it in) while the old one is hidden (that it leaves after the fade, the scene picture test
    // sees); only the current moves.
    void crossFadeKeepsTheOutgoingPictureForItsFade()
    {
        using namespace std::chrono_literals;
        SceneCoverContents contents;
        const auto row = [&](int i, int role) { return contents.data(contents.index(i), role); };
        const auto a = SceneCover::choose("a", "", "subway", {});
        const auto b = SceneCover::choose("b", "", "vinyl-bar", {});
        contents.show(a, 50ms);
        contents.setPlaying(true);
        QCOMPARE(contents.rowCount(), 1);
        QVERIFY(row(0, SceneCoverContents::ShownRole).toBool());

        QList<bool> shownOnInsert;
        connect(&contents, &QAbstractItemModel::rowsInserted, this,
                [&](const QModelIndex &, int first) {
                    shownOnInsert.append(row(first, SceneCoverContents::ShownRole).toBool());
                });
        contents.show(a, 50ms); // the same picture again: nothing to fade
        QCOMPARE(contents.rowCount(), 1);
        contents.show(b, 50ms);
        QCOMPARE(shownOnInsert, QList<bool>{false});
        QVERIFY(!row(0, SceneCoverContents::ShownRole).toBool());
        QVERIFY(!row(0, SceneCoverContents::PlayingRole).toBool());
        QVERIFY(row(1, SceneCoverContents::ShownRole).toBool());
        QCOMPARE(row(1, SceneCoverContents::IdentityRole).toString(),
                 QStringLiteral("art:vinyl-bar"));
    }

    void videoLocation()
    {
        QTemporaryDir folder;
        for (const char *name : {"loop.mov", "loop.m4v", "other.m4v", "named.mp4"})
            QVERIFY(QFile(folder.filePath(name)).open(QIODevice::WriteOnly));
        QList<QUrl> asked;
        const auto playable = [&](const QUrl &address) {
            asked.append(address);
            return QUrl(QStringLiteral("file:///cache/") + address.fileName());
        };
        const auto locate = [&](const QString &source) {
            return VideoLoop::location(source, playable, folder.path());
        };

        QCOMPARE(locate("HTTPS://Example.org/v/rain.mp4"), QUrl("file:///cache/rain.mp4"));
        QCOMPARE(asked, QList<QUrl>({QUrl("https://example.org/v/rain.mp4")}));
        QCOMPARE(locate("http://"), QUrl());
        // A file: address is the cache's to judge; without one it shows nothing.
        QCOMPARE(locate("file:///starter/v.mp4"), QUrl("file:///cache/v.mp4"));
        QCOMPARE(asked.last(), QUrl("file:///starter/v.mp4"));
        QCOMPARE(VideoLoop::location("file:///starter/v.mp4", {}, folder.path()), QUrl());
        QCOMPARE(locate("loop"), QUrl::fromLocalFile(folder.filePath("loop.mov")));
        QCOMPARE(locate("other"), QUrl::fromLocalFile(folder.filePath("other.m4v")));
        QCOMPARE(locate("named.mp4"), QUrl::fromLocalFile(folder.filePath("named.mp4")));
        QCOMPARE(locate("missing"), QUrl());
        QCOMPARE(locate(""), QUrl());
        QCOMPARE(asked.size(), 2);
    }
};

QTEST_MAIN(TestSceneArt)
#include "tst_sceneart.moc"
