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
    void nameRules_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const char *given, const char *file, const char *to) {
            QTest::newRow(name) << QString(given) << QString(file) << QString(to);
        };
        row("blank", "   ", "Rain on Tin.m4a", "Rain on Tin");
        row("only the last extension goes", "", "side.a.flac", "side.a");
        row("a dot file keeps its name", "\t", ".hum", ".hum");
        row("trimmed", "  Late Train \n", "x.wav", "Late Train");
    }

    void nameRules()
    {
        QFETCH(QString, given);
        QFETCH(QString, fileName);
        QFETCH(QString, expected);
        RecordStore store(storePath());
        CustomScenesService service(store, {});
        service.add(given, audioFile(fileName));
        QCOMPARE(names(service.scenes()), QStringList{expected});
    }

    void scenesPersistNewestFirst()
    {
        const QString path = storePath();
        const QUrl one = audioFile("one.mp3");
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
            service.add("Two", audioFile("two.mp3"));
            QCOMPARE(names(service.scenes()), (QStringList{"Two", "One", "Ahead"}));
            service.remove(ahead.id);
            service.remove("unknown");
            QCOMPARE(changed.count(), 3);
        }
        // The next launch finds the same scenes pointing at the same files.
        RecordStore store(path);
        CustomScenesService service(store, {});
        QCOMPARE(names(service.scenes()), (QStringList{"Two", "One"}));
        QCOMPARE(CustomScenesService::resolveAudioFile(service.scenes().at(1)), one);
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
        // Unanswered: a dialog that went away without a word holds up no later pick.
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

    void deletedFileStaysListedButDoesNotPlay()
    {
        RecordStore store(storePath());
        QList<std::pair<QUrl, QString>> played;
        CustomScenesService service(store, [&](const QUrl &url, const QString &id) {
            played.append({url, id});
        });
        const QUrl keep = audioFile("keep.mp3");
        const QString keepId = service.add(QString(), keep);
        const QString loseId = service.add(QString(), audioFile("lose.mp3"));

        QVERIFY(QFile::remove(m_dir.filePath("lose.mp3")));
        service.reload();
        QCOMPARE(names(service.scenes()), (QStringList{"lose", "keep"}));
        QVERIFY(!service.play(loseId));
        QVERIFY(service.play(keepId));
        QCOMPARE(played, (QList<std::pair<QUrl, QString>>{{keep, keepId}}));
    }
};

QTEST_GUILESS_MAIN(TestCustomScenes)
#include "tst_customscenes.moc"
