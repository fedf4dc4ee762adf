#include "ui/settings/XdgAutostart.h"

#include "core/AppError.h"
#include "core/BuildInfo.h"
#include "core/FileWriter.h"
#include "core/SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
// One argument of an Exec line: quoted, with the characters that stay special inside quotes
// escaped, then escaped again as a desktop-entry string (backslashes doubled), and a literal
// percent sign doubled so that it is not taken for a field code.
QString execArgument(const QString &argument)
{
    QString quoted;
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    quoted.replace(u'%', QStringLiteral("%%"));
    quoted.replace(u'\n', QStringLiteral("\\n"));
    return u'"' + quoted + u'"';
}
} // namespace

QString XdgAutostart::defaultFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/") + QString::fromUtf8(BuildInfo::appId) +
           QStringLiteral(".desktop");
}

bool XdgAutostart::adoptOldEntry(const QString &filePath, const QString &executable)
{
    const QString old = QFileInfo(filePath).dir().filePath(QStringLiteral("dusk-haven.desktop"));
    if (QFileInfo(old) == QFileInfo(filePath))
        return false;
    QFile file(old);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // Only an entry this app wrote: one a person made by hand under that name is theirs.
    const QByteArray content = file.read(64 * 1024);
    file.close();
    if (!content.startsWith("[Desktop Entry]\n") || !content.contains("\nName=Dusk Haven\n") ||
        !content.contains("\nIcon=dusk-haven\n") ||
        !content.contains("\nX-GNOME-Autostart-enabled=true\n"))
        return false;
    try {
        if (!QFileInfo::exists(filePath))
            FileWriter::writeWhole(filePath, desktopEntry(executable));
    } catch (const AppError &error) {
        qWarning().noquote() << "Launch at login:" << error.description();
        return false;
    }
    // Removed only once the new one is in place: launch at login never lapses.
    return QFile::remove(old);
}

QByteArray XdgAutostart::desktopEntry(const QString &executable)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Dusk Haven\n"
                          "Comment=Lo-fi scenes and ambient sounds from the system tray\n"
                          "Exec=%1\n"
                          "Icon=%2\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(execArgument(executable), QString::fromUtf8(BuildInfo::appId))
        .toUtf8();
}

XdgAutostart::XdgAutostart(SettingsStore &settings, QString filePath, QString executable,
                           QObject *parent)
    : QObject(parent), m_settings(settings), m_filePath(std::move(filePath)),
      m_executable(std::move(executable))
{
    settings.follow(SettingsKey::launchAtLogin, this,
                    [this] { apply(m_settings.value(Setting::launchAtLogin)); });
}

bool XdgAutostart::apply(bool launchAtLogin) const
{
    try {
        if (launchAtLogin) {
            const QString folder = QFileInfo(m_filePath).absolutePath();
            if (!QDir().mkpath(folder))
                throw AppError::folderNotCreated(folder);
            // Whole or not at all: a session starting meanwhile sees the old entry or the new.
            FileWriter::writeWhole(m_filePath, desktopEntry(m_executable));
        } else if (!QFile::remove(m_filePath) && QFileInfo::exists(m_filePath)) {
            throw AppError::file(QCoreApplication::translate("XdgAutostart", "Could not remove %1.")
                                     .arg(m_filePath));
        }
        return true;
    } catch (const AppError &error) {
        qWarning().noquote() << "Launch at login:" << error.description();
        return false;
    }
}
