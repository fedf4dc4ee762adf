#include "core/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QTranslator>

// Q_INIT_RESOURCE declares the initialiser in the enclosing namespace, so it lives out here.
static void initCompiledTranslations()
{
    Q_INIT_RESOURCE(duskhaven_i18n);
}

QStringList Translations::defaultFolders()
{
    static const bool compiledIn = (initCompiledTranslations(), true);
    Q_UNUSED(compiledIn);
    QStringList folders = QStandardPaths::locateAll(QStandardPaths::GenericDataLocation,
                                                    QStringLiteral("dusk-haven/translations"),
                                                    QStandardPaths::LocateDirectory);
    folders.append(QStringLiteral(":/i18n"));
    return folders;
}

Translations::Translations(const QLocale &locale, const QStringList &folders)
{
    // QTranslator::load(locale, …) walks the locale's UI languages, "de_AT" then "de", and
    // takes the first file it finds; each folder is asked in turn. English comes last: the
    // source texts are English, but its file holds the plural forms ("1 layer", "2 layers").
    const auto installOwn = [&](const QLocale &wanted) {
        for (const QString &folder : folders) {
            auto own = std::make_unique<QTranslator>();
            if (!own->load(wanted, QStringLiteral("duskhaven"), QStringLiteral("_"), folder))
                continue;
            m_language = own->language().section(QLatin1Char('_'), 0, 0);
            QCoreApplication::installTranslator(own.get());
            m_installed.push_back(std::move(own));
            return true;
        }
        return false;
    };
    if (!installOwn(locale))
        installOwn(QLocale(QLocale::English));
    if (m_language.isEmpty())
        m_language = QStringLiteral("en");
    // Qt's own texts (a file dialog's buttons, a data size's "bytes") in the user's language.
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt.get());
        m_installed.push_back(std::move(qt));
    }
}

Translations::~Translations()
{
    for (const auto &translator : m_installed)
        QCoreApplication::removeTranslator(translator.get());
}
