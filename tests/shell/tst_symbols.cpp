#include "ui/Resources.h"
#include "ui/theme/Symbols.h"

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QRawFont>
#include <QTest>

namespace {
// Every symbol name the interface draws: the panel, the launcher, the drawer, the settings
// rows, the mixer with its built-in layers, the custom scenes and the scene fallback.
const QStringList namesInUse{
    "play.fill",
    "pause.fill",
    "shuffle",
    "heart",
    "heart.fill",
    "speaker.fill",
    "speaker.wave.3.fill",
    "chevron.right",
    "gearshape",
    "gearshape.fill",
    "arrow.up.right",
    "icloud.and.arrow.down",
    "pause.circle.fill",
    "rectangle.grid.2x2",
    "slider.vertical.3",
    "xmark",
    "arrow.down.circle",
    "arrow.down.circle.fill",
    "music.note",
    "plus.circle.fill",
    "trash",
    "speaker.wave.2",
    "speaker.wave.2.fill",
    "leaf.fill",
    "battery.25",
    "power",
    "macwindow",
    "sparkles",
    "tortoise.fill",
    "command",
    "externaldrive",
    "cloud.rain.fill",
    "flame.fill",
    "cup.and.saucer.fill",
    "bird.fill",
    "water.waves",
};
} // namespace

class TestSymbols : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyNameInUseHasAGlyphOfTheEmbeddedFont()
    {
        Resources::init();
        QFile file(Resources::symbolFontPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QRawFont font(file.readAll(), 24);
        QVERIFY(font.isValid());
        QCOMPARE(font.familyName(), QStringLiteral("Material Icons"));

        for (const QString &name : namesInUse) {
            const auto codePoint = Symbols::codePoint(name);
            QVERIFY2(codePoint, qPrintable(name));
            QVERIFY2(font.supportsCharacter(QChar(*codePoint)), qPrintable(name));
        }
        // And the table holds nothing beyond them that could rot unseen.
        QStringList table = Symbols::names();
        QStringList used = namesInUse;
        table.sort();
        used.sort();
        QCOMPARE(table, used);
    }

    void unknownNamesDrawTheGenericSoundGlyph()
    {
        QCOMPARE(Symbols::codePoint(u"wind.snow"), std::nullopt);
        QCOMPARE(Symbols::glyph(u"wind.snow"), Symbols::glyph(u"speaker.wave.2"));
        QCOMPARE(Symbols::glyph(u""), Symbols::glyph(u"speaker.wave.2"));
        QVERIFY(Symbols::glyph(u"heart") != Symbols::glyph(u"heart.fill"));
    }

    void fontIsAddedForViews()
    {
        const QString family = Resources::symbolFontFamily();
        QCOMPARE(family, QStringLiteral("Material Icons"));
        QCOMPARE(Resources::symbolFontFamily(), family);
        QVERIFY(QFontDatabase::families().contains(family));
    }
};

QTEST_MAIN(TestSymbols)
#include "tst_symbols.moc"
