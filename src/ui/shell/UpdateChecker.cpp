#include "ui/shell/UpdateChecker.h"

#include "ui/Resources.h"

#include <QCoreApplication>
#include <QCoroNetworkReply>
#include <QDesktopServices>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QPushButton>
#include <QVersionNumber>

UpdateChecker::UpdateChecker(QUrl feed, QString currentVersion, QObject *parent)
    : QObject(parent), m_feed(std::move(feed)), m_currentVersion(std::move(currentVersion))
{}

UpdateChecker::~UpdateChecker() = default;

UpdateChecker::Result UpdateChecker::evaluate(const QByteArray &document,
                                              const QString &currentVersion)
{
    Result result;
    result.kind = Result::Kind::Failed;
    const QJsonObject feed = QJsonDocument::fromJson(document).object();
    const QString latest = feed.value(QStringLiteral("version")).toString();
    const QVersionNumber latestNumber = QVersionNumber::fromString(latest);
    if (latestNumber.isNull()) {
        result.error = tr("The update feed names no version.");
        return result;
    }
    result.latestVersion = latest;
    if (latestNumber <= QVersionNumber::fromString(currentVersion)) {
        result.kind = Result::Kind::UpToDate;
        return result;
    }
    const QUrl page(feed.value(QStringLiteral("url")).toString(), QUrl::StrictMode);
    const QString scheme = page.scheme().toLower();
    if (!page.isValid() || page.host().isEmpty() ||
        (scheme != QLatin1String("https") && scheme != QLatin1String("http"))) {
        result.error = tr("The update feed names no download page.");
        return result;
    }
    result.kind = Result::Kind::UpdateAvailable;
    result.downloadPage = page;
    return result;
}

QString UpdateChecker::describe(const Result &result, const QString &currentVersion)
{
    switch (result.kind) {
    case Result::Kind::NotConfigured:
        return tr("No update source is configured for this build of Dusk Haven.");
    case Result::Kind::UpToDate:
        return tr("Dusk Haven %1 is up to date.").arg(currentVersion);
    case Result::Kind::UpdateAvailable:
        return tr("Dusk Haven %1 is available (you have %2).")
            .arg(result.latestVersion, currentVersion);
    case Result::Kind::Failed:
        return tr("Could not check for updates: %1").arg(result.error);
    }
    return {};
}

QCoro::Task<UpdateChecker::Result> UpdateChecker::check()
{
    if (!isConfigured())
        co_return Result{};
    if (!m_network) {
        m_network = new QNetworkAccessManager(this);
        m_network->setTransferTimeout(60'000);
    }
    QPointer<UpdateChecker> self(this);
    const QString currentVersion = m_currentVersion;
    QNetworkRequest request(m_feed);
    QNetworkReply *reply = m_network->get(request);
    co_await reply;
    Result failure;
    failure.kind = Result::Kind::Failed;
    if (!self) {
        failure.error = QStringLiteral("cancelled");
        co_return failure;
    }
    reply->deleteLater();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && status.toInt() != 200) {
        failure.error = tr("the server answered %1.").arg(status.toInt());
        co_return failure;
    }
    if (reply->error() != QNetworkReply::NoError) {
        failure.error = reply->errorString();
        co_return failure;
    }
    co_return evaluate(reply->readAll(), currentVersion);
}

void UpdateChecker::checkForUpdates()
{
    if (m_checking)
        return;
    run();
}

QCoro::Task<> UpdateChecker::run()
{
    QPointer<UpdateChecker> self(this);
    setChecking(true);
    const Result result = co_await check();
    if (!self)
        co_return;
    setChecking(false);
    Q_EMIT finished(result);
}

void UpdateChecker::setChecking(bool checking)
{
    if (m_checking == checking)
        return;
    m_checking = checking;
    Q_EMIT checkingChanged();
}

void UpdatePrompt::show(const UpdateChecker::Result &result, const QString &currentVersion)
{
    Resources::setAppWindowIcon();
    auto *box = new QMessageBox(result.kind == UpdateChecker::Result::Kind::Failed
                                    ? QMessageBox::Warning
                                    : QMessageBox::Information,
                                QCoreApplication::translate("UpdatePrompt", "Check for Updates"),
                                UpdateChecker::describe(result, currentVersion));
    box->setAttribute(Qt::WA_DeleteOnClose);
    if (result.kind == UpdateChecker::Result::Kind::UpdateAvailable) {
        QPushButton *download = box->addButton(
            QCoreApplication::translate("UpdatePrompt", "Download"), QMessageBox::AcceptRole);
        box->addButton(QMessageBox::Close);
        const QUrl page = result.downloadPage;
        QObject::connect(download, &QPushButton::clicked, box,
                         [page] { QDesktopServices::openUrl(page); });
    } else {
        box->addButton(QMessageBox::Ok);
    }
    box->show();
    box->raise();
    box->activateWindow();
}
