#include "core/Translations.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The loader picks the user's language, falls back to English (which holds the plural forms),
// lets a translation in the user's data folder win over the built-in one, and takes its
// texts away again when it goes.
class TestTranslations : public QObject
{
    Q_OBJECT

    static QString bytes(int n)
    {
        return QCoreApplication::translate("ByteCount", "%n bytes", nullptr, n);
    }

private Q_SLOTS:
    void loadsTheLanguageOrEnglish()
    {
        const struct
        {
            const char *locale, *language, *one, *two;
        } cases[] = {
            {"de_AT", "de", "1 Byte", "2 Byte"}, // German, by its region's locale
            {"es_ES", "es", "1 byte", "2 bytes"},
            {"fr_FR", "en", "1 byte", "2 bytes"}, // a language without a translation
            {"C", "en", "1 byte", "2 bytes"},
        };
        for (const auto &c : cases) {
            {
                const Translations translations{QLocale(c.locale)};
                QCOMPARE(translations.language(), c.language);
                QCOMPARE(bytes(1), c.one);
                QCOMPARE(bytes(2), c.two);
            }
            QCOMPARE(bytes(1), QStringLiteral("1 bytes"));
        }
    }

    void theUsersFolderWinsOverTheBuiltIn()
    {
        const QTemporaryDir folder;
        // The German file under the Spanish name tells the two apart.
        QVERIFY(QFile::copy(QStringLiteral(":/i18n/duskhaven_de.qm"),
                            folder.filePath(QStringLiteral("duskhaven_es.qm"))));
        const Translations translations{QLocale(QStringLiteral("es_ES")),
                                        {folder.path(), QStringLiteral(":/i18n")}};
        QCOMPARE(bytes(2), QStringLiteral("2 Byte"));
    }
};

QTEST_GUILESS_MAIN(TestTranslations)
#include "tst_translations.moc"
