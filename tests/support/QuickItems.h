#pragma once

// Items of a Qt Quick window found as an assistive technology finds them: by accessible name
// and role, and pressed through their press action.

#include <QAccessible>
#include <QQuickItem>

namespace QuickItems {
inline QString accessibleName(QObject *object)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(object);
    return face ? face->text(QAccessible::Name) : QString();
}

// Every item under root, popups' content included; only the visible ones when asked.
inline QList<QQuickItem *> itemsOf(QQuickItem *root, bool visibleOnly = false)
{
    QList<QQuickItem *> items;
    for (QQuickItem *child : root->childItems()) {
        if (!visibleOnly || child->isVisible())
            items += QList<QQuickItem *>{child} + itemsOf(child, visibleOnly);
    }
    return items;
}

// The first item with this name (and this role, unless NoRole).
inline QQuickItem *named(const QList<QQuickItem *> &items, const QString &name,
                         QAccessible::Role role = QAccessible::NoRole)
{
    for (QQuickItem *item : items) {
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(item);
        if (face && face->text(QAccessible::Name) == name &&
            (role == QAccessible::NoRole || face->role() == role))
            return item;
    }
    return nullptr;
}

inline bool press(QQuickItem *item)
{
    QAccessibleInterface *face = item ? QAccessible::queryAccessibleInterface(item) : nullptr;
    if (!face || !face->actionInterface())
        return false;
    face->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    return true;
}
} // namespace QuickItems
