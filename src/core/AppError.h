#pragma once

#include <QString>
#include <exception>

// The one failure type of the application. Operations that touch the network, files or the
// record store throw it (coroutines rethrow it at the co_await); background callers catch it
// and keep their last good state.
class AppError : public std::exception
{
public:
    enum class Domain {
        Url, // transport failures and bad server responses
        Cancelled,
        File,
        Store,
        Decoding,
    };

    // Codes of the URL domain that callers test for.
    static constexpr int UrlUnknown = -1;
    static constexpr int UrlCancelled = -999;
    static constexpr int UrlTimedOut = -1001;
    static constexpr int UrlUnsupported = -1002;
    static constexpr int UrlCannotFindHost = -1003;
    static constexpr int UrlCannotConnect = -1004;
    static constexpr int UrlNetworkConnectionLost = -1005;
    static constexpr int UrlTooManyRedirects = -1007;
    static constexpr int UrlNotConnectedToInternet = -1009;
    static constexpr int BadServerResponse = -1011;
    static constexpr int UrlCannotParseResponse = -1017;
    static constexpr int UrlFileDoesNotExist = -1100;
    static constexpr int UrlNoPermissionsToReadFile = -1102;
    static constexpr int UrlDataLengthExceedsMaximum = -1103;
    static constexpr int UrlSecureConnectionFailed = -1200;
    // The File domain's one code that callers test for: the disk has no room left.
    static constexpr int FileOutOfSpace = 28;

    AppError(Domain domain, int code, QString description);

    static AppError url(int code, const QString &description);
    static AppError badServerResponse(int status);
    static AppError cancelled();
    static AppError file(const QString &description, int code = 0);
    // A folder the application needs could not be made (File domain).
    static AppError folderNotCreated(const QString &path);
    static AppError store(const QString &description);
    static AppError decoding(const QString &description);

    Domain domain() const { return m_domain; }
    int code() const { return m_code; }
    const QString &description() const { return m_description; }
    bool isOutOfSpace() const { return m_domain == Domain::File && m_code == FileOutOfSpace; }
    const char *what() const noexcept override { return m_utf8.constData(); }

    bool operator==(const AppError &other) const
    {
        return m_domain == other.m_domain && m_code == other.m_code &&
               m_description == other.m_description;
    }

private:
    Domain m_domain;
    int m_code;
    QString m_description;
    QByteArray m_utf8;
};
