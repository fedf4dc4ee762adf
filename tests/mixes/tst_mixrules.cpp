#include "core/AppError.h"
#include "core/FadeCurve.h"
#include "mixes/MixLink.h"
#include "mixes/MixNames.h"
#include "mixes/SleepTimer.h"

#include <QTest>

namespace {
bool knownScene(const QString &id)
{
    return id == "rain" || id == "late night/jazz";
}

QString refusalOf(const QString &address)
{
    const QUrl url(address);
    try {
        if (MixLink::isSleepAddress(url))
            MixLink::readSleepMinutes(url);
        else
            MixLink::readMix(url, knownScene);
    } catch (const AppError &error) {
        return error.description();
    }
    return {};
}
} // namespace

class TestMixRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Three decimals, a name with every character a query could trip on, a scene id with a
    // slash, and a layer at 0 left out.
    void aMixLinkReadsBackAsItWasWritten()
    {
        const MixLevels levels{
            "late night/jazz", 0.8f, {{"rain", 0.5f}, {"café", 0.125f}, {"fire", 0.0f}}};
        const QString name = "Rain & jazz = 100% + ☕";
        const QString link = MixLink::mixAddress(levels, name);
        QVERIFY2(link.startsWith("dusk-haven://mix?scene=late%20night%2Fjazz&music=0.800&"),
                 qPrintable(link));
        QVERIFY(link.contains("layer.rain=0.500") && !link.contains("fire"));
        const QUrl url(link);
        QVERIFY(MixLink::isMixAddress(url) && !MixLink::isSleepAddress(url));
        const MixLink::SharedMix read = MixLink::readMix(url, knownScene);
        MixLevels expected = levels;
        expected.layerVolumes.remove("fire");
        QCOMPARE(read.levels, expected);
        QCOMPARE(read.name, name);

        QCOMPARE(MixLink::readSleepMinutes(QUrl(MixLink::sleepAddress(0.1))), 0.1);
        QCOMPARE(MixLink::readSleepMinutes(QUrl("dusk-haven://sleep?minutes=45")), 45.0);
    }

    void refusedLinksSayWhy_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("reason");
        const auto row = [](const char *name, const QString &address, const char *reason) {
            QTest::newRow(name) << address << QString(reason);
        };
        const QString ok = "dusk-haven://mix?scene=rain&music=0.5";
        row("unknown key", ok + "&volume=1", "“volume” is not part of a mix link");
        row("no value", ok + "&layer.rain", "has no value");
        row("twice", ok + "&music=0.4", "appears twice");
        row("music above 1", "dusk-haven://mix?scene=rain&music=1.2",
            "music volume in the link must be a number from 0 to 1");
        row("music not a number", "dusk-haven://mix?scene=rain&music=nan", "not “nan”");
        row("layer below 0", ok + "&layer.rain=-0.1", "volume of “rain”");
        row("no scene", "dusk-haven://mix?music=0.5", "names no scene");
        row("unknown scene", "dusk-haven://mix?scene=moon&music=0.5",
            "“moon” of the link is not in the catalogue");
        row("no music", "dusk-haven://mix?scene=rain", "no music volume");
        row("long name", ok + "&name=" + QString(61, 'x'), "at most 60 characters");
        QString many = ok;
        for (int i = 0; i <= MixLink::maxLayers; ++i)
            many += QString("&layer.l%1=0.1").arg(i);
        row("65 layers", many, "at most 64 layers");
        row("sleep zero", "dusk-haven://sleep?minutes=0", "above 0 and at most 720");
        row("sleep too long", "dusk-haven://sleep?minutes=721", "not “721”");
        row("sleep words", "dusk-haven://sleep?minutes=soon", "not “soon”");
        row("sleep other key", "dusk-haven://sleep?hours=1", "“hours” is not part");
        row("sleep nothing", "dusk-haven://sleep", "gives no minutes");
    }

    void refusedLinksSayWhy()
    {
        QFETCH(QString, address);
        QFETCH(QString, reason);
        const QString refusal = refusalOf(address);
        QVERIFY2(refusal.contains(reason), qPrintable(address + " → " + refusal));
    }

    // The curve's shape is heard through the sleep timer's fade (tst_sleeptimer); its ends are
    // exact, so that a finished fade is silence and not a rounding error above it.
    void theFadeEndsOnExactSilenceAndTheTimeLeftReads()
    {
        // QCOMPARE would let a double within rounding of 0 pass.
        QVERIFY(FadeCurve::equalPowerOut(0.0) == 1.0);
        QVERIFY(FadeCurve::equalPowerOut(1.0) == 0.0);
        QVERIFY(FadeCurve::equalPowerOut(2.0) == 0.0);

        QCOMPARE(SleepTimer::minutesLabel(60), QString("1 h"));
        QCOMPARE(SleepTimer::minutesLabel(125), QString("2 h 05 min"));
        QCOMPARE(SleepTimer::clockLabel(59), QString("0:59"));
        QCOMPARE(SleepTimer::clockLabel(3725), QString("1:02:05"));
    }

    void namesAreTrimmedBoundedAndUnique()
    {
        QCOMPARE(MixNames::tidy("  Night rain \n"), QString("Night rain"));
        QVERIFY(MixNames::problem("", {})->contains("Give the mix a name"));
        QVERIFY(!MixNames::problem(QString(60, 'x'), {}));
        QVERIFY(MixNames::problem(QString(61, 'x'), {})->contains("at most 60"));
        // Characters, not UTF-16 units: sixty moons fit.
        QVERIFY(!MixNames::problem(QString("🌙").repeated(60), {}));
        QVERIFY(MixNames::problem("night RAIN", {"Night rain"})->contains("already a mix"));
        QCOMPARE(MixNames::firstFree({"Mix 1", "mix 2"}), QString("Mix 3"));
    }
};

QTEST_GUILESS_MAIN(TestMixRules)
#include "tst_mixrules.moc"
