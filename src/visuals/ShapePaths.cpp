#include "visuals/ShapePaths.h"

#include <QRegularExpression>
#include <optional>
#include <utility>

namespace {
// 'e' and 'E' belong to numbers ("1e-3"); every other letter is a command.
bool isCommandLetter(QChar c)
{
    return c.isLetter() && c != QLatin1Char('e') && c != QLatin1Char('E');
}

// C-locale decimal syntax only: no "inf", "nan", hexadecimal or digit grouping.
std::optional<double> number(const QString &token)
{
    static const QRegularExpression syntax(
        QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    if (!syntax.match(token).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = token.toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}
} // namespace

QStringList SVGPath::tokens(const QString &pathData)
{
    QStringList tokens;
    QString current;
    const auto flush = [&] {
        if (!current.isEmpty())
            tokens.append(std::exchange(current, QString()));
    };
    for (const QChar c : pathData) {
        if (c.isSpace() || c == QLatin1Char(',')) {
            flush();
        } else if (isCommandLetter(c)) {
            flush();
            tokens.append(QString(c));
        } else {
            current.append(c);
        }
    }
    flush();
    return tokens;
}

QPainterPath SVGPath::path(const QRectF &rect) const
{
    QPainterPath path;
    if (viewBox.width() <= 0 || viewBox.height() <= 0)
        return path;
    const double sx = rect.width() / viewBox.width();
    const double sy = rect.height() / viewBox.height();
    const QStringList tokens = SVGPath::tokens(pathData);
    for (qsizetype i = 0; i < tokens.size();) {
        const QString command = tokens[i].toUpper();
        if (command == QLatin1String("M") || command == QLatin1String("L")) {
            const auto x = i + 2 < tokens.size() ? number(tokens[i + 1]) : std::nullopt;
            const auto y = x ? number(tokens[i + 2]) : std::nullopt;
            if (!y) {
                ++i;
                continue;
            }
            const QPointF point(rect.x() + sx * *x, rect.y() + sy * *y);
            if (command == QLatin1String("M"))
                path.moveTo(point);
            else
                path.lineTo(point);
            i += 3;
        } else {
            if (command == QLatin1String("Z"))
                path.closeSubpath();
            ++i;
        }
    }
    return path;
}

QPainterPath Polygon::path(const QRectF &rect) const
{
    QPainterPath path;
    if (points.isEmpty())
        return path;
    const auto place = [&](QPointF p) {
        return QPointF(rect.left() + p.x() * rect.width(), rect.top() + p.y() * rect.height());
    };
    path.moveTo(place(points.first()));
    for (qsizetype i = 1; i < points.size(); ++i)
        path.lineTo(place(points[i]));
    path.closeSubpath();
    return path;
}
