#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

// One running Dusk Haven per user and data folder. The first process listens on a local
// socket in the user's runtime folder; a later one hands its arguments (a dusk-haven: address,
// say) to it and ends. A demo or test run with its own data folder is its own instance.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // The socket for a data folder: $XDG_RUNTIME_DIR/dusk-haven-<hash of the folder>.socket
    static QString serverNameFor(const QString &dataRoot);

    explicit SingleInstance(QString serverName, QObject *parent = nullptr);
    ~SingleInstance() override;

    enum class Outcome {
        Primary,    // this process is the running instance now
        HandedOver, // a running instance took the arguments; this process should end
        Unanswered, // an instance holds the socket but did not take the arguments
    };

    // Before the event loop runs: hands the arguments over when an instance answers,
    // otherwise starts listening. A socket left behind by a process that died is replaced.
    Outcome claim(const QStringList &arguments, int timeoutMs = 3000);

    bool isListening() const;
    const QString &serverName() const { return m_serverName; }

Q_SIGNALS:
    // A later launch, with its arguments (without the program name).
    void argumentsReceived(const QStringList &arguments);

private:
    enum class HandOver { Taken, NoServer, Unanswered };
    HandOver handOver(const QStringList &arguments, int timeoutMs);
    bool listen();
    void readFrom(QLocalSocket *socket);

    QString m_serverName;
    QLocalServer *m_server = nullptr;
};
