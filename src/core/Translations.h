#pragma once

#include <QLocale>
#include <QStringList>
#include <memory>
#include <vector>

class QTranslator;

// The application's texts and Qt's own in the user's language. Installed once at start, before
// any window or service is built, so that every text made after it is translated.
class Translations
{
public:
    // Folders searched in order for "duskhaven_<language>.qm": the first that has the locale's
    // translation wins, so that a translation a translator drops into the user's data folder
    // is used before the one built in.
    static QStringList defaultFolders();

    // Loads and installs the translations for the locale's UI languages, the first language
    // found winning; where none is found the texts stay in English. Qt's own (qtbase) come
    // from Qt's translations folder. The translators stay installed while this lives.
    explicit Translations(const QLocale &locale = QLocale(),
                          const QStringList &folders = defaultFolders());
    ~Translations();
    Translations(const Translations &) = delete;
    Translations &operator=(const Translations &) = delete;

    // The language of the application's translation in use ("de", "es"), or "en" when none is.
    const QString &language() const { return m_language; }

private:
    std::vector<std::unique_ptr<QTranslator>> m_installed;
    QString m_language = QStringLiteral("en");
};
