#include "Duskhaven/DuskhavenApp.h"

#include "Duskhaven/AppEnvironment.h"
#include "Duskhaven/AppError.h"
#include "Duskhaven/BuildInfo.h"
#include "Duskhaven/RecordStore.h"
#include "Duskhaven/SettingsStore.h"

#include <QCommandLineParser>

namespace {
void describeOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
        QStringLiteral("Dusk Haven: lo-fi scenes and ambient sounds from the system tray."));
    parser.addOption({{QStringLiteral("h"), QStringLiteral("help")},
                      QStringLiteral("Show this help and exit.")});
    parser.addOption({{QStringLiteral("v"), QStringLiteral("version")},
                      QStringLiteral("Show the version and exit.")});
    parser.addPositionalArgument(QStringLiteral("url"),
                                 QStringLiteral("A dusk-haven: address to open, such as "
                                                "dusk-haven://open."),
                                 QStringLiteral("[url]"));
}
} // namespace

std::optional<int> DuskhavenApp::handleCommandLine(const QStringList &arguments, QTextStream &out,
                                                   QTextStream &err)
{
    QCommandLineParser parser;
    describeOptions(parser);
    if (!parser.parse(arguments)) {
        err << parser.errorText() << "\n" << "Try 'duskhaven --help'.\n";
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        // Without an application object the parser cannot name the program itself.
        out << parser.helpText().replace(QStringLiteral("<executable_name>"),
                                         QStringLiteral("duskhaven"));
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        out << "duskhaven " << BuildInfo::version << "\n";
        return 0;
    }
    if (parser.positionalArguments().size() > 1) {
        err << "duskhaven takes at most one address.\n" << "Try 'duskhaven --help'.\n";
        return 2;
    }
    return std::nullopt;
}

DuskhavenApp::DuskhavenApp() = default;
DuskhavenApp::~DuskhavenApp() = default;

bool DuskhavenApp::start(QTextStream &err)
{
    m_settings = std::make_unique<SettingsStore>(SettingsStore::defaultFilePath());
    try {
        m_store = std::make_unique<RecordStore>(RecordStore::defaultFilePath());
    } catch (const AppError &error) {
        err << "ModelContainer: " << error.description() << "\n";
        err.flush();
        return false;
    }
    m_environment = std::make_unique<AppEnvironment>(*m_store, *m_settings,
                                                     AppEnvironment::Options::forProcess());
    return true;
}
