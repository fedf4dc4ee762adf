#include "ui/launcher/OnboardingModel.h"

#include "ui/views/ViewSettings.h"

#include <algorithm>

OnboardingModel::OnboardingModel(QObject *parent) : QObject(parent) {}

void OnboardingModel::setSettings(ViewSettings *settings)
{
    if (m_settings == settings)
        return;
    m_settings = settings;
    Q_EMIT settingsChanged();
    if (settings) {
        const QStringList stored = settings->favoriteSceneIds();
        m_selected = QSet<QString>(stored.cbegin(), stored.cend());
        Q_EMIT selectedChanged();
    }
}

QStringList OnboardingModel::selected() const
{
    QStringList ids(m_selected.cbegin(), m_selected.cend());
    std::sort(ids.begin(), ids.end());
    return ids;
}

QString OnboardingModel::countText() const
{
    return tr("%n selected · Pick at least 1", nullptr, int(m_selected.size()));
}

void OnboardingModel::toggle(const QString &sceneId)
{
    if (!m_selected.remove(sceneId))
        m_selected.insert(sceneId);
    Q_EMIT selectedChanged();
}

void OnboardingModel::start()
{
    if (m_step == 1)
        return;
    m_step = 1;
    Q_EMIT stepChanged();
}

void OnboardingModel::finish()
{
    if (!m_settings || !canContinue())
        return;
    m_settings->setFavoriteSceneIds(selected());
    m_settings->setOnboardingCompleted(true);
}

void OnboardingModel::skip()
{
    if (m_settings)
        m_settings->setOnboardingCompleted(true);
}
