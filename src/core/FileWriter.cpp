#include "core/FileWriter.h"

#include "core/AppError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
// Partial files this process is writing now; the sweep leaves them alone.
QSet<QString> &openPartials()
{
    static QSet<QString> paths;
    return paths;
}

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

// what: the sentence, with %1 for the path and %2 for the system's reason.
[[noreturn]] void fail(const QString &what, const QString &path, int error)
{
    if (error == ENOSPC || error == EDQUOT || error == EFBIG)
        throw AppError::file(
            QCoreApplication::translate("FileWriter", "Not enough disk space to write %1.")
                .arg(path),
            AppError::FileOutOfSpace);
    throw AppError::file(what.arg(path, QString::fromLocal8Bit(std::strerror(error))));
}

// A rename is durable only once the folder entry is on the disk as well.
void syncFolderOf(const QString &path)
{
    const int fd = ::open(nativePath(QFileInfo(path).absolutePath()).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}
} // namespace

QString FileWriter::partialPathOf(const QString &destination)
{
    return destination + partialSuffix;
}

FileWriter::FileWriter(QString destination, Start start)
    : m_destination(std::move(destination)), m_partial(partialPathOf(m_destination))
{
    const int truncate = start == Start::Afresh ? O_TRUNC : 0;
    m_fd =
        ::open(nativePath(m_partial).constData(), O_WRONLY | O_CREAT | truncate | O_CLOEXEC, 0644);
    if (m_fd >= 0 && start == Start::Continue && ::lseek(m_fd, 0, SEEK_END) < 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (m_fd < 0)
        fail(QCoreApplication::translate("FileWriter", "Could not create %1: %2"), m_partial,
             errno);
    openPartials().insert(m_partial);
}

FileWriter::~FileWriter()
{
    discard();
}

void FileWriter::write(QByteArrayView bytes)
{
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(m_fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            // A short write of zero bytes sets no errno; the disk simply took nothing.
            const int error = written < 0 ? errno : ENOSPC;
            discard();
            fail(QCoreApplication::translate("FileWriter", "Could not write %1: %2"), m_partial,
                 error);
        }
        data += written;
        left -= written;
    }
}

void FileWriter::restart()
{
    if (::ftruncate(m_fd, 0) != 0 || ::lseek(m_fd, 0, SEEK_SET) != 0) {
        const int error = errno;
        discard();
        fail(QCoreApplication::translate("FileWriter", "Could not write %1: %2"), m_partial, error);
    }
}

qint64 FileWriter::size() const
{
    return m_fd >= 0 ? qint64(::lseek(m_fd, 0, SEEK_CUR)) : 0;
}

void FileWriter::commit()
{
    // The data must be on the disk before the new name points at it, or a crash could leave
    // the name on an empty file.
    if (::fsync(m_fd) != 0) {
        const int error = errno;
        discard();
        fail(QCoreApplication::translate("FileWriter", "Could not write %1: %2"), m_partial, error);
    }
    close();
    if (::rename(nativePath(m_partial).constData(), nativePath(m_destination).constData()) != 0) {
        const int error = errno;
        discard();
        fail(QCoreApplication::translate("FileWriter", "Could not move into place %1: %2"),
             m_destination, error);
    }
    openPartials().remove(m_partial);
    m_partial.clear();
    syncFolderOf(m_destination);
}

void FileWriter::keep()
{
    close();
    openPartials().remove(m_partial);
    m_partial.clear();
}

void FileWriter::writeWhole(const QString &destination, QByteArrayView bytes)
{
    FileWriter writer(destination);
    writer.write(bytes);
    writer.commit();
}

void FileWriter::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void FileWriter::discard()
{
    close();
    if (m_partial.isEmpty())
        return;
    ::unlink(nativePath(m_partial).constData());
    openPartials().remove(m_partial);
    m_partial.clear();
}

bool FileWriter::isBeingWritten(const QString &partialPath)
{
    return openPartials().contains(partialPath);
}

int FileWriter::sweep(const QString &folder,
                      const std::function<bool(const QString &fileName)> &isKnown)
{
    int removed = 0;
    const QDir dir(folder);
    for (const QFileInfo &entry : dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QString name = entry.fileName();
        const bool partial = name.endsWith(partialSuffix);
        if (partial ? isBeingWritten(dir.filePath(name)) : (!isKnown || isKnown(name)))
            continue;
        if (QFile::remove(entry.filePath()))
            ++removed;
    }
    return removed;
}

QString FileWriter::moveAside(const QString &path, const QDateTime &now)
{
    const QString stem =
        path + QStringLiteral(".damaged-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = stem;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = stem + QStringLiteral("-%1").arg(n);
    if (::rename(nativePath(path).constData(), nativePath(target).constData()) != 0)
        return {};
    syncFolderOf(path);
    return target;
}
