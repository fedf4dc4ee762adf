#include "ui/controls/AmbientPackState.h"

#include "mixer/AmbientMixerService.h"

#include <QCoreApplication>
#include <array>
#include <cmath>

QString ByteCount::fileStyle(qint64 bytes, const QLocale &locale)
{
    if (bytes < 1000)
        return QCoreApplication::translate("ByteCount", "%n bytes", nullptr, int(bytes));
    struct Unit
    {
        const char *name;
        int decimals;
    };
    constexpr std::array<Unit, 5> units{{{"KB", 0}, {"MB", 1}, {"GB", 2}, {"TB", 2}, {"PB", 2}}};
    double value = double(bytes) / 1000.0;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const double scale = std::pow(10.0, units[i].decimals);
        const double rounded = std::round(value * scale) / scale;
        // 999,999 bytes round to "1,000 KB": that is 1 MB.
        if (rounded < 1000.0 || i + 1 == units.size()) {
            // Shortest form of the rounded figure: no trailing zeros ("5 MB", "1.25 GB").
            const QString number = locale.toString(rounded, 'f', QLocale::FloatingPointShortest);
            return number + QLatin1Char(' ') + QLatin1String(units[i].name);
        }
        value /= 1000.0;
    }
    Q_UNREACHABLE();
}

namespace PackCardText {
Text inPanel(const State &state)
{
    if (state.downloading)
        return {QCoreApplication::translate("PackCardText", "Downloading ambient pack…"),
                ByteCount::fileStyle(state.bytes)};
    return {QCoreApplication::translate("PackCardText", "Ambient pack not downloaded"),
            state.failure.isEmpty() ? QCoreApplication::translate(
                                          "PackCardText", "Tap to enable the sliders below · ~5 MB")
                                    : state.failure};
}

Text inPopover(const State &state)
{
    if (state.downloading)
        return {QCoreApplication::translate("PackCardText", "Downloading…"),
                QCoreApplication::translate("PackCardText", "%n layers · %1", nullptr,
                                            int(state.layerCount))
                    .arg(ByteCount::fileStyle(state.bytes))};
    return {QCoreApplication::translate("PackCardText", "Ambient pack not downloaded"),
            state.failure.isEmpty()
                ? QCoreApplication::translate("PackCardText", "~5 MB · %n layers", nullptr,
                                              int(state.layerCount))
                : state.failure};
}
} // namespace PackCardText

AmbientPackState::AmbientPackState(QObject *parent) : QObject(parent) {}

void AmbientPackState::setMixer(AmbientMixerService *mixer)
{
    if (mixer == m_mixer)
        return;
    if (m_mixer)
        disconnect(m_mixer, nullptr, this, nullptr);
    m_mixer = mixer;
    if (m_mixer) {
        for (const auto signal :
             {&AmbientMixerService::isPackDownloadedChanged,
              &AmbientMixerService::isDownloadingPackChanged,
              &AmbientMixerService::packDownloadedBytesChanged,
              &AmbientMixerService::packDownloadErrorChanged, &AmbientMixerService::layersChanged})
            connect(m_mixer, signal, this, &AmbientPackState::changed);
    }
    Q_EMIT changed();
}

void AmbientPackState::setInPopover(bool inPopover)
{
    if (inPopover == m_inPopover)
        return;
    m_inPopover = inPopover;
    Q_EMIT changed();
}

bool AmbientPackState::isShown() const
{
    return m_mixer && !m_mixer->isPackDownloaded();
}

bool AmbientPackState::isDownloading() const
{
    return m_mixer && m_mixer->isDownloadingPack();
}

PackCardText::Text AmbientPackState::text() const
{
    if (!m_mixer)
        return {};
    const PackCardText::State state{m_mixer->isDownloadingPack(), m_mixer->packDownloadedBytes(),
                                    m_mixer->layers().size(), m_mixer->packDownloadError()};
    return m_inPopover ? PackCardText::inPopover(state) : PackCardText::inPanel(state);
}
