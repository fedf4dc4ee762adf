#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// What an audio file says of itself, as the decoder reads it. The decoder lies above the custom
// scenes; the environment hands its probe in.
struct SoundFacts
{
    QString title;
    QString artist;
    QByteArray picture; // the embedded cover, in the file's own image format; empty: none
    // Why the file cannot be played, in the decoder's words ("it is empty"); empty: it sounds.
    QString problem;
};

using SoundProbe = std::function<SoundFacts(const QString &path)>;

namespace SoundText {
// The sentence the user reads when a file cannot be played, around the decoder's words. The
// player says it when a file fails, the custom scenes when one is refused: one text, one
// translation (hence the player's context).
QString unplayable(const QString &problem);
} // namespace SoundText
