// The play order: where stepping leads at the ends of the order, and that a step taken on a
// copy never moves the queue it came from.
#include "playback/PlaybackQueue.h"

#include <QTest>

class TestPlaybackQueue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stepping_data()
    {
        using Ids = QList<std::optional<QString>>;
        QTest::addColumn<QStringList>("order");
        QTest::addColumn<qint64>("index");
        QTest::addColumn<bool>("loop");
        QTest::addColumn<Ids>("steps"); // current, then each advance
        QTest::addColumn<qint64>("endIndex");
        QTest::newRow("wraps when looping")
            << QStringList{"b", "c", "a"} << 0ll << true << Ids{"b", "c", "a", "b"} << 0ll;
        QTest::newRow("stops at the end")
            << QStringList{"a", "b"} << 1ll << false << Ids{"b", std::nullopt, std::nullopt} << 1ll;
        QTest::newRow("one track repeats")
            << QStringList{"a"} << 0ll << true << Ids{"a", "a"} << 0ll;
        QTest::newRow("empty, looping")
            << QStringList{} << 0ll << true << Ids{std::nullopt, std::nullopt} << 0ll;
        // A position outside the order has no current track; a step goes to the start.
        QTest::newRow("past the end")
            << QStringList{"a", "b"} << 5ll << true << Ids{std::nullopt, "a"} << 0ll;
        QTest::newRow("negative") << QStringList{"a", "b"} << -1ll << false
                                  << Ids{std::nullopt, "a"} << 0ll;
    }

    void stepping()
    {
        QFETCH(QStringList, order);
        QFETCH(qint64, index);
        QFETCH(bool, loop);
        QFETCH(QList<std::optional<QString>>, steps);
        QFETCH(qint64, endIndex);
        PlaybackQueue queue(order, index, order, true, loop);
        QCOMPARE(queue.currentId(), steps.first());
        for (qsizetype i = 1; i < steps.size(); ++i) {
            QCOMPARE(queue.peekNext(), steps[i]); // peeking does not move
            QCOMPARE(queue.advance(), steps[i]);
        }
        QCOMPARE(queue.currentIndex, endIndex);
    }

    void steppingACopyLeavesTheOriginal()
    {
        const PlaybackQueue original({"a", "b", "c"}, 1, {"a", "b", "c"}, true, true);
        PlaybackQueue copy = original;
        QCOMPARE(copy.advance(), "c");
        QCOMPARE(original.currentId(), "b");
        QVERIFY(copy != original);
    }
};

QTEST_GUILESS_MAIN(TestPlaybackQueue)
#include "tst_playbackqueue.moc"
