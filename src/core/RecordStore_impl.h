#pragma once

// Template plumbing of RecordStore: each record type maps itself to its table.

template <class R> QList<R> RecordStore::fetch(const QString &field, const QVariant &value)
{
    QList<R> records;
    for (const QVariantList &row : select(ensure(R::table()), field, value, {}, Qt::AscendingOrder))
        records.append(R::fromColumns(row));
    return records;
}

template <class R> QList<R> RecordStore::fetchAll(const QString &sortField, Qt::SortOrder order)
{
    QList<R> records;
    for (const QVariantList &row : select(ensure(R::table()), {}, {}, sortField, order))
        records.append(R::fromColumns(row));
    return records;
}

template <class R> void RecordStore::insert(const R &record)
{
    upsert(ensure(R::table()), record.toColumns());
}

template <class R> void RecordStore::remove(const R &record)
{
    erase(ensure(R::table()), record.toColumns().constFirst());
}
