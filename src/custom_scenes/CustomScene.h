#pragma once

#include "core/RecordStore.h"

#include <QByteArray>
#include <QDateTime>

// A private scene made from one of the user's own audio files.
struct CustomScene
{
    QString id; // unique: a UUID in its 36-character text form
    QString name;
    QString note;
    QByteArray audioBookmark; // the file's absolute path in UTF-8
    QDateTime createdAt;

    bool operator==(const CustomScene &) const = default;

    static const RecordTable &table();
    QVariantList toColumns() const;
    static CustomScene fromColumns(const QVariantList &columns);
};
