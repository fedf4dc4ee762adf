#include "playback/PlaybackQueue.h"

PlaybackQueue::PlaybackQueue(QStringList order, qint64 currentIndex, QStringList originalIds,
                             bool shuffle, bool loop)
    : order(std::move(order)), currentIndex(currentIndex), shuffle(shuffle), loop(loop),
      m_originalIds(std::move(originalIds))
{}

std::optional<QString> PlaybackQueue::currentId() const
{
    if (currentIndex < 0 || currentIndex >= order.size())
        return std::nullopt;
    return order.at(currentIndex);
}

std::optional<QString> PlaybackQueue::advance()
{
    const qint64 next = currentIndex + 1;
    if (next >= 0 && next < order.size()) {
        currentIndex = next;
        return order.at(next);
    }
    if (!loop)
        return std::nullopt;
    currentIndex = 0;
    if (order.isEmpty())
        return std::nullopt;
    return order.first();
}

std::optional<QString> PlaybackQueue::peekNext() const
{
    PlaybackQueue copy = *this;
    return copy.advance();
}
