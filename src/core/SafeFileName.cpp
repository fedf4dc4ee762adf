#include "core/SafeFileName.h"

#include "core/AppError.h"
#include <QCoreApplication>

namespace SafeFileName {
bool isSafe(const QString &id)
{
    if (id.isEmpty() || id == QLatin1String(".") || id == QLatin1String(".."))
        return false;
    return !id.contains(QLatin1Char('/')) && !id.contains(QChar(u'\0'));
}

void require(const QString &id)
{
    if (isSafe(id))
        return;
    // The id may hold a NUL or be empty; show it escaped so the message stays readable.
    QString shown = id;
    shown.replace(QChar(u'\0'), QStringLiteral("\\0"));
    throw AppError::file(
        QCoreApplication::translate("SafeFileName", "The id \"%1\" cannot be used as a file name.")
            .arg(shown));
}

QString pathIn(const QString &folder, const QString &id, const QString &suffix)
{
    require(id);
    return folder + QLatin1Char('/') + id + suffix;
}
} // namespace SafeFileName
