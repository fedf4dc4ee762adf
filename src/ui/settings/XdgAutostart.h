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
    // $XDG_CONFIG_HOME/autostart/<application id>.desktop
    static QString defaultFilePath();

    // An entry this app wrote under its earlier name (dusk-haven.desktop, beside filePath) is
    // moved to filePath, so that launch at login goes on working; true when one was moved.
    // An entry of that name that this app did not write is left alone.
    static bool adoptOldEntry(const QString &filePath, const QString &executable);

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
