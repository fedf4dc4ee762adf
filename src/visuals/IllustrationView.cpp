#include "visuals/IllustrationView.h"

#include "visuals/ArtClock.h"
#include "visuals/OnScreen.h"

#include <QQuickWindow>
#include <QSGFlatColorMaterial>
#include <QSGGeometryNode>
#include <QSGOpacityNode>
#include <QSGSimpleTextureNode>
#include <QSGTransformNode>
#include <QSGVertexColorMaterial>
#include <QtConcurrent>

namespace {
// Layers are cut into tiles of this many pixels, and clear tiles are left out: a sparse layer
// (motes, a band at the bottom) then costs the renderer only the pixels it covers.
constexpr int tileSize = 64;

bool isClear(const QImage &image, const QRect &tile)
{
    for (int y = tile.top(); y <= tile.bottom(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = tile.left(); x <= tile.right(); ++x)
            if (qAlpha(line[x]) != 0)
                return false;
    }
    return true;
}

// Stroke layers are drawn as lines and have no image.
QList<QImage> paintLayers(const QList<ArtLayer> &layers, qreal devicePixelRatio,
                          const Vignette &vignette, QPointF centre)
{
    QList<QImage> images;
    for (const ArtLayer &layer : layers)
        images.append(layer.strokes.isEmpty() ? layer.image(devicePixelRatio, vignette, centre)
                                              : QImage());
    return images;
}

void addImage(QSGNode &parent, QQuickWindow &window, const ArtLayer &layer, const QImage &image,
              qreal devicePixelRatio)
{
    QSGTexture *texture = window.createTextureFromImage(
        image, layer.opaque ? QQuickWindow::CreateTextureOptions()
                            : QQuickWindow::TextureHasAlphaChannel);
    bool owned = false;
    // An opaque layer is one piece; only a layer that turns needs smoothing between pixels.
    const int step = layer.opaque ? std::max(image.width(), image.height()) : tileSize;
    const QSGTexture::Filtering filtering =
        layer.turns ? QSGTexture::Linear : QSGTexture::Nearest;
    for (int y = 0; y < image.height(); y += step) {
        for (int x = 0; x < image.width(); x += step) {
            const QRect tile = QRect(x, y, step, step).intersected(image.rect());
            if (!layer.opaque && isClear(image, tile))
                continue;
            auto *node = new QSGSimpleTextureNode;
            node->setTexture(texture);
            // The first tile frees the texture when the layer goes.
            node->setOwnsTexture(!std::exchange(owned, true));
            node->setFiltering(filtering);
            node->setSourceRect(tile);
            node->setRect(QRectF(layer.bounds.topLeft() + QPointF(tile.topLeft()) / devicePixelRatio,
                                 QSizeF(tile.size()) / devicePixelRatio));
            parent.appendChildNode(node);
        }
    }
    if (!owned)
        delete texture;
}

// Under a vignette each end of a stroke takes the darkening where it lies at rest.
void addStrokes(QSGNode &parent, const ArtLayer &layer, const Vignette &vignette, QPointF centre)
{
    auto *node = new QSGGeometryNode;
    QSGGeometry *geometry;
    QSGMaterial *material;
    if (vignette.isNone()) {
        geometry = new QSGGeometry(QSGGeometry::defaultAttributes_Point2D(),
                                   int(layer.strokes.size() * 2));
        QSGGeometry::Point2D *points = geometry->vertexDataAsPoint2D();
        for (const QLineF &line : layer.strokes) {
            (points++)->set(float(line.x1()), float(line.y1()));
            (points++)->set(float(line.x2()), float(line.y2()));
        }
        auto *flat = new QSGFlatColorMaterial;
        flat->setColor(layer.strokeColour);
        material = flat;
    } else {
        geometry = new QSGGeometry(QSGGeometry::defaultAttributes_ColoredPoint2D(),
                                   int(layer.strokes.size() * 2));
        QSGGeometry::ColoredPoint2D *points = geometry->vertexDataAsColoredPoint2D();
        const QColor colour = layer.strokeColour;
        const double alpha = colour.alphaF();
        // Vertex colours are premultiplied.
        auto set = [&](QSGGeometry::ColoredPoint2D &point, QPointF at) {
            const double keeps = vignette.keeps(at, centre) * alpha;
            point.set(float(at.x()), float(at.y()), uchar(std::lround(255 * colour.redF() * keeps)),
                      uchar(std::lround(255 * colour.greenF() * keeps)),
                      uchar(std::lround(255 * colour.blueF() * keeps)),
                      uchar(std::lround(255 * alpha)));
        };
        for (const QLineF &line : layer.strokes) {
            set(*points++, line.p1());
            set(*points++, line.p2());
        }
        material = new QSGVertexColorMaterial;
    }
    geometry->setDrawingMode(QSGGeometry::DrawLines);
    geometry->setLineWidth(1);
    node->setGeometry(geometry);
    node->setMaterial(material);
    node->setFlags(QSGNode::OwnsGeometry | QSGNode::OwnsMaterial);
    parent.appendChildNode(node);
}

// Transform → opacity → the layer's tiles or strokes; the first two are what a frame changes.
QSGTransformNode *layerNode(QQuickWindow &window, const ArtLayer &layer, const QImage &image,
                            qreal devicePixelRatio, const Vignette &vignette, QPointF centre)
{
    auto *opacity = new QSGOpacityNode;
    if (layer.strokes.isEmpty())
        addImage(*opacity, window, layer, image, devicePixelRatio);
    else
        addStrokes(*opacity, layer, vignette, centre);
    auto *transform = new QSGTransformNode;
    transform->appendChildNode(opacity);
    return transform;
}

void pose(QSGNode *node, const ArtLayer &layer, const ArtPose &at)
{
    auto *transform = static_cast<QSGTransformNode *>(node);
    transform->setMatrix(QMatrix4x4(at.transform(layer.bounds)));
    static_cast<QSGOpacityNode *>(transform->firstChild())
        ->setOpacity(std::clamp(at.opacity, 0.0, 1.0));
}
} // namespace

IllustrationView::IllustrationView(QQuickItem *parent)
    : QQuickItem(parent), m_onScreen(new OnScreen(*this, [this](bool) { updateAnimating(); }))
{
    setFlag(ItemHasContents);
    // Moving layers reach past the edges (rain, mist) so that they never show a seam.
    setClip(true);
}

IllustrationView::~IllustrationView()
{
    if (m_clock)
        m_clock->detach(this);
}

void IllustrationView::setKind(const QString &kind)
{
    if (kind == m_kind)
        return;
    m_kind = kind;
    m_illustration = Illustration::forKind(kind);
    m_layersChanged = true;
    update();
    updateAnimating();
    queuePaintAhead();
    Q_EMIT kindChanged();
}

void IllustrationView::setClock(ArtClock *clock)
{
    if (clock == m_clock)
        return;
    if (m_clock) {
        m_clock->detach(this);
        disconnect(m_clock, nullptr, this, nullptr);
    }
    m_animating = false;
    m_clock = clock;
    updateAnimating();
    Q_EMIT clockChanged();
}

QVector3D IllustrationView::vignette() const
{
    return QVector3D(float(m_vignette.clearRadius), float(m_vignette.fullRadius),
                     float(m_vignette.opacity));
}

void IllustrationView::setVignette(const QVector3D &vignette)
{
    const Vignette set{vignette.x(), vignette.y(), vignette.z()};
    if (set == m_vignette)
        return;
    m_vignette = set;
    m_layersChanged = true;
    update();
    queuePaintAhead();
    Q_EMIT vignetteChanged();
}

void IllustrationView::updateAnimating()
{
    const bool moves = m_illustration && m_clock && m_onScreen->isOnScreen();
    if (moves == m_animating)
        return;
    m_animating = moves;
    if (moves) {
        m_clock->attach(this);
        connect(m_clock, &ArtClock::ticked, this, [this] { advance(false); });
        connect(m_clock, &ArtClock::followed, this, [this] { advance(true); });
        m_shownTime = m_clock->time();
        update();
    } else if (m_clock) {
        m_clock->detach(this);
        disconnect(m_clock, nullptr, this, nullptr);
    }
    Q_EMIT animatingChanged();
}

void IllustrationView::advance(bool following)
{
    // Steps below these are not seen (layers that do not turn are drawn pixel for pixel), so
    // a slow glow or drift asks for a frame only now and then.
    constexpr double offsetStep = 0.5, angleStep = 0.25, opacityStep = 2.0 / 255;
    // A thumbnail follows the frames its window draws anyway; on its own it asks for one at
    // most every third tick: 10 steps a second still read as motion at that size.
    constexpr qreal thumbnailWidth = 480;
    constexpr quint64 thumbnailTicks = 3;
    const bool thumbnail = width() < thumbnailWidth;
    if (following != thumbnail)
        return;
    const quint64 sinceFrame = m_clock->ticksSinceFrame(window());
    if (thumbnail && sinceFrame != 0 && sinceFrame < thumbnailTicks)
        return;
    const double t = m_clock->time();
    if (m_shownPoses.size() == m_layers.size()) {
        bool moved = false;
        for (qsizetype i = 0; i < m_layers.size() && !moved; ++i) {
            if (!m_layers[i].pose)
                continue;
            const ArtPose now = m_layers[i].pose(t);
            const ArtPose &shown = m_shownPoses[i];
            const QPointF shift = now.offset - shown.offset;
            moved = std::abs(shift.x()) >= offsetStep || std::abs(shift.y()) >= offsetStep ||
                std::abs(now.rotation - shown.rotation) >= angleStep ||
                std::abs(now.opacity - shown.opacity) >= opacityStep;
        }
        if (!moved)
            return;
    }
    m_clock->takeFrame(window());
    m_shownTime = t;
    update();
}

void IllustrationView::geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size()) {
        m_layersChanged = true;
        update();
        queuePaintAhead();
    }
}

void IllustrationView::itemChange(ItemChange change, const ItemChangeData &value)
{
    if (change == ItemDevicePixelRatioHasChanged) {
        m_layersChanged = true;
        update();
    }
    if (change == ItemDevicePixelRatioHasChanged || change == ItemSceneChange)
        queuePaintAhead();
    QQuickItem::itemChange(change, value);
}

void IllustrationView::queuePaintAhead()
{
    // A layout sets the size several times in a row; only the last one is painted.
    if (std::exchange(m_aheadQueued, true))
        return;
    QMetaObject::invokeMethod(this, &IllustrationView::paintAhead, Qt::QueuedConnection);
}

void IllustrationView::paintAhead()
{
    m_aheadQueued = false;
    // Nothing to do once a frame has built the layers for what is set now.
    if (!m_layersChanged || !m_illustration || !window() || width() <= 0 || height() <= 0)
        return;
    const qreal devicePixelRatio = window()->effectiveDevicePixelRatio();
    if (m_ahead.kind == m_kind && m_ahead.size == size() && m_ahead.vignette == m_vignette &&
        m_ahead.devicePixelRatio == devicePixelRatio && m_ahead.images.isValid())
        return;
    m_ahead = {m_kind, size(), m_vignette, devicePixelRatio,
               QtConcurrent::run([illustration = *m_illustration, size = size(), devicePixelRatio,
                                  vignette = m_vignette] {
                   return paintLayers(illustration.layers(size), devicePixelRatio, vignette,
                                      QRectF(QPointF(), size).center());
               })};
}

QList<QImage> IllustrationView::takeLayerImages()
{
    // Called while the GUI thread waits for the frame; the images painted ahead are waited
    // for if they are still being painted, and then let go (the textures hold them now).
    Ahead ahead = std::exchange(m_ahead, {});
    if (ahead.kind == m_kind && ahead.size == size() && ahead.vignette == m_vignette &&
        ahead.devicePixelRatio == m_devicePixelRatio && ahead.images.isValid())
        return ahead.images.result();
    return paintLayers(m_layers, m_devicePixelRatio, m_vignette, boundingRect().center());
}

QSGNode *IllustrationView::updatePaintNode(QSGNode *old, UpdatePaintNodeData *)
{
    if (!m_illustration || width() <= 0 || height() <= 0) {
        delete old;
        return nullptr;
    }
    QSGNode *root = old;
    if (!root || m_layersChanged) {
        delete root;
        root = new QSGNode;
        m_devicePixelRatio = window()->effectiveDevicePixelRatio();
        m_layers = m_illustration->layers(size());
        const QList<QImage> images = takeLayerImages();
        for (qsizetype i = 0; i < m_layers.size(); ++i)
            root->appendChildNode(layerNode(*window(), m_layers[i], images[i], m_devicePixelRatio,
                                            m_vignette, boundingRect().center()));
        m_layersChanged = false;
    }
    if (!m_animating)
        m_shownTime = ArtClock::now();
    m_shownPoses.clear();
    QSGNode *node = root->firstChild();
    for (const ArtLayer &layer : std::as_const(m_layers)) {
        m_shownPoses.append(layer.pose ? layer.pose(m_shownTime) : ArtPose());
        if (layer.pose)
            pose(node, layer, m_shownPoses.last());
        node = node->nextSibling();
    }
    return root;
}
