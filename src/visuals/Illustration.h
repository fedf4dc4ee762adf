#pragma once

#include <QImage>
#include <QLineF>
#include <QList>
#include <QPainter>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QTransform>
#include <functional>
#include <optional>

// Where a moving layer stands at one moment: shifted, turned about its own centre, faded.
struct ArtPose
{
    QPointF offset;
    double rotation = 0; // degrees, clockwise
    double opacity = 1;

    // The layer's placement in the picture for a layer whose image lies at bounds.
    QTransform transform(const QRectF &bounds) const;
};

// A darkening towards a picture's edges: clear within clearRadius points of its centre, then
// deepening to black at `opacity` from fullRadius on. Painted into the picture's own layers,
// it costs a frame nothing; blended over the picture it would be one more pass of every pixel.
struct Vignette
{
    double clearRadius = 0;
    double fullRadius = 0;
    double opacity = 0;

    bool operator==(const Vignette &) const = default;
    bool isNone() const { return opacity <= 0 || fullRadius <= clearRadius; }
    // The share of its colour a pixel keeps at a point, in a picture centred on centre.
    double keeps(QPointF at, QPointF centre) const;
    // Darkens the colour of an image (premultiplied, or opaque) whose pixel (0, 0) lies at
    // topLeft, keeping its coverage.
    void darken(QImage &image, QPointF topLeft, qreal devicePixelRatio, QPointF centre) const;
};

// One layer of an illustration. Its image is painted once for a picture size; after that it
// only moves, so a picture on screen costs a few transforms a frame and never a repaint.
struct ArtLayer
{
    // Where its image lies in the picture at rest; it may reach beyond the picture.
    QRectF bounds;
    // Paints in picture coordinates.
    std::function<void(QPainter &)> paint;
    // How it stands at time t; none for a layer that never moves.
    std::function<ArtPose(double t)> pose;
    // Covers its bounds with opaque colour (drawn without blending).
    bool opaque = false;
    // Its pose rotates it (its pixels are then smoothed; others are drawn as they are).
    bool turns = false;
    // Its pose carries it across the picture (a passing light): a vignette painted into it
    // would travel with it, so it has none.
    bool travels = false;
    // A layer of thin strokes only (rain) lists them here instead of painting: on screen they
    // are drawn as lines, so that a frame does not blend a whole picture of clear pixels.
    QList<QLineF> strokes;
    QColor strokeColour;

    // The layer painted at devicePixelRatio pixels per point, darkened by the vignette of a
    // picture centred on centre.
    QImage image(qreal devicePixelRatio, const Vignette &vignette = {}, QPointF centre = {}) const;
};

// A built-in scene illustration: layers back to front, painted from gradients and simple
// shapes, some of them moved by the phases of ArtPhases.
class Illustration
{
public:
    // The layers of a picture of a size, back to front.
    using Layers = QList<ArtLayer> (*)(QSizeF size);

    explicit Illustration(Layers layers) : m_layers(layers) {}

    // The illustration for a scene art kind's raw value ("cozy-room", …); none for another.
    static std::optional<Illustration> forKind(const QString &rawValue);

    QList<ArtLayer> layers(QSizeF size) const { return m_layers(size); }
    // The whole picture at time t as the screen shows it, for stills and tests.
    QImage render(QSize size, double t, const Vignette &vignette = {}) const;

private:
    Layers m_layers;
};

// The six illustrations.
QList<ArtLayer> artCozyRoom(QSizeF size);
QList<ArtLayer> artRainyTokyo(QSizeF size);
QList<ArtLayer> artLateCafe(QSizeF size);
QList<ArtLayer> artForestDawn(QSizeF size);
QList<ArtLayer> artSubway(QSizeF size);
QList<ArtLayer> artVinylBar(QSizeF size);
