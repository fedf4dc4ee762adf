#pragma once

#include "awareness/GlobalHotKeys.h"

#include <QHash>
#include <QList>

class QSocketNotifier;
struct xcb_connection_t;

// Global key combinations as passive key grabs on the root window of an X11 display, on a
// connection of our own (so it works whatever Qt's platform plugin is). Each combination is
// grabbed four times, with and without NumLock and CapsLock, so the locks never swallow it.
// A combination of which any variant is held by another client is released and left out.
class X11HotKeys : public GlobalHotKeys
{
    Q_OBJECT

public:
    // display: an X11 display name; empty means $DISPLAY.
    explicit X11HotKeys(const QByteArray &display = {}, QObject *parent = nullptr);
    ~X11HotKeys() override;

    // Whether the display could be reached at all.
    bool isConnected() const;

    void setHotKeys(const QList<HotKey> &hotKeys) override;
    QList<quint32> registeredIds() const override;
    bool isOffered() const override { return isConnected(); }

private:
    struct Grab
    {
        quint32 id;
        quint8 keycode;
        quint16 modifiers;
    };

    void readModifiersAndKeys();
    bool grab(const HotKey &hotKey, Grab &result);
    void ungrab(const Grab &grab);
    void releaseAll();
    void processEvents(bool readSocket);

    xcb_connection_t *m_connection = nullptr;
    quint32 m_root = 0;
    QSocketNotifier *m_notifier = nullptr;
    QList<HotKey> m_wanted;
    QList<Grab> m_grabs;
    QHash<quint32, quint8> m_keycodes; // keysym -> first keycode producing it
    quint16 m_superAlt = 0;
    quint16 m_numLock = 0;
};
