#include "ui/views/ViewServices.h"

#include "ui/settings/XdgAutostart.h"
#include "ui/shell/ShellWindows.h"

#include <QCoreApplication>

ViewServices::ViewServices(const Services &services, ShellWindows &shell, QObject *parent)
    : QObject(parent), m_services(services), m_shell(shell),
      m_settings(new ViewSettings(services.settings, this)),
      m_scenes(new SceneListModel(services.library, services.player, &services.customScenes, this)),
      m_artClock(new ArtClock(this)),
      m_autostart(new XdgAutostart(services.settings, XdgAutostart::defaultFilePath(),
                                   QCoreApplication::applicationFilePath(), this))
{}
