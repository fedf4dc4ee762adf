#pragma once

#include "playback/AudioEngine.h"

#include <QList>

// An engine without sound for tests of the player's logic: it records what it is told and
// lets the test end or break the current item.
class FakeAudioEngine : public AudioEngine
{
    Q_OBJECT

public:
    using AudioEngine::AudioEngine;

    ItemId load(const QUrl &localFile) override
    {
        m_item = ++m_lastItem;
        m_file = localFile;
        m_playing = false;
        loads.append(localFile);
        preloaded.clear();
        return m_item;
    }
    void preload(const QUrl &localFile) override { preloaded = localFile; }
    void clear() override
    {
        preloaded.clear();
        m_item = noItem;
        m_file.clear();
        m_playing = false;
    }
    ItemId currentItem() const override { return m_item; }
    QUrl currentFile() const override { return m_file; }

    void play() override { m_playing = m_item != noItem; }
    void pause() override { m_playing = false; }
    void setVolume(float volume) override { m_volume = volume; }
    float volume() const override { return m_volume; }
    qint64 position() const override { return 0; }
    qint64 duration() const override { return 0; }

    // Whether sound would be heard now.
    bool isSounding() const { return m_playing; }
    bool hasItem() const { return m_item != noItem; }

    // The current item reaches its end, as the real engine reports it.
    void finish()
    {
        m_playing = false;
        Q_EMIT endOfMedia(m_item);
    }
    void breakCurrent() { Q_EMIT failed(m_item, QStringLiteral("cannot decode")); }
    // The sound server goes away, or comes back.
    void setOutputAvailable(bool available)
    {
        if (available == m_outputAvailable)
            return;
        m_outputAvailable = available;
        Q_EMIT outputAvailableChanged();
    }
    bool outputAvailable() const override { return m_outputAvailable; }

    // Every file loaded, in order, and the one readied to follow.
    QList<QUrl> loads;
    QUrl preloaded;

private:
    ItemId m_item = noItem;
    ItemId m_lastItem = noItem;
    QUrl m_file;
    bool m_playing = false;
    float m_volume = 1.0f;
    bool m_outputAvailable = true;
};
