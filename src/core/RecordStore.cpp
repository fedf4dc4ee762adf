#include "core/RecordStore.h"

#include "core/AppError.h"
#include "core/FileWriter.h"
#include "core/RecordColumns.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

namespace {
// Schemas an earlier version wrote that this one brings up to date when it opens the file.
const QStringList migratableVersions = {QStringLiteral("1.0.0"), QStringLiteral("1.1.0"),
                                        QStringLiteral("1.2.0")};

// SQLite's primary result codes of a file that is not a readable database.
constexpr int sqliteCorrupt = 11;
constexpr int sqliteNotADatabase = 26;

// The code is SQLite's result code, so that a damaged file can be told from other failures.
AppError storeError(const QString &what, const QSqlError &error)
{
    QString detail = error.text().trimmed();
    if (detail.isEmpty())
        detail = QCoreApplication::translate("RecordStore", "unknown database error");
    return AppError(AppError::Domain::Store, error.nativeErrorCode().toInt() & 0xff,
                    QStringLiteral("%1: %2").arg(what, detail));
}
} // namespace

QStringList RecordTable::columnNames() const
{
    QStringList names;
    for (const auto &[name, type] : columns)
        names.append(name);
    return names;
}

RecordStore::RecordStore(const QString &filePath)
    : m_filePath(filePath), m_connectionName(QStringLiteral("records-") +
                                             QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    const QFileInfo info(filePath);
    if (info.isDir())
        throw AppError::store(
            QCoreApplication::translate("RecordStore", "%1 is a folder, not a record store.")
                .arg(filePath));
    if (!QDir().mkpath(info.absolutePath()))
        throw AppError::store(AppError::folderNotCreated(info.absolutePath()).description());

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    db.setDatabaseName(filePath);
    if (!db.open()) {
        const AppError error = storeError(
            QCoreApplication::translate("RecordStore", "Could not open %1").arg(filePath),
            db.lastError());
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
        throw error;
    }

    try {
        // SQLite opens anything lazily; the first statement tells a database from another file.
        exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        exec(QStringLiteral("PRAGMA synchronous=FULL"));
        exec(QStringLiteral("CREATE TABLE IF NOT EXISTS Meta (key TEXT PRIMARY KEY NOT NULL, "
                            "value TEXT NOT NULL)"));
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("SELECT value FROM Meta WHERE key = 'schemaVersion'")))
            throw storeError(
                QCoreApplication::translate("RecordStore", "Could not read %1").arg(filePath),
                query.lastError());
        QString found;
        if (query.next())
            found = query.value(0).toString();
        query.finish();
        if (found.isEmpty()) {
            exec(QStringLiteral("INSERT INTO Meta (key, value) VALUES ('schemaVersion', '%1')")
                     .arg(QLatin1String(schemaVersion)));
        } else if (migratableVersions.contains(found)) {
            migrate(found);
        } else if (found != QLatin1String(schemaVersion)) {
            throw AppError::store(
                QCoreApplication::translate(
                    "RecordStore", "%1 holds records of schema version %2; this version reads %3.")
                    .arg(filePath, found, QLatin1String(schemaVersion)));
        }
    } catch (...) {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
        throw;
    }
}

RecordStore::~RecordStore()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (db.isOpen()) {
            // Unsaved changes are dropped, as they would be if the process simply ended.
            if (m_inTransaction)
                db.rollback();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

std::unique_ptr<RecordStore> RecordStore::openOrStartAfresh(const QString &filePath)
{
    try {
        return std::make_unique<RecordStore>(filePath);
    } catch (const AppError &error) {
        if (error.code() != sqliteCorrupt && error.code() != sqliteNotADatabase)
            throw;
        const QString kept = FileWriter::moveAside(filePath);
        if (kept.isEmpty())
            throw;
        // The journal belongs to the damaged file: replayed into a fresh one it would damage
        // that too. The shared-memory index is rebuilt from nothing.
        QFile::rename(filePath + QStringLiteral("-wal"), kept + QStringLiteral("-wal"));
        QFile::remove(filePath + QStringLiteral("-shm"));
        auto store = std::make_unique<RecordStore>(filePath);
        store->m_movedAsideFile = kept;
        return store;
    }
}

QString RecordStore::defaultFilePath()
{
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty() || QDir::isRelativePath(dataHome))
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(dataHome + QStringLiteral("/dusk-haven/dusk-haven.sqlite"));
}

void RecordStore::migrate(const QString &fromVersion)
{
    // 1.0.0 lacks the saved mixes, 1.1.0 the focus days, 1.2.0 the scheduled mixes: tables
    // that are made at their first use.
    Q_UNUSED(fromVersion);
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    // All or nothing: a failure leaves the file as the earlier version wrote it.
    if (!db.transaction())
        throw storeError(
            QCoreApplication::translate("RecordStore", "Could not update %1").arg(m_filePath),
            db.lastError());
    try {
        exec(QStringLiteral("UPDATE Meta SET value = '%1' WHERE key = 'schemaVersion'")
                 .arg(QLatin1String(schemaVersion)));
    } catch (...) {
        db.rollback();
        throw;
    }
    if (!db.commit()) {
        const AppError error = storeError(
            QCoreApplication::translate("RecordStore", "Could not update %1").arg(m_filePath),
            db.lastError());
        db.rollback();
        throw error;
    }
}

const RecordTable &RecordStore::ensure(const RecordTable &table)
{
    if (m_ensured.contains(table.name))
        return table;
    QStringList columns;
    for (const auto &[name, type] : table.columns)
        columns.append(name + u' ' + type);
    columns.first() += QStringLiteral(" PRIMARY KEY");
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    if (!query.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2)")
                        .arg(table.name, columns.join(QStringLiteral(", ")))))
        throw storeError(
            QCoreApplication::translate("RecordStore", "Could not open %1").arg(m_filePath),
            query.lastError());
    m_ensured.insert(table.name);
    return table;
}

void RecordStore::exec(const QString &sql)
{
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    if (!query.exec(sql))
        throw storeError(
            QCoreApplication::translate("RecordStore", "Could not open %1").arg(m_filePath),
            query.lastError());
}

QList<QVariantList> RecordStore::select(const RecordTable &table, const QString &whereField,
                                        const QVariant &value, const QString &sortField,
                                        Qt::SortOrder order)
{
    for (const QString *field : {&whereField, &sortField}) {
        if (!field->isEmpty() && !table.columnNames().contains(*field))
            throw AppError::store(
                QCoreApplication::translate("RecordStore", "%1 has no field named %2.")
                    .arg(table.name, *field));
    }
    QString sql = QStringLiteral("SELECT %1 FROM %2")
                      .arg(table.columnNames().join(QStringLiteral(", ")), table.name);
    if (!whereField.isEmpty())
        sql += QStringLiteral(" WHERE %1 = ?").arg(whereField);
    if (!sortField.isEmpty())
        sql += QStringLiteral(" ORDER BY %1 %2")
                   .arg(sortField, order == Qt::AscendingOrder ? QStringLiteral("ASC")
                                                               : QStringLiteral("DESC"));

    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        throw storeError(
            QCoreApplication::translate("RecordStore", "Could not read %1 records").arg(table.name),
            query.lastError());
    if (!whereField.isEmpty()) {
        QVariant bound = value;
        if (bound.metaType().id() == QMetaType::QDateTime)
            bound = RecordColumns::date(bound.toDateTime());
        query.addBindValue(bound);
    }
    if (!query.exec())
        throw storeError(
            QCoreApplication::translate("RecordStore", "Could not read %1 records").arg(table.name),
            query.lastError());
    QList<QVariantList> rows;
    const int count = int(table.columns.size());
    while (query.next()) {
        QVariantList row;
        row.reserve(count);
        for (int i = 0; i < count; ++i)
            row.append(query.value(i));
        rows.append(std::move(row));
    }
    return rows;
}

void RecordStore::upsert(const RecordTable &table, const QVariantList &values)
{
    beginIfNeeded();
    QStringList marks;
    for (qsizetype i = 0; i < table.columns.size(); ++i)
        marks.append(QStringLiteral("?"));
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    if (!query.prepare(QStringLiteral("INSERT OR REPLACE INTO %1 (%2) VALUES (%3)")
                           .arg(table.name, table.columnNames().join(QStringLiteral(", ")),
                                marks.join(QStringLiteral(", ")))))
        abandonChanges(
            storeError(QCoreApplication::translate("RecordStore", "Could not store a %1 record")
                           .arg(table.name),
                       query.lastError()));
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec())
        abandonChanges(
            storeError(QCoreApplication::translate("RecordStore", "Could not store a %1 record")
                           .arg(table.name),
                       query.lastError()));
}

void RecordStore::erase(const RecordTable &table, const QVariant &key)
{
    beginIfNeeded();
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    if (!query.prepare(QStringLiteral("DELETE FROM %1 WHERE %2 = ?")
                           .arg(table.name, table.columns.constFirst().first)))
        abandonChanges(
            storeError(QCoreApplication::translate("RecordStore", "Could not delete a %1 record")
                           .arg(table.name),
                       query.lastError()));
    query.addBindValue(key);
    if (!query.exec())
        abandonChanges(
            storeError(QCoreApplication::translate("RecordStore", "Could not delete a %1 record")
                           .arg(table.name),
                       query.lastError()));
}

void RecordStore::beginIfNeeded()
{
    if (m_inTransaction)
        return;
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    if (!db.transaction())
        throw storeError(
            QCoreApplication::translate("RecordStore", "Could not change %1").arg(m_filePath),
            db.lastError());
    m_inTransaction = true;
}

void RecordStore::save()
{
    if (!m_inTransaction)
        return;
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    if (!db.commit())
        abandonChanges(storeError(
            QCoreApplication::translate("RecordStore", "Could not save %1").arg(m_filePath),
            db.lastError()));
    m_inTransaction = false;
}

void RecordStore::abandonChanges(const AppError &error)
{
    // A rollback of a transaction SQLite already ended fails harmlessly; either way none is
    // open afterwards, and the next change begins a new one.
    QSqlDatabase::database(m_connectionName, false).rollback();
    m_inTransaction = false;
    // A table made within the transaction went with it.
    m_ensured.clear();
    throw error;
}
