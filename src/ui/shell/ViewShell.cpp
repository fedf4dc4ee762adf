#include "ui/shell/ViewShell.h"

#include "core/AppModule.h"
#include "core/SettingsStore.h"

namespace {
QFunctionPointer viewsEntry(const char *symbol, QString *error)
{
    // The headless demo loads the build of the views that carries the screenshot harness. Only
    // one of the two can live in a process (both register the same QML types).
    if (qEnvironmentVariableIsSet("DUSKHAVEN_SCREENSHOTS"))
        return resolveAppModule(QStringLiteral("duskhaven-views-shots.so"),
                                QStringLiteral(DUSKHAVEN_SHOTS_MODULE_BUILD_PATH), symbol, error);
    return resolveAppModule(QStringLiteral("duskhaven-views.so"),
                            QStringLiteral(DUSKHAVEN_VIEWS_MODULE_BUILD_PATH), symbol, error);
}
} // namespace

std::unique_ptr<ViewShell> ViewShell::load(const Context &context, QString *error)
{
    const auto make =
        reinterpret_cast<MakeViewShellFunction>(viewsEntry("duskhavenMakeViewShell", error));
    return std::unique_ptr<ViewShell>(make ? make(context) : nullptr);
}
