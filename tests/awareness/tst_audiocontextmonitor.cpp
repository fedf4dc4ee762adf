// The monitor's scan and debounce, over a sound server whose clients the test sets.
#include "awareness/AudioContextMonitor.h"
#include "support/FakeAwareness.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {
constexpr qint64 selfPid = 1000;
constexpr qint64 otherPid = 4242;
} // namespace

class TestAudioContextMonitor : public QObject
{
    Q_OBJECT

private:
    FakeAudioClients *m_clients = nullptr;

    std::unique_ptr<AudioContextMonitor> monitor(QList<AudioClient> initial,
                                                 AudioContextMonitor::Timing timing)
    {
        auto clients = std::make_unique<FakeAudioClients>();
        clients->clients = std::move(initial);
        m_clients = clients.get();
        auto made = std::make_unique<AudioContextMonitor>(std::move(clients), selfPid, timing);
        made->setWatching(true);
        return made;
    }

private Q_SLOTS:
    // The server is asked only when it reports a change, and only while watched; when the
    // watching stops, flags that nothing vouches for any more fall.
    void asksOnlyOnChangesWhileWatching()
    {
        auto watched = monitor({{otherPid, true, false}}, {50ms});
        QTRY_VERIFY_WITH_TIMEOUT(watched->externalOutputActive(), 1000);
        QTest::qWait(300);
        QCOMPARE(m_clients->requests, 1);
        m_clients->set({{otherPid, true, true}});
        QTRY_VERIFY_WITH_TIMEOUT(watched->externalInputActive(), 1000);
        QCOMPARE(m_clients->requests, 2);

        watched->setWatching(false);
        QVERIFY(!m_clients->watching);
        QVERIFY(!watched->externalOutputActive() && !watched->externalInputActive());
        m_clients->set({});
        QTest::qWait(100);
        QCOMPARE(m_clients->requests, 2);
    }

    void ownUnknownAndInvalidProcessesNeverCount_data()
    {
        QTest::addColumn<QList<AudioClient>>("clients");
        QTest::addColumn<bool>("output");
        QTest::addColumn<bool>("input");
        QTest::newRow("pid unknown") << QList<AudioClient>{{0, true, true}} << false << false;
        QTest::newRow("pid 1 counts") << QList<AudioClient>{{1, true, false}} << true << false;
        QTest::newRow("own streams beside another's")
            << QList<AudioClient>{{selfPid, true, true}, {otherPid, false, true}} << false << true;
    }

    void ownUnknownAndInvalidProcessesNeverCount()
    {
        QFETCH(QList<AudioClient>, clients);
        QFETCH(bool, output);
        QFETCH(bool, input);
        // A debounce of an hour: only the first scan, published at once, can raise a flag.
        auto watched = monitor(clients, {1h});
        QTRY_COMPARE_WITH_TIMEOUT(m_clients->requests, 1, 1000);
        // The one answer is in once the event loop has turned.
        QTest::qWait(20);
        QCOMPARE(watched->externalOutputActive(), output);
        QCOMPARE(watched->externalInputActive(), input);
    }

    void changeIsPublishedAfterTheDebounce()
    {
        auto watched = monitor({}, {300ms});
        QTest::qWait(50);
        QSignalSpy output(watched.get(), &AudioContextMonitor::externalOutputActiveChanged);
        QElapsedTimer clock;
        clock.start();
        m_clients->set({{otherPid, true, false}});
        QTRY_VERIFY_WITH_TIMEOUT(watched->externalOutputActive(), 3000);
        QVERIFY2(clock.elapsed() >= 300, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(output.count(), 1);

        // Falling edges wait just as long.
        clock.restart();
        m_clients->set({});
        QTRY_VERIFY_WITH_TIMEOUT(!watched->externalOutputActive(), 3000);
        QVERIFY2(clock.elapsed() >= 300, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(output.count(), 2);
    }

    void changeUndoneWithinTheDebounceIsNeverPublished()
    {
        auto watched = monitor({}, {600ms});
        QTest::qWait(50);
        QSignalSpy output(watched.get(), &AudioContextMonitor::externalOutputActiveChanged);
        m_clients->set({{otherPid, true, false}});
        QTest::qWait(150);
        m_clients->set({});
        QTest::qWait(900);
        QCOMPARE(output.count(), 0);
        QVERIFY(!watched->externalOutputActive());
    }

    void bothFlagsAreInPlaceBeforeEitherIsAnnounced()
    {
        auto watched = monitor({}, {50ms});
        QTest::qWait(50);
        bool inputSeenWithOutput = false;
        connect(watched.get(), &AudioContextMonitor::externalOutputActiveChanged, this,
                [&] { inputSeenWithOutput = watched->externalInputActive(); });
        m_clients->set({{otherPid, true, false}, {otherPid + 1, false, true}});
        QTRY_VERIFY_WITH_TIMEOUT(watched->externalOutputActive(), 3000);
        QVERIFY(inputSeenWithOutput);
    }
};

QTEST_GUILESS_MAIN(TestAudioContextMonitor)
#include "tst_audiocontextmonitor.moc"
