#pragma once

#include <QColor>
#include <QEasingCurve>
#include <QObject>
#include <QString>
#include <optional>

// The two appearances every neutral colour of the interface knows.
enum class ColorScheme { Light, Dark };

// The eleven shared neutral colours. Adaptive ones carry a light and a dark value and follow
// the palette's scheme; `ink` and `paper` are the same in both. One palette follows the
// desktop for the launcher and the settings window; the tray panel has its own, held dark.
class ThemePalette : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool dark READ isDark NOTIFY schemeChanged)
    Q_PROPERTY(QColor canvas READ canvas NOTIFY schemeChanged)
    Q_PROPERTY(QColor surface READ surface NOTIFY schemeChanged)
    Q_PROPERTY(QColor deepSurface READ deepSurface NOTIFY schemeChanged)
    Q_PROPERTY(QColor frost READ frost NOTIFY schemeChanged)
    Q_PROPERTY(QColor textPrimary READ textPrimary NOTIFY schemeChanged)
    Q_PROPERTY(QColor textSecondary READ textSecondary NOTIFY schemeChanged)
    Q_PROPERTY(QColor textTertiary READ textTertiary NOTIFY schemeChanged)
    Q_PROPERTY(QColor hairline READ hairline NOTIFY schemeChanged)
    Q_PROPERTY(QColor strongHairline READ strongHairline NOTIFY schemeChanged)
    Q_PROPERTY(QColor ink READ ink CONSTANT)
    Q_PROPERTY(QColor paper READ paper CONSTANT)
    // A line that says what went wrong: warm, and dark enough to read on the light canvas.
    Q_PROPERTY(QColor warning READ warning NOTIFY schemeChanged)
    // Fixed colours of the controls that lie on a picture or on dark glass, whatever the
    // scheme: the glass itself and its edge, and the tray panel's round buttons.
    Q_PROPERTY(QColor glass READ glass CONSTANT)
    Q_PROPERTY(QColor glassEdge READ glassEdge CONSTANT)
    Q_PROPERTY(QColor panelButton READ panelButton CONSTANT)
    // What deletes something says so in red.
    Q_PROPERTY(QColor destructive READ destructive CONSTANT)
    // The sleep timer's moon while it runs, lit like a night light.
    Q_PROPERTY(QColor nightLight READ nightLight NOTIFY schemeChanged)
    // The drawer's slide and whatever moves with it (see Spring.h).
    Q_PROPERTY(QEasingCurve spring READ spring CONSTANT)
    Q_PROPERTY(int springDuration READ springDuration CONSTANT)

public:
    enum class Role {
        Canvas,
        Surface,
        DeepSurface,
        Frost,
        TextPrimary,
        TextSecondary,
        TextTertiary,
        Hairline,
        StrongHairline,
        Ink,
        Paper,
    };

    // The value of a colour in a scheme; fixed colours ignore the scheme.
    static QColor resolve(Role role, ColorScheme scheme);
    static bool isAdaptive(Role role);
    // The role named as views name it ("textPrimary"); none for an unknown name.
    static std::optional<Role> roleNamed(const QString &name);

    explicit ThemePalette(ColorScheme scheme, QObject *parent = nullptr);

    ColorScheme scheme() const { return m_scheme; }
    void setScheme(ColorScheme scheme);
    bool isDark() const { return m_scheme == ColorScheme::Dark; }

    QColor canvas() const { return resolve(Role::Canvas, m_scheme); }
    QColor surface() const { return resolve(Role::Surface, m_scheme); }
    QColor deepSurface() const { return resolve(Role::DeepSurface, m_scheme); }
    QColor frost() const { return resolve(Role::Frost, m_scheme); }
    QColor textPrimary() const { return resolve(Role::TextPrimary, m_scheme); }
    QColor textSecondary() const { return resolve(Role::TextSecondary, m_scheme); }
    QColor textTertiary() const { return resolve(Role::TextTertiary, m_scheme); }
    QColor hairline() const { return resolve(Role::Hairline, m_scheme); }
    QColor strongHairline() const { return resolve(Role::StrongHairline, m_scheme); }
    QColor ink() const { return resolve(Role::Ink, m_scheme); }
    static QEasingCurve spring();
    static int springDuration();
    QColor paper() const { return resolve(Role::Paper, m_scheme); }
    QColor warning() const;
    QColor glass() const { return QColor::fromRgbF(0.08f, 0.09f, 0.1f, 0.72f); }
    QColor glassEdge() const { return glow(0.1); }
    QColor panelButton() const { return QColor::fromRgbF(0.16f, 0.17f, 0.19f); }
    QColor destructive() const { return QColor(0xD93A32); }
    QColor nightLight() const;

    // The primary text colour at `opacity`: the faint fills and marks drawn from the text, so
    // that they show on a light canvas and on a dark one alike.
    Q_INVOKABLE QColor text(qreal opacity) const;
    // White and black at `opacity`: the marks drawn over a picture, dark glass or the dark
    // panel, and the shadows and shades laid over them.
    Q_INVOKABLE QColor glow(qreal opacity) const;
    Q_INVOKABLE QColor shade(qreal opacity) const;
    // `color` at `opacity`, for a fill drawn from a palette colour.
    Q_INVOKABLE QColor faded(QColor color, qreal opacity) const;

    // By name, for views that pick a colour from data; transparent for an unknown name.
    Q_INVOKABLE QColor color(const QString &name) const;

Q_SIGNALS:
    void schemeChanged();

private:
    ColorScheme m_scheme;
};
