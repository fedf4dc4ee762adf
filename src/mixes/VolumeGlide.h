#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>

class SettingsStore;

// Moves several volumes to their targets together over a while, eased at both ends. A channel
// whose sound is rendered ahead is handed the whole glide at once, and the audio output renders
// the curve with the queued sound; the others are stepped every 30 ms (the mixer smooths each
// step into the next, so none is heard as a click). Only stepping wakes the process: with every
// channel handed over, the glide wakes once, at its end, however long it is. The end sets every
// target exactly. A channel whose volume someone else changes meanwhile (the user's slider) is
// theirs from then on and left alone. Settings writes are held for the glide's life, so the
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
        // Optional: hands the whole glide over, to `to` over the given time; false when the
        // channel cannot, and is stepped.
        std::function<bool(float to, std::chrono::milliseconds over)> glide;
        // Optional: the volume as it is now, to tell a change made by someone else.
        std::function<float()> current;
    };

    static constexpr std::chrono::milliseconds step{30};

    VolumeGlide(QList<Channel> channels, std::chrono::milliseconds duration,
                SettingsStore &settings, QObject *parent = nullptr);
    ~VolumeGlide() override;

    bool isFinished() const { return m_finished; }

Q_SIGNALS:
    void finished();

private:
    struct Running
    {
        Channel channel;
        // The volume this glide last gave the channel.
        float last = 0.0f;
        bool handedOver = false;
    };

    void advance();
    void schedule();

    QList<Running> m_channels;
    const std::chrono::milliseconds m_duration;
    SettingsStore &m_settings;
    QElapsedTimer m_elapsed;
    QTimer m_timer;
    bool m_finished = false;
};
