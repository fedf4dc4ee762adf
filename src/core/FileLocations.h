#pragma once

#include <QString>
#include <optional>

// Where the application keeps its files. A plain value: building it touches no file, and it
// is copied into every service that works on the disk.
class FileLocations
{
public:
    // With no root the per-user data folder is used: $XDG_DATA_HOME/dusk-haven
    // (~/.local/share/dusk-haven when XDG_DATA_HOME is unset or not absolute).
    explicit FileLocations(const std::optional<QString> &root = std::nullopt);

    static QString defaultRoot();

    // Absolute paths, without a trailing slash.
    const QString &appRoot() const { return m_appRoot; }
    const QString &cacheDir() const { return m_cacheDir; }
    const QString &pinnedDir() const { return m_pinnedDir; }
    const QString &videoCacheDir() const { return m_videoCacheDir; }
    const QString &manifestFile() const { return m_manifestFile; }
    // Folder of the ambient layer sounds; the mixer creates it when it first needs it.
    QString ambientDir() const;
    // Folder of the scenes' pictures for the desktop's media widget, inside the cache folder
    // (clearing the cache clears it too); made when first needed.
    QString artworkDir() const;

    // Creates appRoot, cacheDir, pinnedDir and videoCacheDir in that order, each with its
    // missing parents. The first failure stops and throws AppError (File domain); folders
    // made before it stay.
    void ensureDirectories() const;

    bool operator==(const FileLocations &) const = default;

private:
    QString m_appRoot;
    QString m_cacheDir;
    QString m_pinnedDir;
    QString m_videoCacheDir;
    QString m_manifestFile;
};
