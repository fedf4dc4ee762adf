#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class SettingsStore;

// Launch at login on a freedesktop session: an autostart entry for this very executable in
// $XDG_CONFIG_HOME/autostart, written when the stored "launchAtLogin" turns on and removed when
// it turns off. Only a change of the setting acts: an entry found at start that disagrees with
// the setting stays as it is until the user toggles the switch. A failure leaves the setting
// as the user chose it and is logged.
class XdgAutostart : public QObject
{
    Q_OBJECT

public:
    // $XDG_CONFIG_HOME/autostart/dusk-haven.desktop
    static QString defaultFilePath();

    // The entry that starts `executable`, quoted for the Exec key whatever its path holds.
    static QByteArray desktopEntry(const QString &executable);

    XdgAutostart(SettingsStore &settings, QString filePath, QString executable,
                 QObject *parent = nullptr);

    // Writes the entry whole or removes it; false (and a warning logged) when that failed.
    bool apply(bool launchAtLogin) const;

private:
    SettingsStore &m_settings;
    QString m_filePath;
    QString m_executable;
};
