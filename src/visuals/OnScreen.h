#pragma once

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <functional>

class QQuickItem;
class QQuickWindow;

// Follows whether an item can be seen: it and every ancestor visible, with a size, in a
// window that is shown and not minimised. Pictures use it to move only while they are seen.
class OnScreen : public QObject
{
    Q_OBJECT

public:
    // `changed` is called with the new state each time it flips.
    OnScreen(QQuickItem &item, std::function<void(bool)> changed);

    bool isOnScreen() const { return m_onScreen; }

private:
    void followWindow(QQuickWindow *window);
    void reevaluate();

    QQuickItem &m_item;
    std::function<void(bool)> m_changed;
    QPointer<QQuickWindow> m_window;
    QMetaObject::Connection m_windowVisibility;
    bool m_onScreen = false;
};
