#include "catalogue/LibraryService.h"

#include "core/FileWriter.h"

#include <QCoreApplication>
#include <QCoroSignal>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <cctype>

LibraryService::LibraryService(QUrl manifestURL, HTTPClient http, FileLocations locations,
                               QObject *parent)
    : QObject(parent), m_manifestURL(std::move(manifestURL)), m_http(std::move(http)),
      m_locations(std::move(locations))
{}

LibraryService::~LibraryService()
{
    m_cancel.cancel();
}

QString LibraryService::lastErrorDescription() const
{
    return m_lastError ? m_lastError->description() : QString();
}

namespace {
// The whole file, or an error that names it.
QByteArray readCatalogueFile(const QString &path)
{
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    if (!file.isOpen() || file.error() != QFileDevice::NoError)
        throw AppError::file(QCoreApplication::translate("LibraryService",
                                                         "Could not read the saved catalogue "
                                                         "%1: %2")
                                 .arg(path, file.errorString()));
    return bytes;
}
} // namespace

void LibraryService::loadCachedManifest()
{
    const QString path = m_locations.manifestFile();
    if (!QFileInfo::exists(path))
        return;
    try {
        setManifest(Manifest::decode(readCatalogueFile(path)));
        readValidators();
    } catch (const AppError &error) {
        setLastError(error);
    }
}

void LibraryService::loadStarter(const QString &folder)
{
    if (m_manifest || folder.isEmpty())
        return;
    const QString path = QDir(folder).filePath(QStringLiteral("manifest.json"));
    if (!QFileInfo::exists(path))
        return;
    try {
        const QUrl base = QUrl::fromLocalFile(QDir(folder).absolutePath() + QLatin1Char('/'));
        setManifest(Manifest::decode(readCatalogueFile(path)).resolvedAgainst(base));
        setShowsStarter(true);
    } catch (const AppError &error) {
        setLastError(error);
    }
}

void LibraryService::setManifestURL(const QUrl &url)
{
    if (url == m_manifestURL)
        return;
    m_manifestURL = url;
    Q_EMIT manifestURLChanged();
}

QCoro::Task<> LibraryService::refresh()
{
    QPointer<LibraryService> self(this);
    if (m_isRefreshing) {
        // Folded into the running one, which fetches again when it ends; this call ends with
        // that outcome.
        m_refreshAgain = true;
        while (self && self->m_isRefreshing)
            co_await qCoro(this, &LibraryService::isRefreshingChanged);
        if (!self)
            throw AppError::cancelled();
        if (m_lastError)
            throw *m_lastError;
        co_return;
    }
    setRefreshing(true);

    std::optional<AppError> failure;
    do {
        m_refreshAgain = false;
        failure.reset();
        try {
            // The client retries transport failures itself.
            const bool conditional = canAskIfChanged();
            HTTPClient::Headers headers;
            if (conditional && !m_validators->etag.isEmpty())
                headers.append({"If-None-Match", m_validators->etag});
            if (conditional && !m_validators->lastModified.isEmpty())
                headers.append({"If-Modified-Since", m_validators->lastModified});
            const HTTPResponse response = co_await m_http.data(
                m_manifestURL, m_cancel, std::move(headers), HTTPClient::catalogueLimit);
            if (self)
                self->accept(response, conditional);
        } catch (const AppError &error) {
            failure = error;
        }
        if (!self)
            throw AppError::cancelled();
    } while (m_refreshAgain);

    if (failure) {
        setLastError(*failure);
        setRefreshing(false);
        throw *failure;
    }
    setRefreshing(false);
}

bool LibraryService::canAskIfChanged() const
{
    // Only the saved copy that the validators describe may stand in for an unchanged answer.
    return m_validators && m_validators->url == m_manifestURL && m_manifest && !m_showsStarter;
}

namespace {
// Cache-Control's max-age in seconds (its first ten digits), 0 without one. Read by hand: a
// regular expression would load PCRE into the tray process for this one header.
qint64 maxAgeSeconds(const QByteArray &cacheControl)
{
    static constexpr QByteArrayView directive("max-age=");
    for (qsizetype at = cacheControl.indexOf(directive); at >= 0;
         at = cacheControl.indexOf(directive, at + 1)) {
        const char before = at > 0 ? cacheControl.at(at - 1) : ',';
        if (before != ',' && before != ' ' && before != '\t')
            continue;
        qint64 seconds = 0;
        qsizetype digits = 0;
        for (qsizetype i = at + directive.size();
             i < cacheControl.size() && digits < 10 && std::isdigit(uchar(cacheControl.at(i)));
             ++i, ++digits)
            seconds = seconds * 10 + (cacheControl.at(i) - '0');
        if (digits > 0)
            return seconds;
    }
    return 0;
}
} // namespace

void LibraryService::accept(const HTTPResponse &response, bool conditional)
{
    if (response.status == 200 || response.status == 304) {
        m_maxAge = std::chrono::seconds(maxAgeSeconds(response.cacheControl));
    }
    if (response.status == 304 && conditional) {
        setLastError(std::nullopt); // unchanged: the catalogue in use is the current one
        return;
    }
    if (response.status != 200)
        throw AppError::badServerResponse(response.status);
    // A body that does not decode leaves both the catalogue in use and the cached file alone.
    setManifest(Manifest::decode(response.body));
    setShowsStarter(false);
    // Published before it is cached: a catalogue that arrived is used even if the disk
    // refuses it, and the next start falls back to the older copy.
    m_locations.ensureDirectories();
    writeCache(response.body);
    writeValidators(response);
    setLastError(std::nullopt);
}

QString LibraryService::validatorsFile() const
{
    return m_locations.manifestFile() + QStringLiteral(".validators");
}

void LibraryService::writeValidators(const HTTPResponse &response)
{
    // Written after the copy they describe, so they are never newer than it.
    m_validators.reset();
    if (response.etag.isEmpty() && response.lastModified.isEmpty()) {
        QFile::remove(validatorsFile());
        return;
    }
    FileWriter::writeWhole(
        validatorsFile(),
        QJsonDocument(QJsonObject{{QStringLiteral("url"), m_manifestURL.toString()},
                                  {QStringLiteral("etag"), QString::fromLatin1(response.etag)},
                                  {QStringLiteral("lastModified"),
                                   QString::fromLatin1(response.lastModified)}})
            .toJson(QJsonDocument::Compact));
    m_validators = Validators{m_manifestURL, response.etag, response.lastModified};
}

void LibraryService::readValidators()
{
    QFile file(validatorsFile());
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QJsonObject saved = QJsonDocument::fromJson(file.readAll()).object();
    const QUrl url(saved.value(QStringLiteral("url")).toString());
    if (url.isValid())
        m_validators =
            Validators{url, saved.value(QStringLiteral("etag")).toString().toLatin1(),
                       saved.value(QStringLiteral("lastModified")).toString().toLatin1()};
}

void LibraryService::writeCache(const QByteArray &bytes) const
{
    // The received bytes as they came, never re-encoded; the old copy stays whole until the
    // new one is complete.
    FileWriter::writeWhole(m_locations.manifestFile(), bytes);
}

void LibraryService::setManifest(Manifest manifest)
{
    // An equal catalogue is still taken, silently.
    const bool changed = m_manifest != manifest;
    m_manifest = std::move(manifest);
    if (changed)
        Q_EMIT manifestChanged();
}

void LibraryService::setLastError(std::optional<AppError> error)
{
    m_lastError = std::move(error);
    Q_EMIT lastErrorChanged();
}

void LibraryService::setRefreshing(bool refreshing)
{
    if (m_isRefreshing == refreshing)
        return;
    m_isRefreshing = refreshing;
    Q_EMIT isRefreshingChanged();
}

void LibraryService::setShowsStarter(bool shows)
{
    if (m_showsStarter == shows)
        return;
    m_showsStarter = shows;
    Q_EMIT showsStarterChanged();
}
