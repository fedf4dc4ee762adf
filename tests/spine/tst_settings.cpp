#include "Duskhaven/SettingsStore.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestSettings : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath(QStringLiteral("config/settings.json")); }

    QJsonObject fileObject() const
    {
        QFile file(path());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(file.readAll()).object();
    }

    void writeFile(const QByteArray &bytes)
    {
        QDir().mkpath(QFileInfo(path()).absolutePath());
        QFile file(path());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

private Q_SLOTS:
    void init()
    {
        QFile::remove(path());
    }

    void valuesSurviveARestartWithTheirTypes()
    {
        {
            SettingsStore settings(path());
            QVERIFY(settings.setBool(SettingsKey::reduceMotion, true));
            QVERIFY(settings.setInteger(SettingsKey::cacheSizeBudgetMB, 750));
            QVERIFY(settings.setDouble(SettingsKey::volume, 0.35));
            QVERIFY(settings.setString(SettingsKey::lastPlayedPlaylistId, QStringLiteral("rain")));
            QVERIFY(settings.setData(SettingsKey::ambientLayerVolumes,
                                     QByteArrayLiteral("{\"rain\":0.5}")));
        }
        SettingsStore settings(path());
        QCOMPARE(settings.boolValue(SettingsKey::reduceMotion), std::optional<bool>(true));
        QCOMPARE(settings.integerValue(SettingsKey::cacheSizeBudgetMB), std::optional<qint64>(750));
        QCOMPARE(settings.doubleValue(SettingsKey::volume), std::optional<double>(0.35));
        QCOMPARE(settings.stringValue(SettingsKey::lastPlayedPlaylistId),
                 std::optional<QString>(QStringLiteral("rain")));
        QCOMPARE(settings.dataValue(SettingsKey::ambientLayerVolumes),
                 std::optional<QByteArray>(QByteArrayLiteral("{\"rain\":0.5}")));
        // A person reading the file sees the bytes as base64 under one key.
        QCOMPARE(fileObject().value(SettingsKey::ambientLayerVolumes).toObject().keys(),
                 QStringList{QStringLiteral("base64")});
    }

    void absentAndWrongTypeAreTold()
    {
        writeFile(R"({"openLauncherOnLaunch": "yes", "volume": true, "cacheSizeBudgetMB": 12.5,
                      "ambientLayerVolumes": "not data"})");
        SettingsStore settings(path());
        QVERIFY(settings.contains(SettingsKey::openLauncherOnLaunch));
        QCOMPARE(settings.boolValue(SettingsKey::openLauncherOnLaunch), std::nullopt);
        QVERIFY(!settings.contains(SettingsKey::onboardingCompleted));
        QCOMPARE(settings.boolValue(SettingsKey::onboardingCompleted), std::nullopt);
        QCOMPARE(settings.doubleValue(SettingsKey::volume), std::nullopt);
        QCOMPARE(settings.integerValue(SettingsKey::cacheSizeBudgetMB), std::nullopt);
        QCOMPARE(settings.doubleValue(SettingsKey::cacheSizeBudgetMB), std::optional<double>(12.5));
        QCOMPARE(settings.dataValue(SettingsKey::ambientLayerVolumes), std::nullopt);
        QVERIFY(!settings.boolOrFalse(SettingsKey::openLauncherOnLaunch));
    }

    void unreadableFileReadsAsDefaultsAndIsReplacedWhole_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not json") << QByteArrayLiteral("volume = 0.5\n");
        QTest::newRow("truncated") << QByteArrayLiteral("{\"volume\": 0.5, \"reduce");
        QTest::newRow("array") << QByteArrayLiteral("[1, 2, 3]");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe{", 4);
    }

    void unreadableFileReadsAsDefaultsAndIsReplacedWhole()
    {
        QFETCH(QByteArray, content);
        writeFile(content);
        SettingsStore settings(path());
        QVERIFY(!settings.contains(SettingsKey::volume));
        QVERIFY(settings.setBool(SettingsKey::onboardingCompleted, true));
        const QJsonObject written = fileObject();
        QCOMPARE(written.keys(), QStringList{SettingsKey::onboardingCompleted});
        QCOMPARE(written.value(SettingsKey::onboardingCompleted), QJsonValue(true));
    }

    void notifiesOnlyRealChangesPerKey()
    {
        SettingsStore settings(path());
        QSignalSpy spy(&settings, &SettingsStore::valueChanged);
        settings.setDouble(SettingsKey::volume, 0.5);
        settings.setDouble(SettingsKey::volume, 0.5);
        settings.setDouble(SettingsKey::volume, 0.6);
        settings.setBool(SettingsKey::reduceMotion, false);
        settings.remove(SettingsKey::reduceMotion);
        settings.remove(SettingsKey::reduceMotion);
        QCOMPARE(spy.count(), 4);
        QCOMPARE(spy.at(0).at(0).toString(), SettingsKey::volume);
        QCOMPARE(spy.at(2).at(0).toString(), SettingsKey::reduceMotion);
        QCOMPARE(spy.at(3).at(0).toString(), SettingsKey::reduceMotion);
        QVERIFY(!fileObject().contains(SettingsKey::reduceMotion));
    }

    void viewsSeeALiveMirror()
    {
        SettingsStore settings(path());
        QQmlPropertyMap *values = settings.values();
        QVERIFY(!values->value(SettingsKey::volume).isValid());
        settings.setDouble(SettingsKey::volume, 0.25);
        QCOMPARE(values->value(SettingsKey::volume).toDouble(), 0.25);
        settings.setData(SettingsKey::ambientLayerVolumes, QByteArrayLiteral("xyz"));
        QCOMPARE(values->value(SettingsKey::ambientLayerVolumes).toByteArray(),
                 QByteArrayLiteral("xyz"));
        settings.remove(SettingsKey::volume);
        QVERIFY(!values->value(SettingsKey::volume).isValid());
    }

    void refusesNumbersJsonCannotHold()
    {
        SettingsStore settings(path());
        settings.setDouble(SettingsKey::volume, 0.5);
        QVERIFY(!settings.setDouble(SettingsKey::volume, std::numeric_limits<double>::quiet_NaN()));
        QVERIFY(!settings.setDouble(SettingsKey::volume, std::numeric_limits<double>::infinity()));
        QCOMPARE(SettingsStore(path()).doubleValue(SettingsKey::volume), std::optional<double>(0.5));
    }

    void writeFailureKeepsTheValueForThisRun()
    {
        // A plain file where the folder should be: the write cannot succeed, even as root.
        const QString blocked = m_dir.filePath(QStringLiteral("blocker"));
        QFile blocker(blocked);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        SettingsStore settings(blocked + QStringLiteral("/settings.json"));
        QVERIFY(!settings.setBool(SettingsKey::reduceMotion, true));
        QCOMPARE(settings.boolValue(SettingsKey::reduceMotion), std::optional<bool>(true));
    }

    void idSetsAreSortedCompactArrays()
    {
        SettingsStore settings(path());
        QVERIFY(IdSetSetting::write(settings, SettingsKey::pinnedPlaylistIds,
                                    {QStringLiteral("rainy"), QStringLiteral("Zen"),
                                     QStringLiteral("cozy"), QStringLiteral("a b")}));
        QCOMPARE(settings.stringValue(SettingsKey::pinnedPlaylistIds),
                 std::optional<QString>(QStringLiteral(R"(["Zen","a b","cozy","rainy"])")));
        QCOMPARE(IdSetSetting::read(settings, SettingsKey::pinnedPlaylistIds),
                 (QSet<QString>{QStringLiteral("rainy"), QStringLiteral("Zen"),
                                QStringLiteral("cozy"), QStringLiteral("a b")}));
        QCOMPARE(IdSetSetting::encode({}), QStringLiteral("[]"));
    }

    void unreadableIdSetsAreEmpty_data()
    {
        QTest::addColumn<QJsonValue>("stored");
        QTest::newRow("absent") << QJsonValue(QJsonValue::Undefined);
        QTest::newRow("not json") << QJsonValue(QStringLiteral("cozy, rainy"));
        QTest::newRow("object") << QJsonValue(QStringLiteral(R"({"cozy": true})"));
        QTest::newRow("numbers") << QJsonValue(QStringLiteral(R"(["cozy", 3])"));
        QTest::newRow("not a string") << QJsonValue(QJsonArray{QStringLiteral("cozy")});
    }

    void unreadableIdSetsAreEmpty()
    {
        QFETCH(QJsonValue, stored);
        QJsonObject object;
        if (!stored.isUndefined())
            object.insert(SettingsKey::favoriteSceneIds, stored);
        writeFile(QJsonDocument(object).toJson());
        SettingsStore settings(path());
        QVERIFY(IdSetSetting::read(settings, SettingsKey::favoriteSceneIds).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
