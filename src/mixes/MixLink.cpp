#include "mixes/MixLink.h"

#include "core/AppError.h"
#include "core/SettingsStore.h"
#include "mixes/MixNames.h"

#include <QCoreApplication>
#include <QList>
#include <QSet>
#include <cmath>
#include <utility>

namespace {
const QString layerPrefix = QStringLiteral("layer.");

QString volumeText(float volume)
{
    return QString::number(double(volume), 'f', 3);
}

QString encoded(const QString &text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

bool isAddressOf(const QUrl &url, const QString &host)
{
    return url.isValid() && url.scheme().compare(MixLink::scheme, Qt::CaseInsensitive) == 0 &&
           url.host().compare(host, Qt::CaseInsensitive) == 0 &&
           (url.path().isEmpty() || url.path() == QLatin1String("/"));
}

[[noreturn]] void refuse(const QString &why)
{
    throw AppError::decoding(why);
}

// The query's items in order, decoded. Done by hand rather than with QUrlQuery so that an
// encoded "&" or "=" inside a name stays part of it and "+" stays a plus.
QList<std::pair<QString, QString>> items(const QUrl &url)
{
    QList<std::pair<QString, QString>> out;
    QSet<QString> seen;
    const QString query = url.query(QUrl::FullyEncoded);
    for (const QString &item : query.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const qsizetype equals = item.indexOf(QLatin1Char('='));
        const QString key = QUrl::fromPercentEncoding(item.left(equals).toUtf8());
        if (equals < 0)
            refuse(
                QCoreApplication::translate("MixLink", "“%1” in the link has no value.").arg(key));
        if (seen.contains(key))
            refuse(
                QCoreApplication::translate("MixLink", "“%1” appears twice in the link.").arg(key));
        seen.insert(key);
        out.append({key, QUrl::fromPercentEncoding(item.mid(equals + 1).toUtf8())});
    }
    return out;
}

float volumeFrom(const QString &text, const QString &what)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < 0.0 || value > 1.0)
        refuse(QCoreApplication::translate(
                   "MixLink", "The %1 in the link must be a number from 0 to 1, not “%2”.")
                   .arg(what, text));
    return float(value);
}
} // namespace

QString MixLink::mixAddress(const MixLevels &levels, const QString &name)
{
    QStringList query{QStringLiteral("scene=") + encoded(levels.sceneId),
                      QStringLiteral("music=") + volumeText(levels.musicVolume)};
    for (auto it = levels.layerVolumes.begin(); it != levels.layerVolumes.end(); ++it) {
        const QString volume = volumeText(it.value());
        if (volume.toDouble() > 0.0)
            query.append(layerPrefix + encoded(it.key()) + QLatin1Char('=') + volume);
    }
    if (!name.isEmpty())
        query.append(QStringLiteral("name=") + encoded(name));
    return scheme + QStringLiteral("://mix?") + query.join(QLatin1Char('&'));
}

QString MixLink::sleepAddress(double minutes)
{
    return scheme + QStringLiteral("://sleep?minutes=") + QString::number(minutes, 'g', 6);
}

bool MixLink::isMixAddress(const QUrl &url)
{
    return isAddressOf(url, QStringLiteral("mix"));
}

bool MixLink::isSleepAddress(const QUrl &url)
{
    return isAddressOf(url, QStringLiteral("sleep"));
}

bool MixLink::isFocusAddress(const QUrl &url)
{
    return isAddressOf(url, QStringLiteral("focus"));
}

MixLink::FocusRequest MixLink::readFocus(const QUrl &url)
{
    FocusRequest request;
    const auto wholeNumber = [](const QString &text, qint64 least, qint64 most) {
        bool ok = false;
        const int value = text.toInt(&ok);
        // The bounds are the settings' own, so a link can ask for nothing the window refuses.
        if (!ok || value < least || value > most)
            refuse(QCoreApplication::translate(
                       "MixLink", "The link's numbers must be whole, from %1 to %2, not “%3”.")
                       .arg(least)
                       .arg(most)
                       .arg(text));
        return value;
    };
    for (const auto &[key, value] : items(url)) {
        if (key == QLatin1String("focus"))
            request.focusMinutes =
                wholeNumber(value, Setting::focusMinutes.min, Setting::focusMinutes.max);
        else if (key == QLatin1String("break"))
            request.breakMinutes =
                wholeNumber(value, Setting::breakMinutes.min, Setting::breakMinutes.max);
        else if (key == QLatin1String("cycles"))
            request.cycles = wholeNumber(value, 1, 100);
        else if (key == QLatin1String("action") &&
                 QStringList{"pause", "resume", "skip", "stop"}.contains(value))
            request.action = value;
        else
            refuse(QCoreApplication::translate("MixLink", "“%1” is not part of a focus link.")
                       .arg(key == QLatin1String("action") ? value : key));
    }
    if (!request.action.isEmpty() &&
        (request.focusMinutes || request.breakMinutes || request.cycles))
        refuse(QCoreApplication::translate("MixLink",
                                           "A focus link either starts a session or acts on one."));
    return request;
}

MixLink::SharedMix MixLink::readMix(const QUrl &url,
                                    const std::function<bool(const QString &)> &sceneKnown)
{
    SharedMix mix;
    bool hasScene = false;
    bool hasMusic = false;
    for (const auto &[key, value] : items(url)) {
        if (key == QLatin1String("scene")) {
            if (value.isEmpty() || !sceneKnown(value))
                refuse(QCoreApplication::translate(
                           "MixLink", "The scene “%1” of the link is not in the catalogue.")
                           .arg(value));
            mix.levels.sceneId = value;
            hasScene = true;
        } else if (key == QLatin1String("music")) {
            mix.levels.musicVolume =
                volumeFrom(value, QCoreApplication::translate("MixLink", "music volume"));
            hasMusic = true;
        } else if (key == QLatin1String("name")) {
            mix.name = MixNames::tidy(value);
            if (const auto problem = MixNames::problem(mix.name, {});
                problem && !mix.name.isEmpty())
                refuse(*problem);
        } else if (key.startsWith(layerPrefix) && key.size() > layerPrefix.size()) {
            const QString layer = key.mid(layerPrefix.size());
            mix.levels.layerVolumes.insert(
                layer,
                volumeFrom(value,
                           QCoreApplication::translate("MixLink", "volume of “%1”").arg(layer)));
            if (mix.levels.layerVolumes.size() > maxLayers)
                refuse(
                    QCoreApplication::translate("MixLink", "A mix link can hold at most %1 layers.")
                        .arg(maxLayers));
        } else {
            refuse(
                QCoreApplication::translate("MixLink", "“%1” is not part of a mix link.").arg(key));
        }
    }
    if (!hasScene)
        refuse(QCoreApplication::translate("MixLink", "The link names no scene."));
    if (!hasMusic)
        refuse(QCoreApplication::translate("MixLink", "The link gives no music volume."));
    return mix;
}

double MixLink::readSleepMinutes(const QUrl &url)
{
    std::optional<double> minutes;
    for (const auto &[key, value] : items(url)) {
        if (key != QLatin1String("minutes"))
            refuse(QCoreApplication::translate("MixLink", "“%1” is not part of a sleep link.")
                       .arg(key));
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (!ok || !std::isfinite(number) || number <= 0.0 || number > maxSleepMinutes)
            refuse(QCoreApplication::translate(
                       "MixLink", "The sleep minutes must be a number above 0 and at most %1, "
                                  "not “%2”.")
                       .arg(maxSleepMinutes)
                       .arg(value));
        minutes = number;
    }
    if (!minutes)
        refuse(QCoreApplication::translate("MixLink", "The link gives no minutes."));
    return *minutes;
}
