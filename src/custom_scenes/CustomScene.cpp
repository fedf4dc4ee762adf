#include "custom_scenes/CustomScene.h"

#include "core/RecordColumns.h"

const RecordTable &CustomScene::table()
{
    static const RecordTable t{QStringLiteral("CustomScene"),
                               {{QStringLiteral("id"), QStringLiteral("TEXT NOT NULL")},
                                {QStringLiteral("name"), QStringLiteral("TEXT NOT NULL")},
                                {QStringLiteral("note"), QStringLiteral("TEXT NOT NULL")},
                                {QStringLiteral("audioBookmark"), QStringLiteral("BLOB NOT NULL")},
                                {QStringLiteral("createdAt"), QStringLiteral("INTEGER NOT NULL")}}};
    return t;
}

QVariantList CustomScene::toColumns() const
{
    return {RecordColumns::text(id), RecordColumns::text(name), RecordColumns::text(note),
            RecordColumns::bytes(audioBookmark), RecordColumns::date(createdAt)};
}

CustomScene CustomScene::fromColumns(const QVariantList &columns)
{
    return {columns.at(0).toString(), columns.at(1).toString(), columns.at(2).toString(),
            columns.at(3).toByteArray(), RecordColumns::toDate(columns.at(4))};
}

QString CustomScene::tidyText(const QString &text)
{
    QString tidied;
    tidied.reserve(text.size());
    bool inRun = false;
    for (const QChar c : text) {
        const QChar::Category kind = c.category();
        const bool control = kind == QChar::Other_Control || kind == QChar::Separator_Line ||
                             kind == QChar::Separator_Paragraph;
        if (control && !inRun)
            tidied.append(QLatin1Char(' '));
        else if (!control)
            tidied.append(c);
        inRun = control;
    }
    return tidied.trimmed();
}
