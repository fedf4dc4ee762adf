#pragma once

#include <QList>
#include <QObject>
#include <QtGlobal>

// One client of the sound server as the audio context monitor sees it: which process it
// belongs to and whether it is running output or input right now. A process with several
// streams may appear several times.
struct AudioClient
{
    qint64 pid = 0; // 0 when the server does not know it
    bool runningOutput = false;
    bool runningInput = false;

    bool operator==(const AudioClient &) const = default;
};

// Lists the clients of the session's sound server. The PulseAudio adapter implements it; a
// port to another sound system adds a sibling, and tests use a fake.
class AudioClientSource : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Asks for the clients as they are now. Every call is answered by exactly one
    // clientsListed, later (never inside the call), in the order of the calls. A source that
    // cannot reach its server answers with an empty list.
    virtual void listClients() = 0;

    // While watching, the source stays connected to its server and emits clientsChanged
    // whenever a stream of any client appears, goes or changes (corked, moved), and after it
    // (re)connects. Not watching, it holds no connection beyond the one a listClients needs.
    virtual void setWatching(bool on) = 0;

Q_SIGNALS:
    void clientsListed(const QList<AudioClient> &clients);
    void clientsChanged();
};
