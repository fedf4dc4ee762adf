#include "core/AppError.h"

AppError::AppError(Domain domain, int code, QString description)
    : m_domain(domain), m_code(code), m_description(std::move(description)),
      m_utf8(m_description.toUtf8())
{
}

AppError AppError::url(int code, const QString &description)
{
    return AppError(Domain::Url, code, description);
}

AppError AppError::badServerResponse(int status)
{
    return AppError(Domain::Url, BadServerResponse,
                    QStringLiteral("The server answered with status %1.").arg(status));
}

AppError AppError::cancelled()
{
    return AppError(Domain::Cancelled, UrlCancelled, QStringLiteral("The operation was cancelled."));
}

AppError AppError::file(const QString &description, int code)
{
    return AppError(Domain::File, code, description);
}

AppError AppError::store(const QString &description)
{
    return AppError(Domain::Store, 0, description);
}

AppError AppError::decoding(const QString &description)
{
    return AppError(Domain::Decoding, 0, description);
}
