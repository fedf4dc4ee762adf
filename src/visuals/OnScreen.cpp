#include "visuals/OnScreen.h"

#include <QQuickItem>
#include <QQuickWindow>

OnScreen::OnScreen(QQuickItem &item, std::function<void(bool)> changed)
    : QObject(&item), m_item(item), m_changed(std::move(changed))
{
    connect(&item, &QQuickItem::visibleChanged, this, &OnScreen::reevaluate);
    connect(&item, &QQuickItem::widthChanged, this, &OnScreen::reevaluate);
    connect(&item, &QQuickItem::heightChanged, this, &OnScreen::reevaluate);
    connect(&item, &QQuickItem::windowChanged, this, &OnScreen::followWindow);
    followWindow(item.window());
}

void OnScreen::followWindow(QQuickWindow *window)
{
    disconnect(m_windowVisibility);
    m_window = window;
    if (window)
        m_windowVisibility =
            connect(window, &QWindow::visibilityChanged, this, &OnScreen::reevaluate);
    reevaluate();
}

void OnScreen::reevaluate()
{
    const bool onScreen = m_window && m_window->isVisible() &&
        m_window->visibility() != QWindow::Minimized && m_item.isVisible() &&
        m_item.width() > 0 && m_item.height() > 0;
    if (onScreen == m_onScreen)
        return;
    m_onScreen = onScreen;
    m_changed(onScreen);
}
