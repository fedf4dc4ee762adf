#include "visuals/IllustrationView.h"

#include "visuals/ArtClock.h"
#include "visuals/OnScreen.h"

#include <QQuickWindow>
#include <QSGOpacityNode>
#include <QSGSimpleTextureNode>
#include <QSGTransformNode>

namespace {
// Transform → opacity → texture; the first two are what a frame changes.
QSGTransformNode *layerNode(QQuickWindow &window, const ArtLayer &layer, qreal devicePixelRatio)
{
    const QImage image = layer.image(devicePixelRatio);
    auto *texture = new QSGSimpleTextureNode;
    texture->setTexture(window.createTextureFromImage(
        image, layer.opaque ? QQuickWindow::CreateTextureOptions()
                            : QQuickWindow::TextureHasAlphaChannel));
    texture->setOwnsTexture(true);
    texture->setFiltering(QSGTexture::Linear);
    texture->setRect(layer.bounds);
    auto *opacity = new QSGOpacityNode;
    opacity->appendChildNode(texture);
    auto *transform = new QSGTransformNode;
    transform->appendChildNode(opacity);
    return transform;
}

void pose(QSGNode *node, const ArtLayer &layer, double t)
{
    const ArtPose at = layer.pose(t);
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

void IllustrationView::updateAnimating()
{
    const bool moves = m_illustration && m_clock && m_onScreen->isOnScreen();
    if (moves == m_animating)
        return;
    m_animating = moves;
    if (moves) {
        m_clock->attach(this);
        connect(m_clock, &ArtClock::ticked, this, &QQuickItem::update);
        update();
    } else if (m_clock) {
        m_clock->detach(this);
        disconnect(m_clock, &ArtClock::ticked, this, &QQuickItem::update);
    }
    Q_EMIT animatingChanged();
}

void IllustrationView::geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size()) {
        m_layersChanged = true;
        update();
    }
}

void IllustrationView::itemChange(ItemChange change, const ItemChangeData &value)
{
    if (change == ItemDevicePixelRatioHasChanged) {
        m_layersChanged = true;
        update();
    }
    QQuickItem::itemChange(change, value);
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
        for (const ArtLayer &layer : std::as_const(m_layers))
            root->appendChildNode(layerNode(*window(), layer, m_devicePixelRatio));
        m_layersChanged = false;
    }
    const double t = m_clock ? m_clock->time() : ArtClock::now();
    QSGNode *node = root->firstChild();
    for (const ArtLayer &layer : std::as_const(m_layers)) {
        if (layer.pose)
            pose(node, layer, t);
        node = node->nextSibling();
    }
    return root;
}
