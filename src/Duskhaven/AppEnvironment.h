#pragma once

#include "Duskhaven/FileLocations.h"

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <optional>

class RecordStore;
#include "Duskhaven/SettingsStore.h"

// The single owner of every service. It builds each one once, in a fixed order, hands each
// its collaborators and keeps them for the life of the process; views reach every service
// through it. Tests build their own with temporary folders and a loopback catalogue.
class AppEnvironment : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QObject *menuBar READ menuBar WRITE setMenuBar NOTIFY menuBarChanged)
    Q_PROPERTY(SettingsStore *settings READ settings CONSTANT)

public:
    struct Options
    {
        FileLocations locations;
        QUrl catalogueUrl;

        // The per-user folders and the catalogue address of this process.
        static Options forProcess();
    };

    // The catalogue address: the override when it is a usable URL, otherwise the built-in
    // default. The override comes from DUSKHAVEN_MANIFEST_URL.
    static QUrl resolveCatalogueUrl(const std::optional<QString> &override);

    AppEnvironment(RecordStore &store, SettingsStore &settings, Options options,
                   QObject *parent = nullptr);
    ~AppEnvironment() override;

    const FileLocations &locations() const { return m_locations; }
    const QUrl &catalogueUrl() const { return m_catalogueUrl; }
    RecordStore &store() const { return m_store; }
    SettingsStore *settings() const { return &m_settings; }

    // The tray controller once it exists; set once, shortly after construction.
    QObject *menuBar() const { return m_menuBar; }
    void setMenuBar(QObject *controller);

Q_SIGNALS:
    void menuBarChanged();

private:
    RecordStore &m_store;
    SettingsStore &m_settings;
    FileLocations m_locations;
    QUrl m_catalogueUrl;
    QPointer<QObject> m_menuBar;
};
