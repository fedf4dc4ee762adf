#pragma once

#include "ui/views/ViewServices.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>
#include <optional>

// The panel's wording and choices, apart from the views so that they can be tested.
namespace PanelText {
inline constexpr qsizetype pickerSlots = 3;
// Rows of the scenes offered to switch to: catalogue order without the displayed one, at
// most pickerSlots.
QList<qsizetype> pickerRows(qsizetype sceneCount, std::optional<qsizetype> displayed);

struct AutoPause
{
    bool active = false; // the switch is on and another app uses audio: the music waits
    QString status;
};
AutoPause autoPause(bool enabled, bool externalInput, bool externalOutput);
} // namespace PanelText

// What the tray panel shows: the displayed scene's title, whether it is a favourite, the
// scenes to switch to and the auto-pause row. Everything follows the services.
class PanelState : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(ViewServices *services READ services WRITE setServices NOTIFY servicesChanged)
    Q_PROPERTY(SceneEntry *scene READ scene NOTIFY sceneChanged)
    Q_PROPERTY(QString title READ title NOTIFY sceneChanged)
    Q_PROPERTY(QString subtitle READ subtitle NOTIFY sceneChanged)
    Q_PROPERTY(bool favorite READ isFavorite NOTIFY favoriteChanged)
    // Always pickerSlots entries: a scene to switch to, or null for an empty place.
    Q_PROPERTY(QVariantList pickerSlots READ pickerSlots NOTIFY pickerChanged)
    Q_PROPERTY(bool autoPauseActive READ autoPauseActive NOTIFY autoPauseChanged)
    Q_PROPERTY(QString autoPauseStatus READ autoPauseStatus NOTIFY autoPauseChanged)
    // Says where the scenes come from when that is not the downloaded catalogue; else empty.
    Q_PROPERTY(QString catalogueNote READ catalogueNote NOTIFY catalogueNoteChanged)

public:
    explicit PanelState(QObject *parent = nullptr);

    ViewServices *services() const { return m_services; }
    void setServices(ViewServices *services);

    SceneEntry *scene() const;
    QString title() const;
    QString subtitle() const;
    bool isFavorite() const;
    QList<SceneEntry *> pickerScenes() const { return m_picker; }
    QVariantList pickerSlots() const;
    int placeholderCount() const { return int(PanelText::pickerSlots - m_picker.size()); }
    bool autoPauseActive() const { return autoPause().active; }
    QString autoPauseStatus() const { return autoPause().status; }
    QString catalogueNote() const;

    // The play/pause button and Space. Before anything has been played the player has nothing
    // to resume, yet the panel shows a scene with a play button: that scene starts.
    Q_INVOKABLE void playPause();

Q_SIGNALS:
    void servicesChanged();
    void sceneChanged();
    void favoriteChanged();
    void pickerChanged();
    void autoPauseChanged();
    void catalogueNoteChanged();

private:
    void updatePicker();
    PanelText::AutoPause autoPause() const;

    QPointer<ViewServices> m_services;
    QList<SceneEntry *> m_picker;
};
