#pragma once

#include <QList>
#include <QObject>
#include <memory>

// One system-wide key combination: Super+Alt and a key.
struct HotKey
{
    enum class Key { Space, Right, Up, Down };

    quint32 id;
    Key key;
    QString description; // what the desktop may show for it
};

// The desktop's facility for system-wide key combinations. X11 grabs and the Wayland portal
// implement it; tests use the real X11 one under Xvfb.
class GlobalHotKeys : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // The facility this session offers: the GlobalShortcuts portal on Wayland when the desktop
    // provides it, X11 key grabs when Qt runs on X11, otherwise one that registers nothing.
    static std::unique_ptr<GlobalHotKeys> forSession();

    // Replaces every registration with these; an empty list releases them all. A combination
    // held by another client is left out and the others still register.
    virtual void setHotKeys(const QList<HotKey> &hotKeys) = 0;
    // The ids registered now, in registration order.
    virtual QList<quint32> registeredIds() const = 0;
    // Whether this session offers global key combinations at all; the portal's answer comes
    // after construction (offeredChanged).
    virtual bool isOffered() const = 0;

Q_SIGNALS:
    // A registered combination was pressed.
    void pressed(quint32 id);
    // registeredIds changed later than setHotKeys returned (the portal answers asynchronously).
    void registrationsChanged();
    void offeredChanged();
};

// Registers nothing: the desktop has no facility for global key combinations.
class NoGlobalHotKeys : public GlobalHotKeys
{
    Q_OBJECT

public:
    using GlobalHotKeys::GlobalHotKeys;
    void setHotKeys(const QList<HotKey> &) override {}
    QList<quint32> registeredIds() const override { return {}; }
    bool isOffered() const override { return false; }
};
