#include "support/TestSupport.h"
#include "ui/shell/SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// A later launch in a thread of its own, since a hand-over waits for the running instance to
// answer from its event loop.
SingleInstance::Outcome claimFromAnotherThread(const QString &name, const QStringList &arguments,
                                               int timeoutMs = 3000)
{
    SingleInstance::Outcome outcome{};
    QThread *thread = QThread::create([&] {
        SingleInstance later(name);
        outcome = later.claim(arguments, timeoutMs);
    });
    thread->start();
    while (!thread->wait(10))
        QCoreApplication::processEvents();
    delete thread;
    return outcome;
}

// Visible top-level windows of the display with exactly this title.
bool windowShown(const QString &title)
{
    return !TestSupport::run("xdotool", {"search", "--onlyvisible", "--name", '^' + title + '$'})
                .out.trimmed()
                .isEmpty();
}
} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void namePerUserAndDataFolder()
    {
        const QString a = SingleInstance::serverNameFor("/home/u/.local/share/dusk-haven");
        QCOMPARE(a, SingleInstance::serverNameFor("/home/u/.local/share/dusk-haven/"));
        QVERIFY(a != SingleInstance::serverNameFor("/tmp/demo/data/dusk-haven"));
        QVERIFY(a.startsWith(qEnvironmentVariable("XDG_RUNTIME_DIR") + "/dusk-haven-"));
        QVERIFY(a.toUtf8().size() < int(sizeof(sockaddr_un::sun_path)));
    }

    // The socket a process that died left behind is taken over; later launches hand over.
    void laterLaunchHandsItsArgumentsOver()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath("instance.socket");
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, QFile::encodeName(name).constData(), sizeof(address.sun_path));
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
        ::close(fd);

        SingleInstance first(name);
        QCOMPARE(first.claim({}), SingleInstance::Outcome::Primary);
        QSignalSpy received(&first, &SingleInstance::argumentsReceived);
        QCOMPARE(claimFromAnotherThread(name, {}), SingleInstance::Outcome::HandedOver);
        QCOMPARE(received.count(), 1);
        QCOMPARE(received.at(0).at(0).toStringList(), QStringList());

        // A message that is not a list of arguments is dropped with its connection.
        QLocalSocket socket;
        socket.connectToServer(name);
        QVERIFY(socket.waitForConnected(2000));
        socket.write("{\"not\": \"a list\"}\n");
        QTRY_COMPARE(socket.state(), QLocalSocket::UnconnectedState);
        QCOMPARE(received.count(), 1);
    }

    void silentHolderIsNeitherReplacedNorJoined()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath("instance.socket");
        QLocalServer silent; // accepts, never answers
        QVERIFY(silent.listen(name));
        SingleInstance later(name);
        QCOMPARE(later.claim({"dusk-haven://open"}, 300), SingleInstance::Outcome::Unanswered);
        QVERIFY(!later.isListening());
        QVERIFY(silent.isListening());
    }

    // The real thing: a running app in the tray, started with the launcher turned off, and a
    // second start with a dusk-haven: address that ends at once and brings the launcher up;
    // then --quit ends it, and with nothing running asks nothing and starts nothing.
    void secondProcessBringsUpTheLauncher()
    {
        const QString duskhaven = TestSupport::binaryDir() + "/src/duskhaven";
        QTemporaryDir dir;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", dir.filePath("data"));
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        QVERIFY(TestSupport::writeFile(dir.filePath("config/dusk-haven/settings.json"),
                                       "{\"openLauncherOnLaunch\": false}"));
        const QString socket = SingleInstance::serverNameFor(dir.filePath("data") + "/dusk-haven");

        QProcess first;
        first.setProcessEnvironment(env);
        first.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        first.start(duskhaven, {});
        QVERIFY(first.waitForStarted());
        auto stop = qScopeGuard([&] {
            first.terminate();
            if (!first.waitForFinished(5000))
                first.kill();
        });
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket), 15000);
        QTest::qWait(1000);
        QVERIFY(!windowShown("dusk-haven"));

        QCOMPARE(TestSupport::run(duskhaven, {"dusk-haven://open"}, env, 15000).exitCode, 0);
        QTRY_VERIFY_WITH_TIMEOUT(windowShown("dusk-haven"), 10000);
        QCOMPARE(first.state(), QProcess::Running);

        QCOMPARE(TestSupport::run(duskhaven, {"--quit"}, env, 15000).exitCode, 0);
        QVERIFY(first.waitForFinished(10000));
        QCOMPARE(first.exitCode(), 0);
        QCOMPARE(TestSupport::run(duskhaven, {"--quit"}, env, 15000).exitCode, 0);
    }
};

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
