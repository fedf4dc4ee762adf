#pragma once

#include "ui/views/ViewServices.h"

#include <QObject>
#include <QPointer>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

// The schedule being added or edited in the settings: every field is moved by steps from
// buttons (the keyboard and assistive tools reach each one), and saving hands the whole to
// the schedule service, which keeps it or says why not.
class ScheduleDraft : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(ViewServices *services READ services WRITE setServices NOTIFY servicesChanged)
    Q_PROPERTY(bool open READ isOpen NOTIFY changed)
    // "New schedule" or "Edit schedule".
    Q_PROPERTY(QString heading READ heading NOTIFY changed)
    Q_PROPERTY(QString mixName READ mixName NOTIFY changed)
    Q_PROPERTY(QString timeText READ timeText NOTIFY changed)
    Q_PROPERTY(QString glideText READ glideText NOTIFY changed)
    Q_PROPERTY(bool startPlaying READ startPlaying NOTIFY changed)
    // Each entry: {index 0…6 from Monday, name "Mon", on, accessibleName "Mon, on"}.
    Q_PROPERTY(QVariantList days READ days NOTIFY changed)
    // Why the draft could not open or be kept; empty otherwise.
    Q_PROPERTY(QString message READ message NOTIFY changed)

public:
    explicit ScheduleDraft(QObject *parent = nullptr);

    ViewServices *services() const { return m_services; }
    void setServices(ViewServices *services);
    bool isOpen() const { return m_open; }
    QString heading() const;
    QString mixName() const;
    QString timeText() const;
    QString glideText() const;
    bool startPlaying() const { return m_startPlaying; }
    QVariantList days() const;
    const QString &message() const { return m_message; }

    // A new schedule: the first saved mix, 08:00 every day, over 10 minutes.
    Q_INVOKABLE void beginAdd();
    Q_INVOKABLE void beginEdit(const QString &id);
    Q_INVOKABLE void cancel();
    Q_INVOKABLE void stepMix(int direction);
    // By whole minutes, round the clock: -60, -5, +5, +60.
    Q_INVOKABLE void stepTime(int minutes);
    Q_INVOKABLE void toggleDay(int index);
    Q_INVOKABLE void stepGlide(int direction);
    Q_INVOKABLE void toggleStartPlaying();
    // Adds or changes the schedule and closes; false, with the message, when refused.
    Q_INVOKABLE bool save();

Q_SIGNALS:
    void servicesChanged();
    void changed();

private:
    QStringList mixIds() const;
    void setMessage(const QString &text);

    QPointer<ViewServices> m_services;
    bool m_open = false;
    QString m_id; // empty for a new one
    QString m_mixId;
    int m_minuteOfDay = 8 * 60;
    int m_weekdays = 0x7f;
    int m_glideMinutes = 10;
    bool m_startPlaying = false;
    QString m_message;
};
