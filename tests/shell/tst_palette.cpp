#include "ui/theme/DesktopColorScheme.h"
#include "ui/theme/ThemePalette.h"

#include <QApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QPalette>
#include <QSignalSpy>
#include <QTest>

namespace {
using Role = ThemePalette::Role;

// The freedesktop settings portal as far as the colour scheme goes, served on a connection of
// its own so that the scheme under test talks to it over the real bus.
class FakePortal : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")

public:
    explicit FakePortal(uint scheme)
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                              QStringLiteral("fake-portal"))),
          m_scheme(scheme)
    {
        m_bus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), this,
                             QDBusConnection::ExportAllSlots);
        m_registered = m_bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
    }
    ~FakePortal() override
    {
        m_bus.unregisterService(QStringLiteral("org.freedesktop.portal.Desktop"));
        m_bus.unregisterObject(QStringLiteral("/org/freedesktop/portal/desktop"));
        QDBusConnection::disconnectFromBus(QStringLiteral("fake-portal"));
    }

    bool registered() const { return m_registered; }

    void change(const QString &group, const QString &key, uint scheme)
    {
        m_scheme = scheme;
        auto signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/portal/desktop"),
                                                 QStringLiteral("org.freedesktop.portal.Settings"),
                                                 QStringLiteral("SettingChanged"));
        signal << group << key << QVariant::fromValue(QDBusVariant(scheme));
        m_bus.send(signal);
    }

public Q_SLOTS:
    // The real portal wraps the value in one variant more than the signal does.
    QDBusVariant Read(const QString &group, const QString &key)
    {
        if (group != QLatin1String("org.freedesktop.appearance") ||
            key != QLatin1String("color-scheme"))
            return QDBusVariant(QVariant::fromValue(QDBusVariant(QString())));
        return QDBusVariant(QVariant::fromValue(QDBusVariant(m_scheme)));
    }

private:
    QDBusConnection m_bus;
    uint m_scheme;
    bool m_registered = false;
};
} // namespace

class TestPalette : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void resolutionAndNotification()
    {
        QCOMPARE(ThemePalette::resolve(Role::TextPrimary, ColorScheme::Light), QColor(0x14171A));
        QCOMPARE(ThemePalette::resolve(Role::TextPrimary, ColorScheme::Dark), QColor(0xF0F0EE));
        const QColor hairline = ThemePalette::resolve(Role::Hairline, ColorScheme::Dark);
        QCOMPARE(hairline.rgb(), QColor(0xF0F0EE).rgb());
        QCOMPARE(hairline.alpha(), qRound(0.10 * 255));
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
        QCOMPARE(palette.textPrimary(), QColor(0xF0F0EE));
    }

    void desktopPreferenceOverWindowColour_data()
    {
        QTest::addColumn<std::optional<uint>>("portal");
        QTest::addColumn<QColor>("window");
        QTest::addColumn<bool>("dark");
        const QColor light(0xEFEFEF), darkWindow(0x2A2A2A);
        QTest::newRow("prefers dark") << std::optional<uint>(1) << light << true;
        QTest::newRow("prefers light") << std::optional<uint>(2) << darkWindow << false;
        QTest::newRow("no preference, dark window") << std::optional<uint>(0) << darkWindow << true;
        QTest::newRow("no portal, light window") << std::optional<uint>() << light << false;
        QTest::newRow("unknown value") << std::optional<uint>(7) << darkWindow << true;
    }

    void desktopPreferenceOverWindowColour()
    {
        QFETCH(std::optional<uint>, portal);
        QFETCH(QColor, window);
        QFETCH(bool, dark);
        QCOMPARE(DesktopColorScheme::resolve(portal, window) == ColorScheme::Dark, dark);
    }

    void followsThePortalOverTheBus()
    {
        FakePortal portal(1);
        QVERIFY(portal.registered());

        DesktopColorScheme desktop(QDBusConnection::sessionBus());
        ThemePalette adaptive(ColorScheme::Light);
        ThemePalette panel(ColorScheme::Dark);
        desktop.drive(adaptive);
        QSignalSpy changes(&adaptive, &ThemePalette::schemeChanged);
        QTRY_VERIFY(desktop.isDark());
        QCOMPARE(adaptive.textPrimary(), QColor(0xF0F0EE));

        portal.change(QStringLiteral("org.freedesktop.appearance"), QStringLiteral("color-scheme"),
                      2);
        QTRY_VERIFY(!desktop.isDark());
        QCOMPARE(adaptive.textPrimary(), QColor(0x14171A));
        QCOMPARE(adaptive.ink(), QColor(0x14171A));
        QCOMPARE(panel.textPrimary(), QColor(0xF0F0EE)); // the panel's stays dark

        // Another setting says nothing about the scheme.
        portal.change(QStringLiteral("org.freedesktop.appearance"), QStringLiteral("accent-color"),
                      1);
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
};

QTEST_MAIN(TestPalette)
#include "tst_palette.moc"
