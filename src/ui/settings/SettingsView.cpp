#include "ui/settings/SettingsView.h"

#include "awareness/HotKeyService.h"
#include "catalogue/CatalogueAddress.h"
#include "catalogue/LibraryService.h"
#include "core/BuildInfo.h"
#include "ui/views/ViewServices.h"

#include <QLocale>
#include <algorithm>

const QList<SettingsView::BudgetChoice> &SettingsView::budgetChoices()
{
    static const QList<BudgetChoice> choices{{100}, {250}, {500}, {1024}, {2048}, {5120}};
    return choices;
}

QString SettingsView::budgetText(int megabytes)
{
    const QLocale locale;
    // The choices are whole binary megabytes and gigabytes ("250 MB", "1 GB"); a figure written
    // by hand into the settings file is shown as it is in effect, in megabytes.
    if (megabytes < 1024 || megabytes % 1024 == 0)
        return locale.formattedDataSize(qint64(megabytes) << 20, 0,
                                        QLocale::DataSizeTraditionalFormat);
    return tr("%1 MB").arg(locale.toString(megabytes));
}

QString SettingsView::versionText(const char *buildVersion)
{
    const QString version = QString::fromUtf8(buildVersion).trimmed();
    return tr("Version %1").arg(version.isEmpty() ? QStringLiteral("1.0") : version);
}

SettingsView::SettingsView(QObject *parent) : QObject(parent) {}

void SettingsView::setServices(ViewServices *services)
{
    if (services == m_services)
        return;
    if (m_services) {
        m_services->settings()->disconnect(this);
        m_services->hotKeys()->disconnect(this);
        m_services->library()->disconnect(this);
    }
    m_services = services;
    if (m_services) {
        connect(m_services->settings(), &ViewSettings::cacheSizeBudgetMBChanged, this,
                &SettingsView::budgetChanged);
        connect(m_services->hotKeys(), &HotKeyService::offeredChanged, this,
                &SettingsView::hotKeysHintChanged);
        connect(m_services->settings(), &ViewSettings::catalogueUrlChanged, this,
                &SettingsView::catalogueChanged);
        for (const auto signal :
             {&LibraryService::lastErrorChanged, &LibraryService::manifestURLChanged})
            connect(m_services->library(), signal, this, &SettingsView::catalogueChanged);
    }
    Q_EMIT servicesChanged();
    Q_EMIT hotKeysHintChanged();
    Q_EMIT budgetChanged();
    Q_EMIT catalogueChanged();
}

QString SettingsView::catalogueAddress() const
{
    return m_services ? m_services->settings()->catalogueUrl()
                      : CatalogueAddress::builtIn().toString();
}

bool SettingsView::catalogueAddressIsDefault() const
{
    return catalogueAddress() == CatalogueAddress::builtIn().toString();
}

QString SettingsView::catalogueStatus() const
{
    if (!m_addressRefusal.isEmpty())
        return m_addressRefusal;
    if (!m_services)
        return {};
    const LibraryService *library = m_services->library();
    const QString error = library->lastErrorDescription();
    if (!error.isEmpty())
        return tr("Could not load the catalogue: %1 The scenes shown stay until it loads.")
            .arg(error);
    if (library->manifestURL() != QUrl(catalogueAddress()))
        return tr("This run uses %1, set by DUSKHAVEN_MANIFEST_URL.")
            .arg(library->manifestURL().toDisplayString());
    return {};
}

void SettingsView::setCatalogueAddress(const QString &text)
{
    if (!m_services)
        return;
    QString refusal;
    if (!text.trimmed().isEmpty() && !CatalogueAddress::parse(text))
        refusal = tr("“%1” is not a web address. Use one that starts with https:// or http://.")
                      .arg(text.trimmed());
    else
        m_services->settings()->setCatalogueUrl(text);
    if (refusal != m_addressRefusal) {
        m_addressRefusal = refusal;
        Q_EMIT catalogueChanged();
    }
}

void SettingsView::resetCatalogueAddress()
{
    setCatalogueAddress(QString());
}

QString SettingsView::versionText() const
{
    return versionText(BuildInfo::version);
}

QString SettingsView::lowBatteryHint() const
{
    const int threshold = m_services ? m_services->autoPause()->lowBatteryThreshold()
                                     : AutoPauseService::defaultLowBatteryThreshold;
    return tr("Stop when battery falls below %1% and unplugged").arg(threshold);
}

QString SettingsView::hotKeysHint() const
{
    if (m_services && !m_services->hotKeys()->offered())
        return HotKeyService::notOfferedHint();
    return HotKeyService::hint();
}

QStringList SettingsView::budgetLabels()
{
    QStringList labels;
    for (const BudgetChoice &choice : budgetChoices())
        labels.append(budgetText(choice.megabytes));
    return labels;
}

int SettingsView::budgetIndex() const
{
    if (!m_services)
        return -1;
    const int stored = m_services->settings()->cacheSizeBudgetMB();
    const auto &choices = budgetChoices();
    const auto found =
        std::find_if(choices.cbegin(), choices.cend(),
                     [stored](const BudgetChoice &c) { return c.megabytes == stored; });
    return found == choices.cend() ? -1 : int(found - choices.cbegin());
}

QString SettingsView::budgetLabel() const
{
    return m_services ? budgetText(m_services->settings()->cacheSizeBudgetMB()) : QString();
}

void SettingsView::chooseBudget(int index)
{
    if (!m_services || index < 0 || index >= budgetChoices().size())
        return;
    ViewSettings *settings = m_services->settings();
    const int megabytes = budgetChoices().at(index).megabytes;
    if (settings->cacheSizeBudgetMB() != megabytes)
        settings->setCacheSizeBudgetMB(megabytes);
}

void SettingsView::setNewName(const QString &name)
{
    if (name == m_newName)
        return;
    m_newName = name;
    Q_EMIT newNameChanged();
}

void SettingsView::setAddRowShown(bool shown)
{
    if (shown == m_addRowShown)
        return;
    m_addRowShown = shown;
    Q_EMIT addRowShownChanged();
}

void SettingsView::setPicking(bool picking)
{
    if (picking == m_picking)
        return;
    m_picking = picking;
    Q_EMIT pickingChanged();
}

void SettingsView::toggleAddRow()
{
    setAddRowShown(!m_addRowShown);
}

void SettingsView::pickFile()
{
    if (!m_services || m_picking)
        return;
    setPicking(true);
    [](QPointer<SettingsView> self, CustomScenesService *scenes, QString name) -> QCoro::Task<> {
        const std::optional<QString> id = co_await scenes->pickAndAdd(std::move(name));
        if (!self)
            co_return;
        self->setPicking(false);
        if (id) {
            self->setNewName(QString());
            self->setAddRowShown(false);
        }
    }(this, m_services->customScenes(), m_newName);
}

QStringList SettingsView::unplayableSceneIds() const
{
    QStringList ids(m_unplayable.cbegin(), m_unplayable.cend());
    ids.sort();
    return ids;
}

QString SettingsView::unplayableText()
{
    return tr("The audio file is missing or cannot be read");
}

void SettingsView::playScene(const QString &sceneId)
{
    if (!m_services)
        return;
    const bool played = m_services->customScenes()->play(sceneId);
    const bool changed = played ? m_unplayable.remove(sceneId) : !m_unplayable.contains(sceneId);
    if (!played)
        m_unplayable.insert(sceneId);
    if (changed)
        Q_EMIT unplayableChanged();
}

QString SettingsView::dateText(const QDateTime &moment) const
{
    //: The date a custom scene was added, as a QDate pattern: MMM is the month's short name.
    return QLocale().toString(moment.toLocalTime().date(), tr("MMM d, yyyy"));
}
