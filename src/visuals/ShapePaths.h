#pragma once

#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

// Outlines written as path data in a view box of their own ("M0,240 L0,160 … Z"), drawn
// stretched to any rectangle. Only moves, straight lines and closes are understood: a command
// takes exactly one coordinate pair, and lower-case commands are absolute like upper-case ones.
// A command without two numbers after it is passed over, as is any token it does not know.
struct SVGPath
{
    QString pathData;
    QSizeF viewBox;

    // The tokens of the data: commas count as white space, and each command letter stands
    // alone even when written against its numbers ("M0,240" gives M, 0, 240).
    static QStringList tokens(const QString &pathData);
    // The outline in rect, scaled independently in x and y so that the view box fills rect.
    QPainterPath path(const QRectF &rect) const;
};

// A closed outline through points given in unit coordinates (0…1 of the rectangle).
struct Polygon
{
    QList<QPointF> points;

    QPainterPath path(const QRectF &rect) const;
};
