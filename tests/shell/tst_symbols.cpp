#include "support/TestSupport.h"
#include "ui/Resources.h"
#include "ui/theme/Symbols.h"

#include <QDirIterator>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QRawFont>
#include <QRegularExpression>
#include <QTest>

class TestSymbols : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyNameHasAGlyphOfTheEmbeddedFont()
    {
        Resources::init();
        QFile file(Resources::symbolFontPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QRawFont font(file.readAll(), 24);
        QVERIFY(font.isValid());
        for (const QString &name : Symbols::names())
            QVERIFY2(font.supportsCharacter(QChar(*Symbols::codePoint(name))), qPrintable(name));
        QVERIFY(QFontDatabase::families().contains(Resources::symbolFontFamily()));
    }

    // A name a view asks for that the table lacks would silently draw the fallback.
    void everyNameTheViewsUseIsInTheTable()
    {
        const QRegularExpression use("(?:glyph\\(|symbol:\\s*)\"([^\"]+)\"");
        int found = 0;
        QDirIterator qml(TestSupport::sourceDir() + "/src", {"*.qml"}, QDir::Files,
                         QDirIterator::Subdirectories);
        while (qml.hasNext()) {
            const QString text = QString::fromUtf8(TestSupport::readFile(qml.next()));
            for (const QRegularExpressionMatch &m : use.globalMatch(text)) {
                QVERIFY2(Symbols::codePoint(m.captured(1)), qPrintable(m.captured(1)));
                ++found;
            }
        }
        QVERIFY(found > 0);
    }

    void unknownNamesDrawTheGenericSoundGlyph()
    {
        QCOMPARE(Symbols::codePoint(u"wind.snow"), std::nullopt);
        QCOMPARE(Symbols::glyph(u"wind.snow"), Symbols::glyph(u"speaker.wave.2"));
        QCOMPARE(Symbols::glyph(u""), Symbols::glyph(u"speaker.wave.2"));
        QVERIFY(Symbols::glyph(u"heart") != Symbols::glyph(u"heart.fill"));
    }
};

QTEST_MAIN(TestSymbols)
#include "tst_symbols.moc"
