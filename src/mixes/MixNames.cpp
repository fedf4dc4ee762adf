#include "mixes/MixNames.h"
#include <QCoreApplication>

namespace {
bool taken(const QString &name, const QStringList &others)
{
    return others.contains(name, Qt::CaseInsensitive);
}
} // namespace

QString MixNames::tidy(const QString &name)
{
    return name.trimmed();
}

std::optional<QString> MixNames::problem(const QString &tidied, const QStringList &others)
{
    if (tidied.isEmpty())
        return QCoreApplication::translate("MixNames", "Give the mix a name.");
    // Characters as a person counts them, not UTF-16 units.
    if (tidied.toUcs4().size() > maxLength)
        return QCoreApplication::translate("MixNames", "A mix name can have at most %1 characters.")
            .arg(maxLength);
    if (taken(tidied, others))
        return QCoreApplication::translate("MixNames", "There is already a mix called “%1”.")
            .arg(tidied);
    return std::nullopt;
}

QString MixNames::firstFree(const QStringList &names)
{
    for (int n = 1;; ++n) {
        const QString candidate = QCoreApplication::translate("MixNames", "Mix %1").arg(n);
        if (!taken(candidate, names))
            return candidate;
    }
}
