#pragma once

#include "core/RecordStore.h"

#include <QByteArray>
#include <QDateTime>

// One cached track file of the audio cache.
struct CacheEntry
{
    QString trackId; // unique
    qint64 sizeBytes = 0;
    QDateTime lastUsedAt;

    bool operator==(const CacheEntry &) const = default;

    static const RecordTable &table();
    QVariantList toColumns() const;
    static CacheEntry fromColumns(const QVariantList &columns);
};
