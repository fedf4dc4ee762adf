#include "core/Translations.h"

#include <QCoreApplication>
#include <QTest>

// The loader picks the user's language, falls back to English (which holds the plural forms),
// and takes its texts away again when it goes. That a translation in the user's data folder
// wins over the built-in one, translation_e2e.py sees in the running app.
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
};

QTEST_GUILESS_MAIN(TestTranslations)
#include "tst_translations.moc"
