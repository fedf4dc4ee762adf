#pragma once

#include "ui/theme/Symbols.h"
#include "ui/theme/ThemePalette.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QtQml/qqml.h>

class QQuickItem;

// What an item draws with: `Theme.palette` and `Theme.symbols`. The host sets both once on a
// window's root; every item below it reads its nearest ancestor's, and a subtree may set its
// own palette (the launcher's glass controls sit on the dark picture whatever the desktop's
// scheme). A popup's content reads the theme of the item that declares the popup, wherever
// the popup hangs while it is shown.
class ThemeAttached : public QObject
{
    Q_OBJECT
    QML_ANONYMOUS
    Q_PROPERTY(ThemePalette *palette READ palette WRITE setPalette NOTIFY paletteChanged)
    Q_PROPERTY(SymbolTable *symbols READ symbols WRITE setSymbols NOTIFY symbolsChanged)

public:
    explicit ThemeAttached(QObject *owner);

    ThemePalette *palette() const { return m_palette; }
    void setPalette(ThemePalette *palette);
    SymbolTable *symbols() const { return m_symbols; }
    void setSymbols(SymbolTable *symbols);

Q_SIGNALS:
    void paletteChanged();
    void symbolsChanged();

private:
    // Looks again for what this item inherits; the items below listen to it.
    void refresh();

    QQuickItem *m_item = nullptr;
    QPointer<ThemePalette> m_ownPalette;
    QPointer<SymbolTable> m_ownSymbols;
    QPointer<ThemePalette> m_palette;
    QPointer<SymbolTable> m_symbols;
    QList<QMetaObject::Connection> m_watches;
};

class Theme : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Theme is only an attached property.")
    QML_ATTACHED(ThemeAttached)

public:
    static ThemeAttached *qmlAttachedProperties(QObject *object);
    // What the host gives a window's root, before its bindings first run.
    static void set(QObject &root, ThemePalette &palette, SymbolTable &symbols);
};
