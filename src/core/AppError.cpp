#include "core/AppError.h"
#include <QCoreApplication>

AppError::AppError(Domain domain, int code, QString description)
    : m_domain(domain), m_code(code), m_description(std::move(description)),
      m_utf8(m_description.toUtf8())
{}

AppError AppError::url(int code, const QString &description)
{
    return AppError(Domain::Url, code, description);
}

AppError AppError::badServerResponse(int status)
{
    return AppError(
        Domain::Url, BadServerResponse,
        QCoreApplication::translate("AppError", "The server answered with status %1.").arg(status));
}

AppError AppError::cancelled()
{
    return AppError(Domain::Cancelled, UrlCancelled,
                    QCoreApplication::translate("AppError", "The operation was cancelled."));
}

AppError AppError::file(const QString &description, int code)
{
    return AppError(Domain::File, code, description);
}

AppError AppError::folderNotCreated(const QString &path)
{
    return file(
        QCoreApplication::translate("AppError", "Could not create the folder %1.").arg(path));
}

AppError AppError::store(const QString &description)
{
    return AppError(Domain::Store, 0, description);
}

AppError AppError::decoding(const QString &description)
{
    return AppError(Domain::Decoding, 0, description);
}
