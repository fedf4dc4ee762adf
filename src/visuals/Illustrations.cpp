// The six built-in illustrations. Sizes are in points of the picture (W × H); colours are
// written as the palettes give them, each with the colour that stands in when it does not parse.
#include "visuals/ArtPhases.h"
#include "visuals/HexColor.h"
#include "visuals/Illustration.h"
#include "visuals/ShapePaths.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QRegion>
#include <cmath>
#include <numbers>

namespace {
// What a colour falls back to when its text does not parse.
namespace Fallback {
const QColor black(0, 0, 0);
const QColor brown(0xA2, 0x84, 0x5E);
const QColor orange(0xFF, 0x95, 0x00);
const QColor yellow(0xFF, 0xCC, 0x00);
const QColor green(0x34, 0xC7, 0x59);
const QColor blue(0x00, 0x7A, 0xFF);
const QColor pink(0xFF, 0x2D, 0x55);
const QColor white(0xFF, 0xFF, 0xFF);
const QColor gray(0x8E, 0x8E, 0x93);
} // namespace Fallback

QColor hex(const char *text, const QColor &fallback)
{
    return HexColor::parseOr(QString::fromLatin1(text), fallback);
}

QColor rgba(double r, double g, double b, double a = 1)
{
    return QColor::fromRgbF(float(r), float(g), float(b), float(a));
}

QColor clear(QColor colour)
{
    colour.setAlphaF(0);
    return colour;
}

using Stops = QList<std::pair<double, QColor>>;

// A vertical gradient through stops, over rect.
void fillVertical(QPainter &p, const QRectF &rect, const Stops &stops)
{
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    for (const auto &[at, colour] : stops)
        gradient.setColorAt(at, colour);
    p.fillRect(rect, gradient);
}

// A soft light: colour at the centre fading to clear at radius.
void glow(QPainter &p, QPointF centre, double radius, const QColor &colour)
{
    QRadialGradient gradient(centre, radius);
    gradient.setColorAt(0, colour);
    gradient.setColorAt(1, clear(colour));
    p.setPen(Qt::NoPen);
    p.setBrush(gradient);
    p.drawEllipse(centre, radius, radius);
}

// Repeatable scatter for small details, the same in every run and at every size.
QRandomGenerator scatter(quint32 seed)
{
    return QRandomGenerator(seed);
}

double between(QRandomGenerator &random, double low, double high)
{
    return low + random.generateDouble() * (high - low);
}

ArtLayer still(QSizeF size, std::function<void(QPainter &)> paint, bool opaque = false)
{
    return {QRectF(QPointF(), size), std::move(paint), {}, opaque};
}
} // namespace

// --- Cozy room ---------------------------------------------------------------------------------

QList<ArtLayer> artCozyRoom(QSizeF size)
{
    const double W = size.width(), H = size.height();
    const QColor frame = hex("#2A1A10", Fallback::black);
    const QColor deep = hex("#1A0E08", Fallback::black);

    ArtLayer room = still(size, [=](QPainter &p) {
        fillVertical(p, {0, 0, W, H},
                     {{0, hex("#4A3325", Fallback::brown)},
                      {0.6, hex("#6B4530", Fallback::brown)},
                      {1, hex("#8A5A3E", Fallback::brown)}});
        // The window, and the sunset in it.
        const QRectF window(0.34 * W, 0.1 * H, 0.32 * W, 0.34 * H);
        QPainterPath outer;
        outer.addRoundedRect(window, 4, 4);
        p.fillPath(outer, frame);
        const QRectF glass = window.adjusted(6, 6, -6, -6);
        fillVertical(p, glass,
                     {{0, hex("#FFD58A", Fallback::orange)},
                      {0.6, hex("#F7A35A", Fallback::orange)},
                      {1, hex("#D97746", Fallback::orange)}});
        p.save();
        p.setClipRect(glass);
        glow(p, {glass.center().x(), glass.bottom() - 0.15 * glass.height()}, 0.6 * glass.width(),
             rgba(1.0, 0.94, 0.78, 0.6));
        p.restore();
        p.fillRect(QRectF(glass.center().x() - 2, glass.top(), 4, glass.height()), frame);
        p.fillRect(QRectF(glass.left(), glass.center().y() - 2, glass.width(), 4), frame);
        // The floor: clear down to half height, then dark boards.
        fillVertical(p, {0, 0, W, H},
                     {{0, clear(frame)}, {0.5, clear(frame)}, {0.5001, frame}, {1, deep}});
    }, true);

    ArtLayer warmth = still(size, [=](QPainter &p) {
        glow(p, {0.5 * W, 0.32 * H}, 0.62 * W, rgba(1.0, 0.78, 0.51, 0.55));
    });
    warmth.pose = [](double t) { return ArtPose{{}, 0, ArtPhases::glow(t)}; };

    ArtLayer furniture = still(size, [=](QPainter &p) {
        fillVertical(p, {0, 0.86 * H, W, 0.14 * H}, {{0, frame}, {1, deep}});
        const QColor stripe = rgba(0.235, 0.118, 0.047, 0.6);
        for (const double left : {0.04 * W, 0.96 * W - 0.22 * W}) {
            const QRectF block(left, 0.82 * H - 0.06 * H, 0.22 * W, 0.12 * H);
            QPainterPath shape;
            shape.addRoundedRect(block, 3, 3);
            QLinearGradient fill(block.topLeft(), block.bottomLeft());
            fill.setColorAt(0, hex("#6E3920", Fallback::brown));
            fill.setColorAt(1, hex("#4A1F10", Fallback::brown));
            p.fillPath(shape, fill);
            p.save();
            p.setClipPath(shape);
            for (double y = block.top() + 3; y < block.bottom(); y += 12)
                p.fillRect(QRectF(block.left(), y, block.width(), 6), stripe);
            p.restore();
        }
    });

    // Motes in the lamplight, rising slowly.
    ArtLayer dots = still({W, H + 8}, [=](QPainter &p) {
        QRandomGenerator random = scatter(7);
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 28; ++i) {
            const double d = between(random, 3, 4);
            p.setBrush(rgba(1.0, 0.93, 0.8, between(random, 0.5, 0.6)));
            p.drawEllipse(QPointF(between(random, 0.08, 0.92) * W, between(random, 0.15, 0.8) * H),
                          d / 2, d / 2);
        }
    });
    dots.pose = [](double t) { return ArtPose{{0, ArtPhases::drift(t)}}; };

    return {room, warmth, furniture, dots};
}

// --- Rainy Tokyo -------------------------------------------------------------------------------

namespace {
const char *const backSkyline =
    "M0,240 L0,170 L25,170 L25,140 L50,140 L50,160 L75,160 L75,110 L95,110 L95,90 L115,90 "
    "L115,130 L140,130 L140,150 L165,150 L165,100 L190,100 L190,75 L215,75 L215,120 L240,120 "
    "L240,140 L265,140 L265,95 L295,95 L295,115 L320,115 L320,150 L350,150 L350,130 L380,130 "
    "L380,165 L400,165 L400,240 Z";
const char *const frontSkyline =
    "M0,240 L0,200 L40,200 L40,180 L70,180 L70,205 L110,205 L110,175 L150,175 L150,195 "
    "L180,195 L180,210 L220,210 L220,185 L260,185 L260,200 L300,200 L300,175 L340,175 "
    "L340,195 L380,195 L380,180 L400,180 L400,240 Z";

// A sheet of rain that looks the same after moving by one cycle (12 left, 40 down): each
// streak repeats every 40 points along the fall.
ArtLayer rain(QSizeF size, quint32 seed, int chains, double length, double alpha,
              QPointF (*offset)(double))
{
    const double W = size.width(), H = size.height();
    ArtLayer layer{QRectF(0, -40, W + 12, H + 40), {},
                   [offset](double t) { return ArtPose{offset(t)}; }};
    QRandomGenerator random = scatter(seed);
    const double slant = 12.0 / 40.0;
    for (int c = 0; c < chains; ++c) {
        const double x0 = between(random, 0, W + 12 + slant * (H + 40));
        const double y0 = between(random, -40, 0);
        for (double y = y0; y < H; y += 40) {
            const double x = x0 - slant * (y + 40);
            layer.strokes.append(QLineF(x, y, x - slant * length, y + length));
        }
    }
    layer.strokeColour = rgba(0.82, 0.88, 0.96, alpha);
    return layer;
}
} // namespace

QList<ArtLayer> artRainyTokyo(QSizeF size)
{
    const double W = size.width(), H = size.height();
    ArtLayer city = still(size, [=](QPainter &p) {
        fillVertical(p, {0, 0, W, H},
                     {{0, hex("#2A4258", Fallback::blue)},
                      {0.45, hex("#3D5D7A", Fallback::blue)},
                      {0.75, hex("#5A7D96", Fallback::blue)},
                      {1, hex("#6E91AC", Fallback::blue)}});
        glow(p, {0.3 * W, 0.35 * H}, 0.45 * W, rgba(0.47, 0.59, 0.71, 0.45));
        glow(p, {0.75 * W, 0.6 * H}, 0.4 * W, rgba(0.27, 0.20, 0.12, 0.55));

        // The skyline's frame sits on the bottom edge; its lights share its coordinates.
        const QRectF frame(0, 0.35 * H, W, 0.65 * H);
        QLinearGradient night(frame.topLeft(), frame.bottomLeft());
        night.setColorAt(0, hex("#0E1A26", Fallback::black));
        night.setColorAt(1, hex("#06101A", Fallback::black));
        const QPainterPath back = SVGPath{QString::fromLatin1(backSkyline), {400, 240}}.path(frame);
        p.fillPath(back, night);
        p.save();
        p.setOpacity(0.95);
        const QPainterPath front =
            SVGPath{QString::fromLatin1(frontSkyline), {400, 240}}.path(frame);
        p.fillPath(front, night);
        p.restore();

        p.save();
        p.translate(frame.topLeft());
        p.scale(frame.width() / 400, frame.height() / 240);
        const QPainterPath backUnit =
            SVGPath{QString::fromLatin1(backSkyline), {400, 240}}.path({0, 0, 400, 240});
        const QPainterPath frontUnit =
            SVGPath{QString::fromLatin1(frontSkyline), {400, 240}}.path({0, 0, 400, 240});
        QRandomGenerator random = scatter(11);
        const QColor yellow = hex("#FFD08A", Fallback::yellow);
        const QColor pink = hex("#FF7A8A", Fallback::pink);
        for (double x = 4; x < 396; x += 7) {
            for (double y = 80; y < 200; y += 9) {
                const QRectF window(x, y, 2.4, 3);
                if (!backUnit.contains(window) || frontUnit.intersects(window))
                    continue;
                if (random.bounded(100) < 28)
                    p.fillRect(window, random.bounded(100) < 12 ? pink : yellow);
            }
        }
        // Two signs on the front row.
        p.fillRect(QRectF(118, 180, 5, 14), pink);
        p.fillRect(QRectF(306, 181, 4, 11), yellow);
        p.restore();

        glow(p, {0.3 * W, 1.02 * H}, 0.5 * W, rgba(1.0, 0.71, 0.55, 0.3));
        glow(p, {0.78 * W, 1.0 * H}, 0.42 * W, rgba(1.0, 0.78, 0.51, 0.22));
    }, true);

    return {city, rain(size, 23, int(W / 9), 10, 0.35, &ArtPhases::rain1),
            rain(size, 29, int(W / 16), 14, 0.3, &ArtPhases::rain2)};
}

// --- Late café ---------------------------------------------------------------------------------

QList<ArtLayer> artLateCafe(QSizeF size)
{
    const double W = size.width(), H = size.height();
    ArtLayer room = still(size, [=](QPainter &p) {
        fillVertical(p, {0, 0, W, H},
                     {{0, hex("#1A1008", Fallback::black)},
                      {0.5, hex("#2D1A0E", Fallback::brown)},
                      {1, hex("#1F1208", Fallback::black)}});
        p.fillRect(QRectF(0, 0.86 * H, W, 0.14 * H), hex("#0A0604", Fallback::black));
    }, true);

    ArtLayer lights = still(size, [=](QPainter &p) {
        const QColor core = hex("#FFE4A0", Fallback::yellow);
        const QColor mid = hex("#E8A755", Fallback::orange);
        const QColor rim = hex("#C87A30", Fallback::orange);
        const auto lamp = [&](QPointF centre, const QPainterPath &shape) {
            glow(p, centre, 90, rgba(1.0, 0.71, 0.39, 0.6));
            QRadialGradient fill(centre, 14);
            fill.setColorAt(0, core);
            fill.setColorAt(0.6, mid);
            fill.setColorAt(1, rim);
            p.fillPath(shape, fill);
        };
        p.setPen(QPen(QColor(20, 12, 6), 1));
        for (const double x : {0.22 * W, 0.5 * W, 0.78 * W}) {
            // Hanging shades: 24 × 18 with rounded top corners on a cord.
            p.drawLine(QPointF(x, 0), QPointF(x, 0.12 * H));
            const QRectF shade(x - 12, 0.12 * H, 24, 18);
            QPainterPath path;
            path.moveTo(shade.bottomLeft());
            path.lineTo(shade.left(), shade.top() + 4);
            path.quadTo(shade.topLeft(), {shade.left() + 4, shade.top()});
            path.lineTo(shade.right() - 4, shade.top());
            path.quadTo(shade.topRight(), {shade.right(), shade.top() + 4});
            path.lineTo(shade.bottomRight());
            path.closeSubpath();
            lamp({x, shade.bottom()}, path);
        }
        for (const double x : {0.08 * W, 0.92 * W}) {
            // Wall lamps: small capsules.
            QPainterPath capsule;
            capsule.addRoundedRect(QRectF(x - 5, 0.36 * H, 10, 22), 5, 5);
            lamp({x, 0.36 * H + 11}, capsule);
        }
    });
    lights.pose = [](double t) { return ArtPose{{}, 0, std::min(1.0, ArtPhases::flicker(t))}; };

    const QPointF cup(0.5 * W, 0.66 * H); // the cup's rim centre
    ArtLayer counter = still(size, [=](QPainter &p) {
        // Picture frames and the window on the back wall.
        p.setBrush(Qt::NoBrush);
        const QList<std::pair<QRectF, double>> frames = {
            {{0.14 * W, 0.26 * H, 0.1 * W, 0.14 * H}, 0.5},
            {{0.28 * W, 0.22 * H, 0.07 * W, 0.1 * H}, 0.3},
            {{0.6 * W, 0.2 * H, 0.26 * W, 0.3 * H}, 0.8},
            {{0.73 * W - 0.75, 0.2 * H, 1.5, 0.3 * H}, 0.8},
        };
        for (const auto &[rect, opacity] : frames) {
            p.setPen(QPen(rgba(1.0, 0.82, 0.6, opacity), 1.5));
            p.drawRect(rect);
        }
        fillVertical(p, {0, 0.7 * H, W, 0.12 * H},
                     {{0, hex("#3A1A08", Fallback::brown)}, {1, hex("#2A1008", Fallback::brown)}});
        p.save();
        p.setClipRect(QRectF(0, 0.7 * H, W, 0.12 * H));
        glow(p, {0.5 * W, 0.7 * H}, 0.35 * W, rgba(1.0, 0.63, 0.35, 0.35));
        p.restore();
        fillVertical(p, {0, 0.82 * H, W, 0.04 * H},
                     {{0, hex("#1A0E06", Fallback::black)}, {1, hex("#0A0402", Fallback::black)}});

        // The cup on the counter.
        const QRectF body(cup.x() - 18, cup.y(), 36, 0.7 * H - cup.y() + 2);
        QPainterPath shape;
        shape.moveTo(body.topLeft());
        shape.lineTo(body.topRight());
        shape.lineTo(body.right() - 4, body.bottom());
        shape.lineTo(body.left() + 4, body.bottom());
        shape.closeSubpath();
        QLinearGradient china(body.topLeft(), body.topRight());
        china.setColorAt(0, hex("#D8C8A8", Fallback::white));
        china.setColorAt(1, hex("#A09078", Fallback::gray));
        p.fillPath(shape, china);
        p.setPen(QPen(hex("#A09078", Fallback::gray), 3));
        p.drawArc(QRectF(body.right() - 6, body.top() + 6, 14, 14), -90 * 16, 180 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(hex("#6A4A2A", Fallback::brown));
        p.drawEllipse(QRectF(body.left(), cup.y() - 3, 36, 6));
    });

    QList<ArtLayer> layers{room, lights, counter};
    // Steam: each wisp rises 40 points and fades in and out over its phase.
    for (int i = 0; i < 3; ++i) {
        const QRectF bounds(cup.x() - 12 + (i - 1) * 7, cup.y() - 34, 14, 30);
        ArtLayer wisp{bounds, [bounds, i](QPainter &p) {
                          QPainterPath curl;
                          curl.moveTo(bounds.center().x(), bounds.bottom());
                          const double s = i % 2 ? 1 : -1;
                          curl.cubicTo(bounds.center().x() + 6 * s, bounds.bottom() - 10,
                                       bounds.center().x() - 6 * s, bounds.top() + 10,
                                       bounds.center().x() + 2 * s, bounds.top());
                          p.setPen(QPen(rgba(1, 0.96, 0.9, 0.5), 2, Qt::SolidLine, Qt::RoundCap));
                          p.setBrush(Qt::NoBrush);
                          p.drawPath(curl);
                      },
                      [i](double t) {
                          const double phase = ArtPhases::wisps(t)[std::size_t(i)];
                          return ArtPose{{0, -40 * phase}, 0,
                                         std::sin(std::numbers::pi * phase)};
                      }};
        layers.append(wisp);
    }
    return layers;
}

// --- Forest dawn -------------------------------------------------------------------------------

QList<ArtLayer> artForestDawn(QSizeF size)
{
    const double W = size.width(), H = size.height();
    ArtLayer land = still(size, [=](QPainter &p) {
        fillVertical(p, {0, 0, W, H},
                     {{0, hex("#F4D8B8", Fallback::orange)},
                      {0.3, hex("#F0C6A0", Fallback::orange)},
                      {0.55, hex("#E8B890", Fallback::orange)},
                      {0.8, hex("#C8B890", Fallback::orange)},
                      {1, hex("#A8B890", Fallback::green)}});
        const QPointF sun(0.65 * W, 0.3 * H);
        QRadialGradient light(sun, 40);
        light.setColorAt(0, hex("#FFF5D8", Fallback::yellow));
        light.setColorAt(0.5, hex("#FFD8A0", Fallback::orange));
        light.setColorAt(1, clear(hex("#FFD8A0", Fallback::orange)));
        p.setPen(Qt::NoPen);
        p.setBrush(light);
        p.drawEllipse(sun, 40, 40);
        const QString far = QStringLiteral(
            "M0,240 L0,160 L20,140 L35,160 L55,130 L75,160 L100,135 L125,165 L150,140 L175,165 "
            "L205,130 L235,160 L260,140 L290,165 L320,135 L350,160 L375,140 L400,165 L400,240 Z");
        const QString near = QStringLiteral(
            "M0,240 L0,180 L25,150 L50,185 L80,140 L110,180 L140,160 L170,190 L205,145 L235,185 "
            "L265,155 L295,190 L325,150 L355,185 L385,160 L400,180 L400,240 Z");
        p.fillPath(SVGPath{far, {400, 240}}.path({0, 0.645 * H - 0.175 * H, W, 0.35 * H}),
                   hex("#7A9A8A", Fallback::green));
        p.fillPath(SVGPath{near, {400, 240}}.path({0, 0.8 * H - 0.2 * H, W, 0.4 * H}),
                   hex("#3D5A47", Fallback::green));
    }, true);

    const auto mist = [=](double centreY, double (*drift)(double)) {
        const QRectF bounds(-0.1 * W, centreY - 0.07 * H, 1.2 * W, 0.14 * H);
        const QColor haze = rgba(0.957, 0.910, 0.831, 0.6);
        return ArtLayer{bounds,
                        [=](QPainter &p) {
                            fillVertical(p, bounds, {{0, clear(haze)}, {0.5, haze}, {1, clear(haze)}});
                        },
                        [W, drift](double t) { return ArtPose{{W * drift(t), 0}}; }};
    };
    return {land, mist(0.72 * H, &ArtPhases::mist1), mist(0.58 * H, &ArtPhases::mist2)};
}

// --- Subway ------------------------------------------------------------------------------------

QList<ArtLayer> artSubway(QSizeF size)
{
    const double W = size.width(), H = size.height();
    const QRectF panes(-0.05 * W, 0.2 * H, 1.1 * W, 0.36 * H);
    const auto details = [=](QPainter &p) {
        const QColor dark(6, 8, 12, 220);
        // Handrail strips above and seat backs below the windows.
        for (double x = 10; x < W; x += 70)
            p.fillRect(QRectF(x, 0.12 * H, 50, 4), dark);
        for (double x = 0; x < W; x += 76)
            p.fillRect(QRectF(x, 0.66 * H, 60, 30), dark);
        fillVertical(p, {0, 0, W, 0.35 * H},
                     {{0, rgba(0.24, 0.27, 0.31, 0.3)}, {1, rgba(0.24, 0.27, 0.31, 0)}});
        QRadialGradient vignette(QPointF(0.5 * W, 0.5 * H), 0.75 * W);
        vignette.setColorAt(0.45, QColor(0, 0, 0, 0));
        vignette.setColorAt(1, rgba(0, 0, 0, 0.6));
        p.fillRect(QRectF(0, 0, W, H), vignette);
    };
    // The details lie over the light bands, but the bands only cross the windows' strip: out
    // of it the details go into the still carriage, so that no frame blends a whole picture.
    const QRectF strip(0, panes.top(), W, panes.height());
    ArtLayer carriage = still(size, [=](QPainter &p) {
        fillVertical(p, {0, 0, W, H},
                     {{0, hex("#0A0E14", Fallback::black)},
                      {0.5, hex("#141A22", Fallback::black)},
                      {1, hex("#0A0E14", Fallback::black)}});
        glow(p, {0.5 * W, 0.4 * H}, 0.6 * W, rgba(0.47, 0.55, 0.63, 0.2));
        // The windows of the carriage, dark tunnel behind pale glass, 6-point bars between.
        const int count = 5;
        const double pitch = panes.width() / count;
        for (int i = 0; i < count; ++i) {
            const QRectF pane(panes.left() + i * pitch + 3, panes.top(), pitch - 6, panes.height());
            QPainterPath shape;
            shape.addRoundedRect(pane, 8, 8);
            p.fillPath(shape, rgba(1, 1, 1, 0.6));
            QLinearGradient tint(pane.topLeft(), pane.bottomRight());
            tint.setColorAt(0, rgba(0.71, 0.78, 0.90, 0.3));
            tint.setColorAt(1, rgba(0.1, 0.12, 0.16, 0.75));
            p.fillPath(shape, tint);
        }
        p.save();
        p.setClipRegion(QRegion(0, 0, int(std::ceil(W)), int(std::ceil(H))) -
                        QRegion(strip.toAlignedRect()));
        details(p);
        p.restore();
    }, true);

    QList<ArtLayer> layers{carriage};
    // Tunnel lights sweeping past the windows.
    const double bandWidth = 0.3 * W;
    for (int i = 0; i < 3; ++i) {
        const QRectF bounds(-bandWidth, panes.top(), bandWidth, panes.height());
        ArtLayer band{bounds,
                      [bounds](QPainter &p) {
                          QLinearGradient sweep(bounds.topLeft(), bounds.topRight());
                          const QColor light = rgba(0.71, 0.78, 0.90, 0.4);
                          sweep.setColorAt(0, clear(light));
                          sweep.setColorAt(0.5, light);
                          sweep.setColorAt(1, clear(light));
                          p.fillRect(bounds, sweep);
                      },
                      [W, bandWidth, i](double t) {
                          const double phase = ArtPhases::subwayLights(t)[std::size_t(i)];
                          return ArtPose{{phase * (W + bandWidth), 0}};
                      }};
        band.travels = true;
        layers.append(band);
    }

    layers.append(ArtLayer{QRectF(strip.toAlignedRect()), details});
    return layers;
}

// --- Vinyl bar ---------------------------------------------------------------------------------

QList<ArtLayer> artVinylBar(QSizeF size)
{
    const double W = size.width(), H = size.height();
    const QColor warm = rgba(0.78, 0.50, 0.30, 0.5);
    ArtLayer room = still(size, [=](QPainter &p) {
        fillVertical(p, {0, 0, W, H},
                     {{0, hex("#2A0E0A", Fallback::brown)},
                      {0.5, hex("#4A1810", Fallback::brown)},
                      {1, hex("#2A0E0A", Fallback::brown)}});
        glow(p, {0.55 * W, 0.45 * H}, 0.55 * W, warm);
        // Shelves of record sleeves.
        QRandomGenerator random = scatter(5);
        for (const double y : {0.14 * H, 0.14 * H + 30, 0.14 * H + 60}) {
            for (double x = 0.06 * W; x < 0.94 * W;) {
                const double w = random.bounded(3) == 0 ? 14 : 4;
                const QColor sleeve = random.bounded(2) ? QColor(0x3A, 0x14, 0x0C) : QColor(0x24, 0x0A, 0x06);
                p.save();
                p.setOpacity(between(random, 0.5, 0.6));
                p.fillRect(QRectF(x, y, w, 22), sleeve);
                p.restore();
                x += w + 2;
            }
        }
    }, true);

    const QRectF disc(0.5 * W - 45, 0.76 * H - 60, 90, 90);
    ArtLayer record{disc,
                    [disc](QPainter &p) {
                        const QPointF c = disc.center();
                        QRadialGradient vinyl(c, 45);
                        vinyl.setColorAt(0, hex("#1A0A06", Fallback::black));
                        vinyl.setColorAt(1, hex("#0A0402", Fallback::black));
                        p.setPen(Qt::NoPen);
                        p.setBrush(vinyl);
                        p.drawEllipse(c, 45, 45);
                        // Grooves, broken in places so that the turning shows.
                        p.setBrush(Qt::NoBrush);
                        p.setPen(QPen(rgba(0, 0, 0, 0.25), 0.8));
                        for (double r = 18; r < 44; r += 2.5)
                            p.drawArc(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r),
                                      int(r * 37) % 360 * 16, 300 * 16);
                        p.setPen(QPen(QColor(255, 220, 190, 40), 1.5));
                        p.drawArc(QRectF(c.x() - 38, c.y() - 38, 76, 76), 30 * 16, 40 * 16);
                        QRadialGradient label(c + QPointF(-4, -4), 16);
                        label.setColorAt(0, hex("#C77F4D", Fallback::orange));
                        label.setColorAt(1, hex("#8A4828", Fallback::brown));
                        p.setPen(Qt::NoPen);
                        p.setBrush(label);
                        p.drawEllipse(c, 14, 14);
                        p.setBrush(hex("#8A4828", Fallback::brown));
                        p.drawRect(QRectF(c.x() - 1, c.y() - 12, 2, 6)); // a mark on the label
                        p.setBrush(QColor(20, 10, 6));
                        p.drawEllipse(c, 1, 1); // the 2-point spindle
                    },
                    [](double t) { return ArtPose{{}, ArtPhases::recordAngle(t)}; },
                    false, true};

    ArtLayer table = still(size, [=](QPainter &p) {
        const QRectF top(0, 0.76 * H, W, 0.24 * H);
        fillVertical(p, top, {{0, rgba(0.16, 0.08, 0.05, 0.4)}, {0.08, rgba(0.16, 0.08, 0.05)},
                              {1, hex("#1A0808", Fallback::black)}});
        p.save();
        p.setClipRect(top);
        glow(p, {0.5 * W, top.top()}, 0.4 * W, rgba(0.78, 0.50, 0.30, 0.3));
        p.restore();
    });
    return {room, record, table};
}
