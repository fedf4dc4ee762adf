#pragma once

#include "mixes/FocusSession.h"

#include <QDBusConnection>
#include <QObject>
#include <QPointer>
#include <memory>

class MixStream;
class SleepTimer;
namespace FocusCuesDetail {
class Chime;
}

// What a focus session's phase changes sound and show: a soft chime, once, through the app's
// one output stream (made by the app itself the first time it rings), and a desktop
// notification ("Break: 5 min") whose action "Skip break" skips the break. The start of a
// session is the user's own act and gets neither; a sleep timer fading the music out silences
// both.
class FocusCues : public QObject
{
    Q_OBJECT

public:
    // The sleep timer is held weakly and may be absent.
    FocusCues(FocusSession &session, std::shared_ptr<MixStream> stream, SleepTimer *sleepTimer,
              QDBusConnection sessionBus = QDBusConnection::sessionBus(),
              QObject *parent = nullptr);
    ~FocusCues() override;

    // "Break: 5 min".
    static QString summary(FocusSession::Phase phase, int minutes);
    // Rings the chime through the stream now.
    void chime();

private Q_SLOTS:
    void actionInvoked(uint id, const QString &action);

private:
    void phaseStarted(FocusSession::Phase phase, int minutes, bool first);
    void notify(const QString &summary, bool offersSkip);

    FocusSession &m_session;
    std::shared_ptr<MixStream> m_stream;
    std::shared_ptr<FocusCuesDetail::Chime> m_chime;
    QPointer<SleepTimer> m_sleepTimer;
    QDBusConnection m_bus;
    uint m_notification = 0; // the desktop's id of the last one, replaced by the next
};
