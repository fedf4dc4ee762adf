#include "ui/controls/SliderInput.h"

#include "ui/views/ViewSettings.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>
#include <cmath>

std::optional<double> SliderInput::valueAt(double x, double width, double current)
{
    if (!(width > 0))
        return std::nullopt;
    const double value = std::clamp(x, 0.0, width) / width;
    if (std::abs(value - current) <= smallestChange)
        return std::nullopt;
    return value;
}

SliderInput::SliderInput(QQuickItem *parent) : QQuickItem(parent)
{
    setAcceptedMouseButtons(Qt::LeftButton);
    setActiveFocusOnTab(true);
    setFlag(ItemIsFocusScope, false);
}

SliderInput::~SliderInput()
{
    setPressed(false);
}

void SliderInput::setShown(double value)
{
    if (!std::isfinite(value) || value == m_shown)
        return;
    m_shown = value;
    Q_EMIT shownChanged();
}

void SliderInput::setSettings(ViewSettings *settings)
{
    if (settings == m_settings)
        return;
    // A hold belongs to the settings it was taken on.
    const bool pressed = m_pressed;
    setPressed(false);
    m_settings = settings;
    setPressed(pressed);
    Q_EMIT settingsChanged();
}

void SliderInput::moveTo(double value)
{
    if (!std::isfinite(value))
        return;
    if (const auto next = valueAt(value, 1.0, m_shown))
        Q_EMIT moved(*next);
}

void SliderInput::follow(double x)
{
    if (const auto next = valueAt(x, width(), m_shown))
        Q_EMIT moved(*next);
}

void SliderInput::setPressed(bool pressed)
{
    if (pressed == m_pressed)
        return;
    m_pressed = pressed;
    if (m_settings) {
        if (pressed)
            m_settings->holdWrites();
        else
            m_settings->releaseWrites();
    }
    Q_EMIT pressedChanged();
}

void SliderInput::mousePressEvent(QMouseEvent *event)
{
    setPressed(true);
    follow(event->position().x());
    event->accept();
}

void SliderInput::mouseMoveEvent(QMouseEvent *event)
{
    follow(event->position().x());
    event->accept();
}

void SliderInput::mouseReleaseEvent(QMouseEvent *event)
{
    follow(event->position().x());
    setPressed(false);
    event->accept();
}

void SliderInput::mouseUngrabEvent()
{
    setPressed(false);
}

void SliderInput::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        moveTo(m_shown - keyStep);
        break;
    case Qt::Key_Right:
    case Qt::Key_Up:
        moveTo(m_shown + keyStep);
        break;
    case Qt::Key_Home:
        moveTo(0.0);
        break;
    case Qt::Key_End:
        moveTo(1.0);
        break;
    default:
        QQuickItem::keyPressEvent(event);
        return;
    }
    event->accept();
}
