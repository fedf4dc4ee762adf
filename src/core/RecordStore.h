#pragma once

#include <QList>
#include <QSet>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <memory>
#include <utility>

class AppError;

// One record type's table: its name and its columns with their SQL types, the unique key
// first. A record type R gives its table as R::table(), its values in that order as
// R::toColumns() and reads them back with R::fromColumns() (see RecordColumns for the types).
struct RecordTable
{
    QString name;
    QList<std::pair<QString, QString>> columns; // {name, SQL type}

    QStringList columnNames() const;
};

// The application's persistent records in one SQLite file, one table per record type keyed by
// its unique field; each feature defines its record types beside itself. A table is made the
// first time its type is used.
//
// The store is also the one context the services work through: changes are
// visible to the next fetch at once and become durable at save(). Every failure throws
// AppError (Store domain) with the database's own description; a failed change or save rolls
// back every change since the last save, so the next change starts afresh and no failure
// outlives the operation that met it.
class RecordStore
{
public:
    static constexpr const char *schemaVersion = "1.3.0";

    // Opens (creating when needed) the store file; a file of an earlier schema is brought up
    // to this one, every record kept (so far each version only added tables, which are made
    // at their first use). Throws when the file cannot be opened, is not a
    // database of this application, or holds a schema this version does not know.
    explicit RecordStore(const QString &filePath);
    ~RecordStore();
    RecordStore(const RecordStore &) = delete;
    RecordStore &operator=(const RecordStore &) = delete;

    // Opens the store like the constructor, but a file that is damaged or is not a database
    // at all is moved aside (FileWriter::moveAside, its journal with it) and a fresh store is
    // started in its place; movedAsideFile() then names the kept copy. Other failures (a
    // folder that cannot be made, a newer schema) still throw: a fresh file would not help
    // or would hide the user's records.
    static std::unique_ptr<RecordStore> openOrStartAfresh(const QString &filePath);

    // $XDG_DATA_HOME/dusk-haven/dusk-haven.sqlite
    static QString defaultFilePath();

    const QString &filePath() const { return m_filePath; }
    // Where a damaged file met at opening was kept; empty when there was none.
    const QString &movedAsideFile() const { return m_movedAsideFile; }

    // Records of type R whose field equals the value, in no particular order.
    template <class R> QList<R> fetch(const QString &field, const QVariant &value);
    // Every record of type R sorted by one field.
    template <class R> QList<R> fetchAll(const QString &sortField, Qt::SortOrder order);
    // Inserting a record whose unique field matches a stored one replaces it, so this is also
    // how a changed record is written back.
    template <class R> void insert(const R &record);
    template <class R> void remove(const R &record);

    // Makes every change since the last save durable.
    void save();

private:
    // Makes the table when this store has not yet; a failed change forgets what it made.
    const RecordTable &ensure(const RecordTable &table);

    // Field names are checked against the table's columns before they reach any SQL text.
    QList<QVariantList> select(const RecordTable &table, const QString &whereField,
                               const QVariant &value, const QString &sortField,
                               Qt::SortOrder order);
    void upsert(const RecordTable &table, const QVariantList &values);
    void erase(const RecordTable &table, const QVariant &key);
    void beginIfNeeded();
    // Ends the transaction after a failure; SQLite may already have rolled it back itself.
    [[noreturn]] void abandonChanges(const AppError &error);
    void exec(const QString &sql);
    // Marks the file as of the current schema.
    void migrate(const QString &fromVersion);

    QString m_filePath;
    QString m_movedAsideFile;
    QString m_connectionName;
    bool m_inTransaction = false;
    QSet<QString> m_ensured;
};

#include "core/RecordStore_impl.h"
