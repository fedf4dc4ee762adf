#include "ui/views/Theme.h"

#include <QQuickItem>
#include <QQuickWindow>

namespace {
ThemeAttached *attachedTo(QObject *object)
{
    return qobject_cast<ThemeAttached *>(qmlAttachedPropertiesObject<Theme>(object, false));
}

// The item an object belongs to: itself, or for a gradient stop, an animation or a popup the
// nearest item among its owners.
QQuickItem *itemOf(QObject *object)
{
    for (; object; object = object->parent()) {
        if (auto *item = qobject_cast<QQuickItem *>(object))
            return item;
    }
    return nullptr;
}

// The next object to ask: an item's owner where the owner is not an item (the popup that
// holds a content item, which sits under the popup's own item or, while shown, the window's
// overlay), else its parent item, and past the top of the item tree the owner.
QObject *above(QObject *object)
{
    auto *item = qobject_cast<QQuickItem *>(object);
    if (!item)
        return object->parent();
    QObject *owner = item->parent();
    if (owner && !owner->isWidgetType() && !owner->isWindowType() &&
        !qobject_cast<QQuickItem *>(owner))
        return owner;
    return item->parentItem() ? item->parentItem() : owner;
}

// Deep enough for any view of ours; a bound against a cycle of owners and parents.
constexpr int maxDepth = 64;

} // namespace

ThemeAttached::ThemeAttached(QObject *owner) : QObject(owner), m_item(itemOf(owner))
{
    if (m_item) {
        connect(m_item, &QQuickItem::parentChanged, this, &ThemeAttached::refresh);
        connect(m_item, &QQuickItem::windowChanged, this, &ThemeAttached::refresh);
    }
    refresh();
}

void ThemeAttached::setPalette(ThemePalette *palette)
{
    if (palette == m_ownPalette)
        return;
    m_ownPalette = palette;
    refresh();
}

void ThemeAttached::setSymbols(SymbolTable *symbols)
{
    if (symbols == m_ownSymbols)
        return;
    m_ownSymbols = symbols;
    refresh();
}

void ThemeAttached::refresh()
{
    for (const QMetaObject::Connection &watch : std::as_const(m_watches))
        disconnect(watch);
    m_watches.clear();

    ThemePalette *palette = m_ownPalette;
    SymbolTable *symbols = m_ownSymbols;
    // Takes what an ancestor reads and listens to it: when its theme changes, so does ours.
    const auto ask = [&](ThemeAttached *ancestor) {
        if (!palette)
            palette = ancestor->palette();
        if (!symbols)
            symbols = ancestor->symbols();
        m_watches.append(
            connect(ancestor, &ThemeAttached::paletteChanged, this, &ThemeAttached::refresh));
        m_watches.append(
            connect(ancestor, &ThemeAttached::symbolsChanged, this, &ThemeAttached::refresh));
    };
    // One attached to a gradient stop or an animation reads its item's theme first.
    if (m_item && m_item != parent()) {
        if (ThemeAttached *itemTheme = attachedTo(m_item))
            ask(itemTheme);
    }
    // Up the item tree and through a popup to the item that declares it. An ancestor moved with
    // this item under it says nothing to this item, so each one on the way is watched.
    QObject *object = m_item ? above(m_item) : nullptr;
    for (int depth = 0; object && (!palette || !symbols) && depth < maxDepth; ++depth) {
        if (auto *item = qobject_cast<QQuickItem *>(object))
            m_watches.append(
                connect(item, &QQuickItem::parentChanged, this, &ThemeAttached::refresh));
        if (ThemeAttached *ancestor = attachedTo(object))
            ask(ancestor);
        object = above(object);
    }
    // Last the window's root, for an item whose owners lead nowhere while it is on a window.
    if (QQuickWindow *window = m_item ? m_item->window() : nullptr) {
        for (QQuickItem *top : window->contentItem()->childItems()) {
            if (ThemeAttached *root = attachedTo(top);
                root && root != this && (!palette || !symbols))
                ask(root);
        }
    }

    // An item taken out of its tree (a delegate on its way out) draws on with what it had.
    if (!palette)
        palette = m_palette;
    if (!symbols)
        symbols = m_symbols;
    const bool paletteChange = palette != m_palette;
    const bool symbolsChange = symbols != m_symbols;
    m_palette = palette;
    m_symbols = symbols;
    if (paletteChange)
        Q_EMIT paletteChanged();
    if (symbolsChange)
        Q_EMIT symbolsChanged();
}

ThemeAttached *Theme::qmlAttachedProperties(QObject *object)
{
    return new ThemeAttached(object);
}

void Theme::set(QObject &root, ThemePalette &palette, SymbolTable &symbols)
{
    auto *attached = qobject_cast<ThemeAttached *>(qmlAttachedPropertiesObject<Theme>(&root));
    attached->setPalette(&palette);
    attached->setSymbols(&symbols);
}
