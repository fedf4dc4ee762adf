#include "visuals/HexColor.h"

#include <cctype>

std::optional<QColor> HexColor::parse(const QString &text)
{
    QStringView digits = QStringView(text).trimmed();
    if (digits.startsWith(QLatin1Char('#')))
        digits = digits.mid(1);
    if (digits.size() != 6)
        return std::nullopt;
    // toUInt would also take a sign or a "0x" prefix; only the sixteen digits count here.
    for (const QChar c : digits) {
        if (!std::isxdigit(static_cast<unsigned char>(c.toLatin1())) || c.unicode() > 0x7f)
            return std::nullopt;
    }
    const uint rgb = digits.toUInt(nullptr, 16);
    return QColor::fromRgbF(float((rgb >> 16) & 0xff) / 255.0f, float((rgb >> 8) & 0xff) / 255.0f,
                            float(rgb & 0xff) / 255.0f, 1.0f);
}

QColor HexColor::parseOr(const QString &text, const QColor &fallback)
{
    return parse(text).value_or(fallback);
}
