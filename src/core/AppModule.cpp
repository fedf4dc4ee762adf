#include "core/AppModule.h"

#include "core/BuildInfo.h"

#include <QCoreApplication>
#include <QLibrary>

QFunctionPointer resolveAppModule(const QString &fileName, const QString &buildPath,
                                  const char *symbol, QString *error)
{
    QStringList candidates;
    if (QCoreApplication::instance())
        candidates.append(QCoreApplication::applicationDirPath() +
                          QStringLiteral("/../%1/%2")
                              .arg(QString::fromUtf8(BuildInfo::moduleDir), fileName));
    candidates.append(buildPath);
    QString reason;
    for (const QString &path : candidates) {
        QLibrary library(path);
        if (!library.load()) {
            reason = library.errorString();
            continue;
        }
        if (const QFunctionPointer entry = library.resolve(symbol))
            return entry;
        reason = library.errorString();
    }
    if (error)
        *error = reason;
    return nullptr;
}
