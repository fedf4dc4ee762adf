#pragma once

#include <QLocale>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include "mixer/AmbientMixerService.h"

// A byte count as file sizes are shown: powers of 1000, "1 byte", "850 bytes", "12 KB",
// "1.2 MB", "3.25 GB" (whole kilobytes, one decimal for megabytes, two above), the figure
// written as the locale writes numbers ("1,2 MB" in German).
namespace ByteCount {
QString fileStyle(qint64 bytes, const QLocale &locale = QLocale());
}

// What the ambient pack's card says. The panel and the mixer popover word it differently;
// after a download that left a layer missing, the reason takes the subtitle's place.
namespace PackCardText {
struct State
{
    bool downloading = false;
    qint64 bytes = 0;
    qsizetype layerCount = 0;
    QString failure;
};
struct Text
{
    QString title;
    QString subtitle;
};
Text inPanel(const State &state);
Text inPopover(const State &state);
} // namespace PackCardText

// The card's state for a view: shown while the pack is not downloaded, with its texts.
class AmbientPackState : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(AmbientMixerService *mixer READ mixer WRITE setMixer NOTIFY changed)
    Q_PROPERTY(bool inPopover READ inPopover WRITE setInPopover NOTIFY changed)
    Q_PROPERTY(bool shown READ isShown NOTIFY changed)
    Q_PROPERTY(bool downloading READ isDownloading NOTIFY changed)
    Q_PROPERTY(QString title READ title NOTIFY changed)
    Q_PROPERTY(QString subtitle READ subtitle NOTIFY changed)

public:
    explicit AmbientPackState(QObject *parent = nullptr);

    AmbientMixerService *mixer() const { return m_mixer; }
    void setMixer(AmbientMixerService *mixer);
    bool inPopover() const { return m_inPopover; }
    void setInPopover(bool inPopover);
    bool isShown() const;
    bool isDownloading() const;
    QString title() const { return text().title; }
    QString subtitle() const { return text().subtitle; }

Q_SIGNALS:
    void changed();

private:
    PackCardText::Text text() const;

    QPointer<AmbientMixerService> m_mixer;
    bool m_inPopover = false;
};
