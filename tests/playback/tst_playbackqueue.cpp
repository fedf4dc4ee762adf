// The play order: where stepping leads at the ends of the order, and that a step taken on a
// copy never moves the queue it came from.
#include "playback/PlaybackQueue.h"

#include <QTest>

namespace {
const QString a = QStringLiteral("a"), b = QStringLiteral("b"), c = QStringLiteral("c");
}

class TestPlaybackQueue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void emptyOrderGivesNothing_data()
    {
        QTest::addColumn<bool>("loop");
        QTest::newRow("looping") << true;
        QTest::newRow("not looping") << false;
    }
    void emptyOrderGivesNothing()
    {
        QFETCH(bool, loop);
        PlaybackQueue queue({}, 0, {}, true, loop);
        QCOMPARE(queue.currentId(), std::nullopt);
        QCOMPARE(queue.peekNext(), std::nullopt);
        QCOMPARE(queue.advance(), std::nullopt);
        QCOMPARE(queue.currentIndex, 0);
    }

    void stepsForwardAndWrapsWhenLooping()
    {
        PlaybackQueue queue({b, c, a}, 0, {a, b, c}, true, true);
        QCOMPARE(queue.currentId(), b);
        QCOMPARE(queue.peekNext(), c);
        QCOMPARE(queue.advance(), c);
        QCOMPARE(queue.advance(), a);
        QCOMPARE(queue.currentIndex, 2);
        QCOMPARE(queue.peekNext(), b);
        QCOMPARE(queue.currentIndex, 2); // peeking does not move
        QCOMPARE(queue.advance(), b);
        QCOMPARE(queue.currentIndex, 0);
        QCOMPARE(queue.originalIds(), (QStringList{a, b, c}));
    }

    void stopsAtTheEndWithoutLoop()
    {
        PlaybackQueue queue({a, b}, 1, {a, b}, false, false);
        QCOMPARE(queue.peekNext(), std::nullopt);
        QCOMPARE(queue.advance(), std::nullopt);
        QCOMPARE(queue.currentIndex, 1);
        QCOMPARE(queue.currentId(), b);
    }

    void oneTrackLoopingRepeatsItself()
    {
        PlaybackQueue queue({a}, 0, {a}, true, true);
        QCOMPARE(queue.peekNext(), a);
        QCOMPARE(queue.advance(), a);
        QCOMPARE(queue.currentIndex, 0);
    }

    void positionOutsideTheOrderHasNoCurrentId()
    {
        PlaybackQueue queue({a, b}, 5, {a, b}, true, true);
        QCOMPARE(queue.currentId(), std::nullopt);
        QCOMPARE(queue.advance(), a); // out of range wraps to the start when looping
        PlaybackQueue negative({a, b}, -1, {a, b}, true, false);
        QCOMPARE(negative.currentId(), std::nullopt);
        QCOMPARE(negative.advance(), a);
    }

    void steppingACopyLeavesTheOriginal()
    {
        const PlaybackQueue original({a, b, c}, 1, {a, b, c}, true, true);
        PlaybackQueue copy = original;
        QCOMPARE(copy.advance(), c);
        QCOMPARE(original.currentIndex, 1);
        QCOMPARE(original.currentId(), b);
        QVERIFY(copy != original);
    }
};

QTEST_GUILESS_MAIN(TestPlaybackQueue)
#include "tst_playbackqueue.moc"
