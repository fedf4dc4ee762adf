#pragma once

#include "ui/shell/ClickOutsideMonitor.h"

#include <QObject>

struct xcb_connection_t;
class QSocketNotifier;

// XInput2 raw button events on the root window of a connection of its own. Raw events reach a
// client whatever window the press lands in and whoever grabs the pointer, and a private
// connection leaves the event selection of Qt's own connection alone.
class X11ClickMonitor : public QObject, public ClickOutsideMonitor
{
    Q_OBJECT

public:
    explicit X11ClickMonitor(QObject *parent = nullptr);
    ~X11ClickMonitor() override;

    bool install(Handler handler) override;
    void remove() override;
    bool isInstalled() const override { return m_installed; }

private:
    bool connectOnce();
    bool select(bool on);
    void drain();
    void disconnectServer();

    xcb_connection_t *m_connection = nullptr;
    unsigned m_root = 0;
    unsigned char m_xinputOpcode = 0;
    QSocketNotifier *m_notifier = nullptr;
    Handler m_handler;
    bool m_installed = false;
    qreal m_devicePixelRatio = 1.0;
};
