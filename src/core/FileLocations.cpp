#include "core/FileLocations.h"

#include "core/AppError.h"

#include <QDir>
#include <QFileInfo>

namespace {
QString join(const QString &dir, const QString &name)
{
    return QDir::cleanPath(dir + QLatin1Char('/') + name);
}
} // namespace

FileLocations::FileLocations(const std::optional<QString> &root)
    : m_appRoot(QDir::cleanPath(QDir(root.value_or(defaultRoot())).absolutePath())),
      m_cacheDir(join(m_appRoot, QStringLiteral("cache"))),
      m_pinnedDir(join(m_appRoot, QStringLiteral("pinned"))),
      m_videoCacheDir(join(m_appRoot, QStringLiteral("videos"))),
      m_manifestFile(join(m_appRoot, QStringLiteral("manifest.json")))
{}

QString FileLocations::defaultRoot()
{
    // The XDG base directory rules: a relative XDG_DATA_HOME is invalid and ignored.
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty() || QDir::isRelativePath(dataHome))
        dataHome = join(QDir::homePath(), QStringLiteral(".local/share"));
    return join(dataHome, QStringLiteral("dusk-haven"));
}

QString FileLocations::ambientDir() const
{
    return join(m_appRoot, QStringLiteral("ambient"));
}

QString FileLocations::artworkDir() const
{
    return join(m_cacheDir, QStringLiteral("artwork"));
}

void FileLocations::ensureDirectories() const
{
    for (const QString *dir : {&m_appRoot, &m_cacheDir, &m_pinnedDir, &m_videoCacheDir}) {
        const QFileInfo info(*dir);
        if (info.isDir())
            continue;
        if (info.exists() || !QDir().mkpath(*dir))
            throw AppError::folderNotCreated(*dir);
    }
}
