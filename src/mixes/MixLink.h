#pragma once

#include <QMap>
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>

// The levels that make a mix: the scene (empty for none), the music's volume and each ambient
// layer's, all 0…1.
struct MixLevels
{
    QString sceneId;
    float musicVolume = 0.0f;
    QMap<QString, float> layerVolumes;

    bool operator==(const MixLevels &) const = default;
};

// The dusk-haven: addresses of a mix and of the sleep timer, as links to share or to put in a
// desktop shortcut:
//   dusk-haven://mix?scene=<id>&music=0.800&layer.rain=0.500&name=Night%20rain
//   dusk-haven://sleep?minutes=30   (fractions allowed)
//   dusk-haven://focus?focus=25&break=5&cycles=4   (each optional; whole minutes 1…120)
//   dusk-haven://focus?action=pause              (or resume, skip, stop)
// Volumes have three decimals; a layer at 0 is left out. Reading is strict, because a link
// comes from anyone: a refused link throws AppError (Decoding) whose description says why in
// words for the user, and nothing of it may be acted on.
namespace MixLink {
// The application's address scheme; the router answers every address of it.
inline const QString scheme = QStringLiteral("dusk-haven");
constexpr int maxLayers = 64;
constexpr double maxSleepMinutes = 12 * 60;

struct SharedMix
{
    MixLevels levels;
    QString name; // empty when the link names none
};

// What a focus link asks: a session with these durations (absent: the settings'), or an action
// on the running one.
struct FocusRequest
{
    std::optional<int> focusMinutes;
    std::optional<int> breakMinutes;
    std::optional<int> cycles;
    QString action; // empty, "pause", "resume", "skip" or "stop"
};

QString mixAddress(const MixLevels &levels, const QString &name);
QString sleepAddress(double minutes);

bool isMixAddress(const QUrl &url);
bool isSleepAddress(const QUrl &url);
bool isFocusAddress(const QUrl &url);

// sceneKnown tells whether the catalogue in use has a scene; a link to any other is refused.
SharedMix readMix(const QUrl &url, const std::function<bool(const QString &)> &sceneKnown);
double readSleepMinutes(const QUrl &url);
FocusRequest readFocus(const QUrl &url);
} // namespace MixLink
