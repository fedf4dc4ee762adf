#pragma once

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

class ViewSettings;

// First-run onboarding: the page shown, the scenes picked so far and what Continue and Skip
// store. The favourites already stored (a reinstall that kept its settings) start picked; a
// malformed stored value starts with none and is overwritten by Continue.
class OnboardingModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(ViewSettings *settings READ settings WRITE setSettings NOTIFY settingsChanged)
    // 0 welcome, 1 scene picker; only ever moves forward.
    Q_PROPERTY(int step READ step NOTIFY stepChanged)
    Q_PROPERTY(QStringList selected READ selected NOTIFY selectedChanged)
    Q_PROPERTY(bool canContinue READ canContinue NOTIFY selectedChanged)
    Q_PROPERTY(QString countText READ countText NOTIFY selectedChanged)

public:
    explicit OnboardingModel(QObject *parent = nullptr);

    ViewSettings *settings() const { return m_settings; }
    void setSettings(ViewSettings *settings);
    int step() const { return m_step; }
    QStringList selected() const;
    bool canContinue() const { return !m_selected.isEmpty(); }
    QString countText() const;

    Q_INVOKABLE bool isSelected(const QString &sceneId) const
    {
        return m_selected.contains(sceneId);
    }
    Q_INVOKABLE void toggle(const QString &sceneId);
    // From the welcome page to the scene picker.
    Q_INVOKABLE void start();
    // Stores the picked scenes as the favourites and ends onboarding; does nothing with none
    // picked (the button is inert then).
    Q_INVOKABLE void finish();
    // Ends onboarding and leaves the favourites as they are.
    Q_INVOKABLE void skip();

Q_SIGNALS:
    void settingsChanged();
    void stepChanged();
    void selectedChanged();

private:
    QPointer<ViewSettings> m_settings;
    int m_step = 0;
    QSet<QString> m_selected;
};
