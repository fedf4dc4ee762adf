#pragma once

#include <QCoroTask>
#include <QObject>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;

// "Check for Updates…": fetches a small JSON feed {"version": "1.2.0", "url": "https://…"}
// from the address compiled in and compares its version with this build's. A build without a
// feed address says so instead.
class UpdateChecker : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool checking READ isChecking NOTIFY checkingChanged)

public:
    struct Result
    {
        enum class Kind { NotConfigured, UpToDate, UpdateAvailable, Failed };
        Kind kind = Kind::NotConfigured;
        QString latestVersion;
        QUrl downloadPage;
        QString error;
    };

    UpdateChecker(QUrl feed, QString currentVersion, QObject *parent = nullptr);
    ~UpdateChecker() override;

    bool isConfigured() const { return m_feed.isValid() && !m_feed.isEmpty(); }
    bool isChecking() const { return m_checking; }

    // What a feed document says against the running version. A download page that is not an
    // http(s) address is never offered: the feed cannot make the app open anything else.
    static Result evaluate(const QByteArray &document, const QString &currentVersion);
    // The sentence the menu item shows for a result.
    static QString describe(const Result &result, const QString &currentVersion);

    QCoro::Task<Result> check();

public Q_SLOTS:
    // The menu item: runs one check (a second request while one runs is ignored) and reports
    // through finished().
    void checkForUpdates();

Q_SIGNALS:
    void checkingChanged();
    void finished(const UpdateChecker::Result &result);

private:
    QCoro::Task<> run();
    void setChecking(bool checking);

    QUrl m_feed;
    QString m_currentVersion;
    QNetworkAccessManager *m_network = nullptr;
    bool m_checking = false;
};

// The answer of the menu item: a small window with the sentence, and a "Download" button that
// opens the download page when an update is available.
namespace UpdatePrompt {
void show(const UpdateChecker::Result &result, const QString &currentVersion);
} // namespace UpdatePrompt
