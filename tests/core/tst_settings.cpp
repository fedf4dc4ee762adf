#include "core/FileWriter.h"
#include "core/SettingsStore.h"
#include "support/TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using TestSupport::writeFile;
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

class TestSettings : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath("config/settings.json"); }
    QJsonObject fileObject() const { return TestSupport::readJsonObject(path()); }

private Q_SLOTS:
    void init() { QFile::remove(path()); }

    void valuesSurviveARestartWithTheirTypes()
    {
        {
            SettingsStore settings(path());
            QVERIFY(settings.setBool(SettingsKey::reduceMotion, true));
            QVERIFY(settings.setInteger(SettingsKey::cacheSizeBudgetMB, 750));
            QVERIFY(settings.setDouble(SettingsKey::volume, 0.35));
            QVERIFY(settings.setString(SettingsKey::lastPlayedPlaylistId, "rain"));
            QVERIFY(settings.setData(SettingsKey::ambientLayerVolumes, "{\"rain\":0.5}"));
            // NaN and infinity have no JSON form: refused, the old value stays.
            QVERIFY(!settings.setDouble(SettingsKey::volume, notANumber));
            QVERIFY(
                !settings.setDouble(SettingsKey::volume, std::numeric_limits<double>::infinity()));
        }
        SettingsStore settings(path());
        QCOMPARE(settings.boolValue(SettingsKey::reduceMotion), true);
        QCOMPARE(settings.integerValue(SettingsKey::cacheSizeBudgetMB), 750);
        QCOMPARE(settings.doubleValue(SettingsKey::volume), 0.35);
        QCOMPARE(settings.stringValue(SettingsKey::lastPlayedPlaylistId), "rain");
        QCOMPARE(settings.dataValue(SettingsKey::ambientLayerVolumes), "{\"rain\":0.5}");
    }

    void wrongTypesReadAsAbsent()
    {
        writeFile(path(), R"({"openLauncherOnLaunch": "yes", "volume": true,
                             "cacheSizeBudgetMB": 12.5, "ambientLayerVolumes": "not data"})");
        SettingsStore settings(path());
        QVERIFY(settings.contains(SettingsKey::openLauncherOnLaunch));
        QCOMPARE(settings.boolValue(SettingsKey::openLauncherOnLaunch), std::nullopt);
        QCOMPARE(settings.dataValue(SettingsKey::ambientLayerVolumes), std::nullopt);

        // Through the table, every reader sees the same bounds. (The defaults read in place of
        // wrong types, and a fractional integer refused, tst_views checks on a whole app.)
        QVERIFY(settings.set(Setting::volume, 1.7));
        QCOMPARE(settings.value(Setting::volume), 1.0);
        QVERIFY(!settings.set(Setting::volume, notANumber));
        QVERIFY(!settings.set(Setting::cacheSizeBudgetMB, -1));
        QVERIFY(settings.setInteger(SettingsKey::cacheSizeBudgetMB, qint64(1) << 40));
        QCOMPARE(settings.value(Setting::cacheSizeBudgetMB), 500);
    }

    void unreadableFileReadsAsDefaultsAndIsReplacedWhole_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not json") << QByteArrayLiteral("volume = 0.5\n");
        QTest::newRow("array") << QByteArrayLiteral("[1, 2, 3]");
        QTest::newRow("empty") << QByteArray();
    }

    void unreadableFileReadsAsDefaultsAndIsReplacedWhole()
    {
        QFETCH(QByteArray, content);
        writeFile(path(), content);
        SettingsStore settings(path());
        QVERIFY(!settings.contains(SettingsKey::volume));
        // Kept aside before anything writes over it.
        QVERIFY(settings.movedAsideFile().startsWith(path() + ".damaged-"));
        QCOMPARE(TestSupport::readFile(settings.movedAsideFile()), content);
        QFile::remove(settings.movedAsideFile());
        QVERIFY(settings.setBool(SettingsKey::onboardingCompleted, true));
        QCOMPARE(fileObject(), (QJsonObject{{SettingsKey::onboardingCompleted, true}}));
    }

    void notifiesOnlyRealChangesAndFollowersHearLater()
    {
        SettingsStore settings(path());
        QSignalSpy spy(&settings, &SettingsStore::valueChanged);
        int followed = 0;
        settings.follow(SettingsKey::volume, this, [&followed] { ++followed; });
        settings.setDouble(SettingsKey::volume, 0.5);
        settings.setDouble(SettingsKey::volume, 0.5);
        QCOMPARE(followed, 0); // never inside the writer's own call
        settings.setDouble(SettingsKey::volume, 0.6);
        settings.setBool(SettingsKey::reduceMotion, false);
        settings.remove(SettingsKey::reduceMotion);
        settings.remove(SettingsKey::reduceMotion);
        QCOMPARE(spy.count(), 4);
        QCOMPARE(spy.at(3).at(0).toString(), SettingsKey::reduceMotion);
        QVERIFY(!fileObject().contains(SettingsKey::reduceMotion));
        QTRY_COMPARE(followed, 2);
    }

    // Edits of the file while the app runs, replaced by rename as editors do, or saved in place.
    void editsOfTheFileAreFollowedAndKept_data()
    {
        QTest::addColumn<bool>("inPlace");
        QTest::newRow("renamed") << false;
        QTest::newRow("in place") << true;
    }

    void editsOfTheFileAreFollowedAndKept()
    {
        QFETCH(bool, inPlace);
        const auto edit = [&](const QByteArray &bytes) {
            inPlace ? void(writeFile(path(), bytes)) : FileWriter::writeWhole(path(), bytes);
        };
        writeFile(path(), "{}");
        int volumeHeard = 0, motionHeard = 0;
        QObject follower; // takes the calls still queued when the case ends along with it
        SettingsStore settings(path());
        QSignalSpy unreadable(&settings, &SettingsStore::unreadableEdit);
        settings.follow(SettingsKey::volume, &follower, [&] { ++volumeHeard; });
        settings.follow(SettingsKey::reduceMotion, &follower, [&] { ++motionHeard; });
        edit(R"({"volume": 0.3})");
        QTRY_COMPARE(volumeHeard, 1);
        // A change from the window before the next edit was read keeps that edit too.
        edit(R"({"volume": 0.4})");
        QVERIFY(settings.setBool(SettingsKey::reduceMotion, true));
        QCOMPARE(fileObject(), (QJsonObject{{"volume", 0.4}, {"reduceMotion", true}}));
        // A broken save changes nothing until the next write keeps it aside.
        edit(R"({"volume": )");
        QTRY_COMPARE(unreadable.count(), 1);
        QVERIFY(settings.setInteger(SettingsKey::focusMinutes, 30));
        QCOMPARE(TestSupport::readFile(settings.movedAsideFile()), R"({"volume": )");
        QCOMPARE(fileObject().value("volume").toDouble(), 0.4);
        // Read after all of the above: nothing was heard twice, the store's own writes not at
        // all, nor a key the edit left as it was.
        edit(R"({"volume": 0.5, "reduceMotion": true})");
        QTRY_COMPARE(volumeHeard, 3);
        QCOMPARE(motionHeard, 1);
        QCOMPARE(unreadable.count(), 1);
        QVERIFY(!settings.contains(SettingsKey::focusMinutes));
        // An edit while a slider holds the writes keeps both.
        settings.holdWrites();
        QVERIFY(settings.setDouble(SettingsKey::volume, 0.6));
        edit(R"({"volume": 0.5, "reduceMotion": false})");
        settings.releaseWrites();
        QCOMPARE(fileObject(), (QJsonObject{{"volume", 0.6}, {"reduceMotion", false}}));
    }

    // A held store (a slider being dragged) notifies every change at once but writes the file
    // at most every heldWriteInterval, at once on the last release, and when it goes at quit.
    void heldWritesAreSpacedAndNeverLost()
    {
        const auto storedVolume = [this] { return fileObject().value("volume").toDouble(); };
        {
            SettingsStore settings(path());
            settings.setDouble(SettingsKey::volume, 0.1);
            QSignalSpy changed(&settings, &SettingsStore::valueChanged);
            settings.holdWrites();
            settings.holdWrites();
            settings.setDouble(SettingsKey::volume, 0.2);
            settings.setDouble(SettingsKey::volume, 0.3);
            QCOMPARE(changed.count(), 2);
            QCOMPARE(settings.doubleValue(SettingsKey::volume), 0.3);
            QCOMPARE(storedVolume(), 0.1);
            QTRY_COMPARE(storedVolume(), 0.3); // within the interval, still held
            settings.setDouble(SettingsKey::volume, 0.4);
            settings.releaseWrites();
            QCOMPARE(storedVolume(), 0.3); // one hold remains
            settings.releaseWrites();
            QCOMPARE(storedVolume(), 0.4);
            settings.releaseWrites(); // an extra release is harmless
            settings.setDouble(SettingsKey::volume, 0.5);
            QCOMPARE(storedVolume(), 0.5);
            settings.holdWrites();
            settings.setDouble(SettingsKey::volume, 0.6);
        }
        QCOMPARE(storedVolume(), 0.6);
    }

    void writeFailureKeepsTheValueForThisRun()
    {
        // A plain file where the folder should be: the write cannot succeed, even as root.
        const QString blocker = m_dir.filePath("blocker");
        QVERIFY(writeFile(blocker, {}));
        SettingsStore settings(blocker + "/settings.json");
        QVERIFY(!settings.setBool(SettingsKey::reduceMotion, true));
        QCOMPARE(settings.boolValue(SettingsKey::reduceMotion), true);
    }

    // Written sorted: tst_playerservice reads and writes the favourites through the same calls.
    void unreadableIdSetsReadEmpty()
    {
        for (const QJsonValue &stored : {QJsonValue("cozy, rainy"), QJsonValue(R"(["cozy", 3])"),
                                         QJsonValue(QJsonArray{"cozy"})}) {
            writeFile(path(),
                      QJsonDocument(QJsonObject{{SettingsKey::favoriteSceneIds, stored}}).toJson());
            QVERIFY(
                IdSetSetting::read(SettingsStore(path()), SettingsKey::favoriteSceneIds).isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
