#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <memory>

class AppError;

// One cached track file of the audio cache.
struct CacheEntry
{
    QString trackId; // unique
    qint64 sizeBytes = 0;
    QDateTime lastUsedAt;

    bool operator==(const CacheEntry &) const = default;
};

// A private scene made from one of the user's own audio files.
struct CustomScene
{
    QString id; // unique: a UUID in its 36-character text form
    QString name;
    QString note;
    QByteArray audioBookmark; // the file's absolute path in UTF-8
    QDateTime createdAt;

    bool operator==(const CustomScene &) const = default;
};

// A mix the user kept under a name: the scene, the music's volume and each ambient layer's.
struct SavedMix
{
    QString id; // unique: a UUID in its 36-character text form
    QString name;
    QString sceneId; // empty: the mix plays over whatever is playing
    float musicVolume = 0.0f;
    QMap<QString, float> layerVolumes; // layer id → volume 0…1
    QDateTime createdAt;

    bool operator==(const SavedMix &) const = default;
};

// The focus phases a person completed on one day, by the local calendar.
struct FocusDay
{
    QString day; // unique: yyyy-MM-dd
    int completed = 0;

    bool operator==(const FocusDay &) const = default;
};

// A saved mix the music glides to at a time of the local wall clock on chosen weekdays.
struct ScheduledMix
{
    QString id;          // unique: a UUID in its 36-character text form
    QString mixId;       // a SavedMix's id
    int minuteOfDay = 0; // 0…1439
    int weekdays = 0x7f; // bit 0 Monday … bit 6 Sunday
    int glideMinutes = 10;
    bool startPlaying = false; // may start the music when nothing plays
    QDateTime createdAt;

    bool operator==(const ScheduledMix &) const = default;
};

// The application's persistent records in one SQLite file, one table per record type keyed by
// its unique field. The store is also the one context the services work through: changes are
// visible to the next fetch at once and become durable at save(). Every failure throws
// AppError (Store domain) with the database's own description; a failed change or save rolls
// back every change since the last save, so the next change starts afresh and no failure
// outlives the operation that met it.
class RecordStore
{
public:
    static constexpr const char *schemaVersion = "1.3.0";

    // Opens (creating when needed) the store file; a file of an earlier schema is brought up
    // to this one, every record kept. Throws when the file cannot be opened, is not a
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
    struct Table;
    template <class R> static const Table &table();

    // Field names are checked against the table's columns before they reach any SQL text.
    QList<QVariantList> select(const Table &table, const QString &whereField, const QVariant &value,
                               const QString &sortField, Qt::SortOrder order);
    void upsert(const Table &table, const QVariantList &values);
    void erase(const Table &table, const QVariant &key);
    void beginIfNeeded();
    // Ends the transaction after a failure; SQLite may already have rolled it back itself.
    [[noreturn]] void abandonChanges(const AppError &error);
    void exec(const QString &sql);
    // Creates what the current schema has and an earlier one lacked; one transaction.
    void migrate(const QString &fromVersion);

    QString m_filePath;
    QString m_movedAsideFile;
    QString m_connectionName;
    bool m_inTransaction = false;
};

#include "core/RecordStore_impl.h"
