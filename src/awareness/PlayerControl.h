#pragma once

#include <QCoroTask>
#include <QObject>

// The part of the music player that auto-pause and the hot keys drive. The player service
// implements it; the awareness services hold it weakly (QPointer) and never own it.
//
// isPlayingChanged and volumeChanged must be emitted only on a real change.
class PlayerControl : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isPlaying READ isPlaying NOTIFY isPlayingChanged)
    Q_PROPERTY(float volume READ volume WRITE setVolume NOTIFY volumeChanged)

public:
    using QObject::QObject;

    virtual bool isPlaying() const = 0;
    // Pauses a playing player and resumes a paused one.
    virtual void togglePlayPause() = 0;
    // Starts another scene of the catalogue.
    virtual QCoro::Task<> nextScene() = 0;
    virtual float volume() const = 0;
    virtual void setVolume(float volume) = 0;

Q_SIGNALS:
    void isPlayingChanged();
    void volumeChanged();
};
