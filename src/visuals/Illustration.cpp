#include "visuals/Illustration.h"

#include "catalogue/Catalogue.h"

#include <algorithm>
#include <cmath>

QTransform ArtPose::transform(const QRectF &bounds) const
{
    QTransform transform;
    transform.translate(offset.x(), offset.y());
    if (rotation != 0) {
        const QPointF centre = bounds.center();
        transform.translate(centre.x(), centre.y());
        transform.rotate(rotation);
        transform.translate(-centre.x(), -centre.y());
    }
    return transform;
}

double Vignette::keeps(QPointF at, QPointF centre) const
{
    if (isNone())
        return 1;
    const double distance = std::hypot(at.x() - centre.x(), at.y() - centre.y());
    return 1 -
           opacity * std::clamp((distance - clearRadius) / (fullRadius - clearRadius), 0.0, 1.0);
}

QRadialGradient Vignette::gradient(QPointF centre) const
{
    QRadialGradient gradient(centre, fullRadius, centre, clearRadius);
    gradient.setColorAt(0, Qt::transparent);
    gradient.setColorAt(1, QColor::fromRgbF(0, 0, 0, float(opacity)));
    return gradient;
}

QImage ArtLayer::image(qreal devicePixelRatio, const Vignette &vignette, QPointF centre) const
{
    const QSize pixels(int(std::ceil(bounds.width() * devicePixelRatio)),
                       int(std::ceil(bounds.height() * devicePixelRatio)));
    QImage image(pixels, opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(devicePixelRatio, devicePixelRatio);
    painter.translate(-bounds.topLeft());
    if (paint)
        paint(painter);
    painter.setPen(QPen(strokeColour, 1));
    painter.drawLines(strokes);
    if (!vignette.isNone()) {
        // Atop: only the colour darkens, the layer's coverage stays as it was.
        painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        painter.fillRect(bounds, vignette.gradient(centre));
    }
    return image;
}

std::optional<Illustration> Illustration::forKind(const QString &rawValue)
{
    const std::optional<SceneArtKind> kind = SceneArt::fromRawValue(rawValue);
    if (!kind)
        return std::nullopt;
    switch (*kind) {
    case SceneArtKind::CozyRoom:
        return Illustration(artCozyRoom);
    case SceneArtKind::RainyTokyo:
        return Illustration(artRainyTokyo);
    case SceneArtKind::LateCafe:
        return Illustration(artLateCafe);
    case SceneArtKind::ForestDawn:
        return Illustration(artForestDawn);
    case SceneArtKind::Subway:
        return Illustration(artSubway);
    case SceneArtKind::VinylBar:
        return Illustration(artVinylBar);
    }
    return std::nullopt;
}

QImage Illustration::render(QSize size, double t, const Vignette &vignette) const
{
    QImage picture(size, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const ArtLayer &layer : layers(QSizeF(size))) {
        const ArtPose pose = layer.pose ? layer.pose(t) : ArtPose();
        painter.save();
        painter.setOpacity(std::clamp(pose.opacity, 0.0, 1.0));
        painter.setTransform(pose.transform(layer.bounds));
        painter.drawImage(layer.bounds,
                          layer.image(1.0, vignette, QRectF(QPointF(), size).center()));
        painter.restore();
    }
    return picture;
}
