#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The play order of one scene and the position in it. A plain value: the player steps a copy
// and stores it only when the step leads somewhere, so a step that cannot be played leaves
// the stored queue as it was.
class PlaybackQueue
{
public:
    PlaybackQueue(QStringList order, qint64 currentIndex, QStringList originalIds, bool shuffle,
                  bool loop);

    // The play order, a permutation of originalIds in every queue the player builds.
    QStringList order;
    // Position in order of the track now loaded.
    qint64 currentIndex = 0;
    bool shuffle = true;
    // Stepping past the last track wraps to the first.
    bool loop = true;

    // The scene's ids in catalogue order, fixed at construction.
    const QStringList &originalIds() const { return m_originalIds; }

    // The id at currentIndex, none when the position is outside order.
    std::optional<QString> currentId() const;
    // Moves to the next position and returns its id; none when there is nowhere to go.
    std::optional<QString> advance();
    // What advance() would return now, without moving.
    std::optional<QString> peekNext() const;

    bool operator==(const PlaybackQueue &) const = default;

private:
    QStringList m_originalIds;
};
