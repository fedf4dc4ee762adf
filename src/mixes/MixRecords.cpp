#include "mixes/MixRecords.h"

#include "core/RecordColumns.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {
const QString textColumn = QStringLiteral("TEXT NOT NULL");
const QString integerColumn = QStringLiteral("INTEGER NOT NULL");

// Layer volumes are one JSON object in a text column: the set of layers is the catalogue's and
// changes without a schema change. A value that does not read as one gives no volumes.
QString layerVolumesText(const QMap<QString, float> &volumes)
{
    QJsonObject object;
    for (auto it = volumes.begin(); it != volumes.end(); ++it)
        object.insert(it.key(), double(it.value()));
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QMap<QString, float> layerVolumesFrom(const QVariant &value)
{
    QMap<QString, float> volumes;
    const QJsonObject object = QJsonDocument::fromJson(value.toString().toUtf8()).object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.value().isDouble())
            volumes.insert(it.key(), float(it.value().toDouble()));
    }
    return volumes;
}
} // namespace

const RecordTable &SavedMix::table()
{
    static const RecordTable t{QStringLiteral("SavedMix"),
                               {{QStringLiteral("id"), textColumn},
                                {QStringLiteral("name"), textColumn},
                                {QStringLiteral("sceneId"), textColumn},
                                {QStringLiteral("musicVolume"), QStringLiteral("REAL NOT NULL")},
                                {QStringLiteral("layerVolumes"), textColumn},
                                {QStringLiteral("createdAt"), integerColumn}}};
    return t;
}

QVariantList SavedMix::toColumns() const
{
    return {RecordColumns::text(id),        RecordColumns::text(name),
            RecordColumns::text(sceneId),   double(musicVolume),
            layerVolumesText(layerVolumes), RecordColumns::date(createdAt)};
}

SavedMix SavedMix::fromColumns(const QVariantList &columns)
{
    return {columns.at(0).toString(),        columns.at(1).toString(),
            columns.at(2).toString(),        float(columns.at(3).toDouble()),
            layerVolumesFrom(columns.at(4)), RecordColumns::toDate(columns.at(5))};
}

const RecordTable &FocusDay::table()
{
    static const RecordTable t{
        QStringLiteral("FocusDay"),
        {{QStringLiteral("day"), textColumn}, {QStringLiteral("completed"), integerColumn}}};
    return t;
}

QVariantList FocusDay::toColumns() const
{
    return {RecordColumns::text(day), completed};
}

FocusDay FocusDay::fromColumns(const QVariantList &columns)
{
    return {columns.at(0).toString(), columns.at(1).toInt()};
}

const RecordTable &ScheduledMix::table()
{
    static const RecordTable t{QStringLiteral("ScheduledMix"),
                               {{QStringLiteral("id"), textColumn},
                                {QStringLiteral("mixId"), textColumn},
                                {QStringLiteral("minuteOfDay"), integerColumn},
                                {QStringLiteral("weekdays"), integerColumn},
                                {QStringLiteral("glideMinutes"), integerColumn},
                                {QStringLiteral("startPlaying"), integerColumn},
                                {QStringLiteral("createdAt"), integerColumn}}};
    return t;
}

QVariantList ScheduledMix::toColumns() const
{
    return {
        RecordColumns::text(id), RecordColumns::text(mixId),    minuteOfDay, weekdays, glideMinutes,
        int(startPlaying),       RecordColumns::date(createdAt)};
}

ScheduledMix ScheduledMix::fromColumns(const QVariantList &columns)
{
    return {columns.at(0).toString(),
            columns.at(1).toString(),
            columns.at(2).toInt(),
            columns.at(3).toInt(),
            columns.at(4).toInt(),
            columns.at(5).toInt() != 0,
            RecordColumns::toDate(columns.at(6))};
}
