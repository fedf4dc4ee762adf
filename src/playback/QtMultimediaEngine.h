#pragma once

#include "playback/AudioEngine.h"

#include <QAudioOutput>
#include <QMediaPlayer>

// The music engine on Qt Multimedia: one QMediaPlayer with its QAudioOutput on the default
// output device. The end of an item is the end of media of the current source.
class QtMultimediaEngine : public AudioEngine
{
    Q_OBJECT

public:
    explicit QtMultimediaEngine(QObject *parent = nullptr);
    ~QtMultimediaEngine() override;

    ItemId load(const QUrl &localFile) override;
    void clear() override;
    ItemId currentItem() const override { return m_item; }
    QUrl currentFile() const override;

    void play() override;
    void pause() override;
    void setVolume(float volume) override;
    float volume() const override;

    qint64 position() const override;
    qint64 duration() const override;

private:
    void onMediaStatusChanged(QMediaPlayer::MediaStatus status);
    void onError(QMediaPlayer::Error error, const QString &description);
    void reportFailure(const QString &description);

    QAudioOutput m_output;
    QMediaPlayer m_player;
    ItemId m_item = noItem;
    ItemId m_lastItem = noItem;
    ItemId m_failedItem = noItem;
};
