#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <chrono>

// The audio player that the music goes through: one current item made from a local file,
// play, pause, volume, position, and a signal at the end of the item. Each load makes a new
// item with its own id, so a late signal about an item that has since been replaced can be
// told apart from one about the current item (even when both come from the same file).
//
// The real engine is FfmpegEngine, on the stream the ambient layers share; QtMultimediaEngine
// is the fallback chosen at start. Tests that need no sound use FakeAudioEngine.
class AudioEngine : public QObject
{
    Q_OBJECT

public:
    using ItemId = quint64;
    static constexpr ItemId noItem = 0;

    using QObject::QObject;

    // Replaces the current item with one playing localFile from its start, paused. Returns
    // the new item's id. Failures to open or decode the file arrive later through failed().
    virtual ItemId load(const QUrl &localFile) = 0;
    // Readies the file expected to follow the current item, or withdraws it (an empty URL).
    // A later load() of that file starts at once; and when the current item ends while
    // playing, the file follows without a gap. endOfMedia() is still reported, and the load()
    // of the file that the player then makes takes over the item that already sounds. An
    // engine that cannot do this ignores it.
    virtual void preload(const QUrl &localFile) { Q_UNUSED(localFile); }
    // Drops the current item: silence, and currentItem() is noItem.
    virtual void clear() = 0;
    virtual ItemId currentItem() const = 0;
    // The local file of the current item; empty without one.
    virtual QUrl currentFile() const = 0;

    // Plays the current item; without one, nothing is heard.
    virtual void play() = 0;
    virtual void pause() = 0;
    // Linear gain 0.0–1.0, kept across items.
    virtual void setVolume(float volume) = 0;
    // Moves the volume to `volume` over `over`, eased at both ends, from the gain being heard;
    // volume() is the new one from the start. An engine that renders its sound ahead renders
    // the curve with it, so that even a glide of many minutes wakes nobody; a later setVolume()
    // calls the glide off from where it is. False, with nothing changed, from an engine that
    // cannot: its caller steps the volume itself.
    virtual bool glideVolume(float volume, std::chrono::milliseconds over)
    {
        Q_UNUSED(volume);
        Q_UNUSED(over);
        return false;
    }
    virtual float volume() const = 0;

    // Milliseconds into the current item, and its length (0 while unknown).
    virtual qint64 position() const = 0;
    virtual qint64 duration() const = 0;

    // False while the engine would sound but its output is gone (the sound server went away
    // or refuses it); the engine keeps its place and goes on by itself when the output is back.
    virtual bool outputAvailable() const { return true; }

Q_SIGNALS:
    // The item played to its end.
    void endOfMedia(AudioEngine::ItemId item);
    // The item cannot be played (unreadable file, unsupported format, no audio device).
    void failed(AudioEngine::ItemId item, const QString &description);
    void outputAvailableChanged();
};
