#pragma once

#include "mixes/MixLink.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>

class PlayerService;
class SavedMixesService;
class SleepTimer;
class FocusSession;

// What each dusk-haven: address does, wherever it comes from (the command line, a second
// launch, the desktop's media widget):
//   dusk-haven://open          brings up the launcher
//   dusk-haven://scene/<id>    plays that scene (one path segment, percent-encoded as needed)
//   dusk-haven://mix?…         applies a shared mix (see MixLink)
//   dusk-haven://sleep?…       starts the sleep timer (see MixLink)
//   dusk-haven://focus?…       starts or acts on a focus session (see MixLink)
// The mixes, the timer and the focus session may be absent: their addresses are then not
// handled.
class LinkRouter : public QObject
{
    Q_OBJECT

public:
    static inline const QString &scheme = MixLink::scheme;

    LinkRouter(PlayerService &player, SavedMixesService *mixes, SleepTimer *timer,
               FocusSession *focus = nullptr, QObject *parent = nullptr);

    // What brings up the launcher; nothing happens without one.
    void setRaiseHandler(std::function<void()> raise);

    // Opens one address now. False for an address that is not ours (refusal left empty) or
    // one refused, with the reason for the user in refusal.
    bool open(const QString &uri, QString *refusal = nullptr);

    // The addresses among a launch's arguments. They wait until setReady(); any but a sleep
    // timer's or a focus session's also brings up the launcher. True when there was any.
    bool openLaunchArguments(const QStringList &arguments);
    // Start-up has run: addresses of a launch that waited are opened now.
    void setReady();

private:
    PlayerService &m_player;
    QPointer<SavedMixesService> m_mixes;
    QPointer<SleepTimer> m_timer;
    QPointer<FocusSession> m_focus;
    std::function<void()> m_raise;
    bool m_ready = false;
    QStringList m_waiting;
};
