#include "catalogue/CatalogueAddress.h"

#include "core/BuildInfo.h"
#include "core/SettingsStore.h"

QUrl CatalogueAddress::builtIn()
{
    return QUrl(QString::fromUtf8(BuildInfo::defaultManifestUrl), QUrl::StrictMode);
}

std::optional<QUrl> CatalogueAddress::parse(const QString &text)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return std::nullopt;
    return url;
}

QUrl CatalogueAddress::chosen(const SettingsStore &settings)
{
    const std::optional<QString> text = settings.stringValue(SettingsKey::catalogueUrl);
    const std::optional<QUrl> url = text ? parse(*text) : std::nullopt;
    return url ? *url : builtIn();
}
