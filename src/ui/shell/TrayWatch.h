#pragma once

#include <QAbstractNativeEventFilter>
#include <QDBusConnection>
#include <QObject>

class QDBusServiceWatcher;

// Whether the desktop shows tray icons at all: a StatusNotifier host registered with the
// watcher on the session bus, or an owner of the X11 tray selection (an XEmbed tray). Plain
// GNOME and kiosks have neither. Followed as trays come (a panel started after the app, an
// extension switched on): the watcher's signals, and the MANAGER message an XEmbed tray sends
// when it takes the selection. Nothing is polled.
class TrayWatch : public QObject, private QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    explicit TrayWatch(QDBusConnection bus, QObject *parent = nullptr);
    ~TrayWatch() override;

    bool statusNotifierHost() const { return m_statusNotifierHost; }
    bool xembedTray() const { return m_xembedTray; }
    bool present() const { return m_statusNotifierHost || m_xembedTray; }

Q_SIGNALS:
    void changed();

private Q_SLOTS:
    void askStatusNotifierHost();

private:
    void setStatusNotifierHost(bool registered);
    void checkXembedTray();
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

    QDBusConnection m_bus;
    QDBusServiceWatcher *m_watcher;
    bool m_statusNotifierHost = false;
    bool m_xembedTray = false;
    quint32 m_managerAtom = 0;
    quint32 m_selectionAtom = 0;
};
