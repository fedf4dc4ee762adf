#include "catalogue/Catalogue.h"

#include "Duskhaven/AppError.h"

// Decoder: to be written.
Manifest Manifest::decode(const QByteArray &)
{
    throw AppError::decoding(QStringLiteral("not implemented"));
}
