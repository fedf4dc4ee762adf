#pragma once

#include "ui/views/ViewServices.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

// The wording of the saved-mixes row and its sleep-timer menu, apart from the views so that
// it can be tested.
namespace MixRowText {
// The moon button's name for assistive tools: "Sleep timer", or with the time left.
QString moonName(bool running, const QString &remaining);
// The timer menu's choices: {minutes, label} for each preset.
QVariantList presets(const QVariantList &minutes);
// The focus button's name for assistive tools: "Focus session", or with its phase and time.
QString focusName(const QString &status);
// What a saved mix's chip tells assistive tools besides its name.
QString chipDescription(const QString &sceneName);
} // namespace MixRowText

// What the saved-mixes row shows: the chips, the moon button's time left and names, the
// timer menu's choices, and the focus button beside the moon. While `shown` (the row is on
// screen) it counts itself among the sleep timer's and the focus session's watchers, so their
// time left moves each second only then.
class MixRowState : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(ViewServices *services READ services WRITE setServices NOTIFY servicesChanged)
    Q_PROPERTY(bool shown READ isShown WRITE setShown NOTIFY shownChanged)
    // Each entry: {id, name, description}.
    Q_PROPERTY(QVariantList chips READ chips NOTIFY chipsChanged)
    Q_PROPERTY(QString moonText READ moonText NOTIFY timerChanged)
    Q_PROPERTY(QString moonName READ moonName NOTIFY timerChanged)
    Q_PROPERTY(QVariantList presets READ presets CONSTANT)
    Q_PROPERTY(QString focusText READ focusText NOTIFY focusChanged)
    Q_PROPERTY(QString focusName READ focusName NOTIFY focusChanged)
    Q_PROPERTY(QString skipLabel READ skipLabel NOTIFY focusChanged)

public:
    explicit MixRowState(QObject *parent = nullptr);
    ~MixRowState() override;

    ViewServices *services() const { return m_services; }
    void setServices(ViewServices *services);
    bool isShown() const { return m_shown; }
    void setShown(bool shown);

    QVariantList chips() const;
    QString moonText() const;
    QString moonName() const;
    QVariantList presets() const;
    QString focusText() const;
    QString focusName() const;
    QString skipLabel() const;

Q_SIGNALS:
    void focusChanged();
    void servicesChanged();
    void shownChanged();
    void chipsChanged();
    void timerChanged();

private:
    void watch(bool on);

    QPointer<ViewServices> m_services;
    bool m_shown = false;
    bool m_watching = false;
};
