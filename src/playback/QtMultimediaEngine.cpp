#include "playback/QtMultimediaEngine.h"

QtMultimediaEngine::QtMultimediaEngine(QObject *parent) : AudioEngine(parent)
{
    m_player.setAudioOutput(&m_output);
    connect(&m_player, &QMediaPlayer::mediaStatusChanged, this,
            &QtMultimediaEngine::onMediaStatusChanged);
    connect(&m_player, &QMediaPlayer::errorOccurred, this, &QtMultimediaEngine::onError);
}

QtMultimediaEngine::~QtMultimediaEngine()
{
    // The player must not outlive its output's use: stop it while both still exist.
    m_player.stop();
}

AudioEngine::ItemId QtMultimediaEngine::load(const QUrl &localFile)
{
    m_item = ++m_lastItem;
    // Loading the file that is already the source would keep its position (or its end):
    // a new item always starts from the beginning.
    m_player.stop();
    m_player.setSource(QUrl());
    m_player.setSource(localFile);
    return m_item;
}

void QtMultimediaEngine::clear()
{
    m_item = noItem;
    m_player.stop();
    m_player.setSource(QUrl());
}

QUrl QtMultimediaEngine::currentFile() const
{
    return m_item == noItem ? QUrl() : m_player.source();
}

void QtMultimediaEngine::play()
{
    if (m_item == noItem)
        return;
    // Playing an item that has ended hears it again from its start.
    if (m_player.mediaStatus() == QMediaPlayer::EndOfMedia)
        m_player.setPosition(0);
    m_player.play();
}

void QtMultimediaEngine::pause()
{
    m_player.pause();
}

void QtMultimediaEngine::setVolume(float volume)
{
    m_output.setVolume(volume);
}

float QtMultimediaEngine::volume() const
{
    return m_output.volume();
}

qint64 QtMultimediaEngine::position() const
{
    return m_item == noItem ? 0 : m_player.position();
}

qint64 QtMultimediaEngine::duration() const
{
    return m_item == noItem ? 0 : m_player.duration();
}

void QtMultimediaEngine::onMediaStatusChanged(QMediaPlayer::MediaStatus status)
{
    if (m_item == noItem)
        return;
    if (status == QMediaPlayer::EndOfMedia)
        Q_EMIT endOfMedia(m_item);
    else if (status == QMediaPlayer::InvalidMedia)
        reportFailure(m_player.errorString());
}

void QtMultimediaEngine::onError(QMediaPlayer::Error error, const QString &description)
{
    if (m_item == noItem || error == QMediaPlayer::NoError)
        return;
    reportFailure(description);
}

void QtMultimediaEngine::reportFailure(const QString &description)
{
    // A broken file is reported both as invalid media and as an error: one item fails once.
    if (m_failedItem == m_item)
        return;
    m_failedItem = m_item;
    Q_EMIT failed(m_item, description);
}
