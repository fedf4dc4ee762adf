#pragma once

#include "visuals/Illustration.h"

#include <QFuture>
#include <QPointer>
#include <QQuickItem>
#include <QVector3D>
#include <QtQml/qqmlregistration.h>
#include <optional>

class ArtClock;
class OnScreen;

// Shows one of the built-in illustrations, filling the item. Each layer is painted into a
// texture once per size; a frame only moves and fades the moving layers, and the clock is
// followed only while the item can be seen.
class IllustrationView : public QQuickItem
{
    Q_OBJECT
    QML_ELEMENT
    // The scene art kind's raw value ("cozy-room", …); anything else shows nothing.
    Q_PROPERTY(QString kind READ kind WRITE setKind NOTIFY kindChanged)
    Q_PROPERTY(ArtClock *clock READ clock WRITE setClock NOTIFY clockChanged)
    // Darkens the picture towards its edges, painted into its layers: (clear radius, full
    // radius, opacity) as Vignette has them; an opacity of 0 for none.
    Q_PROPERTY(QVector3D vignette READ vignette WRITE setVignette NOTIFY vignetteChanged)
    // Whether it follows the clock now (on screen, with something to move).
    Q_PROPERTY(bool animating READ isAnimating NOTIFY animatingChanged)

public:
    explicit IllustrationView(QQuickItem *parent = nullptr);
    ~IllustrationView() override;

    QString kind() const { return m_kind; }
    void setKind(const QString &kind);
    ArtClock *clock() const { return m_clock; }
    void setClock(ArtClock *clock);
    QVector3D vignette() const;
    void setVignette(const QVector3D &vignette);
    bool isAnimating() const { return m_animating; }

Q_SIGNALS:
    void kindChanged();
    void clockChanged();
    void vignetteChanged();
    void animatingChanged();

protected:
    QSGNode *updatePaintNode(QSGNode *old, UpdatePaintNodeData *) override;
    void geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry) override;
    void itemChange(ItemChange change, const ItemChangeData &value) override;

private:
    void updateAnimating();
    // Paints the layers for the current kind, size and pixel ratio on a worker thread, even
    // while hidden, so that the frame that first shows the picture only uploads them.
    void paintAhead();
    void queuePaintAhead();
    QList<QImage> takeLayerImages();
    // On a tick: asks for a frame only when a moving layer would move visibly. A full-size
    // picture decides in the clock's first round, a thumbnail in the second (`following`).
    void advance(bool following);

    QString m_kind;
    std::optional<Illustration> m_illustration;
    QList<ArtLayer> m_layers;
    // The time whose poses the scene graph shows, and those poses (one per layer).
    double m_shownTime = 0;
    QList<ArtPose> m_shownPoses;
    QPointer<ArtClock> m_clock;
    Vignette m_vignette;
    OnScreen *m_onScreen;
    bool m_animating = false;
    // The scene graph is rebuilt (textures painted) only when this is set.
    bool m_layersChanged = true;
    qreal m_devicePixelRatio = 1;
    struct Ahead
    {
        QString kind;
        QSizeF size;
        Vignette vignette;
        qreal devicePixelRatio = 0;
        QFuture<QList<QImage>> images;
    };
    Ahead m_ahead;
    bool m_aheadQueued = false;
};
