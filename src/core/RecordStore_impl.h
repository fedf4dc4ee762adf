#pragma once

// Template plumbing of RecordStore: how each record type maps to its table.

struct RecordStore::Table
{
    QString name;
    QStringList columns; // the first one is the unique key
};

template <> const RecordStore::Table &RecordStore::table<CacheEntry>();
template <> const RecordStore::Table &RecordStore::table<CustomScene>();
template <> const RecordStore::Table &RecordStore::table<SavedMix>();
template <> const RecordStore::Table &RecordStore::table<FocusDay>();
template <> const RecordStore::Table &RecordStore::table<ScheduledMix>();

namespace RecordColumns {
QVariantList toColumns(const CacheEntry &entry);
QVariantList toColumns(const CustomScene &scene);
QVariantList toColumns(const SavedMix &mix);
QVariantList toColumns(const FocusDay &day);
QVariantList toColumns(const ScheduledMix &schedule);
void fromColumns(const QVariantList &columns, CacheEntry &entry);
void fromColumns(const QVariantList &columns, CustomScene &scene);
void fromColumns(const QVariantList &columns, SavedMix &mix);
void fromColumns(const QVariantList &columns, FocusDay &day);
void fromColumns(const QVariantList &columns, ScheduledMix &schedule);
} // namespace RecordColumns

template <class R> QList<R> RecordStore::fetch(const QString &field, const QVariant &value)
{
    QList<R> records;
    for (const QVariantList &row : select(table<R>(), field, value, {}, Qt::AscendingOrder)) {
        R record;
        RecordColumns::fromColumns(row, record);
        records.append(std::move(record));
    }
    return records;
}

template <class R> QList<R> RecordStore::fetchAll(const QString &sortField, Qt::SortOrder order)
{
    QList<R> records;
    for (const QVariantList &row : select(table<R>(), {}, {}, sortField, order)) {
        R record;
        RecordColumns::fromColumns(row, record);
        records.append(std::move(record));
    }
    return records;
}

template <class R> void RecordStore::insert(const R &record)
{
    upsert(table<R>(), RecordColumns::toColumns(record));
}

template <class R> void RecordStore::remove(const R &record)
{
    erase(table<R>(), RecordColumns::toColumns(record).constFirst());
}
