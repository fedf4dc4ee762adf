#include "ui/theme/DesktopColorScheme.h"
#include "ui/theme/ThemePalette.h"

#include "support/DbusMock.h"
#include "support/TestSupport.h"
#include "ui/Resources.h"
#include "ui/theme/Symbols.h"

#include <QApplication>
#include <QDirIterator>
#include <QFontDatabase>
#include <QImageReader>
#include <QPalette>
#include <QRawFont>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

namespace {
using Role = ThemePalette::Role;

QColor dark(Role role)
{
    return ThemePalette::resolve(role, ColorScheme::Dark);
}

const QString portalPath = "/org/freedesktop/portal/desktop";
const QString settingsInterface = "org.freedesktop.portal.Settings";

// The freedesktop settings portal, as far as the colour scheme goes, served by dbusmock.
struct SettingsPortal
{
    DbusMock mock{DbusMock::Bus::Session,
                  "org.freedesktop.portal.Desktop",
                  {"org.freedesktop.portal.Desktop", portalPath, settingsInterface}};

    bool announce(const QString &key, uint value)
    {
        return bool(mock.mock(portalPath, "EmitSignal",
                              {settingsInterface, "SettingChanged", "ssv",
                               QVariantList{"org.freedesktop.appearance", key, value}}));
    }
    // The real portal's Read wraps the value in one variant more than its signal does.
    bool setScheme(uint scheme)
    {
        return mock.mock(portalPath, "AddMethod",
                         {settingsInterface, "Read", "ss", "v",
                          QStringLiteral("ret = dbus.UInt32(%1, variant_level=2)").arg(scheme)}) &&
               announce("color-scheme", scheme);
    }
};
} // namespace

class TestTheme : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void resolutionAndNotification()
    {
        // Exactly ink and paper are fixed; every other colour changes with the scheme.
        for (int i = 0; i <= int(Role::Paper); ++i) {
            const auto role = Role(i);
            const bool fixed = role == Role::Ink || role == Role::Paper;
            QCOMPARE(ThemePalette::isAdaptive(role), !fixed);
            QCOMPARE(ThemePalette::resolve(role, ColorScheme::Light) ==
                         ThemePalette::resolve(role, ColorScheme::Dark),
                     fixed);
        }

        ThemePalette palette(ColorScheme::Light);
        QSignalSpy spy(&palette, &ThemePalette::schemeChanged);
        for (ColorScheme scheme : {ColorScheme::Light, ColorScheme::Dark, ColorScheme::Dark})
            palette.setScheme(scheme);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(palette.textPrimary(), dark(Role::TextPrimary));
    }

    void desktopPreferenceOverWindowColour()
    {
        const QColor darkWindow(0x2A2A2A);
        const auto isDark = [](std::optional<uint> portal, QColor window) {
            return DesktopColorScheme::resolve(portal, window) == ColorScheme::Dark;
        };
        QVERIFY(!isDark(2, darkWindow)); // prefers light
        QVERIFY(isDark(0, darkWindow));  // no preference, dark window
        QVERIFY(isDark(7, darkWindow));  // unknown value
    }

    void followsThePortalOverTheBus()
    {
        SettingsPortal portal;
        QVERIFY(portal.mock.waitUntilServing() && portal.setScheme(1));

        DesktopColorScheme desktop(QDBusConnection::sessionBus());
        ThemePalette adaptive(ColorScheme::Light);
        ThemePalette panel(ColorScheme::Dark);
        desktop.drive(adaptive);
        QSignalSpy changes(&adaptive, &ThemePalette::schemeChanged);
        QTRY_VERIFY(desktop.isDark());
        QCOMPARE(adaptive.textPrimary(), dark(Role::TextPrimary));

        QVERIFY(portal.setScheme(2));
        QTRY_VERIFY(!desktop.isDark());
        QCOMPARE(adaptive.textPrimary(),
                 ThemePalette::resolve(Role::TextPrimary, ColorScheme::Light));
        QCOMPARE(panel.textPrimary(), dark(Role::TextPrimary)); // the panel's stays dark

        // Another setting says nothing about the scheme.
        QVERIFY(portal.announce("accent-color", 1));
        QTest::qWait(200);
        QVERIFY(!desktop.isDark());
        QCOMPARE(changes.count(), 2);
    }

    void withoutPortalFollowsTheApplicationPalette()
    {
        const QPalette original = QGuiApplication::palette();
        DesktopColorScheme desktop(QDBusConnection::sessionBus());
        QTest::qWait(200); // the portal's (missing) answer
        QVERIFY(!desktop.isDark());
        QSignalSpy spy(&desktop, &DesktopColorScheme::schemeChanged);

        QPalette dark = original;
        dark.setColor(QPalette::Window, QColor(0x202124));
        QApplication::setPalette(dark);
        QTRY_VERIFY(desktop.isDark());
        QApplication::setPalette(original);
        QTRY_VERIFY(!desktop.isDark());
        QCOMPARE(spy.count(), 2);
    }

    void everyNameHasAGlyphAndEveryNameTheViewsUseIsInTheTable()
    {
        Resources::init();
        QFile file(Resources::symbolFontPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QRawFont font(file.readAll(), 24);
        QVERIFY(font.isValid());
        for (const QString &name : Symbols::names())
            QVERIFY2(font.supportsCharacter(QChar(*Symbols::codePoint(name))), qPrintable(name));
        QVERIFY(QFontDatabase::families().contains(Resources::symbolFontFamily()));

        // A name the table lacks draws the generic sound glyph.
        QCOMPARE(Symbols::codePoint(u"wind.snow"), std::nullopt);
        QCOMPARE(Symbols::glyph(u"wind.snow"), Symbols::glyph(u"speaker.wave.2"));
        QCOMPARE(Symbols::glyph(u""), Symbols::glyph(u"speaker.wave.2"));
        QVERIFY(Symbols::glyph(u"heart") != Symbols::glyph(u"heart.fill"));

        // A name a view asks for that the table lacks would silently draw the fallback.
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

    // The tray's icon sizes come drawn at build time; each must be the logo itself, tinted.
    void theTraysLogoSizesAreTheLogoDrawnAhead()
    {
        const QColor tint(200, 40, 40);
        for (const int side : {16, 22, 24, 32, 48, 64}) {
            const QImage drawn = Resources::tintedLogo(QSize(side, side), tint);
            QCOMPARE(drawn.size(), QSize(side, side));
            QImageReader reader(Resources::logoPath);
            reader.setScaledSize(QSize(side, side));
            const QImage svg = reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
            int covered = 0;
            for (int y = 0; y < side; ++y) {
                for (int x = 0; x < side; ++x) {
                    const QRgb pixel = drawn.pixel(x, y);
                    QVERIFY(qAbs(qAlpha(pixel) - qAlpha(svg.pixel(x, y))) <= 2);
                    if (qAlpha(pixel) == 255) {
                        QCOMPARE(QColor(pixel), tint);
                        ++covered;
                    }
                }
            }
            QVERIFY(covered > side * side / 8);
        }
    }
};

QTEST_MAIN(TestTheme)
#include "tst_theme.moc"
