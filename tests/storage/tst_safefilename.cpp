#include "Duskhaven/AppError.h"
#include "Duskhaven/SafeFileName.h"

#include <QTest>

class TestSafeFileName : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void refusesIdsThatLeaveTheFolder_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("safe");
        QTest::newRow("plain") << QStringLiteral("track-01") << true;
        QTest::newRow("dots inside") << QStringLiteral("a..b.c") << true;
        QTest::newRow("three dots") << QStringLiteral("...") << true;
        QTest::newRow("backslash") << QStringLiteral("a\\b") << true;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("dot") << QStringLiteral(".") << false;
        QTest::newRow("dot dot") << QStringLiteral("..") << false;
        QTest::newRow("parent path") << QStringLiteral("../x") << false;
        QTest::newRow("absolute") << QStringLiteral("/etc/passwd") << false;
        QTest::newRow("trailing slash") << QStringLiteral("x/") << false;
        QTest::newRow("nul") << QStringLiteral("x") + QChar(u'\0') + QStringLiteral("y") << false;
    }

    void refusesIdsThatLeaveTheFolder()
    {
        QFETCH(QString, id);
        QFETCH(bool, safe);
        QCOMPARE(SafeFileName::isSafe(id), safe);
        if (safe) {
            QCOMPARE(SafeFileName::pathIn(QStringLiteral("/c"), id, QStringLiteral(".mp3")),
                     QStringLiteral("/c/") + id + QStringLiteral(".mp3"));
            return;
        }
        try {
            SafeFileName::pathIn(QStringLiteral("/c"), id, QStringLiteral(".mp3"));
            QFAIL("an unsafe id was accepted");
        } catch (const AppError &error) {
            QCOMPARE(error.domain(), AppError::Domain::File);
            QVERIFY(error.description().contains(QStringLiteral("cannot be used as a file name")));
        }
    }
};

QTEST_GUILESS_MAIN(TestSafeFileName)
#include "tst_safefilename.moc"
