#include "support/TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonDocument>
#include <QSignalSpy>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace TestSupport {
QString sourceDir()
{
    return QStringLiteral(DUSKHAVEN_TEST_SOURCE_DIR);
}

QString binaryDir()
{
    return QStringLiteral(DUSKHAVEN_TEST_BINARY_DIR);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QJsonObject readJsonObject(const QString &path)
{
    return QJsonDocument::fromJson(readFile(path)).object();
}

QByteArray solidPng(const QColor &colour, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

Ran run(const QString &program, const QStringList &arguments,
        const QProcessEnvironment &environment, int timeoutMs)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    QSignalSpy finished(&process, &QProcess::finished);
    process.start(program, arguments);
    if (!process.waitForStarted(5000) || !finished.wait(timeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

namespace {
// Sets or clears the immutable attribute; returns 0 or the errno.
int setImmutable(const QString &path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return errno;
    int flags = 0;
    int result = ::ioctl(fd, FS_IOC_GETFLAGS, &flags);
    if (result == 0) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        result = ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    const int error = result == 0 ? 0 : errno;
    ::close(fd);
    return error;
}
} // namespace

DiskLimit::DiskLimit(qint64 bytes)
{
    if (getrlimit(RLIMIT_FSIZE, &m_saved) != 0)
        qFatal("getrlimit: %s", std::strerror(errno));
    m_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = m_saved;
    limited.rlim_cur = rlim_t(bytes);
    if (setrlimit(RLIMIT_FSIZE, &limited) != 0)
        qFatal("setrlimit: %s", std::strerror(errno));
    m_active = true;
}

void DiskLimit::lift()
{
    if (!m_active)
        return;
    setrlimit(RLIMIT_FSIZE, &m_saved);
    std::signal(SIGXFSZ, m_handler);
    m_active = false;
}

FrozenFolder::FrozenFolder(const QString &path) : m_path(path)
{
    if (::geteuid() == 0) {
        const int error = setImmutable(path, true);
        m_immutable = error == 0;
        if (error != 0)
            m_problem = QStringLiteral("cannot set the immutable attribute on %1: %2")
                            .arg(path, QString::fromLocal8Bit(std::strerror(error)));
    } else {
        m_chmodded = QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
        if (!m_chmodded)
            m_problem = QStringLiteral("cannot make %1 read-only").arg(path);
    }
    if (m_problem.isEmpty()) {
        QFile probe(QDir(path).filePath(QStringLiteral(".probe")));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            m_problem = QStringLiteral("%1 still accepts new files").arg(path);
        }
    }
}

FrozenFolder::~FrozenFolder()
{
    if (m_immutable)
        setImmutable(m_path, false);
    if (m_chmodded)
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
} // namespace TestSupport
