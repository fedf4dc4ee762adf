#pragma once

#include <QPointer>
#include <QQuickItem>
#include <QtQml/qqmlregistration.h>
#include <optional>

#include "ui/views/ViewSettings.h"

// The input of a thin 0…1 slider: a press sets the value where it lands and a drag follows
// the pointer (no minimum distance), arrow keys step, and assistive tools read and set the
// value. The slider never holds a value of its own: `shown` is bound to the service's state and
// every change the user makes goes out through moved(), so what it shows is what is in effect.
// While pressed it holds the settings file's writes, so a drag is heard at every step but
// written only a few times a second and at its end.
class SliderInput : public QQuickItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(double shown READ shown WRITE setShown NOTIFY shownChanged)
    // The names assistive technology reads on a slider; writing `value` is a move.
    Q_PROPERTY(double value READ shown WRITE moveTo NOTIFY shownChanged)
    Q_PROPERTY(double minimumValue READ minimumValue CONSTANT)
    Q_PROPERTY(double maximumValue READ maximumValue CONSTANT)
    Q_PROPERTY(double stepSize READ stepSize CONSTANT)
    Q_PROPERTY(bool pressed READ isPressed NOTIFY pressedChanged)
    Q_PROPERTY(ViewSettings *settings READ settings WRITE setSettings NOTIFY settingsChanged)

public:
    // Smaller changes are no move: a pointer that jitters on the spot writes nothing.
    static constexpr double smallestChange = 0.001;
    static constexpr double keyStep = 0.05;

    // The value for a pointer at `x` across `width`; none when there is no width or the
    // change from `current` is too small to count.
    static std::optional<double> valueAt(double x, double width, double current);

    explicit SliderInput(QQuickItem *parent = nullptr);
    ~SliderInput() override;

    double shown() const { return m_shown; }
    void setShown(double value);
    double minimumValue() const { return 0.0; }
    double maximumValue() const { return 1.0; }
    double stepSize() const { return keyStep; }
    bool isPressed() const { return m_pressed; }
    ViewSettings *settings() const { return m_settings; }
    void setSettings(ViewSettings *settings);

    // A change by the user: held to 0…1 and emitted unless too small.
    Q_INVOKABLE void moveTo(double value);

Q_SIGNALS:
    void shownChanged();
    void pressedChanged();
    void settingsChanged();
    void moved(double value);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseUngrabEvent() override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void follow(double x);
    void setPressed(bool pressed);

    double m_shown = 0.0;
    bool m_pressed = false;
    QPointer<ViewSettings> m_settings;
};
