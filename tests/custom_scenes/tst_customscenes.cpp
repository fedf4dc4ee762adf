#include "core/RecordStore.h"
#include "custom_scenes/CustomScene.h"
#include "custom_scenes/CustomScenesService.h"
#include "custom_scenes/DialogFilePicker.h"
#include "support/TestSupport.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
const auto names = [](const QList<CustomScene> &scenes) {
    return TestSupport::fieldOf(scenes, &CustomScene::name);
};
} // namespace

class TestCustomScenes : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_counter = 0;

    QString storePath()
    {
        return m_dir.filePath(QStringLiteral("store-%1.sqlite").arg(++m_counter));
    }
    QUrl audioFile(const QString &name)
    {
        TestSupport::writeFile(m_dir.filePath(name), {});
        return QUrl::fromLocalFile(m_dir.filePath(name));
    }

private Q_SLOTS:
    void nameRules()
    {
        RecordStore store(storePath());
        CustomScenesService service(store, {});
        using Row = std::tuple<QString, QString, QString>; // given, file, expected
        for (const auto &[given, file, expected] :
             QList<Row>{{"   ", "Rain on Tin.m4a", "Rain on Tin"}, // blank: the file's name
                        {"", "side.a.flac", "side.a"},             // only the last extension goes
                        {"\t", ".hum", ".hum"},                    // a dot file keeps its name
                        {"  Late Train \n", "x.wav", "Late Train"}}) { // trimmed
            // Looked up by the id add() returns: two adds within one clock tick may tie.
            const QString id = service.add(given, audioFile(file));
            QCOMPARE(service.scene(id).value().name, expected);
        }
    }

    void scenesPersistNewestFirst()
    {
        const QString path = storePath();
        const QUrl one = audioFile("one.mp3");
        const QUrl two = audioFile("two.mp3");
        {
            RecordStore store(path);
            // A scene dated ahead of this clock, as after the clock was set back.
            const CustomScene ahead{
                "ahead", "Ahead", {}, {}, QDateTime::currentDateTimeUtc().addSecs(3600)};
            store.insert(ahead);
            store.save();
            CustomScenesService service(store, {});
            QSignalSpy changed(&service, &CustomScenesService::scenesChanged);
            service.add("One", one);
            service.add("Two", two);
            QCOMPARE(names(service.scenes()), (QStringList{"Two", "One", "Ahead"}));
            service.remove(ahead.id);
            service.remove("unknown");
            QCOMPARE(changed.count(), 3);
        }
        // The next launch finds the same scenes pointing at the same files.
        RecordStore store(path);
        QList<std::pair<QUrl, QString>> played;
        CustomScenesService service(store, [&](const QUrl &url, const QString &id) {
            played.append({url, id});
        });
        QCOMPARE(names(service.scenes()), (QStringList{"Two", "One"}));
        QCOMPARE(CustomScenesService::resolveAudioFile(service.scenes().at(1)), one);

        // A file deleted since: its scene stays listed but does not play.
        QVERIFY(QFile::remove(one.toLocalFile()));
        service.reload();
        QCOMPARE(names(service.scenes()), (QStringList{"Two", "One"}));
        QVERIFY(!service.play(service.scenes().at(1).id));
        QVERIFY(service.play(service.scenes().at(0).id));
        QCOMPARE(played, (QList<std::pair<QUrl, QString>>{{two, service.scenes().at(0).id}}));
    }

    void everyPickIsAnswered()
    {
        RecordStore store(storePath());
        CustomScenesService service(store, {});
        QSignalSpy changed(&service, &CustomScenesService::scenesChanged);
        // A file that vanished before it was added adds nothing.
        service.setFilePicker([this]() -> QCoro::Task<std::optional<QUrl>> {
            co_return QUrl::fromLocalFile(m_dir.filePath("nope.mp3"));
        });
        QCOMPARE(TestSupport::wait(service.pickAndAdd("a")).value.value(), std::nullopt);

        DialogFilePicker dialog;
        service.setFilePicker(dialog.picker());
        QSignalSpy finished(&service, &CustomScenesService::pickAndAddFinished);
        // Unanswered: no view shows a dialog.
        service.startPickAndAdd("nobody listens");
        QTRY_COMPARE(finished.count(), 1);

        QSignalSpy opened(&dialog, &DialogFilePicker::openRequested);
        // Unanswered: a dialog that went away without a word holds up no later
        // pick.
        service.startPickAndAdd("lost");
        service.startPickAndAdd("typed");
        QTRY_COMPARE(finished.count(), 2);
        QVERIFY(dialog.isWaiting());
        dialog.reject(); // cancelled
        QTRY_COMPARE(finished.count(), 3);
        service.startPickAndAdd(QString());
        dialog.accept(audioFile("Dusk Walk.ogg"));
        QTRY_COMPARE(finished.count(), 4);

        QCOMPARE(opened.count(), 3);
        QCOMPARE(changed.count(), 1);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(finished.at(i).first().toString(), QString());
        QCOMPARE(finished.at(3).first().toString(), service.scenes().first().id);
        QCOMPARE(service.scenes().first().name, "Dusk Walk");
        QVERIFY(!dialog.isWaiting());
    }
};

QTEST_GUILESS_MAIN(TestCustomScenes)
#include "tst_customscenes.moc"
