#pragma once

#include <QObject>
#include <QStringList>
#include <QTextStream>
#include <memory>
#include <optional>

class AppEnvironment;
class RecordStore;
class SettingsStore;

// The process: reads the command line, opens the settings and the record store, builds the
// environment and (a turn of the event loop later) the tray shell.
class DuskhavenApp : public QObject
{
    Q_OBJECT

public:
    // What the command line asks for before any window or service exists: an exit status for
    // --help, --version and usage errors (text written to out or err), or none to start.
    static std::optional<int> handleCommandLine(const QStringList &arguments, QTextStream &out,
                                                QTextStream &err);

    DuskhavenApp();
    ~DuskhavenApp() override;

    // Process start. Returns false when the record store cannot be opened; the message
    // "ModelContainer: <description>" has then been written to err.
    bool start(QTextStream &err);

    AppEnvironment *environment() const { return m_environment.get(); }

private:
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<RecordStore> m_store;
    std::unique_ptr<AppEnvironment> m_environment;
};
