#pragma once

#include "catalogue/Catalogue.h"
#include "catalogue/HTTPClient.h"
#include "core/AppError.h"
#include "core/Cancellation.h"
#include "core/FileLocations.h"

#include <QCoroTask>
#include <QObject>
#include <QUrl>
#include <chrono>
#include <optional>

// Holds the catalogue the rest of the application works from. At start-up the cached copy is
// loaded so that scenes show at once, then the current document is fetched, published and
// cached byte for byte.
class LibraryService : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool hasManifest READ hasManifest NOTIFY manifestChanged)
    Q_PROPERTY(QUrl manifestURL READ manifestURL NOTIFY manifestURLChanged)
    // The description of the last failure; empty when there is none.
    Q_PROPERTY(QString lastError READ lastErrorDescription NOTIFY lastErrorChanged)
    Q_PROPERTY(bool isRefreshing READ isRefreshing NOTIFY isRefreshingChanged)
    // The catalogue in use is the one installed with the app, not a downloaded one.
    Q_PROPERTY(bool showsStarter READ showsStarter NOTIFY showsStarterChanged)

public:
    // Touches neither the disk nor the network.
    LibraryService(QUrl manifestURL, HTTPClient http, FileLocations locations,
                   QObject *parent = nullptr);
    // Aborts a refresh in flight; its caller then receives a cancellation error.
    ~LibraryService() override;

    // The catalogue in use. Once present it is only ever replaced, never removed.
    const std::optional<Manifest> &manifest() const { return m_manifest; }
    bool hasManifest() const { return m_manifest.has_value(); }
    // The failure of the last load or refresh; cleared by a successful refresh.
    const std::optional<AppError> &lastError() const { return m_lastError; }
    QString lastErrorDescription() const;
    bool isRefreshing() const { return m_isRefreshing; }
    const QUrl &manifestURL() const { return m_manifestURL; }
    // Where the next refresh fetches from; the catalogue in use stays until one succeeds.
    void setManifestURL(const QUrl &url);

    bool showsStarter() const { return m_showsStarter; }
    // The Cache-Control max-age of the last answer (200 or 304); zero when it named none.
    std::chrono::milliseconds maxAge() const { return m_maxAge; }

    // Publishes the cached copy when there is one. Never throws: an unreadable or undecodable
    // file only sets lastError, and the catalogue in use stays.
    void loadCachedManifest();

    // When no catalogue is in use (none ever downloaded, or its copy is unreadable), publishes
    // the one installed with the app: `folder`/manifest.json, whose relative addresses point
    // into that folder. The first successful refresh replaces it. An unreadable one sets
    // lastError and publishes nothing.
    void loadStarter(const QString &folder);

    // Fetches the catalogue, publishes it, then replaces the cached copy with the bytes just
    // received. When the saved copy came with an ETag or Last-Modified from this address, the
    // request asks whether it changed, and a 304 keeps it. Only a 200 answer that decodes is used.
    // On failure lastError is set and the same AppError is thrown to the caller; a catalogue that
    // was received and decoded stays published even when it could not be cached. Asked for while
    // one runs, it is folded into it: the running refresh fetches again when it ends (the address
    // may have changed), and both calls end with that outcome.
    QCoro::Task<> refresh();

Q_SIGNALS:
    // Only when the new catalogue differs from the one in use.
    void manifestChanged();
    void manifestURLChanged();
    // On every assignment, even of an equal value: each load or refresh reports its outcome.
    void lastErrorChanged();
    void isRefreshingChanged();
    void showsStarterChanged();

private:
    // What the saved copy was answered with, so that a refresh can ask whether it changed.
    struct Validators
    {
        QUrl url;
        QByteArray etag;
        QByteArray lastModified;
    };

    // The steps after a successful fetch; throws AppError. A 304 to a conditional request
    // keeps everything as it is.
    void accept(const HTTPResponse &response, bool conditional);
    bool canAskIfChanged() const;
    QString validatorsFile() const;
    void readValidators();
    // Throws the FileWriter's AppError.
    void writeValidators(const HTTPResponse &response);
    void writeCache(const QByteArray &bytes) const;
    void setManifest(Manifest manifest);
    void setLastError(std::optional<AppError> error);
    void setRefreshing(bool refreshing);
    void setShowsStarter(bool shows);

    QUrl m_manifestURL;
    const HTTPClient m_http;
    const FileLocations m_locations;
    const CancellationToken m_cancel = CancellationToken::create();

    std::optional<Manifest> m_manifest;
    std::optional<AppError> m_lastError;
    std::optional<Validators> m_validators;
    bool m_isRefreshing = false;
    bool m_refreshAgain = false;
    std::chrono::milliseconds m_maxAge{0};
    bool m_showsStarter = false;
};
