#include "visuals/Illustration.h"

#include "catalogue/Catalogue.h"

#include <algorithm>
#include <cmath>
#include <vector>

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

void Vignette::darken(QImage &image, QPointF topLeft, qreal devicePixelRatio, QPointF centre) const
{
    if (isNone() || image.isNull())
        return;
    // In pixels from the centre. The darkening is the same in the four quarters, so one root
    // per pixel of a quarter, in fixed point, serves the whole layer.
    const double cx = (centre.x() - topLeft.x()) * devicePixelRatio - 0.5;
    const double cy = (centre.y() - topLeft.y()) * devicePixelRatio - 0.5;
    const int across = int(std::max(cx, image.width() - 1 - cx)) + 1;
    const int down = int(std::max(cy, image.height() - 1 - cy)) + 1;
    const double clear = clearRadius * devicePixelRatio,
                 ring = (fullRadius - clearRadius) * devicePixelRatio;
    std::vector<quint32> shares(size_t(across) * size_t(down));
    for (int j = 0; j < down; ++j) {
        for (int i = 0; i < across; ++i) {
            const double distance = std::sqrt((i + 0.5) * (i + 0.5) + (j + 0.5) * (j + 0.5));
            const double darkness = opacity * std::clamp((distance - clear) / ring, 0.0, 1.0);
            shares[size_t(j) * size_t(across) + size_t(i)] = quint32((1 - darkness) * 256 + 0.5);
        }
    }
    const int width = image.width(), height = image.height();
    std::vector<int> column(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x)
        column[size_t(x)] = int(std::abs(x - cx));
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const quint32 *row = shares.data() + size_t(std::abs(y - cy)) * size_t(across);
        for (int x = 0; x < width; ++x) {
            const quint32 keep = row[column[size_t(x)]];
            const QRgb pixel = line[x];
            line[x] = (pixel & 0xff000000) | ((((pixel & 0xff00ff) * keep) >> 8) & 0xff00ff) |
                      ((((pixel & 0x00ff00) * keep) >> 8) & 0x00ff00);
        }
    }
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
    painter.end();
    if (!travels)
        vignette.darken(image, bounds.topLeft(), devicePixelRatio, centre);
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
