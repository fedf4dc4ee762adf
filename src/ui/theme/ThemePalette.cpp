#include "ui/theme/ThemePalette.h"

#include "ui/theme/Spring.h"

#include <array>

namespace {
struct Entry
{
    const char *name;
    QRgb light;
    double lightAlpha;
    QRgb dark;
    double darkAlpha;
    bool adaptive;
};

// In the order of ThemePalette::Role.
constexpr std::array<Entry, 11> entries{{
    {"canvas", 0xF8F8F6, 1.0, 0x131418, 1.0, true},
    {"surface", 0xEAEAE6, 1.0, 0x1E2025, 1.0, true},
    {"deepSurface", 0x1F2226, 1.0, 0x050608, 1.0, true},
    {"frost", 0xFFFFFF, 0.6, 0xFFFFFF, 0.04, true},
    {"textPrimary", 0x14171A, 1.0, 0xF0F0EE, 1.0, true},
    {"textSecondary", 0x44494E, 1.0, 0xBCBDBA, 1.0, true},
    {"textTertiary", 0x80858A, 1.0, 0x7E807F, 1.0, true},
    {"hairline", 0x14171A, 0.08, 0xF0F0EE, 0.10, true},
    {"strongHairline", 0x14171A, 0.16, 0xF0F0EE, 0.20, true},
    {"ink", 0x14171A, 1.0, 0x14171A, 1.0, false},
    {"paper", 0xF8F8F6, 1.0, 0xF8F8F6, 1.0, false},
}};

const Entry &entry(ThemePalette::Role role)
{
    return entries.at(static_cast<std::size_t>(role));
}
} // namespace

QColor ThemePalette::resolve(Role role, ColorScheme scheme)
{
    const Entry &e = entry(role);
    const bool dark = e.adaptive && scheme == ColorScheme::Dark;
    QColor color(dark ? e.dark : e.light);
    color.setAlphaF(static_cast<float>(dark ? e.darkAlpha : e.lightAlpha));
    return color;
}

bool ThemePalette::isAdaptive(Role role)
{
    return entry(role).adaptive;
}

std::optional<ThemePalette::Role> ThemePalette::roleNamed(const QString &name)
{
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (name == QLatin1String(entries[i].name))
            return static_cast<Role>(i);
    }
    return std::nullopt;
}

ThemePalette::ThemePalette(ColorScheme scheme, QObject *parent) : QObject(parent), m_scheme(scheme)
{}

void ThemePalette::setScheme(ColorScheme scheme)
{
    if (m_scheme == scheme)
        return;
    m_scheme = scheme;
    Q_EMIT schemeChanged();
}

QColor ThemePalette::warning() const
{
    return isDark() ? QColor::fromRgbF(1.0f, 0.78f, 0.6f, 0.9f) : QColor(0x9A4A14);
}

QColor ThemePalette::nightLight() const
{
    return isDark() ? QColor::fromRgbF(1.0f, 0.86f, 0.55f) : QColor(0xB7791F);
}

QColor ThemePalette::text(qreal opacity) const
{
    return faded(textPrimary(), opacity);
}

QColor ThemePalette::glow(qreal opacity) const
{
    return QColor::fromRgbF(1.0f, 1.0f, 1.0f, static_cast<float>(opacity));
}

QColor ThemePalette::shade(qreal opacity) const
{
    return QColor::fromRgbF(0.0f, 0.0f, 0.0f, static_cast<float>(opacity));
}

QColor ThemePalette::faded(QColor color, qreal opacity) const
{
    color.setAlphaF(static_cast<float>(opacity));
    return color;
}

QColor ThemePalette::color(const QString &name) const
{
    if (const auto role = roleNamed(name))
        return resolve(*role, m_scheme);
    return QColor(Qt::transparent);
}

QEasingCurve ThemePalette::spring()
{
    return Spring::curve();
}

int ThemePalette::springDuration()
{
    return Spring::settleMilliseconds();
}
