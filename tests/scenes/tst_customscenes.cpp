#include "Duskhaven/AppError.h"
#include "Duskhaven/RecordStore.h"
#include "custom_scenes/CustomScenesService.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
using Played = QList<std::pair<QUrl, QString>>;

QStringList names(const QList<CustomScene> &scenes)
{
    QStringList out;
    for (const CustomScene &s : scenes)
        out.append(s.name);
    return out;
}

CustomScenesService::FilePicker pickerGiving(std::optional<QUrl> answer)
{
    return [answer]() -> QCoro::Task<std::optional<QUrl>> { co_return answer; };
}
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

    QString audioFile(const QString &name)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(path));
        file.write("ID3 not really audio");
        return path;
    }

private Q_SLOTS:
    void nameRules_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("expected");
        QTest::newRow("blank takes the file name") << "   "
                                                   << "Rain on Tin.m4a"
                                                   << "Rain on Tin";
        QTest::newRow("empty") << ""
                               << "night.mp3"
                               << "night";
        QTest::newRow("only the last extension goes") << ""
                                                      << "side.a.flac"
                                                      << "side.a";
        QTest::newRow("a dot file keeps its name") << "\t"
                                                   << ".hum"
                                                   << ".hum";
        QTest::newRow("trimmed") << "  Late Train \n"
                                 << "x.wav"
                                 << "Late Train";
        QTest::newRow("inner spaces stay") << "a  b"
                                           << "x.wav"
                                           << "a  b";
    }

    void nameRules()
    {
        QFETCH(QString, given);
        QFETCH(QString, fileName);
        QFETCH(QString, expected);
        RecordStore store(storePath());
        CustomScenesService service(store, {});
        const QString path = audioFile(fileName);
        const QString id = service.add(given, QUrl::fromLocalFile(path));
        QCOMPARE(service.scenes().size(), 1);
        QCOMPARE(service.scenes().first().name, expected);
        QCOMPARE(service.scenes().first().id, id);
    }

    void addedScenesPersistNewestFirst()
    {
        const QString path = storePath();
        const QString first = audioFile(QStringLiteral("one.mp3"));
        const QString second = audioFile(QStringLiteral("two.mp3"));
        QString firstId;
        {
            RecordStore store(path);
            CustomScenesService service(store, {});
            QSignalSpy changed(&service, &CustomScenesService::scenesChanged);
            firstId = service.add(QStringLiteral("One"), QUrl::fromLocalFile(first));
            // Within the same millisecond, still newest first.
            service.add(QStringLiteral("Two"), QUrl::fromLocalFile(second));
            QCOMPARE(changed.count(), 2);
            QCOMPARE(names(service.scenes()), (QStringList{"Two", "One"}));
            QVERIFY(service.scenes().at(0).createdAt > service.scenes().at(1).createdAt);

            service.reload();
            QCOMPARE(changed.count(), 2);
        }
        // Another launch finds the same scenes pointing at the same files.
        RecordStore store(path);
        CustomScenesService service(store, {});
        QCOMPARE(names(service.scenes()), (QStringList{"Two", "One"}));
        const CustomScene one = service.scenes().at(1);
        QCOMPARE(one.id, firstId);
        QCOMPARE(one.id.size(), 36);
        QVERIFY(!QUuid::fromString(one.id).isNull());
        QCOMPARE(one.note, QString());
        QCOMPARE(one.audioBookmark, first.toUtf8());
        QCOMPARE(CustomScenesService::resolveAudioFile(one), QUrl::fromLocalFile(first));
    }

    void addRefusesWhatIsNotAnExistingFile_data()
    {
        QTest::addColumn<QUrl>("url");
        QTest::newRow("missing file") << QUrl::fromLocalFile(m_dir.filePath("gone.mp3"));
        QTest::newRow("folder") << QUrl::fromLocalFile(m_dir.path());
        QTest::newRow("remote") << QUrl("https://example.invalid/a.mp3");
    }

    void addRefusesWhatIsNotAnExistingFile()
    {
        QFETCH(QUrl, url);
        RecordStore store(storePath());
        CustomScenesService service(store, {});
        QSignalSpy changed(&service, &CustomScenesService::scenesChanged);
        try {
            service.add(QStringLiteral("x"), url);
            QFAIL("add did not throw");
        } catch (const AppError &error) {
            QCOMPARE(error.domain(), AppError::Domain::File);
        }
        QCOMPARE(changed.count(), 0);
        QVERIFY(
            store.fetchAll<CustomScene>(QStringLiteral("createdAt"), Qt::AscendingOrder).isEmpty());
    }

    void pickAndAdd()
    {
        RecordStore store(storePath());
        CustomScenesService service(store, {});
        QSignalSpy changed(&service, &CustomScenesService::scenesChanged);

        const auto pick = [&](const QString &name) {
            auto outcome = TestSupport::wait(service.pickAndAdd(name));
            if (!outcome.value)
                qFatal("pickAndAdd did not finish");
            return *outcome.value;
        };

        // No picker yet, a cancelled panel, and a file that vanished meanwhile add nothing.
        QCOMPARE(pick("a"), std::nullopt);
        service.setFilePicker(pickerGiving(std::nullopt));
        QCOMPARE(pick("a"), std::nullopt);
        service.setFilePicker(pickerGiving(QUrl::fromLocalFile(m_dir.filePath("nope.mp3"))));
        QCOMPARE(pick("a"), std::nullopt);
        QCOMPARE(changed.count(), 0);

        service.setFilePicker(pickerGiving(QUrl::fromLocalFile(audioFile("Dusk Walk.ogg"))));
        const std::optional<QString> picked = pick(QString());
        QVERIFY(picked);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(service.scenes().first().id, *picked);
        QCOMPARE(service.scenes().first().name, QStringLiteral("Dusk Walk"));

        // The view's form reports through a signal.
        QSignalSpy finished(&service, &CustomScenesService::pickAndAddFinished);
        service.setFilePicker(pickerGiving(std::nullopt));
        service.startPickAndAdd(QStringLiteral("b"));
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().toString(), QString());
        QCOMPARE(service.sceneList().size(), 1);
    }

    void deletedFileStaysListedButDoesNotPlay()
    {
        RecordStore store(storePath());
        Played played;
        CustomScenesService service(store, [&](const QUrl &url, const QString &id) {
            played.append({url, id});
        });
        const QString keep = audioFile(QStringLiteral("keep.mp3"));
        const QString lose = audioFile(QStringLiteral("lose.mp3"));
        const QString keepId = service.add(QString(), QUrl::fromLocalFile(keep));
        const QString loseId = service.add(QString(), QUrl::fromLocalFile(lose));

        QVERIFY(QFile::remove(lose));
        service.reload();
        QCOMPARE(names(service.scenes()), (QStringList{"lose", "keep"}));
        QCOMPARE(CustomScenesService::resolveAudioFile(*service.scene(loseId)), std::nullopt);
        QVERIFY(!service.play(loseId));
        QVERIFY(!service.play(QStringLiteral("no-such-id")));
        QVERIFY(played.isEmpty());

        QVERIFY(service.play(keepId));
        QCOMPARE(played, (Played{{QUrl::fromLocalFile(keep), keepId}}));
    }

    void removeDeletesFromTheStore()
    {
        const QString path = storePath();
        RecordStore store(path);
        CustomScenesService service(store, {});
        const QString a = service.add(QStringLiteral("A"), QUrl::fromLocalFile(audioFile("a.mp3")));
        const QString b = service.add(QStringLiteral("B"), QUrl::fromLocalFile(audioFile("b.mp3")));
        QSignalSpy changed(&service, &CustomScenesService::scenesChanged);

        service.remove(a);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(names(service.scenes()), (QStringList{"B"}));
        service.remove(QStringLiteral("unknown"));
        QCOMPARE(changed.count(), 1);

        RecordStore reopened(path); // a second connection sees only what was saved
        const auto stored =
            reopened.fetchAll<CustomScene>(QStringLiteral("createdAt"), Qt::DescendingOrder);
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored.first().id, b);
    }

    void customPlaylistIds()
    {
        QVERIFY(CustomScenesService::isCustomPlaylistId(QStringLiteral("custom-1234")));
        QVERIFY(!CustomScenesService::isCustomPlaylistId(QStringLiteral("Custom-1234")));
        QVERIFY(!CustomScenesService::isCustomPlaylistId(QStringLiteral("lofi-custom-")));
    }
};

QTEST_GUILESS_MAIN(TestCustomScenes)
#include "tst_customscenes.moc"
