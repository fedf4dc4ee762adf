#include "ui/shell/PanelPlacement.h"

#include <QTest>

class TestPanelPlacement : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void placement_data()
    {
        QTest::addColumn<QSize>("panel");
        QTest::addColumn<std::optional<QRect>>("icon");
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QPoint>("expected");

        const QSize panel(360, 500);
        const QRect screen(0, 0, 1920, 1080);
        const QRect belowTopBar(0, 28, 1920, 1052);
        const QRect aboveBottomBar(0, 0, 1920, 1040);
        const QPoint nowhere(5, 5);

        // Centred under the icon, 2 px below it.
        QTest::newRow("tray at the top")
            << panel << std::optional<QRect>(QRect(900, 2, 24, 24)) << nowhere << screen
            << belowTopBar << QPoint(912 - 180, 26 + 2);
        QTest::newRow("tray at the bottom, no room reserved")
            << panel << std::optional<QRect>(QRect(900, 1050, 24, 24)) << nowhere << screen
            << screen << QPoint(912 - 180, 1050 - 2 - 500);
        QTest::newRow("icon at the right edge")
            << panel << std::optional<QRect>(QRect(1890, 2, 24, 24)) << nowhere << screen
            << belowTopBar << QPoint(1920 - 360, 28);
        // The bar's strip is outside the available area: the panel stops above it.
        QTest::newRow("icon at the left edge, tray at the bottom")
            << panel << std::optional<QRect>(QRect(4, 1050, 24, 24)) << nowhere << screen
            << aboveBottomBar << QPoint(0, 1040 - 500);
        // A StatusNotifier host keeps the icon's place to itself: the pointer stands in.
        QTest::newRow("unknown icon, pointer at the top")
            << panel << std::optional<QRect>() << QPoint(700, 12) << screen << belowTopBar
            << QPoint(700 - 180, 28);
        QTest::newRow("empty icon rectangle counts as unknown")
            << panel << std::optional<QRect>(QRect()) << QPoint(700, 1070) << screen
            << aboveBottomBar << QPoint(700 - 180, 1040 - 500);
        QTest::newRow("pointer in a corner")
            << panel << std::optional<QRect>() << QPoint(1919, 1079) << screen << aboveBottomBar
            << QPoint(1920 - 360, 1040 - 500);
        // A second screen to the right of the first, its own coordinates.
        QTest::newRow("second screen")
            << panel << std::optional<QRect>(QRect(3800, 0, 22, 22)) << nowhere
            << QRect(1920, 0, 1920, 1080) << QRect(1920, 24, 1920, 1056) << QPoint(3840 - 360, 24);
        // Taller than the room left: the top stays on screen.
        QTest::newRow("panel taller than the area")
            << QSize(360, 1200) << std::optional<QRect>(QRect(900, 1050, 24, 24)) << nowhere
            << screen << aboveBottomBar << QPoint(732, 0);
    }

    void placement()
    {
        QFETCH(QSize, panel);
        QFETCH(std::optional<QRect>, icon);
        QFETCH(QPoint, pointer);
        QFETCH(QRect, screen);
        QFETCH(QRect, available);
        QFETCH(QPoint, expected);
        QCOMPARE(PanelPlacement::position({panel, icon, pointer, screen, available}), expected);
    }
};

QTEST_APPLESS_MAIN(TestPanelPlacement)
#include "tst_panelplacement.moc"
