#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVariant>

// How record fields are written to and read from the store's columns, the same for every
// record type.
namespace RecordColumns {
// Dates are kept as milliseconds since the epoch so that sorting by them is numeric.
inline QVariant date(const QDateTime &date)
{
    return date.isValid() ? QVariant(date.toMSecsSinceEpoch()) : QVariant(qint64(0));
}

inline QDateTime toDate(const QVariant &value)
{
    return QDateTime::fromMSecsSinceEpoch(value.toLongLong(), Qt::UTC);
}

// SQLite keeps a null string as NULL, which the NOT NULL columns refuse; an empty value is
// meant.
inline QVariant text(const QString &value)
{
    return value.isNull() ? QVariant(QStringLiteral("")) : QVariant(value);
}

inline QVariant bytes(const QByteArray &value)
{
    return value.isNull() ? QVariant(QByteArray("")) : QVariant(value);
}
} // namespace RecordColumns
