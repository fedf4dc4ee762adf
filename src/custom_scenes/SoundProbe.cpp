#include "custom_scenes/SoundProbe.h"

#include <QCoreApplication>

QString SoundText::unplayable(const QString &problem)
{
    return QCoreApplication::translate("PlayerService", "This file cannot be played: %1")
        .arg(problem);
}
