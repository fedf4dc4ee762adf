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

    // A name or tag as it is stored, shown and sent to the desktop: a line break there would
    // break a row or a media widget's line. Each run of control characters (line breaks, tabs,
    // the C0 and C1 codes, the line and paragraph separators) becomes one space; the ends are
    // trimmed.
    static QString tidyText(const QString &text);

    static const RecordTable &table();
    QVariantList toColumns() const;
    static CustomScene fromColumns(const QVariantList &columns);
};
