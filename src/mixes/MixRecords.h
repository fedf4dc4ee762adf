#pragma once

#include "core/RecordStore.h"

#include <QByteArray>
#include <QDateTime>

#include <QMap>

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

    static const RecordTable &table();
    QVariantList toColumns() const;
    static SavedMix fromColumns(const QVariantList &columns);
};

// The focus phases a person completed on one day, by the local calendar.
struct FocusDay
{
    QString day; // unique: yyyy-MM-dd
    int completed = 0;

    bool operator==(const FocusDay &) const = default;

    static const RecordTable &table();
    QVariantList toColumns() const;
    static FocusDay fromColumns(const QVariantList &columns);
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

    static const RecordTable &table();
    QVariantList toColumns() const;
    static ScheduledMix fromColumns(const QVariantList &columns);
};
