#include "storage/CacheEntry.h"

#include "core/RecordColumns.h"

const RecordTable &CacheEntry::table()
{
    static const RecordTable t{
        QStringLiteral("CacheEntry"),
        {{QStringLiteral("trackId"), QStringLiteral("TEXT NOT NULL")},
         {QStringLiteral("sizeBytes"), QStringLiteral("INTEGER NOT NULL")},
         {QStringLiteral("lastUsedAt"), QStringLiteral("INTEGER NOT NULL")}}};
    return t;
}

QVariantList CacheEntry::toColumns() const
{
    return {RecordColumns::text(trackId), sizeBytes, RecordColumns::date(lastUsedAt)};
}

CacheEntry CacheEntry::fromColumns(const QVariantList &columns)
{
    return {columns.at(0).toString(), columns.at(1).toLongLong(),
            RecordColumns::toDate(columns.at(2))};
}
