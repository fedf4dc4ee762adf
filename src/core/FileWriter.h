#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QLatin1StringView>
#include <QString>
#include <functional>

// The one way the application writes a file whole. The bytes go to a sibling named after the
// file with ".partial" appended; commit() forces them to the disk, renames the sibling over the
// file and forces the folder entry too. Whatever moment the process dies at, the file is
// either the old one or the new one, and at most a partial sibling is left, which the start-up
// sweep removes. A writer destroyed before commit() removes its partial file.
//
// Every failure throws AppError (File domain); a disk that has no room left (ENOSPC, EDQUOT,
// EFBIG) gives the code AppError::FileOutOfSpace, so that callers can say so. Main thread only.
class FileWriter
{
public:
    static constexpr QLatin1StringView partialSuffix{".partial"};
    static QString partialPathOf(const QString &destination);

    enum class Start { Afresh, Continue };
    // Opens the partial file afresh (a stale one from an earlier run is emptied), or with
    // Continue keeps what it holds and appends to it. The folder must exist.
    explicit FileWriter(QString destination, Start start = Start::Afresh);
    ~FileWriter();
    FileWriter(const FileWriter &) = delete;
    FileWriter &operator=(const FileWriter &) = delete;

    const QString &destination() const { return m_destination; }
    const QString &partialPath() const { return m_partial; }

    // Writes straight through to the file, so a refusing disk shows at once.
    void write(QByteArrayView bytes);
    // Empties the partial file, for a transfer that starts over.
    void restart();
    // The bytes written since the start or the last restart.
    qint64 size() const;
    // Puts the bytes written under the destination name, replacing a file there in one step.
    // On failure the partial file is gone and the destination is as it was.
    void commit();
    // Closes the partial file and leaves it on disk, for a later writer to Continue. It is no
    // longer held, so a sweep may take it.
    void keep();

    // A writer, one write and a commit.
    static void writeWhole(const QString &destination, QByteArrayView bytes);

    // True while a writer of this process holds that partial file open.
    static bool isBeingWritten(const QString &partialPath);

    // Removes from folder every partial file that no writer of this process holds, and every
    // other plain file whose name isKnown refuses (no isKnown: only partial files go).
    // Returns the number of files removed.
    static int sweep(const QString &folder,
                     const std::function<bool(const QString &fileName)> &isKnown = {});

    // Moves a file that could not be read out of the way, keeping it beside its old name as
    // "<name>.damaged-<yyyyMMdd-HHmmss>" for the user or a bug report. Returns the new path,
    // or an empty string when nothing could be moved.
    static QString moveAside(const QString &path,
                             const QDateTime &now = QDateTime::currentDateTime());

private:
    void close();
    void discard();

    QString m_destination;
    QString m_partial;
    int m_fd = -1;
};
