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

// Up the item tree, and past its top to the owner.
QObject *above(QObject *object)
{
    if (auto *item = qobject_cast<QQuickItem *>(object); item && item->parentItem())
        return item->parentItem();
    return object->parent();
}

template <typename Get> auto inherited(QQuickItem *item, Get get) -> decltype(get(nullptr))
{
    const auto of = [&get](QObject *object) -> decltype(get(nullptr)) {
        ThemeAttached *attached = attachedTo(object);
        return attached ? get(attached) : nullptr;
    };
    if (!item)
        return nullptr;
    // The item tree first; then the owners, for the content of a popup that is not on a
    // window yet (it belongs to the popup, which belongs to the item that declares it); last
    // the window's root, for a popup shown on the window's overlay.
    for (QObject *object = above(item); object; object = above(object)) {
        if (auto value = of(object))
            return value;
    }
    for (QObject *object = item->parent(); object; object = above(object)) {
        if (auto value = of(object))
            return value;
    }
    if (QQuickWindow *window = item->window()) {
        for (QQuickItem *top : window->contentItem()->childItems()) {
            if (auto value = of(top))
                return value;
        }
    }
    return nullptr;
}

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
    // An item in its own right reads the ancestors of its item; one attached to a gradient
    // stop or an animation reads its item's own first.
    ThemeAttached *itemTheme = m_item && m_item != parent() ? attachedTo(m_item) : nullptr;
    ThemePalette *palette = m_ownPalette;
    if (!palette && itemTheme)
        palette = itemTheme->palette();
    if (!palette)
        palette = inherited(m_item, [](ThemeAttached *a) { return a->palette(); });
    SymbolTable *symbols = m_ownSymbols;
    if (!symbols && itemTheme)
        symbols = itemTheme->symbols();
    if (!symbols)
        symbols = inherited(m_item, [](ThemeAttached *a) { return a->symbols(); });

    // An ancestor moved with this item under it says nothing to this item: listen to those up
    // to the nearest one that reads the theme itself, which tells its items below.
    for (const QMetaObject::Connection &watch : std::as_const(m_watches))
        disconnect(watch);
    m_watches.clear();
    for (QQuickItem *ancestor = m_item ? m_item->parentItem() : nullptr;
         ancestor && !attachedTo(ancestor); ancestor = ancestor->parentItem())
        m_watches.append(
            connect(ancestor, &QQuickItem::parentChanged, this, &ThemeAttached::refresh));

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
    if ((paletteChange || symbolsChange) && m_item == parent())
        refreshBelow(m_item);
}

void ThemeAttached::refreshBelow(QQuickItem *item)
{
    for (QQuickItem *child : item->childItems()) {
        if (ThemeAttached *attached = attachedTo(child))
            attached->refresh();
        else
            refreshBelow(child);
    }
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
