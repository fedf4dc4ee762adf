#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>

class SettingsStore;

// Moves several volumes to their targets together over a while, eased at both ends, in small
// steps (the mixer smooths each step into the next, so none is heard as a click). The last
// step sets every target exactly. Settings writes are held for the glide's life, so the
// volumes it sets reach the settings file a few times a second, not at every step.
class VolumeGlide : public QObject
{
    Q_OBJECT

public:
    struct Channel
    {
        float from = 0.0f;
        float to = 0.0f;
        std::function<void(float)> set;
    };

    static constexpr std::chrono::milliseconds step{30};

    VolumeGlide(QList<Channel> channels, std::chrono::milliseconds duration,
                SettingsStore &settings, QObject *parent = nullptr);
    ~VolumeGlide() override;

    bool isFinished() const { return m_finished; }

Q_SIGNALS:
    void finished();

private:
    void advance();

    QList<Channel> m_channels;
    const std::chrono::milliseconds m_duration;
    SettingsStore &m_settings;
    QElapsedTimer m_elapsed;
    QTimer m_timer;
    bool m_finished = false;
};
